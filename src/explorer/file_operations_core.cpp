#include "explorer/file_operations_core.h"

#include <cctype>

#include "base/ascii_text.h"
#include "base/file_name.h"

namespace velmora::explorer {

std::string FreeNumberedName(const std::string& first, const std::string& prefix, const std::string& suffix,
                             const std::function<bool(const std::string&)>& taken, int limit) {
    if (!taken(first)) return first;
    for (int counter = 2; counter <= limit; ++counter) {
        std::string name = prefix + std::to_string(counter) + suffix;
        if (!taken(name)) return name;
    }
    return {};
}

std::string FreeFolderName(const std::function<bool(const std::string&)>& taken) {
    return FreeNumberedName("Yeni Klasör", "Yeni Klasör(", ")", taken);
}

std::string FreeDocumentName(const std::function<bool(const std::string&)>& taken) {
    return FreeNumberedName("velmora.rtf", "velmora(", ").rtf", taken);
}

const char kNewDocumentText[] =
    "{\\rtf1\\ansi\\ansicpg1254\\deff0\\deflang1055{\\fonttbl{\\f0\\fnil\\fcharset0 ;}}\r\n"
    "\\viewkind4\\uc1\\pard\\f0\\fs20\\par\r\n"
    "}\r\n";

std::string RenamedName(const std::string& oldName, const std::string& caption, bool hideFileExt) {
    if (!hideFileExt) return caption;
    size_t dot = oldName.find('.');
    // A name starting with "." shows as an empty caption: everything was hidden.
    return dot == std::string::npos ? caption : caption + oldName.substr(dot);
}

bool IsValidEntryName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name) {
        if (c < 32) return false;
        switch (c) {
        case '\\':
        case '/':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return false;
        }
    }
    return name.back() != ' ' && name.back() != '.';
}

bool IsShellSafePath(const std::string& path) {
    if (path.empty()) return false;
    for (unsigned char c : path) {
        if (c < 32) return false;
        switch (c) {
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return false;
        }
    }
    return true;
}

std::string NamePart(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderPart(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string UpperExtension(const std::string& path) {
    return UpperAscii(ExtensionOf(path));
}

std::string ViewerProgramFor(const std::string& upperExtension) {
    static const struct {
        const char* extension;
        const char* program;
    } table[] = {
        {".C", "NotePad.exe"},   {".CPP", "NotePad.exe"}, {".DPK", "NotePad.exe"}, {".DPR", "NotePad.exe"},
        {".H", "NotePad.exe"},   {".INF", "NotePad.exe"}, {".INI", "NotePad.exe"}, {".PAS", "NotePad.exe"},
        {".PRG", "NotePad.exe"}, {".TXT", "NotePad.exe"}, {".DOC", "Write.exe"},   {".RTF", "Write.exe"},
        {".WRI", "Write.exe"},   {".BMP", "PBrush.exe"},
    };
    for (const auto& row : table)
        if (upperExtension == row.extension) return row.program;
    return {};
}

bool CanSendAsContent(const std::string& upperExtension) {
    return !ViewerProgramFor(upperExtension).empty() || upperExtension == ".WMF";
}

int SendToNumber(const std::string& itemName) {
    static const std::string prefix = "Send_To";
    if (itemName.compare(0, prefix.size(), prefix) != 0) return -1;
    std::string digits = itemName.substr(prefix.size(), 2);
    if (digits.empty()) return -1;
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    return std::stoi(digits);
}

FileListMenuEnabling FileListMenuState(const FileListMenuContext& context) {
    FileListMenuEnabling e;
    const bool selected = context.selectedCount > 0;
    e.open = e.send = e.cut = e.copy = e.remove = e.attributes = selected;
    e.view = selected && !ViewerProgramFor(context.extension).empty();
    e.paste = context.clipboardFilled;
    e.rename = context.selectedCount == 1;
    e.newFolder = !context.drivesView;
    e.newDocument = true;
    e.sendToFolder = true;
    // Only what "send as content" can load: one file of a known kind.
    e.sendAsContent = context.selectedCount == 1 && CanSendAsContent(context.extension);
    e.sendAsNames = selected;
    e.firstTarget = selected;
    e.otherTargets = true;
    return e;
}

DirTreeMenuEnabling DirTreeMenuState(int level) {
    DirTreeMenuEnabling e;
    e.addNode = e.treeSize = level > 0;
    e.editNode = e.delNode = level > 1;
    return e;
}

} // namespace velmora::explorer
