#include "explorer/shell_info_cache.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "explorer/file_list_core.h"

namespace velmora::explorer {

namespace {

ShellEntryInfo Ask(const std::string& path) {
    SHFILEINFOA info{};
    ShellEntryInfo result;
    if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_TYPENAME)) {
        result.iconIndex = info.iIcon;
        info.szTypeName[sizeof info.szTypeName - 1] = '\0';
        result.typeName = info.szTypeName;
    }
    return result;
}

ShellEntryInfo AskByAttributes(const std::string& path, DWORD attributes) {
    SHFILEINFOA info{};
    ShellEntryInfo result;
    if (SHGetFileInfoA(path.c_str(), attributes, &info, sizeof info,
                       SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_TYPENAME)) {
        result.iconIndex = info.iIcon;
        info.szTypeName[sizeof info.szTypeName - 1] = '\0';
        result.typeName = info.szTypeName;
    }
    return result;
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return text;
}

// The default value of a key below HKEY_CLASSES_ROOT; empty when missing.
std::string ClassValue(const std::string& subKey) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    char buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof buffer - 1, type = 0;
    LONG rc = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
    return buffer;
}

bool ClassKeyExists(const std::string& subKey) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

} // namespace

ShellEntryInfo ShellInfoCache::ForPath(const std::string& path) {
    return Ask(path);
}

bool ShellInfoCache::ExtensionIsPerFile(const std::string& extension) {
    static const char* const kAlways[] = {".exe", ".ico", ".lnk", ".cur", ".ani",
                                          ".scr", ".cpl", ".pif", ".url"};
    std::string lower = AsciiLower(extension);
    for (const char* e : kAlways)
        if (lower == e) return true;
    if (extension.empty()) return false;
    // A class whose icon is the file itself or comes from an icon handler.
    std::string progId = ClassValue(extension);
    for (const std::string& key : {extension, progId}) {
        if (key.empty()) continue;
        if (ClassValue(key + "\\DefaultIcon").find("%1") != std::string::npos) return true;
        if (ClassKeyExists(key + "\\shellex\\IconHandler")) return true;
    }
    return false;
}

const ShellEntryInfo& ShellInfoCache::Lookup(const std::string& fullPath, uint32_t attributes) {
    if (attributes & kAttrDirectory) {
        if (attributes & (kAttrReadOnly | kAttrSystem)) {
            ++realCalls_;
            scratch_ = ForPath(fullPath);
            return scratch_;
        }
        if (!haveFolder_) {
            // A plain folder: the shell's answer for any folder.
            ++realCalls_;
            folder_ = AskByAttributes(fullPath, FILE_ATTRIBUTE_DIRECTORY);
            haveFolder_ = true;
        }
        return folder_;
    }
    // The extension as the shell sees it (a space after the last dot ends it).
    // Kept with its letter case: the shell's made-up type names repeat it.
    std::string extension = PathFindExtensionA(fullPath.c_str());
    auto found = byExtension_.find(extension);
    if (found == byExtension_.end()) {
        ExtensionEntry entry;
        entry.perFile = ExtensionIsPerFile(extension);
        // The first file of an extension is asked by its real path: the answer
        // for a made-up name is not always worded the same.
        if (!entry.perFile) {
            ++realCalls_;
            entry.info = ForPath(fullPath);
        }
        found = byExtension_.emplace(extension, std::move(entry)).first;
    }
    if (found->second.perFile) {
        ++realCalls_;
        scratch_ = ForPath(fullPath);
        return scratch_;
    }
    return found->second.info;
}

} // namespace velmora::explorer
