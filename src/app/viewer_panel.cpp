#include "app/viewer_panel.h"

#include <windows.h>

namespace velmora::app {

bool OpensReadOnly(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY);
}

} // namespace velmora::app
