#include "base/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

using velmora::DecodeAs;
using velmora::DecodeText;
using velmora::DetectTextFormat;
using velmora::EncodeKeeping;
using velmora::EncodeText;
using velmora::FindUnencodable;
using velmora::IsValidUtf8;
using velmora::LineEnd;
using velmora::NormalizeLineBreaks;
using velmora::TextEncoding;
using velmora::TextFormat;

namespace {

// Sources are compiled to code page 1254: letters outside it are written as
// their UTF-8 or UTF-16 bytes.
const std::string kZheUtf8 = "\xD0\x96"; // Ж
const char16_t kZhe = 0x0416;

std::string Utf16(const std::u16string& text, bool bigEndian, bool bom = true) {
    std::string out = bom ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
    for (char16_t u : text) {
        char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

} // namespace

TEST(TextEncoding, DetectsEncodingBomAndLineEnd) {
    struct Case {
        const char* what;
        std::string bytes;
        TextEncoding encoding;
        bool bom;
        LineEnd lineEnd;
    };
    const Case cases[] = {
        {"empty", "", TextEncoding::Cp1254, false, LineEnd::CrLf},
        {"ASCII", "plain\r\nlines\r\n", TextEncoding::Cp1254, false, LineEnd::CrLf},
        {"1254 letters", "Çığ düştü\n", TextEncoding::Cp1254, false, LineEnd::Lf},
        {"UTF-8 letters",
         "\xC3\x87"
         "a\xC4\xB1\r",
         TextEncoding::Utf8, false, LineEnd::Cr},
        {"UTF-8 BOM, ASCII", "\xEF\xBB\xBFtext", TextEncoding::Utf8, true, LineEnd::CrLf},
        {"UTF-8 BOM, invalid after", "\xEF\xBB\xBF\xFFx", TextEncoding::Utf8, true, LineEnd::CrLf},
        {"overlong is not UTF-8", "\xC0\xAF", TextEncoding::Cp1254, false, LineEnd::CrLf},
        {"surrogate is not UTF-8", "\xED\xA0\x80", TextEncoding::Cp1254, false, LineEnd::CrLf},
        {"past U+10FFFF is not UTF-8", "\xF4\x90\x80\x80", TextEncoding::Cp1254, false, LineEnd::CrLf},
        {"cut sequence is not UTF-8", "ab\xE2\x82", TextEncoding::Cp1254, false, LineEnd::CrLf},
        {"4-byte UTF-8", "\xF0\x9F\x98\x80", TextEncoding::Utf8, false, LineEnd::CrLf},
        {"UTF-16 LE", Utf16(u"a\nb\n", false), TextEncoding::Utf16LE, true, LineEnd::Lf},
        {"UTF-16 BE", Utf16(u"a\r\nb", true), TextEncoding::Utf16BE, true, LineEnd::CrLf},
        {"mixed: most used", "a\nb\r\nc\nd\re", TextEncoding::Cp1254, false, LineEnd::Lf},
        {"mixed tie: first", "a\rb\nc", TextEncoding::Cp1254, false, LineEnd::Cr},
        {"LF CR is two breaks", "a\n\rb\n\rc\r\n", TextEncoding::Cp1254, false, LineEnd::Lf},
    };
    for (const Case& c : cases) {
        TextFormat f = DetectTextFormat(c.bytes);
        EXPECT_EQ(f.encoding, c.encoding) << c.what;
        EXPECT_EQ(f.bom, c.bom) << c.what;
        EXPECT_EQ(f.lineEnd, c.lineEnd) << c.what;
        EXPECT_EQ(DecodeText(c.bytes).format, f) << c.what;
    }
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));
    EXPECT_FALSE(IsValidUtf8("\x80"));
}

