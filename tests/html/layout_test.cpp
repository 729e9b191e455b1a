// Layout, painting and hit tests with the fixed-metrics fake: a character of
// a 12-point font is 6 pixels wide, a line 18 pixels high (descent 4).
// Golden dumps: each page in layout_pages/ is laid out and painted, and the
// dump must match golden/layout_<page>.txt (VELMORA_REGENERATE_GOLDEN=1
// rewrites them).
#include "html/builder.h"
#include "html/dump.h"
#include "html/forms.h"
#include "html/layout.h"
#include "html/paint.h"
#include "html/table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace velmora::html;

namespace {

const std::string kDir = VELMORA_HTML_TEST_DIR;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Pictures named "p<width>x<height>.gif"; anything else is broken.
class SizedPictures final : public TPictureSource {
public:
    struct Handle final : TImageHandle {
        int32_t W, H;
        Handle(int32_t w, int32_t h) : W(w), H(h) {}
        int32_t Width() const override { return W; }
        int32_t Height() const override { return H; }
    };
    TImageObj::PictureKind Fetch(TImageObj& image) override {
        ++Fetches;
        int w = 0, h = 0;
        if (std::sscanf(image.Source.c_str(), "p%dx%d", &w, &h) != 2) return TImageObj::pkBroken;
        image.Picture = std::make_unique<Handle>(w, h);
        return TImageObj::pkLoaded;
    }
    int Fetches = 0;
};

struct Page {
    FixedFontMetrics metrics;
    SizedPictures pictures;
    TSectionList doc{metrics};
    TAnchorList anchors;
    TViewState view;
    int32_t height = 0;

