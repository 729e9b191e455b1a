// What the program holds between two clicks, apart from its windows: the file
// shown and its viewer, the archive folder and the extension table. No window
// in it, so that it is tested on its own.
#pragma once
#include <string>
#include <vector>

#include "base/indented_text.h"

namespace velmora::app {

// The viewer an extension is associated with; the values are the positions of
// the groups in the extension table (sec.ini).
enum class TViewerKind { vkNone = -1, vkText = 0, vkHtml = 1, vkPicture = 2, vkHex = 3 };

// The kind for a group position read from the extension table (vkNone when out of range).
constexpr TViewerKind ViewerKindFromIndex(int index) {
    return index >= 0 && index <= 3 ? static_cast<TViewerKind>(index) : TViewerKind::vkNone;
}

// The extension table as sec.ini keeps it: the top-level lines are the
// viewers' groups in viewer order, the lines under a group the extensions it
// opens. The options window shows and edits it; the dispatch asks it.
class TExtensionTable {
public:
    // The viewers' groups, in viewer order.
    static constexpr const char* kGroups[4] = {"Metin Editörü", "Html Editörü", "Resim Editörü",
                                               "Hex Editörü"};
    // The four groups without extensions: the table while there is no sec.ini.
    static TExtensionTable Groups();

    // Replaces the table with sec.ini's text. Returns "" or, when a line
    // stopped the reading, its message; the lines before it stay.
    std::string Load(const std::string& text);
    // sec.ini's text: each line its level in TABs, CR LF.
    std::string Text() const;
    // The group number of an extension ('.TXT' finds '.txt', "" the empty
    // item; groups never match); -1 when it is not in the table.
    int Find(const std::string& extension) const;
    TViewerKind KindOf(const std::string& extension) const { return ViewerKindFromIndex(Find(extension)); }
    // The extensions in table order.
    std::vector<std::string> Extensions() const;

private:
    std::vector<IndentedNode> nodes_;
    // Each node's group: the first line is group 0, each further top-level
    // line starts the next one.
    std::vector<int> groups_;
};

// The file list's mask for the extensions in table order: "*" + text + ";" for
// each, "*.;" for the empty one.
std::string MaskOf(const std::vector<std::string>& extensions);

// The options the options window shows and edits. None is stored: every start
// begins with these values.
struct TOptions {
    // The directory tree.
    bool ShowLines = true;      // "Çizgileri göster"
    bool ShowButtons = true;    // "Buttonları göster"
    bool ShowRoot = false;      // "Merkez çizgisi"
    bool TreeBesideList = true; // "Yan yana"; false: "Alt alta", the tree above the list
    // The file list's filters.
    bool ReadOnlyFiles = true; // "Saltokunur"
    bool HiddenFiles = false;  // "Gizli dosyalar"
    bool Folders = true;       // "Klasörler"
    bool ArchiveFiles = false; // "Arşiv dosyaları"
    bool NormalFiles = true;   // "Normal dosyalar"
    bool MaskByTable = false;  // "Maskeleme yap": list only the table's extensions
    // "İşlemlerde uyar": the shell asks before file operations.
    bool ConfirmFileOps = false;
    // "Kayıt için uyar": the save step asks before saving a modified document.
    bool SaveWarning = false;

    // The file list's mask: the table's extensions while MaskByTable, else "*.*".
    std::string ListMask(const TExtensionTable& table) const;
};

struct TSession {
    // The file the viewers last took from the list ("" when none).
    std::string CurrentFile;
    TViewerKind ViewerKind = TViewerKind::vkText;
    std::string ArchiveFolder;
    TExtensionTable Extensions = TExtensionTable::Groups();
    // The last read of sec.ini stopped early or refused the file: its first
    // replacement keeps a copy of it, so the unread part is not lost.
    bool ExtensionFileIncomplete = false;
    TOptions Options;
};

} // namespace velmora::app
