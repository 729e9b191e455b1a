// The viewer control under Wine, driven with real messages: loading, anchors,
// pictures, scrolling with the bar's thumb, selection by dragging, find, copy,
// links with history and visited colours, forms and animation.
#include "html/html_view.h"

#include "html/form_windows.h"
#include "html/forms.h"
#include "html/table.h"
#include "html/images/display.h"
#include "html/images/gif_image.h"
#include "html/images/memory_stream.h"
#include "hexedit/screenshot.h"
#include "support/html_view_mouse.h"
#include "support/panel_host.h"
#include "support/scripted_dialogs.h"
#include "toolkit/application.h"
#include "toolkit/clipboard.h"
#include "toolkit/form.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace velmora::html;
using testing_support::BmpBytes;
using testing_support::ClickAt;
using testing_support::PanelHost;
using testing_support::PostMouse;
using testing_support::Pump;
using testing_support::PumpUntil;
using testing_support::ReadFileText;
using testing_support::WindowsPath;

namespace {

class HtmlViewTest : public PanelHost {
protected:
    static void SetUpTestSuite() { OpenHost({"html", 520, 420, true}); }
    static void TearDownTestSuite() { CloseHost(); }
    void SetUp() override {
        THtmlView::Params p;
        p.parent = form;
        p.bounds = RECT{0, 0, 400, 300};
        view = std::make_unique<THtmlView>(p);
        view->SetFocus();
        Pump(10);
    }
    void TearDown() override { view.reset(); }

    std::string Page(const std::string& name, const std::string& html) { return folder->File(name, html); }

    POINT TextPoint(const std::string& text, int dx = 2) {
        return testing_support::TextPoint(*view, text, dx);
    }
    void Post(UINT msg, WPARAM keys, POINT p) { PostMouse(*view, msg, keys, p); }
    void Click(POINT p) { ClickAt(*view, p); }
    void ClickText(const std::string& text) { Click(TextPoint(text)); }

    std::unique_ptr<THtmlView> view;
};

TEST_F(HtmlViewTest, DefaultsOfTheProperties) {
    EXPECT_EQ(view->DefBackground(), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(view->BorderStyle(), THTMLBorderStyle::htFocused);
    EXPECT_EQ(view->HistoryMaxCount(), 0);
    EXPECT_EQ(view->DefFontName(), "Times New Roman");
    EXPECT_EQ(view->DefPreFontName(), "Courier New");
    EXPECT_EQ(view->DefFontSize(), 12);
    EXPECT_EQ(view->DefHotSpotColor(), 0xFF0000u);
    EXPECT_EQ(view->DefVisitedLinkColor(), 0x800080u);
    EXPECT_EQ(view->VisitedMaxCount(), 50);
    EXPECT_EQ(view->ImageCacheCount(), 5);
    EXPECT_EQ(view->MarginHeight(), 5);
    EXPECT_EQ(view->MarginWidth(), 10);
    EXPECT_TRUE(view->ViewImages());
    EXPECT_FALSE(view->NoSelect());
    view->SetDefFontSize(2);
    EXPECT_EQ(view->DefFontSize(), 6);
    view->SetImageCacheCount(99);
    EXPECT_EQ(view->ImageCacheCount(), 20);
    view->SetImageCacheCount(5);
    view->SetServerRoot("  C:\\www\\ ");
    EXPECT_EQ(view->ServerRoot(), "C:\\www");
}

TEST_F(HtmlViewTest, MissingFileRaisesAndLeavesTheDocument) {
    const std::string page = Page("shown.htm", "<title>Shown</title><p>text");
    view->LoadFromFile(page);
    std::vector<bool> processing;
    view->OnProcessing = [&](bool on) { processing.push_back(on); };
    const std::string missing = folder->Path() + "yok.htm";
    try {
        view->LoadFromFile(missing + "#part2");
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "Can't locate file: " + missing);
    }
    EXPECT_EQ(processing, (std::vector<bool>{true, false}));
    EXPECT_EQ(view->DocumentTitle(), "Shown");
    EXPECT_EQ(view->CurrentFile(), page);
    EXPECT_THROW(view->LoadImageFile(folder->Path() + "yok.bmp"), EInOutError);
    // Through the message loop the error reaches the user as a message.
    testing_support::ScriptedDialogs dialogs;
    view->OnHotSpotClick = nullptr;
    const std::string linking = Page("linking.htm", "<a href=\"yok.htm\">gone</a>");
    view->LoadFromFile(linking);
    ClickText("gone");
    ASSERT_FALSE(dialogs.Calls().empty());
    EXPECT_NE(dialogs.Calls().back().text.find("Can't locate file: "), std::string::npos);
    EXPECT_EQ(view->CurrentFile(), linking);
}

TEST_F(HtmlViewTest, AnchorsJumpAndUnknownOnesShowTheTop) {
    std::string html = "<p>top";
    for (int i = 0; i < 60; ++i)
        html += "<p>filler " + std::to_string(i);
    html += "<h2><a name=part2>Part two</a></h2>";
    for (int i = 0; i < 60; ++i)
        html += "<p>more " + std::to_string(i);
    const std::string page = Page("anchors.htm", html);
    view->LoadFromFile(page + "#part2");
    const TSectionBase* part2 = view->Anchors().at("PART2");
    EXPECT_EQ(view->Position(), part2->YValue);
    view->LoadFromFile(Page("other.htm", "<p>x"));
    view->LoadFromFile(page + "#nowhere");
    EXPECT_EQ(view->Position(), 0);
    EXPECT_TRUE(view->Visited().Contains(page + "#part2"));

    // A "#" of the file's own name or of its folder is not an anchor.
    view->SetHistoryMaxCount(6);
    const std::string named = Page("not#1.htm", html);
    view->LoadFromFile(named);
    EXPECT_EQ(view->CurrentFile(), named);
    EXPECT_EQ(view->Position(), 0);
    folder->Folder("c#");
    const std::string inFolder = Page("c#\\sayfa.htm", html);
    view->LoadFromFile(inFolder + "#part2");
    EXPECT_EQ(view->CurrentFile(), inFolder);
    EXPECT_EQ(view->Position(), view->Anchors().at("PART2")->YValue);
    // Back through the history to the first one.
    view->SetHistoryIndex(view->HistoryIndex() + 1);
    EXPECT_EQ(view->CurrentFile(), named);
}

// (Pure colours, so that the 8-bit screen shows them unchanged.)
TEST_F(HtmlViewTest, PictureLargerThanTheViewScrollsBothWays) {
    const std::string picture = folder->File("big.bmp", BmpBytes(600, 500, RGB(255, 0, 0)));
    view->LoadImageFile(picture);
    EXPECT_EQ(view->CurrentKind(), TDocumentKind::dkPicture);
    EXPECT_EQ(view->CurrentFile(), picture);
    const auto& images = dynamic_cast<TSection&>(*view->Document().Sections.back()).Images();
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->Kind, TImageObj::pkLoaded);
    EXPECT_EQ(images[0]->ImageWidth, 600);
    EXPECT_EQ(images[0]->ImageHeight, 500);
    EXPECT_TRUE(view->VScrollBar().Needed);
    EXPECT_TRUE(view->HScrollBar().Needed);
    EXPECT_TRUE(IsWindowVisible(view->VScrollBar().Handle()));
    EXPECT_TRUE(IsWindowVisible(view->HScrollBar().Handle()));
    EXPECT_GE(view->DocumentHeight(), 500);
    // The picture is drawn at the margin at its natural size.
    UpdateWindow(view->SurfaceHandle());
    HDC dc = GetDC(view->SurfaceHandle());
    EXPECT_EQ(GetPixel(dc, 20, 20), RGB(255, 0, 0));
    ReleaseDC(view->SurfaceHandle(), dc);
    PostMessageA(view->Handle(), WM_KEYDOWN, VK_END, 1);
    PostMessageA(view->Handle(), WM_KEYDOWN, VK_RIGHT, 1);
    Pump(20);
    EXPECT_EQ(view->Position(), view->MaxVertical());
    EXPECT_EQ(view->HScrollPosition(), 15);
}

