// The tool bar and its speed buttons, driven by posted mouse messages.
#include "toolkit/std_controls.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/panel_host.h"
#include "support/win32_test_util.h"
#include "toolkit/controls.h"

using testing_support::PanelHost;
using testing_support::Pump;

namespace {

LPARAM At(POINT pt) {
    return MAKELPARAM(pt.x, pt.y);
}

POINT Middle(const tk::TSpeedButton& button) {
    const RECT r = button.BoundsRect();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// What the bar paints, taken through WM_PRINTCLIENT.
class BarPicture {
public:
    explicit BarPicture(const tk::TToolBar& bar) {
        RECT r;
        GetClientRect(bar.Handle(), &r);
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, r.right, r.bottom);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        SendMessageA(bar.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_),
                     PRF_CLIENT | PRF_ERASEBKGND);
    }
    ~BarPicture() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    // The pixel at (x, y) of the button.
    COLORREF At(const tk::TSpeedButton& b, int x, int y) const {
        return GetPixel(dc_, b.Left() + x, b.Top() + y);
    }
    COLORREF System(int index) const { return GetNearestColor(dc_, GetSysColor(index)); }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

// A window's client pixels: as it shows them (read back from its DC) or as it
// draws them when sent WM_PRINTCLIENT.
class Pixels {
public:
    enum Source { kShown, kPrinted };
    Pixels(HWND window, Source source) {
        RECT r;
        GetClientRect(window, &r);
        width_ = r.right;
        height_ = r.bottom;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        if (source == kPrinted) {
            SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
        } else {
            HDC shown = GetDC(window);
            BitBlt(dc, 0, 0, width_, height_, shown, 0, 0, SRCCOPY);
            ReleaseDC(window, shown);
        }
        GdiFlush();
        if (bits) {
            const auto* first = static_cast<const uint32_t*>(bits);
            pixels_.assign(first, first + static_cast<size_t>(width_) * height_);
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const {
        const uint32_t v = pixels_.at(static_cast<size_t>(y) * width_ + x);
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }

private:
    int width_ = 0, height_ = 0;
    std::vector<uint32_t> pixels_;
};

// Where two pictures first differ inside a rectangle (of `b`'s coordinates,
// `a` is read from `offset` on); empty when they agree.
std::string FirstDifference(const Pixels& a, POINT offset, const Pixels& b, const RECT& r) {
    int count = 0;
    std::string first;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (a.At(x + offset.x, y + offset.y) != b.At(x, y) && count++ == 0)
                first = "at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return count ? std::to_string(count) + " pixels differ, first " + first : std::string();
}

class ToolBarTest : public PanelHost {
protected:
    static void SetUpTestSuite() {
        OpenHost({"araç çubuğu", 400, 200, true});
        Pump(10);
    }
    static void TearDownTestSuite() { CloseHost(); }
    void SetUp() override {
        glyph = testing_support::MakeTestGlyph();
        bar = std::make_unique<tk::TToolBar>(form, 30);
    }
    void TearDown() override {
        buttons.clear();
        bar.reset();
        DeleteObject(glyph);
        Pump(10);
    }

    tk::TSpeedButton& Add(tk::TSpeedButton::Params p) {
        p.parent = bar.get();
        if (p.left == 0) p.left = 4 + 23 * static_cast<int>(buttons.size());
        p.top = 4;
        if (!p.glyph && p.caption.empty()) p.glyph = glyph;
        buttons.push_back(std::make_unique<tk::TSpeedButton>(p));
        return *buttons.back();
    }
    tk::TSpeedButton& Add(tk::TAction& action) {
        tk::TSpeedButton::Params p;
        p.action = &action;
        return Add(p);
    }
    void Post(UINT msg, POINT pt) const {
        PostMessageA(bar->Handle(), msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, At(pt));
        Pump(10);
    }
    // The tools the tooltip control holds for the bar.
    std::vector<TOOLINFOA> Tools() const {
        std::vector<TOOLINFOA> tools;
        HWND tip = bar->HintWindow();
        const int count = static_cast<int>(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TOOLINFOA info{};
            info.cbSize = TTTOOLINFOA_V1_SIZE;
            if (SendMessageA(tip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&info)) &&
                info.hwnd == bar->Handle())
                tools.push_back(info);
        }
        return tools;
    }
    std::string ToolText(const tk::TSpeedButton& button) const {
        char text[1024] = {};
        TOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V1_SIZE;
        info.hwnd = bar->Handle();
        info.uId = button.ToolId();
        info.lpszText = text;
        SendMessageA(bar->HintWindow(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
        return text;
    }

    HBITMAP glyph = nullptr;
    std::unique_ptr<tk::TToolBar> bar;
    std::vector<std::unique_ptr<tk::TSpeedButton>> buttons;
};

} // namespace

TEST_F(ToolBarTest, ButtonsAreItemsOfTheBarWithoutWindowsOfTheirOwn) {
    tk::TSpeedButton& a = Add({.name = "A", .hint = "Kes"});
    tk::TSpeedButton& b = Add({.name = "B"});
    EXPECT_EQ(GetWindow(bar->Handle(), GW_CHILD), nullptr);
    EXPECT_EQ(a.ToolBar(), bar.get());
    ASSERT_EQ(bar->Buttons().size(), 2u);
    EXPECT_EQ(bar->ButtonAt(Middle(a)), &a);
    EXPECT_EQ(bar->ButtonAt(Middle(b)), &b);
    EXPECT_EQ(bar->ButtonAt(POINT{2, 2}), nullptr);
    // The screen rectangle is the bar's, moved by where the bar is.
    POINT origin{0, 0};
    ClientToScreen(bar->Handle(), &origin);
    const RECT screen = b.ScreenRect();
    EXPECT_EQ(screen.left, origin.x + b.Left());
    EXPECT_EQ(screen.bottom, origin.y + b.Top() + 22);
    // A hidden button is neither hit nor drawn.
    b.SetVisible(false);
    EXPECT_EQ(bar->ButtonAt(Middle(b)), nullptr);
    buttons.pop_back();
    EXPECT_EQ(bar->Buttons().size(), 1u);
}

TEST_F(ToolBarTest, PressAndReleaseInsideAnEnabledButtonRunsItOnce) {
    struct Case {
        const char* what;
        bool enabled;
        // Messages, each at a place: 0 the button, 1 the next one, 2 off the buttons.
        std::vector<std::pair<UINT, int>> steps;
        int runs;
    };
    const Case cases[] = {
        {"inside", true, {{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}}, 1},
        {"released over the next button", true, {{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 1}}, 0},
        {"released off the buttons", true, {{WM_LBUTTONDOWN, 0}, {WM_MOUSEMOVE, 2}, {WM_LBUTTONUP, 2}}, 0},
        {"pressed elsewhere", true, {{WM_LBUTTONDOWN, 2}, {WM_MOUSEMOVE, 0}, {WM_LBUTTONUP, 0}}, 0},
        {"out and back in",
         true,
         {{WM_LBUTTONDOWN, 0}, {WM_MOUSEMOVE, 2}, {WM_MOUSEMOVE, 0}, {WM_LBUTTONUP, 0}},
         1},
        {"a double click's second press", true, {{WM_LBUTTONDBLCLK, 0}, {WM_LBUTTONUP, 0}}, 1},
        {"disabled", false, {{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}}, 0},
    };
    tk::TActionList actions;
    tk::TAction* cut = actions.Add({.name = "Kes", .hint = "Kes"});
    tk::TAction* copy = actions.Add({.name = "Kopyala", .hint = "Kopyala"});
    tk::TSpeedButton& button = Add(*cut);
    tk::TSpeedButton& next = Add(*copy);
    int runs = 0, nextRuns = 0;
    cut->OnExecute = [&] { ++runs; };
    copy->OnExecute = [&] { ++nextRuns; };
    // The keyboard stays where it is.
    tk::TEdit::Params ep;
    ep.parent = form;
    ep.bounds = RECT{10, 100, 200, 121};
    tk::TEdit edit(ep);
    edit.SetFocus();
    const POINT places[] = {Middle(button), Middle(next), POINT{200, 15}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        runs = nextRuns = 0;
        cut->SetEnabled(c.enabled);
        for (const auto& [msg, place] : c.steps) {
            Post(msg, places[place]);
            if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
                EXPECT_EQ(button.Pressed(), c.enabled && place == 0);
                EXPECT_EQ(GetCapture() == bar->Handle(), c.enabled && place == 0);
            }
        }
        EXPECT_EQ(runs, c.runs);
        EXPECT_EQ(nextRuns, 0);
        EXPECT_FALSE(button.Pressed());
        EXPECT_NE(GetCapture(), bar->Handle());
        EXPECT_EQ(GetFocus(), edit.Handle());
    }
}

TEST_F(ToolBarTest, HoverFollowsTheMouseAndGoesWhenItLeaves) {
    tk::TSpeedButton& a = Add({.name = "A"});
    tk::TSpeedButton& b = Add({.name = "B"});
    // Sent, not posted: the bar asks for WM_MOUSELEAVE, which the real pointer
    // (elsewhere) would bring at once.
    SendMessageA(bar->Handle(), WM_MOUSEMOVE, 0, At(Middle(a)));
    EXPECT_TRUE(a.Hot());
    SendMessageA(bar->Handle(), WM_MOUSEMOVE, 0, At(Middle(b)));
    EXPECT_FALSE(a.Hot());
    EXPECT_TRUE(b.Hot());
    SendMessageA(bar->Handle(), WM_MOUSEMOVE, 0, At(POINT{300, 10}));
    EXPECT_FALSE(b.Hot());
    SendMessageA(bar->Handle(), WM_MOUSEMOVE, 0, At(Middle(a)));
    SendMessageA(bar->Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(a.Hot());
    // While a button is held only it lights up.
    SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(Middle(a)));
    SendMessageA(bar->Handle(), WM_MOUSEMOVE, MK_LBUTTON, At(Middle(b)));
    EXPECT_FALSE(b.Hot());
    EXPECT_FALSE(a.Hot());
    EXPECT_TRUE(a.Pressed());
    // Another window taking the capture ends the press without a click.
    ReleaseCapture();
    EXPECT_FALSE(a.Pressed());
}

TEST_F(ToolBarTest, GroupsReleaseEachOtherAndBoundButtonsFollowTheirAction) {
    // Unbound: the text panel's alignment buttons (a group) and a two-state bold.
    tk::TSpeedButton& left = Add({.name = "Left", .groupIndex = 1});
    tk::TSpeedButton& centre = Add({.name = "Centre", .groupIndex = 1});
    tk::TSpeedButton& bold = Add({.name = "Bold", .groupIndex = 2, .allowAllUp = true});
    tk::TSpeedButton& plain = Add({.name = "Plain"});
    int clicks = 0;
    left.OnClick = [&] { ++clicks; };
    testing_support::ClickButton(left);
    EXPECT_TRUE(left.Down());
    EXPECT_EQ(clicks, 1);
    testing_support::ClickButton(centre);
    EXPECT_TRUE(centre.Down());
    EXPECT_FALSE(left.Down());
    testing_support::ClickButton(centre); // no all-up: stays down
    EXPECT_TRUE(centre.Down());
    testing_support::ClickButton(bold);
    EXPECT_TRUE(bold.Down());
    EXPECT_TRUE(centre.Down()) << "another group";
    testing_support::ClickButton(bold);
    EXPECT_FALSE(bold.Down());
    plain.SetDown(true); // a button of no group never stays down
    EXPECT_FALSE(plain.Down());

    // Bound: down while the action is checked, whoever checks it.
    tk::TActionList actions;
    actions.Load({{"Icon", "Geniş ikon", "", 0, nullptr, 3}, {"Detail", "Detaylı", "", 0, nullptr, 3, true}});
    tk::TSpeedButton& icon = Add(actions.Get("Icon"));
    tk::TSpeedButton& detail = Add(actions.Get("Detail"));
    EXPECT_TRUE(detail.Down());
    testing_support::ClickButton(icon);
    EXPECT_TRUE(icon.Down());
    EXPECT_FALSE(detail.Down());
    actions.Get("Detail").SetChecked(true);
    EXPECT_TRUE(detail.Down());
    EXPECT_FALSE(icon.Down());
    EXPECT_TRUE(icon.Hot()) << "the mouse is still over the button it clicked";
    SendMessageA(bar->Handle(), WM_MOUSELEAVE, 0, 0);
    BarPicture picture(*bar);
    EXPECT_EQ(picture.At(detail, 0, 0), picture.System(COLOR_BTNSHADOW)) << "drawn down";
    EXPECT_EQ(picture.At(icon, 0, 0), picture.System(COLOR_BTNFACE)) << "drawn up";
}

TEST_F(ToolBarTest, HintsAreToolsOfOneTooltipWithTheButtonsRectangles) {
    tk::TActionList actions;
    tk::TAction* find = actions.Add({.name = "Bul", .hint = "Klasör veya dosya bul"});
    tk::TSpeedButton& a = Add(*find);
    tk::TSpeedButton& b = Add({.name = "B", .hint = "Yazı rengi"});
    tk::TSpeedButton& c = Add({.name = "C"});
    ASSERT_NE(bar->HintWindow(), nullptr);
    std::vector<TOOLINFOA> tools = Tools();
    ASSERT_EQ(tools.size(), 3u);
    for (const tk::TSpeedButton* button : {&a, &b, &c}) {
        SCOPED_TRACE(button->Name());
        const TOOLINFOA* tool = nullptr;
        for (const TOOLINFOA& t : tools)
            if (t.uId == button->ToolId()) tool = &t;
        ASSERT_NE(tool, nullptr);
        const RECT r = button->BoundsRect();
        EXPECT_TRUE(EqualRect(&tool->rect, &r));
        EXPECT_EQ(ToolText(*button), button->Hint());
    }
    EXPECT_EQ(ToolText(a), "Klasör veya dosya bul");

    // The action's hint, a moved button, a hidden one, one removed.
    find->SetHint("Bul");
    EXPECT_EQ(a.Hint(), "Bul");
    EXPECT_EQ(ToolText(a), "Bul");
    b.SetBounds(200, 4, 23, 22);
    c.SetVisible(false);
    for (const TOOLINFOA& t : Tools()) {
        if (t.uId == b.ToolId()) {
            EXPECT_EQ(t.rect.left, 200);
        }
        if (t.uId == c.ToolId()) {
            EXPECT_TRUE(IsRectEmpty(&t.rect));
        }
    }
    buttons.erase(buttons.begin());
    EXPECT_EQ(Tools().size(), 2u);
    // The bar's tools go with it; the form's tooltip stays for the others.
    HWND tip = bar->HintWindow();
    buttons.clear();
    bar.reset();
    EXPECT_TRUE(IsWindow(tip));
    bar = std::make_unique<tk::TToolBar>(form, 30);
    EXPECT_EQ(bar->HintWindow(), tip);
    EXPECT_TRUE(Tools().empty());
}

TEST_F(ToolBarTest, PaintsEachStateOfAButton) {
    // The glyph stands at (3, 3); its black square covers 7..14, or 8..15 when sunken.
    constexpr int kBlack = -1;
    struct Case {
        const char* what;
        std::function<void(tk::TSpeedButton&)> make;
        // System colours (or the glyph's black) at (0, 0), (22, 21), (7, 7) and (15, 15).
        int corner, farCorner, at7, at15;
    };
    auto press = [&](tk::TSpeedButton& b) {
        SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(Middle(b)));
    };
    auto hover = [&](tk::TSpeedButton& b) { SendMessageA(bar->Handle(), WM_MOUSEMOVE, 0, At(Middle(b))); };
    const Case cases[] = {
        {"flat and still", [](tk::TSpeedButton&) {}, COLOR_BTNFACE, COLOR_BTNFACE, kBlack, COLOR_BTNFACE},
        {"under the mouse", hover, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, kBlack, COLOR_BTNFACE},
        {"pressed", press, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_BTNFACE, kBlack},
        {"menu open", [](tk::TSpeedButton& b) { b.SetMenuOpen(true); }, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT,
         COLOR_BTNFACE, kBlack},
        {"disabled under the mouse",
         [&](tk::TSpeedButton& b) {
             b.SetEnabled(false);
             hover(b);
         },
         COLOR_BTNFACE, COLOR_BTNFACE, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        buttons.clear();
        tk::TSpeedButton& button = Add({.name = "B"});
        c.make(button);
        BarPicture picture(*bar);
        auto colour = [&](int expected) {
            return expected == kBlack ? RGB(0, 0, 0) : picture.System(expected);
        };
        EXPECT_EQ(picture.At(button, 0, 0), colour(c.corner));
        EXPECT_EQ(picture.At(button, 22, 21), colour(c.farCorner));
        EXPECT_EQ(picture.At(button, 7, 7), colour(c.at7));
        EXPECT_EQ(picture.At(button, 15, 15), colour(c.at15));
        if (GetCapture() == bar->Handle()) ReleaseCapture();
    }

    // Down: the checkered face of the face and highlight colours, sunken.
    buttons.clear();
    tk::TSpeedButton& down = Add({.name = "D", .groupIndex = 1, .down = true});
    {
        BarPicture picture(*bar);
        EXPECT_EQ(picture.At(down, 0, 0), picture.System(COLOR_BTNSHADOW));
        const COLORREF one = picture.At(down, 2, 2), two = picture.At(down, 3, 2);
        EXPECT_NE(one, two);
        for (COLORREF c : {one, two})
            EXPECT_TRUE(c == picture.System(COLOR_BTNFACE) || c == picture.System(COLOR_BTNHIGHLIGHT));
    }
    // A drop-down's arrow at the right in the text colour; the caption's button keeps its width.
    tk::TSpeedButton& menu =
        Add({.name = "M", .left = 100, .width = 78, .caption = "Düzenle", .dropDownArrow = true});
    {
        BarPicture picture(*bar);
        EXPECT_EQ(picture.At(menu, 78 - 12 + 3 + 2, 22 / 2 - 1), picture.System(COLOR_BTNTEXT));
        EXPECT_EQ(picture.At(menu, 78 - 12 + 3 + 2, 22 / 2 + 2), picture.System(COLOR_BTNFACE));
    }
}

TEST_F(ToolBarTest, TheHintOfTheButtonUnderThePointerShows) {
    tk::TSpeedButton& a = Add({.name = "A", .hint = "Kes"});
    tk::TSpeedButton& b = Add({.name = "B", .hint = "Kopyala"});
    HWND tip = bar->HintWindow();
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 10);
    auto pointAt = [&](const tk::TSpeedButton& button) {
        POINT pt = Middle(button);
        POINT screen = pt;
        ClientToScreen(bar->Handle(), &screen);
        SetCursorPos(screen.x, screen.y);
        PostMessageA(bar->Handle(), WM_MOUSEMOVE, 0, At(pt));
    };
    auto shown = [&] {
        char text[1024] = {};
        TOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V1_SIZE;
        info.lpszText = text;
        if (!IsWindowVisible(tip) ||
            !SendMessageA(tip, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&info)))
            return std::string();
        return std::string(text);
    };
    pointAt(a);
    EXPECT_TRUE(testing_support::PumpUntil([&] { return shown() == "Kes"; }, 3000)) << shown();
    pointAt(b);
    EXPECT_TRUE(testing_support::PumpUntil([&] { return shown() == "Kopyala"; }, 3000)) << shown();
    SendMessageA(tip, TTM_POP, 0, 0);
}

