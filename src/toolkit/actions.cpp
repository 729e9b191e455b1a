#include "toolkit/actions.h"

#include <algorithm>
#include <stdexcept>

namespace tk {

namespace {

std::vector<TActionList*>& Lists() {
    static std::vector<TActionList*> lists;
    return lists;
}

std::string KeyName(WORD key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
    switch (key) {
    case VK_BACK:
        return "BkSp";
    case VK_TAB:
        return "Tab";
    case VK_RETURN:
        return "Enter";
    case VK_ESCAPE:
        return "Esc";
    case VK_SPACE:
        return "Space";
    case VK_PRIOR:
        return "PgUp";
    case VK_NEXT:
        return "PgDn";
    case VK_END:
        return "End";
    case VK_HOME:
        return "Home";
    case VK_LEFT:
        return "Left";
    case VK_UP:
        return "Up";
    case VK_RIGHT:
        return "Right";
    case VK_DOWN:
        return "Down";
    case VK_INSERT:
        return "Ins";
    case VK_DELETE:
        return "Del";
    }
    return {};
}

} // namespace

std::string ShortCutToText(TShortCut shortcut) {
    if (!shortcut) return {};
    std::string text;
    if (shortcut & scShift) text += "Shift+";
    if (shortcut & scCtrl) text += "Ctrl+";
    if (shortcut & scAlt) text += "Alt+";
    return text + KeyName(shortcut & 0xFF);
}

// ---- TActionClient

TActionClient::~TActionClient() {
    SetAction(nullptr);
}

void TActionClient::SetAction(TAction* action) {
    if (action == action_) return;
    if (action_) {
        auto& clients = action_->clients_;
        clients.erase(std::remove(clients.begin(), clients.end(), this), clients.end());
    }
    action_ = action;
    if (action_) {
        action_->clients_.push_back(this);
        ActionChanged();
    }
}

// ---- TAction

TAction::TAction(const Params& p)
    : name_(p.name), caption_(p.caption), hint_(p.hint), shortcut_(p.shortcut), picture_(p.picture),
      groupIndex_(p.groupIndex), allowAllUp_(p.allowAllUp), checked_(p.checked), enabled_(p.enabled) {}

TAction::~TAction() {
    // The clients keep the state they show; they just stop following.
    for (TActionClient* client : clients_)
        client->action_ = nullptr;
}

void TAction::Changed() {
    const std::vector<TActionClient*> clients = clients_;
    for (TActionClient* client : clients)
        client->ActionChanged();
}

void TAction::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Changed();
}

void TAction::SetHint(const std::string& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    Changed();
}

void TAction::SetShortcut(TShortCut shortcut) {
    if (shortcut == shortcut_) return;
    shortcut_ = shortcut;
    Changed();
}

void TAction::SetPicture(HBITMAP picture) {
    if (picture == picture_) return;
    picture_ = picture;
    Changed();
}

void TAction::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Changed();
}

void TAction::SetChecked(bool checked) {
    if (checked == checked_) return;
    if (checked && groupIndex_ != 0 && list_) {
        for (auto& other : list_->Actions()) {
            if (other.get() != this && other->groupIndex_ == groupIndex_ && other->checked_) {
                other->checked_ = false;
                other->Changed();
            }
        }
    }
    checked_ = checked;
    Changed();
}

void TAction::SetGroupIndex(int groupIndex) {
    if (groupIndex == groupIndex_) return;
    groupIndex_ = groupIndex;
    Changed();
}

void TAction::SetAllowAllUp(bool allowAllUp) {
    if (allowAllUp == allowAllUp_) return;
    allowAllUp_ = allowAllUp;
    Changed();
}

void TAction::Update() {
    if (OnUpdate) OnUpdate(*this);
}

bool TAction::Execute() {
    Update();
    if (!enabled_) return false;
    if (OnExecute) OnExecute();
    return true;
}

// ---- TActionList

void TActionList::BitmapDeleter::operator()(HBITMAP bitmap) const {
    if (bitmap) DeleteObject(bitmap);
}

TActionList::TActionList() {
    Lists().push_back(this);
}

TActionList::~TActionList() {
    auto& lists = Lists();
    lists.erase(std::remove(lists.begin(), lists.end(), this), lists.end());
    actions_.clear(); // before the pictures they show
}

TAction* TActionList::Add(std::unique_ptr<TAction> action) {
    action->list_ = this;
    actions_.push_back(std::move(action));
    return actions_.back().get();
}

TAction* TActionList::Add(const TAction::Params& params) {
    return Add(std::make_unique<TAction>(params));
}

void TActionList::Load(const std::vector<ActionRow>& rows) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const ActionRow& row : rows) {
        TAction::Params p;
        p.name = row.name;
        p.caption = row.caption ? row.caption : "";
        p.hint = row.hint ? row.hint : "";
        p.shortcut = row.shortcut;
        p.groupIndex = row.groupIndex;
        p.checked = row.checked;
        p.allowAllUp = row.allowAllUp;
        if (row.picture) {
            p.picture = static_cast<HBITMAP>(
                LoadImageA(instance, row.picture, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
            if (p.picture) pictures_.emplace_back(p.picture);
        }
        Add(p);
    }
}

TAction* TActionList::Find(const std::string& name) const {
    for (auto& a : actions_)
        if (a->Name() == name) return a.get();
    return nullptr;
}

TAction& TActionList::Get(const std::string& name) const {
    if (TAction* action = Find(name)) return *action;
    throw std::logic_error("No action named '" + name + "'");
}

TAction* TActionList::FindShortCut(TShortCut shortcut) const {
    if (!shortcut) return nullptr;
    for (auto& a : actions_)
        if (a->Shortcut() == shortcut && (!a->ShortcutActive || a->ShortcutActive())) return a.get();
    return nullptr;
}

void TActionList::UpdateAll() {
    // By index: an update may add actions.
    for (size_t i = 0; i < actions_.size(); ++i)
        actions_[i]->Update();
}

void UpdateActionLists() {
    auto& lists = Lists();
    for (size_t i = 0; i < lists.size(); ++i)
        lists[i]->UpdateAll();
}

} // namespace tk
