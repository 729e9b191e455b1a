// The program's message-box conventions and shell execution.
#pragma once
#include <windows.h>

#include <string>

namespace velmora::app {

// Yes/No question titled "Dikkat!", question icon, Turkish language id; 6 = Yes, 7 = No.
int Mesaj_(const std::string& text);
// The same box with a stop icon and OK; then the silent abort.
[[noreturn]] void ErrorMesaj_(const std::string& text);
// Asks the shell to perform the verb; a result of 32 or less shows the error box.
INT_PTR ExecuteFile(const std::string& verb, const std::string& file, const std::string& parameters,
                    const std::string& folder, int showCommand);

} // namespace velmora::app