TEST_F(ToolBarTest, ARealClickRunsTheButtonAndLeavesTheFocusWhereItWas) {
    tk::TEdit::Params ep;
    ep.parent = form;
    ep.bounds = RECT{10, 100, 200, 121};
    tk::TEdit edit(ep);
    SetForegroundWindow(form->Handle());
    edit.SetFocus();
    int clicks = 0;
    tk::TSpeedButton& button = Add({.name = "A", .hint = "Kes"});
    button.OnClick = [&] { ++clicks; };
    const RECT r = button.ScreenRect();
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(SendInput(2, input, sizeof(INPUT)), 2u);
    EXPECT_TRUE(testing_support::PumpUntil([&] { return clicks == 1; }, 3000));
    EXPECT_EQ(GetFocus(), edit.Handle());
    Pump(20);
    EXPECT_EQ(clicks, 1);
}

namespace {

// Buttons at odd and even places, in the states whose faces show a pattern or
// spill over: down without and with a glyph, disabled, with captions, and one
// narrower than its glyph, whose picture must not reach its neighbours.
struct Placed {
    tk::TSpeedButton::Params params;
    bool enabled = true;
};

std::vector<Placed> OddRow(HBITMAP glyph) {
    return {
        {{.name = "Down", .left = 5, .top = 3, .groupIndex = 1, .down = true}},
        {{.name = "DownGlyph", .left = 33, .top = 4, .glyph = glyph, .groupIndex = 2, .down = true}},
        {{.name = "DownOdd", .left = 57, .top = 5, .groupIndex = 3, .down = true}},
        {{.name = "Disabled", .left = 81, .top = 7, .glyph = glyph}, false},
        {{.name = "Menu",
          .left = 109,
          .top = 3,
          .width = 61,
          .caption = "Düzenle",
          .glyph = glyph,
          .dropDownArrow = true}},
        {{.name = "Caption",
          .left = 171,
          .top = 4,
          .width = 50,
          .caption = "Aç",
          .groupIndex = 4,
          .down = true}},
        {{.name = "Narrow", .left = 221, .top = 4, .width = 5, .glyph = glyph}},
        {{.name = "Plain", .left = 229, .top = 3, .glyph = glyph}},
    };
}

// Pixels of a down button without a glyph that are not its checkered face:
// the face colour where x + y is even, counted from the button's own corner.
int CheckeredMisses(const Pixels& shown, const tk::TSpeedButton& down) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    if (face == light) return -1;
    int misses = 0;
    for (int y = 1; y < down.Height() - 1; ++y)
        for (int x = 1; x < down.Width() - 1; ++x)
            misses += shown.At(down.Left() + x, down.Top() + y) != ((x + y) % 2 ? light : face);
    return misses;
}

