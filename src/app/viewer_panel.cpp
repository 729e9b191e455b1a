#include "app/viewer_panel.h"

#include <windows.h>

namespace velmora::app {

std::string ExtensionOf(const std::string& fileName) {
    const size_t name = fileName.find_last_of("\\/:");
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || (name != std::string::npos && dot < name)) return {};
    return fileName.substr(dot);
}

bool OpensReadOnly(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY);
}

} // namespace velmora::app
