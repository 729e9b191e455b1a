// Parts of file names that portable code needs.
#pragma once
#include <string>
#include <string_view>

namespace velmora {

// The extension of a file name or path: from the last "." of its name (what
// follows the last '\\', '/' or ':') on, the dot included; "" when the name
// has no dot. A dot in a folder's name is no extension of the file.
std::string ExtensionOf(std::string_view fileName);

} // namespace velmora