class ToolBarPaintTest : public ToolBarTest {
protected:
    void SetUp() override {
        ToolBarTest::SetUp();
        // No button is under the real pointer.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        for (const Placed& placed : OddRow(glyph)) {
            tk::TSpeedButton::Params p = placed.params;
            p.parent = bar.get();
            buttons.push_back(std::make_unique<tk::TSpeedButton>(p));
            buttons.back()->SetEnabled(placed.enabled);
        }
        bar->AddDivider(30);
        bar->AddDivider(106);
        Repaint(nullptr);
    }
    void Repaint(const RECT* part) const {
        InvalidateRect(bar->Handle(), part, TRUE);
        UpdateWindow(bar->Handle());
        Pump(10);
    }
};

} // namespace

TEST_F(ToolBarPaintTest, ButtonsAtOddPlacesLookAsEachDrawnAlone) {
    const Pixels shown(bar->Handle(), Pixels::kShown);
    ASSERT_GE(shown.Width(), 260);
    // Each button alone at the corner of a bar of its own.
    for (const Placed& placed : OddRow(glyph)) {
        SCOPED_TRACE(placed.params.name);
        tk::TToolBar alone(form, 30);
        tk::TSpeedButton::Params p = placed.params;
        p.parent = &alone;
        p.left = p.top = 0;
        tk::TSpeedButton button(p);
        button.SetEnabled(placed.enabled);
        const Pixels expected(alone.Handle(), Pixels::kPrinted);
        const RECT r{0, 0, p.width, p.height};
        EXPECT_EQ(FirstDifference(shown, POINT{placed.params.left, placed.params.top}, expected, r), "");
    }
    // The checkered face starts at each button's own corner, whatever its place.
    const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    for (int index : {0, 2}) {
        SCOPED_TRACE(buttons[index]->Name());
        EXPECT_EQ(CheckeredMisses(shown, *buttons[index]), 0);
    }
    // Between the buttons: the face colour and the etched dividers.
    EXPECT_EQ(shown.At(2, 15), face);
    EXPECT_EQ(shown.At(30, 15), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(shown.At(31, 15), light);
    EXPECT_EQ(shown.At(30, 1), face);
    // The narrow button's glyph, wider than it, is cut at its edges.
    for (int x = 226; x < 229; ++x)
        EXPECT_EQ(shown.At(x, 12), face) << x;
}

TEST_F(ToolBarPaintTest, APartialRepaintDrawsThatPartAsTheWholePaintDid) {
    const Pixels whole(bar->Handle(), Pixels::kShown);
    const RECT client{0, 0, whole.Width(), whole.Height()};
    struct Case {
        const char* what;
        RECT part;
    };
    const Case cases[] = {
        {"through two down buttons, from odd coordinates", {13, 9, 63, 17}},
        {"one pixel of a checkered face", {61, 9, 62, 10}},
        {"a divider and the edges beside it", {27, 0, 36, 30}},
        {"the narrow button's neighbours", {218, 2, 236, 28}},
        {"past the right and bottom ends", {240, 20, 5000, 5000}},
        {"far larger than the bar", {-100000, -100000, 100000, 100000}},
    };
    const COLORREF red = RGB(255, 0, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            HDC dc = GetDC(bar->Handle());
            HBRUSH brush = CreateSolidBrush(red);
            FillRect(dc, &client, brush);
            DeleteObject(brush);
            ReleaseDC(bar->Handle(), dc);
        }
        Repaint(&c.part);
        const Pixels now(bar->Handle(), Pixels::kShown);
        RECT part;
        IntersectRect(&part, &c.part, &client);
        EXPECT_EQ(FirstDifference(now, POINT{0, 0}, whole, part), "");
        int outside = 0;
        for (int y = 0; y < now.Height(); ++y)
            for (int x = 0; x < now.Width(); ++x)
                outside += !PtInRect(&part, POINT{x, y}) && now.At(x, y) != red;
        EXPECT_EQ(outside, 0) << "only the invalidated part is painted";
    }
}

TEST_F(ToolBarPaintTest, AWiderBarIsPaintedToItsNewEnd) {
    const int width = bar->ClientWidth();
    RECT frame;
    GetWindowRect(form->Handle(), &frame);
    SetWindowPos(form->Handle(), nullptr, 0, 0, frame.right - frame.left + 200, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump(10);
    ASSERT_EQ(bar->ClientWidth(), width + 200);
    tk::TSpeedButton::Params p{
        .parent = bar.get(), .name = "Far", .left = width + 151, .top = 5, .groupIndex = 9, .down = true};
    tk::TSpeedButton farButton(p);
    Repaint(nullptr);
    const Pixels shown(bar->Handle(), Pixels::kShown);
    EXPECT_EQ(CheckeredMisses(shown, farButton), 0);
    EXPECT_EQ(shown.At(width + 199, 3), GetSysColor(COLOR_BTNFACE));
    SetWindowPos(form->Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump(10);
}
