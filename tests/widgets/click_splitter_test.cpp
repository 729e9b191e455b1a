#include "widgets/click_splitter.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/panel_host.h"
#include "support/win32_test_util.h"
#include "toolkit/form.h"

using testing_support::PanelHost;
using testing_support::Pump;
using velmora::widgets::ArrowState;
using velmora::widgets::Span;
using velmora::widgets::TClickSplitter;
using velmora::widgets::THandleAlign;

namespace {

// A pane that paints stripes (so a wrong restore of its pixels shows) and counts
// the keys that reach it.
class StripedPane : public tk::TControl {
public:
    StripedPane(tk::TControl* parent, tk::TAlign align, RECT bounds, COLORREF tint) : tint_(tint) {
        RegisterWindowClass("VelmoraTestStripedPane", 0, nullptr, nullptr);
        tk::WindowParams wp;
        wp.className = "VelmoraTestStripedPane";
        wp.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;
        wp.bounds = bounds;
        CreateControl(parent, wp);
        SetAlign(align);
    }
    int keyDowns = 0;
    std::vector<WPARAM> keys;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(Handle(), &ps);
            RECT r{0, 0, Width(), Height()};
            for (int x = 0; x < r.right; x += 4) {
                RECT stripe{x, 0, x + 4, r.bottom};
                int shade = (x * 7) % 200;
                HBRUSH b = CreateSolidBrush(RGB(shade, GetGValue(tint_), (GetBValue(tint_) + x) % 256));
                FillRect(dc, &stripe, b);
                DeleteObject(b);
            }
            EndPaint(Handle(), &ps);
            return 0;
        }
        case WM_KEYDOWN:
            ++keyDowns;
            keys.push_back(wParam);
            return 0;
        }
        return tk::TControl::WndProc(msg, wParam, lParam);
    }

private:
    COLORREF tint_;
};

tk::TPanel::Params PlainPanel(tk::TControl* parent, RECT bounds) {
    tk::TPanel::Params p;
    p.parent = parent;
    p.bounds = bounds;
    p.bevelOuter = tk::TBevel::bvNone;
    return p;
}

void Click(HWND hwnd, UINT down, UINT up, int x, int y, WPARAM heldWhileDown) {
    PostMessageA(hwnd, down, heldWhileDown, MAKELPARAM(x, y));
    PostMessageA(hwnd, up, 0, MAKELPARAM(x, y));
    Pump(20);
}

void LeftClick(const TClickSplitter& bar, int x, int y) {
    Click(bar.Handle(), WM_LBUTTONDOWN, WM_LBUTTONUP, x, y, MK_LBUTTON);
}

void Post(const tk::TControl& c, UINT msg, WPARAM wParam, int x, int y) {
    PostMessageA(c.Handle(), msg, wParam, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    Pump(20);
}

// The pixels of a window's client area as the screen shows them, children included.
std::vector<DWORD> ReadPixels(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    HDC dc = GetDCEx(hwnd, nullptr, DCX_CACHE);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = r.right;
    bmi.bmiHeader.biHeight = -r.bottom;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits),
                              static_cast<const DWORD*>(bits) + r.right * r.bottom);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseDC(hwnd, dc);
    return pixels;
}

