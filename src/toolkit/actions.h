// Actions: the unit of command. An action carries a command's caption,
// shortcut, hint, picture and state; the menu items and buttons bound to it
// show that state and run the action when clicked. Each state change goes
// through a setter that tells every bound client. Enabling and checking are
// kept current by each action's OnUpdate, which the application runs for every
// action list whenever its message queue empties.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace tk {

// A shortcut: virtual key | scShift | scCtrl | scAlt.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut ShortCut(WORD key, TShortCut modifiers = 0) {
    return static_cast<TShortCut>(key | modifiers);
}
// "Ctrl+X", "F3", "Ctrl+Shift+1".
std::string ShortCutToText(TShortCut shortcut);

class TAction;
class TActionList;

// Something that shows an action: a menu item, a speed button.
class TActionClient {
public:
    TActionClient(const TActionClient&) = delete;
    TActionClient& operator=(const TActionClient&) = delete;

    TAction* Action() const { return action_; }
    // Binds the action (nullptr unbinds) and takes its state at once.
    void SetAction(TAction* action);

protected:
    TActionClient() = default;
    ~TActionClient();
    // The bound action's state changed, or an action was bound.
    virtual void ActionChanged() = 0;

private:
    friend class TAction;
    TAction* action_ = nullptr;
};

class TAction {
public:
    struct Params {
        std::string name{};
        std::string caption{};
        std::string hint{};
        TShortCut shortcut = 0;
        HBITMAP picture = nullptr; // not owned
        int groupIndex = 0;        // checking one action of a group unchecks the others of its list
        bool allowAllUp = false;   // a checked button of the group may be clicked up again
        bool checked = false;
        bool enabled = true;
    };
    TAction() = default;
    explicit TAction(const Params& params);
    TAction(const TAction&) = delete;
    TAction& operator=(const TAction&) = delete;
    ~TAction();

    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    TShortCut Shortcut() const { return shortcut_; }
    void SetShortcut(TShortCut shortcut);
    HBITMAP Picture() const { return picture_; }
    void SetPicture(HBITMAP picture);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int groupIndex);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool allowAllUp);

    TActionList* ActionList() const { return list_; }
    const std::vector<TActionClient*>& Clients() const { return clients_; }

    // Runs OnUpdate, if any.
    void Update();
    // Update, then OnExecute when the action is enabled; true when it ran.
    bool Execute();

    std::function<void()> OnExecute;
    // Sets Enabled/Checked from the program's state; runs at idle and before each execution.
    std::function<void(TAction&)> OnUpdate;
    // When set, the list claims the action's shortcut only while this answers
    // true: keys meant for one control (its edit keys) stay with the others
    // elsewhere. Menu items bound to the action still claim it.
    std::function<bool()> ShortcutActive;

private:
    friend class TActionClient;
    friend class TActionList;
    void Changed();

    std::string name_, caption_, hint_;
    TShortCut shortcut_ = 0;
    HBITMAP picture_ = nullptr;
    int groupIndex_ = 0;
    bool allowAllUp_ = false, checked_ = false, enabled_ = true;
    TActionList* list_ = nullptr;
    std::vector<TActionClient*> clients_;
};

// One row of an action table.
struct ActionRow {
    const char* name;
    const char* caption;
    const char* hint = "";
    TShortCut shortcut = 0;
    const char* picture = nullptr; // a bitmap resource of the program (16x16, bottom-left pixel transparent)
    int groupIndex = 0;
    bool checked = false;
    bool allowAllUp = false;
};

class TActionList {
public:
    TActionList();
    TActionList(const TActionList&) = delete;
    TActionList& operator=(const TActionList&) = delete;
    ~TActionList();

    TAction* Add(std::unique_ptr<TAction> action);
    TAction* Add(const TAction::Params& params);
    // Adds the table's actions in order, with their pictures loaded from the
    // program's resources (owned by the list).
    void Load(const std::vector<ActionRow>& rows);
    TAction* Find(const std::string& name) const;
    // The named action; a name that is not in the list is a programming error
    // (std::logic_error), so a misspelt table fails at once instead of silently.
    TAction& Get(const std::string& name) const;
    // The action claiming the shortcut now (see TAction::ShortcutActive).
    TAction* FindShortCut(TShortCut shortcut) const;
    const std::vector<std::unique_ptr<TAction>>& Actions() const { return actions_; }

    // Runs every action's OnUpdate.
    void UpdateAll();

private:
    struct BitmapDeleter {
        void operator()(HBITMAP bitmap) const;
    };
    std::vector<std::unique_ptr<TAction>> actions_;
    std::vector<std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>> pictures_;
};

// Runs UpdateAll on every action list that exists (the application's idle step).
void UpdateActionLists();

} // namespace tk