    explicit Page(std::string_view html, int32_t width = 400) {
        doc.Pictures = &pictures;
        ParseHtmlText(doc, anchors, html);
        height = doc.LayOut(width, 0);
    }
    std::string Paint(int32_t top = 0, int32_t bottom = 100000) {
        TPaintContext pc(doc, view, {0, top, 2000, bottom}, 0);
        PaintDocument(pc);
        return DumpPaint(pc);
    }
    TSection& Text(size_t i) { return dynamic_cast<TSection&>(*doc.Sections.at(i)); }
    // The first text section whose text starts with the given words.
    TSection& TextStarting(std::string_view start) {
        for (auto& s : doc.Sections)
            if (auto* t = dynamic_cast<TSection*>(s.get()); t && t->Buff.starts_with(start)) return *t;
        throw std::runtime_error("no section starts with " + std::string(start));
    }
    ThtmlTable& Table(size_t n) {
        for (auto& s : doc.Sections)
            if (auto* t = dynamic_cast<ThtmlTable*>(s.get()); t && n-- == 0) return *t;
        throw std::runtime_error("no such table");
    }
};

class LayoutGolden : public testing::TestWithParam<const char*> {};

TEST_P(LayoutGolden, DumpMatches) {
    const std::string name = GetParam();
    const std::string html = ReadFile(kDir + "/layout_pages/" + name + ".htm");
    ASSERT_FALSE(html.empty()) << name;
    Page page(html);
    const std::string dump = DumpLayout(page.doc) + "---- painted\n" + page.Paint();
    const std::string goldenPath = kDir + "/golden/layout_" + name + ".txt";
    const char* regenerate = std::getenv("VELMORA_REGENERATE_GOLDEN");
    if (regenerate && *regenerate && std::string(regenerate) != "0") {
        std::ofstream(goldenPath, std::ios::binary) << dump;
        return;
    }
    EXPECT_EQ(dump, ReadFile(goldenPath)) << "golden file " << goldenPath;
}

INSTANTIATE_TEST_SUITE_P(Pages, LayoutGolden,
                         testing::Values("floats", "text", "images", "lists", "lists_black", "roman",
                                         "tables"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

} // namespace

namespace {

// ---- the contract ----

TEST(LayoutContract, TextIsMeasuredARunAtATimeNotACharacterAtATime) {
    std::string html = "<p>";
    for (int i = 0; i < 2000; ++i)
        html += "word" + std::to_string(i % 10) + " ";
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    TAnchorList anchors;
    ParseHtmlText(doc, anchors, html);
    metrics.Calls = 0;
    doc.LayOut(400, 0);
    const auto& lines = dynamic_cast<TSection&>(*doc.Sections.back()).Lines();
    ASSERT_GT(lines.size(), 100u);
    // One measuring call to fit a line and one for its width.
    EXPECT_LE(metrics.Calls, 2 * lines.size() + 10);
}

TEST(LayoutContract, FontTableEntriesStayPutWhenHoverAndVisitedColoursAddFonts) {
    Page page("<a href=a.htm>link</a> text");
    const TFontEntry& first = page.doc.Font(0);
    const std::string name = first.Font.Name;
    TSection& s = page.Text(0);
    for (TColor c = 1; c < 200; ++c) {
        page.doc.LinkActiveColor = c;
        s.Fonts[0].SetHover(page.doc, true);
        s.Fonts[0].SetHover(page.doc, false);
    }
    page.doc.LinkVisitedColor = 0x123456;
    s.Fonts[0].SetVisited(page.doc, true);
    EXPECT_EQ(&page.doc.Font(0), &first);
    EXPECT_EQ(first.Font.Name, name);
    EXPECT_EQ(s.Fonts[0].TheFont(page.doc).Color, 0x123456u);
}

TEST(LayoutContract, CharacterTenIsWhiteSpaceInTextAndALineEndInPre) {
    Page page("<p>one&#10;two<pre>a&#10;b</pre>");
    EXPECT_EQ(page.TextStarting("one").Buff, "one two");
    EXPECT_EQ(page.TextStarting("a").Buff, "a");
    EXPECT_EQ(page.TextStarting("b").Buff, "b");
}

TEST(LayoutContract, MapInsidePreLeavesTheNextTagToPre) {
    Page page("<pre>x<map name=m><area coords=1,2,3,4 href=a></map></pre>after");
    EXPECT_FALSE(page.TextStarting("after").IsPreformatted());
    Page lines("<pre>a<map name=m></map>b\rc</pre>");
    EXPECT_EQ(lines.TextStarting("a").Buff, "ab");
    EXPECT_EQ(lines.TextStarting("c").Buff, "c");
    EXPECT_EQ(lines.doc.Maps.size(), 1u);
}

TEST(LayoutContract, ControlsBeforeBodyGoWithTheTextBodyThrowsAway) {
    Page page("<form><input name=early><input type=image src=x.gif name=button></form><body>"
              "<form><input name=late></form>");
    ASSERT_EQ(page.doc.FormControls.size(), 1u);
    EXPECT_EQ(page.doc.FormControls[0]->Name, "late");
    size_t controls = 0;
    for (auto& form : page.doc.Forms)
        controls += form->Controls.size();
    EXPECT_EQ(controls, 1u);
    EXPECT_EQ(CheckDocument(page.doc, page.anchors), "");
}

TEST(LayoutContract, TableWithTooManyColumnsIsReportedAndRemovedWithWhatPointsIntoIt) {
    std::string html =
        "<p>before<table><tr><td><a name=inside href=x.htm>link</a><form><input name=field></form>"
        "<img src=p10x10.gif>";
    for (int i = 0; i < 201; ++i)
        html += "<td>c";
    html += "</table><a name=after href=y.htm>after</a>";
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    TAnchorList anchors;
    ParseHtmlText(doc, anchors, html);
    std::vector<std::string> errors;
    doc.OnLayoutError = [&](const std::string& e) { errors.push_back(e); };
    doc.LayOut(400, 0);
    EXPECT_EQ(errors, std::vector<std::string>{"Table has too many Columns"});
    for (auto& s : doc.Sections)
        EXPECT_EQ(dynamic_cast<ThtmlTable*>(s.get()), nullptr);
    EXPECT_EQ(anchors.count("INSIDE"), 0u);
    EXPECT_EQ(anchors.count("AFTER"), 1u);
    EXPECT_TRUE(doc.FormControls.empty());
    ASSERT_EQ(doc.LinkRuns.size(), 1u);
    EXPECT_EQ(doc.LinkRuns[0].Run().Url(doc), "y.htm");
    EXPECT_EQ(CheckDocument(doc, anchors), "");
    // The rest of the page is laid out as if the table had not been there.
    EXPECT_EQ(dynamic_cast<TSection&>(*doc.Sections.back()).Buff, "after");
}

TEST(LayoutContract, ScrollAndSelectionComeFromTheView) {
    Page page("<p>first line<p>second line");
    const TSection& second = page.TextStarting("second");
    page.view.ScrollY = second.YValue;
    page.view.SelB = second.StartCurs;
    page.view.SelE = second.StartCurs + 6;
    const std::string painted = page.Paint(0, 18);
    EXPECT_EQ(painted.find("first"), std::string::npos) << painted;
    // Selected text in the background colour on the text colour.
    EXPECT_NE(
        painted.find("text 0,14 font=0 #C0C0C0 on #000000 \"second\"\ntext 36,14 font=0 #000000 \" line\""),
        std::string::npos)
        << painted;
}

// ---- text layout ----

TEST(TextLayout, LeftFloatAfterTextGoesBelowTheLineAndTextFlowsBesideIt) {
    Page page("<p>a<img align=left src=p40x30.gif>b " +
              std::string(200, 'x').replace(0, 200, std::string(60, 'w') + " " + std::string(60, 'v')));
    TSection& s = page.TextStarting("a");
    const TImageObj& img = *s.Images()[0];
    const auto& lines = s.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(img.DrawY, lines[0].DrawY + 18);
    EXPECT_EQ(img.DrawX, 0);
    EXPECT_EQ(lines[1].DrawX, 45); // beside the float: width + HSPACE
}

TEST(TextLayout, FloatAtTheStartOfAParagraphIsPlacedAtOnce) {
    Page page("<p><img align=left src=p40x30.gif>text");
    TSection& s = page.doc.Sections.size() > 2 ? page.TextStarting("\x04") : page.Text(0);
    EXPECT_EQ(s.Images()[0]->DrawY, s.YValue);
    EXPECT_EQ(s.Lines()[0].DrawX, 45);
}

TEST(TextLayout, BreakClearLeftStartsBelowTheFloat) {
    Page page("<p><img align=left src=p20x60.gif>x<br clear=left>below");
    const TSection& below = page.TextStarting("below");
    const TImageObj& img = *page.TextStarting("\x04").Images()[0];
    EXPECT_EQ(below.Lines().back().DrawY, img.DrawY + 60);
    EXPECT_EQ(below.Lines().back().DrawX, 0);
}

TEST(TextLayout, TrailingSpacesDoNotMoveCentredOrRightAlignedLines) {
    Page page("<center>abc   </center><div align=right>abc   </div>");
    EXPECT_EQ(page.TextStarting("abc").Lines()[0].DrawX, (400 - 18) / 2);
    int right = 0;
    for (auto& s : page.doc.Sections)
        if (auto* t = dynamic_cast<TSection*>(s.get()); t && t->Justify == 3 && !t->Buff.empty())
            right = t->Lines()[0].DrawX;
    EXPECT_EQ(right, 400 - 18 - 1);
}

TEST(TextLayout, WordWiderThanTheLineOverflowsAndWidensTheDocument) {
    Page page("<p>" + std::string(100, 'w') + " next");
    const auto& lines = page.TextStarting("w").Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Ln, 101);
    EXPECT_EQ(page.doc.DocumentWidth, 600);
}

TEST(TextLayout, PictureSizes) {
    Page page("<img src=p100x50.gif width=50> <img src=p100x50.gif height=10> <img src=p100x50.gif width=50%>"
              " <img src=gone.gif alt=\"Garden\"> <img src=gone.gif width=5 height=6>");
    const auto& images = page.Text(0).Images();
    auto size = [&](size_t i) { return std::pair{images[i]->ImageWidth, images[i]->ImageHeight}; };
    EXPECT_EQ(size(0), (std::pair{50, 25}));
    EXPECT_EQ(size(1), (std::pair{20, 10}));
    EXPECT_EQ(size(2), (std::pair{200, 50}));
    EXPECT_EQ(size(3), (std::pair{24 + 2 + 24, 24})); // "Garden" in Arial 8 is 24 wide
    EXPECT_EQ(size(4), (std::pair{24, 24}));          // placeholders are at least 24 x 24
    // Sizes are fixed after the first layout except percentages.
    page.doc.LayOut(300, 0);
    EXPECT_EQ(size(0), (std::pair{50, 25}));
    EXPECT_EQ(size(2), (std::pair{150, 50}));
    EXPECT_EQ(page.pictures.Fetches, 5); // each picture once
}

TEST(TextLayout, PicturesOffShowPlaceholders) {
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    TAnchorList anchors;
    SizedPictures pictures;
    doc.Pictures = &pictures;
    doc.ShowImages = false;
    ParseHtmlText(doc, anchors, "<img src=p100x50.gif alt=\"A picture\">");
    doc.LayOut(400, 0);
    const TImageObj& img = *dynamic_cast<TSection&>(*doc.Sections.back()).Images()[0];
    EXPECT_EQ(img.Kind, TImageObj::pkPending);
    EXPECT_EQ(pictures.Fetches, 0);
    EXPECT_EQ(img.ImageWidth, 9 * 4 + 2 + 24);
}

// ---- hit tests ----

TEST(HitTests, LinksImagesCaretAndSearch) {
    Page page("<p>plain <a href=\"to.htm\" target=t>linked</a> <a href=map.htm><img src=p20x20.gif ismap></a>"
              "<p>Second Paragraph");
    const TSection& s = page.TextStarting("plain");
    const int32_t top = s.Lines()[0].DrawY, y = top + s.Lines()[0].SpaceBefore + 5;
    THotSpot hit;
    EXPECT_FALSE(page.doc.HotSpotAt(3, y, hit));
    ASSERT_TRUE(page.doc.HotSpotAt(6 * 6 + 3, y, hit));
    EXPECT_EQ(hit.Url, "to.htm");
    EXPECT_EQ(hit.Target, "t");
    EXPECT_EQ(page.doc.HoverSection, &s);
    const TImageObj& img = *s.Images()[0];
    hit = {};
    ASSERT_TRUE(page.doc.HotSpotAt(img.DrawX + 1 + 4, img.DrawY + 1 + 7, hit));
    EXPECT_EQ(hit.Url, "map.htm?4,7");
    int32_t ix = 0, iy = 0;
    EXPECT_EQ(page.doc.ImageAt(img.DrawX + 3, img.DrawY + 2, ix, iy), &img);
    EXPECT_EQ(std::pair(ix, iy), std::pair(2, 1));

    TCaretInfo caret;
    EXPECT_EQ(page.doc.CaretPosAt(6 * 2 + 2, y, caret), 2); // left half of the third character
    EXPECT_EQ(page.doc.CaretPosAt(6 * 2 + 4, y, caret), 3); // right half
    EXPECT_EQ(caret.X, 18);
    EXPECT_TRUE(caret.InText);
    EXPECT_EQ(page.doc.CaretPosAt(-5, y, caret), 0);
    EXPECT_FALSE(caret.InText);
    int32_t x = 0, cy = 0;
    ASSERT_TRUE(page.doc.CaretPosToXY(3, x, cy));
    EXPECT_EQ(std::pair(x, cy), std::pair(18, top));
    const int32_t second = page.doc.SearchText("paragraph", false, 0);
    char ch = 0;
    TSectionBase* where = nullptr;
    ASSERT_TRUE(page.doc.CharAt(second, ch, where));
    EXPECT_EQ(ch, 'P');
    EXPECT_EQ(where, &page.TextStarting("Second"));
    EXPECT_EQ(page.doc.SearchText("paragraph", true, 0), -1);
    EXPECT_EQ(page.doc.SearchText("Second", true, second), -1);
    std::string copied;
    page.doc.CopySelectedText(0, 12, copied);
    EXPECT_EQ(copied, "plain linked");
}

TEST(HitTests, CellsOfTables) {
    Page page("<table><tr><td>one<td><a href=cell.htm>two</a></table>");
    ThtmlTable& t = page.Table(0);
    const TCellObj& cell = *t.Rows[0]->Cells[1];
    const auto& line = dynamic_cast<TSection&>(*cell.Cell.Sections.back()).Lines()[0];
    THotSpot hit;
    ASSERT_TRUE(page.doc.HotSpotAt(line.DrawX + 2, line.DrawY + 5, hit));
    EXPECT_EQ(hit.Url, "cell.htm");
    char ch = 0;
    TSectionBase* where = nullptr;
    ASSERT_TRUE(page.doc.CharAt(3, ch, where));
    EXPECT_EQ(ch, 't');
}

// ---- table columns and heights ----

// Column widths of the first table of a page laid out at a given width.
std::vector<int32_t> ColumnWidthsOf(std::string_view html, int32_t width) {
    Page page(html, width);
    return page.Table(0).ColWidths;
}

std::string Words(int n) {
    std::string words;
    for (int i = 0; i < n; ++i)
        words += " word" + std::to_string(i);
    return words;
}

TEST(TableColumns, PercentageColumnsOfATableWithoutWidthThatDoesNotFit) {
    // A 50% column beside a long text holds half the room, not its few letters.
    Page page("<table><tr><td width=50% bgcolor=red>a<td>" + Words(120) + "</table>", 547);
    const ThtmlTable& t = page.Table(0);
    const int32_t room = 547 - t.CellSpacing;
    ASSERT_EQ(t.ColWidths.size(), 2u);
    EXPECT_NEAR(t.ColWidths[0], room / 2, 1);
    EXPECT_NEAR(t.ColWidths[0] + t.ColWidths[1], room, 1);
    // Two percentage columns keep their shares; the rest goes to the text.
    const auto three =
        ColumnWidthsOf("<table><tr><td width=20%>a<td width=30%>b<td>" + Words(120) + "</table>", 602);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_NEAR(three[0], 120, 1);
    EXPECT_NEAR(three[1], 180, 1);
    EXPECT_NEAR(three[0] + three[1] + three[2], 600, 1);
}

TEST(TableColumns, PercentagesSharedOverCellsSpanningSeveralColumns) {
    // WIDTH=400 leaves 398 for the columns (CELLSPACING 2); a one-letter column needs 10 (6 + padding and
    // spacing).
    const struct {
        const char* html;
        std::vector<int32_t> widths;
    } cases[] = {
        // 60% over a 10% column and a free one: the free one takes the other 50%.
        {"<table width=400><tr><td colspan=2 width=60%>x<td>y<tr><td width=10%>a<td>b<td>c</table>",
         {40, 199, 159}},
        // 80% over 10% and 30%: both scaled up proportionally, to 20% and 60%.
        {"<table width=400><tr><td colspan=2 width=80%>x<td>y<tr><td width=10%>a<td width=30%>b<td>c</table>",
         {80, 239, 79}},
        // A spanning cell whose percentage the columns already exceed changes nothing.
        {"<table width=400><tr><td colspan=2 width=20%>x<td>y<tr><td width=25%>a<td width=25%>b<td>c</table>",
         {100, 100, 198}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColumnWidthsOf(c.html, 600), c.widths) << c.html;
}

TEST(TableColumns, HeightInPercentOfTheView) {
    auto rowHeights = [](std::string_view html) {
        Page page(html);
        page.doc.ClientHeight = 500;
        page.doc.MarginHeight = 10;
        page.doc.LayOut(400, 0);
        std::vector<int32_t> heights;
        for (const auto& row : page.Table(0).Rows)
            heights.push_back(row->RowHeight);
        return heights;
    };
    // 100%: the view less its margins, the spacing and 3, shared by the rows, the last taking the rest.
    const int32_t wanted = 500 - 2 * 10 - 2 - 3;
    auto heights = rowHeights("<table height=100%><tr><td>a<tr><td>b<tr><td>c</table>");
    ASSERT_EQ(heights.size(), 3u);
    EXPECT_EQ(heights[0] + heights[1] + heights[2], wanted);
    EXPECT_EQ(heights[0], heights[1]);
    EXPECT_LE(heights[2] - heights[1], 2);
    // 50% of that, and a table taller than its HEIGHT keeps its own rows.
    heights = rowHeights("<table height=50%><tr><td>a<tr><td>b</table>");
    EXPECT_EQ(heights[0] + heights[1], (wanted + 1) / 2); // 237.5 rounds up
    heights = rowHeights("<table height=1%><tr><td>a<tr><td>b</table>");
    EXPECT_EQ(heights[0], heights[1]);
    EXPECT_LT(heights[0], 40);
}

TEST(TableColumns, TextCopiedFromCellsIsIndentedFromTheCellsEdge) {
    // The second column starts far right and the table is centred: only the
    // list step inside the cell gives spaces.
    Page page("<table align=center><tr><td>" + Words(3) +
                  "<td>second<ul><li>item</ul></table><ul><li>top</ul>",
              600);
    std::string copied;
    page.doc.CopySelectedText(0, 100000, copied);
    EXPECT_EQ(copied, "word0 word1 word2\r\nsecond\r\n   item\r\n   top\r\n");
}

// ---- painting ----

TEST(Painting, ALinksUnderlineStopsAtItsLastCharacter) {
    // The spaces that end a link are passed over, not drawn underlined; inside
    // a link, and before more of the same link, they are drawn.
    const struct {
        const char* html;
        const char* drawn;
        const char* notDrawn;
    } cases[] = {
        {"<a href=x>one\n</a>two", "\"one\"", "\"one \""},
        {"<a href=x>one   </a>two", "\"one\"", "\"one \""},
        {"<a href=x>one two</a> three", "\"one two\"", "\"one two \""},
        {"<a href=x>one <b>two</b></a>", "\"one \"", "\"one\""},
        {"<u>one </u>two", "\"one \"", "\"one\""},
    };
    for (const auto& c : cases) {
        Page page(c.html);
        const std::string painted = page.Paint();
        EXPECT_NE(painted.find(c.drawn), std::string::npos) << c.html << "\n" << painted;
        EXPECT_EQ(painted.find(c.notDrawn), std::string::npos) << c.html << "\n" << painted;
    }
}

TEST(Painting, AltTextOfAMissingPictureTakesTheSurroundingTextsColour) {
    const struct {
        const char* html;
        const char* colour;
    } cases[] = {
        {"<font color=#FF0000><img src=gone.gif alt=gone></font>", "#FF0000"},
        {"<body text=#00FF00><img src=gone.gif alt=gone>", "#00FF00"},
        {"<a href=x><font color=#0000FF><img src=gone.gif alt=gone></font></a>", "#0000FF"},
    };
    for (const auto& c : cases) {
        Page page(c.html);
        const std::string painted = page.Paint();
        const size_t at = painted.find("\"gone\"");
        ASSERT_NE(at, std::string::npos) << c.html << "\n" << painted;
        const size_t lineStart = painted.rfind('\n', at) + 1;
        EXPECT_NE(painted.substr(lineStart, at - lineStart).find(c.colour), std::string::npos)
            << c.html << "\n"
            << painted;
    }
}

TEST(Painting, OnlyTheSectionsOnScreenAreTouched) {
    std::string html;
    for (int i = 0; i < 1000; ++i)
        html += "<p>paragraph " + std::to_string(i);
    Page page(html);
    TPaintContext pc(page.doc, page.view, {0, 0, 400, 300}, 0);
    page.view.ScrollY = page.height / 2;
    PaintDocument(pc);
    EXPECT_GT(pc.SectionsPainted, 5u);
    EXPECT_LT(pc.SectionsPainted, 30u);
}

// ---- pages that try to hurt ----

TEST(Pathological, DeepNesting) {
    std::string deep;
    for (int i = 0; i < 300; ++i)
        deep += "<table><tr><td>";
    Page page(deep + "core");
    EXPECT_GT(page.height, 0);
}

TEST(Pathological, TenThousandColumns) {
    std::string wide = "<table><tr>";
    for (int i = 0; i < 10000; ++i)
        wide += "<td>c";
    Page page(wide + "</table>after");
    EXPECT_EQ(page.doc.LayoutErrors.size(), 1u);
}

TEST(Pathological, TwoMegabyteWord) {
    Page page("<p>" + std::string(2 << 20, 'w') + " end");
    EXPECT_EQ(page.TextStarting("w").Lines().size(), 2u);
}

TEST(Pathological, HundredThousandFloats) {
    std::string floats = "<p>";
    for (int i = 0; i < 100000; ++i)
        floats += i % 2 ? "<img align=left src=p10x10.gif>x " : "<img align=right src=p10x10.gif>";
    Page page(floats);
    EXPECT_GT(page.height, 0);
}

} // namespace
