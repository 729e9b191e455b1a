#include "app/rtf_reader.h"

#include <gtest/gtest.h>

#include <string>

using namespace velmora::app;

namespace {

std::string ParagraphText(const TReportParagraph& p) {
    std::string s;
    for (const TReportRun& run : p.runs)
        s += run.text;
    return s;
}

std::vector<std::string> Paragraphs(const TReportDocument& d) {
    std::vector<std::string> out;
    for (const TReportParagraph& p : d.paragraphs)
        out.push_back(ParagraphText(p));
    return out;
}

} // namespace

// What the rich-text control writes: a font and colour table, runs switched by
// control words, paragraphs with alignment and a bulleted one.
TEST(RtfReader, RunsAndParagraphsOfTheControlsOwnRtf) {
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1254\\deff0{\\fonttbl{\\f0\\fnil\\fcharset162 Courier New;}"
        "{\\f1\\fswiss\\fcharset162{\\*\\panose 020b0604020202020204}Arial;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
        "\\viewkind4\\uc1\\pard\\f0\\fs16 Merhaba \\b kal\\'fdn\\b0  \\cf1\\i "
        "k\\'fdrm\\'fdz\\cf0\\i0\\par\r\n"
        "\\pard\\qc\\f1\\fs24 Orta\\par\r\n"
        "\\pard\\qr\\ul alt\\ulnone\\par\r\n"
        "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li720 "
        "madde\\par\r\n"
        "\\pard\\par\r\n}\r\n";
    const TReportDocument d = ReadRtf(rtf);
    ASSERT_EQ(Paragraphs(d),
              (std::vector<std::string>{"Merhaba kal\xFDn k\xFDrm\xFDz", "Orta", "alt", "madde", ""}));
    const TReportParagraph& first = d.paragraphs[0];
    ASSERT_EQ(first.runs.size(), 4u);
    const TReportFont& plain = d.fonts[first.runs[0].font];
    EXPECT_EQ(plain.name, "Courier New");
    EXPECT_EQ(plain.twips, 160);
    EXPECT_EQ(plain.charset, 162);
    EXPECT_FALSE(plain.bold);
    EXPECT_TRUE(d.fonts[first.runs[1].font].bold);
    EXPECT_EQ(d.fonts[first.runs[3].font].color, 0x0000FFu);
    EXPECT_TRUE(d.fonts[first.runs[3].font].italic);
    EXPECT_EQ(d.fonts[d.paragraphs[1].runs[0].font].name, "Arial");
    EXPECT_EQ(d.fonts[d.paragraphs[1].runs[0].font].twips, 240);
    EXPECT_TRUE(d.fonts[d.paragraphs[2].runs[0].font].underline);
    EXPECT_EQ(d.paragraphs[0].align, TReportAlign::raLeft);
    EXPECT_EQ(d.paragraphs[1].align, TReportAlign::raCenter);
    EXPECT_EQ(d.paragraphs[2].align, TReportAlign::raRight);
    EXPECT_TRUE(d.paragraphs[3].bullet);
    EXPECT_EQ(d.paragraphs[3].startIndent, 360);
    EXPECT_EQ(d.paragraphs[3].offset, 360);
    EXPECT_FALSE(d.paragraphs[4].bullet);
    EXPECT_EQ(d.paragraphs[4].startIndent, 0);
}

TEST(RtfReader, CharactersWrittenAsControlWords) {
    struct Case {
        const char* body;
        std::string text;
    } cases[] = {
        {"\\u351?\\u287?", "\xFE\xF0"},     // ş ğ, the '?' stand-ins skipped
        {"\\uc2\\u8364\\'80x y", "\x80 y"}, // two stand-ins: \'80 and x
        {"\\uc0\\u304 I", "\xDDI"},         // none
        {"\\u-3913?", "?"},                 // a negative number is the 16-bit code; not in 1254
        {"a\\u13?\\'0a\\u9?b", "a\tb"},     // control characters are no text, but for TAB
        {"a\\tab b\\emdash\\bullet", "a\tb\x97\x95"},
        {"\\{x\\}\\\\", "{x}\\"},
        {"x\\~y\\-z\\_", "x\xA0yz-"},
        {"{\\*\\unknown hidden}shown", "shown"},
        {"{\\info{\\title T}}{\\pict\\wmetafile8 0102ff}v", "v"},
        {"{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}", "link"},
        {"\\bin4 {}}}after", "after"},
    };
    for (const Case& c : cases) {
        const TReportDocument d = ReadRtf(std::string("{\\rtf1 ") + c.body + "}");
        ASSERT_EQ(d.paragraphs.size(), 1u) << c.body;
        EXPECT_EQ(ParagraphText(d.paragraphs[0]), c.text) << c.body;
    }
}

TEST(RtfReader, TableRowsAreParagraphsWithTheirCellsApartByTabs) {
    const TReportDocument d =
        ReadRtf("{\\rtf1 \\trowd\\cellx1000\\cellx2000\\cellx3000\\intbl Ad\\cell Soyad\\cell "
                "Yas\\cell\\row\\trowd\\cellx1000\\cellx2000\\intbl\\cell Bos\\cell\\row\\pard "
                "sonra\\par}");
    EXPECT_EQ(Paragraphs(d), (std::vector<std::string>{"Ad\tSoyad\tYas", "\tBos", "sonra"}));
}

TEST(RtfReader, PlainTextAndDamagedRtfStillGiveADocument) {
    EXPECT_EQ(Paragraphs(ReadRtf("bir\r\niki\nüç\r")), (std::vector<std::string>{"bir", "iki", "üç"}));
    EXPECT_EQ(Paragraphs(ReadRtf("")), (std::vector<std::string>{""}));
    EXPECT_EQ(Paragraphs(ReadRtf("{\\rtf1}")), (std::vector<std::string>{""}));
    const char* damaged[] = {
        "{\\rtf1 a}}}}b",
        "{\\rtf1 a\\'4",
        "{\\rtf1 \\fs99999999999999 x",
        "{\\rtf1 \\bin999999 x",
        "{\\rtf1 \\f7 x",
        "{\\rtf1 \\cf9 x",
        "{\\rtf1 {\\fonttbl{\\f0 A",
        "{\\rtf1 \\",
        "{\\rtf1 \\u99999999 x",
        "{\\rtf1 \\li-99999999\\fi99999999 x",
    };
    for (const char* rtf : damaged) {
        const TReportDocument d = ReadRtf(rtf);
        ASSERT_FALSE(d.paragraphs.empty()) << rtf;
        ASSERT_FALSE(d.fonts.empty()) << rtf;
        for (const TReportParagraph& p : d.paragraphs)
            for (const TReportRun& run : p.runs)
                EXPECT_LT(run.font, static_cast<int32_t>(d.fonts.size())) << rtf;
    }
    // Nesting deeper than the reader keeps is read through, not recursed into.
    const std::string deep = "{\\rtf1 " + std::string(100000, '{') + "x" + std::string(100000, '}') + "y}";
    EXPECT_EQ(Paragraphs(ReadRtf(deep)), (std::vector<std::string>{"xy"}));
}

// Each control word the reader knows, once: a misspelt name in its table
// would leave the word's text or paragraph break out, or let a skipped group show.
TEST(RtfReader, EveryKnownControlWordDoesItsPart) {
    const struct {
        const char* body;
        std::vector<std::string> paragraphs;
    } cases[] = {
        {"\\lquote a\\rquote \\ldblquote b\\rdblquote \\endash\\emdash\\bullet\\tab c",
         {"\x91"
          "a\x92\x93"
          "b\x94\x96\x97\x95\tc"}},
        {"a\\line b\\page c\\sect d\\par e\\row f\\nestrow g", {"a", "b", "c", "d", "e", "f", "g"}},
        {"\\intbl a\\nestcell b\\nestcell\\nestrow c", {"a\tb", "c"}},
        {"x{\\header h}{\\headerl h}{\\headerr h}{\\headerf h}{\\footer f}{\\footerl f}{\\footerr f}"
         "{\\footerf f}{\\footnote n}{\\annotation a}{\\atnauthor a}{\\atnid a}{\\comment c}{\\author a}"
         "{\\company c}{\\doccomm d}{\\keywords k}{\\operator o}{\\subject s}{\\title t}{\\generator g}"
         "{\\stylesheet s}{\\listtable l}{\\listoverridetable l}{\\listtext l}{\\latentstyles l}"
         "{\\themedata t}{\\colorschememapping c}{\\datastore d}{\\rsidtbl r}{\\xmlnstbl x}{\\object o}"
         "{\\nonshppict n}{\\pict p}{\\tc t}{\\xe x}{\\txe t}{\\bkmkstart b}{\\bkmkend b}{\\pntext p}y",
         {"xy"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Paragraphs(ReadRtf(std::string("{\\rtf1 ") + c.body + "}")), c.paragraphs) << c.body;

    // Character formatting switched on and off, and \plain back to the default.
    const TReportDocument d = ReadRtf("{\\rtf1 \\strike s\\strike0 n\\b\\i\\ul\\strike\\fs40 all\\plain p}");
    ASSERT_EQ(d.paragraphs.size(), 1u);
    const std::vector<TReportRun>& runs = d.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_TRUE(d.fonts[runs[0].font].strikeOut);
    EXPECT_FALSE(d.fonts[runs[1].font].strikeOut);
    const TReportFont& all = d.fonts[runs[2].font];
    EXPECT_TRUE(all.bold && all.italic && all.underline && all.strikeOut);
    EXPECT_EQ(all.twips, 400);
    const TReportFont& plain = d.fonts[runs[3].font];
    EXPECT_FALSE(plain.bold || plain.italic || plain.underline || plain.strikeOut);
    EXPECT_EQ(plain.twips, d.fonts[runs[1].font].twips);
}
