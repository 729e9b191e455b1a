// Path helpers shared by the explorer controls. Paths are cp1254 strings with
// "\" as separator.
#pragma once
#include <string>

namespace velmora::explorer {

// The path with a "\" appended when its last character is not "\"; empty stays empty.
std::string AddSlash(const std::string& path);
// The path with one trailing "\" removed, if present.
std::string DelSlash(const std::string& path);
// AddSlash(folder) + name; empty when either is empty.
std::string JoinPath(const std::string& folder, const std::string& name);
// True when a file system search for the path finds a file or folder.
bool PathExists(const std::string& path);

} // namespace velmora::explorer
