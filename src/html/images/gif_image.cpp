#include "html/images/gif_image.h"

#include <cstring>

#include "base/os.h"
#include "base/read_file.h"
#include "html/images/dither.h"
#include "html/images/display.h"
#include "html/images/image_cache.h"
#include "toolkit/gdi.h"

namespace velmora::images {

namespace {

// The frame's pixels as 24-bit, transparent ones in `transparentFill` (or black).
PixelImage FramePixels(const GifFrame& f, const Rgb* transparentFill) {
    PixelImage out;
    if (!out.Allocate(f.width, f.height, 24)) return out;
    for (int32_t y = 0; y < f.height; ++y) {
        uint8_t* o = out.Row(y);
        for (int32_t x = 0; x < f.width; ++x, o += 3) {
            size_t i = size_t(y) * f.width + x;
            Rgb c = f.transparent && f.mask[i] ? (transparentFill ? *transparentFill : Rgb{})
                                               : f.colors[f.indices[i]];
            o[0] = c.b;
            o[1] = c.g;
            o[2] = c.r;
        }
    }
    return out;
}

void SelectShared(HDC dc) {
    if (HPALETTE p = SharedPalette()) {
        SelectPalette(dc, p, TRUE);
        RealizePalette(dc);
    }
}

} // namespace

TGIFImage::TGIFImage() : clock_([] { return os::TickCount(); }) {}

TGIFImage::TGIFImage(const TGIFImage& other)
    : clock_(other.clock_), scanOnly_(other.scanOnly_), visible_(other.visible_), dither_(other.dither_) {
    // The decoded frames are shared, not copied: only the composite is our own.
    if (other.scanOnly_)
        animation_ = other.animation_;
    else if (!other.Empty())
        animation_.Start(other.animation_.SharedFile());
}

bool TGIFImage::Load(const uint8_t* data, size_t size, bool scanOnly) {
    bitmap_.reset();
    compositeBitmap_.reset();
    maskBitmap_.reset();
    background_.reset();
    composed_.reset();
    scanOnly_ = scanOnly;
    GifFile gif;
    std::string error;
    if (!ParseGif(data, size, scanOnly, gif, error)) {
        animation_ = GifAnimation();
        return false;
    }
    if (scanOnly) {
        animation_.Hold(std::move(gif));
        return true;
    }
    // On a palette display, animations use the shared palette's nearest colours
    // so that many can run together; one-frame GIFs are dithered instead.
    if (HPALETTE shared = SharedPalette(); shared && !dither_) {
        const Palette& colors = SharedPaletteColors();
        for (GifFrame& f : gif.frames)
            for (Rgb& c : f.colors)
                c = colors[GetNearestPaletteIndex(shared, RGB(c.r, c.g, c.b)) & 255];
    }
    if (!animation_.Start(std::move(gif))) return false;
    return true;
}

TBitmap* TGIFImage::Bitmap() {
    if (Empty() || scanOnly_) return nullptr;
    if (!bitmap_) {
        const GifFrame& f = animation_.File().frames[0];
        Rgb fill = f.TransparentColor();
        bitmap_ = TBitmap::FromPixels(FramePixels(f, f.transparent ? &fill : nullptr));
        if (bitmap_ && dither_) bitmap_ = ReduceBitmapColors(*bitmap_, SharedPaletteColors());
    }
    return bitmap_.get();
}

std::unique_ptr<TBitmap> TGIFImage::UnditheredBitmap() const {
    if (Empty() || scanOnly_) return nullptr;
    const GifFrame& f = animation_.File().frames[0];
    Rgb fill = f.TransparentColor();
    return TBitmap::FromPixels(FramePixels(f, f.transparent ? &fill : nullptr));
}

std::unique_ptr<TBitmap> TGIFImage::FirstFrameBitmap() const {
    if (Empty() || scanOnly_) return nullptr;
    auto bitmap = TBitmap::FromPixels(FramePixels(animation_.File().frames[0], nullptr));
    if (bitmap && dither_) bitmap = ReduceBitmapColors(*bitmap, SharedPaletteColors());
    return bitmap;
}

std::unique_ptr<TBitmap> TGIFImage::FirstFrameMask() const {
    if (Empty() || scanOnly_ || !HasTransparency()) return nullptr;
    const GifFrame& f = animation_.File().frames[0];
    if (!f.transparent) {
        std::vector<uint8_t> opaque(size_t(f.width) * f.height, 0);
        return TBitmap::MonochromeFromMask(opaque.data(), f.width, f.height);
    }
    return TBitmap::MonochromeFromMask(f.mask.data(), f.width, f.height);
}

namespace {

// A top-down 1-bit DIB section, black (0) and white (1); `bits` gets its rows.
std::unique_ptr<TBitmap> MaskSection(int32_t width, int32_t height, uint8_t*& bits) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.colors[1] = RGBQUAD{255, 255, 255, 0};
    void* rows = nullptr;
    tk::BitmapHandle h(
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &rows, nullptr, 0));
    if (!h || !rows) return nullptr;
    bits = static_cast<uint8_t*>(rows);
    return std::make_unique<TBitmap>(h.release());
}

