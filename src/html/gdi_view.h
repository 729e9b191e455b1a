// The GDI side of the HTML view: text metrics from real fonts, pictures from
// the picture cache, and a painter that executes the drawing operations on a
// DC (double-buffered for a window's repaint rectangle).
#pragma once
#include "html/layout.h"
#include "html/paint.h"
#include "toolkit/gdi.h"

#include <functional>
#include <memory>
#include <unordered_set>
#include <string>
#include <vector>

namespace velmora::images {
class TGraphic;
class TBitmap;
class TGIFImage;
class TMemoryStream;
} // namespace velmora::images

namespace velmora::html {

// Fonts made once and measured once: a document's font indexes point into a
// cache kept across documents, so the next page of a site does not make and
// measure its fonts again (under Wine that is most of a small page's time).
// Fonts no document uses are let go beyond kKeptFonts.
class TGdiFontMetrics final : public FontMetricsSource {
public:
    TGdiFontMetrics();
    TFontMetrics Metrics(const TMyFont& font) override;
    int32_t TextWidth(uint32_t fontIndex, const TMyFont& font, std::string_view text) override;
    size_t PrefixWidths(uint32_t fontIndex, const TMyFont& font, std::string_view text, int32_t maxExtent,
                        int32_t* widths) override;
    void ForgetFonts() override;

    // The font for a document font index (made when first asked).
    HFONT Font(uint32_t fontIndex, const TMyFont& font);
    static tk::FontHandle MakeFont(const TMyFont& font);
    // How many times text was measured by the system (tests count them).
    size_t SystemCalls = 0;
    // Fonts kept while no document uses them.
    static constexpr size_t kKeptFonts = 48;
    size_t CachedFonts() const { return cache_.size(); }

private:
    // Text is measured from a table of the 256 characters' advances, made
    // with three calls per font: a call per piece of text costs too much
    // under Wine. Extent of n characters = sum of advances + PerChar * n + Fixed
    // (what the system adds for overhangs of synthesized styles).
    struct Entry {
        TMyFont Font; // colour and nominal size cleared: they do not make another font
        tk::FontHandle Handle;
        bool HasWidths = false, HasMetrics = false;
        int32_t Widths[256] = {};
        int32_t PerChar = 0, Fixed = 0;
        TFontMetrics Metrics;
        uint64_t LastUse = 0;
    };
    Entry& Cached(const TMyFont& font);
    Entry& Indexed(uint32_t fontIndex, const TMyFont& font);
    Entry& Measured(uint32_t fontIndex, const TMyFont& font);
    std::vector<std::unique_ptr<Entry>> cache_;
    std::vector<Entry*> byIndex_;
    uint64_t uses_ = 0;
    tk::MemoryDC dc_;
};

// A picture from the cache, held by one image object; the cache entry is let
// go with it.
class TCachedPicture final : public TImageHandle {
public:
    TCachedPicture(images::TGraphic* picture, images::TBitmap* mask, std::string key);
    ~TCachedPicture() override;
    int32_t Width() const override;
    int32_t Height() const override;
    images::TGraphic* Picture() const { return own_ ? own_.get() : picture_; }
    images::TBitmap* Mask() const { return mask_; }
    // The animated picture this object shows (its own copy when the cache
    // entry was already in use), or null.
    images::TGIFImage* Animation() const;
    // Works on a copy of an animated picture of its own.
    void MakeOwnCopy();

private:
    images::TGraphic* picture_;
    std::unique_ptr<images::TGraphic> own_;
    images::TBitmap* mask_;
    std::string key_;
};

// Pictures through the picture cache; SRC is turned into a file name by the
// viewer's link resolution.
class TCachePictures final : public TPictureSource {
public:
    std::function<std::string(const std::string& source)> Resolve;
    // The application's source of pictures (OnImageRequest); when set, SRC is
    // handed to it as written.
    std::function<void(const std::string& name, images::TMemoryStream*& stream)> OnImageRequest;
    // Images whose pictures are still coming, and animations (the document's lists).
    TImageObj::PictureKind Fetch(TImageObj& image) override;
    std::vector<TImageObj*> Waiting;
    TSectionList* Document = nullptr;
    // Names that could not be loaded for this document: a page that shows
    // one missing picture many times asks for it once.
    std::unordered_set<std::string> Broken;
};

// What the painter cannot know by itself.
struct TGdiPaintHooks {
    // Moves a form control's window to (x, y) on the surface and shows it.
    std::function<void(const TFormControlObj& control, int32_t x, int32_t y)> PlaceControl;
    // The document's background picture (tiled; null when none) and its mask.
    images::TBitmap* BackgroundPicture = nullptr;
    images::TBitmap* BackgroundMask = nullptr;
};

// Executes the operations on dc (in surface coordinates).
void ExecuteDrawOps(HDC dc, const TPaintContext& pc, TGdiFontMetrics& fonts,
                    const TGdiPaintHooks& hooks = {});

// A window's WM_PAINT: only the repaint rectangle, through an off-screen
// bitmap. Returns how many sections were painted.
size_t PaintWindow(HWND window, TSectionList& document, const TViewState& view, int32_t originX,
                   TGdiFontMetrics& fonts, const TGdiPaintHooks& hooks = {});

// The classic colours of the user's scheme.
TSystemColors CurrentSystemColors();

} // namespace velmora::html
