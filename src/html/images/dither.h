// Colour reduction of bitmaps for palette displays (Floyd-Steinberg to a fixed palette).
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "html/images/bitmap.h"

namespace velmora::images {

// Row access to a bitmap that is first turned into a 24-bit DIB section in place.
class TDIBReader {
public:
    explicit TDIBReader(TBitmap& bitmap);
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // Blue, green, red bytes; row 0 is the top.
    const uint8_t* Row(int32_t y) const;

private:
    int32_t width_ = 0, height_ = 0, stride_ = 0;
    const uint8_t* bits_ = nullptr; // bottom-up, as the DIB section holds them
};

// An 8-bit device-independent copy of the result bitmap, made on the first row
// request and written back into the bitmap when released.
class TDIBWriter {
public:
    explicit TDIBWriter(TBitmap& bitmap);
    ~TDIBWriter();
    TDIBWriter(const TDIBWriter&) = delete;
    TDIBWriter& operator=(const TDIBWriter&) = delete;
    uint8_t* Row(int32_t y);
    void Release();

private:
    void Prepare();
    TBitmap& bitmap_;
    std::vector<uint8_t> image_; // an in-memory BMP file: file header, info header, colours, rows
    int32_t width_ = 0, height_ = 0, stride_ = 0;
    size_t pixelOffset_ = 0;
};

// A new 8-bit bitmap of `bitmap` with `palette`; the source becomes 24-bit.
std::unique_ptr<TBitmap> ReduceBitmapColors(TBitmap& bitmap, const Palette& palette);
// Device bitmaps are copied; others are reduced to the display's palette. None for none.
std::unique_ptr<TBitmap> DitherToDisplay(TBitmap* bitmap);

} // namespace velmora::images