TEST(TextEncoding, DecodesToTheEditorsText) {
    struct Case {
        const char* what;
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"1254", "Çığ\r\nŞİ€\x81", u"Çığ\rŞİ€\u0081"},
        {"UTF-8",
         "\xEF\xBB\xBF"
         "a\xC5\x9F" +
             kZheUtf8 + "\n",
         u"aş\u0416\r"},
        {"UTF-8 past the BMP", "x\xF0\x9F\x98\x80y", u"x\U0001F600y"},
        {"invalid UTF-8 after a BOM",
         "\xEF\xBB\xBF"
         "a\xC3(\xFF",
         u"a\uFFFD(\uFFFD"},
        {"UTF-16 LE", Utf16(u"ş\r\n\u0416\r", false), u"ş\r\u0416\r"},
        {"UTF-16 BE odd byte", Utf16(u"ab", true) + "\x41", u"ab\uFFFD"},
        {"line ends", "a\r\nb\nc\rd\n\re", u"a\rb\rc\rd\r\re"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeText(c.bytes).text, c.text) << c.what;
}

TEST(TextEncoding, Cp1254HoldsItsOwn256CharactersOnly) {
    // Every byte but the line breaks decodes to a character of its own and back.
    std::string all;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n') all += static_cast<char>(b);
    TextFormat f;
    std::u16string text = DecodeAs(all, f);
    ASSERT_EQ(text.size(), 254u);
    EXPECT_EQ(FindUnencodable(text, TextEncoding::Cp1254), std::u16string::npos);
    EXPECT_EQ(EncodeText(text, f), all);

    EXPECT_EQ(FindUnencodable(u"abc\u0416d", TextEncoding::Cp1254), 3u);
    EXPECT_EQ(FindUnencodable(u"İ\u00DDx", TextEncoding::Cp1254), 1u); // Y with acute is not in 1254
    EXPECT_EQ(FindUnencodable(u"\u0416", TextEncoding::Utf8), std::u16string::npos);
    EXPECT_EQ(EncodeText(u"a\u0416", f), "a?");
#ifdef _WIN32
    // The same table as the system's (an LF is read as the editor's line break, a CR).
    for (int b = 0; b < 256; ++b) {
        if (b == '\n') continue;
        char c = static_cast<char>(b);
        wchar_t w = 0;
        ASSERT_EQ(MultiByteToWideChar(1254, 0, &c, 1, &w, 1), 1);
        EXPECT_EQ(static_cast<char16_t>(w), DecodeAs(std::string(1, c), TextFormat{}).at(0)) << b;
    }
#endif
}