TEST_F(HtmlViewTest, BackgroundPictureIsTiledUnderTheText) {
    folder->File("tile.bmp", BmpBytes(8, 8, RGB(0, 0, 255)));
    view->LoadFromFile(Page("tiled.htm", "<body background=\"tile.bmp\" bgcolor=white><p>x"));
    UpdateWindow(view->SurfaceHandle());
    HDC dc = GetDC(view->SurfaceHandle());
    EXPECT_EQ(GetPixel(dc, 200, 150), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 3, 290), RGB(0, 0, 255));
    ReleaseDC(view->SurfaceHandle(), dc);
    view->SetViewImages(false); // pictures off: the colour alone
    UpdateWindow(view->SurfaceHandle());
    dc = GetDC(view->SurfaceHandle());
    EXPECT_EQ(GetPixel(dc, 200, 150), RGB(255, 255, 255));
    ReleaseDC(view->SurfaceHandle(), dc);
}

TEST_F(HtmlViewTest, PicturesSwitchedOffAndOnInsideTablesToo) {
    folder->File("red.bmp", BmpBytes(40, 40, RGB(255, 0, 0)));
    view->LoadFromFile(Page("cells.htm", "<body bgcolor=white><img src=red.bmp>"
                                         "<table><tr><td><table><tr><td><img src=red.bmp></table></table>"));
    // Where each picture shows: the first at the margin, the nested one below it.
    auto redAt = [&](int x, int y) {
        UpdateWindow(view->SurfaceHandle());
        HDC dc = GetDC(view->SurfaceHandle());
        const bool red = GetPixel(dc, x, y) == RGB(255, 0, 0);
        ReleaseDC(view->SurfaceHandle(), dc);
        return red;
    };
    int cellY = -1;
    for (int y = 60; y < 140 && cellY < 0; ++y)
        for (int x = 5; x < 60 && cellY < 0; ++x)
            if (redAt(x, y)) cellY = y;
    ASSERT_GE(cellY, 0) << "the picture in the nested cell is shown";
    int cellX = 5;
    while (!redAt(cellX, cellY))
        ++cellX;
    cellX += 10; // inside, away from the edge the placeholder's frame takes
    cellY += 20;
    ASSERT_TRUE(redAt(cellX, cellY));
    view->SetViewImages(false);
    EXPECT_FALSE(redAt(25, 25));
    EXPECT_FALSE(redAt(cellX, cellY)) << "the picture in the cell stays after pictures went off";
    view->SetViewImages(true);
    EXPECT_TRUE(redAt(25, 25));
    EXPECT_TRUE(redAt(cellX, cellY));
    // A page read with pictures off gets them all when they come on.
    view->SetViewImages(false);
    view->LoadFromFile(folder->Path() + "cells.htm");
    EXPECT_FALSE(redAt(cellX, cellY));
    view->SetViewImages(true);
    EXPECT_TRUE(redAt(25, 25));
    EXPECT_TRUE(redAt(cellX, cellY)) << "the picture in the cell is not asked for again";
}

