#include "html/gdi_view.h"

#include "html/images/display.h"
#include "html/images/gif_image.h"
#include "html/images/image_cache.h"
#include "html/images/picture_loader.h"

#include <algorithm>

namespace velmora::html {

namespace {

COLORREF Rgb(TColor c) {
    return static_cast<COLORREF>(c & 0xFFFFFF);
}

void FillSolid(HDC dc, int32_t x, int32_t y, int32_t w, int32_t h, TColor color) {
    if (w <= 0 || h <= 0) return;
    tk::BrushHandle brush(CreateSolidBrush(Rgb(color)));
    RECT r{x, y, x + w, y + h};
    FillRect(dc, &r, brush.get());
}

void DrawGraphic(HDC dc, images::TGraphic* graphic, images::TBitmap* mask, int32_t x, int32_t y, int32_t w,
                 int32_t h, TColor background) {
    if (!graphic || w <= 0 || h <= 0) return;
    if (auto* gif = dynamic_cast<images::TGIFImage*>(graphic)) {
        gif->Draw(
            dc, [background](HDC target, int bw, int bh) { FillSolid(target, 0, 0, bw, bh, background); }, x,
            y, w, h);
        return;
    }
    auto* bitmap = dynamic_cast<images::TBitmap*>(graphic);
    if (!bitmap || !bitmap->Handle()) return;
    if (mask && mask->Handle()) {
        images::DrawWithMask(dc, *bitmap, *mask, x, y, w, h);
        return;
    }
    tk::MemoryDC source(dc);
    source.Select(bitmap->Handle());
    const int old = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, x, y, w, h, source, 0, 0, bitmap->Width(), bitmap->Height(), SRCCOPY);
    SetStretchBltMode(dc, old);
}

// The background picture tiled over the rectangle, anchored to the document
// so that it scrolls with it.
bool TileBackground(HDC dc, const TDrawOp& op, const TPaintContext& pc, const TGdiPaintHooks& hooks) {
    images::TBitmap* picture = hooks.BackgroundPicture;
    if (!picture || !picture->Handle() || picture->Width() <= 0 || picture->Height() <= 0) return false;
    const int32_t pw = picture->Width(), ph = picture->Height();
    const int32_t offsetX = ((pc.View.ScrollX % pw) + pw) % pw, offsetY = ((pc.View.ScrollY % ph) + ph) % ph;
    if (hooks.BackgroundMask) FillSolid(dc, op.X, op.Y, op.W, op.H, op.Color);
    const int32_t startX = op.X - ((op.X + offsetX) % pw), startY = op.Y - ((op.Y + offsetY) % ph);
    tk::MemoryDC source(dc);
    source.Select(picture->Handle());
    for (int32_t y = startY; y < op.Y + op.H; y += ph)
        for (int32_t x = startX; x < op.X + op.W; x += pw) {
            if (hooks.BackgroundMask)
                images::DrawWithMask(dc, *picture, *hooks.BackgroundMask, x, y, pw, ph);
            else if (!BitBlt(dc, x, y, pw, ph, source, 0, 0, SRCCOPY))
                return false;
        }
    return true;
}

} // namespace

// ---- metrics ----

TGdiFontMetrics::TGdiFontMetrics() : dc_(nullptr) {}

tk::FontHandle TGdiFontMetrics::MakeFont(const TMyFont& font) {
    const int height = -MulDiv(font.Size, tk::ScreenDpi(), 72);
    return tk::FontHandle(CreateFontA(
        height, 0, 0, 0, (font.Style & fsBold) ? FW_BOLD : FW_NORMAL, (font.Style & fsItalic) != 0,
        (font.Style & fsUnderline) != 0, (font.Style & fsStrikeOut) != 0, font.CharSet, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, (font.FixedPitch ? FIXED_PITCH : DEFAULT_PITCH) | FF_DONTCARE,
        font.Name.c_str()));
}

