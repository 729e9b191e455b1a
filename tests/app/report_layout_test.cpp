#include "app/report_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace velmora::app;

namespace {

// Every character is half as wide as the font is high; ascent 4/5, descent 1/5.
class FixedMetrics : public TReportMetrics {
public:
    TReportFontExtent Extent(const TReportFont& font) override {
        return {font.twips * 4 / 5, font.twips / 5};
    }
    void PrefixWidths(const TReportFont& font, std::string_view text, std::vector<int32_t>& widths) override {
        widths.resize(text.size());
        for (size_t i = 0; i < text.size(); ++i)
            widths[i] = static_cast<int32_t>(i + 1) * font.twips / 2;
    }
};

TReportDocument OneParagraph(const std::string& text, TReportAlign align = TReportAlign::raLeft) {
    TReportDocument d;
    d.paragraphs.push_back(TReportParagraph{.runs = {TReportRun{0, text}}, .align = align});
    return d;
}

std::string LineText(const TReportDocument& d, const TReportLine& line) {
    std::string all;
    for (const TReportRun& run : d.paragraphs[line.paragraph].runs)
        all += run.text;
    return all.substr(line.start, line.end - line.start);
}

std::vector<std::string> Texts(const TReportPage& page) {
    std::vector<std::string> texts;
    for (const TReportOp& op : page.ops)
        if (op.kind == TReportOpKind::okText) texts.push_back(op.text);
    return texts;
}

const TReportOp* FindText(const TReportPage& page, const std::string& text) {
    for (const TReportOp& op : page.ops)
        if (op.kind == TReportOpKind::okText && op.text == text) return &op;
    return nullptr;
}

int32_t Right(const TReportOp& op) {
    int32_t x = op.x;
    for (int32_t a : op.advances)
        x += a;
    return x;
}

} // namespace

TEST(ReportUnits, MillimetresToTwipsAndDevices) {
    struct Case {
        int32_t hundredths, twips;
    } mm[] = {{2540, 1440}, {1000, 567}, {21590, 12240}, {27940, 15840}, {0, 0}, {-1000, -567}};
    for (const Case& c : mm)
        EXPECT_EQ(MmToTwips(c.hundredths), c.twips) << c.hundredths;
    struct Device {
        int32_t twips, dpi, units;
    } device[] = {{1440, 96, 96}, {12240, 300, 2550}, {567, 600, 236},
                  {15, 96, 1},    {7, 96, 0},         {15840, 1200, 13200}};
    for (const Device& c : device)
        EXPECT_EQ(TwipsToDevice(c.twips, c.dpi), c.units) << c.twips << "@" << c.dpi;
}

TEST(ReportGeometry, LetterPageWithBandsInsideTheMargins) {
    const TReportGeometry& g = ReportGeometry();
    EXPECT_EQ(g.paper, (TReportRect{0, 0, 12240, 15840}));
    EXPECT_EQ(g.printable, (TReportRect{567, 567, 12240 - 567, 15840 - 567}));
    EXPECT_EQ(g.header.top, g.printable.top);
    EXPECT_EQ(g.header.Height(), MmToTwips(1580) - 567);
    EXPECT_EQ(g.header.bottom, g.detail.top);
    EXPECT_EQ(g.detail.bottom, g.footer.top);
    // The footer keeps its height and ends at the bottom margin: the bands
    // never run off the paper, so every page shows its footer.
    EXPECT_EQ(g.footer.bottom, g.printable.bottom);
    EXPECT_EQ(g.footer.Height(), MmToTwips(27940 - 1000) - MmToTwips(27940 - 1560));
    EXPECT_EQ(g.headerRule.Width(), g.footerRule.Width());
    EXPECT_NEAR(g.headerRule.Width(), MmToTwips(19530), 1);
    EXPECT_EQ(g.headerRule.top, MmToTwips(1450));
    EXPECT_EQ(g.footerRule.top, g.footer.top);
    EXPECT_EQ(g.detailText.left, MmToTwips(1030));
    EXPECT_NEAR(g.detailText.Width(), MmToTwips(19530), 1);
    EXPECT_EQ(g.detailText.top, MmToTwips(1610));
    EXPECT_GT(g.detailText.Height(), MmToTwips(24700));
    EXPECT_LE(g.detailText.bottom, g.footer.top);
    EXPECT_NEAR(g.footerCaption.Width(), MmToTwips(6430), 1);
    EXPECT_LE(g.headerRight, g.printable.right);
}

