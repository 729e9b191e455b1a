// Listing folders of 1,000 and 10,000 files with the file list, against the
// bare FindFirstFile/FindNextFile enumeration of the same folders. A plain
// timing program for Wine: prints the best and the median of several runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "explorer/file_list_view.h"
#include "explorer/shell_info_cache.h"
#include "timing.h"
#include "toolkit/application.h"
#include "toolkit/form.h"

using velmora::explorer::TFileListView;

namespace {

int BareEnumeration(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int entries = 0;
    do
        ++entries;
    while (FindNextFileA(find, &data));
    FindClose(find);
    return entries;
}

struct Stats {
    double best, median;
};

Stats Summarise(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

const char* const kExtensions[] = {".txt", ".dat", ".log", ".cpp", ".h", ".htm", ".bmp", ".doc"};

std::string FileName(int i) {
    char name[48];
    std::snprintf(name, sizeof name, "dosya %05d%s", (i * 7919) % 100000, kExtensions[i % 8]);
    return name;
}

void MakeFolder(const std::string& folder, int count) {
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < count; ++i) {
        HANDLE h = CreateFileA((folder + FileName(i)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        DWORD written = 0;
        std::string contents(static_cast<size_t>(i % 3000), 'x');
        if (!contents.empty())
            WriteFile(h, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
        CloseHandle(h);
    }
    for (int i = 0; i < count / 100; ++i)
        CreateDirectoryA((folder + "klasör " + std::to_string(i)).c_str(), nullptr);
}

void RemoveFolder(const std::string& folder, int count) {
    for (int i = 0; i < count; ++i)
        DeleteFileA((folder + FileName(i)).c_str());
    for (int i = 0; i < count / 100; ++i)
        RemoveDirectoryA((folder + "klasör " + std::to_string(i)).c_str());
    RemoveDirectoryA(folder.c_str());
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    tk::Application().Initialize();

    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string base = std::string(temp) + "velmora_list_bench\\";
    CreateDirectoryA(base.c_str(), nullptr);

    tk::TForm form(tk::TForm::Params{"list bench", 700, 700});
    TFileListView::Params params;
    params.parent = &form;
    params.bounds = RECT{0, 0, 680, 650};
    TFileListView list(params);
    form.Show();
    // The shell's first answers load its image lists: not part of a listing.
    list.SetDirectory(temp);
    tk::Application().ProcessMessages();

    for (int count : {1000, 10000}) {
        const std::string folder = base + "n" + std::to_string(count) + "\\";
        MakeFolder(folder, count);
        std::vector<double> bare, listing;
        int entries = 0;
        for (int run = 0; run < runs; ++run) {
            double t0 = Now();
            entries = BareEnumeration(folder);
            bare.push_back(Now() - t0);

            list.SetDirectory("Drives");
            t0 = Now();
            list.SetDirectory(folder); // UpdateFileList, the rows drawn
            UpdateWindow(list.Handle());
            listing.push_back(Now() - t0);
        }
        // What one shell call per row would cost: a sample of per-path calls.
        const int sample = 20;
        double t0 = Now();
        for (int i = 0; i < sample; ++i)
            velmora::explorer::ShellInfoCache::ForPath(folder + FileName(i * 37 % count));
        const double perCall = (Now() - t0) / sample;
        // A column click with every row selected, while an owner that
        // refreshes its status line on every change listens (as the main window does).
        int64_t shownSize = 0;
        list.OnChange = [&] { shownSize = list.SelectedSize(); };
        list.SelectAll();
        t0 = Now();
        SendMessageA(list.Handle(), WM_SETREDRAW, FALSE, 0);
        NMLISTVIEW click{};
        click.hdr.hwndFrom = list.Handle();
        click.hdr.idFrom = 0;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iSubItem = 1;
        SendMessageA(form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
        SendMessageA(list.Handle(), WM_SETREDRAW, TRUE, 0);
        const double sortAll = Now() - t0;
        t0 = Now();
        shownSize = list.SelectedSize();
        const double sumAll = Now() - t0;
        list.OnChange = nullptr;
        // Half of the rows selected: the status line's sum walks the selection.
        SendMessageA(list.Handle(), WM_SETREDRAW, FALSE, 0);
        for (int i = 0; i < list.RowCount(); ++i)
            list.SetSelected(i, i % 2 == 0);
        SendMessageA(list.Handle(), WM_SETREDRAW, TRUE, 0);
        t0 = Now();
        int64_t halfSize = list.SelectedSize();
        const double sumHalf = Now() - t0;
        Stats b = Summarise(bare), l = Summarise(listing);
        std::printf("%d files (%d entries, %d rows, %d shell calls per listing)\n", count, entries,
                    list.RowCount(), list.LastListingShellCalls());
        std::printf("  bare FindFirstFile/FindNextFile: best %8.2f ms  median %8.2f ms\n", b.best, b.median);
        std::printf("  UpdateFileList:                  best %8.2f ms  median %8.2f ms\n", l.best, l.median);
        std::printf("  ratio (median): %.2f x\n", l.median / b.median);
        std::printf(
            "  sort by size with all rows selected: %.2f ms (status %lld bytes; the sum alone %.2f ms)\n",
            sortAll, static_cast<long long>(shownSize), sumAll);
        std::printf("  size of every other row selected: %.2f ms (%lld bytes)\n", sumHalf,
                    static_cast<long long>(halfSize));
        std::printf("  one SHGetFileInfo per path: %.2f ms a call, about %.1f s for the folder\n", perCall,
                    perCall * entries / 1000.0);
        list.SetDirectory("Drives");
        RemoveFolder(folder, count);
    }
    RemoveDirectoryA(base.c_str());
    return 0;
}
