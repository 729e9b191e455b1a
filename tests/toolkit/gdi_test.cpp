#include "toolkit/gdi.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/win32_test_util.h"
#include "toolkit/application.h"
#include "toolkit/form.h"

using testing_support::Pump;

namespace {

class GdiTest : public ::testing::Test {
protected:
    void SetUp() override { tk::Application().Initialize(); }
};

// One GDI object of each owned kind: made, owned, released.
struct GdiKind {
    const char* name;
    DWORD type;
    std::function<HGDIOBJ()> make;
};

template <class Handle> HGDIOBJ OwnAndRelease(HGDIOBJ object) {
    { Handle owned(static_cast<typename Handle::Handle>(object)); }
    return object;
}

TEST_F(GdiTest, OwnedGdiObjectsAreDeletedWithTheirHandle) {
    const GdiKind kinds[] = {
        {"font", OBJ_FONT, [] { return tk::MakeFont("Arial", 10).release(); }},
        {"bitmap", OBJ_BITMAP, [] { return CreateBitmap(8, 8, 1, 1, nullptr); }},
        {"brush", OBJ_BRUSH, [] { return CreateSolidBrush(RGB(1, 2, 3)); }},
        {"pen", OBJ_PEN, [] { return CreatePen(PS_SOLID, 1, RGB(1, 2, 3)); }},
        {"region", OBJ_REGION, [] { return CreateRectRgn(0, 0, 5, 5); }},
    };
    for (const GdiKind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        HGDIOBJ object = kind.make();
        ASSERT_EQ(GetObjectType(object), kind.type);
        switch (kind.type) {
        case OBJ_FONT:
            OwnAndRelease<tk::FontHandle>(object);
            break;
        case OBJ_BITMAP:
            OwnAndRelease<tk::BitmapHandle>(object);
            break;
        case OBJ_BRUSH:
            OwnAndRelease<tk::BrushHandle>(object);
            break;
        case OBJ_PEN:
            OwnAndRelease<tk::PenHandle>(object);
            break;
        case OBJ_REGION:
            OwnAndRelease<tk::RegionHandle>(object);
            break;
        }
        EXPECT_EQ(GetObjectType(object), 0u);
    }
    // A palette and a created DC.
    LOGPALETTE one{0x300, 1, {{10, 20, 30, 0}}};
    HPALETTE palette = CreatePalette(&one);
    ASSERT_EQ(GetObjectType(palette), static_cast<DWORD>(OBJ_PAL));
    { tk::PaletteHandle owned(palette); }
    EXPECT_EQ(GetObjectType(palette), 0u);
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    { tk::DCHandle owned(dc); }
    EXPECT_EQ(GetObjectType(dc), 0u);
}

TEST_F(GdiTest, MovesResetsAndReleasesKeepOneOwner) {
    HBRUSH first = CreateSolidBrush(RGB(1, 1, 1)), second = CreateSolidBrush(RGB(2, 2, 2));
    {
        tk::BrushHandle a(first);
        tk::BrushHandle b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), first);
        b.reset(second); // the first goes, the second is held
        EXPECT_EQ(GetObjectType(first), 0u);
        EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_BRUSH));
        HBRUSH released = b.release();
        EXPECT_EQ(released, second);
    }
    EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_BRUSH)); // released: not deleted
    DeleteObject(second);
}

TEST_F(GdiTest, KernelAndSearchHandlesAreClosed) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD flags = 0;
    ASSERT_TRUE(GetHandleInformation(event, &flags));
    { tk::OwnedHandle owned(event); }
    EXPECT_FALSE(GetHandleInformation(event, &flags));

    // "None" of a search is INVALID_HANDLE_VALUE; it is never closed.
    WIN32_FIND_DATAA data;
    tk::FindHandle missing(FindFirstFileA("C:\\no such folder here\\*.*", &data));
    EXPECT_FALSE(missing);
    tk::OwnedHandle noFile(
        CreateFileA("C:\\no such folder here\\x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(noFile);

    testing_support::TempFolder folder;
    folder.File("a.txt", "x");
    tk::FindHandle search(FindFirstFileA((folder.Path() + "*.txt").c_str(), &data));
    ASSERT_TRUE(search);
    EXPECT_STREQ(data.cFileName, "a.txt");
    EXPECT_FALSE(FindNextFileA(search.get(), &data));
}

TEST_F(GdiTest, MakeFontSizesInPointsForTheScreen) {
    tk::FontHandle font = tk::MakeFont("Tahoma", 8, true);
    LOGFONTA log{};
    ASSERT_TRUE(GetObjectA(font.get(), sizeof log, &log));
    EXPECT_EQ(log.lfHeight, -MulDiv(8, tk::ScreenDpi(), 72));
    EXPECT_EQ(log.lfWeight, FW_BOLD);
    EXPECT_STREQ(log.lfFaceName, "Tahoma");
}

TEST_F(GdiTest, MemoryDcPutsBackWhatItReplaced) {
    tk::ScreenDC screen;
    tk::BitmapHandle bitmap(CreateCompatibleBitmap(screen, 4, 4));
    tk::FontHandle font = tk::MakeFont("Arial", 9);
    HGDIOBJ stockFont = nullptr;
    {
        tk::MemoryDC dc(screen);
        stockFont = GetCurrentObject(dc, OBJ_FONT);
        dc.Select(bitmap.get());
        dc.Select(font.get());
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap.get());
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font.get());
    }
    // Deselected, so both can go (a selected bitmap could not be deleted).
    EXPECT_TRUE(DeleteObject(bitmap.release()));
    EXPECT_TRUE(DeleteObject(font.release()));
    EXPECT_TRUE(stockFont);
}

