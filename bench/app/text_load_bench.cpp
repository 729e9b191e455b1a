// Text files in the main window under Wine (issue 25's figures):
//  1. a click in the list to a shown 1 MB UTF-8 text while another 1 MB text
//     is shown, against the same text streamed into a fresh bare control;
//  2. a 10 MB text: the click to shown, and the longest time the main window
//     took to answer a message sent from another thread meanwhile;
//  3. the save of 1 MB after an edit, and of the same text only touched,
//     against streaming the text out and writing it with the safe writer.
// A plain timing program: scripts/wine-emulator build/<preset>/bench/app/text_load_bench.exe [MB] [big MB]
// [runs]
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../explorer/timing.h"
#include "app/startup.h"
#include "base/safe_write.h"
#include "base/text_encoding.h"
#include "toolkit/application.h"
#include "toolkit/rich_edit.h"

namespace {

// UTF-8 lines of Turkish, some Cyrillic (outside code page 1254) and now and
// then an emoji, about size bytes; `seed` makes two files differ.
std::string MakeUtf8Text(size_t size, int seed) {
    std::string text;
    for (int line = 0; text.size() < size; ++line)
        text += "Sat\xC4\xB1r " + std::to_string(line + seed) +
                ": \xC3\x87"
                "a\xC4\x9F"
                "da\xC5\x9F \xC5\x9Fiir, \xD0\x96\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB" +
                (line % 50 ? "" : " \xF0\x9F\x98\x80") + " ve \xC3\xB6\xC4\x9Fle g\xC3\xBCne\xC5\x9Fi.\r\n";
    return text;
}

double Time(const std::function<void()>& run) {
    double t0 = Now();
    run();
    Pump();
    return Now() - t0;
}

// Sends WM_NULL to a window from another thread, one after another, and keeps
// the longest wait for an answer.
class AnswerWatch {
public:
    explicit AnswerWatch(HWND window) : window_(window), thread_([this] { Watch(); }) {}
    ~AnswerWatch() { Stop(); }
    // Answers what the thread still sends while it ends (joining it at once
    // would leave its last message unanswered until the timeout).
    double Stop() {
        stop_ = true;
        while (!finished_) {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
            Sleep(1);
        }
        if (thread_.joinable()) thread_.join();
        return longest_;
    }

private:
    void Watch() {
        while (!stop_) {
            double t0 = Now();
            DWORD_PTR result = 0;
            SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
            longest_ = std::max(longest_.load(), Now() - t0);
            Sleep(10);
        }
        finished_ = true;
    }
    HWND window_;
    std::atomic<bool> stop_{false}, finished_{false};
    std::atomic<double> longest_{0};
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv) {
    const size_t mb = argc > 1 ? static_cast<size_t>(std::max(1, std::atoi(argv[1]))) : 1;
    const size_t bigMb = argc > 2 ? static_cast<size_t>(std::max(1, std::atoi(argv[2]))) : 10;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    // The program's forms with the default extension table beside a temporary AppDir.
    std::string app = TempName("velmora_text_load_bench\\");
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
    velmora::app::TTextPanel& panel = *main.TextPanel;
    auto click = [&](const std::string& path) {
        main.FileListView1->SetSelectedFile(path);
        main.FileListClick();
    };

    const std::string a = app + "a.txt", b = app + "b.txt", big = app + "big.txt";
    const std::string bText = MakeUtf8Text(mb << 20, 7);
    WriteWholeFile(a, MakeUtf8Text(mb << 20, 0));
    WriteWholeFile(b, bText);
    const std::u16string bWide = velmora::DecodeText(bText).text;

    // 1. The click, and the bare control, in turn first and second.
    std::vector<double> clickMs, bareMs, quietMs, bareWithDecodeMs;
    // A fresh control as the wrapper makes it, beside the panel's editor.
    auto bareLoad = [&](bool quiet, bool decode) {
        return Time([&] {
            tk::TRichEdit::Params rp;
            rp.parent = panel.EditorFrame.get();
            rp.bounds = RECT{0, 0, panel.EditorFrame->ClientWidth(), panel.EditorFrame->ClientHeight()};
            rp.wordWrap = false;
            tk::TRichEdit bare(rp);
            if (quiet) {
                bare.SetUndoLimit(0);
                bare.SetEventMask(0);
            }
            if (decode) {
                int n =
                    MultiByteToWideChar(CP_UTF8, 0, bText.data(), static_cast<int>(bText.size()), nullptr, 0);
                std::u16string wide(static_cast<size_t>(n), u'\0');
                MultiByteToWideChar(CP_UTF8, 0, bText.data(), static_cast<int>(bText.size()),
                                    reinterpret_cast<wchar_t*>(wide.data()), n);
                bare.SetUnicodeText(wide);
            } else {
                bare.SetUnicodeText(bWide);
            }
            Pump();
        });
    };
    for (int i = 0; i < runs; ++i) {
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn + i) % 2 == 0) {
                click(a);
                clickMs.push_back(Time([&] { click(b); }));
            } else {
                bareMs.push_back(bareLoad(false, false));
                quietMs.push_back(bareLoad(true, false));
                bareWithDecodeMs.push_back(bareLoad(false, true));
            }
        }
    }
    const double clickMedian = Median(clickMs), bareMedian = Median(bareMs);
    std::printf("%zu MB UTF-8 text, medians of %d runs, wall ms\n", mb, runs);
    std::printf("  click to shown after another %zu MB text  %10.1f\n", mb, clickMedian);
    std::printf("  fresh bare control, one stream-in         %10.1f   click / bare %.2f\n", bareMedian,
                clickMedian / bareMedian);
    std::printf("  the same, undo and notifications off      %10.1f   click / bare %.2f\n", Median(quietMs),
                clickMedian / Median(quietMs));
    std::printf("  fresh bare control, decode + stream-in    %10.1f   click / bare %.2f\n",
                Median(bareWithDecodeMs), clickMedian / Median(bareWithDecodeMs));

    // 3. Saves of the shown text: edited (the changed part encoded, the rest
    // kept) and touched (the bytes as read), against stream-out + safe write.
    click(b);
    tk::TRichEdit* shown = panel.RichEdit1.get();
    std::vector<double> editedMs, touchedMs, ansiMs, unicodeMs;
    const std::string out = app + "out.txt";
    const int saveRuns = runs * 3;
    for (int i = 0; i < saveRuns; ++i) {
        // Each kind goes first in turn.
        std::function<void()> kinds[] = {
            [&] {
                shown->SetSel(shown->LineIndex(i * 10), 0);
                shown->SetSelText("x");
                Pump();
                editedMs.push_back(Time([&] { panel.Save(); }));
            },
            [&] {
                shown->SetModified(true);
                touchedMs.push_back(Time([&] { panel.Save(); }));
            },
            [&] { ansiMs.push_back(Time([&] { velmora::SafeWriteFile(out, shown->PlainText()); })); },
            [&] {
                unicodeMs.push_back(Time([&] {
                    std::u16string text;
                    shown->GetUnicodeText(text);
                    velmora::SafeWriteFile(out, text.data(), static_cast<int64_t>(text.size() * 2));
                }));
            },
        };
        for (int k = 0; k < 4; ++k)
            kinds[(i + k) % 4]();
    }
    const double edited = Median(editedMs), touched = Median(touchedMs), ansi = Median(ansiMs),
                 unicode = Median(unicodeMs);
    std::printf("%zu MB save, medians of %d runs, wall ms\n", mb, saveRuns);
    std::printf("  panel save after an edit                  %10.1f   / ANSI out+write %.2f   / UTF-16 "
                "out+write %.2f\n",
                edited, edited / ansi, edited / unicode);
    std::printf("  panel save, text unchanged                %10.1f   / ANSI out+write %.2f   / UTF-16 "
                "out+write %.2f\n",
                touched, touched / ansi, touched / unicode);
    std::printf("  ANSI stream-out + safe write              %10.1f\n", ansi);
    std::printf("  UTF-16 stream-out + safe write            %10.1f\n", unicode);

    // 2. The large text, with a thread asking the main window all along.
    WriteWholeFile(big, MakeUtf8Text(bigMb << 20, 3));
    click(a);
    double longest = 0;
    double bigMs = Time([&] {
        AnswerWatch watch(main.Handle());
        click(big);
        Pump();
        longest = watch.Stop();
    });
    std::printf("%zu MB UTF-8 text after a %zu MB one, one run\n", bigMb, mb);
    std::printf("  click to shown                            %10.1f\n", bigMs);
    std::printf("  longest wait for the window's answer      %10.1f\n", longest);
    std::printf("  lines %d, characters %d\n", panel.RichEdit1->LineCount(), panel.RichEdit1->TextLength());

    forms.reset();
    for (const std::string& f : {a, b, big, out, app + "ini\\sec.ini", app + "ini\\aktif.ini"})
        DeleteFileA(f.c_str());
    RemoveDirectoryA((app + "ini").c_str());
    RemoveDirectoryA(app.c_str());
    return 0;
}
