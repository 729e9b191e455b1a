#include "widgets/click_splitter.h"

#include <utility>
#include <vector>

#include "toolkit/application.h"
#include "toolkit/gdi.h"
#include "toolkit/messages.h"

namespace velmora::widgets {

namespace {

const char* const kWindowClass = "VelmoraClickSplitter";
// The focused window whose keys the bar watches during a drag carries the bar here.
const char* const kKeyHookProperty = "velmora.splitter.keyhook";
// Posted at creation: the neighbours are looked for once the parent is laid out.
const UINT kLoadedMessage = tk::pmSplitterLoaded;

bool IsVerticalAlign(tk::TAlign a) {
    return a == tk::TAlign::alLeft || a == tk::TAlign::alRight;
}
bool IsHorizontalAlign(tk::TAlign a) {
    return a == tk::TAlign::alTop || a == tk::TAlign::alBottom;
}

Point PointFromLParam(LPARAM lParam) {
    // Captured mouse messages may carry negative coordinates.
    return Point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// One arrow picture as a 24-bit bitmap with its exact colours.
HBITMAP MakeArrowBitmap(ArrowState state) {
    const auto& rows = ArrowPicture(state);
    int w = ArrowWidth(state), h = ArrowHeight(state);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h; // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return bitmap;
    int stride = (w * 3 + 3) & ~3;
    auto* bytes = static_cast<BYTE*>(bits);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            COLORREF c = rows[y][x] == 'N' ? kArrowNavy : kArrowSilver;
            BYTE* px = bytes + y * stride + x * 3;
            px[0] = GetBValue(c);
            px[1] = GetGValue(c);
            px[2] = GetRValue(c);
        }
    }
    GdiFlush();
    return bitmap;
}

// The colour a parent paints its background with.
COLORREF BackgroundColorOf(HWND parent) {
    if (!parent) return GetSysColor(COLOR_BTNFACE);
    auto brush = static_cast<ULONG_PTR>(GetClassLongPtrA(parent, GCLP_HBRBACKGROUND));
    if (brush == 0) return GetSysColor(COLOR_BTNFACE);
    if (brush <= COLOR_MENUBAR + 1) return GetSysColor(static_cast<int>(brush - 1)); // a system colour index
    LOGBRUSH lb{};
    if (GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof lb, &lb) == sizeof lb && lb.lbStyle == BS_SOLID) {
        return lb.lbColor;
    }
    return GetSysColor(COLOR_BTNFACE);
}

// The halftone pattern the drag bar is drawn with; XOR-ed twice it leaves nothing.
tk::BrushHandle MakeHalftoneBrush() {
    static const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    tk::BitmapHandle bitmap(CreateBitmap(8, 8, 1, 1, pattern));
    return tk::BrushHandle(CreatePatternBrush(bitmap.get()));
}

} // namespace

TClickSplitter::TClickSplitter(const Params& p)
    : handled_(p.handled), handleSize_(p.handleSize < 0 ? 0 : p.handleSize), handleAlign_(p.handleAlign),
      minSize_(p.minSize < 0 ? 0 : p.minSize) {
    RegisterWindowClass(kWindowClass, CS_HREDRAW | CS_VREDRAW, nullptr, nullptr);
    for (int i = 0; i < 4; ++i)
        arrows_[i].reset(MakeArrowBitmap(static_cast<ArrowState>(i)));
    int width = p.width, height = p.height;
    if (handled_ && IsVerticalAlign(p.align) && width < kMinHandledThickness) width = kMinHandledThickness;
    if (handled_ && IsHorizontalAlign(p.align) && height < kMinHandledThickness)
        height = kMinHandledThickness;
    tk::WindowParams wp;
    wp.className = kWindowClass;
    wp.style = WS_CHILD | WS_CLIPSIBLINGS | (p.visible ? WS_VISIBLE : 0);
    wp.bounds = RECT{p.left, p.top, p.left + width, p.top + height};
    CreateControl(p.parent, wp);
    SetAlign(p.align);
    if (Handle()) PostMessageA(Handle(), kLoadedMessage, 0, 0);
}

TClickSplitter::~TClickSplitter() {
    // Never leave the focused window subclassed by a bar that is gone.
    UnhookFocusedKeys();
    if (dragBarShown_) DrawDragBar();
    if (dragDc_ && Parent()) ReleaseDC(Parent()->Handle(), dragDc_);
    dragDc_ = nullptr;
}