TEST_F(HtmlViewTest, TallDocumentScrollsToItsEndWithTheThumb) {
    std::string html = "<pre>";
    for (int i = 0; i < 2800; ++i)
        html += "line " + std::to_string(i) + "\n";
    html += "last line</pre>";
    view->LoadFromFile(Page("tall.htm", html));
    ASSERT_GT(view->DocumentHeight(), 40000);
    const HWND bar = view->VScrollBar().Handle();
    ASSERT_TRUE(IsWindowVisible(bar));
    RECT r{};
    GetClientRect(bar, &r);
    const int arrow = GetSystemMetrics(SM_CYVSCROLL);
    // Drag the thumb (just below the top arrow) to the bottom of the bar.
    const LPARAM from = MAKELPARAM(r.right / 2, arrow + 3);
    const LPARAM to = MAKELPARAM(r.right / 2, r.bottom - 2);
    PostMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, from);
    PostMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.right / 2, r.bottom / 2));
    PostMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, to);
    PostMessageA(bar, WM_LBUTTONUP, 0, to);
    Pump(100);
    EXPECT_GT(view->Position(), 32767);
    EXPECT_EQ(view->Position(), view->MaxVertical());
    // Line steps and the wheel, from there.
    SendMessageA(view->Handle(), WM_VSCROLL, SB_LINEUP, reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(view->Position(), view->MaxVertical() - 16);
    SendMessageA(view->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(view->Position(), view->MaxVertical() - 76);
    SendMessageA(view->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), 0);
    EXPECT_EQ(view->Position(), view->MaxVertical());
    SendMessageA(view->Handle(), WM_KEYDOWN, VK_HOME, 1);
    EXPECT_EQ(view->Position(), 0);
    SendMessageA(view->Handle(), WM_KEYDOWN, VK_NEXT, 1);
    EXPECT_EQ(view->Position(), view->SurfaceHeight() - 16);
    // A move by program is drawn on the bar with the next paint.
    Pump(50);
    view->SetPosition(view->MaxVertical());
    EXPECT_TRUE(GetUpdateRect(bar, nullptr, FALSE)) << "the thumb would stay where it was";
    Pump(50);
    EXPECT_FALSE(GetUpdateRect(bar, nullptr, FALSE));
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS;
    GetScrollInfo(bar, SB_CTL, &si);
    EXPECT_EQ(si.nPos, view->MaxVertical());
}

TEST_F(HtmlViewTest, SelectionByDraggingFindAndCopy) {
    view->LoadFromFile(
        Page("select.htm", "<p>First paragraph of words.<p>Second Word line<p>third word here"));
    const POINT from = TextPoint("paragraph"), to = TextPoint("line");
    Post(WM_LBUTTONDOWN, MK_LBUTTON, from);
    Post(WM_MOUSEMOVE, MK_LBUTTON, to);
    Post(WM_LBUTTONUP, 0, to);
    Pump(30);
    EXPECT_LT(view->SelLength(), 0); // dragged forward: the caret is at the end
    const std::string dragged = view->SelectedText();
    EXPECT_EQ(dragged.substr(0, 9), "paragraph");
    EXPECT_NE(dragged.find("\r\nSecond Word"), std::string::npos) << dragged;
    view->CopyToClipboard();
    EXPECT_EQ(tk::ClipboardText(), dragged);

    view->SelectAll();
    EXPECT_GT(view->SelLength(), 0);
    EXPECT_EQ(view->SelStart(), 0);

    // Find goes forward from the caret, without wrapping round.
    view->LoadFromFile(Page("find.htm", "<p>Word one<p>a word two<p>WORD three"));
    EXPECT_TRUE(view->Find("word", true));
    EXPECT_EQ(view->SelectedText(), "word");
    EXPECT_FALSE(view->Find("word", true));
    view->LoadFromFile(Page("find2.htm", "<p>Word one<p>a word two<p>WORD three"));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(view->Find("word", false)) << i;
    EXPECT_FALSE(view->Find("word", false));
    EXPECT_FALSE(view->Find("", false));

    // With NoSelect dragging selects nothing, select-all does nothing, find still selects.
    view->SetNoSelect(true);
    view->LoadFromFile(Page("noselect.htm", "<p>alpha beta gamma"));
    const POINT a = TextPoint("alpha"), g = TextPoint("gamma");
    Post(WM_LBUTTONDOWN, MK_LBUTTON, a);
    Post(WM_MOUSEMOVE, MK_LBUTTON, g);
    Post(WM_LBUTTONUP, 0, g);
    Pump(30);
    EXPECT_EQ(view->SelectedText(), "");
    view->SelectAll();
    EXPECT_EQ(view->SelectedText(), "");
    EXPECT_TRUE(view->Find("beta", true));
    EXPECT_EQ(view->SelectedText(), "beta");
}

TEST_F(HtmlViewTest, DoubleClickSelectsAWord) {
    view->LoadFromFile(Page("word.htm", "<p>Gidelim İstanbul, yarın"));
    const POINT p = TextPoint("stanbul", 3);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, p);
    Post(WM_LBUTTONUP, 0, p);
    Post(WM_LBUTTONDBLCLK, MK_LBUTTON, p);
    Post(WM_LBUTTONUP, 0, p);
    Pump(30);
    EXPECT_EQ(view->SelectedText(), "İstanbul");
    EXPECT_GT(view->SelLength(), 0);
}

TEST_F(HtmlViewTest, MiddleButtonPanning) {
    std::string html;
    for (int i = 0; i < 300; ++i)
        html += "<p>row " + std::to_string(i);
    view->LoadFromFile(Page("pan.htm", html));
    const POINT start{100, 100};
    Post(WM_MBUTTONDOWN, MK_MBUTTON, start);
    Post(WM_MBUTTONUP, 0, start);
    Post(WM_MOUSEMOVE, 0, POINT{100, 170});
    Pump(20);
    ASSERT_TRUE(PumpUntil([&] { return view->Position() >= 64; }, 3000));
    EXPECT_EQ(view->Position() % 32, 0);
    Post(WM_MOUSEMOVE, 0, POINT{100, 110}); // within 20 pixels: it stops
    Pump(250);
    const int32_t stopped = view->Position();
    Pump(300);
    EXPECT_EQ(view->Position(), stopped);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, start); // any press ends the panning
    Post(WM_LBUTTONUP, 0, start);
    Pump(20);
    Post(WM_MOUSEMOVE, 0, POINT{100, 190});
    Pump(300);
    EXPECT_EQ(view->Position(), stopped);
}

