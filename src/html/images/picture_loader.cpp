#include "html/images/picture_loader.h"

#include <cstring>
#include <new>

#include "base/file_name.h"
#include "base/os.h"
#include "base/read_file.h"
#include "html/images/bmp_reader.h"
#include "html/images/dither.h"
#include "html/images/display.h"
#include "html/images/gif_image.h"
#include "html/images/image_cache.h"
#include "html/images/jpeg_loader.h"
#include "html/images/transparency_probes.h"

namespace velmora::images {

namespace {

std::string LowerExtension(const std::string& name) {
    return os::AnsiLowerCase(ExtensionOf(name));
}

std::unique_ptr<TBitmap> DecodeJpegBitmap(const uint8_t* data, size_t size) {
    JpegOptions options;
    if (ScreenBits() <= 8) options.quantizeTo = SharedPaletteColors();
    PixelImage pixels;
    std::string error;
    if (!DecodeJpeg(data, size, options, pixels, error)) return nullptr;
    return TBitmap::FromPixels(pixels);
}

std::unique_ptr<TBitmap> DecodeBmpBitmap(const uint8_t* data, size_t size) {
    PixelImage pixels;
    std::string error;
    if (!DecodeBmp(data, size, pixels, error)) return nullptr;
    return TBitmap::FromPixels(pixels);
}

} // namespace

std::unique_ptr<TBitmap> LoadPictureData(const uint8_t* data, size_t size, bool reduce) {
    try {
        std::unique_ptr<TBitmap> bitmap;
        switch (DetectContentType(data, std::min<size_t>(size, 11))) {
        case ContentType::Bmp:
            bitmap = DecodeBmpBitmap(data, size);
            break;
        case ContentType::Gif87a:
        case ContentType::Gif89a: {
            bool nonAnimated = true;
            auto gif = LoadGifData(data, size, nonAnimated);
            if (!gif || !gif->Bitmap()) return nullptr;
            // Without reduction (for a mask by colour) the colours must be the file's own.
            bitmap = reduce ? gif->Bitmap()->Copy() : gif->UnditheredBitmap();
            // One-frame GIFs were already dithered on palette displays.
            if (nonAnimated || !reduce) return bitmap;
            break;
        }
        case ContentType::Jpeg:
            bitmap = DecodeJpegBitmap(data, size);
            break;
        default:
            return nullptr;
        }
        if (bitmap && reduce) bitmap = ReduceToDisplay(std::move(bitmap));
        return bitmap;
    } catch (const std::exception&) {
        return nullptr;
    }
}

std::unique_ptr<TBitmap> ReadPictureFile(const std::string& fileName, TTransparency& transparency,
                                         std::unique_ptr<TBitmap>& mask) {
    mask.reset();
    if (!os::FileExists(fileName)) return nullptr;
    const std::string ext = LowerExtension(fileName);
    uint32_t colour = 0;
    if (ext == ".gif" && ProbeGifTransparencyFile(fileName, colour))
        transparency = GifTransparency;
    else if (ext == ".png" && ProbePngTransparencyFile(fileName, colour))
        transparency = PngTransparency;
    const ReadResult read = ReadWholeFile(fileName, kMaxFileBytes);
    if (!read) return nullptr;
    const auto* data = reinterpret_cast<const uint8_t*>(read.bytes.data());
    const size_t size = read.bytes.size();
    if (transparency == NotTransparent) return LoadPictureData(data, size, true);
    // The mask comes from the picture as decoded, before any colour reduction.
    if (auto plain = LoadPictureData(data, size, false))
        mask = transparency == LowerLeftCorner ? MakeTransparencyMask(*plain, false, 0)
                                               : MakeTransparencyMask(*plain, true, colour);
    if (!mask) return nullptr;
    return LoadPictureData(data, size, true);
}

std::unique_ptr<TBitmap> ReadPictureStream(TMemoryStream& stream, TTransparency& transparency,
                                           std::unique_ptr<TBitmap>& mask) {
    mask.reset();
    const auto& data = stream.Data();
    if (data.size() < 20) return nullptr;
    std::unique_ptr<TBitmap> bitmap;
    try {
        switch (DetectContentType(data.data(), data.size())) {
        case ContentType::Jpeg:
            transparency = NotTransparent;
            bitmap = DecodeJpegBitmap(data.data(), data.size());
            break;
        case ContentType::Bmp:
            bitmap = DecodeBmpBitmap(data.data(), data.size());
            break;
        default:
            return nullptr;
        }
        if (!bitmap) return nullptr;
        if (transparency == LowerLeftCorner) mask = MakeTransparencyMask(*bitmap, false, 0);
        return ReduceToDisplay(std::move(bitmap));
    } catch (const std::exception&) {
        mask.reset();
        return nullptr;
    }
}

std::unique_ptr<TBitmap> MakeTransparencyMask(TBitmap& bitmap, bool useGivenColour, COLORREF colour) {
    PixelImage pixels = bitmap.ReadPixels();
    if (pixels.Empty()) return nullptr;
    Rgb key = useGivenColour ? Rgb{GetRValue(colour), GetGValue(colour), GetBValue(colour)}
                             : pixels.PixelAt(0, pixels.height - 1);
    std::vector<uint8_t> mask(size_t(pixels.width) * pixels.height);
    for (int32_t y = 0; y < pixels.height; ++y)
        for (int32_t x = 0; x < pixels.width; ++x)
            mask[size_t(y) * pixels.width + x] = pixels.PixelAt(x, y) == key;
    return TBitmap::MonochromeFromMask(mask.data(), pixels.width, pixels.height);
}

namespace {

std::unique_ptr<TBitmap> ConvertThroughDib(std::unique_ptr<TBitmap> bitmap) {
    ScreenDC screen;
    MemoryDC dc(screen);
    dc.SelectPal(SharedPalette());
    TDib dib(dc, *bitmap);
    HBITMAP device = dib.CreateDIBitmap();
    if (!device) throw EOutOfMemory();
    auto result = std::make_unique<TBitmap>(device);
    if (HPALETTE p = bitmap->Palette()) {
        result->SetPalette(CreatePaletteFrom(PaletteColors(p)));
    } else if (SharedPalette()) {
        result->SetPalette(CreatePaletteFrom(SharedPaletteColors()));
    }
    return result;
}

} // namespace

std::unique_ptr<TBitmap> ReduceToDisplay(std::unique_ptr<TBitmap> bitmap) {
    if (!bitmap || bitmap->Empty()) return bitmap;
    if (ScreenBits() <= 8) {
        if (bitmap->IsDib()) return DitherToDisplay(bitmap.get());
        return ConvertThroughDib(std::move(bitmap));
    }
    if (bitmap->BitsPerPixel() >= 15) return bitmap;
    return ConvertThroughDib(std::move(bitmap));
}

void DrawWithMask(HDC dc, TBitmap& bitmap, TBitmap& mask, int x, int y, int w, int h) {
    if (GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) <= 1) return;
    const int bw = bitmap.Width(), bh = bitmap.Height();
    ScreenDC screen;
    // 1. The inverse mask: white where the picture is opaque.
    BitmapHandle inverse(CreateBitmap(bw, bh, 1, 1, nullptr));
    MemoryDC maskDc(screen), inverseDc(screen);
    maskDc.Select(mask.Handle());
    inverseDc.Select(inverse.get());
    BitBlt(inverseDc, 0, 0, bw, bh, maskDc, 0, 0, NOTSRCCOPY);
    // 2. Black out the opaque area on the destination.
    COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255)), oldText = SetTextColor(dc, RGB(0, 0, 0));
    int oldMode = SetStretchBltMode(dc, WHITEONBLACK);
    if (HPALETTE p = SharedPalette()) {
        SelectPalette(dc, p, TRUE);
        RealizePalette(dc);
    }
    StretchBlt(dc, x, y, w, h, maskDc, 0, 0, bw, bh, SRCAND);
    // 3. A private copy of the picture with its transparent pixels black.
    BitmapHandle copy(CreateCompatibleBitmap(screen, bw, bh));
    MemoryDC sourceDc(screen), copyDc(screen);
    sourceDc.Select(bitmap.Handle());
    sourceDc.SelectPal(bitmap.Palette() ? bitmap.Palette() : SharedPalette());
    copyDc.Select(copy.get());
    copyDc.SelectPal(SharedPalette());
    BitBlt(copyDc, 0, 0, bw, bh, sourceDc, 0, 0, SRCCOPY);
    SetBkColor(copyDc, RGB(255, 255, 255));
    SetTextColor(copyDc, RGB(0, 0, 0));
    BitBlt(copyDc, 0, 0, bw, bh, inverseDc, 0, 0, SRCAND);
    // 4. OR it in.
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, x, y, w, h, copyDc, 0, 0, bw, bh, SRCPAINT);
    // 5. Put the destination's colours back.
    SetStretchBltMode(dc, oldMode);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
}

