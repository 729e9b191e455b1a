// A dialogs responder for tests: records every modal interaction and answers
// from a script, so no test ever blocks on a real box.
#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/dialogs.h"
#include "toolkit/form.h"

namespace testing_support {

struct DialogCall {
    // "message", "input", "shell", "folder", "modal", "font", "color",
    // "printsetup", "print", "popup", "find"
    std::string kind;
    std::string caption; // message caption; modal: the form's caption
    std::string text;    // message text, input prompt, shell file, folder title, find text
    std::string offered; // input: the text the box showed at first
    UINT flags = 0;      // message box flags; find: FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD | FR_HIDE*
    WORD languageId = 0;
    std::string verb, parameters, directory; // shell execution
    int showCommand = 0;
    HWND owner = nullptr;
    tk::TForm* form = nullptr;      // modal
    tk::FontRequest font;           // font
    tk::ColorRequest color;         // color
    tk::PrintRequest print;         // printsetup, print
    POINT at{0, 0};                 // popup: the screen point
    std::vector<std::string> items; // popup: names of the menu's visible items, in order
};

class ScriptedDialogs;

// The find session a scripted BeginFind returns: the test plays the user.
class ScriptedFindSession : public tk::FindSession {
public:
    ScriptedFindSession(ScriptedDialogs& owner, tk::FindHandlers handlers);
    ~ScriptedFindSession() override;
    bool Active() const override { return active_; }
    void Close() override { active_ = false; }
    HWND Window() const override { return nullptr; }

    // "Find next" pressed with these settings.
    void FindNext(const tk::FindEvent& event);
    // The user closes the dialog.
    void UserCloses();

private:
    friend class ScriptedDialogs;
    ScriptedDialogs* owner_;
    tk::FindHandlers handlers_;
    bool active_ = true;
};

class ScriptedDialogs : public tk::Dialogs {
public:
    // Installs itself as the current dialogs; the destructor restores the real ones.
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // Answers used in order; when none is left, message boxes answer their first
    // button (IDOK / IDYES), inputs are cancelled, shell calls succeed (42).
    void AnswerMessage(int button) { messageAnswers_.push_back(button); }
    void AnswerInput(bool ok, const std::string& value) { inputAnswers_.push_back({ok, value}); }
    void AnswerShell(INT_PTR result) { shellAnswers_.push_back(result); }
    void AnswerFolder(bool ok, const std::string& folder) { folderAnswers_.push_back({ok, folder}); }
    // Own modal forms: the function plays the user (sets the form's controls)
    // and returns the modal result. Unscripted forms answer IDCANCEL.
    void AnswerModal(std::function<int(tk::TForm&)> user) { modalAnswers_.push_back(std::move(user)); }
    // Font, colour and printer dialogs: `false` cancels. Unscripted ones are cancelled.
    void AnswerFont(bool ok, const tk::FontAnswer& answer = {}) { fontAnswers_.push_back({ok, answer}); }
    void AnswerColor(bool ok, COLORREF color = 0) { colorAnswers_.push_back({ok, color}); }
    // Printer answers: the DC (if any) is handed to the program, which owns it then.
    void AnswerPrint(bool ok, std::function<void(tk::PrintAnswer&)> fill = {}) {
        printAnswers_.push_back({ok, std::move(fill)});
    }
    // Pop-up menus: the name of the item the user picks; "" dismisses the menu.
    void AnswerPopup(const std::string& itemName) { popupAnswers_.push_back(itemName); }
    // Runs while a pop-up menu is open (before it is answered).
    std::function<void()> WhilePopupOpen;
    // The find session open now (the last one begun), or null.
    ScriptedFindSession* Find() const { return find_; }

    const std::vector<DialogCall>& Calls() const { return calls_; }
    // The calls of one kind ("message", "shell", ...), in order.
    std::vector<DialogCall> Calls(const std::string& kind) const;
    // The texts of the calls of one kind: the message boxes' texts, say.
    std::vector<std::string> Texts(const std::string& kind) const;
    void Clear() { calls_.clear(); }

    int Message(const tk::MessageRequest& request) override;
    bool InputQuery(const tk::InputRequest& request, std::string& value) override;
    INT_PTR Execute(const tk::ShellExecuteRequest& request) override;
    bool BrowseForFolder(const tk::FolderRequest& request, std::string& folder) override;
    int ShowModal(tk::TForm& form) override;
    bool FontDialog(const tk::FontRequest& request, tk::FontAnswer& answer) override;
    bool ColorDialog(const tk::ColorRequest& request, tk::ColorAnswer& answer) override;
    bool PrintSetupDialog(const tk::PrintRequest& request, tk::PrintAnswer& answer) override;
    bool PrintDialog(const tk::PrintRequest& request, tk::PrintAnswer& answer) override;
    UINT PopupMenu(const tk::PopupRequest& request) override;
    std::unique_ptr<tk::FindSession> BeginFind(const tk::FindRequest& request,
                                               tk::FindHandlers handlers) override;

private:
    friend class ScriptedFindSession;
    bool Print(const char* kind, const tk::PrintRequest& request, tk::PrintAnswer& answer);

    std::vector<DialogCall> calls_;
    std::deque<int> messageAnswers_;
    std::deque<std::pair<bool, std::string>> inputAnswers_;
    std::deque<INT_PTR> shellAnswers_;
    std::deque<std::pair<bool, std::string>> folderAnswers_;
    std::deque<std::function<int(tk::TForm&)>> modalAnswers_;
    std::deque<std::pair<bool, tk::FontAnswer>> fontAnswers_;
    std::deque<std::pair<bool, COLORREF>> colorAnswers_;
    std::deque<std::pair<bool, std::function<void(tk::PrintAnswer&)>>> printAnswers_;
    std::deque<std::string> popupAnswers_;
    ScriptedFindSession* find_ = nullptr;
};

} // namespace testing_support