TEST(TextEncoding, EncodesInTheFormatWithItsBomAndLineEnd) {
    const std::u16string text = u"ş\r\u0416\U0001F600\r";
    struct Case {
        TextFormat format;
        std::string bytes;
    };
    const Case cases[] = {
        {{TextEncoding::Utf8, true, LineEnd::CrLf},
         "\xEF\xBB\xBF\xC5\x9F\r\n" + kZheUtf8 + "\xF0\x9F\x98\x80\r\n"},
        {{TextEncoding::Utf8, false, LineEnd::Lf}, "\xC5\x9F\n" + kZheUtf8 + "\xF0\x9F\x98\x80\n"},
        {{TextEncoding::Utf16LE, true, LineEnd::Cr}, Utf16(u"ş\r\u0416\U0001F600\r", false)},
        {{TextEncoding::Utf16BE, true, LineEnd::CrLf}, Utf16(u"ş\r\n\u0416\U0001F600\r\n", true)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeText(text, c.format), c.bytes);
        EXPECT_EQ(DecodeAs(c.bytes, c.format), text);
    }
    // A lone surrogate has no UTF-8 form.
    EXPECT_EQ(EncodeText(u"a\xD800"
                         u"b",
                         {TextEncoding::Utf8, false, LineEnd::CrLf}),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(TextEncoding, AnUnchangedTextGivesTheFileBack) {
    const std::string files[] = {
        "",
        "no line end",
        "dos\r\nlines\r\n",
        "unix\nlines\n",
        "mac\rlines\r",
        "mixed\r\nends\nand\rmore\n\r\r\n",
        "Çığ\r\n\x81\x8D\x90\x9D\x9E",
        "\xEF\xBB\xBF",
        "\xEF\xBB\xBF"
        "bom\r\n",
        "\xEF\xBB\xBF"
        "bad \xC3 utf-8 \xFF\xFE\r\n",
        "\xC3\xA7"
        "a\xC4\xB1\r"
        "\xF0\x9F\x98\x80\n",
        Utf16(u"ş\r\n\u0416\n\r", false),
        Utf16(u"ş\r\n\xD800\n\r", true) + "\x01",
        "\xFF\xFE",
        std::string("nul\0inside\r\n", 13),
    };
    for (const std::string& bytes : files) {
        velmora::DecodedText d = DecodeText(bytes);
        EXPECT_EQ(EncodeKeeping(bytes, d.format, d.text), bytes);
    }
}

TEST(TextEncoding, AnEditKeepsTheBytesAroundIt) {
    struct Case {
        const char* what;
        std::string before;
        // Which part of the decoded text is replaced by what.
        size_t at, length;
        std::u16string insert;
        std::string after;
    };
    const Case cases[] = {
        {"line ends of other lines kept", "a\r\nb\nc\rd\n", 2, 1, u"B", "a\r\nB\nc\rd\n"},
        {"a new line takes the most used end", "a\r\nb\nc\n", 1, 0, u"\rx", "a\r\nx\nb\nc\n"},
        {"1254 letters", "ş\r\nğ\r\n", 2, 1, u"Ğü", "ş\r\nĞü\r\n"},
        {"UTF-8 without BOM stays without", "\xC5\x9F\n", 0, 0, u"\u0416", kZheUtf8 + "\xC5\x9F\n"},
        {"invalid UTF-8 elsewhere kept", "\xEF\xBB\xBF\xFFx\ny", 3, 1, u"z", "\xEF\xBB\xBF\xFFx\nz"},
        {"4-byte character not split", "\xF0\x9F\x98\x80\xF0\x9F\x98\x81", 3, 1, u"\xDE03",
         "\xF0\x9F\x98\x80\xF0\x9F\x98\x83"},
        {"UTF-16 BE", Utf16(u"a\nb", true), 2, 1, u"c", Utf16(u"a\nc", true)},
        {"all deleted",
         "\xEF\xBB\xBF"
         "abc",
         0, 3, u"", "\xEF\xBB\xBF"},
        // A lone CR kept before and a lone LF kept after must not join.
        {"deleted between lone CR and lone LF", "a\rX\nb", 2, 1, u"", "a\r\n\nb"},
        {"LF-style break after a lone CR", "a\rb\nc\nd\n", 2, 0, u"\r", "a\r\r\nb\nc\nd\n"},
        // Kept bytes that would read back otherwise where they meet.
        {"an odd UTF-16 byte stays last", Utf16(u"ab", false) + "\x41", 3, 0, u"c",
         Utf16(u"ab\uFFFDc", false)},
        {"invalid UTF-8 bytes do not join", "\xEF\xBB\xBF\xC3X\xA7", 1, 1, u"",
         "\xEF\xBB\xBF\xEF\xBF\xBD\xA7"},
        {"CR-style break before a lone LF", "x\nyz\rw\r", 0, 1, u"\r", "\r\n\nyz\rw\r"},
    };
    for (const Case& c : cases) {
        velmora::DecodedText d = DecodeText(c.before);
        std::u16string edited = d.text;
        edited.replace(c.at, c.length, c.insert);
        std::string saved = EncodeKeeping(c.before, d.format, edited);
        EXPECT_EQ(saved, c.after) << c.what;
        EXPECT_EQ(DecodeAs(saved, d.format), edited) << c.what;
    }
    // None of them needed the whole text written anew.
    EXPECT_EQ(velmora::EncodeKeepingFallbacks(), 0);
}

TEST(TextEncoding, TheEditorsLineBreaks) {
    EXPECT_EQ(NormalizeLineBreaks(u"a\r\nb\rc\nd\r\n"), u"a\rb\rc\rd\r");
    EXPECT_EQ(NormalizeLineBreaks(u""), u"");
    EXPECT_NE(velmora::TextFingerprint(u"ab"), velmora::TextFingerprint(u"ba"));
    EXPECT_NE(velmora::TextFingerprint(u""), velmora::TextFingerprint(std::u16string(1, u'\0')));
}