SplitSide TClickSplitter::Side() const {
    switch (Align()) {
    case tk::TAlign::alRight:
        return SplitSide::Right;
    case tk::TAlign::alTop:
        return SplitSide::Top;
    case tk::TAlign::alBottom:
        return SplitSide::Bottom;
    default:
        return SplitSide::Left;
    }
}

void TClickSplitter::SetAlign(tk::TAlign align) {
    if (align == tk::TAlign::alNone || align == tk::TAlign::alClient) {
        throw tk::Exception(std::string("Value not allowed for ") + kClassName + " component.");
    }
    // The toolkit swaps width and height when the bar turns.
    tk::TControl::SetAlign(align);
    collapse_.SetSide(Side());
    Invalidate();
}

void TClickSplitter::CheckThickness(int width, int height) const {
    if (!handled_) return;
    if (IsVerticalAlign(Align()) && width < kMinHandledThickness) {
        throw tk::Exception(std::string("Min. width for a handled ") + kClassName + " component is " +
                            std::to_string(kMinHandledThickness));
    }
    if (IsHorizontalAlign(Align()) && height < kMinHandledThickness) {
        throw tk::Exception(std::string("Min. height for a handled ") + kClassName + " component is " +
                            std::to_string(kMinHandledThickness));
    }
}

void TClickSplitter::SetWidth(int width) {
    CheckThickness(width, Height());
    tk::TControl::SetWidth(width);
}

void TClickSplitter::SetHeight(int height) {
    CheckThickness(Width(), height);
    tk::TControl::SetHeight(height);
}

void TClickSplitter::SetHandled(bool handled) {
    handled_ = handled;
    if (handled_ && IsHorizontalAlign(Align()) && Height() < kMinHandledThickness) {
        tk::TControl::SetHeight(kMinHandledThickness);
    }
    if (handled_ && IsVerticalAlign(Align()) && Width() < kMinHandledThickness) {
        tk::TControl::SetWidth(kMinHandledThickness);
    }
    Invalidate();
}

void TClickSplitter::SetHandleSize(int size) {
    handleSize_ = size < 0 ? 0 : size;
    Invalidate();
}

void TClickSplitter::SetHandleAlign(THandleAlign align) {
    handleAlign_ = align;
    Invalidate();
}

COLORREF TClickSplitter::Color() const {
    return parentColor_ ? BackgroundColorOf(Parent() ? Parent()->Handle() : nullptr) : color_;
}

void TClickSplitter::SetColor(COLORREF color) {
    color_ = color;
    parentColor_ = false;
    Invalidate();
}

void TClickSplitter::SetParentColor(bool parentColor) {
    parentColor_ = parentColor;
    Invalidate();
}

void TClickSplitter::Loaded() {
    if (loaded_) return;
    loaded_ = true;
    tk::TControl* parent = Parent();
    if (!parent) return;
    const auto& controls = parent->Controls();
    std::vector<ChildBox> children;
    int self = -1;
    for (size_t i = 0; i < controls.size(); ++i) {
        tk::TControl* c = controls[i];
        if (c == this) self = static_cast<int>(i);
        children.push_back(
            ChildBox{Box{c->Left(), c->Top(), c->Width(), c->Height()}, c->Visible(), c->Enabled()});
    }
    NeighbourProbes probes = NeighbourProbePoints(Side(), Box{Left(), Top(), Width(), Height()});
    int before = ControlAtPoint(children, probes.before, Side(), self);
    int after = ControlAtPoint(children, probes.after, Side(), self);
    before_ = before >= 0 ? controls[before] : nullptr;
    after_ = after >= 0 ? controls[after] : nullptr;
}

Span TClickSplitter::Grip() const {
    return GripSpan(IsVerticalBar(Side()) ? Height() : Width(), handleSize_, handleAlign_);
}

bool TClickSplitter::MouseOverGrip() const {
    return OverGrip(handled_, Side(), Grip(), Width(), Height(), lastMouse_);
}

int TClickSplitter::ResizedExtent() const {
    if (!resized_) return 0;
    return IsVerticalBar(Side()) ? resized_->Width() : resized_->Height();
}

bool TClickSplitter::CanResize(int& newSize) {
    bool accept = true;
    if (OnCanResize) OnCanResize(newSize, accept);
    return accept;
}

bool TClickSplitter::DoCanResize(int& newSize) {
    bool accept = CanResize(newSize);
    if (accept && newSize <= minSize_) newSize = minSize_;
    return accept;
}

void TClickSplitter::UpdateCursor() {
    LPCSTR shape = MouseOverGrip() ? IDC_ARROW : (IsVerticalBar(Side()) ? IDC_SIZEWE : IDC_SIZENS);
    SetCursor(LoadCursor(nullptr, shape));
}

