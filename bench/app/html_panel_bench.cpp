// The HTML panel under Wine: the 10 MB generated page loaded through the
// panel (history emptied, load, name bar and strip) to its first paint,
// against the bare viewer loading the same file in the same window size.
// Run: scripts/wine-emulator build/win64/bench/app/html_panel_bench.exe [MB]
// The HTML headers come before <windows.h>: its DEFAULT_CHARSET macro would
// hide the document's constant.
#include "app/html_panel.h"
#include "html/html_view.h"
// (after them)
#include "../explorer/timing.h"
#include "../html/bench_page.h"
#include "toolkit/application.h"
#include "toolkit/form.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? static_cast<size_t>(std::max(1, std::atoi(argv[1]))) : 10;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    tk::Application().Initialize();
    tk::TForm::Params fp;
    fp.caption = "html panel timing";
    fp.width = 900;
    fp.height = 700;
    tk::TForm form(fp);
    velmora::app::THtmlPanel::Params pp;
    pp.parent = &form;
    pp.bounds = RECT{0, 0, 880, 660};
    velmora::app::THtmlPanel panel(pp);
    form.Show();
    Pump();
    // The bare viewer gets the panel's viewer's place and size, in front of it.
    velmora::html::THtmlView::Params vp;
    vp.parent = &form;
    vp.bounds = panel.htmlView->BoundsRect();
    OffsetRect(&vp.bounds, panel.Left(), panel.Top());
    velmora::html::THtmlView bare(vp);
    bare.SetDefBackground(RGB(255, 255, 255));
    bare.SetBorderStyle(velmora::html::THTMLBorderStyle::htNone);
    bare.SetHistoryMaxCount(6);
    Pump();

    const std::string path = TempName("velmora_panel_bench.htm");
    WriteWholeFile(path, velmora_bench::MakePage(megabytes * 1024 * 1024));
    const int runs = 7;
    std::vector<double> bareWall, bareCpu, panelWall, panelCpu;
    auto timeBare = [&] {
        bare.SetVisible(true);
        bare.Clear();
        Pump();
        const double w0 = Now(), c0 = ThreadCpu();
        bare.LoadFromFile(path);
        UpdateWindow(bare.SurfaceHandle());
        bareWall.push_back(Now() - w0);
        bareCpu.push_back(ThreadCpu() - c0);
        bare.Clear();
        bare.SetVisible(false);
        Pump();
    };
    auto timePanel = [&] {
        panel.Clear();
        Pump();
        const double w0 = Now(), c0 = ThreadCpu();
        const bool loaded = panel.LoadFile(path);
        UpdateWindow(panel.htmlView->SurfaceHandle());
        panelWall.push_back(Now() - w0);
        panelCpu.push_back(ThreadCpu() - c0);
        panel.Clear();
        Pump();
        return loaded;
    };
    // Interleaved, each going first in turn, so that both see the same machine load.
    for (int i = 0; i < runs; ++i) {
        if (i % 2) timeBare();
        if (!timePanel()) return 1;
        if (i % 2 == 0) timeBare();
    }
    const double bw = Median(bareWall), bc = Median(bareCpu), pw = Median(panelWall), pc = Median(panelCpu);
    std::printf("%zu MB page to first paint, median of %d runs\n", megabytes, runs);
    std::printf("%-22s %10s %10s\n", "", "wall ms", "cpu ms");
    std::printf("%-22s %10.1f %10.1f\n", "THtmlView::LoadFromFile", bw, bc);
    std::printf("%-22s %10.1f %10.1f\n", "THtmlPanel::LoadFile", pw, pc);
    std::printf("%-22s %10.2f %10.2f\n", "ratio panel / viewer", pw / bw, pc / bc);
    DeleteFileA(path.c_str());
    return 0;
}
