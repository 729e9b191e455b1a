// Listing folders with the file list, against the bare FindFirstFile/FindNextFile
// enumeration of the same folders. A plain timing program for Wine: prints the
// best and the median of several runs.
//   file_list_bench [RUNS] [small] [big] [damaged]
// small:   1,000 and 10,000 files (sorting, selection sums, the per-path call's cost)
// big:     100,000 empty files of ten ordinary extensions, and sorting them
// damaged: 10,000 files of which 1,000 are damaged programs, against the same
//          folder without them; the time until the icons on screen are in and
//          the longest a scroll step takes while they come
// The folders stay between runs (making 100,000 files through Wine takes many
// minutes): in VELMORA_BENCH_DIR when set, else in "velmora_list_bench" in the
// temporary folder. A folder whose entry count is off is completed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    double best, median, worst;
};

Stats Summarise(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2], times.back()};
}

const char* const kExtensions[] = {".txt", ".dat", ".log", ".cpp", ".h",
                                   ".htm", ".bmp", ".doc", ".ini", ".xml"};

// A folder's file names, and whether a file is a damaged program.
struct FileSpec {
    std::string name;
    size_t bytes = 0;
    bool damagedProgram = false;
};

std::vector<FileSpec> PlainFiles(int count, int extensions, bool withContents) {
    std::vector<FileSpec> files;
    for (int i = 0; i < count; ++i) {
        char name[48];
        std::snprintf(name, sizeof name, "dosya %06d%s", (i * 7919) % 1000003, kExtensions[i % extensions]);
        files.push_back({name, withContents ? static_cast<size_t>(i % 3000) : 0, false});
    }
    return files;
}

// Every tenth file a program of garbage bytes, its name among the others.
std::vector<FileSpec> WithDamagedPrograms(int count) {
    std::vector<FileSpec> files = PlainFiles(count, 10, false);
    for (size_t i = 0; i < files.size(); i += 10) {
        files[i].name.resize(files[i].name.size() - 4);
        files[i].name += ".exe";
        files[i].bytes = 2048 + i % 512;
        files[i].damagedProgram = true;
    }
    return files;
}

// True when the folder holds exactly these entries (and "." and ".."): it is
// used as it is. Its files may also be made beforehand from outside, with the
// same names.
bool Prepared(const std::string& folder, const std::vector<FileSpec>& files, int subFolders) {
    return BareEnumeration(folder) == static_cast<int>(files.size()) + subFolders + 2;
}

