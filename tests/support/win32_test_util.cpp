#include "support/win32_test_util.h"

#include <shellapi.h>

#include <cstdint>
#include <cstdio>

#include "toolkit/application.h"
#include "toolkit/std_controls.h"

namespace testing_support {

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    return tk::Application().ProcessMessagesUntil(done, timeoutMs);
}

void Pump(DWORD forMs) {
    DWORD start = GetTickCount();
    do {
        tk::Application().ProcessMessages();
        Sleep(1);
    } while (GetTickCount() - start < forMs);
}

void PressKey(HWND target, WORD key, bool ctrl) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(state);
    PostMessageA(target, WM_KEYDOWN, key, 1);
    Pump(30);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
}

void ClickMiddle(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    const LPARAM mid = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, mid);
    PostMessageA(window, WM_LBUTTONUP, 0, mid);
    Pump(30);
}

void ClickButton(const tk::TSpeedButton& button) {
    if (!button.ToolBar()) return;
    const RECT r = button.BoundsRect();
    const LPARAM mid = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(button.ToolBar()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, mid);
    PostMessageA(button.ToolBar()->Handle(), WM_LBUTTONUP, 0, mid);
    Pump(30);
}

bool WriteFileWide(const std::wstring& path, const std::string& contents) {
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(h, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) &&
                    written == contents.size();
    CloseHandle(h);
    return ok;
}

std::string ReadFileText(const std::string& path) {
    std::string text;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0)
        text.append(buffer, n);
    CloseHandle(h);
    return text;
}

std::string BmpBytes(int w, int h, COLORREF color) {
    const int row = (w * 3 + 3) & ~3;
    std::string data(54 + static_cast<size_t>(row) * h, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            data[at + i] = static_cast<char>(v >> (8 * i));
    };
    data[0] = 'B';
    data[1] = 'M';
    put32(2, static_cast<uint32_t>(data.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));
    data[26] = 1;
    data[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t at = 54 + static_cast<size_t>(y) * row + static_cast<size_t>(x) * 3;
            data[at] = static_cast<char>(GetBValue(color));
            data[at + 1] = static_cast<char>(GetGValue(color));
            data[at + 2] = static_cast<char>(GetRValue(color));
        }
    return data;
}

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

TempFolder::TempFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    for (;;) {
        char name[64];
        std::snprintf(name, sizeof name, "velmora_test_%lu_%d\\", GetCurrentProcessId(), ++counter);
        path_ = std::string(temp) + name;
        if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    }
}

TempFolder::~TempFolder() {
    std::string from = path_.substr(0, path_.size() - 1);
    from.push_back('\0');
    from.push_back('\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
}

std::string TempFolder::File(const std::string& name, const std::string& contents) const {
    std::string path = path_ + name;
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        if (!contents.empty())
            WriteFile(h, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
        CloseHandle(h);
    }
    return path;
}

std::string TempFolder::Folder(const std::string& name) const {
    std::string path = path_ + name;
    CreateDirectoryA(path.c_str(), nullptr);
    return path + "\\";
}

HBITMAP MakeTestGlyph() {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 16, 16}, mark{4, 4, 12, 12};
    HBRUSH ground = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, ground);
    DeleteObject(ground);
    FillRect(dc, &mark, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

} // namespace testing_support
