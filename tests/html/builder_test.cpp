#include "html/builder.h"
#include "html/dump.h"
#include "html/forms.h"
#include "html/table.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace velmora::html;

namespace {

struct Built {
    FixedFontMetrics metrics;
    TSectionList doc{metrics};
    TAnchorList anchors;
    ParseResult result;
    explicit Built(std::string_view page, const ParseHooks& hooks = {}) {
        result = ParseHtmlText(doc, anchors, page, hooks);
    }
    TSection* Text(size_t i) { return dynamic_cast<TSection*>(doc.Sections.at(i).get()); }
};

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

} // namespace

TEST(Builder, FontRunsFollowTheStyle) {
    Built b("a<b>b</b>c");
    ASSERT_EQ(b.doc.Sections.size(), 1u);
    TSection* s = b.Text(0);
    ASSERT_EQ(s->Fonts.size(), 3u);
    EXPECT_EQ(s->Fonts[0].Pos, 0);
    EXPECT_EQ(s->Fonts[1].Pos, 1);
    EXPECT_EQ(s->Fonts[2].Pos, 2);
    EXPECT_EQ(s->Fonts[1].TheFont(b.doc).Style, fsBold);
    EXPECT_EQ(s->Fonts[2].TheFont(b.doc).Style, 0);
}

TEST(Builder, LinkAcrossALineBreakIsTwoLinkRuns) {
    Built b("<a href=x>one<br>two</a>");
    ASSERT_EQ(b.doc.Sections.size(), 2u);
    ASSERT_EQ(b.doc.LinkRuns.size(), 2u);
    EXPECT_EQ(b.doc.LinkRuns[0].Section, b.Text(0));
    EXPECT_EQ(b.doc.LinkRuns[1].Section, b.Text(1));
    EXPECT_EQ(b.Text(1)->Fonts[0].Url(b.doc), "x");
    EXPECT_EQ(b.Text(1)->Fonts[0].TheFont(b.doc).Style, fsUnderline);
}

TEST(Builder, FontStackHoldsTwentyFive) {
    // 30 nested FONT tags push 24 fonts over the base font; the rest change nothing.
    Built b(Repeat("<font size=7>", 30) + "deep" + Repeat("</font>", 30) + "base");
    TSection* s = b.Text(0);
    EXPECT_EQ(s->Fonts.back().TheFont(b.doc).NominalSize, 12);
    EXPECT_EQ(s->Fonts.front().TheFont(b.doc).NominalSize, 36);
}

TEST(Builder, HooksAreCalled) {
    std::vector<std::string> calls;
    ParseHooks hooks;
    hooks.OnMeta = [&](const std::string& e, const std::string& n, const std::string& c) {
        calls.push_back("meta " + e + "|" + n + "|" + c);
    };
    hooks.OnSoundRequest = [&](const std::string& src, int32_t loop, bool terminate) {
        calls.push_back("sound " + src + " " + std::to_string(loop) + (terminate ? " stop" : ""));
    };
    hooks.OnScript = [&](const std::string& n, const std::string& l, std::string body) {
        calls.push_back("script " + n + "|" + l + "|" + body);
    };
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    doc.OnBackgroundChange = [&](TColor c) { calls.push_back("background " + std::to_string(c)); };
    TAnchorList anchors;
    ParseHtmlText(doc, anchors,
                  "<body bgcolor=blue><meta http-equiv=refresh content=\"5; url=next.htm\"><bgsound src=a.wav>"
                  "<bgsound src=b.wav loop=3><script language=JavaScript>x<1</script>after",
                  hooks);
    EXPECT_EQ(calls, (std::vector<std::string>{"background 16711680", "meta refresh||5; url=next.htm",
                                               "sound a.wav 1", "sound b.wav 3", "script |JavaScript|x<1"}));
    EXPECT_EQ(dynamic_cast<TSection&>(*doc.Sections.at(0)).Buff, "after");
}

TEST(Builder, DeepNestingIsBounded) {
    for (const char* tag : {"<ul>", "<table>", "<font>", "<center>", "<div>", "<blockquote>", "<table><tr><td>",
                            "<ol><li>", "<h1>", "<a href=x>", "<pre>", "<dl><dt>"}) {
        Built b(Repeat(tag, 10000) + "x");
        EXPECT_EQ(CheckDocument(b.doc, b.anchors), "") << tag;
    }
}

