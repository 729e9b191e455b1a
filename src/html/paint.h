// Painting as data: the sections inside a clip rectangle are turned into
// drawing operations (text, fills, frames, pictures, controls) that a GDI
// painter executes and a golden test prints.
#pragma once
#include "html/document.h"

#include <string>
#include <vector>

namespace velmora::html {

// What the view owns: where it is scrolled to and what is selected.
struct TViewState {
    int32_t ScrollX = 0;        // horizontal scroll position
    int32_t ScrollY = 0;        // vertical scroll offset
    int32_t SelB = 0, SelE = 0; // document positions, begin inclusive, end exclusive
    int32_t CaretPos = -1;      // where the dummy caret is drawn (when the document shows one)
    bool HasSelection() const { return SelE > SelB; }
};

struct TSurfaceRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// The user's colour scheme, as painting needs it (classic values by default).
struct TSystemColors {
    TColor ButtonFace = 0xC0C0C0;
    TColor ButtonShadow = 0x808080;
    TColor ButtonHighlight = 0xFFFFFF;
    TColor Window = 0xFFFFFF;
    bool Monochrome = false;
};

enum class TDrawKind : uint8_t {
    Background, // the clip rectangle: background colour, tiled picture when there is one
    Text,       // X, Y = baseline start; Color; opaque with Back behind it when Opaque
    Fill,       // rectangle in Color
    Frame3D,    // rectangle: top and left sides in Color, bottom and right in Back
    Rect,       // 1-pixel outline in Color
    Ellipse,    // bullet: filled with Color when Opaque, else outlined in Color
    Picture,    // an image's picture stretched to the box (Image)
    Substitute, // the broken or pending sign (Image says which)
    Control,    // a form control's window moved to X, Y
};

struct TDrawOp {
    TDrawKind Kind;
    int32_t X = 0, Y = 0, W = 0, H = 0; // surface coordinates
    TColor Color = 0, Back = 0;
    bool Opaque = false;
    uint32_t FontIndex = 0;
    int32_t ClipRight = INT32_MAX; // text: nothing right of this is drawn
    std::string Text;
    const TImageObj* Image = nullptr;
    const TFormControlObj* Control = nullptr;
};

class TPaintContext {
public:
    // clip: the repaint rectangle on the surface; originX: surface x of the
    // document's x = 0 (margin minus the horizontal scroll); the vertical
    // scroll offset is subtracted from document y.
    TPaintContext(TSectionList& document, const TViewState& view, TSurfaceRect clip, int32_t originX,
                  TSystemColors colors = {});

    TSectionList& Doc;
    const TViewState& View;
    TSurfaceRect Clip;
    int32_t OriginX;
    TSystemColors Colors;
    std::vector<TDrawOp> Ops;
    size_t SectionsPainted = 0; // sections that drew something (the benchmark counts them)
    int32_t ClipWidth = 6000;   // how far right preformatted text may go (from the area's left edge)
    int32_t AreaLeft = 0;       // document x of the area being painted

    // Document y range of the clip rectangle.
    int32_t DocTop() const { return Clip.Top + View.ScrollY; }
    int32_t DocBottom() const { return Clip.Bottom + View.ScrollY; }
    bool Visible(int32_t top, int32_t height) const { return top + height > DocTop() && top < DocBottom(); }
    int32_t SX(int32_t x) const { return x + OriginX; }
    int32_t SY(int32_t y) const { return y - View.ScrollY; }
    TDrawOp& Add(TDrawKind kind, int32_t x, int32_t y, int32_t w, int32_t h);
    // Placeholder ALT text and the bullet rule need to know the page colour.
    bool LightBackground() const;
    void Frame3D(int32_t x, int32_t y, int32_t w, int32_t h, bool raised);
};

// Paints the part of the document inside clip: the background, then the
// sections that reach into it.
void PaintDocument(TPaintContext& pc);

// The list marker text of a numbered item ("XX.", "c.", "12.").
std::string ListMarkerText(int32_t number, char type);

// One line per operation, for golden tests.
std::string DumpPaint(const TPaintContext& pc);

} // namespace velmora::html
