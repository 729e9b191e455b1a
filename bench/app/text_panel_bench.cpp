// The text panel under Wine: a 1 MB text file and a 1 MB RTF file loaded into
// the panel (read, stream in, settings, the tool bar mirror) against the bare
// rich-text control streaming in the same bytes, and the panel's save against
// streaming the text out and writing it with the safe writer.
// Run: scripts/wine-emulator build/win64/bench/app/text_panel_bench.exe
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../explorer/timing.h"
#include "app/text_panel.h"
#include "base/safe_write.h"
#include "toolkit/application.h"
#include "toolkit/form.h"

namespace {

std::string MakeText(size_t size) {
    std::string text;
    for (int line = 0; text.size() < size; ++line)
        text += "Satır " + std::to_string(line) + ": Çağdaş şiir, ığdır ve öğle güneşi altında yürüyüş.\r\n";
    return text;
}

std::string MakeRtf(size_t size) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1254\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset162 Arial;}"
                      "{\\f1\\fmodern\\fcharset162 Courier New;}}{\\colortbl;\\red255\\green0\\blue0;}\n";
    for (int p = 0; rtf.size() < size; ++p)
        rtf += "\\pard\\f0\\fs20 Paragraf " + std::to_string(p) +
               ": \\b kalın\\b0 , \\i italik\\i0 , \\cf1 kırmızı\\cf0  ve \\f1 sabit\\f0  yazı.\\par\n";
    return rtf + "}";
}

} // namespace

int main(int argc, char** argv) {
    // The file size in KB (1024 by default).
    const size_t size = (argc > 1 ? static_cast<size_t>(std::max(1, std::atoi(argv[1]))) : 1024) * 1024;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    tk::Application().Initialize();
    tk::TForm::Params fp;
    fp.caption = "text panel timing";
    fp.width = 900;
    fp.height = 600;
    tk::TForm form(fp);
    velmora::app::TTextPanel::Params pp;
    pp.parent = &form;
    pp.bounds = RECT{0, 0, 880, 560};
    velmora::app::TTextPanel panel(pp);
    tk::TActionList actions;
    panel.BindCommands(actions);
    tk::TRichEdit::Params rp;
    rp.parent = &form;
    rp.bounds = RECT{0, 0, 880, 560};
    rp.visible = false;
    tk::TRichEdit bare(rp);
    form.Show();
    Pump();

    struct Kind {
        const char* name;
        const char* file;
        std::string data;
        bool rtf;
    } kinds[] = {{"text", "velmora_bench.txt", MakeText(size), false},
                 {"RTF", "velmora_bench.rtf", MakeRtf(size), true}};
    const int runs = 5;
    std::printf("%zu KB files, median of %d runs\n", size / 1024, runs);
    std::printf("%-10s %14s %14s %7s %14s %14s %7s\n", "file", "bare load ms", "panel load ms", "ratio",
                "bare save ms", "panel save ms", "ratio");
    for (Kind& k : kinds) {
        std::string path = TempName(k.file);
        WriteWholeFile(path, k.data);
        std::vector<double> bareLoad, panelLoad, bareSave, panelSave;
        for (int i = 0; i < runs; ++i) {
            double t0 = Now();
            if (k.rtf)
                bare.SetRtf(k.data);
            else
                bare.SetPlainText(k.data);
            Pump();
            bareLoad.push_back(Now() - t0);

            t0 = Now();
            panel.LoadFile(path);
            Pump();
            panelLoad.push_back(Now() - t0);

            t0 = Now();
            std::string out = k.rtf ? bare.Rtf() : bare.PlainText();
            velmora::SafeWriteFile(TempName("velmora_bench_bare.out"), out);
            bareSave.push_back(Now() - t0);

            panel.RichEdit1->SetSel(0, 0);
            panel.RichEdit1->SetSelText("x");
            t0 = Now();
            panel.Save();
            panelSave.push_back(Now() - t0);
        }
        double bl = Median(bareLoad), pl = Median(panelLoad), bs = Median(bareSave), ps = Median(panelSave);
        std::printf("%zu KB files, median of %d runs\n", size / 1024, runs);
        std::printf("%-10s %14.1f %14.1f %7.2f %14.1f %14.1f %7.2f\n", k.name, bl, pl, pl / bl, bs, ps,
                    ps / bs);
        DeleteFileA(path.c_str());
    }
    DeleteFileA(TempName("velmora_bench_bare.out").c_str());
    return 0;
}
