#include "html/symbols.h"

#include <gtest/gtest.h>

#include <string>

using namespace velmora::html;

TEST(TagTable, OrderAndEndTags) {
    EXPECT_EQ(kTagTable[0].Name, "HTML");
    EXPECT_EQ(kTagTable[kTagCount - 1].Name, "WBR");
    // The first 49 tags have a recognised end tag, the other 17 do not.
    for (int i = 0; i < kTagCount; ++i) {
        EXPECT_EQ(kTagTable[i].End != Sy::UnknownTag, i < 49) << kTagTable[i].Name;
        const TagEntry* found = FindTag(kTagTable[i].Name);
        ASSERT_NE(found, nullptr) << kTagTable[i].Name;
        EXPECT_EQ(found, &kTagTable[i]);
    }
    for (const char* notATag : {"", "FOO", "html", "H1", "TBODY", "SPAN", "HTMLX"})
        EXPECT_EQ(FindTag(notATag), nullptr) << notATag;
}

TEST(AttributeTable, NamesMapToTheirSymbols) {
    struct Case {
        const char* name;
        Sy symbol;
    };
    const Case cases[] = {{"HREF", Sy::Href},       {"TEXT", Sy::Text},          {"WRAP", Sy::Wrap},
                          {"SELECTED", Sy::Selected}, {"HTTP-EQUIV", Sy::HttpEquiv}, {"NOWRAP", Sy::NoWrap},
                          {"BORDERCOLOR", Sy::BorderColor}, {"href", Sy::UnknownAttr}, {"CLASS", Sy::UnknownAttr},
                          {"STYLE", Sy::UnknownAttr}};
    for (const Case& c : cases) EXPECT_EQ(FindAttribute(c.name), c.symbol) << c.name;
    for (int i = 0; i < kAttributeCount; ++i)
        EXPECT_EQ(FindAttribute(kAttributeTable[i].Name), kAttributeTable[i].Symbol) << kAttributeTable[i].Name;
}

TEST(AttributeKeeping, OnlyTheListedTags) {
    for (Sy s : {Sy::Body, Sy::P, Sy::Br, Sy::H, Sy::Img, Sy::A, Sy::TD, Sy::Option, Sy::Meta, Sy::Wrap, Sy::Script})
        EXPECT_TRUE(KeepsAttributes(s)) << static_cast<int>(s);
    for (Sy s : {Sy::B, Sy::LI, Sy::Center, Sy::Pre, Sy::PEnd, Sy::TableEnd, Sy::Selected, Sy::Button, Sy::Dir})
        EXPECT_FALSE(KeepsAttributes(s)) << static_cast<int>(s);
}

TEST(EntityTable, CharactersAndCase) {
    struct Case {
        const char* name;
        const char* text; // nullptr: not an entity
    };
    const Case cases[] = {
        {"amp", "&"},     {"lt", "<"},        {"gt", ">"},           {"quot", "\""},   {"rsquo", "'"},
        {"ndash", "-"},   {"trade", "\x99"},  {"hellip", "..."},     {"nbsp", "\xA0"}, {"iexcl", "\xA1"},
        {"shy", "\xAD"},  {"frac34", "\xBE"}, {"Agrave", "\xC0"},    {"agrave", "\xE0"}, {"ETH", "\xD0"},
        {"eth", "\xF0"},  {"times", "\xD7"},  {"divide", "\xF7"},    {"szlig", "\xDF"}, {"yuml", "\xFF"},
        {"AMP", nullptr}, {"Nbsp", nullptr},  {"euro", nullptr},     {"", nullptr},    {"apos", nullptr},
    };
    for (const Case& c : cases) {
        auto found = FindEntity(c.name);
        if (!c.text) {
            EXPECT_FALSE(found.has_value()) << c.name;
        } else {
            ASSERT_TRUE(found.has_value()) << c.name;
            EXPECT_EQ(std::string(*found), c.text) << c.name;
        }
    }
    EXPECT_EQ(kEntityTable[kEntityCount - 1].Name, "yuml");
}

TEST(Colors, NamesAndHexWithRedInTheLowByte) {
    struct Case {
        const char* text;
        bool valid;
        TColor color;
    };
    const Case cases[] = {
        {"red", true, 0x0000FF},      {"#FF0000", true, 0x0000FF}, {"ff", true, 0x0000FF},
        {"#12", true, 0x000012},      {"#00ff00", true, 0x00FF00}, {"lime", true, 0x00FF00},
        {"Lime", true, 0x00FF00},     {"BLUE", true, 0xFF0000},    {"navy", true, 0x800000},
        {"silver", true, 0xC0C0C0},   {"#123456", true, 0x563412}, {"1234567", true, 0x674523},
        {"#", true, 0x000000},        {"zzz", false, 0},           {"#12 34", false, 0},
        {"123456789", false, 0},      {"fuchsia", true, 0xFF00FF}, {"Aqua", true, 0xFFFF00},
    };
    for (const Case& c : cases) {
        auto color = ParseColor(c.text);
        EXPECT_EQ(color.has_value(), c.valid) << c.text;
        if (c.valid && color) {
            EXPECT_EQ(*color, c.color) << c.text;
        }
    }
}

TEST(Charsets, FirstEntryFoundInTheContentWins) {
    struct Case {
        const char* content;
        int charset; // -1: none
    };
    const Case cases[] = {
        {"text/html; charset=windows-1254", 162}, {"text/html; charset=iso-8859-9", 162},
        {"text/html; charset=ISO-8859-1", 0},     {"text/html; charset=KOI8-R", 204},
        {"text/html; charset=windows-1250", 238}, {"charset=iso-8859-7", 161},
        {"charset=windows-1257", 186},            {"text/html; charset=utf-8", -1},
        {"", -1},
    };
    for (const Case& c : cases) {
        auto cs = CharsetFromContent(c.content);
        EXPECT_EQ(cs ? int{*cs} : -1, c.charset) << c.content;
    }
}

TEST(AnsiCodePage, UnicodeToCodePage1254) {
    EXPECT_EQ(WideCharToAnsi(0x20AC), 0x80);  // euro
    EXPECT_EQ(WideCharToAnsi(0x011F), 0xF0);  // g breve
    EXPECT_EQ(WideCharToAnsi(0x0130), 0xDD);  // dotted capital I
    EXPECT_EQ(WideCharToAnsi(0x2014), 0x97);  // em dash
    EXPECT_EQ(WideCharToAnsi(0x00E9), 0xE9);  // e acute
    EXPECT_EQ(WideCharToAnsi(0x00F0), '?');   // eth has no place in 1254
    EXPECT_EQ(WideCharToAnsi(0x4E00), '?');
    EXPECT_EQ(WideCharToAnsi('A'), 'A');
}