TEST_F(HtmlViewTest, HistoryOverThreeLinksWithScrollPositionsAndVisitedColour) {
    std::string filler;
    for (int i = 0; i < 80; ++i)
        filler += "<p>filler " + std::to_string(i);
    const std::string a =
        Page("a.htm", "<p><a href=\"b.htm\">to b</a>" + filler + "<p><a href=\"b.htm\">b again</a>");
    const std::string b = Page("b.htm", filler + "<p><a href=\"c.htm\">to c</a>" + filler);
    const std::string c = Page("c.htm", "<p><a href=\"d.htm#fig3\">to d</a>" + filler);
    Page("d.htm", filler + "<p><a name=FIG3>figure</a>" + filler);
    view->SetHistoryMaxCount(6);
    int changes = 0;
    view->OnHistoryChange = [&] { ++changes; };
    std::vector<std::string> covered;
    view->OnHotSpotCovered = [&](const std::string& url) { covered.push_back(url); };
    view->LoadFromFile(a);
    ClickText("to b");
    EXPECT_EQ(view->CurrentFile(), b);
    EXPECT_EQ(covered.front(), "b.htm");
    const POINT toC = TextPoint("to c"); // b scrolls to show its link
    const int32_t bPosition = view->PositionCode().Section;
    EXPECT_GT(bPosition, 0);
    Click(toC);
    EXPECT_EQ(view->CurrentFile(), c);
    ClickText("to d");
    EXPECT_EQ(view->Position(), view->Anchors().at("FIG3")->YValue);
    ASSERT_EQ(view->History().Count(), 4);
    EXPECT_EQ(view->History()[0], folder->Path() + "d.htm");
    EXPECT_EQ(view->History()[3], a);
    EXPECT_GT(changes, 0);

    // Back twice: b at the place it was left, also after a resize.
    view->SetBounds(0, 0, 380, 280);
    Pump(10);
    view->SetHistoryIndex(view->HistoryIndex() + 1);
    view->SetHistoryIndex(view->HistoryIndex() + 1);
    EXPECT_EQ(view->CurrentFile(), b);
    EXPECT_EQ(view->HistoryIndex(), 2);
    EXPECT_EQ(view->PositionCode().Section, bPosition);
    // Forward again.
    view->SetHistoryIndex(view->HistoryIndex() - 1);
    EXPECT_EQ(view->CurrentFile(), c);
    view->SetHistoryIndex(3);
    EXPECT_EQ(view->CurrentFile(), a);
    // Both links to b are drawn in the visited colour now.
    const TSectionList& doc = view->Document();
    int visitedRuns = 0;
    for (const TLinkRun& link : doc.LinkRuns)
        if (link.Run().Visited) {
            ++visitedRuns;
            EXPECT_EQ(link.Run().TheFont(doc).Color, view->DefVisitedLinkColor());
        }
    EXPECT_EQ(visitedRuns, 2);
    EXPECT_TRUE(view->Visited().Contains(folder->Path() + "d.htm#fig3"));
    // A new link from here drops what was ahead.
    ClickText("to b");
    ASSERT_EQ(view->History().Count(), 2);
    EXPECT_EQ(view->History()[1], a);
    // Lowering the maximum empties the history.
    view->SetHistoryMaxCount(1);
    EXPECT_EQ(view->History().Count(), 0);
    view->SetVisitedMaxCount(0);
    for (const TLinkRun& link : view->Document().LinkRuns)
        EXPECT_FALSE(link.Run().Visited);
}

TEST_F(HtmlViewTest, HistoryToAFileThatWentAwayRaisesAndStays) {
    const std::string first = Page("first.htm", "<p>one");
    const std::string second = Page("second.htm", "<p>two");
    view->SetHistoryMaxCount(6);
    view->LoadFromFile(first);
    view->LoadImageFile(std::string(VELMORA_TEST_DATA) + "/images/bmp_24.bmp");
    view->LoadFromFile(second);
    ASSERT_EQ(view->History().Count(), 3);
    EXPECT_EQ(view->History().Entry(1).Kind, TDocumentKind::dkPicture);
    view->SetHistoryIndex(1); // the picture again, as a picture
    EXPECT_EQ(view->CurrentKind(), TDocumentKind::dkPicture);
    DeleteFileA(first.c_str());
    EXPECT_THROW(view->SetHistoryIndex(2), EInOutError);
    EXPECT_EQ(view->HistoryIndex(), 1);
    EXPECT_EQ(view->CurrentKind(), TDocumentKind::dkPicture);
    view->SetHistoryIndex(7); // out of range: nothing
    EXPECT_EQ(view->HistoryIndex(), 1);
}