// Makes the files and folders that are missing or of the wrong size; files
// already in place are left alone, so an interrupted run is completed.
void MakeFolder(const std::string& folder, const std::vector<FileSpec>& files, int subFolders) {
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string contents;
    for (const FileSpec& file : files) {
        HANDLE h = CreateFileA((folder + file.name).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
        if (existed && GetFileSize(h, nullptr) == file.bytes) {
            CloseHandle(h);
            continue;
        }
        if (file.bytes) {
            contents.assign(file.bytes, 'x');
            if (file.damagedProgram) {
                // "MZ" and then noise: a program header that leads nowhere.
                for (size_t k = 0; k < contents.size(); ++k)
                    contents[k] = static_cast<char>((k * 2654435761u + file.bytes) >> 13);
                contents[0] = 'M';
                contents[1] = 'Z';
            }
            DWORD written = 0;
            WriteFile(h, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
        }
        SetEndOfFile(h);
        CloseHandle(h);
    }
    for (int i = 0; i < subFolders; ++i)
        CreateDirectoryA((folder + "klasör " + std::to_string(i)).c_str(), nullptr);
}

// Uses the folder as it is, or completes it first (saying so before the wait);
// the seconds the check and the making took. A folder that still has the
// wrong count (a stray file in it) is reported, and measured as it is.
struct Provided {
    bool found;
    double seconds;
};
Provided Provide(const std::string& folder, const std::vector<FileSpec>& files, int subFolders) {
    double t0 = Now();
    if (Prepared(folder, files, subFolders)) return {true, (Now() - t0) / 1000.0};
    std::printf("  (making %s)\n", folder.c_str());
    std::fflush(stdout);
    MakeFolder(folder, files, subFolders);
    const int expected = static_cast<int>(files.size()) + subFolders + 2;
    const int entries = BareEnumeration(folder);
    if (entries != expected) std::printf("  (warning: %d entries there, %d expected)\n", entries, expected);
    std::fflush(stdout);
    return {false, (Now() - t0) / 1000.0};
}

// Handles every waiting message (the icon answers among them).
void Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The clock and the processor time of one step.
struct Cost {
    double wall = 0, cpu = 0;
};
template <typename F> Cost Measure(F&& step) {
    double t0 = Now(), c0 = ThreadCpu();
    step();
    return {Now() - t0, ThreadCpu() - c0};
}

// Lists a folder from the drives view: the rows in and drawn.
Cost TimeListing(TFileListView& list, const std::string& folder) {
    list.SetDirectory("Drives");
    Drain();
    return Measure([&] {
        list.SetDirectory(folder);
        UpdateWindow(list.Handle());
    });
}

void ClickColumn(tk::TForm& form, TFileListView& list, int column) {
    NMLISTVIEW click{};
    click.hdr.hwndFrom = list.Handle();
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = column;
    SendMessageA(form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
}

struct Context {
    tk::TForm* form;
    TFileListView* list;
    std::string base;
    int runs;
};

void SmallFolders(Context& c) {
    TFileListView& list = *c.list;
    for (int count : {1000, 10000}) {
        const std::string folder = c.base + "n" + std::to_string(count) + "\\";
        std::vector<FileSpec> files = PlainFiles(count, 8, true);
        Provide(folder, files, count / 100);
        std::vector<double> bare, listing;
        int entries = 0;
        for (int run = 0; run < c.runs; ++run) {
            double t0 = Now();
            entries = BareEnumeration(folder);
            bare.push_back(Now() - t0);
            listing.push_back(TimeListing(list, folder).wall);
        }
        // What one shell call per row would cost: a sample of per-path calls.
        const int sample = 20;
        double t0 = Now();
        for (int i = 0; i < sample; ++i)
            velmora::explorer::ShellInfoCache::ForPath(folder + files[i * 37 % count].name);
        const double perCall = (Now() - t0) / sample;
        // A column click with every row selected, while an owner that
        // refreshes its status line on every change listens (as the main window does).
        int64_t shownSize = 0;
        list.OnChange = [&] { shownSize = list.SelectedSize(); };
        list.SelectAll();
        t0 = Now();
        SendMessageA(list.Handle(), WM_SETREDRAW, FALSE, 0);
        ClickColumn(*c.form, list, 1);
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
        std::fflush(stdout);
    }
}

void BigFolder(Context& c) {
    TFileListView& list = *c.list;
    const int count = 100000;
    const std::string folder = c.base + "n100000\\";
    std::vector<FileSpec> files = PlainFiles(count, 10, false);
    const Provided provided = Provide(folder, files, 0);
    std::printf("100,000 empty files of ten extensions (%s in %.1f s)\n", provided.found ? "found" : "made",
                provided.seconds);
    std::fflush(stdout);
    std::vector<double> bare, listing, bareCpu, listingCpu, sortSize, sortName, sortBack;
    int entries = 0;
    for (int run = 0; run < c.runs; ++run) {
        Cost b = Measure([&] { entries = BareEnumeration(folder); });
        bare.push_back(b.wall);
        bareCpu.push_back(b.cpu);
        Cost l = TimeListing(list, folder);
        listing.push_back(l.wall);
        listingCpu.push_back(l.cpu);
        // Column clicks, each drawn: by size, by name (descending, then back).
        auto click = [&](int column) {
            return Measure([&] {
                       ClickColumn(*c.form, list, column);
                       UpdateWindow(list.Handle());
                   })
                .wall;
        };
        sortSize.push_back(click(1));
        sortName.push_back(click(0));
        sortBack.push_back(click(0));
    }
    Stats b = Summarise(bare), l = Summarise(listing), bc = Summarise(bareCpu), lc = Summarise(listingCpu);
    std::printf("  %d entries, %d rows, %d shell calls per listing\n", entries, list.RowCount(),
                list.LastListingShellCalls());
    std::printf("  bare FindFirstFile/FindNextFile: best %8.2f ms  median %8.2f ms  (processor %8.2f ms)\n",
                b.best, b.median, bc.median);
    std::printf("  UpdateFileList:                  best %8.2f ms  median %8.2f ms  (processor %8.2f ms)\n",
                l.best, l.median, lc.median);
    std::printf("  ratio (median): %.2f x  (processor %.2f x)\n", l.median / b.median, lc.median / bc.median);
    Stats s1 = Summarise(sortSize), s2 = Summarise(sortName), s3 = Summarise(sortBack);
    std::printf("  column click, median (worst): size %.1f ms (%.1f), name descending %.1f ms (%.1f), "
                "name ascending %.1f ms (%.1f)\n",
                s1.median, s1.worst, s2.median, s2.worst, s3.median, s3.worst);
    list.SetDirectory("Drives");
    std::fflush(stdout);
}

// Scrolls the list a page at a time, each step handled and drawn as the
// user would see it; returns the step times.
std::vector<double> ScrollThrough(TFileListView& list, int pages) {
    std::vector<double> steps;
    for (int i = 0; i < pages; ++i) {
        double t0 = Now();
        SendMessageA(list.Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
        Drain();
        UpdateWindow(list.Handle());
        steps.push_back(Now() - t0);
    }
    return steps;
}

// Waits, handling messages, until the icons on screen are in; the time taken.
double WaitForIcons(TFileListView& list) {
    double t0 = Now();
    while (list.IconsPending() && Now() - t0 < 60000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        Drain();
    }
    return Now() - t0;
}

void DamagedPrograms(Context& c) {
    TFileListView& list = *c.list;
    const int count = 10000;
    const std::string damagedFolder = c.base + "damaged\\";
    const std::string plainFolder = c.base + "plain\\";
    std::vector<FileSpec> withPrograms = WithDamagedPrograms(count);
    std::vector<FileSpec> without;
    for (const FileSpec& file : withPrograms)
        if (!file.damagedProgram) without.push_back(file);
    std::printf("10,000 files, 1,000 of them damaged programs, against the same 9,000 without them\n");
    Provide(damagedFolder, withPrograms, 0);
    Provide(plainFolder, without, 0);
    std::vector<double> damaged, plain, damagedCpu, plainCpu, iconsIn, lastIconsIn;
    std::vector<double> damagedSteps, plainSteps;
    for (int run = 0; run < c.runs; ++run) {
        Cost p = TimeListing(list, plainFolder);
        plain.push_back(p.wall);
        plainCpu.push_back(p.cpu);
        for (double step : ScrollThrough(list, 20))
            plainSteps.push_back(step);
        Cost d = TimeListing(list, damagedFolder);
        damaged.push_back(d.wall);
        damagedCpu.push_back(d.cpu);
        iconsIn.push_back(WaitForIcons(list));
        // Scrolling on while each new page's programs are asked.
        for (double step : ScrollThrough(list, 20))
            damagedSteps.push_back(step);
        lastIconsIn.push_back(WaitForIcons(list));
    }
    Stats d = Summarise(damaged), p = Summarise(plain), i = Summarise(iconsIn), li = Summarise(lastIconsIn);
    Stats pc = Summarise(plainCpu), dc = Summarise(damagedCpu);
    std::printf("  without the programs: best %8.2f ms  median %8.2f ms  (processor %8.2f ms)\n", p.best,
                p.median, pc.median);
    std::printf("  with them:            best %8.2f ms  median %8.2f ms  (processor %8.2f ms; %d shell calls "
                "per listing)\n",
                d.best, d.median, dc.median, list.LastListingShellCalls());
    std::printf("  ratio (median): %.2f x  (processor %.2f x)\n", d.median / p.median, dc.median / pc.median);
    std::printf(
        "  icons on screen in after the listing: median %.1f ms; after 20 pages of scrolling: %.1f ms\n",
        i.median, li.median);
    Stats ds = Summarise(damagedSteps), ps = Summarise(plainSteps);
    std::printf(
        "  a page scroll while icons come: median %.1f ms, worst %.1f ms (without programs %.1f, %.1f)\n",
        ds.median, ds.worst, ps.median, ps.worst);
    const int sample = 5;
    double t0 = Now();
    for (int k = 0; k < sample; ++k)
        velmora::explorer::ShellInfoCache::ForPath(damagedFolder + withPrograms[k * 10 + 20].name);
    std::printf("  one per-path call for a damaged program: %.1f ms\n", (Now() - t0) / sample);
    list.SetDirectory("Drives");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    int runs = 7;
    bool small = false, big = false, damaged = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "small"))
            small = true;
        else if (!std::strcmp(argv[i], "big"))
            big = true;
        else if (!std::strcmp(argv[i], "damaged"))
            damaged = true;
        else
            runs = std::max(1, std::atoi(argv[i]));
    }
    if (!small && !big && !damaged) small = big = damaged = true;
    tk::Application().Initialize();

    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string base = std::string(temp) + "velmora_list_bench\\";
    char chosen[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("VELMORA_BENCH_DIR", chosen, sizeof chosen);
    if (length > 0 && length < sizeof chosen) {
        base = chosen;
        if (base.back() != '\\' && base.back() != '/') base += '\\';
    }
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

    Context context{&form, &list, base, runs};
    if (small) SmallFolders(context);
    if (big) BigFolder(context);
    if (damaged) DamagedPrograms(context);
    return 0;
}
