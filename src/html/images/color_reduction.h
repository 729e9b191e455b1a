// Bringing true-colour pictures down to a fixed palette with Floyd-Steinberg
// error diffusion, and the standard palette that every picture shares on
// 256-colour displays.
#pragma once
#include <array>
#include <memory>

#include "html/images/picture.h"

namespace velmora::images {

// The shared 256-entry palette: the system's entries, with entry 10 onwards
// overwritten by the 6x6x6 colour cube and 21 greys.
Palette MakeSharedPalette(const Palette& systemEntries);
// The 20 static colours of the default system palette (16-colour displays).
Palette DefaultStaticColors();

class TColorLookup {
public:
    explicit TColorLookup(int colorCount) : colorCount_(colorCount) {}
    virtual ~TColorLookup() = default;
    int ColorCount() const { return colorCount_; }
    // Palette index of the colour chosen for (r, g, b); `chosen` gets its colour.
    virtual int Lookup(int r, int g, int b, Rgb& chosen) = 0;

private:
    int colorCount_;
};

class TFastColorLookup : public TColorLookup {
public:
    explicit TFastColorLookup(const Palette& palette);
    int Lookup(int r, int g, int b, Rgb& chosen) override;
    static int Cell(int r, int g, int b) { return (b >> 3) * 1024 + (g >> 3) * 32 + (r >> 3); }

private:
    Palette palette_;
    std::unique_ptr<int16_t[]> inverse_; // 32,768 cells, -1 when empty
};

class TDitherEngine {
public:
    TDitherEngine(int32_t width, TColorLookup& lookup) : lookup_(lookup), width_(width) {}
    virtual ~TDitherEngine() = default;
    int Direction() const { return direction_; }
    int32_t Column() const { return column_; }
    virtual int Dither(int r, int g, int b) = 0;
    virtual void AdvanceRow() = 0;

protected:
    TColorLookup& lookup_;
    int32_t width_;
    int direction_ = 1;
    int32_t column_ = 0;
};

// Serpentine Floyd-Steinberg: 7/16 ahead, 3/16, 5/16 and 1/16 to the next row,
// rounded by adding 8 before dividing by 16.
class TFloydSteinbergEngine : public TDitherEngine {
public:
    TFloydSteinbergEngine(int32_t width, TColorLookup& lookup);
    int Dither(int r, int g, int b) override;
    void AdvanceRow() override;

private:
    struct ChannelState {
        std::vector<int32_t> errors; // width + 2 cells
        int32_t current = 0, below = 0, belowPrevious = 0;
    };
    std::array<ChannelState, 3> channels_; // red, green, blue
    int32_t position_ = 0;
};

// The whole reduction on pixel buffers: an 8-bit picture of `source` with
// `palette` (pixels all 0 when the palette is empty).
PixelImage ReduceToPalette(const PixelImage& source, const Palette& palette);

} // namespace velmora::images