TEST_F(HtmlViewTest, LinksUnderTheMouse) {
    view->SethtOptions(htOverLinksActive);
    view->SetDefOverLinkColor(RGB(255, 0, 0));
    view->LoadFromFile(Page("hover.htm", "<p>plain words <a href=\"h.htm\">hover me</a> more plain words"));
    std::vector<std::string> covered;
    std::vector<std::string> urlsSeen;
    view->OnHotSpotCovered = [&](const std::string& url) { covered.push_back(url); };
    // The owner reads HotSpotURL in its own mouse-move handler, after the update.
    view->OnMouseMove = [&](UINT, int32_t, int32_t) { urlsSeen.push_back(view->HotSpotURL()); };
    const TSectionList& doc = view->Document();
    auto linkRun = [&]() -> const TFontObj& { return doc.LinkRuns.at(0).Run(); };
    Post(WM_MOUSEMOVE, 0, TextPoint("hover"));
    Pump(20);
    EXPECT_EQ(view->HotSpotURL(), "h.htm");
    EXPECT_TRUE(linkRun().Hover);
    EXPECT_EQ(linkRun().TheFont(doc).Color, RGB(255, 0, 0));
    ASSERT_GE(urlsSeen.size(), 2u);
    EXPECT_EQ(urlsSeen.back(), "h.htm");
    Post(WM_MOUSEMOVE, 0, TextPoint("plain"));
    Pump(20);
    EXPECT_EQ(view->HotSpotURL(), "");
    EXPECT_FALSE(linkRun().Hover);
    EXPECT_EQ(linkRun().TheFont(doc).Color, view->DefHotSpotColor());
    EXPECT_EQ(covered, (std::vector<std::string>{"h.htm", ""}));
    // Leaving the view: the hover timer forgets the link.
    Post(WM_MOUSEMOVE, 0, TextPoint("hover"));
    Pump(20);
    SetCursorPos(2000, 2000);
    ASSERT_TRUE(PumpUntil([&] { return view->HotSpotURL().empty(); }, 2000));
    EXPECT_FALSE(linkRun().Hover);
}

TEST_F(HtmlViewTest, LinksByKindAndHandledClicks) {
    const std::string pic = folder->File(
        "pic.JPG", ReadFileText(WindowsPath(std::string(VELMORA_TEST_DATA) + "/images/jpeg_baseline.jpg")));
    const std::string page =
        Page("kinds.htm",
             "<p><a href=\"doc.txt\">text</a> <a href=\"mailto:x@y\">mail</a> "
             "<a href=\"#down\">down</a> <a href=\"pic.JPG\">picture</a>"
             "<pre>\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n</pre><a name=down>here</a>");
    folder->File("doc.txt", "plain");
    view->SetHistoryMaxCount(6);
    view->LoadFromFile(page);
    std::vector<std::string> clicked;
    view->OnHotSpotClick = [&](const std::string& url, bool& handled) {
        clicked.push_back(url);
        handled = url.rfind("mailto:", 0) == 0;
    };
    ClickText("text");
    ClickText("mail");
    EXPECT_EQ(view->CurrentFile(), page);
    EXPECT_EQ(clicked, (std::vector<std::string>{"doc.txt", "mailto:x@y"}));
    ClickText("down");
    EXPECT_GT(view->Position(), 0);
    ASSERT_EQ(view->History().Count(), 2);
    view->SetHistoryIndex(1); // Back returns to the top
    EXPECT_EQ(view->Position(), 0);
    ClickText("picture");
    EXPECT_EQ(view->CurrentFile(), pic);
    EXPECT_EQ(view->CurrentKind(), TDocumentKind::dkPicture);
}

