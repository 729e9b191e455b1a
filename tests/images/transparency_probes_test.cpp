#include "html/images/transparency_probes.h"

#include <gtest/gtest.h>

#include "images/test_data.h"

using namespace velmora::images;
using images_test::DataPath;

namespace {

TEST(TransparencyProbes, GifLooksOnlyRightAfterTheGlobalTable) {
    uint32_t color = 0;
    EXPECT_TRUE(ProbeGifTransparencyFile(DataPath("gif_transparent.gif"), color));
    EXPECT_EQ(color, 0x00FF00u); // table entry 2, green
    for (const char* file :
         {"gif_transparent_late.gif", "gif_plain.gif", "gif_basic87a.gif", "bmp_24.bmp", "none.gif"})
        EXPECT_FALSE(ProbeGifTransparencyFile(DataPath(file), color)) << file;
}

TEST(TransparencyProbes, PngStopsAtImageData) {
    uint32_t color = 0;
    EXPECT_TRUE(ProbePngTransparencyFile(DataPath("png_indexed_trns.png"), color));
    EXPECT_EQ(color, 0x3C3228u); // palette entry 1 (tRNS length 2): 40, 50, 60
    EXPECT_TRUE(ProbePngTransparencyFile(DataPath("png_rgb_trns.png"), color));
    for (const char* file : {"png_grey_trns.png", "png_trns_after_idat.png", "gif_plain.gif", "none.png"})
        EXPECT_FALSE(ProbePngTransparencyFile(DataPath(file), color)) << file;
    // A chunk length running past the end stops the probe.
    auto bytes = images_test::ReadData("png_indexed_trns.png");
    for (size_t n = 0; n < bytes.size(); ++n)
        ProbePngTransparency(bytes.data(), n, color);
}

} // namespace
