#include "support/scripted_dialogs.h"

#include <commdlg.h>

#include "toolkit/menus.h"

namespace testing_support {

ScriptedDialogs::ScriptedDialogs() {
    tk::SetDialogs(this);
}
ScriptedDialogs::~ScriptedDialogs() {
    if (find_) find_->owner_ = nullptr;
    tk::SetDialogs(nullptr);
}

std::vector<DialogCall> ScriptedDialogs::Calls(const std::string& kind) const {
    std::vector<DialogCall> calls;
    for (const DialogCall& call : calls_)
        if (call.kind == kind) calls.push_back(call);
    return calls;
}

std::vector<std::string> ScriptedDialogs::Texts(const std::string& kind) const {
    std::vector<std::string> texts;
    for (const DialogCall& call : calls_)
        if (call.kind == kind) texts.push_back(call.text);
    return texts;
}

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
    case MB_YESNOCANCEL:
        return IDYES;
    default:
        return IDOK;
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

int ScriptedDialogs::ShowModal(tk::TForm& form) {
    DialogCall call;
    call.kind = "modal";
    call.caption = form.Caption();
    call.form = &form;
    calls_.push_back(call);
    int result = IDCANCEL;
    if (!modalAnswers_.empty()) {
        auto user = std::move(modalAnswers_.front());
        modalAnswers_.pop_front();
        form.SetModalResult(0);
        result = user(form);
    }
    form.SetModalResult(result);
    return result;
}

bool ScriptedDialogs::FontDialog(const tk::FontRequest& request, tk::FontAnswer& answer) {
    DialogCall call;
    call.kind = "font";
    call.owner = request.owner;
    call.font = request;
    calls_.push_back(call);
    if (fontAnswers_.empty()) return false;
    auto [ok, scripted] = fontAnswers_.front();
    fontAnswers_.pop_front();
    if (ok) answer = scripted;
    return ok;
}

bool ScriptedDialogs::ColorDialog(const tk::ColorRequest& request, tk::ColorAnswer& answer) {
    DialogCall call;
    call.kind = "color";
    call.owner = request.owner;
    call.color = request;
    calls_.push_back(call);
    if (colorAnswers_.empty()) return false;
    auto [ok, color] = colorAnswers_.front();
    colorAnswers_.pop_front();
    if (ok) answer.color = color;
    return ok;
}

bool ScriptedDialogs::Print(const char* kind, const tk::PrintRequest& request, tk::PrintAnswer& answer) {
    DialogCall call;
    call.kind = kind;
    call.owner = request.owner;
    call.print = request;
    calls_.push_back(call);
    if (printAnswers_.empty()) return false;
    auto [ok, fill] = std::move(printAnswers_.front());
    printAnswers_.pop_front();
    if (ok && fill) fill(answer);
    return ok;
}

bool ScriptedDialogs::PrintSetupDialog(const tk::PrintRequest& request, tk::PrintAnswer& answer) {
    return Print("printsetup", request, answer);
}

bool ScriptedDialogs::PrintDialog(const tk::PrintRequest& request, tk::PrintAnswer& answer) {
    return Print("print", request, answer);
}

UINT ScriptedDialogs::PopupMenu(const tk::PopupRequest& request) {
    DialogCall call;
    call.kind = "popup";
    call.owner = request.owner;
    call.at = POINT{request.x, request.y};
    if (request.menu) {
        for (const auto& item : request.menu->Root().Items())
            if (item->Visible()) call.items.push_back(item->Name);
    }
    calls_.push_back(call);
    if (WhilePopupOpen) WhilePopupOpen();
    if (popupAnswers_.empty()) return 0;
    std::string name = popupAnswers_.front();
    popupAnswers_.pop_front();
    if (name.empty() || !request.menu) return 0;
    tk::TMenuItem* item = request.menu->Find(name);
    return item ? item->Command() : 0;
}

std::unique_ptr<tk::FindSession> ScriptedDialogs::BeginFind(const tk::FindRequest& request,
                                                            tk::FindHandlers handlers) {
    DialogCall call;
    call.kind = "find";
    call.owner = request.owner;
    call.text = request.text;
    call.flags = (request.down ? FR_DOWN : 0) | (request.matchCase ? FR_MATCHCASE : 0) |
                 (request.wholeWord ? FR_WHOLEWORD : 0) | (request.hideUpDown ? FR_HIDEUPDOWN : 0) |
                 (request.hideMatchCase ? FR_HIDEMATCHCASE : 0) |
                 (request.hideWholeWord ? FR_HIDEWHOLEWORD : 0);
    calls_.push_back(call);
    return std::make_unique<ScriptedFindSession>(*this, std::move(handlers));
}

ScriptedFindSession::ScriptedFindSession(ScriptedDialogs& owner, tk::FindHandlers handlers)
    : owner_(&owner), handlers_(std::move(handlers)) {
    owner.find_ = this;
}

ScriptedFindSession::~ScriptedFindSession() {
    if (owner_ && owner_->find_ == this) owner_->find_ = nullptr;
}

void ScriptedFindSession::FindNext(const tk::FindEvent& event) {
    if (!active_) return;
    auto onFind = handlers_.onFind;
    if (onFind) onFind(event);
}

void ScriptedFindSession::UserCloses() {
    if (!active_) return;
    active_ = false;
    auto onClose = handlers_.onClose;
    if (onClose) onClose();
}

} // namespace testing_support