TEST(ReportLayout, WordsWrapAtSpacesAndLongWordsWhereTheyMust) {
    FixedMetrics metrics; // 240 twips high: 120 wide per character
    struct Case {
        std::string text;
        int32_t width;
        std::vector<std::string> lines;
    } cases[] = {
        {"aaa bbb ccc", 1000, {"aaa bbb ", "ccc"}},
        {"aaa bbb ccc", 2000, {"aaa bbb ccc"}},
        {"xxxxxxxxxxxxx", 1000, {"xxxxxxxx", "xxxxx"}},
        {"ab     cd", 500, {"ab     ", "cd"}}, // spaces hang over the edge
        {"abc", 50, {"a", "b", "c"}},          // at least one character a line
        {"", 1000, {""}},
    };
    for (const Case& c : cases) {
        TReportDocument d = OneParagraph(c.text);
        std::vector<std::string> got;
        for (const TReportLine& line : LayoutLines(d, c.width, metrics))
            got.push_back(LineText(d, line));
        EXPECT_EQ(got, c.lines) << c.text << " in " << c.width;
    }
}

TEST(ReportLayout, AlignmentIndentsTabsAndBullets) {
    FixedMetrics metrics;
    struct Case {
        const char* name;
        TReportParagraph paragraph;
        std::vector<int32_t> lefts;
    } cases[] = {
        {"left", {.runs = {{0, "abc"}}}, {0}},
        {"right", {.runs = {{0, "abc "}}, .align = TReportAlign::raRight}, {1200 - 360}},
        {"centre", {.runs = {{0, "abc"}}, .align = TReportAlign::raCenter}, {(1200 - 360) / 2}},
        {"hanging", {.runs = {{0, "aaaa bbbb cccc"}}, .startIndent = 120, .offset = 240}, {120, 360}},
        {"right indent", {.runs = {{0, "aaaa bbbb"}}, .rightIndent = 480}, {0, 0}},
        // The bullet's room: its character and a space.
        {"bullet", {.runs = {{0, "aaaa bbbb"}}, .bullet = true, .startIndent = 0, .offset = 0}, {240, 240}},
        {"bullet hanging", {.runs = {{0, "a"}}, .bullet = true, .startIndent = 360, .offset = 360}, {720}},
    };
    for (const Case& c : cases) {
        TReportDocument d;
        d.paragraphs.push_back(c.paragraph);
        std::vector<int32_t> lefts;
        for (const TReportLine& line : LayoutLines(d, 1200, metrics))
            lefts.push_back(line.left);
        EXPECT_EQ(lefts, c.lefts) << c.name;
    }
    // A TAB moves to the next half inch: "a" then TAB then "b" at 720.
    TReportDocument tabs = OneParagraph("a\tb");
    TTextReport report(tabs, {}, metrics);
    const TReportPage page = report.ComposePage(0);
    const TReportOp* b = FindText(page, "b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->x, ReportGeometry().detailText.left + 720);
}

TEST(ReportLayout, LineHeightIsTheTallestFontAndEmptyLinesUseTheParagraphMark) {
    FixedMetrics metrics;
    TReportDocument d;
    TReportFont big;
    big.twips = 480;
    const int32_t bigFont = d.AddFont(big);
    EXPECT_EQ(d.AddFont(big), bigFont);
    d.paragraphs.push_back(TReportParagraph{.runs = {{0, "small "}, {bigFont, "BIG"}}});
    d.paragraphs.push_back(TReportParagraph{.runs = {}, .endFont = bigFont});
    d.paragraphs.push_back(TReportParagraph{});
    auto lines = LayoutLines(d, 10000, metrics);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].height, 480);
    EXPECT_EQ(lines[0].ascent, 384);
    EXPECT_EQ(lines[1].height, 480);
    EXPECT_EQ(lines[2].height, 240);
}

