#include "base/os.h"

#include <windows.h>

#include <aclapi.h>

#include <memory>

#include "base/os_faults.h"

namespace velmora::os {

std::string TempFolder() {
    char buffer[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(sizeof buffer, buffer);
    std::string result = (n > 0 && n < sizeof buffer) ? std::string(buffer, n) : std::string("C:\\");
    if (result.back() != '\\') result += '\\';
    return result;
}

uint32_t TickCount() {
    if (faults::FrozenTick() >= 0) return static_cast<uint32_t>(faults::FrozenTick());
    return GetTickCount();
}

bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) {
    return CopyFileA(from.c_str(), to.c_str(), failIfExists) != 0;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool RenameFile(const std::string& from, const std::string& to) { return MoveFileA(from.c_str(), to.c_str()) != 0; }

namespace {
struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

UniqueHandle OpenForAttributes(const std::string& path, DWORD access) {
    HANDLE h = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

// The access list the user gave the file goes to the file that replaces it
// (a new file would get its folder's). A file system without access lists
// has nothing to keep; one that has them must take them.
bool CopyAccessList(const std::string& from, const std::string& to) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(from.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return true;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                   : UNPROTECTED_DACL_SECURITY_INFORMATION);
    std::string name = to;
    DWORD result =
        dacl ? SetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr)
             : ERROR_SUCCESS;
    LocalFree(descriptor);
    return result == ERROR_SUCCESS;
}
} // namespace

bool MoveFileOver(const std::string& newFile, const std::string& target) {
    if (faults::ReplaceFails()) return false;
    DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return false;
    } else {
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return false;
        // The file keeps the day it was made.
        FILETIME created{};
        if (auto old = OpenForAttributes(target, FILE_READ_ATTRIBUTES)) {
            if (GetFileTime(old.get(), &created, nullptr, nullptr))
                if (auto fresh = OpenForAttributes(newFile, FILE_WRITE_ATTRIBUTES))
                    SetFileTime(fresh.get(), &created, nullptr, nullptr);
        }
        if (!CopyAccessList(target, newFile)) return false;
        const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (!SetFileAttributesA(newFile.c_str(), (attributes & kept) | FILE_ATTRIBUTE_ARCHIVE)) return false;
    }
    if (MoveFileExA(newFile.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    // Left for the caller to remove, which a hidden or system file allows.
    SetFileAttributesA(newFile.c_str(), FILE_ATTRIBUTE_NORMAL);
    return false;
}

std::string FinalPath(const std::string& path) {
    // Vista's call; on older systems a path is taken as it stands.
    using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    static const auto finalPathOf = reinterpret_cast<FinalPathFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleW")));
    if (!finalPathOf) return path;
    auto file = OpenForAttributes(path, 0);
    if (!file) return path; // missing: made where it is named
    std::wstring wide(1024, L'\0');
    DWORD n = finalPathOf(file.get(), wide.data(), static_cast<DWORD>(wide.size()), 0);
    if (n == 0 || n >= wide.size()) return path;
    wide.resize(n);
    if (wide.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        wide = L"\\\\" + wide.substr(8);
    else if (wide.compare(0, 4, L"\\\\?\\") == 0)
        wide = wide.substr(4);
    // In the code page, never with a look-alike letter (that would be another
    // file): a name it cannot spell goes by its short name.
    auto spell = [](const std::wstring& text, std::string& out) {
        BOOL unspellable = FALSE;
        int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, "?",
                                       &unspellable);
        if (size <= 0 || unspellable) return false;
        out.assign(static_cast<size_t>(size), '\0');
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, out.data(), size, "?", nullptr);
        out.resize(static_cast<size_t>(size - 1));
        return true;
    };
    std::string result;
    if (!spell(wide, result)) {
        wchar_t shortName[MAX_PATH * 2] = {};
        DWORD m = GetShortPathNameW(wide.c_str(), shortName, MAX_PATH * 2);
        if (m == 0 || m >= MAX_PATH * 2 || !spell(shortName, result)) return path;
    }
    // Not a link: the path as the caller gave it.
    return lstrcmpiA(result.c_str(), path.c_str()) == 0 ? path : result;
}

bool SameFile(const std::string& a, const std::string& b) {
    auto ha = OpenForAttributes(a, 0);
    auto hb = OpenForAttributes(b, 0);
    if (!ha || !hb) return false;
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    if (!GetFileInformationByHandle(ha.get(), &ia) || !GetFileInformationByHandle(hb.get(), &ib))
        return false;
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
}

int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool IsReadOnlyFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

char PathSeparator() { return '\\'; }

std::string ToOem(const std::string& text) {
    std::string out = text;
    if (!out.empty()) CharToOemBuffA(text.data(), out.data(), static_cast<DWORD>(out.size()));
    return out;
}

std::string FromOem(const std::string& text) {
    std::string out = text;
    if (!out.empty()) OemToCharBuffA(text.data(), out.data(), static_cast<DWORD>(out.size()));
    return out;
}

namespace {
char LocaleChar(LCTYPE type, char fallback) {
    char buffer[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer) > 1) return buffer[0];
    return fallback;
}
} // namespace

