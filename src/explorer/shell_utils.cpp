#include "explorer/shell_utils.h"

#include <shellapi.h>

#include <vector>

#include "base/ascii_text.h"
#include "explorer/path_utils.h"
#include "toolkit/application.h"
#include "toolkit/dialogs.h"
#include "toolkit/form.h"

namespace velmora::explorer {

namespace {

HWND MainWindow() {
    tk::TForm* main = tk::Application().MainForm();
    return main ? main->Handle() : nullptr;
}

// Bytes to KB rounded to the nearest integer.
int64_t RoundedKB(uint64_t bytes) {
    return static_cast<int64_t>((bytes + 512) / 1024);
}

bool DiskBytes(const std::string& root, uint64_t& total, uint64_t& free) {
    ULARGE_INTEGER available, totalBytes, freeBytes;
    QuietErrorMode quiet;
    if (!GetDiskFreeSpaceExA(root.c_str(), &available, &totalBytes, &freeBytes)) return false;
    total = totalBytes.QuadPart;
    free = freeBytes.QuadPart;
    return true;
}

// A list of one name ended by two NULs; an empty name gives an empty list.
std::vector<wchar_t> DoubleNulList(const std::wstring& name) {
    std::vector<wchar_t> list(name.begin(), name.end());
    list.push_back(L'\0');
    list.push_back(L'\0');
    return list;
}

std::wstring Widened(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

} // namespace

bool DriveReady(char letter, bool showMessage) {
    letter = UpperAsciiChar(letter);
    if (letter < 'A' || letter > 'Z') {
        tk::ShowPlainMessage("Geçersiz sürücü adı");
        return false;
    }
    uint64_t total = 0, free = 0;
    if (DiskBytes(std::string(1, letter) + ":\\", total, free)) return true;
    if (showMessage) {
        MessageBeep(MB_ICONHAND);
        tk::ShowPlainMessage("Disket takılı değil \r" + std::string(16, ' ') + "veya Sürücü " + letter +
                             ": hazır değil");
    }
    return false;
}

int64_t DiskSizeKB(const std::string& root) {
    uint64_t total = 0, free = 0;
    return DiskBytes(root, total, free) ? RoundedKB(total) : 0;
}

int64_t DiskFreeKB(const std::string& root) {
    uint64_t total = 0, free = 0;
    return DiskBytes(root, total, free) ? RoundedKB(free) : 0;
}

std::string GetWinVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return {};
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        return info.dwMajorVersion == 4 && info.dwMinorVersion != 0 ? "98" : "95";
    }
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) return "NT";
    return {};
}

INT_PTR ExecuteFile(const std::string& verb, const std::string& file, const std::string& parameters,
                    const std::string& folder, int showCommand) {
    tk::ShellExecuteRequest request;
    request.owner = MainWindow();
    request.verb = verb;
    request.file = file;
    request.parameters = parameters;
    request.directory = folder;
    request.showCommand = showCommand;
    INT_PTR result = tk::CurrentDialogs().Execute(request);
    if (result <= 32) tk::ShowError("Bu dosya işletilemedi.  " + file);
    return result;
}

FILEOP_FLAGS ShellFileOperationFlags(UINT function, bool confirm) {
    FILEOP_FLAGS flags = FOF_ALLOWUNDO;
    if (!confirm) flags |= FOF_NOCONFIRMATION;
    if (function == FO_DELETE) flags |= FOF_WANTNUKEWARNING;
    return flags;
}

std::wstring LongWidePath(const std::string& path) {
    const std::wstring wide = Widened(path);
    if (wide.empty()) return wide;
    DWORD n = GetLongPathNameW(wide.c_str(), nullptr, 0);
    if (n == 0) return wide;
    std::wstring result(n, L'\0');
    n = GetLongPathNameW(wide.c_str(), result.data(), n);
    if (n == 0 || n >= result.size()) return wide;
    result.resize(n);
    return result;
}

bool ShellFileOperation(HWND owner, UINT function, const std::string& source, const std::string& target,
                        bool confirm) {
    return ShellFileOperation(owner, function, LongWidePath(source), Widened(target),
                              ShellFileOperationFlags(function, confirm));
}

bool ShellFileOperation(HWND owner, UINT function, const std::wstring& source, const std::wstring& target,
                        FILEOP_FLAGS flags) {
    if (source.empty()) return false;
    std::vector<wchar_t> from = DoubleNulList(source);
    std::vector<wchar_t> to = DoubleNulList(target);
    SHFILEOPSTRUCTW op{};
    op.hwnd = owner;
    op.wFunc = function;
    op.pFrom = from.data();
    op.pTo = function == FO_DELETE ? nullptr : to.data();
    op.fFlags = flags;
    op.hNameMappings = nullptr;
    op.lpszProgressTitle = L"";
    int result = SHFileOperationW(&op);
    return result == 0 && !op.fAnyOperationsAborted;
}

bool ShellCopyInto(HWND owner, UINT function, const std::string& source, const std::string& folder,
                   bool confirm) {
    const std::wstring from = LongWidePath(source);
    const size_t slash = from.find_last_of(L'\\');
    const std::wstring name = slash == std::wstring::npos ? from : from.substr(slash + 1);
    if (name.empty() || folder.empty()) return false;
    return ShellFileOperation(owner, function, from, Widened(AddSlash(folder)) + name,
                              ShellFileOperationFlags(function, confirm));
}

} // namespace velmora::explorer
