// What painting an animated GIF costs under Wine: the same frame painted again
// (an expose, a scroll), and a frame step followed by its paint, for a 100-frame
// 640x480 animation that is opaque, transparent over a kept background (frames
// leave their pixels) and transparent drawn straight (frames restore the
// background). A plain timing program: prints the best and the median of
// several runs, wall clock and processor time.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "../explorer/timing.h"
#include "html/images/display.h"
#include "html/images/gif_image.h"

using namespace velmora::images;

namespace {

constexpr int kWidth = 640, kHeight = 480, kFrames = 100;
constexpr int kRuns = 9, kPaints = 200;

// LZW with 9-bit literal codes only: a clear code before the table would make
// the codes wider. Larger than a real encoder's output, decoded the same way.
void PutImageData(std::vector<uint8_t>& out, const std::vector<uint8_t>& pixels) {
    std::vector<uint8_t> bytes;
    uint32_t bits = 0;
    int count = 0;
    auto code = [&](uint32_t c) {
        bits |= c << count;
        count += 9;
        while (count >= 8) {
            bytes.push_back(uint8_t(bits));
            bits >>= 8;
            count -= 8;
        }
    };
    int sinceClear = 0;
    code(256);
    for (uint8_t p : pixels) {
        if (sinceClear == 254) {
            code(256);
            sinceClear = 0;
        }
        code(p);
        ++sinceClear;
    }
    code(257);
    if (count) bytes.push_back(uint8_t(bits));
    out.push_back(8);
    for (size_t i = 0; i < bytes.size(); i += 255) {
        size_t n = std::min<size_t>(255, bytes.size() - i);
        out.push_back(uint8_t(n));
        out.insert(out.end(), bytes.begin() + i, bytes.begin() + i + n);
    }
    out.push_back(0);
}

// A moving pattern; index 0 is transparent when asked (a quarter of the pixels).
std::vector<uint8_t> Animation(bool transparent, int disposal) {
    std::vector<uint8_t> out = {'G',
                                'I',
                                'F',
                                '8',
                                '9',
                                'a',
                                uint8_t(kWidth),
                                uint8_t(kWidth >> 8),
                                uint8_t(kHeight),
                                uint8_t(kHeight >> 8),
                                0xF7,
                                0,
                                0};
    for (int i = 0; i < 256; ++i)
        out.insert(out.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
    const uint8_t loop[] = {0x21, 0xFF, 11,  'N', 'E', 'T', 'S', 'C', 'A', 'P',
                            'E',  '2',  '.', '0', 3,   1,   0,   0,   0};
    out.insert(out.end(), std::begin(loop), std::end(loop));
    std::vector<uint8_t> pixels(size_t(kWidth) * kHeight);
    for (int f = 0; f < kFrames; ++f) {
        out.insert(out.end(), {0x21, 0xF9, 4, uint8_t((disposal << 2) | (transparent ? 1 : 0)), 4, 0, 0, 0});
        out.insert(out.end(), {0x2C, 0, 0, 0, 0, uint8_t(kWidth), uint8_t(kWidth >> 8), uint8_t(kHeight),
                               uint8_t(kHeight >> 8), 0});
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                int v = (((x + f * 4) / 8) ^ (y / 8)) * 9;
                pixels[size_t(y) * kWidth + x] = uint8_t((x / 16 + y / 16 + f) % 4 == 0 ? 0 : 1 + v % 255);
            }
        PutImageData(out, pixels);
    }
    out.push_back(';');
    return out;
}

double Best(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

void Measure(const char* what, bool transparent, int disposal) {
    std::vector<uint8_t> file = Animation(transparent, disposal);
    bool nonAnimated = true;
    auto gif = LoadGifData(file.data(), file.size(), nonAnimated);
    if (!gif || gif->FrameCount() != kFrames) {
        std::printf("%s: the animation did not load\n", what);
        return;
    }
    gif->SetVisible(true);
    HDC screen = GetDC(nullptr);
    HBITMAP target = CreateCompatibleBitmap(screen, kWidth + 40, kHeight + 40);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, target);
    auto background = [](HDC b, int w, int h) {
        RECT r{0, 0, w, h};
        FillRect(b, &r, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    };
    auto paint = [&] { gif->Draw(dc, background, 20, 20, kWidth, kHeight); };
    paint(); // the first paint makes what later ones reuse
    std::vector<double> repaint, stepped, repaintCpu, steppedCpu;
    for (int run = 0; run < kRuns; ++run) {
        const int n = kPaints;
        double t0 = Now(), c0 = ThreadCpu();
        for (int i = 0; i < n; ++i)
            paint();
        GdiFlush();
        repaint.push_back((Now() - t0) / n);
        repaintCpu.push_back((ThreadCpu() - c0) / n);
        t0 = Now();
        c0 = ThreadCpu();
        for (int i = 0; i < n; ++i) {
            gif->SetFrameIndex(gif->FrameIndex() + 1);
            paint();
        }
        GdiFlush();
        stepped.push_back((Now() - t0) / n);
        steppedCpu.push_back((ThreadCpu() - c0) / n);
    }
    std::printf(
        "%-34s repaint: best %6.3f median %6.3f ms (cpu %6.3f)   step + paint: best %6.3f median %6.3f ms "
        "(cpu %6.3f)\n",
        what, Best(repaint), Median(repaint), Median(repaintCpu), Best(stepped), Median(stepped),
        Median(steppedCpu));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(target);
    ReleaseDC(nullptr, screen);
}

} // namespace

int main() {
    InitializeDisplay();
    std::printf("100 frames of %dx%d, screen %d bits; per paint, best and median of %d runs of %d paints\n",
                kWidth, kHeight, ScreenBits(), kRuns, kPaints);
    Measure("opaque", false, 1);
    Measure("transparent, frames leave pixels", true, 1);
    Measure("transparent, frames restore", true, 2);
    FinalizeDisplay();
    return 0;
}