TEST_F(HtmlViewTest, FormWithEveryControlKindSubmitsThroughTheHandler) {
    view->LoadFromFile(
        Page("form.htm",
             "<form action=\"go.cgi\" method=post target=t>"
             "<input name=ad value=\"Ali\"> <input type=password name=pw size=\"30,1\">"
             "<input type=checkbox name=c1 checked> <input type=checkbox name=c2 value=x>"
             "<input type=radio name=r value=1 checked><input type=radio name=R value=2>"
             "<input type=hidden name=h value=gizli>"
             "<select name=liste size=3 multiple><option value=a selected>Bir<option "
             "selected>İki<option>Üç</select>"
             "<select name=secim><option>x<option value=\"\" selected>Seçili</select>"
             "<textarea name=metin wrap=soft>satır bir\nsatır iki</textarea>"
             "<input type=reset> <input type=button value=Düğme> <input type=submit name=gonder value=Gönder>"
             "</form><form><input type=radio name=r value=3 checked></form>"));
    view->SetBounds(0, 0, 500, 380);
    UpdateWindow(view->SurfaceHandle());
    TSectionList& doc = view->Document();
    ASSERT_EQ(doc.Forms.size(), 2u);
    ThtmlForm& form1 = *doc.Forms[0];
    auto control = [&](const std::string& name) -> TFormControlObj& {
        for (auto& c : form1.Controls)
            if (c->Name == name || (name == "submit" && c->ButtonType == "submit") ||
                (name == "reset" && c->ButtonType == "reset"))
                return *c;
        throw std::runtime_error(name);
    };
    std::vector<std::string> got;
    std::string action, method, target;
    bool insideClick = false;
    view->OnFormSubmit = [&](const std::string& a, const std::string& t, const std::string&,
                             const std::string& m, std::vector<std::string> results) {
        EXPECT_FALSE(insideClick);
        action = a;
        target = t;
        method = m;
        got = std::move(results);
    };
    // Change what the user can change, then press the submit button.
    auto window = [&](const std::string& name) {
        return view->FormWindows().Window(control(name))->Handle();
    };
    SetWindowTextA(window("pw"), "sır");
    SendMessageA(window("c2"), BM_CLICK, 0, 0);
    SendMessageA(window("R"), BM_CLICK, 0, 0); // same name ignoring case: r goes off
    Pump(20);
    EXPECT_EQ(SendMessageA(window("r"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // The other form's radio button of the same name stays.
    TFormControlObj& other = *doc.Forms[1]->Controls[0];
    EXPECT_EQ(SendMessageA(view->FormWindows().Window(other)->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    const HWND submit = window("submit");
    EXPECT_TRUE(IsWindowVisible(submit));
    RECT br{};
    GetClientRect(submit, &br);
    const LPARAM mid = MAKELPARAM(br.right / 2, br.bottom / 2);
    PostMessageA(submit, WM_LBUTTONDOWN, MK_LBUTTON, mid);
    PostMessageA(submit, WM_LBUTTONUP, 0, mid);
    ASSERT_TRUE(PumpUntil([&] { return !got.empty(); }, 3000));
    EXPECT_EQ(action, "go.cgi");
    EXPECT_EQ(method, "post");
    EXPECT_EQ(target, "t");
    EXPECT_EQ(got, (std::vector<std::string>{"ad=Ali", "pw=sır", "c1=on", "c2=x", "R=2", "h=gizli", "liste=a",
                                             "liste=İki", "secim=Seçili", "metin=satır birsatır iki",
                                             "gonder=Gönder"}));
    // Edit box sizes follow SIZE "30,1".
    EXPECT_EQ(control("pw").Width - 5, 30 * ((control("ad").Width - 5) / 20));
    // Reset puts back what the page said.
    const HWND reset = window("reset");
    PostMessageA(reset, WM_LBUTTONDOWN, MK_LBUTTON, mid);
    PostMessageA(reset, WM_LBUTTONUP, 0, mid);
    Pump(30);
    char text[64] = {};
    GetWindowTextA(window("pw"), text, sizeof text);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(SendMessageA(window("r"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(window("c2"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // Enter in an edit box submits after the key has been handled.
    got.clear();
    SendMessageA(window("ad"), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(got.empty());
    ASSERT_TRUE(PumpUntil([&] { return !got.empty(); }, 3000));
    EXPECT_EQ(got.front(), "ad=Ali");
    EXPECT_EQ(got.back(), "metin=satır birsatır iki"); // no button pressed
}

TEST_F(HtmlViewTest, ImageButtonSubmitsTheClickPoint) {
    folder->File("button.bmp", BmpBytes(40, 30, RGB(0, 0, 255)));
    view->LoadFromFile(Page("imagebutton.htm",
                            "<form action=ara><p>Ara: <input type=image name=pos src=button.bmp>"
                            "<input type=hidden name=t value=v></form>"
                            "<form><input type=image src=button.bmp></form>"));
    std::vector<std::vector<std::string>> got;
    std::vector<std::string> clicked;
    view->OnObjectClick = [&](TFormControlObj* c, const std::string&) { clicked.push_back(c->Name); };
    view->OnFormSubmit = [&](const std::string&, const std::string&, const std::string&, const std::string&,
                             std::vector<std::string> results) { got.push_back(std::move(results)); };
    TSectionList& doc = view->Document();
    for (size_t form = 0; form < 2; ++form) {
        const TImageObj& image = *doc.Forms[form]->Controls[0]->Image;
        Click(POINT{image.DrawX + view->OriginX() + 5, image.DrawY - view->Position() + 6});
    }
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 2; }, 3000));
    EXPECT_EQ(got[0], (std::vector<std::string>{"pos.x=5", "pos.y=6", "t=v"}));
    EXPECT_EQ(got[1], (std::vector<std::string>{"x=5", "y=6"}));
    EXPECT_EQ(clicked, (std::vector<std::string>{"pos", ""}));
    EXPECT_EQ(view->CurrentFile(), folder->Path() + "imagebutton.htm");
}

TEST_F(HtmlViewTest, EveryKindOfControlRaisesItsOnClick) {
    view->LoadFromFile(Page("clicks.htm", "<form><input name=e onclick=\"edit()\">"
                                          "<textarea name=m onclick=\"memo()\"></textarea>"
                                          "<select name=s onclick=\"pick()\"><option>a<option>b</select>"
                                          "<input type=checkbox name=c onclick=\"box()\"></form>"));
    UpdateWindow(view->SurfaceHandle());
    std::vector<std::string> clicked;
    view->OnObjectClick = [&](TFormControlObj*, const std::string& onClick) { clicked.push_back(onClick); };
    for (TFormControlObj* control : view->Document().FormControls) {
        const HWND w = view->FormWindows().Window(*control)->Handle();
        ASSERT_TRUE(IsWindowVisible(w)) << control->Name;
        PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        PostMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        Pump(10);
        // A drop-down's list opened by the press goes again.
        if (control->Kind == TControlKind::Combo) SendMessageA(w, CB_SHOWDROPDOWN, FALSE, 0);
    }
    ASSERT_GE(clicked.size(), 4u);
    EXPECT_EQ(clicked[0], "edit()");
    EXPECT_EQ(clicked[1], "memo()");
    EXPECT_EQ(clicked[2], "pick()");
    EXPECT_EQ(clicked.back(), "box()");
}

TEST_F(HtmlViewTest, ControlsLeaveTheViewWhenScrolledAway) {
    std::string html = "<form><input name=top value=here></form>";
    for (int i = 0; i < 100; ++i)
        html += "<p>line " + std::to_string(i);
    view->LoadFromFile(Page("scrollform.htm", html));
    UpdateWindow(view->SurfaceHandle());
    TFormControlObj& edit = *view->Document().FormControls[0];
    const HWND w = view->FormWindows().Window(edit)->Handle();
    EXPECT_TRUE(IsWindowVisible(w));
    RECT before{};
    GetWindowRect(w, &before);
    view->SetPosition(1000);
    UpdateWindow(view->SurfaceHandle());
    EXPECT_FALSE(IsWindowVisible(w));
    view->SetPosition(0);
    UpdateWindow(view->SurfaceHandle());
    EXPECT_TRUE(IsWindowVisible(w));
    RECT after{};
    GetWindowRect(w, &after);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.left, before.left);
}

TEST_F(HtmlViewTest, AnimatedGifStepsItsFrames) {
    const std::string gif = std::string(VELMORA_TEST_DATA) + "/images/gif_forever.gif";
    view->LoadFromFile(Page("anim.htm", "<p>anim <img src=\"" + gif + "\" width=40 height=40> <img src=\"" +
                                            gif + "\" width=20 height=20>"));
    UpdateWindow(view->SurfaceHandle());
    auto& images = dynamic_cast<TSection&>(*view->Document().Sections.back()).Images();
    ASSERT_EQ(images.size(), 2u);
    auto animation = [&](size_t i) {
        return dynamic_cast<const TCachedPicture&>(*images[i]->Picture).Animation();
    };
    ASSERT_NE(animation(0), nullptr);
    ASSERT_NE(animation(1), nullptr);
    EXPECT_NE(animation(0), animation(1)); // each runs on its own
    const int first = animation(0)->FrameIndex();
    ASSERT_TRUE(PumpUntil([&] { return animation(0)->FrameIndex() != first; }, 5000));
    EXPECT_EQ(view->Document().Animations.size(), 2u);
    // A new layout shows them from their first frame, still running.
    view->SetMarginWidth(view->MarginWidth() + 4);
    EXPECT_EQ(animation(0)->FrameIndex(), 1);
    EXPECT_TRUE(animation(0)->Animating());
    EXPECT_TRUE(PumpUntil([&] { return animation(0)->FrameIndex() != 1; }, 5000));
}

TEST_F(HtmlViewTest, PicturesAskedFromTheApplicationMayComeLater) {
    const std::string bmp = BmpBytes(30, 20, RGB(0, 128, 0));
    velmora::images::TMemoryStream now;
    now.Data().assign(bmp.begin(), bmp.end());
    std::vector<std::string> asked;
    view->OnImageRequest = [&](const std::string& src, velmora::images::TMemoryStream*& stream) {
        asked.push_back(src);
        stream = src == "now.bmp" ? &now : velmora::images::WaitImageStream();
    };
    view->LoadFromFile(Page("requests.htm", "<p><img src=now.bmp> <img src=later.bmp> <img src=later.bmp>"));
    EXPECT_EQ(asked, (std::vector<std::string>{"now.bmp", "later.bmp", "later.bmp"}));
    const auto& images = dynamic_cast<TSection&>(*view->Document().Sections.back()).Images();
    ASSERT_EQ(images.size(), 3u);
    EXPECT_EQ(images[0]->Kind, TImageObj::pkLoaded);
    EXPECT_EQ(images[1]->Kind, TImageObj::pkPending);
    velmora::images::TMemoryStream later;
    const std::string bigger = BmpBytes(50, 40, RGB(0, 0, 200));
    later.Data().assign(bigger.begin(), bigger.end());
    view->InsertImage("later.bmp", later);
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(images[i]->Kind, TImageObj::pkLoaded) << i;
        EXPECT_EQ(images[i]->ImageWidth, 50) << i;
    }
}

TEST_F(HtmlViewTest, FocusedControlIsScrolledIntoView) {
    std::string html;
    for (int i = 0; i < 80; ++i)
        html += "<p>before " + std::to_string(i);
    html += "<form><input name=deep></form>";
    for (int i = 0; i < 80; ++i)
        html += "<p>after " + std::to_string(i);
    view->LoadFromFile(Page("focus.htm", html));
    TFormControlObj& deep = *view->Document().FormControls[0];
    ASSERT_GT(deep.YValue, view->SurfaceHeight());
    SetFocus(view->FormWindows().Window(deep)->Handle());
    Pump(20);
    EXPECT_EQ(view->Position(), deep.YValue - view->SurfaceHeight() / 2);
    UpdateWindow(view->SurfaceHandle());
    EXPECT_TRUE(IsWindowVisible(view->FormWindows().Window(deep)->Handle()));
    // The focused control goes with its page.
    view->LoadFromFile(Page("after.htm", "<p>next"));
    EXPECT_EQ(view->FormWindows().Window(deep), nullptr);
}

TEST_F(HtmlViewTest, ATableLayoutRefusesGoesWithItsControlsAndTellsTheUser) {
    testing_support::ScriptedDialogs dialogs;
    std::string many = "<p>before<table><tr><td><input name=inside>";
    for (int i = 0; i < 300; ++i)
        many += "<td>c";
    many += "</table><p>after";
    view->LoadFromFile(Page("toomany.htm", many));
    ASSERT_FALSE(dialogs.Calls().empty());
    EXPECT_NE(dialogs.Calls().back().text.find("Table has too many Columns"), std::string::npos);
    EXPECT_TRUE(view->Document().FormControls.empty());
    for (const auto& section : view->Document().Sections)
        EXPECT_EQ(dynamic_cast<ThtmlTable*>(section.get()), nullptr);
    EXPECT_TRUE(view->Find("after", true));
}

TEST_F(HtmlViewTest, DraggingBelowTheViewScrollsAndSelects) {
    std::string html;
    for (int i = 0; i < 200; ++i)
        html += "<p>row " + std::to_string(i);
    view->LoadFromFile(Page("drag.htm", html));
    const POINT start = TextPoint("row 1");
    Post(WM_LBUTTONDOWN, MK_LBUTTON, start);
    Post(WM_MOUSEMOVE, MK_LBUTTON, POINT{start.x, view->SurfaceHeight() + 30}); // far below: 8 lines a step
    ASSERT_TRUE(PumpUntil([&] { return view->Position() >= 3 * 128; }, 4000));
    EXPECT_EQ(view->Position() % 128, 0);
    Post(WM_LBUTTONUP, 0, POINT{start.x, 100});
    Pump(250);
    const int32_t stopped = view->Position();
    Pump(250);
    EXPECT_EQ(view->Position(), stopped);
    EXPECT_LT(view->SelLength(), 0);
    EXPECT_NE(view->SelectedText().find("row 8\r\n"), std::string::npos) << view->SelectedText();
}

TEST_F(HtmlViewTest, ScrollBarsFollowTheirProperty) {
    std::string html;
    for (int i = 0; i < 100; ++i)
        html += "<p>row " + std::to_string(i);
    html += "<pre>" + std::string(300, 'w') + "</pre>";
    view->LoadFromFile(Page("bars.htm", html));
    EXPECT_TRUE(view->VScrollBar().Needed);
    EXPECT_TRUE(view->HScrollBar().Needed);
    const int32_t wide = view->SurfaceWidth();
    view->SetScrollBars(tk::TScrollStyle::ssNone);
    EXPECT_FALSE(IsWindowVisible(view->VScrollBar().Handle()));
    EXPECT_FALSE(IsWindowVisible(view->HScrollBar().Handle()));
    EXPECT_GT(view->SurfaceWidth(), wide);
    view->SetScrollBars(tk::TScrollStyle::ssBoth);
    view->LoadFromFile(Page("short.htm", "<p>short"));
    EXPECT_FALSE(IsWindowVisible(view->VScrollBar().Handle()));
    view->SethtOptions(htShowVScroll);
    EXPECT_TRUE(IsWindowVisible(view->VScrollBar().Handle()));
    EXPECT_FALSE(IsWindowEnabled(view->VScrollBar().Handle()) && view->VScrollBar().Needed);
}

TEST_F(HtmlViewTest, RightClickTellsWhatIsUnderTheMouse) {
    view->LoadFromFile(Page("right.htm", "<p>Bir <a href=\"iki.htm\" target=yan>ikinci</a> söz"));
    std::vector<TRightClickParameters> got;
    view->OnRightClick = [&](const TRightClickParameters& p) { got.push_back(p); };
    const POINT p = TextPoint("ikinci", 4);
    Post(WM_RBUTTONDOWN, MK_RBUTTON, p);
    Post(WM_RBUTTONUP, 0, p);
    Pump(30);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].URL, "iki.htm");
    EXPECT_EQ(got[0].Target, "yan");
    EXPECT_EQ(got[0].ClickWord, "ikinci");
    EXPECT_EQ(got[0].Image, nullptr);
}

TEST_F(HtmlViewTest, ExifJpegShows) {
    view->LoadImageFile(std::string(VELMORA_TEST_DATA) + "/images/jpeg_exif.jpg");
    const auto& images = dynamic_cast<TSection&>(*view->Document().Sections.back()).Images();
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->Kind, TImageObj::pkLoaded);
    EXPECT_EQ(images[0]->ImageWidth, 16);
}

TEST_F(HtmlViewTest, PictureWithALongPathShowsAlone) {
    // Longer than the 245 characters a one-line page could once hold.
    std::string sub = folder->Path();
    while (sub.size() < 200) {
        sub += "uzun_klasor_adi_";
        sub += std::to_string(sub.size()) + "\\";
        CreateDirectoryA(sub.c_str(), nullptr);
    }
    const std::string path = sub + std::string(250 - sub.size(), 'r') + ".bmp";
    ASSERT_GT(path.size(), 245u);
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const std::string bmp = BmpBytes(12, 10, RGB(1, 2, 3));
    std::fwrite(bmp.data(), 1, bmp.size(), f);
    std::fclose(f);
    view->LoadImageFile(path);
    const auto& images = dynamic_cast<TSection&>(*view->Document().Sections.back()).Images();
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->Kind, TImageObj::pkLoaded);
    EXPECT_EQ(images[0]->ImageWidth, 12);
}

// A page of every kind of content, saved for the eye when VELMORA_HEX_SHOT names a file.
TEST_F(HtmlViewTest, APageForTheEye) {
    folder->File("eye.bmp", BmpBytes(40, 30, RGB(0, 160, 0)));
    view->SetBounds(0, 0, 500, 380);
    view->LoadFromFile(Page("eye.htm",
                            "<body bgcolor=white><h2>Başlık</h2><p>Bir <a href=\"x.htm\">bağlantı</a> ve "
                            "<b>kalın</b> <i>eğik</i> yazı. <img src=eye.bmp align=right>"
                            "<ul><li>bir<li>iki<ul><li>üç</ul></ul>"
                            "<table border=1><tr><td>A<td>B<tr><td colspan=2>C</table>"
                            "<form>Ad: <input name=ad value=Ali> <input type=checkbox checked> "
                            "<select><option>seç</select> <input type=submit value=Gönder><br>"
                            "<textarea rows=2 cols=20>metin</textarea></form><hr>"));
    view->Find("kalın", true);
    UpdateWindow(view->SurfaceHandle());
    Pump(20);
    SaveWindowShot(view->Handle(), "_html");
    EXPECT_TRUE(IsWindowVisible(view->FormWindows().Window(*view->Document().FormControls[0])->Handle()));
}

TEST_F(HtmlViewTest, ClearAndMetaRefresh) {
    std::vector<std::pair<int32_t, std::string>> refreshes;
    std::vector<std::string> metas;
    view->OnMeta = [&](const std::string& h, const std::string& n, const std::string&) {
        metas.push_back(h + "|" + n);
    };
    view->OnMetaRefresh = [&](int32_t delay, const std::string& url) { refreshes.push_back({delay, url}); };
    const std::string page = Page("meta.htm", "<title>Meta</title><meta name=author content=x>"
                                              "<meta http-equiv=Refresh content=\"0; URL=Next.htm\">"
                                              "<meta http-equiv=refresh content=\"late\"><p>body");
    view->LoadFromFile(page);
    EXPECT_EQ(metas.size(), 3u);
    ASSERT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(refreshes[0], (std::pair<int32_t, std::string>{1, "Next.htm"}));
    EXPECT_EQ(view->DocumentTitle(), "Meta");
    view->Clear();
    EXPECT_EQ(view->DocumentTitle(), "");
    EXPECT_TRUE(view->Document().Sections.empty());
    EXPECT_EQ(view->CurrentFile(), page); // kept
    EXPECT_FALSE(IsWindowVisible(view->VScrollBar().Handle()));
}

} // namespace