// Packs a byte mask (non-zero = white) into top-down 1-bit rows of 4-byte multiples.
void PackMask(const uint8_t* mask, int32_t width, int32_t height, uint8_t* bits) {
    const size_t stride = size_t((width + 31) / 32) * 4;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* m = mask + size_t(y) * size_t(width);
        uint8_t* out = bits + size_t(y) * stride;
        int32_t x = 0;
        for (; x + 8 <= width; x += 8, m += 8)
            *out++ = uint8_t((m[0] ? 0x80 : 0) | (m[1] ? 0x40 : 0) | (m[2] ? 0x20 : 0) | (m[3] ? 0x10 : 0) |
                             (m[4] ? 0x08 : 0) | (m[5] ? 0x04 : 0) | (m[6] ? 0x02 : 0) | (m[7] ? 0x01 : 0));
        if (x < width) {
            uint8_t last = 0;
            for (int bit = 0; x < width; ++x, ++bit, ++m)
                if (*m) last |= uint8_t(0x80 >> bit);
            *out = last;
        }
    }
}

} // namespace

bool TGIFImage::PrepareComposite() {
    if (compositeBitmap_ && builtGeneration_ == animation_.Generation()) return true;
    const PixelImage& c = animation_.Composite();
    if (c.Empty()) return false;
    ScreenDC screen;
    if (!compositeBitmap_) {
        HBITMAP h = CreateCompatibleBitmap(screen, c.width, c.height);
        if (!h) return false;
        compositeBitmap_ = std::make_unique<TBitmap>(h);
    }
    {
        // Into the display's own format once per frame step, through the shared
        // palette on palette displays; paints then only copy.
        MemoryDC dc(screen);
        dc.Select(compositeBitmap_->Handle());
        SelectShared(dc);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = c.width;
        info.bmiHeader.biHeight = -c.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        SetDIBitsToDevice(dc, 0, 0, DWORD(c.width), DWORD(c.height), 0, 0, 0, UINT(c.height), c.pixels.data(),
                          &info, DIB_RGB_COLORS);
    }
    const auto& mask = animation_.CompositeMask();
    if (mask.empty()) {
        maskBitmap_.reset();
    } else {
        if (!maskBitmap_) maskBitmap_ = MaskSection(c.width, c.height, maskBits_);
        if (!maskBitmap_) return false;
        GdiFlush(); // GDI is done with the rows before they change
        PackMask(mask.data(), c.width, c.height, maskBits_);
    }
    builtGeneration_ = animation_.Generation();
    ++compositeBuilds_;
    return true;
}

namespace {

// A plain copy where no stretching is needed (the usual case), else a stretch.
void Blit(HDC dc, int x, int y, int w, int h, HDC source, int sw, int sh, DWORD rop) {
    if (w == sw && h == sh)
        BitBlt(dc, x, y, w, h, source, 0, 0, rop);
    else
        StretchBlt(dc, x, y, w, h, source, 0, 0, sw, sh, rop);
}

// Stretches a monochrome mask onto a colour DC with AND: black where the mask
// is black (opaque), the destination unchanged where it is white.
void AndMask(HDC dc, int x, int y, int w, int h, HDC maskDc, int mw, int mh) {
    COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0)), oldBack = SetBkColor(dc, RGB(255, 255, 255));
    Blit(dc, x, y, w, h, maskDc, mw, mh, SRCAND);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}

} // namespace