namespace {

// What makes a different GDI font; colour and nominal size do not.
TMyFont FontKey(const TMyFont& font) {
    TMyFont key = font;
    key.Color = 0;
    key.NominalSize = 0;
    return key;
}

} // namespace

TGdiFontMetrics::Entry& TGdiFontMetrics::Cached(const TMyFont& font) {
    const TMyFont key = FontKey(font);
    for (auto& e : cache_)
        if (e->Font == key) {
            e->LastUse = ++uses_;
            return *e;
        }
    auto e = std::make_unique<Entry>();
    e->Font = key;
    e->Handle = MakeFont(key);
    e->LastUse = ++uses_;
    cache_.push_back(std::move(e));
    return *cache_.back();
}

TGdiFontMetrics::Entry& TGdiFontMetrics::Indexed(uint32_t fontIndex, const TMyFont& font) {
    if (fontIndex >= byIndex_.size()) byIndex_.resize(fontIndex + 1, nullptr);
    Entry*& e = byIndex_[fontIndex];
    // The index says which font; the comparison only guards against a
    // document that reused its indexes without saying so.
    if (!e || !(e->Font == FontKey(font))) e = &Cached(font);
    return *e;
}

void TGdiFontMetrics::ForgetFonts() {
    byIndex_.clear();
    if (cache_.size() <= kKeptFonts) return;
    // The most recently used stay.
    std::sort(cache_.begin(), cache_.end(),
              [](const auto& a, const auto& b) { return a->LastUse > b->LastUse; });
    cache_.resize(kKeptFonts);
}

HFONT TGdiFontMetrics::Font(uint32_t fontIndex, const TMyFont& font) {
    return Indexed(fontIndex, font).Handle.get();
}

TFontMetrics TGdiFontMetrics::Metrics(const TMyFont& font) {
    Entry& e = Cached(font);
    if (!e.HasMetrics) {
        tk::SelectedObject selected(dc_, e.Handle.get());
        TEXTMETRICA tm{};
        GetTextMetricsA(dc_, &tm);
        e.Metrics.Height = tm.tmHeight;
        e.Metrics.ExternalLeading = tm.tmExternalLeading;
        e.Metrics.Descent = tm.tmDescent;
        e.Metrics.Overhang = tm.tmOverhang;
        e.HasMetrics = true;
    }
    return e.Metrics;
}

TGdiFontMetrics::Entry& TGdiFontMetrics::Measured(uint32_t fontIndex, const TMyFont& font) {
    Entry& e = Indexed(fontIndex, font);
    if (e.HasWidths) return e;
    tk::SelectedObject selected(dc_, e.Handle.get());
    INT widths[256] = {};
    SIZE one{}, two{};
    SystemCalls += 3;
    if (GetCharWidth32A(dc_, 0, 255, widths) && GetTextExtentPoint32A(dc_, "A", 1, &one) &&
        GetTextExtentPoint32A(dc_, "AA", 2, &two)) {
        for (int i = 0; i < 256; ++i)
            e.Widths[i] = widths[i];
        const int32_t a = e.Widths[static_cast<unsigned char>('A')];
        e.PerChar = two.cx - one.cx - a;
        e.Fixed = one.cx - a - e.PerChar;
    }
    e.HasWidths = true;
    return e;
}

int32_t TGdiFontMetrics::TextWidth(uint32_t fontIndex, const TMyFont& font, std::string_view text) {
    if (text.empty()) return 0;
    const Entry& e = Measured(fontIndex, font);
    int32_t total = e.Fixed;
    for (char c : text)
        total += e.Widths[static_cast<unsigned char>(c)] + e.PerChar;
    return total;
}

size_t TGdiFontMetrics::PrefixWidths(uint32_t fontIndex, const TMyFont& font, std::string_view text,
                                     int32_t maxExtent, int32_t* widths) {
    if (text.empty()) return 0;
    const Entry& e = Measured(fontIndex, font);
    int32_t total = e.Fixed;
    for (size_t i = 0; i < text.size(); ++i) {
        total += e.Widths[static_cast<unsigned char>(text[i])] + e.PerChar;
        widths[i] = total;
        // One width past the room tells the caller where the room ended.
        if (total > maxExtent) return i + 1;
    }
    return text.size();
}

