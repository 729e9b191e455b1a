// Real pages under Wine: every .htm/.html file under a folder loaded into the
// viewer (pictures included), laid out at 800 and 400 px, painted and paged
// through to its end. A crash, an error box or a hang is a failure, named in
// the table with the page; the times are per page and per MB of its HTML.
// Run: scripts/wine-emulator build/bench-win32/bench/html/real_pages_bench.exe FOLDER [--min-kb N]
//
// The pages run in a child process, so that a crash or a hang ends only that
// child: it reports the page it was on, and the next child goes on after it.
// The HTML headers come before <windows.h>: its DEFAULT_CHARSET macro would
// hide the document's constant.
#include "html/html_view.h"
// (after them)
#include "../explorer/timing.h"
#include "toolkit/application.h"
#include "toolkit/dialogs.h"
#include "toolkit/form.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <string>
#include <vector>

using namespace velmora::html;

namespace {

// Bounds of the walk: a folder tree this deep or this big is not documentation.
constexpr int kMaxDepth = 24;
constexpr size_t kMaxPages = 20000;
// A page still running after this long hangs (generous: the target is a
// second per MB).
constexpr DWORD kHangBaseMs = 30000, kHangPerMbMs = 10000;

bool EndsWithNoCase(const std::string& s, const char* tail) {
    const size_t n = std::strlen(tail);
    return s.size() >= n && _stricmp(s.c_str() + s.size() - n, tail) == 0;
}

// Every .htm/.html file under `folder`; reparse points (links, mount points)
// are not followed, so no cycle can keep the walk going.
void Walk(const std::string& folder, int depth, std::vector<std::string>& pages) {
    if (depth > kMaxDepth || pages.size() >= kMaxPages) return;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    std::vector<std::string> subfolders;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        const std::string path = folder + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            subfolders.push_back(path);
        else if ((EndsWithNoCase(name, ".htm") || EndsWithNoCase(name, ".html")) && pages.size() < kMaxPages)
            pages.push_back(path);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    for (const std::string& sub : subfolders)
        Walk(sub, depth + 1, pages);
}

// Records every modal interaction instead of showing it: a page that raises
// a box fails, and no box ever waits for a user who is not there.
class RecordingDialogs : public tk::Dialogs {
public:
    std::vector<std::string> calls;

