// Helpers for tests that drive real windows under Wine.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace tk {
class TSpeedButton;
}

namespace testing_support {

// Handles waiting messages, then keeps handling them until `done` or the timeout.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Handles the messages waiting now (and those they cause, for a short while).
void Pump(DWORD forMs = 50);
// A key press (with Ctrl held when asked) posted to the window and handled
// through the application's dispatch, as the loop would.
void PressKey(HWND target, WORD key, bool ctrl);
// A left click posted to the middle of the window (a button, say), then handled.
void ClickMiddle(HWND window);
// A left click posted to the bar at the middle of the button, then handled.
void ClickButton(const tk::TSpeedButton& button);
// The file's bytes; "<missing>" when it cannot be opened.
std::string ReadFileText(const std::string& path);
// Writes a file by its wide name (one the code page cannot spell); false on failure.
bool WriteFileWide(const std::wstring& path, const std::string& contents);
// The bytes of a 24-bit BMP file of w x h pixels, all of one colour.
std::string BmpBytes(int w, int h, COLORREF color);
// A 16x16 button picture: a black square (4..11) on a magenta ground. The
// caller deletes it.
HBITMAP MakeTestGlyph();
// A path of the build machine ("/work/...") as Wine's Z: drive sees it.
std::string WindowsPath(std::string path);

// A fresh empty folder under the temp folder, removed by the destructor.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return path_; } // ends with a backslash
    std::string File(const std::string& name, const std::string& contents = {}) const;
    std::string Folder(const std::string& name) const;

private:
    std::string path_;
};

} // namespace testing_support
