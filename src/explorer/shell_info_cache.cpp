#include "explorer/shell_info_cache.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <thread>

#include "base/ascii_text.h"
#include "base/file_name.h"
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

// The type name of a file as an item of a folder. The item is made from
// itemPath alone, without looking for it on the disk: its type name comes
// from its extension. Should the shell refuse, the file's own path is asked.
std::string AskTypeName(const std::string& itemPath, const std::string& path) {
    SHFILEINFOA info{};
    std::wstring wide(itemPath.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, itemPath.c_str(), static_cast<int>(itemPath.size()), wide.data(),
                                static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
    LPITEMIDLIST item = wide.empty() ? nullptr : SHSimpleIDListFromPath(wide.c_str());
    BOOL answered = FALSE;
    if (item) {
        answered = SHGetFileInfoA(reinterpret_cast<LPCSTR>(item), 0, &info, sizeof info,
                                  SHGFI_PIDL | SHGFI_TYPENAME) != 0;
        CoTaskMemFree(item);
    }
    if (!answered && !SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_TYPENAME)) return {};
    info.szTypeName[sizeof info.szTypeName - 1] = '\0';
    return info.szTypeName;
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

// True when the extension names a class with a name of its own: the shell
// then calls every such file by that name, whether it opens the path or not.
bool ShellInfoCache::TypeHasClassName(const std::string& extension) {
    if (extension.empty()) return false;
    const std::string progId = ClassValue(extension);
    return !progId.empty() && !ClassValue(progId).empty();
}

bool ShellInfoCache::ExtensionIsPerFile(const std::string& extension) {
    static const char* const kAlways[] = {".exe", ".ico", ".lnk", ".cur", ".ani",
                                          ".scr", ".cpl", ".pif", ".url"};
    std::string lower = LowerAscii(extension);
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

std::string ShellInfoCache::ExtensionOf(std::string_view path) {
    // A single-byte code page: no byte of a name is the tail of another
    // character, so a plain scan finds what the shell's character walk finds
    // (which costs a call per character).
    std::string extension = velmora::ExtensionOf(path);
    return extension.find(' ') == std::string::npos ? extension : std::string();
}

const ShellEntryInfo& ShellInfoCache::Lookup(const std::string& fullPath, uint32_t attributes,
                                             size_t nameStart) {
    if (attributes & kAttrDirectory) {
        if (!haveFolder_) {
            // A plain folder: the shell's answer for any folder.
            ++realCalls_;
            folder_ = AskByAttributes(fullPath, FILE_ATTRIBUTE_DIRECTORY);
            markedFolder_ = folder_;
            markedFolder_.iconPerPath = true;
            haveFolder_ = true;
        }
        return attributes & (kAttrReadOnly | kAttrSystem) ? markedFolder_ : folder_;
    }
    // The extension as the shell sees it (a space after the last dot ends it).
    // Kept with its letter case: the shell's made-up type names repeat it.
    std::string extension(
        ExtensionOf(std::string_view(fullPath).substr(std::min(nameStart, fullPath.size()))));
    auto found = byExtension_.find(extension);
    if (found != byExtension_.end()) return found->second;
    // From the extension's class alone: a call that opens the path walks the
    // whole folder under Wine (tens of milliseconds in a big one). Files with
    // icons of their own show the class's icon until their rows' turn comes.
    ++realCalls_;
    ShellEntryInfo entry = AskByAttributes(fullPath, attributes);
    const bool madeUp = !TypeHasClassName(extension);
    entry.iconPerPath = ExtensionIsPerFile(extension);
    ShellEntryInfo& added = byExtension_.emplace(std::move(extension), std::move(entry)).first->second;
    if (madeUp) {
        // Without a class the shell makes a name up, worded one way for an
        // item of a folder and another for a bare name: asked as an item,
        // once the listing knows which folder may stand in.
        added.typeName.clear();
        added.typeNamePending = true;
        pending_.emplace_back(&added, fullPath);
    }
    return added;
}

void ShellInfoCache::ResolveTypeNames() {
    for (auto& [entry, path] : pending_) {
        ++realCalls_;
        std::string asked = path;
        if (!madeUpNamesFolder_.empty()) {
            // The same name in the stand-in folder: its extension is what
            // counts, unless something of that name is there.
            size_t slash = path.find_last_of("\\/");
            std::string standIn =
                madeUpNamesFolder_ + path.substr(slash == std::string::npos ? 0 : slash + 1);
            if (GetFileAttributesA(standIn.c_str()) == INVALID_FILE_ATTRIBUTES) asked = std::move(standIn);
        }
        entry->typeName = AskTypeName(asked, path);
        entry->typeNamePending = false;
    }
    pending_.clear();
}

// ---- ShellIconResolver

ShellIconResolver::ShellIconResolver(HWND window, UINT message) : shared_(std::make_shared<Shared>()) {
    shared_->window = window;
    shared_->message = message;
}

ShellIconResolver::~ShellIconResolver() {
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->stop = true;
        shared_->waiting.clear();
    }
    shared_->wake.notify_all();
}

void ShellIconResolver::Start() {
    if (started_) return;
    started_ = true;
    // The thread keeps the shared state alive and ends on its own, so that a
    // slow call never holds up closing the window.
    std::thread(Work, shared_).detach();
}

void ShellIconResolver::Ask(uint32_t ticket, int row, const std::string& path) {
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->waiting.push_back({ticket, row, path});
    }
    Start();
}

void ShellIconResolver::Wake() {
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        if (shared_->waiting.empty()) return;
        shared_->awake = true;
    }
    shared_->wake.notify_one();
}

void ShellIconResolver::Clear() {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->waiting.clear();
    shared_->answers.clear();
}

void ShellIconResolver::Retain(const std::function<bool(int row)>& keep, std::vector<int>& dropped) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    auto& waiting = shared_->waiting;
    auto end = std::stable_partition(waiting.begin(), waiting.end(),
                                     [&](const Request& request) { return keep(request.row); });
    for (auto it = end; it != waiting.end(); ++it)
        dropped.push_back(it->row);
    waiting.erase(end, waiting.end());
}

std::vector<ShellIconResolver::Answer> ShellIconResolver::TakeAnswers() {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    std::vector<Answer> answers;
    answers.swap(shared_->answers);
    return answers;
}

bool ShellIconResolver::Busy() const {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->working || !shared_->waiting.empty() || !shared_->answers.empty();
}

void ShellIconResolver::Work(std::shared_ptr<Shared> shared) {
    // Shortcuts and icon handlers are COM objects.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->stop || (shared->awake && !shared->waiting.empty()); });
        if (shared->stop) break;
        Request request = std::move(shared->waiting.back());
        shared->waiting.pop_back();
        if (shared->waiting.empty()) shared->awake = false;
        shared->working = true;
        lock.unlock();
        Answer answer{request.ticket, request.row, ShellInfoCache::ForPath(request.path)};
        lock.lock();
        shared->working = false;
        if (shared->stop) break;
        shared->answers.push_back(std::move(answer));
        // One message for a batch: the window takes every waiting answer.
        if (shared->answers.size() == 1) PostMessageA(shared->window, shared->message, 0, 0);
    }
    lock.unlock();
    if (SUCCEEDED(com)) CoUninitialize();
}

} // namespace velmora::explorer
