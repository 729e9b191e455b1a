// Menus, pop-up menus and action lists built from tables, and the one place
// where keyboard shortcuts are resolved: the focused control's pop-up menu and
// its parents', then the form's main menu, then its action list.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tk {

class TControl;
class TForm;

// A shortcut: virtual key | scShift | scCtrl | scAlt.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut ShortCut(WORD key, TShortCut modifiers = 0) { return static_cast<TShortCut>(key | modifiers); }
// "Ctrl+X", "F3", "Ctrl+Shift+1".
std::string ShortCutToText(TShortCut shortcut);

class TMenuItem {
public:
    std::string Name;
    std::string Caption; // "-" is a separator
    TShortCut Shortcut = 0;
    std::function<void()> OnClick;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void SetBitmap(HBITMAP bitmap); // not owned

    TMenuItem* Add(std::unique_ptr<TMenuItem> item);
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
    TMenuItem* Find(const std::string& name);
    TMenuItem* FindShortCut(TShortCut shortcut);
    UINT Command() const { return command_; }
    // Runs OnClick when enabled.
    void Click();

    // The item that owns a menu command id, if any.
    static TMenuItem* FromCommand(UINT command);

    TMenuItem();
    ~TMenuItem();

private:
    friend class TMenu;
    void Build(HMENU parent);
    void UpdateNative();

    std::vector<std::unique_ptr<TMenuItem>> items_;
    bool enabled_ = true, checked_ = false, visible_ = true;
    HBITMAP bitmap_ = nullptr;
    UINT command_ = 0;
    HMENU parentMenu_ = nullptr;
    HMENU subMenu_ = nullptr;
};

// One row of a menu table: level 0 items are the menu's own; level 1 their children.
struct MenuRow {
    int level;
    const char* name;
    const char* caption;
    TShortCut shortcut = 0;
};

class TMenu {
public:
    virtual ~TMenu();
    TMenuItem& Root() { return root_; }
    TMenuItem* Find(const std::string& name) { return root_.Find(name); }
    TMenuItem* FindShortCut(TShortCut shortcut) { return root_.FindShortCut(shortcut); }
    // Fills the menu from a table (items appended in order).
    void Load(const std::vector<MenuRow>& rows);
    HMENU Handle() const { return handle_; }
    // (Re)creates the native menu from the items.
    void Rebuild();

protected:
    virtual HMENU CreateNative() = 0;
    TMenuItem root_;
    HMENU handle_ = nullptr;
};

class TMainMenu : public TMenu {
protected:
    HMENU CreateNative() override { return CreateMenu(); }
};

class TPopupMenu : public TMenu {
public:
    // Shows the menu at a screen point and runs the chosen item; the choice
    // comes through the dialogs seam (TrackPopupMenu blocks).
    virtual void Popup(int x, int y);
    std::function<void()> OnPopup;
    HWND Owner = nullptr;

protected:
    HMENU CreateNative() override { return CreatePopupMenu(); }
};

class TAction {
public:
    std::string Name;
    std::string Caption;
    TShortCut Shortcut = 0;
    bool Enabled = true;
    std::function<void()> OnExecute;
    std::function<void(TAction&)> OnUpdate;
};

class TActionList {
public:
    TAction* Add(std::unique_ptr<TAction> action);
    TAction* Find(const std::string& name);
    TAction* FindShortCut(TShortCut shortcut);
    const std::vector<std::unique_ptr<TAction>>& Actions() const { return actions_; }

private:
    std::vector<std::unique_ptr<TAction>> actions_;
};

// The shortcut a key message stands for (0 for plain keys without Ctrl/Alt that
// are not function keys, so typing is never taken).
TShortCut ShortCutFromKey(WPARAM key);

// Resolves a key message for a form: returns true when a menu item or action
// claimed the shortcut (a disabled item claims it and does nothing).
bool ResolveShortCut(TForm& form, HWND focus, TShortCut shortcut);

} // namespace tk
