// A dialogs responder for tests: records every modal interaction and answers
// from a script, so no test ever blocks on a real box.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "toolkit/dialogs.h"

namespace testing_support {

struct DialogCall {
    std::string kind; // "message", "input", "shell", "folder"
    std::string caption;
    std::string text;      // message text, input prompt, shell file, folder title
    std::string offered;   // input: the text the box showed at first
    UINT flags = 0;        // message box flags
    WORD languageId = 0;
    std::string verb, parameters, directory; // shell execution
    int showCommand = 0;
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

    const std::vector<DialogCall>& Calls() const { return calls_; }
    void Clear() { calls_.clear(); }

    int Message(const tk::MessageRequest& request) override;
    bool InputQuery(const tk::InputRequest& request, std::string& value) override;
    INT_PTR Execute(const tk::ShellExecuteRequest& request) override;
    bool BrowseForFolder(const tk::FolderRequest& request, std::string& folder) override;

private:
    std::vector<DialogCall> calls_;
    std::deque<int> messageAnswers_;
    std::deque<std::pair<bool, std::string>> inputAnswers_;
    std::deque<INT_PTR> shellAnswers_;
    std::deque<std::pair<bool, std::string>> folderAnswers_;
};

} // namespace testing_support