// ---- pictures ----

TCachedPicture::TCachedPicture(images::TGraphic* picture, images::TBitmap* mask, std::string key)
    : picture_(picture), mask_(mask), key_(std::move(key)) {}

TCachedPicture::~TCachedPicture() {
    images::ImageCache().ReleaseImage(key_);
}

int32_t TCachedPicture::Width() const {
    return Picture() ? Picture()->Width() : 0;
}
int32_t TCachedPicture::Height() const {
    return Picture() ? Picture()->Height() : 0;
}

images::TGIFImage* TCachedPicture::Animation() const {
    auto* gif = dynamic_cast<images::TGIFImage*>(Picture());
    return gif && gif->Animated() ? gif : nullptr;
}

void TCachedPicture::MakeOwnCopy() {
    if (auto* gif = dynamic_cast<images::TGIFImage*>(picture_); gif && !own_)
        own_ = std::make_unique<images::TGIFImage>(*gif);
}

TImageObj::PictureKind TCachePictures::Fetch(TImageObj& image) {
    // An application that supplies pictures gets SRC as written.
    const std::string name = OnImageRequest || !Resolve ? image.Source : Resolve(image.Source);
    images::TTransparency transparency = image.Transparent ? images::LowerLeftCorner : images::NotTransparent;
    const std::string key = images::TStringBitmapList::KeyOf(name);
    if (Broken.count(key)) return TImageObj::pkBroken;
    bool pending = false, fromCache = false;
    images::TBitmap* mask = nullptr;
    images::TGraphic* picture = images::FetchImage(
        name, transparency, pending, fromCache, mask,
        OnImageRequest ? images::ImageRequestHandler(OnImageRequest) : images::ImageRequestHandler());
    if (pending) {
        Waiting.push_back(&image);
        return TImageObj::pkPending;
    }
    if (!picture) {
        Broken.insert(key);
        return TImageObj::pkBroken;
    }
    auto cached = std::make_unique<TCachedPicture>(picture, mask, key);
    if (auto* gif = dynamic_cast<images::TGIFImage*>(picture); gif && gif->Animated()) {
        // Each image animates on its own: a picture the cache already gave
        // out is copied.
        if (fromCache) cached->MakeOwnCopy();
        images::TGIFImage* own = cached->Animation();
        own->SetVisible(true);
        if (image.Active) {
            own->SetAnimating(false);
            own->SetFrameIndex(1);
        } else {
            own->SetAnimating(true);
            if (Document) Document->Animations.push_back(&image);
        }
    }
    image.Picture = std::move(cached);
    return TImageObj::pkLoaded;
}

// ---- the painter ----