void TGIFImage::Draw(HDC dc, const BackgroundFill& background, int x, int y, int w, int h) {
    lastRect_ = RECT{x, y, x + w, y + h};
    if (!visible_ || Empty() || scanOnly_ || w <= 0 || h <= 0) return;
    if (!PrepareComposite()) return;
    SelectShared(dc);
    const int cw = Width(), ch = Height();
    ScreenDC screen;
    MemoryDC compositeDc(screen), maskDc(screen);
    compositeDc.Select(compositeBitmap_->Handle());
    SelectShared(compositeDc);
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    const auto& frames = animation_.File().frames;
    const int disposal = frames[size_t(FrameIndex() - 1)].disposal;
    if (!frames[0].transparent || !maskBitmap_) {
        Blit(dc, x, y, w, h, compositeDc, cw, ch, SRCCOPY);
    } else if (disposal >= 2) {
        maskDc.Select(maskBitmap_->Handle());
        AndMask(dc, x, y, w, h, maskDc, cw, ch);
        Blit(dc, x, y, w, h, compositeDc, cw, ch, SRCPAINT);
    } else {
        // Frames that leave their pixels: the background under the picture is
        // kept in a buffer made once (again when frame 1 comes round or the size
        // changes), and the picture over it is put together once per frame
        // step; a paint is then one copy.
        if (!background_ || backgroundW_ != w || backgroundH_ != h || animation_.NeedsBackground()) {
            background_ = std::make_unique<TBitmap>(CreateCompatibleBitmap(screen, w, h));
            composed_ = std::make_unique<TBitmap>(CreateCompatibleBitmap(screen, w, h));
            backgroundW_ = w;
            backgroundH_ = h;
            MemoryDC bdc(screen);
            bdc.Select(background_->Handle());
            SelectShared(bdc);
            if (background) {
                background(bdc, w, h);
            } else {
                RECT r{0, 0, w, h};
                FillRect(bdc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            }
            animation_.ClearNeedsBackground();
            composedValid_ = false;
        }
        MemoryDC sdc(screen);
        sdc.Select(composed_->Handle());
        SelectShared(sdc);
        if (!composedValid_ || composedGeneration_ != builtGeneration_) {
            MemoryDC bdc(screen);
            bdc.Select(background_->Handle());
            SelectShared(bdc);
            maskDc.Select(maskBitmap_->Handle());
            SetStretchBltMode(sdc, COLORONCOLOR);
            BitBlt(sdc, 0, 0, w, h, bdc, 0, 0, SRCCOPY);
            AndMask(sdc, 0, 0, w, h, maskDc, cw, ch);
            Blit(sdc, 0, 0, w, h, compositeDc, cw, ch, SRCPAINT);
            composedGeneration_ = builtGeneration_;
            composedValid_ = true;
        }
        BitBlt(dc, x, y, w, h, sdc, 0, 0, SRCCOPY);
    }
    SetStretchBltMode(dc, oldMode);
}

void TGIFImage::StepAnimation(HWND window) {
    if (scanOnly_ || Empty()) return;
    if (animation_.Step(clock_()) && window) InvalidateRect(window, &lastRect_, TRUE);
}

std::unique_ptr<TGIFImage> LoadGifData(const uint8_t* data, size_t size, bool& nonAnimated) {
    nonAnimated = true;
    auto image = std::make_unique<TGIFImage>();
    image->SetVisible(false);
    try {
        if (!image->Load(data, size, true)) return nullptr;
        nonAnimated = !image->Animated();
        if (ScreenBits() == 8 && image->ColorBits() > 1) image->SetDither(nonAnimated);
        if (image->Load(data, size, false)) return image;
    } catch (const std::exception&) {
        // Out of memory while decoding: handled like a corrupt file.
    }
    // Perhaps memory ran short: let go of pictures nobody shows.
    ImageCache().DropUnusedImages();
    return nullptr;
}

std::unique_ptr<TGIFImage> LoadGifFile(const std::string& fileName, bool& nonAnimated) {
    nonAnimated = true;
    const ReadResult read = ReadWholeFile(fileName, kMaxFileBytes);
    if (!read) return nullptr;
    return LoadGifData(reinterpret_cast<const uint8_t*>(read.bytes.data()), read.bytes.size(), nonAnimated);
}

std::unique_ptr<TGIFImage> LoadGifStream(TMemoryStream& stream, bool& nonAnimated) {
    return LoadGifData(stream.Data().data(), stream.Size(), nonAnimated);
}

} // namespace velmora::images
