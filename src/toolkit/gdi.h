// GDI objects and other handles owned by RAII types, the scoped painting and
// cursor helpers, and the program's colour type. Every window draws with these;
// nothing keeps a private copy.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/color.h"

namespace tk {

// ------------------------------------------------------------------ handles

// An owned handle: closed by Traits::Close when it goes, move-only. Traits
// say which value means "none" (null for GDI objects, INVALID_HANDLE_VALUE
// for a search, both for kernel objects).
template <class Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return Traits::Valid(handle_); }
    Handle release() { return std::exchange(handle_, Traits::None()); }
    void reset(Handle handle = Traits::None()) {
        Handle old = std::exchange(handle_, handle);
        if (Traits::Valid(old) && old != handle) Traits::Close(old);
    }

private:
    Handle handle_ = Traits::None();
};

template <class H> struct GdiObjectTraits {
    using Handle = H;
    static Handle None() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};

// A DC we created (CreateCompatibleDC, CreateDC); not for GetDC's.
struct CreatedDCTraits {
    using Handle = HDC;
    static Handle None() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle None() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ImageList_Destroy(h); }
};

struct FindTraits {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Handle h) { FindClose(h); }
};

// Files, events, processes...: CreateFile says "none" with INVALID_HANDLE_VALUE,
// most others with null; both count as none.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle None() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

using FontHandle = UniqueHandle<GdiObjectTraits<HFONT>>;
using BitmapHandle = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using BrushHandle = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using PenHandle = UniqueHandle<GdiObjectTraits<HPEN>>;
using PaletteHandle = UniqueHandle<GdiObjectTraits<HPALETTE>>;
using RegionHandle = UniqueHandle<GdiObjectTraits<HRGN>>;
using DCHandle = UniqueHandle<CreatedDCTraits>;
using ImageListHandle = UniqueHandle<ImageListTraits>;
using FindHandle = UniqueHandle<FindTraits>;
using OwnedHandle = UniqueHandle<KernelHandleTraits>;

// A font of the given face and size in points for the screen.
FontHandle MakeFont(const std::string& face, int points, bool bold = false);
// The screen's pixels per logical inch (96 when the screen does not say).
int ScreenDpi();

// ---------------------------------------------------------------- DCs

// A window's DC (GetDC) for the scope; the screen's for nullptr.
class WindowDC {
public:
    explicit WindowDC(HWND window = nullptr) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The screen's DC for the scope.
class ScreenDC : public WindowDC {
public:
    ScreenDC() : WindowDC(nullptr) {}
};

// A memory DC that puts back what was selected into it before it goes.
class MemoryDC {
public:
    explicit MemoryDC(HDC like = nullptr) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDC();
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }
    // Selects a bitmap, font, brush or pen; the first one of each kind it
    // replaced is selected back at the end.
    void Select(HGDIOBJ object);
    // Selects and realizes a palette (nothing for null).
    void SelectPal(HPALETTE palette);

private:
    HDC dc_;
    std::vector<std::pair<DWORD, HGDIOBJ>> previous_; // object type, what it replaced
    HPALETTE oldPalette_ = nullptr;
};

// Selects an object into any DC for the scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Double-buffered painting: the caller draws on DC() in the target's own
// coordinates, inside Rect(); the destructor copies the buffer to the target
// in one blit (and ends the paint when it began one). The caller paints the
// whole of Rect(): the buffer starts with undefined pixels. When no buffer can
// be made (an empty or huge area) DC() is the target itself.
class BufferedPaint {
public:
    // BeginPaint on the window; Rect() is the area to repaint.
    explicit BufferedPaint(HWND window);
    // A buffer for part of a given DC (WM_PRINTCLIENT, a paint of our own).
    BufferedPaint(HDC target, const RECT& rect);
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;

    HDC DC() const { return buffer_ ? buffer_ : target_; }
    HDC Target() const { return target_; }
    const RECT& Rect() const { return rect_; }
    bool Buffered() const { return buffer_ != nullptr; }
    // Selects and realises a palette in the buffer and in the target, so that
    // what is drawn reaches the screen in its colours, not the 20 static ones
    // (on palette displays); both are restored at the end.
    void UsePalette(HPALETTE palette);

private:
    void Begin();
    HPALETTE oldTargetPalette_ = nullptr, oldBufferPalette_ = nullptr;

    HWND window_ = nullptr;
    PAINTSTRUCT paint_{};
    HDC target_ = nullptr;
    RECT rect_{};
    HDC buffer_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};

// ---------------------------------------------------------------- guards

// The hourglass for a scope: the cursor shown before comes back at the end.
// Nested guards keep the hourglass until the outermost goes.
class Hourglass {
public:
    Hourglass();
    ~Hourglass();
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
    // True while any guard lives (windows keep the hourglass in WM_SETCURSOR).
    static bool Active();
    static HCURSOR WaitCursor();
};

// Redrawing of a window off for a scope (WM_SETREDRAW); at the end it is
// switched back on and the window repainted as a whole.
class RedrawGuard {
public:
    explicit RedrawGuard(HWND window, bool invalidate = true);
    ~RedrawGuard();
    RedrawGuard(const RedrawGuard&) = delete;
    RedrawGuard& operator=(const RedrawGuard&) = delete;

private:
    HWND window_;
    bool invalidate_;
};

// ---------------------------------------------------------------- colours

// The program's colour (base/color.h): 0x00BBGGRR, or a reference to a system
// colour (kSystemColor | COLOR_*) that is looked up in the current scheme each
// time it is used.
using velmora::IsSystemColor;
using velmora::kSystemColor;
using velmora::SystemColor;
using velmora::TColor;
// The RGB value to draw with now.
COLORREF ColorToRgb(TColor color);

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR), clBackground = SystemColor(COLOR_BACKGROUND),
                 clActiveCaption = SystemColor(COLOR_ACTIVECAPTION),
                 clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION), clMenu = SystemColor(COLOR_MENU),
                 clWindow = SystemColor(COLOR_WINDOW), clWindowFrame = SystemColor(COLOR_WINDOWFRAME),
                 clMenuText = SystemColor(COLOR_MENUTEXT), clWindowText = SystemColor(COLOR_WINDOWTEXT),
                 clCaptionText = SystemColor(COLOR_CAPTIONTEXT),
                 clActiveBorder = SystemColor(COLOR_ACTIVEBORDER),
                 clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER),
                 clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE), clHighlight = SystemColor(COLOR_HIGHLIGHT),
                 clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT), clBtnFace = SystemColor(COLOR_BTNFACE),
                 clBtnShadow = SystemColor(COLOR_BTNSHADOW), clGrayText = SystemColor(COLOR_GRAYTEXT),
                 clBtnText = SystemColor(COLOR_BTNTEXT),
                 clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT),
                 clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT),
                 cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW), cl3DLight = SystemColor(COLOR_3DLIGHT),
                 clInfoText = SystemColor(COLOR_INFOTEXT), clInfoBk = SystemColor(COLOR_INFOBK);

} // namespace tk
