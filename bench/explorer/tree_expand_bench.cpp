// Expanding a directory tree node with 5,000 sub-folders, against the bare
// FindFirstFile/FindNextFile enumeration of the same folder. A plain timing
// program for Wine: prints the best and the median of several runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "explorer/dir_tree.h"
#include "explorer/path_utils.h"
#include "timing.h"
#include "toolkit/application.h"
#include "toolkit/form.h"

using velmora::explorer::TDirTree;

namespace {

int BareEnumeration(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &data);
    int folders = 0;
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.cFileName[0] != '.') ++folders;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return folders;
}

// The sub-folder probe alone: one search per folder that stops at the first folder.
int Probes(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &data);
    std::vector<std::string> names;
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.cFileName[0] != '.')
            names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    int with = 0;
    for (const std::string& name : names) {
        HANDLE sub = FindFirstFileA((folder + name + "\\*.*").c_str(), &data);
        if (sub == INVALID_HANDLE_VALUE) continue;
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.cFileName[0] != '.') {
                ++with;
                break;
            }
        } while (FindNextFileA(sub, &data));
        FindClose(sub);
    }
    return with;
}

// Sorting the names with the locale's comparison.
void SortNames(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &data);
    std::vector<std::string> names;
    if (find == INVALID_HANDLE_VALUE) return;
    do
        names.push_back(data.cFileName);
    while (FindNextFileA(find, &data));
    FindClose(find);
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpA(a.c_str(), b.c_str()) < 0;
    });
}

struct Stats {
    double best, median;
};

Stats Summarise(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    tk::Application().Initialize();

    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string base = std::string(temp) + "velmora_tree_bench\\";
    const std::string big = base + "big\\";
    CreateDirectoryA(base.c_str(), nullptr);
    CreateDirectoryA(big.c_str(), nullptr);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Klasör %05d", (i * 7919) % count);
        CreateDirectoryA((big + name).c_str(), nullptr);
    }
    // Every tenth folder has a sub-folder, so the expand buttons differ.
    for (int i = 0; i < count; i += 10) {
        char name[48];
        std::snprintf(name, sizeof name, "Klasör %05d\\alt", i);
        CreateDirectoryA((big + name).c_str(), nullptr);
    }

    tk::TForm form(tk::TForm::Params{"tree bench", 400, 700});
    TDirTree tree(TDirTree::Params{&form, RECT{0, 0, 380, 650}});
    form.Show();
    tree.Loaded();
    tk::Application().ProcessMessages();

    std::vector<double> bare, expand, probes, sorting;
    int found = 0;
    size_t nodes = 0;
    for (int run = 0; run < runs; ++run) {
        double t0 = Now();
        found = BareEnumeration(big);
        bare.push_back(Now() - t0);

        t0 = Now();
        Probes(big);
        probes.push_back(Now() - t0);
        t0 = Now();
        SortNames(big);
        sorting.push_back(Now() - t0);

        tree.ReloadTree();
        tree.OpenPath(base);
        auto node = tree.FindChild(tree.Selected(), "big");
        tk::Application().ProcessMessages();
        t0 = Now();
        tree.Expand(node);
        UpdateWindow(tree.Handle());
        expand.push_back(Now() - t0);
        nodes = tree.Children(node).size();
        tk::Application().ProcessMessages();
    }

    Stats b = Summarise(bare), e = Summarise(expand);
    std::printf("sub-folders: %d found, %zu nodes\n", found, nodes);
    std::printf("bare FindFirstFile/FindNextFile: best %8.2f ms  median %8.2f ms\n", b.best, b.median);
    std::printf("expand node (load + draw):       best %8.2f ms  median %8.2f ms\n", e.best, e.median);
    Stats p = Summarise(probes), s = Summarise(sorting);
    std::printf("  for reference, enumeration + a probe of every folder: best %8.2f ms  median %8.2f ms\n",
                p.best, p.median);
    std::printf("  for reference, enumeration + lstrcmp comparison sort: best %8.2f ms  median %8.2f ms\n",
                s.best, s.median);
    std::printf("ratio (median): %.2f x\n", e.median / b.median);

    tree.ReloadTree();
    for (int i = 0; i < count; i += 10) {
        char name[48];
        std::snprintf(name, sizeof name, "Klasör %05d\\alt", i);
        RemoveDirectoryA((big + name).c_str());
    }
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Klasör %05d", i);
        RemoveDirectoryA((big + name).c_str());
    }
    RemoveDirectoryA(big.c_str());
    RemoveDirectoryA(base.c_str());
    return 0;
}
