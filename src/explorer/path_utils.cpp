#include "explorer/path_utils.h"

#include <cstring>
#include <string>

namespace velmora::explorer {

std::string AddSlash(const std::string& path) {
    if (path.empty() || path.back() == '\\') return path;
    return path + '\\';
}

std::string DelSlash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
    return path;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || name.empty()) return {};
    return AddSlash(folder) + name;
}

QuietErrorMode::QuietErrorMode() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {
    SetErrorMode(previous_ | SEM_FAILCRITICALERRORS);
}

QuietErrorMode::~QuietErrorMode() {
    SetErrorMode(previous_);
}

bool PathExists(const std::string& path) {
    QuietErrorMode quiet;
    return !path.empty() && FolderSearch(path).Found();
}

bool FolderExists(const std::string& path) {
    QuietErrorMode quiet;
    // A drive ("C:", "C:\") is asked as it is.
    bool drive = path.size() >= 2 && path.size() <= 3 && path[1] == ':';
    DWORD attributes = GetFileAttributesA(drive ? path.c_str() : DelSlash(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// A name in the ANSI code page, each character it cannot spell as "?". The
// system's own conversion would put a look-alike letter there instead, and a
// path made of it would name another file.
void SpellName(const wchar_t* wide, char* out, int size) {
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, out, size, "?", &usedDefault);
    if (n <= 0) {
        // Too long for the buffer: unusable as a path, so unmistakably so.
        std::memset(out, '?', static_cast<size_t>(size - 1));
        out[size - 1] = '\0';
    }
}

} // namespace

FolderSearch::FolderSearch(const std::string& pattern) {
    std::wstring wide(pattern.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, pattern.c_str(), static_cast<int>(pattern.size()), wide.data(),
                                static_cast<int>(wide.size()));
    if (pattern.empty() || n <= 0) return;
    wide.resize(static_cast<size_t>(n));
    WIN32_FIND_DATAW found{};
    handle_.reset(FindFirstFileW(wide.c_str(), &found));
    found_ = static_cast<bool>(handle_);
    if (found_) Take(found);
}

bool FolderSearch::Next() {
    WIN32_FIND_DATAW found{};
    found_ = found_ && FindNextFileW(handle_.get(), &found);
    if (found_) Take(found);
    return found_;
}

void FolderSearch::Take(const WIN32_FIND_DATAW& found) {
    entry_.dwFileAttributes = found.dwFileAttributes;
    entry_.ftCreationTime = found.ftCreationTime;
    entry_.ftLastAccessTime = found.ftLastAccessTime;
    entry_.ftLastWriteTime = found.ftLastWriteTime;
    entry_.nFileSizeHigh = found.nFileSizeHigh;
    entry_.nFileSizeLow = found.nFileSizeLow;
    entry_.dwReserved0 = found.dwReserved0;
    entry_.dwReserved1 = found.dwReserved1;
    SpellName(found.cFileName, entry_.cFileName, sizeof entry_.cFileName);
    SpellName(found.cAlternateFileName, entry_.cAlternateFileName, sizeof entry_.cAlternateFileName);
}

bool FolderSearch::IsDots() const {
    return std::strcmp(entry_.cFileName, ".") == 0 || std::strcmp(entry_.cFileName, "..") == 0;
}

} // namespace velmora::explorer
