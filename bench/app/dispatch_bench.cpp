// The viewer dispatch under Wine: a click on a file in the main window's list
// (save step, extension lookup, load, panel switch, status line) against the
// same panel's own load of the same file, for a text file, an RTF file, an
// HTML page and a large binary.
// Run: scripts/wine-emulator build/win64/bench/app/dispatch_bench.exe [text KB] [HTML MB] [binary MB]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "../explorer/timing.h"
#include "../html/bench_page.h"
#include "app/startup.h"
#include "toolkit/application.h"

namespace {

std::string MakeText(size_t size) {
    std::string text;
    for (int line = 0; text.size() < size; ++line)
        text += "Satır " + std::to_string(line) + ": Çağdaş şiir, ığdır ve öğle güneşi altında yürüyüş.\r\n";
    return text;
}

std::string MakeRtf(size_t size) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1254\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset162 Arial;}}\n";
    for (int p = 0; rtf.size() < size; ++p)
        rtf += "\\pard\\f0\\fs20 Paragraf " + std::to_string(p) +
               ": \\b kalın\\b0 , \\i italik\\i0  yazı.\\par\n";
    return rtf + "}";
}

void WriteBigFile(const std::string& path, int64_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::string chunk(1 << 20, '\0');
    for (size_t i = 0; i < chunk.size(); ++i)
        chunk[i] = static_cast<char>(i * 31);
    for (int64_t done = 0; done < size; done += static_cast<int64_t>(chunk.size()))
        std::fwrite(chunk.data(), 1, static_cast<size_t>(std::min<int64_t>(size - done, chunk.size())), f);
    std::fclose(f);
}

double Time(const std::function<void()>& run) {
    double t0 = Now();
    run();
    Pump();
    return Now() - t0;
}

} // namespace

int main(int argc, char** argv) {
    const size_t textKb = argc > 1 ? static_cast<size_t>(std::max(1, std::atoi(argv[1]))) : 128;
    const size_t htmlMb = argc > 2 ? static_cast<size_t>(std::max(1, std::atoi(argv[2]))) : 10;
    const int64_t binaryMb = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1024;
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    // The program's forms with the default extension table beside a temporary AppDir.
    std::string app = TempName("velmora_dispatch_bench\\");
    CreateDirectoryA(app.c_str(), nullptr);
    CreateDirectoryA((app + "ini").c_str(), nullptr);
    std::string table = VELMORA_DEFAULT_TABLE;
    for (char& c : table)
        if (c == '/') c = '\\';
    CopyFileA(("Z:" + table).c_str(), (app + "ini\\sec.ini").c_str(), FALSE);
    auto forms = velmora::app::CreateForms();
    velmora::app::TForm1& main = *forms->form1;
    main.AppDir = app;
    velmora::app::ShowMainForm(*forms);
    Pump();

    struct Kind {
        const char* name;
        std::string file;
        std::function<void(const std::string&)> make;
        std::function<void(const std::string&)> load; // the panel's own load
        int runs;
    };
    std::vector<Kind> kinds = {
        {"text", "b.txt", [&](const std::string& p) { WriteWholeFile(p, MakeText(textKb * 1024)); },
         [&](const std::string& p) { main.TextPanel->LoadFile(p); }, 5},
        {"RTF", "b.rtf", [&](const std::string& p) { WriteWholeFile(p, MakeRtf(textKb * 1024)); },
         [&](const std::string& p) { main.TextPanel->LoadFile(p); }, 5},
        {"HTML", "b.htm",
         [&](const std::string& p) { WriteWholeFile(p, velmora_bench::MakePage(htmlMb << 20)); },
         [&](const std::string& p) { main.HtmlPanel->LoadFile(p); }, 5},
        {"binary", "b.bin", [&](const std::string& p) { WriteBigFile(p, binaryMb << 20); },
         [&](const std::string& p) { main.HexPanel->LoadFile(p); }, 5},
    };
    std::printf("text/RTF %zu KB, HTML %zu MB, binary %lld MB; median of runs, wall ms\n", textKb, htmlMb,
                static_cast<long long>(binaryMb));
    std::printf("%-8s %14s %14s %7s\n", "file", "panel load", "list click", "ratio");
    // A small file of each kind between runs, so that every click loads anew.
    std::string other = app + "a.txt";
    WriteWholeFile(other, "x");
    for (Kind& k : kinds) {
        std::string path = app + k.file;
        k.make(path);
        std::vector<double> own, click;
        // In turn first and second, so that neither always finds the file cached.
        for (int i = 0; i < k.runs; ++i) {
            for (int turn = 0; turn < 2; ++turn) {
                main.FileListView1->SetSelectedFile(other);
                main.FileListClick();
                if ((turn + i) % 2 == 0)
                    own.push_back(Time([&] { k.load(path); }));
                else
                    click.push_back(Time([&] {
                        main.FileListView1->SetSelectedFile(path);
                        main.FileListClick();
                    }));
            }
        }
        double o = Median(own), c = Median(click);
        std::printf("%-8s %14.1f %14.1f %7.2f\n", k.name, o, c, c / o);
        DeleteFileA(path.c_str());
    }
    forms.reset();
    DeleteFileA(other.c_str());
    DeleteFileA((app + "ini\\sec.ini").c_str());
    DeleteFileA((app + "ini\\aktif.ini").c_str());
    RemoveDirectoryA((app + "ini").c_str());
    RemoveDirectoryA(app.c_str());
    return 0;
}
