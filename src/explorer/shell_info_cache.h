// Icon indices and type names of folder entries, asked of the shell as seldom
// as the answers allow. A real SHGetFileInfo on a path is slow (about 10 ms
// under Wine), so plain files are asked once per extension and plain folders
// once per listing; only entries the shell answers per file (programs, icons,
// cursors, shortcuts, classes whose icon is "%1" or comes from an icon
// handler, and folders marked read-only or system, which may be customised)
// get a call of their own. The answers are the same as per-path calls.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

namespace velmora::explorer {

struct ShellEntryInfo {
    int iconIndex = 0;
    std::string typeName;
};

class ShellInfoCache {
public:
    // fullPath is the entry's path, attributes its file attribute bits.
    const ShellEntryInfo& Lookup(const std::string& fullPath, uint32_t attributes);
    // The shell's answer for one real path (the slow call).
    static ShellEntryInfo ForPath(const std::string& path);
    // True when files of this extension (".exe", with the dot) get their own answer.
    static bool ExtensionIsPerFile(const std::string& extension);
    // Number of shell calls made so far (for measurements).
    int ShellCalls() const { return realCalls_; }

private:
    struct ExtensionEntry {
        bool perFile = false;
        ShellEntryInfo info;
    };
    ShellEntryInfo scratch_;
    std::unordered_map<std::string, ExtensionEntry> byExtension_;
    bool haveFolder_ = false;
    ShellEntryInfo folder_;
    int realCalls_ = 0;
};

} // namespace velmora::explorer
