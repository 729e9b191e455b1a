#include "base/os.h"

#include <windows.h>

namespace velmora::os {

std::string TempFolder() {
    char buffer[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(sizeof buffer, buffer);
    std::string result = (n > 0 && n < sizeof buffer) ? std::string(buffer, n) : std::string("C:\\");
    if (result.back() != '\\') result += '\\';
    return result;
}

uint32_t TickCount() { return GetTickCount(); }

bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) {
    return CopyFileA(from.c_str(), to.c_str(), failIfExists) != 0;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool RenameFile(const std::string& from, const std::string& to) { return MoveFileA(from.c_str(), to.c_str()) != 0; }

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
    DWORD disposition = mode == Mode::Create ? CREATE_ALWAYS : OPEN_EXISTING;
    HANDLE h = CreateFileA(path.c_str(), access, FILE_SHARE_READ | (mode == Mode::Read ? FILE_SHARE_WRITE : 0), nullptr,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
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
    DWORD done = 0;
    if (!ReadFile(H(handle_), buffer, static_cast<DWORD>(count), &done, nullptr)) return -1;
    return static_cast<int32_t>(done);
}

int32_t File::Write(const void* buffer, int32_t count) {
    if (handle_ == -1 || count < 0) return -1;
    DWORD done = 0;
    if (!WriteFile(H(handle_), buffer, static_cast<DWORD>(count), &done, nullptr)) return -1;
    return static_cast<int32_t>(done);
}

bool File::Truncate(int64_t size) { return Seek(size) && SetEndOfFile(H(handle_)); }

bool File::Flush() { return handle_ != -1 && FlushFileBuffers(H(handle_)); }

} // namespace velmora::os
