// Icon indices and type names of folder entries, asked of the shell as seldom
// as the answers allow. A real SHGetFileInfo on a path is slow (about 10 ms
// under Wine, far more in a big folder, 45 ms for a damaged program), so a
// listing asks once per extension and once for a plain folder, and never by
// opening a path: by the extension's class, and a made-up type name by the
// file as an item of its folder. Entries the shell answers per file
// (programs, icons, cursors, shortcuts, classes whose icon is "%1" or comes
// from an icon handler, and folders marked read-only or system, which may be
// customised) get a stand-in icon; their own answer is asked later, only for
// rows on screen, by a ShellIconResolver.
#pragma once
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace velmora::explorer {

struct ShellEntryInfo {
    int iconIndex = 0;
    std::string typeName;
    // The icon is a stand-in: the shell gives this entry an icon of its own.
    bool iconPerPath = false;
    // The type name is made up by the shell and not asked yet.
    bool typeNamePending = false;
};

class ShellInfoCache {
public:
    // fullPath is the entry's path, its name starting at nameStart (when
    // known), attributes its file attribute bits. Never asks the shell about
    // the entry's own icon when that is per path. A type name the shell makes
    // up is left empty (typeNamePending) until ResolveTypeNames.
    const ShellEntryInfo& Lookup(const std::string& fullPath, uint32_t attributes, size_t nameStart = 0);
    // Made-up type names are asked for an item of a folder. Asked in the
    // listed folder, the shell reads that folder's desktop.ini, which under
    // Wine costs a walk of the whole folder per call when there is none. For
    // a folder known to hold none, `folder` (a small plain one) gives the
    // same answer; empty asks in each entry's own folder.
    void AskMadeUpNamesIn(std::string folder) { madeUpNamesFolder_ = std::move(folder); }
    const std::string& MadeUpNamesFolder() const { return madeUpNamesFolder_; }
    // Asks the shell for the made-up type names looked up so far.
    void ResolveTypeNames();
    // The extension as the shell sees it: ExtensionOf's, but none when a
    // space follows the last dot.
    static std::string ExtensionOf(std::string_view path);
    // The shell's answer for one real path (the slow call).
    static ShellEntryInfo ForPath(const std::string& path);
    // True when files of this extension (".exe", with the dot) get their own icon.
    static bool ExtensionIsPerFile(const std::string& extension);
    // True when the extension's class has a name of its own, which the shell
    // gives every file of the type without opening its path.
    static bool TypeHasClassName(const std::string& extension);
    // Number of shell calls made so far (for measurements).
    int ShellCalls() const { return realCalls_; }

private:
    std::unordered_map<std::string, ShellEntryInfo> byExtension_;
    // Entries whose made-up type name is still to be asked, with the path
    // of the first entry of their type.
    std::vector<std::pair<ShellEntryInfo*, std::string>> pending_;
    std::string madeUpNamesFolder_;
    bool haveFolder_ = false;
    ShellEntryInfo folder_;
    ShellEntryInfo markedFolder_; // read-only or system: the folder's answer as a stand-in
    int realCalls_ = 0;
};

// Asks the shell for per-path answers on a thread of its own, the newest
// request first, and posts `message` to `window` when answers are waiting.
// The shell's per-file calls may take long (a damaged program, a slow
// drive); off the window's thread they never hold up drawing or input.
class ShellIconResolver {
public:
    struct Answer {
        uint32_t ticket = 0;
        int row = 0;
        ShellEntryInfo info;
    };
    ShellIconResolver(HWND window, UINT message);
    // Does not wait for a call under way: its answer is dropped.
    ~ShellIconResolver();
    ShellIconResolver(const ShellIconResolver&) = delete;
    ShellIconResolver& operator=(const ShellIconResolver&) = delete;

    // ticket and row come back with the answer, so that the caller can tell
    // answers for rows that moved since. The request waits for Wake() unless
    // the thread is at work already.
    void Ask(uint32_t ticket, int row, const std::string& path);
    // Sets the thread to work on the requests waiting. A window asks while it
    // paints and wakes the thread once the paint is done, so that the shell's
    // calls never compete with the paint.
    void Wake();
    // Drops every waiting request; returns nothing.
    void Clear();
    // Drops the waiting requests whose row `keep` refuses; their rows go into `dropped`.
    void Retain(const std::function<bool(int row)>& keep, std::vector<int>& dropped);
    std::vector<Answer> TakeAnswers();
    // Requests waiting or one being answered.
    bool Busy() const;

private:
    struct Request {
        uint32_t ticket;
        int row;
        std::string path;
    };
    struct Shared {
        std::mutex mutex;
        std::condition_variable wake;
        std::vector<Request> waiting; // the newest last
        std::vector<Answer> answers;
        bool working = false;
        bool awake = false; // woken, and requests are left
        bool stop = false;
        HWND window = nullptr;
        UINT message = 0;
    };
    static void Work(std::shared_ptr<Shared> shared);
    void Start();

    std::shared_ptr<Shared> shared_;
    bool started_ = false;
};

} // namespace velmora::explorer
