#include "html/document.h"
#include "html/table.h"

#include <gtest/gtest.h>

using namespace velmora::html;

namespace {

TAttributeList Attributes(std::initializer_list<TAttribute> items) {
    TAttributeList list;
    for (const TAttribute& a : items) list.Add(a);
    return list;
}

struct Fixture {
    FixedFontMetrics metrics;
    TSectionList doc{metrics};
    TMyFont font;
    Fixture() {
        font.Name = doc.FontName;
        font.SetNominalSize(12, doc.FontSize);
    }
    TSection Section() { return TSection(&doc, 0, font, 0, nullptr, 1); }
};

} // namespace

TEST(MulDiv, RoundsHalvesAwayFromZero) {
    struct Case {
        int32_t a, b, c, result;
    };
    const Case cases[] = {{14, 12, 12, 14}, {14, 13, 12, 15}, {8, 10, 12, 7}, {3, 1, 2, 2}, {-3, 1, 2, -2},
                          {5, 3, 4, 4},     {7, 3, 4, 5},     {1, 1, 0, -1},  {2000000000, 3, 4, 1500000000}};
    for (const Case& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
}

TEST(AppendToken, SpaceRules) {
    struct Case {
        std::vector<const char*> tokens;
        bool noBr;
        const char* text;
    };
    const Case cases[] = {
        {{" ", "a", " ", " b"}, false, "a b"},
        {{" a ", " b"}, false, "a b"},
        {{"a", ""}, false, "a"},
        {{"\x05", "a\x05" "b", "\x05", "\x05" "c"}, true, "a\xA0" "b\xA0" "c"},
        {{"a \x05" "b"}, true, "a b"},
        {{"a\x05\x05" "b"}, true, "a\xA0" "b"},
        {{"a\x05 b"}, true, "a b"},
    };
    for (const Case& c : cases) {
        Fixture f;
        TSection s = f.Section();
        for (const char* t : c.tokens) s.AppendToken(t, c.noBr);
        EXPECT_EQ(s.Buff, c.text) << c.tokens.size();
    }
}

TEST(AppendToken, NoLeadingSpaceBesideFloatingImages) {
    Fixture f;
    TSection s = f.Section();
    s.AddImage(Attributes({{Sy::Align, "left", 0}}), &f.doc, false);
    s.AppendToken(" text", false);
    EXPECT_EQ(s.Buff, "\x04" "text");

    TSection inline_ = f.Section();
    inline_.AddImage(Attributes({}), &f.doc, false);
    inline_.AppendToken(" text", false);
    EXPECT_EQ(inline_.Buff, "\x04 text");
}

TEST(AppendToken, PreformattedLinesStopAfter20000) {
    Fixture f;
    TPreFormated line(&f.doc, 0, f.font, 0, nullptr, 1);
    const std::string piece(150, 'x');
    for (int i = 0; i < 200; ++i) line.AppendToken(piece, false);
    EXPECT_GE(line.Buff.size(), 20000u);
    EXPECT_LE(line.Buff.size(), 20000u + piece.size());
    line.AppendToken("  ", false);
    EXPECT_EQ(line.Buff.find("  "), std::string::npos);
}

TEST(ImageObj, AttributesClampsAndDefaults) {
    TImageObj plain(Attributes({}), 3, nullptr);
    EXPECT_EQ(plain.Pos, 3);
    EXPECT_EQ(plain.ObjAlign, TImageObj::ABottom);
    EXPECT_EQ(plain.HSpace, 0);
    EXPECT_EQ(plain.SpecWidth, -1);
    EXPECT_FALSE(plain.NoBorder);

    TImageObj floating(Attributes({{Sy::Align, "Right", 0}, {Sy::VSpace, "-90", -90}, {Sy::Height, "0", 0},
                                   {Sy::Width, "50%", 50}, {Sy::Border, "0", 0}, {Sy::UseMap, " #map1 ", 0},
                                   {Sy::IsMap, "", 0}, {Sy::Transp, "", 0}, {Sy::Active, "", 0}}),
                       0, nullptr);
    EXPECT_EQ(floating.ObjAlign, TImageObj::ARight);
    EXPECT_EQ(floating.HSpace, 5);
    EXPECT_EQ(floating.VSpace, 40);
    EXPECT_EQ(floating.SpecHeight, 1);
    EXPECT_EQ(floating.SpecWidth, 50);
    EXPECT_TRUE(floating.PercentWidth);
    EXPECT_TRUE(floating.NoBorder);
    EXPECT_EQ(floating.MapName, "MAP1");
    EXPECT_TRUE(floating.IsMap && floating.Transparent && floating.Active);

    struct Case {
        const char* align;
        uint8_t expected;
    };
    for (Case c : {Case{"top", 0}, Case{"ABSMIDDLE", 1}, Case{"middle", 1}, Case{"baseline", 2}, Case{"left", 3}})
        EXPECT_EQ(TImageObj(Attributes({{Sy::Align, c.align, 0}}), 0, nullptr).ObjAlign, c.expected) << c.align;
    TImageObj wide(Attributes({{Sy::Width, "150%", 150}, {Sy::HSpace, "-100", -100}, {Sy::UseMap, "#", 0}}), 0,
                   nullptr);
    EXPECT_EQ(wide.SpecWidth, -1);
    EXPECT_EQ(wide.HSpace, 40);
    EXPECT_EQ(wide.MapName, "#");
}

TEST(MapItem, ShapesAndHitTests) {
    TMapItem map("M");
    map.AddArea(Attributes({{Sy::Shape, "circle", 0}, {Sy::Coords, "10,10,5", 0}, {Sy::Href, "c.htm", 0}}));
    map.AddArea(Attributes({{Sy::Shape, "circ", 0}, {Sy::Coords, "1,2", 0}, {Sy::Href, "ignored", 0}}));
    map.AddArea(Attributes({{Sy::Shape, "RECT", 0}, {Sy::Coords, " 0 , 0,,20 20 ", 0}, {Sy::Href, "r.htm", 0},
                            {Sy::Target, "_top", 0}}));
    map.AddArea(Attributes({{Sy::Shape, "polygon", 0}, {Sy::Coords, "30,0,40,0,40,10,x", 0}, {Sy::NoHref, "", 0},
                            {Sy::Href, "p.htm", 0}}));
    ASSERT_EQ(map.Areas.size(), 3u);
    EXPECT_EQ(map.Areas[0].Shape, TMapArea::Circle);
    EXPECT_EQ(map.Areas[1].Coords, (std::vector<int32_t>{0, 0, 20, 20}));
    EXPECT_EQ(map.Areas[2].Shape, TMapArea::Poly);
    EXPECT_EQ(map.Areas[2].Coords.size(), 6u); // the odd "x" (0) is dropped
    struct Case {
        int x, y;
        const char* url; // nullptr: no link
    };
    const Case cases[] = {{10, 10, "c.htm"}, {15, 10, "c.htm"}, {14, 14, "r.htm"}, {20, 20, "r.htm"},
                          {21, 5, nullptr},  {39, 5, nullptr},  {35, 9, nullptr},  {100, 100, nullptr}};
    for (const Case& c : cases) {
        std::string url, target;
        const bool hit = map.GetURL(c.x, c.y, url, target);
        EXPECT_EQ(hit, c.url != nullptr) << c.x << "," << c.y;
        if (c.url && hit) {
            EXPECT_EQ(url, c.url);
        }
    }
    std::vector<std::string> many;
    std::string coords;
    for (int i = 0; i < 400; ++i) coords += std::to_string(i) + ",";
    map.AddArea(Attributes({{Sy::Shape, "poly", 0}, {Sy::Coords, coords, 0}}));
    EXPECT_EQ(map.Areas.back().Coords.size(), 300u); // 301 numbers read, the odd one dropped
}

TEST(Sections, SpaceHeightsFollowTheDefaultSize) {
    Fixture f;
    f.doc.FontSize = 10;
    f.doc.Add(std::make_unique<TParagraphSpace>(&f.doc));
    for (int level = 0; level <= 6; ++level) f.doc.Add(std::make_unique<THeadingSpace>(&f.doc, level));
    f.doc.Add(std::make_unique<THorzLine>(&f.doc, Attributes({{Sy::Size, "5", 5}})));
    std::vector<int32_t> heights;
    for (auto& s : f.doc.Sections) heights.push_back(s->SectionHeight);
    EXPECT_EQ(heights, (std::vector<int32_t>{12, 7, 13, 10, 8, 7, 5, 3, 20}));
}

TEST(Sections, RefreshFontsReappliesDefaults) {
    Fixture f;
    auto s = std::make_unique<TSection>(&f.doc, 0, f.font, fsBold, nullptr, 1);
    TMyFont pre = f.font;
    pre.FixedPitch = true;
    pre.SetNominalSize(10, 12);
    pre.Color = 0x123456;
    s->AppendToken("ab", false);
    s->ChangeFont(pre, 0, 0);
    s->AppendToken("cd", false);
    TUrlTarget link{"x.htm", ""};
    s->HRef(true, f.font, 0, 0, &link);
    TSection* section = s.get();
    f.doc.Add(std::move(s));
    f.doc.SetDefaults("Arial", "Courier", false, 0xFFFFFF, 1, 2, 3, 4, 24);
    ASSERT_EQ(section->Fonts.size(), 3u);
    EXPECT_EQ(section->Fonts[0].TheFont(f.doc).Name, "Arial");
    EXPECT_EQ(section->Fonts[0].TheFont(f.doc).Size, 24);
    EXPECT_EQ(section->Fonts[0].TheFont(f.doc).Style, fsBold);
    EXPECT_EQ(section->Fonts[1].TheFont(f.doc).Name, "Courier");
    EXPECT_EQ(section->Fonts[1].TheFont(f.doc).Size, 20);
    EXPECT_EQ(section->Fonts[1].TheFont(f.doc).Color, 4u);
    EXPECT_EQ(section->Fonts[2].TheFont(f.doc).Color, 3u);
    EXPECT_EQ(section->Fonts[2].FontHeight(f.doc), 32 + 4);
    ASSERT_EQ(f.doc.LinkRuns.size(), 1u);
    EXPECT_EQ(&f.doc.LinkRuns[0].Run(), &section->Fonts[2]);
}

TEST(Sections, LinkRunsRecolourWhenVisitedOrHovered) {
    Fixture f;
    f.doc.HotSpotColor = 1;
    f.doc.LinkVisitedColor = 2;
    f.doc.LinkActiveColor = 3;
    TUrlTarget link{"a.htm", "_top"};
    TSection s(&f.doc, 0, f.font, 0, &link, 1);
    s.AppendToken("x", false);
    s.ChangeFont(f.font, fsBold, 0); // still inside the link
    TFontObj& run = s.Fonts[1];
    EXPECT_EQ(run.Url(f.doc), "a.htm");
    EXPECT_EQ(run.Target(f.doc), "_top");
    EXPECT_EQ(f.doc.LinkRuns.size(), 2u);
    run.SetVisited(f.doc, true);
    EXPECT_EQ(run.TheFont(f.doc).Color, 2u);
    run.SetHover(f.doc, true);
    EXPECT_EQ(run.TheFont(f.doc).Color, 3u);
    EXPECT_EQ(run.TheFont(f.doc).Style, fsBold);
    run.SetHover(f.doc, false);
    EXPECT_EQ(run.TheFont(f.doc).Color, 2u);
    // Both runs share one entry of the link table.
    EXPECT_EQ(s.Fonts[0].LinkIndex, run.LinkIndex);
}

TEST(SectionVector, OneSectionInPlaceMoreOnTheHeap) {
    Fixture f;
    TSectionVector list;
    std::vector<TSectionBase*> made;
    auto add = [&] {
        auto section = std::make_unique<TParagraphSpace>(&f.doc);
        made.push_back(section.get());
        list.push_back(std::move(section));
    };
    auto holds = [&](std::vector<size_t> order) {
        ASSERT_EQ(list.size(), order.size());
        for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(list[i].get(), made[order[i]]) << i;
        size_t n = 0;
        for (const auto& s : list) EXPECT_EQ(s.get(), made[order[n++]]);
    };
    EXPECT_TRUE(list.empty());
    add();
    holds({0});
    EXPECT_EQ(list.back().get(), made[0]);
    for (int i = 0; i < 4; ++i) add(); // out of place, growing twice
    holds({0, 1, 2, 3, 4});
    list.erase(list.begin() + 1);
    holds({0, 2, 3, 4});
    list.erase(list.begin() + 3);
    holds({0, 2, 3});
    EXPECT_THROW(list.at(3), std::out_of_range);
    list.erase(list.begin());
    list.erase(list.begin());
    list.shrink_to_fit(); // one left: back in place
    holds({3});
    add();
    holds({3, 5});
    list.clear();
    EXPECT_TRUE(list.empty());
    add();
    holds({6});
}