void TClickSplitter::MouseDown(Point p) {
    if (Dragging()) return;
    Loaded();
    SplitSide side = Side();
    resized_ = ResizesControlBefore(side) ? before_ : after_;
    mouseDown_ = p;
    lastMouse_ = p;
    if (!resized_) return;
    tk::TControl* parent = Parent();
    bool vertical = IsVerticalBar(side);
    int alignedSum = 0;
    for (tk::TControl* c : parent->Controls()) {
        tk::TAlign a = c->Align();
        if (vertical ? IsVerticalAlign(a) : IsHorizontalAlign(a))
            alignedSum += vertical ? c->Width() : c->Height();
    }
    largest_ = LargestSize(vertical ? parent->ClientWidth() : parent->ClientHeight(), minSize_, alignedSum,
                           ResizedExtent());
    DragStep step = SizeFromPoint(side, ResizedExtent(), mouseDown_, p, minSize_, largest_);
    dragOffset_ = step.offset;
    newSize_ = step.newSize;
    // The parent's surface, children included, so the drag bar shows over the panes.
    dragDc_ = GetDCEx(parent->Handle(), nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_LOCKWINDOWUPDATE);
    HookFocusedKeys();
    SetCapture(Handle());
    DrawDragBar();
}

void TClickSplitter::MouseMove(Point p, bool leftHeld) {
    lastMouse_ = p;
    UpdateCursor();
    if (!leftHeld || !resized_) return;
    DragStep step = SizeFromPoint(Side(), ResizedExtent(), mouseDown_, p, minSize_, largest_);
    int size = step.newSize;
    if (!DoCanResize(size)) return;
    if (!resized_) return; // the handler ended the drag
    if (dragBarShown_) DrawDragBar();
    newSize_ = size;
    dragOffset_ = step.offset;
    DrawDragBar();
}

void TClickSplitter::MouseUp(Point p) {
    if (!resized_) return;
    lastMouse_ = p;
    if (dragBarShown_) DrawDragBar();
    if (MouseOverGrip()) newSize_ = collapse_.GripClick(ResizedExtent());
    ApplyNewSize();
    EndDrag();
}

void TClickSplitter::ApplyNewSize() {
    if (!collapse_.NeedsApply(newSize_)) return;
    tk::TControl* c = resized_;
    int size = newSize_;
    // Each step keeps the bar on the far side of its control in the alignment order,
    // also when the control is 0 wide.
    switch (Side()) {
    case SplitSide::Top:
        c->SetHeight(size);
        SetTop(c->Top() + c->Height() + 1);
        break;
    case SplitSide::Left:
        c->SetWidth(size);
        SetLeft(c->Left() + c->Width() + 1);
        break;
    case SplitSide::Bottom:
        c->SetBounds(c->Left(), c->Top() + c->Height() - size, c->Width(), size);
        if (c->Height() != 0) {
            SetTop(c->Top());
            c->SetTop(Top() + 1);
        }
        break;
    case SplitSide::Right:
        c->SetBounds(c->Left() + c->Width() - size, c->Top(), size, c->Height());
        if (c->Width() != 0) {
            SetLeft(c->Left());
            c->SetLeft(Left() + 1);
        }
        break;
    }
    collapse_.Applied(size, Side());
    Repaint();
    if (OnMoved) OnMoved();
}

void TClickSplitter::EndDrag() {
    if (resized_) {
        if (dragBarShown_) DrawDragBar();
        resized_ = nullptr;
        if (dragDc_ && Parent()) ReleaseDC(Parent()->Handle(), dragDc_);
        dragDc_ = nullptr;
        UnhookFocusedKeys();
        if (GetCapture() == Handle()) ReleaseCapture();
    }
    if (OnMoved) OnMoved();
}

void TClickSplitter::DrawDragBar() {
    if (!dragDc_) return;
    RECT r{Left(), Top(), Left() + Width(), Top() + Height()};
    if (IsVerticalBar(Side())) {
        OffsetRect(&r, dragOffset_, 0);
    } else {
        OffsetRect(&r, 0, dragOffset_);
    }
    tk::BrushHandle brush = MakeHalftoneBrush();
    COLORREF oldText = SetTextColor(dragDc_, RGB(0, 0, 0));
    COLORREF oldBack = SetBkColor(dragDc_, RGB(255, 255, 255));
    {
        tk::SelectedObject halftone(dragDc_, brush.get());
        PatBlt(dragDc_, r.left, r.top, r.right - r.left, r.bottom - r.top, PATINVERT);
    }
    SetTextColor(dragDc_, oldText);
    SetBkColor(dragDc_, oldBack);
    brush.reset();
    GdiFlush();
    dragBarShown_ = !dragBarShown_;
}

