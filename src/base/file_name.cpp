#include "base/file_name.h"

namespace velmora {

std::string ExtensionOf(std::string_view fileName) {
    const size_t name = fileName.find_last_of("\\/:");
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || (name != std::string_view::npos && dot < name)) return {};
    return std::string(fileName.substr(dot));
}

} // namespace velmora
