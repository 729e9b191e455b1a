#include "html/images/dither.h"

#include <cstring>

#include "html/images/color_reduction.h"
#include "html/images/display.h"

namespace velmora::images {

TDIBReader::TDIBReader(TBitmap& bitmap) {
    BITMAP b{};
    if (bitmap.Empty() || !GetObjectA(bitmap.Handle(), sizeof b, &b))
        throw GIFException("Bitmap image is not valid");
    DIBSECTION ds{};
    // Always rewritten as a bottom-up 24-bit section: the row order of an
    // existing section cannot be told reliably from its description.
    PixelImage pixels = bitmap.ReadPixels();
    if (pixels.Empty()) throw GIFException("Failed to create DIB from Bitmap");
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = pixels.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP h = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!h || !bits) throw EOutOfMemory("Failed to allocate memory for GIF DIB");
    for (int32_t y = 0; y < pixels.height; ++y)
        std::memcpy(static_cast<uint8_t*>(bits) + size_t(pixels.height - 1 - y) * pixels.stride,
                    pixels.Row(y), size_t(pixels.stride));
    GdiFlush();
    bitmap.SetHandle(h);
    bitmap.SetPalette(nullptr);
    GetObjectA(bitmap.Handle(), sizeof ds, &ds);
    width_ = ds.dsBm.bmWidth;
    height_ = ds.dsBm.bmHeight;
    stride_ = ds.dsBm.bmWidthBytes;
    bits_ = static_cast<const uint8_t*>(ds.dsBm.bmBits);
}

const uint8_t* TDIBReader::Row(int32_t y) const {
    if (!bits_) throw EInvalidGraphic("Image has no DIB");
    if (y < 0 || y >= height_) throw EInvalidGraphicOperation("Scan line index out of range");
    return bits_ + size_t(height_ - 1 - y) * size_t(stride_);
}

TDIBWriter::TDIBWriter(TBitmap& bitmap) : bitmap_(bitmap) {}

TDIBWriter::~TDIBWriter() {
    try {
        Release();
    } catch (...) {
        // A failure here leaves the bitmap as it was; the caller has already gone.
    }
}

// The DIB is laid out as a BMP file's bytes: the headers must have their file sizes in every build.
static_assert(sizeof(BITMAPFILEHEADER) == 14 && sizeof(BITMAPINFOHEADER) == 40 && sizeof(RGBQUAD) == 4,
              "BMP headers are packed as in the file");

void TDIBWriter::Prepare() {
    BITMAP b{};
    if (bitmap_.Empty() || !GetObjectA(bitmap_.Handle(), sizeof b, &b))
        throw GIFException("Bitmap image is not valid");
    width_ = b.bmWidth;
    height_ = b.bmHeight;
    stride_ = PixelImage::StrideFor(width_, 8);
    const size_t headerSize = sizeof(BITMAPINFOHEADER);
    pixelOffset_ = sizeof(BITMAPFILEHEADER) + headerSize + 256 * sizeof(RGBQUAD);
    const size_t total = pixelOffset_ + size_t(stride_) * size_t(height_);
    try {
        image_.assign(total, 0);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Failed to allocate memory for GIF DIB");
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfSize = DWORD(total);
    file.bfOffBits = DWORD(pixelOffset_);
    BITMAPINFOHEADER info{};
    info.biSize = DWORD(headerSize);
    info.biWidth = width_;
    info.biHeight = height_;
    info.biPlanes = 1;
    info.biBitCount = 8;
    info.biSizeImage = DWORD(size_t(stride_) * size_t(height_));
    info.biClrUsed = 256;
    std::memcpy(image_.data(), &file, sizeof file);
    std::memcpy(image_.data() + sizeof file, &info, sizeof info);
    auto* colors = reinterpret_cast<RGBQUAD*>(image_.data() + sizeof file + sizeof info);
    Palette palette = PaletteColors(bitmap_.Palette());
    for (size_t i = 0; i < palette.size() && i < 256; ++i)
        colors[i] = RGBQUAD{palette[i].b, palette[i].g, palette[i].r, 0};
}

uint8_t* TDIBWriter::Row(int32_t y) {
    if (image_.empty()) Prepare();
    if (y < 0 || y >= height_) throw EInvalidGraphicOperation("Scan line index out of range");
    return image_.data() + pixelOffset_ + size_t(height_ - 1 - y) * size_t(stride_);
}

void TDIBWriter::Release() {
    if (image_.empty()) return;
    auto* info = reinterpret_cast<BITMAPINFO*>(image_.data() + sizeof(BITMAPFILEHEADER));
    void* bits = nullptr;
    HBITMAP h = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!h || !bits) {
        image_.clear();
        throw EOutOfMemory("Failed to allocate memory for GIF DIB");
    }
    std::memcpy(bits, image_.data() + pixelOffset_, image_.size() - pixelOffset_);
    GdiFlush();
    bitmap_.SetHandle(h);
    image_.clear();
}

std::unique_ptr<TBitmap> ReduceBitmapColors(TBitmap& bitmap, const Palette& palette) {
    auto result = std::make_unique<TBitmap>();
    int32_t w = bitmap.Width(), h = bitmap.Height();
    if (!PictureSizeAllowed(w, h)) throw GIFException("Bitmap image is not valid");
    result->SetPalette(CreatePaletteFrom(palette));
    {
        // A blank 8-bit bitmap of the size with the palette's colours; the writer fills it.
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colors[256];
        } info{};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = w;
        info.header.biHeight = h;
        info.header.biPlanes = 1;
        info.header.biBitCount = 8;
        info.header.biClrUsed = 256;
        for (size_t i = 0; i < palette.size() && i < 256; ++i)
            info.colors[i] = RGBQUAD{palette[i].b, palette[i].g, palette[i].r, 0};
        void* bits = nullptr;
        HBITMAP handle = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                          &bits, nullptr, 0);
        if (!handle) throw EOutOfMemory("Failed to allocate memory for GIF DIB");
        result->SetHandle(handle);
    }
    TDIBReader reader(bitmap);
    if (palette.empty()) return result;
    TDIBWriter writer(*result);
    TFastColorLookup lookup(palette);
    TFloydSteinbergEngine engine(w, lookup);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* in = reader.Row(y);
        uint8_t* out = writer.Row(y);
        for (int32_t x = engine.Column(); x >= 0 && x < w; x = engine.Column()) {
            const uint8_t* p = in + size_t(x) * 3;
            out[x] = uint8_t(engine.Dither(p[2], p[1], p[0]));
        }
        engine.AdvanceRow();
    }
    writer.Release();
    return result;
}

std::unique_ptr<TBitmap> DitherToDisplay(TBitmap* bitmap) {
    if (!bitmap || bitmap->Empty() || bitmap->Width() == 0 || bitmap->Height() == 0) return nullptr;
    if (!bitmap->IsDib()) return bitmap->Copy();
    return ReduceBitmapColors(*bitmap, TargetPalette());
}

} // namespace velmora::images
