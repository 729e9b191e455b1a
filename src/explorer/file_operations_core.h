// The file operations' portable rules: free names for new entries, the name a
// rename gives when extensions are hidden, the names the shell may be handed,
// the fixed viewers, the new document and the enabling of the two context
// menus. No platform headers: the native build tests these too.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace velmora::explorer {

// `first` when it is free, else prefix + n + suffix for n = 2, 3, ...; empty
// when even the last of `limit` names is taken (a folder full of them never
// keeps us counting).
std::string FreeNumberedName(const std::string& first, const std::string& prefix, const std::string& suffix,
                             const std::function<bool(const std::string&)>& taken, int limit = 10000);

// The names of new folders and new documents.
std::string FreeFolderName(const std::function<bool(const std::string&)>& taken);
std::string FreeDocumentName(const std::function<bool(const std::string&)>& taken);

// The new document: three lines, each ended by CR LF.
extern const char kNewDocumentText[];

// The name an edited caption gives the entry `oldName`. With hidden
// extensions the caption lacks what the list cut off the name (from its first
// "."); that part is put back, so a rename never drops the extension.
std::string RenamedName(const std::string& oldName, const std::string& caption, bool hideFileExt);

// A name the entry may take in its own folder: not empty, not "." or "..",
// no path separator, drive colon, wildcard or other character the file
// system refuses, no control character and no trailing space or dot.
bool IsValidEntryName(const std::string& name);

// A path that may be handed to the shell as a list entry: not empty, no
// wildcard (the shell would expand it to other files), no quote, pipe or
// angle bracket and no control character.
bool IsShellSafePath(const std::string& path);

// The last component of a path and the folder before it (with its "\").
std::string NamePart(const std::string& path);
std::string FolderPart(const std::string& path);
// The extension of the path's name (from its last "."), upper-cased; empty
// when the name has no dot.
std::string UpperExtension(const std::string& path);

// The system program that shows files of an upper-cased extension
// ("NotePad.exe", "Write.exe", "PBrush.exe"), empty for any other.
std::string ViewerProgramFor(const std::string& upperExtension);
// Files that "send as content" can load: the viewer extensions, ".BMP" and ".WMF".
bool CanSendAsContent(const std::string& upperExtension);

// The number that follows "Send_To" in a menu item's name (at most two
// digits), -1 when there is none.
int SendToNumber(const std::string& itemName);

// ---- Enabling of the context menus

// What the file list's menu looks at when it opens.
struct FileListMenuContext {
    int selectedCount = 0;
    std::string extension; // of the first selected row, upper-cased
    bool drivesView = false;
    bool clipboardFilled = false;
};

struct FileListMenuEnabling {
    bool open = false, view = false, send = false, cut = false, copy = false, paste = false;
    bool rename = false, remove = false, attributes = false, newFolder = false, newDocument = false;
    bool sendToFolder = false, sendAsContent = false, sendAsNames = false;
    bool firstTarget = false, otherTargets = false;
};

FileListMenuEnabling FileListMenuState(const FileListMenuContext& context);

struct DirTreeMenuEnabling {
    bool addNode = false, editNode = false, delNode = false, treeSize = false;
};

// level: the selected node's level (0 the root, 1 a drive), -1 with no node.
DirTreeMenuEnabling DirTreeMenuState(int level);

} // namespace velmora::explorer
