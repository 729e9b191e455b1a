#include "app/messages.h"

#include "toolkit/application.h"
#include "toolkit/dialogs.h"
#include "toolkit/exceptions.h"
#include "toolkit/form.h"

namespace velmora::app {

namespace {
const WORD kTurkish = MAKELANGID(0x1F, SUBLANG_NEUTRAL);
}

int Mesaj_(const std::string& text) {
    return tk::ShowMessageBox(GetActiveWindow(), text, "Dikkat!", MB_YESNO | MB_ICONQUESTION, kTurkish);
}

void ErrorMesaj_(const std::string& text) {
    tk::ShowMessageBox(GetActiveWindow(), text, "Dikkat!", MB_OK | MB_ICONSTOP, kTurkish);
    tk::Abort();
}

INT_PTR ExecuteFile(const std::string& verb, const std::string& file, const std::string& parameters,
                    const std::string& folder, int showCommand) {
    tk::ShellExecuteRequest request;
    tk::TForm* main = tk::Application().MainForm();
    request.owner = main ? main->Handle() : nullptr;
    request.verb = verb;
    request.file = file;
    request.parameters = parameters;
    request.directory = folder;
    request.showCommand = showCommand;
    INT_PTR result = tk::CurrentDialogs().Execute(request);
    if (result <= 32) tk::ShowError("Bu dosya işletilemedi.  " + file);
    return result;
}

} // namespace velmora::app
