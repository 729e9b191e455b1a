// The viewer under Wine: the 10 MB generated page opened to its first paint
// against parse + build + layout of the same bytes in this process (fixed
// metrics), a screen of scrolling, the 1 MB page laid out again after a
// resize, and the processor share of a 100-frame 640x480 animation.
// Run: scripts/wine-emulator build/win64/bench/html/html_view_bench.exe
// The HTML headers come before <windows.h>: its DEFAULT_CHARSET macro would
// hide the document's constant.
#include "html/builder.h"
#include "html/html_view.h"
// (after them)
#include "../explorer/timing.h"
#include "bench_page.h"
#include "toolkit/application.h"
#include "toolkit/form.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace velmora::html;

namespace {

// Processor time comes in scheduler ticks: short steps are averaged over all.
double Mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v)
        sum += x;
    return v.empty() ? 0 : sum / static_cast<double>(v.size());
}

// A GIF of `frames` frames, each drawn with codes of 9 bits (a clear code
// every 250 pixels keeps the table from growing): big and quick to make.
std::string MakeAnimation(int w, int h, int frames, int delayCs) {
    std::string s = "GIF89a";
    auto put16 = [&](int v) {
        s += static_cast<char>(v & 0xFF);
        s += static_cast<char>((v >> 8) & 0xFF);
    };
    put16(w);
    put16(h);
    s += static_cast<char>(0xF7);
    s += '\0';
    s += '\0';
    for (int i = 0; i < 256; ++i) {
        s += static_cast<char>(i);
        s += static_cast<char>((i * 7) & 0xFF);
        s += static_cast<char>(255 - i);
    }
    s += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
    s += '\0';
    s += '\0';
    s += '\0';
    for (int f = 0; f < frames; ++f) {
        s += "\x21\xF9\x04\x04";
        put16(delayCs);
        s += '\0';
        s += '\0';
        s += ',';
        put16(0);
        put16(0);
        put16(w);
        put16(h);
        s += '\0';
        s += '\x08';
        std::string data;
        uint32_t bits = 0;
        int count = 0;
        auto code = [&](int c) {
            bits |= static_cast<uint32_t>(c) << count;
            count += 9;
            while (count >= 8) {
                data += static_cast<char>(bits & 0xFF);
                bits >>= 8;
                count -= 8;
            }
        };
        int run = 0;
        code(256);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (run == 250) {
                    code(256);
                    run = 0;
                }
                code(((x / 16) + (y / 16) + f * 3) & 0xFF);
                ++run;
            }
        code(257);
        if (count) data += static_cast<char>(bits & 0xFF);
        for (size_t i = 0; i < data.size(); i += 255) {
            const size_t n = std::min<size_t>(255, data.size() - i);
            s += static_cast<char>(n);
            s.append(data, i, n);
        }
        s += '\0';
    }
    s += ';';
    return s;
}

double ProcessCpu() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

} // namespace

