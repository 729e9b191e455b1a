#include "html/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace velmora::html;

namespace {

std::string SymbolText(const Tokenizer& t) {
    switch (t.Sym) {
    case Sy::Text: return "'" + t.Token + "'";
    case Sy::Eof: return "EOF";
    case Sy::UnknownTag: return "?";
    case Sy::OtherChar: return "^" + std::to_string(static_cast<unsigned char>(t.Token[0]));
    default: break;
    }
    for (int i = 0; i < kTagCount; ++i) {
        if (kTagTable[i].Start == t.Sym) return std::string(kTagTable[i].Name);
        if (kTagTable[i].End == t.Sym) return "/" + std::string(kTagTable[i].Name);
    }
    return "#" + std::to_string(static_cast<int>(t.Sym));
}

// Every symbol of the input, space separated.
std::string Symbols(std::string_view input, IncludeHandler include = {}) {
    Tokenizer t(input, std::move(include));
    t.ReadChar();
    std::string out;
    for (int guard = 0; guard < 10000; ++guard) {
        t.Next();
        if (!out.empty()) out += " ";
        out += SymbolText(t);
        if (t.Sym == Sy::Eof) break;
    }
    return out;
}

// The first tag's attributes.
std::vector<TAttribute> FirstTagAttributes(std::string_view input) {
    Tokenizer t(input);
    t.ReadChar();
    t.Next();
    return t.Attributes.Items();
}

} // namespace

TEST(Tokenizer, SymbolStreams) {
    struct Case {
        const char* input;
        const char* symbols;
    };
    const Case cases[] = {
        // Line ends of every form become one CR, which running text turns into a space.
        {"a\r\nb", "'a b' EOF"},
        {"a\nb", "'a b' EOF"},
        {"a\rb", "'a b' EOF"},
        {"a\n\rb", "'a b' EOF"},
        {"a\r\n\r\nb", "'a b' EOF"},
        {"a\tb   c", "'a b c' EOF"},
        // Comments, with markup inside, and the "-- >" ending.
        {"A <!-- x <b>y</b> -- > B", "'A ' ' B' EOF"},
        {"A<!---->B<!-- a -- b --->C", "'A' 'B' 'C' EOF"},
        {"<!--a--><!--b-->x", "'x' EOF"},
        {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">x", "'x' EOF"},
        {"a<!-- never closed <b>x</b>", "'a' EOF"},
        {"a<!DOCTYPE", "'a' EOF"},
        // Tags, end tags, unknown ones.
        {"<B>x</b>", "B 'x' /B EOF"},
        {"</BR></IMG><br>", "? ? BR EOF"},
        {"<span>x</span>", "? 'x' ? EOF"},
        {"<h2>x</H2>", "H 'x' /H EOF"},
        {"a < b", "'a ' '<' ' b' EOF"},
        {"a<3", "'a' '<' '3' EOF"},
        {"x</ >y", "'x' ? 'y' EOF"},
        {"<p> x", "P ' x' EOF"},
        {"<img alt='a>b'>c", "IMG 'c' EOF"},
        {"<b", "B EOF"},
        // Entities.
        {"&amp;&amp&#65;&#065;", "'&' '&' 'A' 'A' EOF"},
        {"&AMP;&#0;&#123456;&bogus;", "'&AMP;' '&#0;' '&#123456' ';' '&bogus;' EOF"},
        {"&#9;&#32;&#255;", "' ' ' ' '\xFF' EOF"},
        {"&#8364;&#287;", "'\x80' '\xF0' EOF"},
        {"&#65540;", "'&#65540;' EOF"},
        {"&hellip;&nbsp;&trade;", "'...' '\xA0' '\x99' EOF"},
        {"&frac14x;&abcdefgh;", "'&frac14x' ';' '&abcdefg' 'h;' EOF"},
        {"& x&#x41;", "'&' ' x' '&#' 'x41;' EOF"},
        // Control characters are their own symbols.
        {"a\x01" "b", "'a' ^1 'b' EOF"},
        {"a\x1A" "b", "'a' EOF"},
    };
    for (const Case& c : cases) EXPECT_EQ(Symbols(c.input), c.symbols) << c.input;
}

TEST(Tokenizer, LongTextArrivesInPiecesOf100) {
    const std::string letters(250, 'x');
    Tokenizer t(letters);
    t.ReadChar();
    std::vector<size_t> sizes;
    for (t.Next(); t.Sym == Sy::Text; t.Next()) sizes.push_back(t.Token.size());
    EXPECT_EQ(sizes, (std::vector<size_t>{100, 100, 50}));
}

TEST(Tokenizer, SpacesInsideNoBrAreMarked) {
    Tokenizer t("a  b\r\nc");
    t.InsideNoBr = true;
    t.ReadChar();
    t.Next();
    EXPECT_EQ(t.Token, std::string("a\x05" "b\x05" "c"));
}

TEST(Tokenizer, HeadingLevels) {
    struct Case {
        const char* input;
        int level;
    };
    const Case cases[] = {{"<h2 align=center>", 2}, {"<H 2>", 2}, {"<H7>", 0}, {"<h>", 0}, {"</h3>", 3}, {"<h6>", 6}};
    for (const Case& c : cases) {
        Tokenizer t(c.input);
        t.ReadChar();
        t.Next();
        EXPECT_EQ(t.HeadingLevel, c.level) << c.input;
    }
    auto attributes = FirstTagAttributes("<h2 align=center>");
    ASSERT_EQ(attributes.size(), 1u);
    EXPECT_EQ(attributes[0].Which, Sy::Align);
    EXPECT_EQ(attributes[0].Name, "center");
}

