#include "support/scripted_dialogs.h"

namespace testing_support {

ScriptedDialogs::ScriptedDialogs() { tk::SetDialogs(this); }
ScriptedDialogs::~ScriptedDialogs() { tk::SetDialogs(nullptr); }

int ScriptedDialogs::Message(const tk::MessageRequest& r) {
    DialogCall call;
    call.kind = "message";
    call.caption = r.caption;
    call.text = r.text;
    call.flags = r.flags;
    call.languageId = r.languageId;
    calls_.push_back(call);
    if (!messageAnswers_.empty()) {
        int answer = messageAnswers_.front();
        messageAnswers_.pop_front();
        return answer;
    }
    switch (r.flags & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL: return IDYES;
    default: return IDOK;
    }
}

bool ScriptedDialogs::InputQuery(const tk::InputRequest& r, std::string& value) {
    DialogCall call;
    call.kind = "input";
    call.caption = r.caption;
    call.text = r.prompt;
    call.offered = value;
    calls_.push_back(call);
    if (inputAnswers_.empty()) return false;
    auto [ok, text] = inputAnswers_.front();
    inputAnswers_.pop_front();
    if (ok) value = text;
    return ok;
}

INT_PTR ScriptedDialogs::Execute(const tk::ShellExecuteRequest& r) {
    DialogCall call;
    call.kind = "shell";
    call.text = r.file;
    call.verb = r.verb;
    call.parameters = r.parameters;
    call.directory = r.directory;
    call.showCommand = r.showCommand;
    calls_.push_back(call);
    if (shellAnswers_.empty()) return 42;
    INT_PTR answer = shellAnswers_.front();
    shellAnswers_.pop_front();
    return answer;
}

bool ScriptedDialogs::BrowseForFolder(const tk::FolderRequest& r, std::string& folder) {
    DialogCall call;
    call.kind = "folder";
    call.text = r.title;
    calls_.push_back(call);
    if (folderAnswers_.empty()) return false;
    auto [ok, path] = folderAnswers_.front();
    folderAnswers_.pop_front();
    if (ok) folder = path;
    return ok;
}

} // namespace testing_support
