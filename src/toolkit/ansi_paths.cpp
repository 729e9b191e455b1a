#include "toolkit/ansi_paths.h"

#include <vector>

namespace tk {

namespace {

bool Spell(const std::wstring& text, std::string& out) {
    if (text.empty()) return false;
    BOOL unspellable = FALSE;
    int size =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, "?", &unspellable);
    if (size <= 0 || unspellable) return false;
    std::string spelled(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, spelled.data(), size, "?",
                            &unspellable) <= 0 ||
        unspellable)
        return false;
    spelled.resize(static_cast<size_t>(size - 1));
    out = spelled;
    return true;
}

} // namespace

std::string AnsiPath(const std::wstring& path) {
    std::string result;
    if (Spell(path, result)) return result;
    DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return {};
    std::wstring shortPath(n, L'\0');
    n = GetShortPathNameW(path.c_str(), shortPath.data(), n);
    if (n == 0 || n >= shortPath.size()) return {};
    shortPath.resize(n);
    return Spell(shortPath, result) ? result : std::string();
}

std::string AnsiPathForMessage(const std::wstring& path) {
    if (path.empty()) return {};
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, nullptr, 0, "?", nullptr);
    if (size <= 0) return {};
    std::string shown(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, shown.data(), size, "?", nullptr);
    shown.resize(static_cast<size_t>(size - 1));
    return shown;
}

bool AnsiPathFromItemList(LPCITEMIDLIST list, std::string& path, std::string& shown) {
    wchar_t wide[MAX_PATH * 2] = {};
    if (!list || !SHGetPathFromIDListW(list, wide) || !wide[0]) return false;
    std::string spelled = AnsiPath(wide);
    if (spelled.empty()) {
        shown = AnsiPathForMessage(wide);
        return false;
    }
    path = spelled;
    return true;
}

} // namespace tk
