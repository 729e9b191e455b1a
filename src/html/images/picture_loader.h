// Loading pictures into bitmaps for the display, transparency masks, bringing
// bitmaps to the display's colours, and masked drawing.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "html/images/bitmap.h"
#include "html/images/memory_stream.h"

namespace velmora::images {

// Transparency kinds stored with each cached picture.
enum TTransparency : uint8_t {
    NotTransparent = 0,  // opaque
    LowerLeftCorner = 1, // the bottom-left pixel's colour is transparent
    GifTransparency = 2, // from the GIF's graphic control extension
    PngTransparency = 3, // from the PNG's tRNS chunk
};

// None for missing files, unknown types (PNG included) and decoding errors.
std::unique_ptr<TBitmap> ReadPictureFile(const std::string& fileName, TTransparency& transparency,
                                         std::unique_ptr<TBitmap>& mask);
std::unique_ptr<TBitmap> ReadPictureStream(TMemoryStream& stream, TTransparency& transparency,
                                           std::unique_ptr<TBitmap>& mask);
// Decodes BMP, GIF or JPEG data (by its first bytes), reduced to the display when asked.
std::unique_ptr<TBitmap> LoadPictureData(const uint8_t* data, size_t size, bool reduce);

// Monochrome, white where the bitmap has `colour` (without one: the colour of
// the bottom-left pixel). None when it cannot be made.
std::unique_ptr<TBitmap> MakeTransparencyMask(TBitmap& bitmap, bool useGivenColour, COLORREF colour);

// The bitmap as the display wants it; the argument is consumed (returned or replaced).
std::unique_ptr<TBitmap> ReduceToDisplay(std::unique_ptr<TBitmap> bitmap);

// Stretches the bitmap onto the DC so that the mask's white pixels leave it unchanged.
void DrawWithMask(HDC dc, TBitmap& bitmap, TBitmap& mask, int x, int y, int w, int h);

// A device-independent copy of a bitmap: header, colour table (up to 8 bits) and rows.
class TDib {
public:
    TDib(HDC dc, TBitmap& bitmap);
    TDib(const TDib&) = delete;
    TDib& operator=(const TDib&) = delete;
    void DrawDib(HDC dc, int x, int y, int w, int h, DWORD rop) const;
    // A device bitmap made from the copy on the screen, through the shared palette.
    HBITMAP CreateDIBitmap() const;
    const BITMAPINFOHEADER& Header() const { return info().bmiHeader; }

private:
    const BITMAPINFO& info() const { return *reinterpret_cast<const BITMAPINFO*>(info_.data()); }
    // Large pixel blocks come from the system's global memory, small ones from the heap.
    struct PixelBlock {
        uint8_t* data = nullptr;
        size_t size = 0;
        bool global = false;
        ~PixelBlock();
        void Allocate(size_t bytes);
    };
    std::vector<uint8_t> info_; // header + colour table
    PixelBlock pixels_;
};

} // namespace velmora::images