// What the bar paints, read back from an off-screen bitmap.
class PaintedBar {
public:
    explicit PaintedBar(const TClickSplitter& bar) : width_(bar.Width()), height_(bar.Height()) {
        HDC screen = GetDC(nullptr);
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = width_;
        bmi.bmiHeader.biHeight = -height_;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(memory, bitmap);
        SendMessageA(bar.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
        GdiFlush();
        pixels_.assign(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + width_ * height_);
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(bitmap);
        ReleaseDC(nullptr, screen);
    }
    // As a COLORREF.
    COLORREF At(int x, int y) const {
        DWORD p = pixels_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int width_, height_;
    std::vector<DWORD> pixels_;
};

const COLORREF kNavy = RGB(0, 0, 0x80);
const COLORREF kSilver = RGB(0xC0, 0xC0, 0xC0);

// The main window's left half in small: a tree pane, the bar and a list pane
// inside a 600 x 319 panel.
class ClickSplitterTest : public PanelHost {
protected:
    static void SetUpTestSuite() { OpenHost({"", 700, 420}); }
    static void TearDownTestSuite() { CloseHost(); }
    void SetUp() override { host = std::make_unique<tk::TPanel>(PlainPanel(form, RECT{0, 0, 600, 319})); }
    void TearDown() override {
        bar.reset();
        after.reset();
        before.reset();
        host.reset();
    }

    // before | bar | after, all aligned left with the given side for the bar.
    void BuildLeft(TClickSplitter::Params p = {}) {
        before = std::make_unique<StripedPane>(host.get(), tk::TAlign::alLeft, RECT{0, 0, 195, 319},
                                               RGB(0, 90, 30));
        p.parent = host.get();
        p.left = 195;
        p.height = 319;
        p.handleSize = 40;
        bar = std::make_unique<TClickSplitter>(p);
        after = std::make_unique<StripedPane>(host.get(), tk::TAlign::alClient, RECT{202, 0, 600, 319},
                                              RGB(0, 160, 200));
        Pump(30);
    }

    std::unique_ptr<tk::TPanel> host;
    std::unique_ptr<StripedPane> before;
    std::unique_ptr<TClickSplitter> bar;
    std::unique_ptr<StripedPane> after;
};

} // namespace

TEST_F(ClickSplitterTest, DefaultsAndNeighbours) {
    TClickSplitter::Params p;
    p.parent = host.get();
    TClickSplitter fresh(p);
    EXPECT_EQ(fresh.Align(), tk::TAlign::alLeft);
    EXPECT_EQ(fresh.Width(), 7);
    EXPECT_TRUE(fresh.Handled());
    EXPECT_EQ(fresh.HandleSize(), 80);
    EXPECT_EQ(fresh.HandleAlign(), THandleAlign::haCenter);
    EXPECT_EQ(fresh.MinSize(), 30);
    EXPECT_EQ(fresh.Arrows(), ArrowState::Left);
    EXPECT_EQ(fresh.Color(), GetSysColor(COLOR_BTNFACE)); // the parent's
    EXPECT_EQ(fresh.Version(), "Version 0.7");
    fresh.SetVersion("Version 9");
    EXPECT_EQ(fresh.Version(), "Version 0.7");

    BuildLeft();
    // Found by the bar itself once the loop ran.
    EXPECT_EQ(bar->NeighbourBefore(), before.get());
    EXPECT_EQ(bar->NeighbourAfter(), after.get());
    EXPECT_EQ(bar->Left(), 195 + 7); // the fresh bar came first
}

TEST_F(ClickSplitterTest, RefusedValuesRaiseTheirMessagesAndChangeNothing) {
    BuildLeft();
    struct Case {
        const char* name;
        std::function<void()> action;
        const char* message;
    } cases[] = {
        {"align client", [&] { bar->SetAlign(tk::TAlign::alClient); },
         "Value not allowed for TClickSplitter component."},
        {"align none", [&] { bar->SetAlign(tk::TAlign::alNone); },
         "Value not allowed for TClickSplitter component."},
        {"width 5", [&] { bar->SetWidth(5); }, "Min. width for a handled TClickSplitter component is 7"},
    };
    for (const Case& c : cases) {
        try {
            c.action();
            ADD_FAILURE() << c.name << ": no error";
        } catch (const tk::Exception& e) {
            EXPECT_STREQ(e.what(), c.message) << c.name;
        }
        EXPECT_EQ(bar->Align(), tk::TAlign::alLeft) << c.name;
        EXPECT_EQ(bar->Width(), 7) << c.name;
    }

    bar->SetAlign(tk::TAlign::alTop);
    try {
        bar->SetHeight(6);
        ADD_FAILURE() << "no error";
    } catch (const tk::Exception& e) {
        EXPECT_STREQ(e.what(), "Min. height for a handled TClickSplitter component is 7");
    }
    EXPECT_EQ(bar->Height(), 7);

    // Without a grip the bar may be thinner; a grip brings it back to 7.
    bar->SetHandled(false);
    bar->SetHeight(3);
    EXPECT_EQ(bar->Height(), 3);
    bar->SetHandled(true);
    EXPECT_EQ(bar->Height(), 7);
}

TEST_F(ClickSplitterTest, TurningTheBarSwapsWidthAndHeightAndTheArrows) {
    BuildLeft();
    ASSERT_EQ(bar->Height(), 319);
    // As the options window does: the tree to the top first, then the bar.
    before->SetAlign(tk::TAlign::alTop);
    bar->SetAlign(tk::TAlign::alTop);
    EXPECT_EQ(before->Height(), 195); // as high as it was wide
    EXPECT_EQ(bar->Height(), 7);
    EXPECT_EQ(bar->Width(), 600);
    EXPECT_EQ(bar->Top(), 195);
    EXPECT_EQ(after->Top(), 202);
    EXPECT_EQ(bar->Arrows(), ArrowState::Up);
    bar->SetAlign(tk::TAlign::alBottom);
    EXPECT_EQ(bar->Arrows(), ArrowState::Down);
    bar->SetAlign(tk::TAlign::alTop);

    // And back.
    bar->SetAlign(tk::TAlign::alLeft);
    before->SetAlign(tk::TAlign::alLeft);
    EXPECT_EQ(bar->Width(), 7);
    EXPECT_EQ(bar->Height(), 319);
    EXPECT_EQ(before->Width(), 195);
    EXPECT_EQ(bar->Left(), 195);
    EXPECT_EQ(bar->Arrows(), ArrowState::Left);
}

TEST_F(ClickSplitterTest, PaintsTheGripAndArrowsAtTheirPlaces) {
    BuildLeft();
    ASSERT_EQ(bar->Width(), 7);
    ASSERT_EQ(bar->Height(), 319);
    PaintedBar painted(*bar);
    EXPECT_EQ(bar->Grip(), (Span{139, 179}));
    COLORREF face = GetSysColor(COLOR_BTNFACE), shadow = GetSysColor(COLOR_BTNSHADOW);
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    EXPECT_EQ(painted.At(3, 20), face);
    EXPECT_EQ(painted.At(3, 300), face);
    // The grip's outline and its highlight.
    EXPECT_EQ(painted.At(0, 139), shadow);
    EXPECT_EQ(painted.At(6, 139), shadow);
    EXPECT_EQ(painted.At(0, 178), shadow);
    EXPECT_EQ(painted.At(6, 178), shadow);
    EXPECT_EQ(painted.At(1, 140), light);
    EXPECT_EQ(painted.At(5, 140), light);
    EXPECT_EQ(painted.At(1, 177), light);
    // Left arrows with their tops at y 143 and 170: S S N S / S N N S / N N N S ...
    for (int top : {143, 170}) {
        EXPECT_EQ(painted.At(2, top), kSilver) << top;
        EXPECT_EQ(painted.At(4, top), kNavy) << top;
        EXPECT_EQ(painted.At(2, top + 2), kNavy) << top;
        EXPECT_EQ(painted.At(5, top + 2), kSilver) << top;
        EXPECT_EQ(painted.At(4, top + 4), kNavy) << top;
    }

    // A grip at the start of a horizontal bar: up arrows at x 6 and 33.
    bar->SetAlign(tk::TAlign::alTop);
    bar->SetHandleAlign(THandleAlign::haLeft);
    PaintedBar top(*bar);
    EXPECT_EQ(bar->Grip(), (Span{2, 42}));
    EXPECT_EQ(top.At(2, 0), shadow);
    EXPECT_EQ(top.At(3, 1), light);
    EXPECT_EQ(top.At(41, 6), shadow);
    for (int left : {6, 33}) {
        EXPECT_EQ(top.At(left + 2, 2), kNavy) << left;
        EXPECT_EQ(top.At(left, 2), kSilver) << left;
        EXPECT_EQ(top.At(left, 4), kNavy) << left;
        EXPECT_EQ(top.At(left + 2, 5), kSilver) << left;
    }

    // No grip: only the fill, in the colour given.
    bar->SetHandled(false);
    bar->SetColor(RGB(10, 20, 30));
    PaintedBar plain(*bar);
    EXPECT_EQ(plain.At(8, 2), RGB(10, 20, 30));
    EXPECT_EQ(plain.At(2, 0), RGB(10, 20, 30));

    // OnPaint draws after the bar.
    bar->OnPaint = [](HDC dc) { SetPixelV(dc, 8, 2, RGB(200, 0, 0)); };
    PaintedBar extra(*bar);
    EXPECT_EQ(extra.At(8, 2), RGB(200, 0, 0));
}

TEST_F(ClickSplitterTest, GripClicksCollapseAndRestoreTheTree) {
    BuildLeft();
    int moved = 0;
    bar->OnMoved = [&] { ++moved; };
    LeftClick(*bar, 3, 160);
    EXPECT_EQ(before->Width(), 0);
    EXPECT_EQ(bar->Left(), 0);
    EXPECT_EQ(after->Left(), 7);
    EXPECT_EQ(bar->Arrows(), ArrowState::Right);
    PaintedBar collapsed(*bar);
    EXPECT_EQ(collapsed.At(3, 143), kNavy); // right arrow: S N S S
    EXPECT_EQ(collapsed.At(4, 143), kSilver);
    EXPECT_EQ(moved, 2); // after the resize and at the end of the drag

    LeftClick(*bar, 3, 160);
    EXPECT_EQ(before->Width(), 195);
    EXPECT_EQ(bar->Left(), 195);
    EXPECT_EQ(after->Left(), 202);
    EXPECT_EQ(bar->Arrows(), ArrowState::Left);

    // A click on the bar outside the grip changes nothing.
    LeftClick(*bar, 3, 20);
    EXPECT_EQ(before->Width(), 195);
    EXPECT_EQ(bar->Arrows(), ArrowState::Left);

    // Only the left button starts anything.
    Click(bar->Handle(), WM_RBUTTONDOWN, WM_RBUTTONUP, 3, 160, MK_RBUTTON);
    EXPECT_EQ(before->Width(), 195);
}

TEST_F(ClickSplitterTest, DragStopsAtTheLimits) {
    BuildLeft();
    // 300 pixels to the left of a 195-pixel tree: MinSize.
    Post(*bar, WM_LBUTTONDOWN, MK_LBUTTON, 3, 20);
    EXPECT_TRUE(bar->Dragging());
    EXPECT_TRUE(bar->DragBarShown());
    Post(*bar, WM_MOUSEMOVE, MK_LBUTTON, -297, 20);
    EXPECT_EQ(before->Width(), 195); // only the drag bar moves while dragging
    Post(*bar, WM_LBUTTONUP, 0, -297, 20);
    EXPECT_FALSE(bar->Dragging());
    EXPECT_EQ(before->Width(), 30);
    EXPECT_EQ(bar->Left(), 30);
    EXPECT_EQ(after->Left(), 37);

    // Far to the right: the list keeps MinSize.
    Post(*bar, WM_LBUTTONDOWN, MK_LBUTTON, 3, 20);
    Post(*bar, WM_MOUSEMOVE, MK_LBUTTON, 900, 20);
    Post(*bar, WM_LBUTTONUP, 0, 900, 20);
    EXPECT_EQ(before->Width(), 600 - 30 - 7);
    EXPECT_EQ(after->Width(), 30);

    // OnCanResize may change the size or refuse it.
    bar->OnCanResize = [](int& size, bool& accept) {
        if (size > 300)
            accept = false;
        else
            size = size / 10 * 10;
    };
    Post(*bar, WM_LBUTTONDOWN, MK_LBUTTON, 3, 20);
    Post(*bar, WM_MOUSEMOVE, MK_LBUTTON, -400, 20);
    Post(*bar, WM_MOUSEMOVE, MK_LBUTTON, -418, 20); // 142, rounded down to 140
    Post(*bar, WM_MOUSEMOVE, MK_LBUTTON, -100, 20); // 466: refused, the last size stays
    Post(*bar, WM_LBUTTONUP, 0, -100, 20);
    EXPECT_EQ(before->Width(), 140);
}

TEST_F(ClickSplitterTest, EscapeEndsTheDragAndGivesTheParentItsPixelsBack) {
    BuildLeft();
    after->SetFocus();
    Pump(30);
    ASSERT_EQ(GetFocus(), after->Handle());
    auto keyProc = GetWindowLongPtrA(after->Handle(), GWLP_WNDPROC);
    std::vector<DWORD> clean = ReadPixels(host->Handle());
    int moved = 0;
    bar->OnMoved = [&] { ++moved; };

    Post(*bar, WM_LBUTTONDOWN, MK_LBUTTON, 3, 20);
    Post(*bar, WM_MOUSEMOVE, MK_LBUTTON, -60, 20);
    Post(*bar, WM_MOUSEMOVE, MK_LBUTTON, 80, 20);
    EXPECT_TRUE(ReadPixels(host->Handle()) != clean); // the drag bar is on screen
    EXPECT_NE(GetWindowLongPtrA(after->Handle(), GWLP_WNDPROC), keyProc);

    // Other keys still reach the focused control; Escape ends the drag there.
    Post(*after, WM_KEYDOWN, 'A', 0, 0);
    EXPECT_EQ(after->keys, std::vector<WPARAM>{'A'});
    Post(*after, WM_KEYDOWN, VK_ESCAPE, 0, 0);
    EXPECT_EQ(after->keys, std::vector<WPARAM>{'A'});
    EXPECT_FALSE(bar->Dragging());
    EXPECT_FALSE(bar->DragBarShown());
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(GetWindowLongPtrA(after->Handle(), GWLP_WNDPROC), keyProc);
    EXPECT_TRUE(ReadPixels(host->Handle()) == clean);

    // The rest of the gesture does nothing.
    Post(*bar, WM_MOUSEMOVE, MK_LBUTTON, 90, 20);
    Post(*bar, WM_LBUTTONUP, 0, 90, 20);
    EXPECT_EQ(before->Width(), 195);
    EXPECT_EQ(after->Left(), 202);
    Post(*after, WM_KEYDOWN, VK_ESCAPE, 0, 0);
    EXPECT_EQ(after->keyDowns, 2);

    // Losing the mouse to another window also ends a drag without a resize.
    Post(*bar, WM_LBUTTONDOWN, MK_LBUTTON, 3, 20);
    Post(*bar, WM_MOUSEMOVE, MK_LBUTTON, 50, 20);
    ReleaseCapture();
    Pump(20);
    EXPECT_FALSE(bar->Dragging());
    EXPECT_EQ(GetWindowLongPtrA(after->Handle(), GWLP_WNDPROC), keyProc);
    EXPECT_TRUE(ReadPixels(host->Handle()) == clean);
    EXPECT_EQ(before->Width(), 195);
}

TEST_F(ClickSplitterTest, CursorShowsTheArrowOverTheGrip) {
    BuildLeft();
    Post(*bar, WM_MOUSEMOVE, 0, 3, 160);
    EXPECT_TRUE(bar->MouseOverGrip());
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
    Post(*bar, WM_MOUSEMOVE, 0, 3, 20);
    EXPECT_FALSE(bar->MouseOverGrip());
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_SIZEWE));
}

