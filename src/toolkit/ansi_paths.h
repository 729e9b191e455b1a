// Paths the system hands over in UTF-16 (dropped files, the folder browser)
// as the program's code page paths. The system's own conversion puts a
// look-alike letter for one the code page cannot spell ('ő' becomes 'o'), and
// the path then names another file; these never do.
#pragma once
#include <windows.h>

#include <shlobj.h>

#include <string>

namespace tk {

// The path in the code page; a name it cannot spell goes by its short (8.3)
// name. Empty when neither can be spelled (the volume keeps no short names).
std::string AnsiPath(const std::wstring& path);
// The path with "?" for each character the code page cannot spell: for a
// message that names it, never for a file operation.
std::string AnsiPathForMessage(const std::wstring& path);
// The file system path of a shell item list through AnsiPath; false when the
// item is no file system folder or its path cannot be spelled (then `shown`
// gets it for a message).
bool AnsiPathFromItemList(LPCITEMIDLIST list, std::string& path, std::string& shown);

} // namespace tk