TDib::PixelBlock::~PixelBlock() {
    if (global) GlobalFree(data);
    else delete[] data;
}

void TDib::PixelBlock::Allocate(size_t bytes) {
    global = bytes > 65279;
    data = global ? static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes))
                  : new (std::nothrow) uint8_t[bytes]();
    if (!data) throw EOutOfMemory();
    size = bytes;
}

TDib::TDib(HDC dc, TBitmap& bitmap) {
    BITMAP b{};
    if (!GetObjectA(bitmap.Handle(), sizeof b, &b)) throw EOutOfMemory();
    int bits = b.bmBitsPixel * b.bmPlanes;
    if (bits == 16 || bits == 32) bits = 24;
    const size_t colours = bits <= 8 ? size_t(1) << bits : 0;
    info_.assign(sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD), 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info_.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = b.bmWidth;
    header->biHeight = b.bmHeight;
    header->biPlanes = 1;
    header->biBitCount = WORD(bits);
    header->biCompression = BI_RGB;
    const size_t rowBytes = size_t((bits * b.bmWidth + 31) / 32) * 4;
    header->biSizeImage = DWORD(rowBytes * size_t(b.bmHeight));
    pixels_.Allocate(header->biSizeImage);
    HDC target = dc;
    ScreenDC screen;
    if (!target) target = screen;
    HPALETTE old = nullptr;
    if (bitmap.Palette()) {
        old = SelectPalette(target, bitmap.Palette(), FALSE);
        RealizePalette(target);
    }
    int got = GetDIBits(target, bitmap.Handle(), 0, UINT(b.bmHeight), pixels_.data,
                        reinterpret_cast<BITMAPINFO*>(info_.data()), DIB_RGB_COLORS);
    if (old) SelectPalette(target, old, FALSE);
    if (got != b.bmHeight) {
        if (!dc) ImageCache().DropUnusedImages();
        throw EOutOfMemory();
    }
}

void TDib::DrawDib(HDC dc, int x, int y, int w, int h, DWORD rop) const {
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, x, y, w, h, 0, 0, Header().biWidth, Header().biHeight, pixels_.data, &info(),
                  DIB_RGB_COLORS, rop);
}

HBITMAP TDib::CreateDIBitmap() const {
    ScreenDC screen;
    HPALETTE old = nullptr;
    if (HPALETTE p = SharedPalette()) {
        old = SelectPalette(screen, p, FALSE);
        RealizePalette(screen);
    }
    HBITMAP h = ::CreateDIBitmap(screen, &Header(), CBM_INIT, pixels_.data, &info(), DIB_RGB_COLORS);
    if (old) SelectPalette(screen, old, FALSE);
    return h;
}

} // namespace velmora::images
