// Bitmaps on the Win32 side: a handle (a DIB section or a device bitmap) with
// its palette, owned. Decoded pixel buffers become these.
#pragma once
#include <windows.h>

#include <memory>
#include <stdexcept>

#include "html/images/picture.h"
#include "toolkit/exceptions.h"
#include "toolkit/gdi.h"

namespace velmora::images {

using tk::BitmapHandle;
using tk::MemoryDC;
using tk::PaletteHandle;
using tk::ScreenDC;

// Graphic errors of the picture code.
class EInvalidGraphic : public tk::Exception {
public:
    using tk::Exception::Exception;
};
class GIFException : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};
class EInvalidGraphicOperation : public tk::Exception {
public:
    using tk::Exception::Exception;
};
class EOutOfMemory : public tk::Exception {
public:
    EOutOfMemory() : tk::Exception("Out of memory") {}
    using tk::Exception::Exception;
};

// What the picture cache holds: a bitmap or an animated GIF.
class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
};

class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    TBitmap(HBITMAP handle, HPALETTE palette = nullptr) : handle_(handle), palette_(palette) {}

    // A DIB section holding the pixels (8-bit with its palette, or 24-bit).
    static std::unique_ptr<TBitmap> FromPixels(const PixelImage& image);
    // A 1-bit DIB section: white (1) where mask bytes are non-zero.
    static std::unique_ptr<TBitmap> MonochromeFromMask(const uint8_t* mask, int32_t width, int32_t height);

    HBITMAP Handle() const { return handle_.get(); }
    HPALETTE Palette() const { return palette_.get(); }
    // Replaces the handle (the old one is freed); the palette stays unless given.
    void SetHandle(HBITMAP h) { handle_.reset(h); }
    void SetPalette(HPALETTE p) { palette_.reset(p); }
    HPALETTE ReleasePalette() { return palette_.release(); }
    HBITMAP ReleaseHandle() { return handle_.release(); }

    bool Empty() const { return !handle_; }
    int32_t Width() const override;
    int32_t Height() const override;
    int BitsPerPixel() const; // planes x bits
    // Held as a device-independent bitmap (a DIB section), not in the device's format.
    bool IsDib() const;
    bool Monochrome() const { return BitsPerPixel() == 1; }

    std::unique_ptr<TBitmap> Copy() const;
    // The pixels as 24-bit rows (through the bitmap's palette); tests and conversions.
    PixelImage ReadPixels() const;

private:
    BitmapHandle handle_;
    PaletteHandle palette_;
};

HPALETTE CreatePaletteFrom(const velmora::images::Palette& colors);
velmora::images::Palette PaletteColors(HPALETTE palette);

} // namespace velmora::images
