#include "explorer/path_utils.h"

#include <windows.h>

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
    if (path.empty()) return false;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(path.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return true;
}

} // namespace velmora::explorer
