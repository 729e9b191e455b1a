// Menus and pop-up menus built from tables, and the one place where keyboard
// shortcuts are resolved: the focused control's pop-up menu and its parents',
// then the form's main menu, then its action list.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/actions.h"

namespace tk {

class TControl;
class TForm;

// A menu item. An item bound to an action shows the action's caption,
// shortcut, enabled and checked state (and picture, in menus that show
// pictures) and runs it when clicked; an own caption or shortcut given to the
// item is kept over the action's.
class TMenuItem : public TActionClient {
public:
    TMenuItem();
    ~TMenuItem();

    std::string Name;
    // Runs on a click of an item without an action.
    std::function<void()> OnClick;

    const std::string& Caption() const { return caption_; } // "-" is a separator
    void SetCaption(const std::string& caption);
    bool IsSeparator() const { return caption_ == "-"; }
    TShortCut Shortcut() const { return shortcut_; }
    void SetShortcut(TShortCut shortcut);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // An own picture (not owned), kept over the action's.
    void SetBitmap(HBITMAP bitmap);
    // The picture the native item shows (made from the item's or the action's), if any.
    HBITMAP ShownPicture() const { return menuPicture_; }

    TMenuItem* Add(std::unique_ptr<TMenuItem> item);
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
    TMenuItem* Find(const std::string& name);
    TMenuItem* FindShortCut(TShortCut shortcut);
    UINT Command() const { return command_; }
    // Runs the action (which checks its own state first), or OnClick when enabled.
    void Click();

    // The item that owns a menu command id, if any.
    static TMenuItem* FromCommand(UINT command);

protected:
    void ActionChanged() override;

private:
    friend class TMenu;
    void Build(HMENU parent, bool pictures);
    void UpdateNative();
    void UpdateText();
    void UpdatePicture();
    void ShowPicture();

    std::vector<std::unique_ptr<TMenuItem>> items_;
    std::string caption_;
    TShortCut shortcut_ = 0;
    bool enabled_ = true, checked_ = false, visible_ = true;
    bool ownCaption_ = false, ownShortcut_ = false;
    bool pictures_ = false; // the menu shows pictures of actions
    HBITMAP bitmap_ = nullptr;
    HBITMAP menuPicture_ = nullptr; // owned: the picture on the menu's colour
    HBITMAP menuPictureSource_ = nullptr;
    UINT command_ = 0;
    HMENU parentMenu_ = nullptr;
    HMENU subMenu_ = nullptr;
};

// One row of a menu table. An item's parent is the nearest row above it one
// level up (level 0 items are the menu's own).
struct MenuRow {
    int level;
    const char* name;
    const char* caption = nullptr; // nullptr: the action's; "-" a separator
    TShortCut shortcut = 0;        // 0: the action's
    const char* action = nullptr;  // the action the item shows and runs
    const char* picture = nullptr; // a bitmap resource of the program; nullptr: the action's
};

class TMenu {
public:
    virtual ~TMenu();
    TMenuItem& Root() { return root_; }
    TMenuItem* Find(const std::string& name) { return root_.Find(name); }
    TMenuItem* FindShortCut(TShortCut shortcut) { return root_.FindShortCut(shortcut); }
    // Fills the menu from a table (items appended in order); the rows' actions
    // are looked up in `actions` (a missing one is a std::logic_error).
    void Load(const std::vector<MenuRow>& rows, const TActionList* actions = nullptr);
    // Whether items show their actions' pictures (off: only pictures given to the items).
    bool ShowPictures() const { return showPictures_; }
    void SetShowPictures(bool show) { showPictures_ = show; }
    HMENU Handle() const { return handle_; }
    // (Re)creates the native menu from the items.
    void Rebuild();

protected:
    virtual HMENU CreateNative() = 0;
    TMenuItem root_;
    HMENU handle_ = nullptr;

private:
    struct BitmapDeleter {
        void operator()(HBITMAP bitmap) const {
            if (bitmap) DeleteObject(bitmap);
        }
    };
    std::vector<std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>> pictures_;
    bool showPictures_ = false;
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

// The shortcut a key message stands for (0 for plain keys without Ctrl/Alt that
// are not function keys, so typing is never taken).
TShortCut ShortCutFromKey(WPARAM key);

// Resolves a key message for a form: returns true when a menu item or action
// claimed the shortcut (a disabled item claims it and does nothing).
bool ResolveShortCut(TForm& form, HWND focus, TShortCut shortcut);

} // namespace tk
