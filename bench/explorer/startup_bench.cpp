// Start-up to a complete list, measured from outside the program: launches the
// built velmora.exe in a small folder and waits until its main window is up and
// its file list holds every row of the folder (the list view's item count,
// asked across processes, and then an answered message: the window's thread is
// back in its loop). Against it, in the same run, the time Wine's notepad takes
// to show its window. A plain timing program for Wine:
//   startup_bench [PATH\velmora.exe [RUNS]]
// Without a path it times velmora-shipped.exe beside it: the program as the
// package holds it (stripped), which the build makes next to this one. A last
// start runs with the program's trace on and prints it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "timing.h"

namespace {

struct Found {
    DWORD process = 0;
    HWND window = nullptr;
    const char* captionPrefix = nullptr;
};

BOOL CALLBACK FindShownWindow(HWND window, LPARAM param) {
    auto* found = reinterpret_cast<Found*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != found->process || !IsWindowVisible(window)) return TRUE;
    if (found->captionPrefix) {
        char caption[128] = {};
        GetWindowTextA(window, caption, sizeof caption);
        if (std::string(caption).rfind(found->captionPrefix, 0) != 0) return TRUE;
    }
    found->window = window;
    return FALSE;
}

HWND ShownWindow(DWORD process, const char* captionPrefix) {
    Found found{process, nullptr, captionPrefix};
    EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

BOOL CALLBACK FindListView(HWND window, LPARAM param) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, WC_LISTVIEWA) == 0) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

PROCESS_INFORMATION Launch(const std::string& commandLine, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", commandLine.c_str(), GetLastError());
        std::exit(1);
    }
    return process;
}

void Finish(PROCESS_INFORMATION& process, HWND window) {
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// Milliseconds from launch until notepad's window is shown.
double NotepadToWindow() {
    double t0 = Now();
    PROCESS_INFORMATION process = Launch("notepad.exe", "");
    HWND window = nullptr;
    while (!(window = ShownWindow(process.dwProcessId, nullptr)) && Now() - t0 < 30000)
        Sleep(1);
    double shown = Now() - t0;
    Finish(process, window);
    return shown;
}

struct Startup {
    double window = 0; // the main window shown with its caption
    double list = 0;   // every row in the list and the window's thread idle
    int children = 0;  // windows inside the main window then
    int shown = 0;     // of them visible
};

BOOL CALLBACK CountChild(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<Startup*>(param);
    ++s->children;
    if (IsWindowVisible(window)) ++s->shown;
    return TRUE;
}

Startup VelmoraToList(const std::string& exe, const std::string& folder, int rows) {
    Startup result;
    double t0 = Now();
    PROCESS_INFORMATION process = Launch("\"" + exe + "\"", folder);
    HWND window = nullptr;
    HWND list = nullptr;
    for (;;) {
        if (Now() - t0 > 60000) {
            std::fprintf(stderr, "velmora did not show %d rows in time\n", rows);
            break;
        }
        if (!window) {
            window = ShownWindow(process.dwProcessId, "velmora Version");
            if (window) result.window = Now() - t0;
        }
        if (window && !list) EnumChildWindows(window, FindListView, reinterpret_cast<LPARAM>(&list));
        if (list) {
            DWORD_PTR count = 0;
            if (SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000, &count) &&
                static_cast<int>(count) == rows) {
                DWORD_PTR ignored = 0;
                SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
                result.list = Now() - t0;
                EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&result));
                break;
            }
        }
        Sleep(1);
    }
    Finish(process, window);
    return result;
}

} // namespace

int main(int argc, char** argv) {
    std::string program;
    if (argc > 1) {
        program = argv[1];
    } else {
        char own[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, own, MAX_PATH);
        program = own;
        program.erase(program.find_last_of('\\') + 1);
        program += "velmora-shipped.exe";
    }
    // Start-up times under Wine wander by a tenth of a second from run to run.
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;

    // The program runs from a folder of its own with its "ini" folder, so that
    // the start-up writes its settings there and shows no error box.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string base = std::string(temp) + "velmora_startup_bench\\";
    const std::string appFolder = base + "program\\";
    const std::string exe = appFolder + "velmora.exe";
    const std::string folder = base + "small folder\\";
    CreateDirectoryA(base.c_str(), nullptr);
    CreateDirectoryA(appFolder.c_str(), nullptr);
    CreateDirectoryA((appFolder + "ini").c_str(), nullptr);
    DeleteFileA((appFolder + "ini\\aktif.ini").c_str());
    if (!CopyFileA(program.c_str(), exe.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy %s\n", program.c_str());
        return 1;
    }
    // A small folder: 30 files of a few kinds and 3 folders.
    CreateDirectoryA(folder.c_str(), nullptr);
    const char* const extensions[] = {".txt", ".htm", ".bmp", ".doc", ".ini"};
    std::vector<std::string> made;
    for (int i = 0; i < 30; ++i) {
        std::string name = folder + "dosya " + std::to_string(i) + extensions[i % 5];
        HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(h, "velmora", 7, &written, nullptr);
            CloseHandle(h);
            made.push_back(name);
        }
    }
    for (int i = 0; i < 3; ++i)
        CreateDirectoryA((folder + "klasör " + std::to_string(i)).c_str(), nullptr);
    const int rows = static_cast<int>(made.size()) + 3 + 1; // and the parent entry

    // One start of each first: the files they load come into the cache.
    NotepadToWindow();
    VelmoraToList(exe, folder, rows);
    std::vector<double> notepad, window, list;
    Startup last;
    for (int run = 0; run < runs; ++run) {
        notepad.push_back(NotepadToWindow());
        last = VelmoraToList(exe, folder, rows);
        window.push_back(last.window);
        list.push_back(last.list);
    }
    const double n = Median(notepad), w = Median(window), l = Median(list);
    std::printf("start-up in a folder of %d rows, median of %d runs\n", rows, runs);
    std::printf("  notepad to its window:        %8.1f ms\n", n);
    std::printf("  velmora to its window:        %8.1f ms  (%.2f x notepad)\n", w, w / n);
    std::printf("  velmora to its complete list: %8.1f ms  (%.2f x notepad)\n", l, l / n);
    // Under Wine each window made, shown and painted costs milliseconds.
    std::printf("  velmora's main window then holds %d windows, %d of them visible\n", last.children,
                last.shown);

    // One more start with the program's own trace: where its time goes.
    const std::string traceFile = base + "trace.txt";
    SetEnvironmentVariableA("VELMORA_TRACE", traceFile.c_str());
    const Startup traced = VelmoraToList(exe, folder, rows);
    SetEnvironmentVariableA("VELMORA_TRACE", nullptr);
    std::printf("\none traced start (complete list at %.1f ms, measured from outside):\n", traced.list);
    if (FILE* trace = std::fopen(traceFile.c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, trace))
            std::printf("  %s", line);
        std::fclose(trace);
    }
    DeleteFileA(traceFile.c_str());

    for (const std::string& name : made)
        DeleteFileA(name.c_str());
    for (int i = 0; i < 3; ++i)
        RemoveDirectoryA((folder + "klasör " + std::to_string(i)).c_str());
    RemoveDirectoryA(folder.c_str());
    DeleteFileA((appFolder + "ini\\aktif.ini").c_str());
    RemoveDirectoryA((appFolder + "ini").c_str());
    DeleteFileA(exe.c_str());
    RemoveDirectoryA(appFolder.c_str());
    RemoveDirectoryA(base.c_str());
    return 0;
}
