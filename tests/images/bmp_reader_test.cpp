#include "html/images/bmp_reader.h"

#include <gtest/gtest.h>

#include "images/test_data.h"

using namespace velmora::images;
using images_test::ReadData;

namespace {

const Rgb kPal16[16] = {{0, 0, 0},     {255, 0, 0},   {0, 255, 0},     {0, 0, 255},
                        {255, 255, 0}, {0, 255, 255}, {255, 0, 255},   {255, 255, 255},
                        {128, 0, 0},   {0, 128, 0},   {0, 0, 128},     {128, 128, 0},
                        {0, 128, 128}, {128, 0, 128}, {192, 192, 192}, {128, 128, 128}};

PixelImage Decode(const std::string& name) {
    auto bytes = ReadData(name);
    PixelImage image;
    std::string error;
    EXPECT_TRUE(DecodeBmp(bytes.data(), bytes.size(), image, error)) << name << ": " << error;
    return image;
}

struct IndexedCase {
    const char* file;
    int colors;    // indices cycle through this many colours
    int tableSize; // entries the file gives; beyond them black
};

TEST(BmpReader, IndexedDepthsGiveTheirIndicesAndPalette) {
    const IndexedCase cases[] = {{"bmp_1.bmp", 2, 2},           {"bmp_4.bmp", 16, 16},
                                 {"bmp_8.bmp", 16, 256},        {"bmp_8_os2.bmp", 16, 256},
                                 {"bmp_8_topdown.bmp", 16, 16}, {"bmp_8_short_table.bmp", 16, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        PixelImage image = Decode(c.file);
        ASSERT_EQ(image.width, 5);
        ASSERT_EQ(image.height, 3);
        EXPECT_EQ(image.bits, 8);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                int index = (x + 2 * y) % c.colors;
                EXPECT_EQ(image.Row(y)[x], index) << x << "," << y;
                Rgb expected = c.colors == 2 ? (index ? Rgb{255, 255, 255} : Rgb{})
                                             : (index < c.tableSize ? kPal16[index] : Rgb{});
                EXPECT_EQ(image.PixelAt(x, y), expected) << x << "," << y;
            }
    }
}

TEST(BmpReader, TrueColourDepthsAndBitFields) {
    const char* exact[] = {"bmp_24.bmp", "bmp_24_topdown.bmp", "bmp_32.bmp", "bmp_32_v5_bitfields.bmp"};
    for (const char* file : exact) {
        SCOPED_TRACE(file);
        PixelImage image = Decode(file);
        ASSERT_EQ(image.bits, 24);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(image.PixelAt(x, y),
                          (Rgb{uint8_t(x * 50), uint8_t(y * 100), uint8_t(255 - x * 40)}));
    }
    // 16 bits: 5-5-5 by default, 5-6-5 through bit fields; full scale widens to 255.
    auto widen = [](int v, int bits) { return uint8_t((v << (8 - bits)) | (v >> (2 * bits - 8))); };
    for (const char* file : {"bmp_16.bmp", "bmp_16_565.bmp"}) {
        SCOPED_TRACE(file);
        PixelImage image = Decode(file);
        bool six = std::string(file) == "bmp_16_565.bmp";
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                Rgb expected{widen(x * 6, 5), six ? widen(y * 20, 6) : widen(y * 10, 5),
                             widen(31 - x * 5, 5)};
                EXPECT_EQ(image.PixelAt(x, y), expected) << x << "," << y;
            }
    }
}

TEST(BmpReader, RunLengthEncodings) {
    // Runs, absolute runs, delta, end of line and end of bitmap; skipped pixels are index 0.
    const uint8_t rle8[3][5] = {{9, 9, 9, 9, 9}, {0, 0, 7, 7, 7}, {1, 1, 2, 3, 4}};
    const uint8_t rle4[3][5] = {{0, 7, 7, 0, 0}, {3, 4, 5, 6, 6}, {1, 2, 1, 2, 1}};
    PixelImage a = Decode("bmp_8_rle.bmp"), b = Decode("bmp_4_rle.bmp");
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(a.Row(y)[x], rle8[y][x]) << "rle8 " << x << "," << y;
            EXPECT_EQ(b.Row(y)[x], rle4[y][x]) << "rle4 " << x << "," << y;
        }
    EXPECT_EQ(a.PixelAt(0, 0), kPal16[9]);
}

TEST(BmpReader, BadFilesAreRefusedWithoutAllocating) {
    for (const char* file : {"bmp_truncated.bmp", "bmp_lying.bmp", "gif_plain.gif"}) {
        auto bytes = ReadData(file);
        PixelImage image;
        std::string error;
        EXPECT_FALSE(DecodeBmp(bytes.data(), bytes.size(), image, error)) << file;
        EXPECT_TRUE(image.Empty());
        EXPECT_FALSE(error.empty());
    }
    // Every prefix of a good file: refused or decoded, never a crash (ASan watches).
    auto good = ReadData("bmp_8_rle.bmp");
    for (size_t n = 0; n < good.size(); ++n) {
        PixelImage image;
        std::string error;
        DecodeBmp(good.data(), n, image, error);
    }
}

TEST(ContentType, FirstBytesDecide) {
    struct Case {
        std::vector<uint8_t> bytes;
        ContentType type;
    } cases[] = {
        {{'B', 'M', 0}, ContentType::Bmp},
        {{'G', 'I', 'F', '8', '9', 'a'}, ContentType::Gif89a},
        {{'G', 'I', 'F', '8', '7', 'a'}, ContentType::Gif87a},
        {{'G', 'I', 'F', '8'}, ContentType::Gif87a},
        {{0x89, 'P', 'N', 'G'}, ContentType::Png},
        {{0xFF, 0xD8, 0xFF, 0xE0}, ContentType::Jpeg},
        {{0xFF, 0xD8, 0xFF, 0xE1}, ContentType::Jpeg}, // EXIF (camera photos)
        {{0xFF, 0xD8, 0xFF, 0xE2}, ContentType::Jpeg}, // ICC profile first
        {{0xFF, 0xD8, 0xFF, 0xEE}, ContentType::Jpeg}, // Adobe
        {{0xFF, 0xD8, 0xFF, 0xDB}, ContentType::Jpeg}, // tables without any APPn segment
        {{0xFF, 0xD8, 0xFF, 0xFE}, ContentType::Jpeg}, // comment first
        {{0xFF, 0xD8, 0xFF}, ContentType::Unknown},
        {{0xFF, 0xD8, 0xFF, 0x00}, ContentType::Unknown}, // no marker after the start
        {{0xFF, 0xD8, 0xFF, 0xFF}, ContentType::Unknown},
        {{0xFF, 0xD8, 0x00, 0xE0}, ContentType::Unknown},
        {{'B'}, ContentType::Unknown},
        {{}, ContentType::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectContentType(c.bytes.data(), c.bytes.size()), c.type);
}

} // namespace