TEST(ReportLayout, PagesTakeWholeLines) {
    auto heights = [](std::vector<int32_t> h) {
        std::vector<TReportLine> lines;
        for (int32_t x : h)
            lines.push_back(TReportLine{.height = x});
        return lines;
    };
    auto slices = [](const std::vector<TReportPageSlice>& pages) {
        std::vector<std::pair<int32_t, int32_t>> out;
        for (const TReportPageSlice& p : pages)
            out.push_back({p.firstLine, p.endLine});
        return out;
    };
    using Slices = std::vector<std::pair<int32_t, int32_t>>;
    EXPECT_EQ(slices(BreakPages({}, 1000)), (Slices{{0, 0}}));
    EXPECT_EQ(slices(BreakPages(heights({500, 500, 500}), 1000)), (Slices{{0, 2}, {2, 3}}));
    EXPECT_EQ(slices(BreakPages(heights({400, 400, 400}), 1000)), (Slices{{0, 2}, {2, 3}}));
    // A line taller than a page stands alone.
    EXPECT_EQ(slices(BreakPages(heights({100, 5000, 100}), 1000)), (Slices{{0, 1}, {1, 2}, {2, 3}}));
}

TEST(TextReport, EveryPageHasHeaderAndFooterWithItsNumber) {
    FixedMetrics metrics;
    const TReportGeometry& g = ReportGeometry();
    // Lines of 240 twips: enough of them for two full pages and a bit.
    const int32_t perPage = g.detailText.Height() / 240;
    TReportDocument d;
    for (int32_t i = 0; i < 2 * perPage + 5; ++i)
        d.paragraphs.push_back(TReportParagraph{.runs = {{0, "Satır " + std::to_string(i + 1)}}});
    TTextReport report(d, {"belge.rtf", "10.12.2026 21:05:07"}, metrics);
    ASSERT_EQ(report.PageCount(), 3);
    for (int32_t page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        const TReportPage p = report.ComposePage(page);
        const TReportOp* name = FindText(p, "belge.rtf");
        const TReportOp* date = FindText(p, "10.12.2026 21:05:07");
        const TReportOp* number = FindText(p, PageNumberText(page + 1));
        const TReportOp* caption = FindText(p, FooterCaptionText());
        ASSERT_TRUE(name && date && number && caption);
        EXPECT_EQ(name->x, g.fileNameLeft);
        EXPECT_EQ(name->font.name, "Arial");
        EXPECT_TRUE(name->font.bold);
        EXPECT_EQ(name->font.twips, 160);
        EXPECT_EQ(Right(*date), g.headerRight);
        EXPECT_EQ(Right(*number), g.footerRight);
        EXPECT_EQ(caption->font.name, "Tahoma");
        EXPECT_GT(number->y, g.footer.top);
        EXPECT_LE(number->y, g.footer.bottom);
        EXPECT_LT(name->y, g.header.bottom);
        EXPECT_EQ(std::count_if(p.ops.begin(), p.ops.end(),
                                [](const TReportOp& op) { return op.kind == TReportOpKind::okRule; }),
                  2);
        // The page's first line of text, at the top of the box.
        const std::string first = "Satır " + std::to_string(page * perPage + 1);
        const TReportOp* line = FindText(p, first);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->y, g.detailText.top + 192);
        for (const TReportOp& op : p.ops) {
            if (op.text.rfind("Satır", 0) == 0) {
                EXPECT_LE(op.y, g.detailText.bottom);
            }
        }
    }
    EXPECT_TRUE(report.ComposePage(3).ops.empty());
    // Only the document's text is cut at the detail band.
    const TReportPage first = report.ComposePage(0);
    EXPECT_EQ(first.detailBand, g.detail);
    for (const TReportOp& op : first.ops)
        EXPECT_EQ(op.detail, op.text.rfind("Satır", 0) == 0) << op.text;
    EXPECT_EQ(report.Slices()[2].endLine - report.Slices()[2].firstLine, 5);
}

TEST(TextReport, AnEmptyDocumentIsOnePageWithHeaderAndFooter) {
    FixedMetrics metrics;
    for (TReportDocument d : {TReportDocument{}, OneParagraph("")}) {
        TTextReport report(d, {"bos.txt", "01.01.2026 00:00:00"}, metrics);
        ASSERT_EQ(report.PageCount(), 1);
        EXPECT_EQ(Texts(report.ComposePage(0)), (std::vector<std::string>{"bos.txt", "01.01.2026 00:00:00",
                                                                          FooterCaptionText(), "sayfa: 1"}));
    }
}

TEST(TextReport, TheFooterCaptionFitsItsBox) {
    FixedMetrics metrics;
    TTextReport report({}, {}, metrics);
    const TReportGeometry& g = ReportGeometry();
    for (const TReportOp& op : report.ComposePage(0).ops) {
        if (op.font.name != "Tahoma") continue;
        EXPECT_GE(op.x, g.footerCaption.left);
        EXPECT_LE(Right(op), g.footerCaption.right);
    }
}