char ThousandSeparator() { return LocaleChar(LOCALE_STHOUSAND, ','); }
char DecimalSeparator() { return LocaleChar(LOCALE_SDECIMAL, '.'); }

static HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

bool File::Open(const std::string& path, Mode mode) {
    Close();
    DWORD access = mode == Mode::Read ? GENERIC_READ : (GENERIC_READ | GENERIC_WRITE);
    if ((mode == Mode::Create || mode == Mode::CreateNew) && faults::CreateFails()) return false;
    DWORD disposition = mode == Mode::Create      ? CREATE_ALWAYS
                        : mode == Mode::CreateNew ? CREATE_NEW
                                                  : OPEN_EXISTING;
    HANDLE h =
        CreateFileA(path.c_str(), access, FILE_SHARE_READ | (mode == Mode::Read ? FILE_SHARE_WRITE : 0),
                    nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<intptr_t>(h);
    return true;
}

void File::Close() {
    if (handle_ != -1) CloseHandle(H(handle_));
    handle_ = -1;
}

int64_t File::Size() const {
    LARGE_INTEGER size{};
    if (handle_ == -1 || !GetFileSizeEx(H(handle_), &size)) return -1;
    return size.QuadPart;
}

bool File::Seek(int64_t position) {
    LARGE_INTEGER to{};
    to.QuadPart = position;
    return handle_ != -1 && SetFilePointerEx(H(handle_), to, nullptr, FILE_BEGIN);
}

int32_t File::Read(void* buffer, int32_t count) {
    if (handle_ == -1 || count < 0) return -1;
    const int32_t allowed = faults::ReadAllowance(count);
    DWORD done = 0;
    BOOL ok = allowed == 0 || ReadFile(H(handle_), buffer, static_cast<DWORD>(allowed), &done, nullptr);
    faults::Read(static_cast<int32_t>(done));
    // A read cut short by a test hook fails unless the file ended first.
    if (!ok || (allowed < count && static_cast<int32_t>(done) == allowed)) return -1;
    return static_cast<int32_t>(done);
}

int32_t File::Write(const void* buffer, int32_t count) {
    if (handle_ == -1 || count < 0) return -1;
    const int32_t allowed = faults::WriteAllowance(count);
    DWORD done = 0;
    BOOL ok = allowed == 0 || WriteFile(H(handle_), buffer, static_cast<DWORD>(allowed), &done, nullptr);
    faults::Wrote(static_cast<int32_t>(done));
    if (!ok || static_cast<int32_t>(done) != count) return -1;
    return count;
}

bool File::Truncate(int64_t size) {
    if (handle_ == -1 || faults::TruncateFails()) return false;
    return Seek(size) && SetEndOfFile(H(handle_));
}

bool File::Flush() {
    if (handle_ == -1 || faults::FlushFails()) return false;
    return FlushFileBuffers(H(handle_));
}

} // namespace velmora::os
