#include "html/images/bitmap.h"

#include <cstring>
#include <vector>

namespace velmora::images {

namespace {

struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

} // namespace

HPALETTE CreatePaletteFrom(const velmora::images::Palette& colors) {
    size_t n = std::min<size_t>(colors.size(), 256);
    if (!n) return nullptr;
    std::vector<uint8_t> buffer(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(buffer.data());
    log->palVersion = 0x300;
    log->palNumEntries = WORD(n);
    for (size_t i = 0; i < n; ++i)
        log->palPalEntry[i] = PALETTEENTRY{colors[i].r, colors[i].g, colors[i].b, 0};
    return CreatePalette(log);
}

velmora::images::Palette PaletteColors(HPALETTE palette) {
    velmora::images::Palette out;
    if (!palette) return out;
    PALETTEENTRY entries[256];
    UINT n = GetPaletteEntries(palette, 0, 256, entries);
    for (UINT i = 0; i < n; ++i)
        out.push_back(Rgb{entries[i].peRed, entries[i].peGreen, entries[i].peBlue});
    return out;
}

std::unique_ptr<TBitmap> TBitmap::FromPixels(const PixelImage& image) {
    if (image.Empty()) return nullptr;
    BitmapInfo256 info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = image.width;
    info.header.biHeight = -image.height; // our rows are top-down
    info.header.biPlanes = 1;
    info.header.biBitCount = WORD(image.bits);
    info.header.biCompression = BI_RGB;
    if (image.bits == 8) {
        info.header.biClrUsed = 256;
        for (size_t i = 0; i < 256; ++i) {
            Rgb c = i < image.palette.size() ? image.palette[i] : Rgb{};
            info.colors[i] = RGBQUAD{c.b, c.g, c.r, 0};
        }
    }
    void* bits = nullptr;
    HBITMAP h =
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!h || !bits) return nullptr;
    std::memcpy(bits, image.pixels.data(), image.pixels.size());
    GdiFlush();
    auto bitmap = std::make_unique<TBitmap>(h);
    if (image.bits == 8) bitmap->SetPalette(CreatePaletteFrom(image.palette));
    return bitmap;
}

std::unique_ptr<TBitmap> TBitmap::MonochromeFromMask(const uint8_t* mask, int32_t width, int32_t height) {
    if (!PictureSizeAllowed(width, height)) return nullptr;
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
    void* bits = nullptr;
    HBITMAP h =
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!h || !bits) return nullptr;
    const int32_t stride = ((width + 31) / 32) * 4;
    auto* rows = static_cast<uint8_t*>(bits);
    std::memset(rows, 0, size_t(stride) * size_t(height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            if (mask[size_t(y) * size_t(width) + size_t(x)])
                rows[size_t(y) * stride + x / 8] |= uint8_t(0x80 >> (x & 7));
    GdiFlush();
    return std::make_unique<TBitmap>(h);
}

int32_t TBitmap::Width() const {
    BITMAP b{};
    return handle_ && GetObjectA(handle_.get(), sizeof b, &b) ? b.bmWidth : 0;
}

int32_t TBitmap::Height() const {
    BITMAP b{};
    return handle_ && GetObjectA(handle_.get(), sizeof b, &b) ? b.bmHeight : 0;
}

int TBitmap::BitsPerPixel() const {
    BITMAP b{};
    return handle_ && GetObjectA(handle_.get(), sizeof b, &b) ? b.bmBitsPixel * b.bmPlanes : 0;
}

bool TBitmap::IsDib() const {
    DIBSECTION ds{};
    return handle_ && GetObjectA(handle_.get(), sizeof ds, &ds) == sizeof ds;
}

std::unique_ptr<TBitmap> TBitmap::Copy() const {
    if (!handle_) return nullptr;
    auto copy = std::make_unique<TBitmap>();
    if (palette_) copy->SetPalette(CreatePaletteFrom(PaletteColors(palette_.get())));
    DIBSECTION ds{};
    if (GetObjectA(handle_.get(), sizeof ds, &ds) == sizeof ds) {
        // A DIB section stays one: same header and colours, same bits.
        BitmapInfo256 info{};
        info.header = ds.dsBmih;
        info.header.biHeight = -std::abs(ds.dsBmih.biHeight);
        if (ds.dsBmih.biBitCount <= 8) {
            MemoryDC dc;
            dc.Select(handle_.get());
            GetDIBColorTable(dc, 0, 256, info.colors);
        }
        if (ds.dsBmih.biCompression == BI_BITFIELDS) info.header.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP h = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                     nullptr, 0);
        if (!h) return nullptr;
        copy->SetHandle(h);
        MemoryDC from, to;
        from.Select(handle_.get());
        to.Select(h);
        BitBlt(to, 0, 0, ds.dsBm.bmWidth, ds.dsBm.bmHeight, from, 0, 0, SRCCOPY);
        return copy;
    }
    BITMAP b{};
    GetObjectA(handle_.get(), sizeof b, &b);
    ScreenDC screen;
    HBITMAP h = b.bmBitsPixel == 1 ? CreateBitmap(b.bmWidth, b.bmHeight, 1, 1, nullptr)
                                   : CreateCompatibleBitmap(screen, b.bmWidth, b.bmHeight);
    if (!h) return nullptr;
    copy->SetHandle(h);
    MemoryDC from, to;
    from.Select(handle_.get());
    to.Select(h);
    from.SelectPal(palette_.get());
    to.SelectPal(copy->Palette());
    BitBlt(to, 0, 0, b.bmWidth, b.bmHeight, from, 0, 0, SRCCOPY);
    return copy;
}

PixelImage TBitmap::ReadPixels() const {
    PixelImage out;
    int32_t w = Width(), h = Height();
    if (!out.Allocate(w, h, 24)) return out;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    ScreenDC screen;
    MemoryDC dc(screen);
    dc.SelectPal(palette_.get());
    if (GetDIBits(dc, handle_.get(), 0, UINT(h), out.pixels.data(), &info, DIB_RGB_COLORS) != h)
        return PixelImage();
    return out;
}

} // namespace velmora::images
