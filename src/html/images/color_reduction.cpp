#include "html/images/color_reduction.h"

#include <algorithm>
#include <cstdlib>

namespace velmora::images {

Palette MakeSharedPalette(const Palette& systemEntries) {
    Palette p = systemEntries;
    p.resize(256);
    static const uint8_t levels[6] = {55, 115, 165, 205, 235, 255};
    size_t i = 10;
    for (int b = 0; b < 6; ++b)
        for (int g = 0; g < 6; ++g)
            for (int r = 0; r < 6; ++r)
                if (!(r == 5 && g == 5 && b == 5)) p[i++] = Rgb{levels[r], levels[g], levels[b]};
    for (int k = 1; k <= 24; ++k) {
        if (k == 7 || k == 15 || k == 21) continue; // already in the cube
        uint8_t v = uint8_t(130 + 5 * k);
        p[i++] = Rgb{v, v, v};
    }
    return p; // i is 246 here: the last ten entries stay the system's
}

Palette DefaultStaticColors() {
    return {{0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
            {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
            {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
            {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
}

TFastColorLookup::TFastColorLookup(const Palette& palette)
    : TColorLookup(int(std::min<size_t>(palette.size(), 256))),
      palette_(palette.begin(), palette.begin() + ColorCount()), inverse_(new int16_t[32768]) {
    std::fill(inverse_.get(), inverse_.get() + 32768, int16_t(-1));
    for (int i = 0; i < ColorCount(); ++i) {
        int16_t& cell = inverse_[Cell(palette_[size_t(i)].r, palette_[size_t(i)].g, palette_[size_t(i)].b)];
        if (cell < 0) cell = int16_t(i); // the first entry wins
    }
}

int TFastColorLookup::Lookup(int r, int g, int b, Rgb& chosen) {
    int16_t& cell = inverse_[Cell(r, g, b)];
    if (cell < 0) {
        int best = 0, bestDistance = 1 << 30;
        for (int i = 0; i < ColorCount(); ++i) {
            const Rgb& c = palette_[size_t(i)];
            int d = std::abs(r - c.r) + std::abs(g - c.g) + std::abs(b - c.b);
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        cell = int16_t(best);
    }
    chosen = palette_[size_t(cell)];
    return cell;
}

TFloydSteinbergEngine::TFloydSteinbergEngine(int32_t width, TColorLookup& lookup)
    : TDitherEngine(width, lookup) {
    for (ChannelState& c : channels_)
        c.errors.assign(size_t(width) + 2, 0);
}

int TFloydSteinbergEngine::Dither(int r, int g, int b) {
    const int d = direction_;
    int value[3] = {r, g, b};
    for (int k = 0; k < 3; ++k) {
        ChannelState& c = channels_[size_t(k)];
        int v = value[k] + (c.errors[size_t(position_ + d)] + c.current + 8) / 16;
        value[k] = std::clamp(v, 0, 255);
    }
    Rgb chosen;
    int index = lookup_.Lookup(value[0], value[1], value[2], chosen);
    column_ += d;
    const int picked[3] = {chosen.r, chosen.g, chosen.b};
    for (int k = 0; k < 3; ++k) {
        ChannelState& c = channels_[size_t(k)];
        int32_t diff = value[k] - picked[k];
        c.errors[size_t(position_)] = c.belowPrevious + 3 * diff;
        c.belowPrevious = c.below + 5 * diff;
        c.below = diff;
        c.current = 7 * diff;
    }
    position_ += d;
    return index;
}

void TFloydSteinbergEngine::AdvanceRow() {
    for (ChannelState& c : channels_) {
        c.errors[size_t(position_)] = c.belowPrevious;
        c.current = c.below = c.belowPrevious = 0;
    }
    direction_ = -direction_;
    column_ = direction_ > 0 ? 0 : width_ - 1;
    position_ = direction_ > 0 ? 0 : width_ + 1;
}

PixelImage ReduceToPalette(const PixelImage& source, const Palette& palette) {
    PixelImage out;
    if (source.Empty() || !out.Allocate(source.width, source.height, 8)) return out;
    out.palette = palette;
    out.palette.resize(256);
    if (palette.empty()) return out;
    const PixelImage converted = source.bits == 24 ? PixelImage() : source.To24();
    const PixelImage& src = source.bits == 24 ? source : converted;
    if (src.Empty()) return PixelImage();
    TFastColorLookup lookup(palette);
    TFloydSteinbergEngine engine(src.width, lookup);
    for (int32_t y = 0; y < src.height; ++y) {
        const uint8_t* in = src.Row(y);
        uint8_t* o = out.Row(y);
        for (int32_t x = engine.Column(); x >= 0 && x < src.width; x = engine.Column()) {
            const uint8_t* p = in + size_t(x) * 3;
            o[x] = uint8_t(engine.Dither(p[2], p[1], p[0]));
        }
        engine.AdvanceRow();
    }
    return out;
}

} // namespace velmora::images