TEST_F(ClickSplitterTest, TopBarResizesTheControlAbove) {
    auto upper =
        std::make_unique<StripedPane>(host.get(), tk::TAlign::alTop, RECT{0, 0, 600, 100}, RGB(0, 0, 0));
    TClickSplitter::Params p;
    p.parent = host.get();
    p.top = 100;
    p.width = 600;
    p.height = 7;
    p.align = tk::TAlign::alTop;
    bar = std::make_unique<TClickSplitter>(p);
    auto lower = std::make_unique<StripedPane>(host.get(), tk::TAlign::alClient, RECT{0, 107, 600, 319}, 0);
    Pump(30);
    ASSERT_EQ(bar->NeighbourBefore(), upper.get());
    EXPECT_EQ(bar->Arrows(), ArrowState::Up);

    Post(*bar, WM_LBUTTONDOWN, MK_LBUTTON, 20, 3);
    Post(*bar, WM_MOUSEMOVE, MK_LBUTTON, 20, 53);
    Post(*bar, WM_LBUTTONUP, 0, 20, 53);
    EXPECT_EQ(upper->Height(), 150);
    EXPECT_EQ(bar->Top(), 150);
    EXPECT_EQ(lower->Top(), 157);

    LeftClick(*bar, 300, 3);
    EXPECT_EQ(upper->Height(), 0);
    EXPECT_EQ(bar->Top(), 0);
    EXPECT_EQ(bar->Arrows(), ArrowState::Down);
    LeftClick(*bar, 300, 3);
    EXPECT_EQ(upper->Height(), 150);
    EXPECT_EQ(bar->Top(), 150);
    EXPECT_EQ(bar->Arrows(), ArrowState::Up);
    bar.reset();
}