// A 24-bit bitmap in a memory DC, read back pixel by pixel.
class Canvas {
public:
    Canvas(int width, int height)
        : bitmap_(CreateCompatibleBitmap(tk::ScreenDC(), width, height)), dc_(tk::ScreenDC()) {
        dc_.Select(bitmap_.get());
        RECT all{0, 0, width, height};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    HDC DC() const { return dc_; }
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    tk::BitmapHandle bitmap_;
    tk::MemoryDC dc_;
};

TEST_F(GdiTest, BufferedPaintReachesTheTargetOnlyAtTheEnd) {
    Canvas canvas(60, 60);
    const RECT area{10, 10, 50, 50};
    {
        tk::BufferedPaint paint(canvas.DC(), area);
        ASSERT_TRUE(paint.Buffered());
        EXPECT_NE(paint.DC(), canvas.DC());
        // Drawn in the target's own coordinates.
        tk::BrushHandle red(CreateSolidBrush(RGB(255, 0, 0)));
        FillRect(paint.DC(), &area, red.get());
        SetPixel(paint.DC(), 10, 10, RGB(0, 0, 255));
        EXPECT_EQ(canvas.Pixel(20, 20), RGB(255, 255, 255)); // nothing on the target yet
    }
    EXPECT_EQ(canvas.Pixel(20, 20), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(10, 10), RGB(0, 0, 255));
    EXPECT_EQ(canvas.Pixel(49, 49), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(9, 20), RGB(255, 255, 255)); // outside the area: untouched
    EXPECT_EQ(canvas.Pixel(50, 50), RGB(255, 255, 255));

    // An empty area: no buffer, the target itself.
    tk::BufferedPaint empty(canvas.DC(), RECT{5, 5, 5, 9});
    EXPECT_FALSE(empty.Buffered());
    EXPECT_EQ(empty.DC(), canvas.DC());
}

// A form that paints its client area green through the buffered painter.
class BufferedForm : public tk::TForm {
public:
    BufferedForm() : tk::TForm(Params{"Buffered", 200, 150}) {}
    int paints = 0;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_ERASEBKGND) return 1;
        if (msg == WM_PAINT) {
            tk::BufferedPaint paint(Handle());
            ++paints;
            tk::BrushHandle green(CreateSolidBrush(RGB(0, 128, 0)));
            FillRect(paint.DC(), &paint.Rect(), green.get());
            return 0;
        }
        return tk::TForm::WndProc(msg, wParam, lParam);
    }
};

TEST_F(GdiTest, BufferedPaintOfAWindowDrawsThroughAndValidates) {
    BufferedForm form;
    form.Show();
    Pump();
    ASSERT_GT(form.paints, 0);
    // The whole client area was painted and nothing is left to paint.
    RECT update;
    EXPECT_FALSE(GetUpdateRect(form.Handle(), &update, FALSE));
    tk::WindowDC dc(form.Handle());
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 128, 0));
    EXPECT_EQ(GetPixel(dc, 100, 60), RGB(0, 128, 0));
}

TEST_F(GdiTest, HourglassShowsTheWaitCursorAndPutsTheOldOneBack) {
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    SetCursor(arrow);
    EXPECT_FALSE(tk::Hourglass::Active());
    {
        tk::Hourglass outer;
        EXPECT_EQ(GetCursor(), tk::Hourglass::WaitCursor());
        {
            tk::Hourglass inner;
            EXPECT_TRUE(tk::Hourglass::Active());
        }
        // The inner guard going keeps the hourglass of the outer one.
        EXPECT_EQ(GetCursor(), tk::Hourglass::WaitCursor());
    }
    EXPECT_FALSE(tk::Hourglass::Active());
    EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(GdiTest, RedrawGuardSwitchesDrawingOffForItsScope) {
    tk::TForm form(tk::TForm::Params{"Redraw", 200, 150});
    form.Show();
    Pump();
    ASSERT_TRUE(IsWindowVisible(form.Handle()));
    {
        tk::RedrawGuard noRedraw(form.Handle());
        // WM_SETREDRAW FALSE is kept as a cleared visible bit.
        EXPECT_FALSE(GetWindowLongA(form.Handle(), GWL_STYLE) & WS_VISIBLE);
    }
    EXPECT_TRUE(GetWindowLongA(form.Handle(), GWL_STYLE) & WS_VISIBLE);
    RECT update;
    EXPECT_TRUE(GetUpdateRect(form.Handle(), &update, FALSE)); // repainted as a whole
}

TEST_F(GdiTest, ColoursResolveSystemReferencesWhenUsed) {
    struct Case {
        tk::TColor color;
        COLORREF expected;
    };
    const Case cases[] = {
        {tk::clRed, RGB(255, 0, 0)},
        {tk::clNavy, RGB(0, 0, 128)},
        {0x00A8FFFF, RGB(255, 255, 168)},
        {tk::clBtnFace, GetSysColor(COLOR_BTNFACE)},
        {tk::clWindowText, GetSysColor(COLOR_WINDOWTEXT)},
        {tk::clHighlight, GetSysColor(COLOR_HIGHLIGHT)},
        {tk::clInfoBk, GetSysColor(COLOR_INFOBK)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tk::ColorToRgb(c.color), c.expected) << std::hex << c.color;
    }
    EXPECT_TRUE(tk::IsSystemColor(tk::clWindow));
    EXPECT_FALSE(tk::IsSystemColor(tk::clWhite));
}

} // namespace