void TClickSplitter::HookFocusedKeys() {
    HWND focused = GetFocus();
    if (!focused || !Handle() || GetAncestor(focused, GA_ROOT) != GetAncestor(Handle(), GA_ROOT)) return;
    if (GetPropA(focused, kKeyHookProperty)) return;
    SetPropA(focused, kKeyHookProperty, this);
    hookedWindow_ = focused;
    hookedProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        focused, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TClickSplitter::FocusedKeyProc)));
}

void TClickSplitter::UnhookFocusedKeys() {
    if (!hookedWindow_) return;
    HWND window = std::exchange(hookedWindow_, nullptr);
    WNDPROC proc = std::exchange(hookedProc_, nullptr);
    if (IsWindow(window)) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
        RemovePropA(window, kKeyHookProperty);
    }
}

LRESULT CALLBACK TClickSplitter::FocusedKeyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<TClickSplitter*>(GetPropA(hwnd, kKeyHookProperty));
    if (!self || self->hookedWindow_ != hwnd) return DefWindowProcA(hwnd, msg, wParam, lParam);
    WNDPROC previous = self->hookedProc_;
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE) {
        // Escape ends the drag with the sizes as they were.
        try {
            self->EndDrag();
        } catch (...) {
            tk::Application().HandleCurrentException();
        }
        return 0;
    }
    if (msg == WM_NCDESTROY) self->UnhookFocusedKeys();
    return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
}

void TClickSplitter::Paint(HDC dc) {
    RECT client{0, 0, Width(), Height()};
    COLORREF color = Color();
    {
        tk::BrushHandle fill(CreateSolidBrush(color));
        FillRect(dc, &client, fill.get());
        Span grip = Grip();
        if (handled_) {
            int a = grip.start, b = grip.end;
            int W = Width(), H = Height();
            ArrowState state = collapse_.Arrow();
            {
                tk::PenHandle shadow(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
                tk::PenHandle light(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)));
                tk::SelectedObject pen(dc, shadow.get());
                tk::SelectedObject brush(dc, fill.get());
                if (state == ArrowState::Left || state == ArrowState::Right) {
                    POINT outline[] = {{0, b - 1}, {0, a}, {W - 1, a}, {W - 1, b - 1}, {0, b - 1}};
                    Polyline(dc, outline, 5);
                    SelectObject(dc, light.get());
                    POINT highlight[] = {{W - 2, a + 1}, {1, a + 1}, {1, b - 1}};
                    Polyline(dc, highlight, 3);
                } else {
                    POINT outline[] = {{b - 1, 0}, {a, 0}, {a, H - 1}, {b - 1, H - 1}, {b - 1, 0}};
                    Polygon(dc, outline, 5);
                    SelectObject(dc, light.get());
                    POINT highlight[] = {{a + 1, H - 2}, {a + 1, 1}, {b - 1, 1}};
                    Polyline(dc, highlight, 3);
                }
            }
            if (HBITMAP arrow = arrows_[static_cast<int>(state)].get()) {
                tk::MemoryDC source(dc);
                source.Select(arrow);
                int w = ArrowWidth(state), h = ArrowHeight(state);
                for (Point at : ArrowOrigins(state, grip))
                    BitBlt(dc, at.x, at.y, w, h, source, 0, 0, SRCCOPY);
            }
        }
    }
    if (OnPaint) OnPaint(dc);
}

LRESULT TClickSplitter::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kLoadedMessage:
        Loaded();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        // Drawn off screen and copied in one go: no flicker while a pane is resized.
        tk::BufferedPaint paint(Handle());
        Paint(paint.DC());
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            POINT pt;
            GetCursorPos(&pt);
            ScreenToClient(Handle(), &pt);
            lastMouse_ = Point{pt.x, pt.y};
            UpdateCursor();
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
        MouseDown(PointFromLParam(lParam));
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(PointFromLParam(lParam), (wParam & MK_LBUTTON) != 0);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        MouseUp(PointFromLParam(lParam));
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && Dragging()) {
            EndDrag();
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        // Another window took the mouse: the drag ends with the sizes as they were.
        if (Dragging() && (msg == WM_CANCELMODE || reinterpret_cast<HWND>(lParam) != Handle())) EndDrag();
        break;
    }
    return tk::TControl::WndProc(msg, wParam, lParam);
}

} // namespace velmora::widgets