    int Message(const tk::MessageRequest& r) override {
        calls.push_back("message box: " + r.caption + ": " + r.text);
        return IDOK;
    }
    bool InputQuery(const tk::InputRequest& r, std::string&) override {
        calls.push_back("input box: " + r.prompt);
        return false;
    }
    INT_PTR Execute(const tk::ShellExecuteRequest& r) override {
        calls.push_back("shell: " + r.verb + " " + r.file);
        return 42;
    }
    bool BrowseForFolder(const tk::FolderRequest& r, std::string&) override {
        calls.push_back("folder box: " + r.title);
        return false;
    }
    int ShowModal(tk::TForm&) override {
        calls.push_back("modal form");
        return IDCANCEL;
    }
    bool FontDialog(const tk::FontRequest&, tk::FontAnswer&) override {
        calls.push_back("font box");
        return false;
    }
    bool ColorDialog(const tk::ColorRequest&, tk::ColorAnswer&) override {
        calls.push_back("colour box");
        return false;
    }
    bool PrintSetupDialog(const tk::PrintRequest&, tk::PrintAnswer&) override {
        calls.push_back("print setup box");
        return false;
    }
    bool PrintDialog(const tk::PrintRequest&, tk::PrintAnswer&) override {
        calls.push_back("print box");
        return false;
    }
    UINT PopupMenu(const tk::PopupRequest&) override {
        calls.push_back("pop-up menu");
        return 0;
    }
    std::unique_ptr<tk::FindSession> BeginFind(const tk::FindRequest&, tk::FindHandlers) override {
        calls.push_back("find box");
        return nullptr;
    }
};

// ---- the child: runs pages from one index on, one result line each.

FILE* g_results = nullptr;
volatile LONG g_current = -1;     // the page being run
volatile LONG g_deadlineTick = 0; // GetTickCount() past which it hangs; 0 = none

void Report(const char* line) {
    std::fputs(line, g_results);
    std::fflush(g_results);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    char line[128];
    std::snprintf(line, sizeof line, "C\t%ld\t%08lX\n", static_cast<long>(g_current),
                  static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    Report(line);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

DWORD WINAPI Watchdog(void*) {
    for (;;) {
        Sleep(200);
        const LONG deadline = g_deadlineTick;
        if (deadline != 0 && static_cast<LONG>(GetTickCount() - static_cast<DWORD>(deadline)) > 0) {
            char line[64];
            std::snprintf(line, sizeof line, "H\t%ld\n", static_cast<long>(g_current));
            Report(line);
            TerminateProcess(GetCurrentProcess(), 4);
        }
    }
}

// Pages down from the top to the end, painting every screen.
void PageThrough(THtmlView& view) {
    view.SetPosition(0);
    UpdateWindow(view.SurfaceHandle());
    // Each step moves at least a pixel; a bound keeps a stuck bar from looping.
    const int32_t steps = view.MaxVertical() / std::max(1, view.SurfaceHeight() / 2) + 4;
    for (int32_t i = 0; i < steps && view.Position() < view.MaxVertical(); ++i) {
        SendMessageA(view.Handle(), WM_VSCROLL, SB_PAGEDOWN,
                     reinterpret_cast<LPARAM>(view.VScrollBar().Handle()));
        UpdateWindow(view.SurfaceHandle());
        Pump();
    }
    view.SetPosition(view.MaxVertical());
    UpdateWindow(view.SurfaceHandle());
}

std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return s.size() > 200 ? s.substr(0, 200) : s;
}

int RunChild(const std::vector<std::string>& pages, size_t from) {
    SetUnhandledExceptionFilter(OnCrash);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
    // REAL_PAGES_NO_SWEEP=1 leaves out painting every screen (a quicker run).
    const bool skipSweep = GetEnvironmentVariableA("REAL_PAGES_NO_SWEEP", nullptr, 0) > 0;
    // REAL_PAGES_PHASES=1 prints each page's steps (wall ms) on stderr: where a page's time goes.
    const bool phases = GetEnvironmentVariableA("REAL_PAGES_PHASES", nullptr, 0) > 0;
    RecordingDialogs dialogs;
    tk::SetDialogs(&dialogs);
    tk::Application().Initialize();
    tk::TForm::Params fp;
    fp.caption = "real pages";
    fp.width = 840;
    fp.height = 660;
    tk::TForm form(fp);
    form.Show();
    THtmlView::Params vp;
    vp.parent = &form;
    vp.bounds = RECT{0, 0, 800, 600};
    THtmlView view(vp);
    Pump();
    for (size_t i = from; i < pages.size(); ++i) {
        const std::string& page = pages[i];
        WIN32_FILE_ATTRIBUTE_DATA fa;
        const double bytes = GetFileAttributesExA(page.c_str(), GetFileExInfoStandard, &fa)
                                 ? static_cast<double>(fa.nFileSizeLow)
                                 : 0;
        g_current = static_cast<LONG>(i);
        g_deadlineTick = static_cast<LONG>(GetTickCount() + kHangBaseMs +
                                           static_cast<DWORD>(kHangPerMbMs * bytes / 1048576.0));
        dialogs.calls.clear();
        std::string error;
        const double t0 = Now(), c0 = ThreadCpu();
        int32_t height800 = 0, height400 = 0;
        double sweep = 0;
        // What a reader does: open, see the top, jump to the end; then the
        // same at 400 px. Every screen is painted afterwards, outside the
        // time, so that a fault anywhere in the page shows.
        auto toEnd = [&] {
            UpdateWindow(view.SurfaceHandle());
            view.SetPosition(view.MaxVertical());
            UpdateWindow(view.SurfaceHandle());
            Pump();
        };
        double marks[5] = {t0, 0, 0, 0, 0};
        try {
            view.SetBounds(0, 0, 800, 600);
            view.LoadFromFile(page);
            marks[1] = Now();
            toEnd();
            marks[2] = Now();
            height800 = view.DocumentHeight();
            view.SetBounds(0, 0, 400, 600);
            view.SetPosition(0);
            marks[3] = Now();
            toEnd();
            marks[4] = Now();
            height400 = view.DocumentHeight();
            if (phases)
                std::fprintf(stderr, "%s: load %.1f, end at 800 %.1f, 400 px %.1f, end at 400 %.1f ms\n",
                             page.c_str(), marks[1] - marks[0], marks[2] - marks[1], marks[3] - marks[2],
                             marks[4] - marks[3]);
        } catch (const std::exception& e) {
            error = std::string("exception: ") + e.what();
        } catch (...) {
            error = "exception";
        }
        const double wall = Now() - t0, cpu = ThreadCpu() - c0;
        if (error.empty() && !skipSweep) {
            // A screen costs a few milliseconds: the bound grows with the screens.
            const double screens = (height800 + height400) / 300.0;
            g_deadlineTick =
                static_cast<LONG>(GetTickCount() + kHangBaseMs + static_cast<DWORD>(100.0 * screens));
            const double s0 = Now();
            try {
                PageThrough(view);
                view.SetBounds(0, 0, 800, 600);
                PageThrough(view);
            } catch (...) {
                error = "exception while paging through";
            }
            sweep = Now() - s0;
        }
        g_deadlineTick = 0;
        if (error.empty() && !dialogs.calls.empty()) error = dialogs.calls.front();
        char line[512];
        std::snprintf(line, sizeof line, "R\t%u\t%.0f\t%.2f\t%.2f\t%d\t%d\t%.0f\t%s\n",
                      static_cast<unsigned>(i), bytes, wall, cpu, static_cast<int>(height800),
                      static_cast<int>(height400), sweep, OneLine(error).c_str());
        Report(line);
        view.Clear();
        Pump();
    }
    tk::SetDialogs(nullptr);
    return 0;
}

// ---- the parent: walks the folder, runs children, prints the table.

struct Result {
    double bytes = 0, wall = 0, cpu = 0;
    int height800 = 0, height400 = 0;
    double sweep = 0;    // painting every screen at both widths, not in `wall`
    std::string failure; // empty when the page passed
    bool done = false;
};

void ReadResults(const std::string& file, std::vector<Result>& results) {
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) return;
    char buf[1024];
    while (std::fgets(buf, sizeof buf, f)) {
        std::string line = buf;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        std::vector<std::string> fields;
        size_t start = 0;
        for (;;) {
            const size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        if (fields.size() < 2) continue;
        const long index = std::atol(fields[1].c_str());
        if (index < 0 || static_cast<size_t>(index) >= results.size()) continue;
        Result& r = results[static_cast<size_t>(index)];
        if (fields[0] == "R" && fields.size() >= 9) {
            r.bytes = std::atof(fields[2].c_str());
            r.wall = std::atof(fields[3].c_str());
            r.cpu = std::atof(fields[4].c_str());
            r.height800 = std::atoi(fields[5].c_str());
            r.height400 = std::atoi(fields[6].c_str());
            r.sweep = std::atof(fields[7].c_str());
            r.failure = fields[8];
            r.done = true;
        } else if (fields[0] == "C" && fields.size() >= 3) {
            r.failure = "crash (exception " + fields[2] + ")";
            r.done = true;
        } else if (fields[0] == "H") {
            r.failure = "hang (no end within the time bound)";
            r.done = true;
        }
    }
    std::fclose(f);
}

int RunParent(const std::string& folderArg, double minBytes) {
    char full[MAX_PATH];
    if (!GetFullPathNameA(folderArg.c_str(), MAX_PATH, full, nullptr)) {
        std::fprintf(stderr, "no such folder: %s\n", folderArg.c_str());
        return 2;
    }
    std::string folder = full;
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    std::vector<std::string> pages;
    Walk(folder, 0, pages);
    if (minBytes > 0)
        pages.erase(std::remove_if(pages.begin(), pages.end(),
                                   [&](const std::string& p) {
                                       WIN32_FILE_ATTRIBUTE_DATA a;
                                       return !GetFileAttributesExA(p.c_str(), GetFileExInfoStandard, &a) ||
                                              (static_cast<double>(a.nFileSizeHigh) * 4294967296.0 +
                                               a.nFileSizeLow) < minBytes;
                                   }),
                    pages.end());
    std::sort(pages.begin(), pages.end());
    if (pages.empty()) {
        std::printf("no .htm/.html files under %s\n", folder.c_str());
        return 2;
    }
    const std::string listFile = TempName("velmora_real_pages.lst");
    const std::string resultFile = TempName("velmora_real_pages.out");
    {
        FILE* f = std::fopen(listFile.c_str(), "wb");
        if (!f) return 2;
        for (const std::string& p : pages)
            std::fprintf(f, "%s\n", p.c_str());
        std::fclose(f);
    }
    DeleteFileA(resultFile.c_str());
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::vector<Result> results(pages.size());
    size_t from = 0;
    const double start = Now();
    while (from < pages.size()) {
        std::string command = "\"" + std::string(self) + "\" --child \"" + listFile + "\" \"" + resultFile +
                              "\" " + std::to_string(from);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::vector<char> cmd(command.begin(), command.end());
        cmd.push_back('\0');
        if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            std::fprintf(stderr, "could not start the child (%lu)\n", GetLastError());
            return 2;
        }
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        ReadResults(resultFile, results);
        // The next child starts after the last page with an outcome; a child
        // that ended without one for the page it was on is a crash there.
        size_t next = from;
        while (next < pages.size() && results[next].done)
            ++next;
        if (next == from) {
            results[from].failure = "the process ended without a result";
            results[from].done = true;
            ++next;
        }
        from = next;
    }
    const double total = Now() - start;
    DeleteFileA(listFile.c_str());
    DeleteFileA(resultFile.c_str());

    std::vector<double> perMb;
    double totalBytes = 0;
    size_t worst = pages.size(), slowest = pages.size();
    std::vector<size_t> failed;
    for (size_t i = 0; i < pages.size(); ++i) {
        const Result& r = results[i];
        if (!r.failure.empty()) {
            failed.push_back(i);
            continue;
        }
        const double mb = std::max(r.bytes, 1.0) / 1048576.0;
        perMb.push_back(r.wall / 1000.0 / mb);
        totalBytes += r.bytes;
        if (worst == pages.size() ||
            r.wall / std::max(r.bytes, 1.0) > results[worst].wall / std::max(results[worst].bytes, 1.0))
            worst = i;
        if (slowest == pages.size() || r.wall > results[slowest].wall) slowest = i;
    }
    std::printf("real pages under %s\n", folder.c_str());
    std::printf("  pages                      %u (%.1f MB of HTML), run in %.0f s\n",
                static_cast<unsigned>(pages.size()), totalBytes / 1048576.0, total / 1000.0);
    std::printf("  failures                   %u\n", static_cast<unsigned>(failed.size()));
    for (size_t i : failed)
        std::printf("    %s: %s\n", pages[i].c_str(), results[i].failure.c_str());
    if (!perMb.empty()) {
        std::vector<double> sorted = perMb;
        std::sort(sorted.begin(), sorted.end());
        std::printf("  time per MB of page        median %.3f s, worst %.3f s\n", sorted[sorted.size() / 2],
                    sorted.back());
        const Result& w = results[worst];
        std::printf("  worst page per MB          %s (%.0f KB, %.0f ms, processor %.0f ms)\n",
                    pages[worst].c_str(), w.bytes / 1024.0, w.wall, w.cpu);
        const Result& s = results[slowest];
        std::printf(
            "  slowest page               %s (%.0f KB, %.0f ms, processor %.0f ms, %d px tall at 800, %d "
            "at 400)\n",
            pages[slowest].c_str(), s.bytes / 1024.0, s.wall, s.cpu, s.height800, s.height400);
        // Pages of at least 100 KB: there the fixed cost of a page (window
        // sizes, fonts, the first paint) no longer hides its size.
        std::vector<double> big;
        size_t worstBig = pages.size();
        for (size_t i = 0; i < pages.size(); ++i)
            if (results[i].failure.empty() && results[i].bytes >= 100 * 1024) {
                big.push_back(results[i].wall / 1000.0 / (results[i].bytes / 1048576.0));
                if (worstBig == pages.size() ||
                    results[i].wall / results[i].bytes > results[worstBig].wall / results[worstBig].bytes)
                    worstBig = i;
            }
        if (!big.empty()) {
            std::sort(big.begin(), big.end());
            const Result& b = results[worstBig];
            std::printf("  pages of 100 KB and more   %u: median %.3f s per MB, worst %.3f s per MB\n",
                        static_cast<unsigned>(big.size()), big[big.size() / 2], big.back());
            std::printf("    worst of them            %s (%.0f KB, %.0f ms, processor %.0f ms)\n",
                        pages[worstBig].c_str(), b.bytes / 1024.0, b.wall, b.cpu);
        }
        std::vector<double> walls;
        for (size_t i = 0; i < pages.size(); ++i)
            if (results[i].failure.empty()) walls.push_back(results[i].wall);
        std::sort(walls.begin(), walls.end());
        double sweeps = 0, worstSweep = 0;
        size_t worstSweepPage = 0;
        for (size_t i = 0; i < pages.size(); ++i) {
            sweeps += results[i].sweep;
            if (results[i].sweep > worstSweep) worstSweep = results[i].sweep, worstSweepPage = i;
        }
        std::printf("  every screen painted       %.0f s in all, worst %.0f ms (%s)\n", sweeps / 1000.0,
                    worstSweep, pages[worstSweepPage].c_str());
        std::printf("  time per page              median %.0f ms, worst %.0f ms\n", walls[walls.size() / 2],
                    walls.back());
    }
    return failed.empty() ? 0 : 1;
}

std::vector<std::string> ReadList(const std::string& file) {
    std::vector<std::string> pages;
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) return pages;
    char buf[MAX_PATH + 8];
    while (std::fgets(buf, sizeof buf, f)) {
        std::string line = buf;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (!line.empty()) pages.push_back(line);
    }
    std::fclose(f);
    return pages;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0) {
        g_results = std::fopen(argv[3], "ab");
        if (!g_results) return 2;
        return RunChild(ReadList(argv[2]), static_cast<size_t>(std::atol(argv[4])));
    }
    // --min-kb N: only the pages of at least N KB (the size-bound part of the
    // run, without the fixed cost of many small pages).
    double minBytes = 0;
    if (argc == 4 && std::strcmp(argv[2], "--min-kb") == 0)
        minBytes = std::atof(argv[3]) * 1024.0;
    else if (argc != 2) {
        std::fprintf(stderr, "usage: real_pages_bench FOLDER [--min-kb N]\n");
        return 2;
    }
    return RunParent(argv[1], minBytes);
}
