#include "explorer/path_utils.h"

#include <cstring>

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

bool PathExists(const std::string& path) {
    return !path.empty() && FolderSearch(path).Found();
}

bool FolderExists(const std::string& path) {
    // A drive ("C:", "C:\") is asked as it is.
    bool drive = path.size() >= 2 && path.size() <= 3 && path[1] == ':';
    DWORD attributes = GetFileAttributesA(drive ? path.c_str() : DelSlash(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

FolderSearch::FolderSearch(const std::string& pattern)
    : handle_(FindFirstFileA(pattern.c_str(), &entry_)), found_(static_cast<bool>(handle_)) {}

bool FolderSearch::Next() {
    found_ = found_ && FindNextFileA(handle_.get(), &entry_);
    return found_;
}

bool FolderSearch::IsDots() const {
    return std::strcmp(entry_.cFileName, ".") == 0 || std::strcmp(entry_.cFileName, "..") == 0;
}

} // namespace velmora::explorer