int main() {
    tk::Application().Initialize();
    tk::TForm::Params fp;
    fp.caption = "bench";
    fp.width = 840;
    fp.height = 660;
    tk::TForm form(fp);
    form.Show();
    THtmlView::Params vp;
    vp.parent = &form;
    vp.bounds = RECT{0, 0, 800, 600};
    THtmlView view(vp);
    Pump();

    const std::string page10 = velmora_bench::MakePage(10 * 1024 * 1024);
    const std::string page1 = velmora_bench::MakePage(1024 * 1024);
    const std::string file10 = TempName("velmora_bench10.htm"), file1 = TempName("velmora_bench1.htm");
    WriteWholeFile(file10, page10);
    WriteWholeFile(file1, page1);

    // Wall clock and this thread's processor time of each step: the machine
    // is shared, and the processor time is the steadier figure.
    struct Sample {
        std::vector<double> wall, cpu;
        void Add(double w, double c) {
            wall.push_back(w);
            cpu.push_back(c);
        }
    };
    auto timed = [](Sample& sample, const auto& step) {
        const double w0 = Now(), c0 = ThreadCpu();
        step();
        sample.Add(Now() - w0, ThreadCpu() - c0);
    };

    // Parse, build and layout alone, in this process.
    Sample core;
    for (int i = 0; i < 3; ++i) {
        FixedFontMetrics metrics;
        TSectionList doc(metrics);
        TAnchorList anchors;
        timed(core, [&] {
            ParseHtmlText(doc, anchors, page10);
            doc.LayOut(800 - 3 - 20 - GetSystemMetrics(SM_CXVSCROLL), 5);
        });
    }
    // The view: load to the first paint (real fonts, real windows).
    Sample open;
    for (int i = 0; i < 3; ++i) {
        view.Clear();
        Pump();
        timed(open, [&] {
            view.LoadFromFile(file10);
            UpdateWindow(view.SurfaceHandle());
        });
        Pump();
    }
    std::printf(
        "10 MB page: parse+build+layout (fixed metrics, this process) %.1f ms (cpu %.1f); LoadFromFile to "
        "first paint %.1f ms (cpu %.1f); ratio %.2fx (cpu %.2fx); document height %d px\n",
        Median(core.wall), Median(core.cpu), Median(open.wall), Median(open.cpu),
        Median(open.wall) / Median(core.wall), Median(open.cpu) / Median(core.cpu), view.DocumentHeight());

    // A screen of scrolling: page down and repaint; a jump anywhere.
    Sample screens, jumps;
    view.SetPosition(view.DocumentHeight() / 3);
    UpdateWindow(view.SurfaceHandle());
    for (int i = 0; i < 40; ++i)
        timed(screens, [&] {
            SendMessageA(view.Handle(), WM_VSCROLL, SB_PAGEDOWN,
                         reinterpret_cast<LPARAM>(view.VScrollBar().Handle()));
            UpdateWindow(view.SurfaceHandle());
        });
    for (int i = 0; i < 40; ++i)
        timed(jumps, [&] {
            view.SetPosition(
                static_cast<int32_t>(static_cast<int64_t>(view.MaxVertical()) * ((i * 37) % 100) / 100));
            UpdateWindow(view.SurfaceHandle());
        });
    std::printf("scrolling a screen (page down + paint): median %.2f ms (cpu mean %.2f); jump anywhere + "
                "paint: median "
                "%.2f ms (cpu mean %.2f)\n",
                Median(screens.wall), Mean(screens.cpu), Median(jumps.wall), Mean(jumps.cpu));

    // Where a screen's time goes: the operations, drawing them into memory,
    // and the copy to the window.
    {
        const int w = view.SurfaceWidth(), h = view.SurfaceHeight();
        HDC windowDc = GetDC(view.SurfaceHandle());
        HDC memory = CreateCompatibleDC(windowDc);
        HBITMAP bitmap = CreateCompatibleBitmap(windowDc, w, h);
        HGDIOBJ old = SelectObject(memory, bitmap);
        Sample ops, draw, blit;
        TGdiFontMetrics fonts;
        for (int i = 0; i < 20; ++i) {
            TViewState state;
            state.ScrollY = view.Position() + i * 7;
            TPaintContext pc(view.Document(), state, {0, 0, w, h}, view.OriginX());
            timed(ops, [&] { PaintDocument(pc); });
            timed(draw, [&] { ExecuteDrawOps(memory, pc, fonts); });
            timed(blit, [&] {
                BitBlt(windowDc, 0, 0, w, h, memory, 0, 0, SRCCOPY);
                GdiFlush();
            });
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(view.SurfaceHandle(), windowDc);
        std::printf("one screen: operations %.2f ms (cpu %.2f), drawing them %.2f ms (cpu %.2f), copy to the "
                    "window %.2f ms (cpu %.2f)\n",
                    Median(ops.wall), Mean(ops.cpu), Median(draw.wall), Mean(draw.cpu), Median(blit.wall),
                    Mean(blit.cpu));
    }

    // The 1 MB page laid out again after a resize.
    view.LoadFromFile(file1);
    UpdateWindow(view.SurfaceHandle());
    Sample relayout;
    for (int i = 0; i < 6; ++i) {
        timed(relayout, [&] { view.SetBounds(0, 0, i % 2 ? 800 : 400, 600); });
        UpdateWindow(view.SurfaceHandle());
    }
    std::printf("1 MB page re-layout after a resize: median %.1f ms (cpu mean %.1f; bar 100 ms)\n",
                Median(relayout.wall), Mean(relayout.cpu));

    // A 100-frame 640x480 animation at its own pace (50 ms a frame).
    const std::string gif = TempName("velmora_bench_anim.gif");
    WriteWholeFile(gif, MakeAnimation(640, 480, 100, 5));
    const std::string animPage = TempName("velmora_bench_anim.htm");
    WriteWholeFile(animPage, "<body><img src=\"" + gif + "\"></body>");
    view.SetBounds(0, 0, 800, 600);
    double t0 = Now();
    view.LoadFromFile(animPage);
    UpdateWindow(view.SurfaceHandle());
    const double loadMs = Now() - t0;
    const double seconds = 6;
    t0 = Now();
    const double cpu0 = ProcessCpu();
    while (Now() - t0 < seconds * 1000) {
        MSG msg;
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    const double cpu = ProcessCpu() - cpu0, wall = Now() - t0;
    std::printf(
        "animation 100 frames 640x480 at 50 ms: load %.0f ms; processor %.0f ms over %.0f ms = %.1f%% of "
        "one core\n",
        loadMs, cpu, wall, 100.0 * cpu / wall);
    view.Clear();
    DeleteFileA(file10.c_str());
    DeleteFileA(file1.c_str());
    DeleteFileA(gif.c_str());
    DeleteFileA(animPage.c_str());
    return 0;
}
