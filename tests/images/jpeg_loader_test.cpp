#include "html/images/jpeg_loader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "html/images/color_reduction.h"
#include "images/test_data.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

using namespace velmora::images;
using images_test::ReadData;

// While set, every allocation of at least this many bytes fails: a picture
// whose decoding runs out of memory half-way. (Replaces the program's global
// allocation functions for this test program only.)
namespace {
std::atomic<size_t> failAllocationsFrom{0};
}
void* operator new(std::size_t n) {
    const size_t limit = failAllocationsFrom.load();
    if (limit && n >= limit) throw std::bad_alloc();
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
// The compiler cannot see that every operator new of this program is the one above.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// The fixtures hold four 8x8 quadrants of one colour each, saved at quality 100.
const Rgb kQuadrants[4] = {{200, 40, 30}, {30, 180, 60}, {40, 60, 200}, {230, 230, 230}};

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

bool Decode(const std::string& name, PixelImage& image, const JpegOptions& options = {}) {
    auto bytes = ReadData(name);
    std::string error;
    return DecodeJpeg(bytes.data(), bytes.size(), options, image, error);
}

TEST(JpegLoader, ColourFilesDecodeTo24Bits) {
    // Camera photos begin with an EXIF segment, some files with no application segment at all.
    for (const char* file :
         {"jpeg_baseline.jpg", "jpeg_progressive.jpg", "jpeg_cmyk.jpg", "jpeg_exif.jpg", "jpeg_no_app.jpg"}) {
        SCOPED_TRACE(file);
        auto bytes = ReadData(file);
        EXPECT_EQ(DetectContentType(bytes.data(), bytes.size()), ContentType::Jpeg);
        PixelImage image;
        ASSERT_TRUE(Decode(file, image));
        ASSERT_EQ(image.bits, 24);
        ASSERT_EQ(image.width, 16);
        for (int q = 0; q < 4; ++q) {
            Rgb got = image.PixelAt(q % 2 ? 12 : 3, q / 2 ? 12 : 3);
            EXPECT_TRUE(Near(got, kQuadrants[q], 8))
                << "quadrant " << q << ": " << int(got.r) << "," << int(got.g) << "," << int(got.b);
        }
    }
}

TEST(JpegLoader, GreyscaleGivesGreyIndicesEvenWhenQuantising) {
    JpegOptions quantize;
    quantize.quantizeTo = MakeSharedPalette(Palette(256));
    PixelImage image;
    ASSERT_TRUE(Decode("jpeg_grey.jpg", image, quantize));
    EXPECT_EQ(image.bits, 8);
    EXPECT_TRUE(image.greyscale);
    Rgb c = image.PixelAt(3, 3); // the red quadrant, grey by ImageMagick (Rec. 709 weights)
    EXPECT_EQ(c.r, c.g);
    EXPECT_NEAR(c.r, 0.2126 * 200 + 0.7152 * 40 + 0.0722 * 30, 4);
}

TEST(JpegLoader, QuantisesColourToTheGivenPalette) {
    JpegOptions quantize;
    quantize.quantizeTo = MakeSharedPalette(Palette(256));
    PixelImage image;
    ASSERT_TRUE(Decode("jpeg_baseline.jpg", image, quantize));
    ASSERT_EQ(image.bits, 8);
    EXPECT_EQ(image.palette, quantize.quantizeTo);
    // Dithered: averaged over the quadrant, the palette colours come close to the original
    // (libjpeg caps the error it spreads, so the darkest channels stay near the cube level 55).
    for (int q = 0; q < 4; ++q) {
        int sum[3] = {};
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                Rgb c = image.PixelAt(x + 8 * (q % 2), y + 8 * (q / 2));
                sum[0] += c.r;
                sum[1] += c.g;
                sum[2] += c.b;
            }
        Rgb mean{uint8_t(sum[0] / 64), uint8_t(sum[1] / 64), uint8_t(sum[2] / 64)};
        EXPECT_TRUE(Near(mean, kQuadrants[q], 30))
            << "quadrant " << q << ": " << int(mean.r) << "," << int(mean.g) << "," << int(mean.b);
    }
}

TEST(JpegLoader, RunningOutOfMemoryGivesNoPictureAndFreesLibjpeg) {
    JpegOptions quantize;
    quantize.quantizeTo = MakeSharedPalette(Palette(256));
    for (const char* file : {"jpeg_baseline.jpg", "jpeg_progressive.jpg", "jpeg_grey.jpg", "jpeg_cmyk.jpg"}) {
        for (const JpegOptions& options : {quantize, JpegOptions{}}) {
            SCOPED_TRACE(std::string(file) + (options.quantizeTo.empty() ? "" : " quantised"));
            auto bytes = ReadData(file);
            PixelImage image;
            std::string error;
            bool decoded = true;
            auto decodeShortOfMemory = [&] {
                struct Armed {
                    Armed() { failAllocationsFrom = 256; } // the 16x16 picture's rows and palettes are larger
                    ~Armed() { failAllocationsFrom = 0; }
                } armed;
                return DecodeJpeg(bytes.data(), bytes.size(), options, image, error);
            };
            EXPECT_NO_THROW(decoded = decodeShortOfMemory());
            EXPECT_FALSE(decoded);
            EXPECT_TRUE(image.Empty());
            EXPECT_EQ(error, "out of memory");
#if defined(__SANITIZE_ADDRESS__)
            // libjpeg's pools (the progressive file's whole-picture buffers among
            // them) went back with the decompressor.
            EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
            // And the next picture decodes as usual.
            EXPECT_TRUE(Decode(file, image));
        }
    }
}

TEST(JpegLoader, BrokenDataGivesNoPictureAndKeepsRunning) {
    PixelImage image;
    // Cut before the pixel data starts: libjpeg's error path, through our longjmp.
    EXPECT_FALSE(Decode("jpeg_truncated.jpg", image));
    EXPECT_TRUE(image.Empty());
    EXPECT_FALSE(Decode("gif_plain.gif", image));
    std::string error;
    EXPECT_FALSE(DecodeJpeg(nullptr, 0, {}, image, error));
    // Every prefix of a good file.
    auto bytes = ReadData("jpeg_progressive.jpg");
    for (size_t n = 0; n < bytes.size(); n += 7)
        DecodeJpeg(bytes.data(), n, {}, image, error);
}

} // namespace