TEST(Tokenizer, AttributeValues) {
    struct Case {
        const char* input;
        Sy which;
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"<td width=50%>", Sy::Width, "50%", 50},
        {"<td width='50%'>", Sy::Width, "50%", 50},
        {"<td width=\"50%\">", Sy::Width, "50%", 50},
        {"<td width=50 %>", Sy::Width, "50%", 50},
        {"<td width=\" 40 \">", Sy::Width, " 40 ", 40},
        {"<td width=100abc>", Sy::Width, "100abc", 0},
        {"<td width=-7>", Sy::Width, "-7", -7},
        {"<td width=+7>", Sy::Width, "+7", 7},
        {"<table border>", Sy::Border, "", 1},
        {"<table border=0>", Sy::Border, "0", 0},
        {"<table border=abc>", Sy::Border, "abc", 1},
        {"<input checked>", Sy::Checked, "", 0},
        {"<a href=\"a\r\nb\">", Sy::Href, "ab", 0},
        {"<a href=\"a&amp;b\">", Sy::Href, "a&b", 0},
        {"<a href=a&amp;b>", Sy::Href, "a&amp;b", 0},
        {"<a href = 'x y' >", Sy::Href, "x y", 0},
        {"<a HREF=\"unterminated>", Sy::Href, "unterminated>", 0},
        {"<meta http-equiv=refresh>", Sy::HttpEquiv, "refresh", 0},
        {"<td colspan=99999999999>", Sy::ColSpan, "99999999999", 0},
    };
    for (const Case& c : cases) {
        auto attributes = FirstTagAttributes(c.input);
        ASSERT_FALSE(attributes.empty()) << c.input;
        EXPECT_EQ(attributes[0].Which, c.which) << c.input;
        EXPECT_EQ(attributes[0].Name, c.text) << c.input;
        EXPECT_EQ(attributes[0].Value, c.value) << c.input;
    }
}

TEST(Tokenizer, AttributesKeptOnlyForTheirTags) {
    Tokenizer t("<img src=a.gif><b class=x><center align=left>");
    t.ReadChar();
    t.Next();
    ASSERT_EQ(t.Attributes.Count(), 1u);
    t.Next(); // B does not keep attributes: the IMG's stay
    t.Next(); // neither does CENTER
    ASSERT_EQ(t.Attributes.Count(), 1u);
    EXPECT_EQ(t.Attributes.Find(Sy::Src)->Name, "a.gif");
    auto unknown = FirstTagAttributes("<img style=\"x\" src=y>");
    ASSERT_EQ(unknown.size(), 2u);
    EXPECT_EQ(unknown[0].Which, Sy::UnknownAttr);
}

TEST(Tokenizer, TextAreaContent) {
    Tokenizer t("<textarea>one <b>&amp;\r\ntwo\r\n</TEXTAREA >after");
    t.ReadChar();
    t.Next();
    ASSERT_EQ(t.Sym, Sy::TextArea);
    EXPECT_EQ(t.ReadTextAreaLines(), (std::vector<std::string>{"one <b>&", "two"}));
    t.Next();
    EXPECT_EQ(t.Token, "after");
}

TEST(Tokenizer, ScriptWithAndWithoutHandler) {
    const char* page = "<script language=js name=s>if (a<b) x();\n<!-- c -->\n</SCRIPT>after";
    std::string got, gotName, gotLanguage;
    Tokenizer t(page);
    t.ReadChar();
    t.Next();
    t.ReadScript([&](const std::string& name, const std::string& language,
                     std::string body) { got = body, gotName = name, gotLanguage = language; },
                 "s", "js");
    EXPECT_EQ(got, "if (a<b) x();\r\n<!-- c -->\r\n");
    EXPECT_EQ(gotName, "s");
    EXPECT_EQ(gotLanguage, "js");
    t.Next();
    EXPECT_EQ(t.Token, "after");

    Tokenizer quiet(page);
    quiet.ReadChar();
    quiet.Next();
    quiet.ReadScript({}, "", "");
    quiet.Next();
    EXPECT_EQ(quiet.Token, "after");
}

TEST(Tokenizer, IncludeDirective) {
    std::string command;
    std::vector<std::string> params;
    auto include = [&](const std::string& c, const std::vector<std::string>& p) {
        command = c;
        params = p;
        return std::string("<b>in</b><!--#nested -->");
    };
    EXPECT_EQ(Symbols("a<!--#Include file=\"x.htm\" virtual=y -->b", include), "'a' B 'in' /B 'b' EOF");
    EXPECT_EQ(command, "Include");
    EXPECT_EQ(params, (std::vector<std::string>{"FILE=\"x.htm\"", "VIRTUAL=\"y\""}));
    // Without a handler the directive is an ordinary comment.
    EXPECT_EQ(Symbols("a<!--#include file=x -->b"), "'a' 'b' EOF");
    EXPECT_EQ(Symbols("a<!--#include file=x", include), "'a' EOF");
}

TEST(Tokenizer, UnterminatedCommentIsReported) {
    Tokenizer t("text<!-- and then nothing");
    t.ReadChar();
    t.Next();
    t.Next();
    EXPECT_EQ(t.Sym, Sy::Eof);
    EXPECT_TRUE(t.OpenCommentAtEnd());
}

TEST(Tokenizer, ParagraphSpacePendingIsClearedByContent) {
    struct Case {
        const char* input;
        bool stillPending;
    };
    const Case cases[] = {{"x", false}, {"<br>", false}, {"<h1>", false}, {"<table>", false}, {"<b>", true},
                          {"<p>", true}, {"<select>", false}, {"<font>", true}};
    for (const Case& c : cases) {
        Tokenizer t(c.input);
        t.ParagraphSpacePending = true;
        t.ReadChar();
        t.Next();
        EXPECT_EQ(t.ParagraphSpacePending, c.stillPending) << c.input;
    }
}
