#include "toolkit/menus.h"

#include <map>

#include "toolkit/control.h"
#include "toolkit/dialogs.h"
#include "toolkit/form.h"

namespace tk {

namespace {

std::map<UINT, TMenuItem*>& Commands() {
    static std::map<UINT, TMenuItem*> commands;
    return commands;
}

UINT NextCommand() {
    static UINT next = 0x8000;
    if (++next >= 0xF000) next = 0x8001; // stay below the system commands
    while (Commands().count(next)) ++next;
    return next;
}

std::string KeyName(WORD key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
    switch (key) {
    case VK_BACK: return "BkSp";
    case VK_TAB: return "Tab";
    case VK_RETURN: return "Enter";
    case VK_ESCAPE: return "Esc";
    case VK_SPACE: return "Space";
    case VK_PRIOR: return "PgUp";
    case VK_NEXT: return "PgDn";
    case VK_END: return "End";
    case VK_HOME: return "Home";
    case VK_LEFT: return "Left";
    case VK_UP: return "Up";
    case VK_RIGHT: return "Right";
    case VK_DOWN: return "Down";
    case VK_INSERT: return "Ins";
    case VK_DELETE: return "Del";
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

TMenuItem::TMenuItem() = default;

TMenuItem::~TMenuItem() {
    if (command_) Commands().erase(command_);
}

TMenuItem* TMenuItem::FromCommand(UINT command) {
    auto it = Commands().find(command);
    return it == Commands().end() ? nullptr : it->second;
}

TMenuItem* TMenuItem::Add(std::unique_ptr<TMenuItem> item) {
    items_.push_back(std::move(item));
    return items_.back().get();
}

TMenuItem* TMenuItem::Find(const std::string& name) {
    for (auto& item : items_) {
        if (item->Name == name) return item.get();
        if (TMenuItem* found = item->Find(name)) return found;
    }
    return nullptr;
}

TMenuItem* TMenuItem::FindShortCut(TShortCut shortcut) {
    for (auto& item : items_) {
        if (item->Shortcut == shortcut && item->Caption != "-") return item.get();
        if (TMenuItem* found = item->FindShortCut(shortcut)) return found;
    }
    return nullptr;
}

void TMenuItem::Click() {
    if (enabled_ && OnClick) OnClick();
}

void TMenuItem::SetEnabled(bool enabled) {
    enabled_ = enabled;
    UpdateNative();
}

void TMenuItem::SetChecked(bool checked) {
    checked_ = checked;
    UpdateNative();
}

void TMenuItem::SetVisible(bool visible) { visible_ = visible; }

void TMenuItem::SetBitmap(HBITMAP bitmap) {
    bitmap_ = bitmap;
    UpdateNative();
}

void TMenuItem::UpdateNative() {
    if (!parentMenu_ || !command_) return;
    EnableMenuItem(parentMenu_, command_, MF_BYCOMMAND | (enabled_ ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(parentMenu_, command_, MF_BYCOMMAND | (checked_ ? MF_CHECKED : MF_UNCHECKED));
    if (bitmap_) SetMenuItemBitmaps(parentMenu_, command_, MF_BYCOMMAND, bitmap_, bitmap_);
}

void TMenuItem::Build(HMENU parent) {
    for (auto& item : items_) {
        if (!item->visible_) continue;
        item->parentMenu_ = parent;
        if (item->Caption == "-") {
            AppendMenuA(parent, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::string text = item->Caption;
        if (item->Shortcut) text += "\t" + ShortCutToText(item->Shortcut);
        UINT flags = MF_STRING | (item->enabled_ ? 0 : MF_GRAYED) | (item->checked_ ? MF_CHECKED : 0);
        if (!item->items_.empty()) {
            item->subMenu_ = CreatePopupMenu();
            item->Build(item->subMenu_);
            AppendMenuA(parent, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(item->subMenu_), text.c_str());
        } else {
            if (!item->command_) {
                item->command_ = NextCommand();
                Commands()[item->command_] = item.get();
            }
            AppendMenuA(parent, flags, item->command_, text.c_str());
            if (item->bitmap_) SetMenuItemBitmaps(parent, item->command_, MF_BYCOMMAND, item->bitmap_, item->bitmap_);
        }
    }
}

TMenu::~TMenu() {
    if (handle_) DestroyMenu(handle_);
}

void TMenu::Load(const std::vector<MenuRow>& rows) {
    TMenuItem* lastTop = nullptr;
    for (const MenuRow& row : rows) {
        auto item = std::make_unique<TMenuItem>();
        item->Name = row.name ? row.name : "";
        item->Caption = row.caption;
        item->Shortcut = row.shortcut;
        if (row.level == 0 || !lastTop) {
            lastTop = root_.Add(std::move(item));
        } else {
            lastTop->Add(std::move(item));
        }
    }
    Rebuild();
}

void TMenu::Rebuild() {
    HMENU old = handle_;
    handle_ = CreateNative();
    root_.Build(handle_);
    if (old) {
        // Detach the submenus of the old handle before destroying it: they were rebuilt.
        while (GetMenuItemCount(old) > 0) RemoveMenu(old, 0, MF_BYPOSITION);
        DestroyMenu(old);
    }
}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup();
    if (!handle_) Rebuild();
    PopupRequest request;
    request.owner = Owner ? Owner : GetActiveWindow();
    request.menu = this;
    request.x = x;
    request.y = y;
    UINT command = CurrentDialogs().PopupMenu(request);
    if (command) {
        if (TMenuItem* item = TMenuItem::FromCommand(command)) item->Click();
    }
}

TAction* TActionList::Add(std::unique_ptr<TAction> action) {
    actions_.push_back(std::move(action));
    return actions_.back().get();
}

TAction* TActionList::Find(const std::string& name) {
    for (auto& a : actions_)
        if (a->Name == name) return a.get();
    return nullptr;
}

TAction* TActionList::FindShortCut(TShortCut shortcut) {
    for (auto& a : actions_)
        if (a->Shortcut == shortcut) return a.get();
    return nullptr;
}

TShortCut ShortCutFromKey(WPARAM key) {
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU || key == 0) return 0;
    TShortCut shortcut = static_cast<TShortCut>(key & 0xFF);
    if (GetKeyState(VK_SHIFT) < 0) shortcut |= scShift;
    if (GetKeyState(VK_CONTROL) < 0) shortcut |= scCtrl;
    if (GetKeyState(VK_MENU) < 0) shortcut |= scAlt;
    return shortcut;
}

bool ResolveShortCut(TForm& form, HWND focus, TShortCut shortcut) {
    if (!shortcut) return false;
    // The focused control's pop-up menu, then its parents'.
    for (HWND h = focus; h; h = GetParent(h)) {
        auto* control = dynamic_cast<TControl*>(TWindow::FromHandle(h));
        if (control && control->PopupMenu()) {
            if (TMenuItem* item = control->PopupMenu()->FindShortCut(shortcut)) {
                item->Click();
                return true;
            }
        }
        if (h == form.Handle()) break;
    }
    if (form.Menu()) {
        if (TMenuItem* item = form.Menu()->FindShortCut(shortcut)) {
            item->Click();
            return true;
        }
    }
    if (form.Actions()) {
        if (TAction* action = form.Actions()->FindShortCut(shortcut)) {
            if (action->OnUpdate) action->OnUpdate(*action);
            if (action->Enabled && action->OnExecute) action->OnExecute();
            return true;
        }
    }
    return false;
}

} // namespace tk