TEST(Builder, RepeatedPatternsStayLinear) {
    // Each of these once cost time growing with the square of its length.
    const std::string patterns[] = {
        Repeat("<img align=left src=x> ", 20000),
        Repeat("<a name=n", 1) + Repeat("<a name=x>a<body>", 20000),
        "<table>" + Repeat("x<tr>", 20000) + "</table>",
        "<table>" + Repeat("<tr><td rowspan=99999 colspan=5>c", 20000) + "</table>",
        Repeat("<map name=m><area coords=1,2,3,4>", 20000),
        Repeat("<a href=x><b>", 20000),
    };
    for (const std::string& page : patterns) {
        Built b(page);
        EXPECT_EQ(CheckDocument(b.doc, b.anchors), "") << page.substr(0, 40);
    }
}

TEST(Builder, CommentOpenAtTheEndKeepsWhatWasBuilt) {
    Built b("<table><tr><td>kept<td>too<!-- never closed <td>lost");
    EXPECT_TRUE(b.result.OpenCommentAtEnd);
    ASSERT_EQ(b.doc.Sections.size(), 2u);
    auto* table = dynamic_cast<ThtmlTable*>(b.doc.Sections[1].get());
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->Rows.size(), 1u);
    ASSERT_EQ(table->Rows[0]->Cells.size(), 2u);
    auto* second = dynamic_cast<TSection*>(table->Rows[0]->Cells[1]->Cell.Sections.at(0).get());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Buff, "too");
}

TEST(Builder, ExceptionFromAHookLeavesAConsistentDocument) {
    ParseHooks hooks;
    hooks.OnMeta = [](const std::string&, const std::string&, const std::string&) {
        throw std::runtime_error("hook failed");
    };
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    TAnchorList anchors;
    EXPECT_THROW(ParseHtmlText(doc, anchors, "<table><tr><td><a name=n href=x>in cell<meta name=a>", hooks),
                 std::runtime_error);
    EXPECT_EQ(CheckDocument(doc, anchors), "");
    EXPECT_EQ(anchors.count("N"), 1u);
}

TEST(Builder, TooManyColumnsIsRaisedByTheExpansion) {
    Built b("<table><tr>" + Repeat("<td>x", 201) + "</table><table><tr><td colspan=2000000000>y</table>" +
            "<table>" + Repeat("<tr><td rowspan=100000 colspan=50>", 10) + "</table>");
    for (size_t i : {1u, 2u, 3u}) {
        auto* table = dynamic_cast<ThtmlTable*>(b.doc.Sections.at(i).get());
        ASSERT_NE(table, nullptr) << i;
        EXPECT_THROW(table->ExpandSpans(), EProcessError) << i;
        try {
            table->ExpandSpans();
        } catch (const EProcessError& e) {
            EXPECT_STREQ(e.what(), "Table has too many Columns");
        }
    }
    Built ok("<table><tr>" + Repeat("<td>x", 200) + "</table>");
    auto* table = dynamic_cast<ThtmlTable*>(ok.doc.Sections.at(1).get());
    ASSERT_NE(table, nullptr);
    table->ExpandSpans();
    EXPECT_EQ(table->NumCols, 200);
}

TEST(Builder, ReadsFilesAndReportsMissingOnes) {
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    TAnchorList anchors;
    EXPECT_THROW(ParseHtmlFile(doc, anchors, std::string(VELMORA_HTML_TEST_DIR) + "/pages/missing.htm"),
                 std::runtime_error);
    ParseResult r = ParseHtmlFile(doc, anchors, std::string(VELMORA_HTML_TEST_DIR) + "/pages/unknown_tags.htm");
    EXPECT_EQ(r.Title, "Un&known");
}

TEST(Builder, RandomBytesKeepTheDocumentConsistent) {
    // A short deterministic shake-up; the fuzz target does this at length.
    std::mt19937 random(7);
    const std::string pieces[] = {"<", ">", "</", "&", "#", ";", "\"", "'", " ", "\r\n", "<!--", "-->", "=",
                                  "<td>", "<tr>", "<table>", "</table>", "<pre>", "</pre>", "<a href=", "</a>",
                                  "<img align=left>", "<li>", "<ul>", "</ul>", "<nobr>", "<select><option>",
                                  "<textarea>", "<map name=m><area coords=1,2,3>", "x", "\x04", "\x05", "\xA0",
                                  "&#65540;", "<p>", "<br>", "<font size=+9>", "<h3>", "</h1>", "<center>", "<div>"};
    for (int round = 0; round < 300; ++round) {
        std::string page;
        const int n = static_cast<int>(random() % 60);
        for (int i = 0; i < n; ++i) page += pieces[random() % std::size(pieces)];
        Built b(page);
        ASSERT_EQ(CheckDocument(b.doc, b.anchors), "") << page;
        DumpDocument(b.doc, b.anchors, &b.result);
    }
}
