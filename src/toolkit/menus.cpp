#include "toolkit/menus.h"

#include <map>
#include <stdexcept>

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

// The picture on the menu's colour: the glyph's bottom-left pixel colour is transparent.
HBITMAP MakeMenuPicture(HBITMAP glyph) {
    BITMAP bm{};
    if (!glyph || !GetObjectA(glyph, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen), target = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, bm.bmWidth, bm.bmHeight);
    ReleaseDC(nullptr, screen);
    if (picture) {
        HGDIOBJ oldSource = SelectObject(source, glyph), oldTarget = SelectObject(target, picture);
        RECT r{0, 0, bm.bmWidth, bm.bmHeight};
        FillRect(target, &r, GetSysColorBrush(COLOR_MENU));
        COLORREF transparent = GetPixel(source, 0, bm.bmHeight - 1);
        TransparentBlt(target, 0, 0, bm.bmWidth, bm.bmHeight, source, 0, 0, bm.bmWidth, bm.bmHeight,
                       transparent);
        SelectObject(source, oldSource);
        SelectObject(target, oldTarget);
    }
    DeleteDC(source);
    DeleteDC(target);
    return picture;
}

} // namespace

TMenuItem::TMenuItem() = default;

TMenuItem::~TMenuItem() {
    SetAction(nullptr);
    if (command_) Commands().erase(command_);
    if (menuPicture_) DeleteObject(menuPicture_);
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
    if (!shortcut) return nullptr;
    for (auto& item : items_) {
        if (item->shortcut_ == shortcut && !item->IsSeparator()) return item.get();
        if (TMenuItem* found = item->FindShortCut(shortcut)) return found;
    }
    return nullptr;
}

void TMenuItem::Click() {
    if (TAction* action = Action()) {
        action->Execute();
        return;
    }
    if (enabled_ && OnClick) OnClick();
}

void TMenuItem::ActionChanged() {
    TAction* action = Action();
    if (!action) return;
    bool text = false;
    if (!ownCaption_ && caption_ != action->Caption()) {
        caption_ = action->Caption();
        text = true;
    }
    if (!ownShortcut_ && shortcut_ != action->Shortcut()) {
        shortcut_ = action->Shortcut();
        text = true;
    }
    if (text) UpdateText();
    if (enabled_ != action->Enabled() || checked_ != action->Checked()) {
        enabled_ = action->Enabled();
        checked_ = action->Checked();
        UpdateNative();
    }
    UpdatePicture();
}

void TMenuItem::SetCaption(const std::string& caption) {
    ownCaption_ = true;
    caption_ = caption;
    UpdateText();
}

void TMenuItem::SetShortcut(TShortCut shortcut) {
    ownShortcut_ = true;
    shortcut_ = shortcut;
    UpdateText();
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
    UpdatePicture();
}

void TMenuItem::UpdateNative() {
    if (!parentMenu_ || !command_) return;
    EnableMenuItem(parentMenu_, command_, MF_BYCOMMAND | (enabled_ ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(parentMenu_, command_, MF_BYCOMMAND | (checked_ ? MF_CHECKED : MF_UNCHECKED));
}

void TMenuItem::UpdateText() {
    if (!parentMenu_ || !command_ || IsSeparator()) return;
    std::string text = caption_;
    if (shortcut_) text += "\t" + ShortCutToText(shortcut_);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = text.data();
    SetMenuItemInfoA(parentMenu_, command_, FALSE, &info);
}

void TMenuItem::UpdatePicture() {
    HBITMAP source = bitmap_ ? bitmap_ : (pictures_ && Action() ? Action()->Picture() : nullptr);
    if (source != menuPictureSource_) {
        menuPictureSource_ = source;
        HBITMAP old = menuPicture_;
        menuPicture_ = MakeMenuPicture(source);
        ShowPicture();
        if (old) DeleteObject(old);
    }
}

void TMenuItem::ShowPicture() {
    if (!parentMenu_ || !command_) return;
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = menuPicture_;
    SetMenuItemInfoA(parentMenu_, command_, FALSE, &info);
}

void TMenuItem::Build(HMENU parent, bool pictures) {
    for (auto& item : items_) {
        if (!item->visible_) continue;
        item->parentMenu_ = parent;
        item->pictures_ = pictures;
        if (item->IsSeparator()) {
            AppendMenuA(parent, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::string text = item->caption_;
        if (item->shortcut_) text += "\t" + ShortCutToText(item->shortcut_);
        UINT flags = MF_STRING | (item->enabled_ ? 0 : MF_GRAYED) | (item->checked_ ? MF_CHECKED : 0);
        if (!item->items_.empty()) {
            item->subMenu_ = CreatePopupMenu();
            item->Build(item->subMenu_, pictures);
            AppendMenuA(parent, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(item->subMenu_), text.c_str());
        } else {
            if (!item->command_) {
                item->command_ = NextCommand();
                Commands()[item->command_] = item.get();
            }
            AppendMenuA(parent, flags, item->command_, text.c_str());
            item->UpdatePicture();
            item->ShowPicture(); // on the new native item
            if (item->Action() && item->Action()->GroupIndex() != 0 && !item->Action()->AllowAllUp()) {
                // One of a group: a bullet instead of a tick.
                MENUITEMINFOA info{};
                info.cbSize = sizeof info;
                info.fMask = MIIM_FTYPE;
                info.fType = MFT_STRING | MFT_RADIOCHECK;
                SetMenuItemInfoA(parent, item->command_, FALSE, &info);
            }
        }
    }
}

TMenu::~TMenu() {
    if (handle_) DestroyMenu(handle_);
}

void TMenu::Load(const std::vector<MenuRow>& rows, const TActionList* actions) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    std::vector<TMenuItem*> parents; // the last item of each level
    for (const MenuRow& row : rows) {
        auto item = std::make_unique<TMenuItem>();
        item->Name = row.name ? row.name : "";
        if (row.caption) item->SetCaption(row.caption);
        if (row.shortcut) item->SetShortcut(row.shortcut);
        if (row.picture) {
            HBITMAP picture = static_cast<HBITMAP>(
                LoadImageA(instance, row.picture, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
            if (picture) {
                pictures_.emplace_back(picture);
                item->SetBitmap(picture);
            }
        }
        if (row.action) {
            if (!actions)
                throw std::logic_error("Menu item '" + item->Name + "' names an action but no list");
            item->SetAction(&actions->Get(row.action));
        }
        size_t level = static_cast<size_t>(row.level < 0 ? 0 : row.level);
        if (level > parents.size()) level = parents.size(); // a skipped level hangs under the deepest item
        TMenuItem& parent = level == 0 ? root_ : *parents[level - 1];
        parents.resize(level);
        parents.push_back(parent.Add(std::move(item)));
    }
    Rebuild();
}

void TMenu::Rebuild() {
    HMENU old = handle_;
    handle_ = CreateNative();
    root_.Build(handle_, showPictures_);
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
            action->Execute();
            return true;
        }
    }
    return false;
}

} // namespace tk
