#include "html/images/color_reduction.h"

#include <gtest/gtest.h>

using namespace velmora::images;

namespace {

PixelImage Grey(int width, std::vector<uint8_t> values) {
    PixelImage image;
    image.Allocate(width, int32_t(values.size()) / width, 24);
    for (size_t i = 0; i < values.size(); ++i) {
        uint8_t* p = image.Row(int32_t(i) / width) + (i % size_t(width)) * 3;
        p[0] = p[1] = p[2] = values[i];
    }
    return image;
}

std::vector<int> Indices(const PixelImage& image) {
    std::vector<int> out;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            out.push_back(image.Row(y)[x]);
    return out;
}

const Palette kBlackWhite = {{0, 0, 0}, {255, 255, 255}};

// Expected values worked out by hand from the diffusion rules (7/16 ahead,
// 3, 5, 1 /16 below; +8 before dividing by 16, truncating toward zero).
TEST(FloydSteinberg, MatchesHandComputedDiffusion) {
    // 140 -> white, error -115; next: 177 + (-805 + 8) / 16 = 177 - 49 = 128 -> white.
    // (Flooring, or leaving out the +8, would give 127 -> black.)
    EXPECT_EQ(Indices(ReduceToPalette(Grey(2, {140, 177}), kBlackWhite)), (std::vector<int>{1, 1}));

    // One pixel wide (error row of 3 cells), alternating directions; only the
    // 5/16 below stays in the picture: values 100, 131, 62, 119, 137.
    EXPECT_EQ(Indices(ReduceToPalette(Grey(1, {100, 100, 100, 100, 100}), kBlackWhite)),
              (std::vector<int>{0, 1, 0, 0, 1}));

    // 3 x 2, second row right to left: row 1 sees 109, 129, 56.
    EXPECT_EQ(Indices(ReduceToPalette(Grey(3, {100, 100, 100, 100, 100, 100}), kBlackWhite)),
              (std::vector<int>{0, 1, 0, 0, 1, 0}));
}

TEST(FloydSteinberg, PaletteColoursComeOutExactly) {
    Palette shared = MakeSharedPalette(Palette(256, Rgb{1, 2, 3}));
    PixelImage image;
    image.Allocate(4, 3, 24);
    const int chosen[12] = {10, 11, 16, 100, 224, 225, 245, 50, 60, 70, 200, 12};
    for (int i = 0; i < 12; ++i) {
        Rgb c = shared[size_t(chosen[i])];
        uint8_t* p = image.Row(i / 4) + (i % 4) * 3;
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
    }
    EXPECT_EQ(Indices(ReduceToPalette(image, shared)), std::vector<int>(chosen, chosen + 12));
    // An empty palette leaves the pixels at 0.
    EXPECT_EQ(Indices(ReduceToPalette(image, {})), std::vector<int>(12, 0));
}

TEST(FastColorLookup, NearestByManhattanDistanceSharedPerCell) {
    TFastColorLookup lookup({{0, 0, 0}, {17, 17, 17}, {255, 255, 255}, {0, 0, 0}});
    Rgb c;
    EXPECT_EQ(lookup.Lookup(255, 255, 255, c), 2);
    EXPECT_EQ(lookup.Lookup(0, 0, 0, c), 0); // the first of two equal entries wins
    EXPECT_EQ(lookup.Lookup(15, 15, 15, c), 1);
    EXPECT_EQ(c, (Rgb{17, 17, 17}));
    // Same 15-bit cell as (15, 15, 15): reused without a search, though black is nearer.
    EXPECT_EQ(lookup.Lookup(8, 8, 8, c), 1);
    EXPECT_EQ(lookup.Lookup(100, 0, 0, c), 0); // 100 + 0 + 0 against 83 + 17 + 17
}

TEST(SharedPalette, CubeAndGreysFromEntryTen) {
    Palette system(256);
    for (int i = 0; i < 256; ++i)
        system[size_t(i)] = Rgb{uint8_t(i), 1, 2};
    Palette p = MakeSharedPalette(system);
    ASSERT_EQ(p.size(), 256u);
    EXPECT_EQ(p[9], system[9]);
    EXPECT_EQ(p[10], (Rgb{55, 55, 55}));
    EXPECT_EQ(p[11], (Rgb{115, 55, 55}));    // red innermost
    EXPECT_EQ(p[16], (Rgb{55, 115, 55}));    // then green
    EXPECT_EQ(p[46], (Rgb{55, 55, 115}));    // blue outermost
    EXPECT_EQ(p[224], (Rgb{235, 255, 255})); // white itself is left out
    EXPECT_EQ(p[225], (Rgb{135, 135, 135}));
    EXPECT_EQ(p[230], (Rgb{160, 160, 160}));
    EXPECT_EQ(p[231], (Rgb{170, 170, 170})); // 165 is in the cube
    EXPECT_EQ(p[245], (Rgb{250, 250, 250}));
    EXPECT_EQ(p[246], system[246]);
    EXPECT_EQ(DefaultStaticColors().size(), 20u);
}

} // namespace
