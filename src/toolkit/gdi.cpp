#include "toolkit/gdi.h"

#include <algorithm>

namespace tk {

int ScreenDpi() {
    ScreenDC screen;
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

FontHandle MakeFont(const std::string& face, int points, bool bold) {
    int height = -MulDiv(points, ScreenDpi(), 72);
    return FontHandle(CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH, face.c_str()));
}

// ---------------------------------------------------------------- MemoryDC

MemoryDC::~MemoryDC() {
    if (!dc_) return;
    if (oldPalette_) SelectPalette(dc_, oldPalette_, FALSE);
    for (auto it = previous_.rbegin(); it != previous_.rend(); ++it)
        SelectObject(dc_, it->second);
    DeleteDC(dc_);
}

void MemoryDC::Select(HGDIOBJ object) {
    if (!dc_ || !object) return;
    DWORD type = GetObjectType(object);
    HGDIOBJ replaced = SelectObject(dc_, object);
    if (!replaced || replaced == HGDI_ERROR) return;
    bool known =
        std::any_of(previous_.begin(), previous_.end(), [&](const auto& p) { return p.first == type; });
    if (!known) previous_.emplace_back(type, replaced);
}

void MemoryDC::SelectPal(HPALETTE palette) {
    if (!dc_ || !palette) return;
    HPALETTE replaced = SelectPalette(dc_, palette, FALSE);
    if (!oldPalette_) oldPalette_ = replaced;
    RealizePalette(dc_);
}

// ------------------------------------------------------------ BufferedPaint

BufferedPaint::BufferedPaint(HWND window) : window_(window) {
    target_ = BeginPaint(window, &paint_);
    rect_ = paint_.rcPaint;
    Begin();
}

BufferedPaint::BufferedPaint(HDC target, const RECT& rect) : target_(target), rect_(rect) {
    Begin();
}

void BufferedPaint::Begin() {
    const int width = rect_.right - rect_.left, height = rect_.bottom - rect_.top;
    // Past the size of a large screen a buffer costs more than the flicker it saves.
    if (!target_ || width <= 0 || height <= 0 || width > 8192 || height > 8192) return;
    buffer_ = CreateCompatibleDC(target_);
    if (!buffer_) return;
    bitmap_ = CreateCompatibleBitmap(target_, width, height);
    if (!bitmap_) {
        DeleteDC(buffer_);
        buffer_ = nullptr;
        return;
    }
    oldBitmap_ = SelectObject(buffer_, bitmap_);
    // The caller draws in the target's coordinates.
    SetViewportOrgEx(buffer_, -rect_.left, -rect_.top, nullptr);
    // Start from the target's font and colours, as a direct paint would.
    SelectObject(buffer_, GetCurrentObject(target_, OBJ_FONT));
    SetTextColor(buffer_, GetTextColor(target_));
    SetBkColor(buffer_, GetBkColor(target_));
    SetBkMode(buffer_, GetBkMode(target_));
}

void BufferedPaint::UsePalette(HPALETTE palette) {
    if (!palette || !target_) return;
    HPALETTE replaced = SelectPalette(target_, palette, FALSE);
    if (!oldTargetPalette_) oldTargetPalette_ = replaced;
    RealizePalette(target_);
    if (buffer_) {
        replaced = SelectPalette(buffer_, palette, FALSE);
        if (!oldBufferPalette_) oldBufferPalette_ = replaced;
        RealizePalette(buffer_);
    }
}

BufferedPaint::~BufferedPaint() {
    if (buffer_) {
        BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, buffer_,
               rect_.left, rect_.top, SRCCOPY);
        if (oldBufferPalette_) SelectPalette(buffer_, oldBufferPalette_, FALSE);
        SelectObject(buffer_, GetStockObject(SYSTEM_FONT));
        SelectObject(buffer_, oldBitmap_);
        DeleteObject(bitmap_);
        DeleteDC(buffer_);
    }
    if (oldTargetPalette_) SelectPalette(target_, oldTargetPalette_, FALSE);
    if (window_) EndPaint(window_, &paint_);
}

// ---------------------------------------------------------------- guards

namespace {
int g_hourglassDepth = 0;
HCURSOR g_cursorBeforeHourglass = nullptr;
} // namespace

HCURSOR Hourglass::WaitCursor() {
    return LoadCursor(nullptr, IDC_WAIT);
}

Hourglass::Hourglass() {
    HCURSOR previous = SetCursor(WaitCursor());
    if (g_hourglassDepth++ == 0) g_cursorBeforeHourglass = previous;
}

Hourglass::~Hourglass() {
    if (--g_hourglassDepth == 0) SetCursor(g_cursorBeforeHourglass);
}

bool Hourglass::Active() {
    return g_hourglassDepth > 0;
}

RedrawGuard::RedrawGuard(HWND window, bool invalidate) : window_(window), invalidate_(invalidate) {
    if (window_) SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
}

RedrawGuard::~RedrawGuard() {
    if (!window_) return;
    SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    if (invalidate_) InvalidateRect(window_, nullptr, TRUE);
}

// ---------------------------------------------------------------- colours

COLORREF ColorToRgb(TColor color) {
    if (IsSystemColor(color)) return GetSysColor(static_cast<int>(color & 0xFF));
    return color & 0xFFFFFF;
}

} // namespace tk
