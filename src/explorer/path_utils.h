// Path helpers shared by the explorer controls. Paths are cp1254 strings with
// "\" as separator.
#pragma once
#include <windows.h>

#include <string>

#include "toolkit/gdi.h"

namespace velmora::explorer {

// The path with a "\" appended when its last character is not "\"; empty stays empty.
std::string AddSlash(const std::string& path);
// The path with one trailing "\" removed, if present.
std::string DelSlash(const std::string& path);
// AddSlash(folder) + name; empty when either is empty.
std::string JoinPath(const std::string& folder, const std::string& name);
// Switches the system's "no disk" boxes off while it lives: checks of a
// removable drive without a disk answer false instead of asking the user.
class QuietErrorMode {
public:
    QuietErrorMode();
    ~QuietErrorMode();
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
    UINT previous_;
};

// True when a file system search for the path finds a file or folder.
bool PathExists(const std::string& path);
// True when the path names an existing folder ("C:", "C:\", "C:\x" and "C:\x\" alike).
bool FolderExists(const std::string& path);

// The entries a file system search finds, one after another; the search is
// closed when the object goes. Names come in the ANSI code page with "?" for
// every character it cannot spell (never a look-alike letter, which would
// name another file), so a caller can tell them and use the short name.
//     FolderSearch search(AddSlash(folder) + "*.*");
//     if (search.Found()) do { ... search.Entry() ... } while (search.Next());
class FolderSearch {
public:
    explicit FolderSearch(const std::string& pattern);
    // True while an entry is current.
    bool Found() const { return found_; }
    const WIN32_FIND_DATAA& Entry() const { return entry_; }
    // Moves to the next entry; false (and Found() false) at the end.
    bool Next();
    bool IsFolder() const { return (entry_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // "." or "..".
    bool IsDots() const;

private:
    void Take(const WIN32_FIND_DATAW& found);

    WIN32_FIND_DATAA entry_{};
    tk::FindHandle handle_;
    bool found_ = false;
};

} // namespace velmora::explorer
