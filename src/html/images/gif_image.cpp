#include "html/images/gif_image.h"

#include <cstring>

#include "base/os.h"
#include "html/images/dither.h"
#include "html/images/display.h"
#include "html/images/image_cache.h"

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
    if (!other.Empty()) animation_.Start(other.animation_.File());
}

bool TGIFImage::Load(const uint8_t* data, size_t size, bool scanOnly) {
    bitmap_.reset();
    background_.reset();
    scanOnly_ = scanOnly;
    GifFile gif;
    std::string error;
    if (!ParseGif(data, size, scanOnly, gif, error)) {
        animation_ = GifAnimation();
        return false;
    }
    if (scanOnly) {
        animation_ = GifAnimation();
        animation_.MutableFile() = std::move(gif);
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

void TGIFImage::DrawComposite(HDC dc, int x, int y, int w, int h, DWORD rop) const {
    const PixelImage& c = animation_.Composite();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = c.width;
    info.bmiHeader.biHeight = -c.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, x, y, w, h, 0, 0, c.width, c.height, c.pixels.data(), &info, DIB_RGB_COLORS, rop);
}

void TGIFImage::DrawMask(HDC dc, int x, int y, int w, int h) const {
    const PixelImage& c = animation_.Composite();
    const auto& mask = animation_.CompositeMask();
    const int32_t stride = ((c.width + 31) / 32) * 4;
    std::vector<uint8_t> bits(size_t(stride) * c.height, 0);
    for (int32_t row = 0; row < c.height; ++row) {
        const uint8_t* m = mask.data() + size_t(row) * c.width;
        uint8_t* o = bits.data() + size_t(row) * stride;
        for (int32_t col = 0; col < c.width; ++col)
            if (m[col]) o[col >> 3] |= uint8_t(0x80 >> (col & 7));
    }
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = c.width;
    info.header.biHeight = -c.height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.colors[1] = RGBQUAD{255, 255, 255, 0};
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, x, y, w, h, 0, 0, c.width, c.height, bits.data(), reinterpret_cast<BITMAPINFO*>(&info),
                  DIB_RGB_COLORS, SRCAND);
}

void TGIFImage::Draw(HDC dc, const BackgroundFill& background, int x, int y, int w, int h) {
    lastRect_ = RECT{x, y, x + w, y + h};
    if (!visible_ || Empty() || scanOnly_ || w <= 0 || h <= 0) return;
    SelectShared(dc);
    const auto& frames = animation_.File().frames;
    const int disposal = frames[size_t(FrameIndex() - 1)].disposal;
    if (!frames[0].transparent || animation_.CompositeMask().empty()) {
        DrawComposite(dc, x, y, w, h, SRCCOPY);
        return;
    }
    if (disposal >= 2) {
        DrawMask(dc, x, y, w, h);
        DrawComposite(dc, x, y, w, h, SRCPAINT);
        return;
    }
    // Frames that leave their pixels: the background under the picture is kept
    // in a buffer made once (again when frame 1 comes round or the size changes).
    ScreenDC screen;
    if (!background_ || backgroundW_ != w || backgroundH_ != h || animation_.NeedsBackground()) {
        background_ = std::make_unique<TBitmap>(CreateCompatibleBitmap(screen, w, h));
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
    }
    BitmapHandle scratch(CreateCompatibleBitmap(screen, w, h));
    MemoryDC sdc(screen), bdc(screen);
    sdc.Select(scratch.get());
    bdc.Select(background_->Handle());
    SelectShared(sdc);
    BitBlt(sdc, 0, 0, w, h, bdc, 0, 0, SRCCOPY);
    DrawMask(sdc, 0, 0, w, h);
    DrawComposite(sdc, 0, 0, w, h, SRCPAINT);
    BitBlt(dc, x, y, w, h, sdc, 0, 0, SRCCOPY);
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
    std::vector<uint8_t> data;
    if (!ReadWholeFile(fileName, data)) return nullptr;
    return LoadGifData(data.data(), data.size(), nonAnimated);
}

std::unique_ptr<TGIFImage> LoadGifStream(TMemoryStream& stream, bool& nonAnimated) {
    return LoadGifData(stream.Data().data(), stream.Size(), nonAnimated);
}

} // namespace velmora::images
