#include "app/messages.h"

#include "explorer/shell_utils.h"
#include "toolkit/dialogs.h"
#include "toolkit/exceptions.h"

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
    // The file explorer's operation of the same name does exactly this.
    return explorer::ExecuteFile(verb, file, parameters, folder, showCommand);
}

} // namespace velmora::app