void ExecuteDrawOps(HDC dc, const TPaintContext& pc, TGdiFontMetrics& fonts, const TGdiPaintHooks& hooks) {
    TSectionList& doc = pc.Doc;
    const int savedDC = SaveDC(dc);
    SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    for (const TDrawOp& op : pc.Ops) {
        switch (op.Kind) {
        case TDrawKind::Background:
            if (!TileBackground(dc, op, pc, hooks)) FillSolid(dc, op.X, op.Y, op.W, op.H, op.Color);
            break;
        case TDrawKind::Text: {
            const TFontEntry& f = doc.Font(op.FontIndex);
            tk::SelectedObject font(dc, fonts.Font(op.FontIndex, f.Font));
            SetTextColor(dc, Rgb(op.Color));
            SetBkMode(dc, op.Opaque ? OPAQUE : TRANSPARENT);
            if (op.Opaque) SetBkColor(dc, Rgb(op.Back));
            RECT clip{op.X, op.Y - 32000, op.ClipRight == INT32_MAX ? 32000 : op.ClipRight, op.Y + 32000};
            ExtTextOutA(dc, op.X, op.Y, op.ClipRight == INT32_MAX ? 0 : ETO_CLIPPED, &clip, op.Text.data(),
                        static_cast<UINT>(op.Text.size()), nullptr);
            break;
        }
        case TDrawKind::Fill:
            FillSolid(dc, op.X, op.Y, op.W, op.H, op.Color);
            break;
        case TDrawKind::Frame3D:
            // Top and left in one colour, bottom and right in the other.
            FillSolid(dc, op.X, op.Y, op.W - 1, 1, op.Color);
            FillSolid(dc, op.X, op.Y, 1, op.H - 1, op.Color);
            FillSolid(dc, op.X, op.Y + op.H - 1, op.W, 1, op.Back);
            FillSolid(dc, op.X + op.W - 1, op.Y, 1, op.H, op.Back);
            break;
        case TDrawKind::Rect: {
            tk::BrushHandle brush(CreateSolidBrush(Rgb(op.Color)));
            RECT r{op.X, op.Y, op.X + op.W, op.Y + op.H};
            FrameRect(dc, &r, brush.get());
            break;
        }
        case TDrawKind::Ellipse: {
            tk::PenHandle pen(CreatePen(PS_SOLID, 1, Rgb(op.Color)));
            tk::BrushHandle brush(op.Opaque ? CreateSolidBrush(Rgb(op.Color)) : nullptr);
            tk::SelectedObject selectPen(dc, pen.get());
            tk::SelectedObject selectBrush(dc, op.Opaque ? static_cast<HGDIOBJ>(brush.get())
                                                         : GetStockObject(NULL_BRUSH));
            Ellipse(dc, op.X, op.Y, op.X + op.W, op.Y + op.H);
            break;
        }
        case TDrawKind::Picture:
            if (auto* picture = dynamic_cast<const TCachedPicture*>(op.Image->Picture.get()))
                DrawGraphic(dc, picture->Picture(), picture->Mask(), op.X, op.Y, op.W, op.H, doc.Background);
            break;
        case TDrawKind::Substitute: {
            images::TBitmap* sign =
                op.Image->Kind == TImageObj::pkBroken ? images::BrokenImage() : images::PendingImage();
            images::TBitmap* mask =
                op.Image->Kind == TImageObj::pkBroken ? images::BrokenImageMask() : nullptr;
            DrawGraphic(dc, sign, mask, op.X, op.Y, op.W, op.H, doc.Background);
            break;
        }
        case TDrawKind::Control:
            if (hooks.PlaceControl) hooks.PlaceControl(*op.Control, op.X, op.Y);
            break;
        }
    }
    RestoreDC(dc, savedDC);
}

size_t PaintWindow(HWND window, TSectionList& document, const TViewState& view, int32_t originX,
                   TGdiFontMetrics& fonts, const TGdiPaintHooks& hooks) {
    tk::BufferedPaint paint(window);
    const RECT& r = paint.Rect();
    if (r.right <= r.left || r.bottom <= r.top) return 0;
    TPaintContext pc(document, view, {r.left, r.top, r.right, r.bottom}, originX, CurrentSystemColors());
    PaintDocument(pc);
    // Pictures reach the window in the shared palette's colours (palette displays).
    paint.UsePalette(images::SharedPalette());
    ExecuteDrawOps(paint.DC(), pc, fonts, hooks);
    return pc.SectionsPainted;
}

TSystemColors CurrentSystemColors() {
    TSystemColors c;
    c.ButtonFace = GetSysColor(COLOR_BTNFACE);
    c.ButtonShadow = GetSysColor(COLOR_BTNSHADOW);
    c.ButtonHighlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    c.Window = GetSysColor(COLOR_WINDOW);
    tk::ScreenDC screen;
    c.Monochrome = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES) == 1;
    return c;
}

} // namespace velmora::html
