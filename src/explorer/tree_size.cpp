#include "explorer/tree_size.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "base/os.h"
#include "explorer/path_utils.h"

namespace velmora::explorer {

int64_t FilesSizeIn(const std::string& folder) {
    if (folder.empty()) return 0;
    int64_t total = 0;
    for (FolderSearch search(AddSlash(folder) + "*.*"); search.Found(); search.Next()) {
        const WIN32_FIND_DATAA& data = search.Entry();
        if (!search.IsFolder()) total += (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return total;
}

int64_t FolderTreeBytes(const std::string& folder, const std::function<void()>& keepAlive) {
    if (folder.empty()) return 0;
    int64_t total = 0;
    unsigned entries = 0;
    // Depth-first with a list of its own: deep trees need no deep call stack.
    std::vector<std::string> pending{AddSlash(folder)};
    while (!pending.empty()) {
        const std::string current = std::move(pending.back());
        pending.pop_back();
        for (FolderSearch search(current + "*.*"); search.Found(); search.Next()) {
            if (keepAlive && ++entries % 256 == 0) keepAlive();
            const WIN32_FIND_DATAA& data = search.Entry();
            if (!search.IsFolder()) {
                total += (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
                continue;
            }
            if (search.IsDots() || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
            std::string name = data.cFileName;
            if (name.find('?') != std::string::npos) {
                // Unspellable in the code page: only the short name leads there.
                if (!data.cAlternateFileName[0]) continue;
                name = data.cAlternateFileName;
            }
            pending.push_back(current + name + "\\");
        }
    }
    return total;
}

void KeepWindowsPainted() {
    static DWORD last = 0;
    DWORD now = GetTickCount();
    if (now - last < 100) return;
    last = now;
    MSG msg;
    for (int i = 0; i < 64 && PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
        DispatchMessageA(&msg);
}

namespace {

// A number with two decimals and grouped thousands in the locale's separators.
std::string TwoDecimals(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    std::string digits = buffer;
    bool negative = !digits.empty() && digits[0] == '-';
    if (negative) digits.erase(0, 1);
    size_t point = digits.find('.');
    std::string whole = digits.substr(0, point), fraction = digits.substr(point + 1);
    std::string grouped;
    for (size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) grouped += os::ThousandSeparator();
        grouped += whole[i];
    }
    return (negative ? "-" : "") + grouped + os::DecimalSeparator() + fraction;
}

} // namespace

std::string CapacityAmountText(int64_t bytes) {
    double kb = (bytes >= 1 && bytes <= 1023) ? 1.0 : static_cast<double>(bytes) / 1024.0;
    if (kb > 99999) return TwoDecimals(kb / 1024.0) + " MB";
    return TwoDecimals(kb) + " KB";
}

std::string CapacityReportText(const std::string& title, int64_t bytes) {
    return "=== TOPLAM KAPASİTE ===\r\r" + title + "\r" +
           "ve bütün alt klasörler ile =  " + CapacityAmountText(bytes);
}

} // namespace velmora::explorer
