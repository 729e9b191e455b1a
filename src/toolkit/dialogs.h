// The one seam for every modal interaction and shell execution. The program uses
// Win32Dialogs; tests install a scripted responder (tests/support) instead.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tk {

struct MessageRequest {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT flags = MB_OK;   // MB_* buttons and icon
    WORD languageId = 0;  // MAKELANGID value passed to MessageBoxEx; 0 = default
};

struct InputRequest {
    std::string caption;
    std::string prompt;
};

struct ShellExecuteRequest {
    HWND owner = nullptr;
    std::string verb, file, parameters, directory;
    int showCommand = SW_SHOWNORMAL;
};

struct FolderRequest {
    HWND owner = nullptr;
    std::string title;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Returns the button pressed (IDOK, IDYES, IDNO, ...).
    virtual int Message(const MessageRequest& request) = 0;
    // The one-line input box; false when cancelled, value holds the text.
    virtual bool InputQuery(const InputRequest& request, std::string& value) = 0;
    // Returns the shell's result code (greater than 32 on success).
    virtual INT_PTR Execute(const ShellExecuteRequest& request) = 0;
    // Folder browser; false when cancelled.
    virtual bool BrowseForFolder(const FolderRequest& request, std::string& folder) = 0;
};

// The dialogs in force; the Win32 implementation unless a test replaced it.
Dialogs& CurrentDialogs();
// Installs another implementation (nullptr restores the Win32 one). Not owned.
void SetDialogs(Dialogs* dialogs);

// Shortcuts used throughout the program.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags,
                   WORD languageId = 0);
// The toolkit's standard error dialog: caption "Error", error icon, OK.
void ShowError(const std::string& text);
// The toolkit's standard information dialog: caption "Information", information icon, OK.
void ShowInformation(const std::string& text);
// The toolkit's standard warning dialog: caption "Warning", warning icon, OK.
void ShowWarning(const std::string& text);

} // namespace tk