// Right and bottom bars resize the control after them and stay before it.
TEST_F(ClickSplitterTest, RightAndBottomBarsStayBeforeTheirControl) {
    for (tk::TAlign side : {tk::TAlign::alRight, tk::TAlign::alBottom}) {
        SCOPED_TRACE(side == tk::TAlign::alRight ? "right" : "bottom");
        bool right = side == tk::TAlign::alRight;
        auto size = [&](const tk::TControl& c) { return right ? c.Width() : c.Height(); };
        auto start = [&](const tk::TControl& c) { return right ? c.Left() : c.Top(); };
        int extent = right ? 600 : 319;
        auto rest = std::make_unique<StripedPane>(host.get(), tk::TAlign::alClient, RECT{0, 0, 10, 10}, 0);
        RECT paneBounds = right ? RECT{500, 0, 600, 319} : RECT{0, 219, 600, 319};
        auto pane = std::make_unique<StripedPane>(host.get(), side, paneBounds, 0);
        TClickSplitter::Params p;
        p.parent = host.get();
        p.align = side;
        p.left = right ? 493 : 0;
        p.top = right ? 0 : 212;
        p.width = right ? 7 : 600;
        p.height = right ? 319 : 7;
        bar = std::make_unique<TClickSplitter>(p);
        Pump(30);
        ASSERT_EQ(bar->NeighbourAfter(), pane.get());
        ASSERT_EQ(start(*bar), extent - 107);

        // Dragged 40 pixels towards the start: the pane grows by 40.
        int dx = right ? -40 : 0, dy = right ? 0 : -40;
        int gx = right ? 3 : 20, gy = right ? 20 : 3;
        Post(*bar, WM_LBUTTONDOWN, MK_LBUTTON, gx, gy);
        Post(*bar, WM_MOUSEMOVE, MK_LBUTTON, gx + dx, gy + dy);
        Post(*bar, WM_LBUTTONUP, 0, gx + dx, gy + dy);
        EXPECT_EQ(size(*pane), 140);
        EXPECT_EQ(start(*pane), extent - 140);
        EXPECT_EQ(start(*bar), extent - 147);

        // Collapse to the far edge and back.
        int cx = right ? 3 : 300, cy = right ? 160 : 3;
        LeftClick(*bar, cx, cy);
        EXPECT_EQ(size(*pane), 0);
        EXPECT_EQ(start(*bar), extent - 7);
        EXPECT_EQ(bar->Arrows(), right ? ArrowState::Left : ArrowState::Up);
        LeftClick(*bar, cx, cy);
        EXPECT_EQ(size(*pane), 140);
        EXPECT_EQ(start(*bar), extent - 147);
        EXPECT_EQ(bar->Arrows(), right ? ArrowState::Right : ArrowState::Down);
        bar.reset();
    }
}

TEST_F(ClickSplitterTest, BarWithoutNeighboursDoesNothing) {
    TClickSplitter::Params p;
    p.parent = host.get();
    p.height = 319;
    bar = std::make_unique<TClickSplitter>(p);
    Pump(30);
    EXPECT_EQ(bar->NeighbourBefore(), nullptr);
    LeftClick(*bar, 3, 160);
    Post(*bar, WM_LBUTTONDOWN, MK_LBUTTON, 3, 20);
    EXPECT_FALSE(bar->Dragging());
    Post(*bar, WM_LBUTTONUP, 0, 3, 20);
    EXPECT_EQ(bar->Left(), 0);
    EXPECT_EQ(bar->Arrows(), ArrowState::Left);
}
