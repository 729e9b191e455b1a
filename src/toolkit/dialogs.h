// The one seam for every modal interaction and shell execution. The program uses
// Win32Dialogs; tests install a scripted responder (tests/support) instead.
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/gdi.h"

namespace tk {

class TForm;
class TPopupMenu;

struct MessageRequest {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT flags = MB_OK;  // MB_* buttons and icon
    WORD languageId = 0; // MAKELANGID value passed to MessageBoxEx; 0 = default
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

// The font dialog: the font shown at first and what may be chosen.
struct FontRequest {
    HWND owner = nullptr;
    LOGFONTA font{};     // lfHeight in the screen's pixels
    COLORREF color = 0;  // with effects
    bool effects = true; // underline, strike-out and colour offered
    bool fixedPitchOnly = false;
    int minPoints = 0, maxPoints = 0; // 0: no limit
};
struct FontAnswer {
    LOGFONTA font{};
    COLORREF color = 0;
    int points = 0; // the chosen size in points
};

struct ColorRequest {
    HWND owner = nullptr;
    COLORREF color = 0;
    bool fullOpen = false; // the custom colour part shown at once
};
struct ColorAnswer {
    COLORREF color = 0;
};

// Print setup and print dialogs. The printer chosen last is remembered by the
// seam and offered next time, as the one printer of the program.
enum class TPrintRange { prAllPages, prSelection, prPageNums };
struct PrintRequest {
    HWND owner = nullptr;
    int minPage = 1, maxPage = 1; // pages the document has (print dialog)
    int fromPage = 1, toPage = 1;
    int copies = 1;
    bool allowSelection = false;
    bool allowPageNums = true;
};
struct PrintAnswer {
    std::string driver, device, port; // the printer chosen
    bool landscape = false;
    int copies = 1;
    TPrintRange range = TPrintRange::prAllPages;
    int fromPage = 1, toPage = 1;
    bool printToFile = false;
    DCHandle dc; // print dialog: the printer's DC, owned by the caller
};

// A pop-up menu shown at a screen point; the answer is the chosen item's
// command (TMenuItem::Command), 0 when the menu was dismissed.
struct PopupRequest {
    HWND owner = nullptr;
    TPopupMenu* menu = nullptr;
    int x = 0, y = 0;
};

// The modeless find dialog. Each press of "find next" reaches the session's
// handler; the session lives until Close() or its dialog is closed.
struct FindRequest {
    HWND owner = nullptr;
    std::string text;
    bool down = true, matchCase = false, wholeWord = false;
    bool hideUpDown = false, hideMatchCase = false, hideWholeWord = false;
};
struct FindEvent {
    std::string text;
    bool down = true, matchCase = false, wholeWord = false;
};
class FindSession {
public:
    virtual ~FindSession() = default;
    // False once the dialog is gone (closed by the user or by Close).
    virtual bool Active() const = 0;
    virtual void Close() = 0;
    // The dialog window (null when scripted).
    virtual HWND Window() const = 0;
};
struct FindHandlers {
    std::function<void(const FindEvent&)> onFind;
    std::function<void()> onClose; // the dialog was closed
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
    // One of our own forms, modal; returns its modal result. Called by
    // TForm::ShowModal; the real one runs the form's modal loop.
    virtual int ShowModal(TForm& form) = 0;
    // The font, colour and printer dialogs; false when cancelled.
    virtual bool FontDialog(const FontRequest& request, FontAnswer& answer) = 0;
    virtual bool ColorDialog(const ColorRequest& request, ColorAnswer& answer) = 0;
    virtual bool PrintSetupDialog(const PrintRequest& request, PrintAnswer& answer) = 0;
    virtual bool PrintDialog(const PrintRequest& request, PrintAnswer& answer) = 0;
    // Called by TPopupMenu::Popup; the chosen command or 0.
    virtual UINT PopupMenu(const PopupRequest& request) = 0;
    // Opens the modeless find dialog.
    virtual std::unique_ptr<FindSession> BeginFind(const FindRequest& request, FindHandlers handlers) = 0;
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
// The plain message: the application's title as its caption, no icon, OK;
// owned by the active window or by the given one.
void ShowPlainMessage(const std::string& text);
void ShowPlainMessage(HWND owner, const std::string& text);

} // namespace tk
