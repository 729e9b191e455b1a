#include "html/images/gif_decoder.h"

#include <gtest/gtest.h>

#include "html/images/gif_animation.h"
#include "images/test_data.h"

using namespace velmora::images;
using images_test::ReadData;

namespace {

bool Parse(const std::string& name, GifFile& gif, std::string& error, bool scanOnly = false) {
    auto bytes = ReadData(name);
    return ParseGif(bytes.data(), bytes.size(), scanOnly, gif, error);
}

GifFile Load(const std::string& name) {
    GifFile gif;
    std::string error;
    EXPECT_TRUE(Parse(name, gif, error)) << name << ": " << error;
    return gif;
}

int Pattern(int x, int y, int n) {
    return (x * 3 + y * 5) % n;
}

TEST(GifDecoder, FramePixelsInterlaceAndTables) {
    GifFile basic = Load("gif_basic87a.gif");
    ASSERT_EQ(basic.frames.size(), 1u);
    EXPECT_FALSE(basic.Animated());
    EXPECT_EQ(basic.width, 4);
    EXPECT_EQ(basic.height, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(basic.frames[0].indices[size_t(y * 4 + x)], Pattern(x, y, 4));

    // An interlaced frame decodes to the same picture as its plain twin.
    GifFile plain = Load("gif_plain.gif"), interlaced = Load("gif_interlaced.gif");
    EXPECT_TRUE(interlaced.frames[0].interlaced);
    EXPECT_EQ(plain.frames[0].indices, interlaced.frames[0].indices);
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(plain.frames[0].indices[size_t(y * 5 + 1)], Pattern(1, y, 4));

    GifFile local = Load("gif_local_table.gif");
    const GifFrame& f = local.frames[0];
    EXPECT_EQ(f.localBits, 3);
    EXPECT_EQ(local.colorBits, 3); // the largest table seen
    EXPECT_EQ(f.colors[1], (Rgb{40, 50, 60}));
    EXPECT_EQ(f.colors[f.indices[1]], (Rgb{100, 110, 120})); // pixel (1,0) is index 3
}

TEST(GifDecoder, TransparencyLoopsCommentsAndDisposal) {
    GifFile t = Load("gif_transparent.gif");
    ASSERT_TRUE(t.hasTransparency);
    const GifFrame& f = t.frames[0];
    EXPECT_TRUE(f.transparent);
    EXPECT_EQ(f.transparentIndex, 2);
    EXPECT_EQ(f.TransparentColor(), (Rgb{0, 255, 0}));
    for (size_t i = 0; i < f.indices.size(); ++i)
        EXPECT_EQ(f.mask[i], f.indices[i] == 2);

    GifFile d = Load("gif_disposal.gif");
    ASSERT_EQ(d.frames.size(), 4u);
    EXPECT_EQ(d.loopCount, 2);
    EXPECT_EQ(d.frames[0].comment, "first frame");
    EXPECT_EQ(d.frames[1].comment, "");
    const int disposal[] = {1, 2, 3, 2}; // the file's 6 counts as 2
    const int delay[] = {100, 0, 50, 200};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(d.frames[size_t(i)].disposal, disposal[i]);
        EXPECT_EQ(d.frames[size_t(i)].delay, delay[i]);
    }
    EXPECT_EQ(Load("gif_noloop.gif").loopCount, 1);
    EXPECT_EQ(Load("gif_forever.gif").loopCount, 0);
}

TEST(GifDecoder, ScreenGrowsToCoverFrames) {
    GifFile g = Load("gif_beyond_screen.gif");
    EXPECT_EQ(g.width, 14);
    EXPECT_EQ(g.height, 10);
    GifAnimation a;
    ASSERT_TRUE(a.Start(g));
    EXPECT_EQ(a.Composite().PixelAt(13, 9), (Rgb{0, 0, 255}));
    EXPECT_EQ(a.Composite().PixelAt(0, 0), (Rgb{0, 0, 0}));
}

TEST(GifDecoder, DamagedFiles) {
    // A code stream that ends early (properly terminated) leaves the rest at index 0.
    GifFile partial = Load("gif_truncated_lzw.gif");
    const auto& px = partial.frames[0].indices;
    EXPECT_EQ(px[0], 1);
    EXPECT_EQ(px[1], 2);
    EXPECT_EQ(px[15], 0);

    GifFile gif;
    std::string error;
    EXPECT_FALSE(Parse("gif_truncated_file.gif", gif, error));
    EXPECT_FALSE(Parse("gif_bad_code_size.gif", gif, error));
    EXPECT_EQ(error, "Corrupt GIF Image");
    EXPECT_FALSE(Parse("bmp_24.bmp", gif, error));
    EXPECT_TRUE(gif.frames.empty());

    // Every prefix of an animation: a clean failure or a success, never a fault.
    auto bytes = ReadData("gif_disposal.gif");
    for (size_t n = 0; n <= bytes.size(); ++n)
        ParseGif(bytes.data(), n, false, gif, error);
}

TEST(GifDecoder, FrameCountAndSizeLimits) {
    // 300 copies of one frame: the first 256 are kept, the load succeeds.
    auto basic = ReadData("gif_basic87a.gif");
    const size_t header = 13 + 12; // screen descriptor and a 4-colour table
    std::vector<uint8_t> frame(basic.begin() + header, basic.end() - 1);
    std::vector<uint8_t> many(basic.begin(), basic.begin() + header);
    for (int i = 0; i < 300; ++i)
        many.insert(many.end(), frame.begin(), frame.end());
    many.push_back(';');
    GifFile gif;
    std::string error;
    ASSERT_TRUE(ParseGif(many.data(), many.size(), false, gif, error)) << error;
    EXPECT_EQ(gif.frames.size(), 256u);

    // A frame placed far out would stretch the screen beyond what we hold: refused
    // before its pixels are allocated.
    std::vector<uint8_t> far(basic.begin(), basic.end());
    far[header + 1] = 0xFF; // left = 0xFFxx
    far[header + 2] = 0x7F;
    far[header + 3] = 0xFF; // top = 0xFFxx
    far[header + 4] = 0x7F;
    EXPECT_FALSE(ParseGif(far.data(), far.size(), false, gif, error));
}

// A GIF put together from pieces: the 4x3 file's screen and colour table,
// then the given blocks, then the trailer.
std::vector<uint8_t> GifOf(std::initializer_list<std::vector<uint8_t>> blocks) {
    auto basic = ReadData("gif_basic87a.gif");
    std::vector<uint8_t> out(basic.begin(), basic.begin() + 13 + 12);
    for (const auto& b : blocks)
        out.insert(out.end(), b.begin(), b.end());
    out.push_back(';');
    return out;
}

// The 4x3 file's one frame (descriptor and image data).
std::vector<uint8_t> BasicFrame() {
    auto basic = ReadData("gif_basic87a.gif");
    return std::vector<uint8_t>(basic.begin() + 13 + 12, basic.end() - 1);
}

// A frame of w x h whose code stream ends at once (every pixel index 0).
std::vector<uint8_t> EmptyFrame(uint16_t w, uint16_t h) {
    return {0x2C, 0, 0, 0,    0, uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8),
            0,    2, 1, 0x2C, 0}; // code size 2; one sub-block: clear, end
}

TEST(GifDecoder, FramesPastThePixelBudgetAreLeftOut) {
    // Two 6000x6000 frames together pass the budget for all frames: the second
    // ends the picture, and the frames before it show (in both passes alike,
    // so that the scan tells the same frame count as the full load).
    auto file = GifOf({EmptyFrame(6000, 6000), BasicFrame(), EmptyFrame(6000, 6000), BasicFrame()});
    for (bool scanOnly : {true, false}) {
        SCOPED_TRACE(scanOnly ? "scan" : "load");
        GifFile gif;
        std::string error;
        ASSERT_TRUE(ParseGif(file.data(), file.size(), scanOnly, gif, error)) << error;
        EXPECT_EQ(gif.frames.size(), 2u);
        EXPECT_TRUE(gif.Animated());
        EXPECT_EQ(gif.width, 6000);
        EXPECT_EQ(gif.height, 6000);
    }
    // A first frame past the limit for one picture leaves nothing to show.
    auto huge = GifOf({EmptyFrame(8000, 8000), BasicFrame()});
    GifFile gif;
    std::string error;
    EXPECT_FALSE(ParseGif(huge.data(), huge.size(), true, gif, error));
    EXPECT_FALSE(ParseGif(huge.data(), huge.size(), false, gif, error));
}

TEST(GifDecoder, LoopExtensionsOfEveryShape) {
    const std::vector<uint8_t> netscape = {0x21, 0xFF, 11,  'N', 'E', 'T', 'S',
                                           'C',  'A',  'P', 'E', '2', '.', '0'};
    struct Case {
        const char* what;
        std::vector<uint8_t> subBlocks;
        int32_t loops;
    } cases[] = {
        {"loop count 5", {3, 1, 5, 0, 0}, 5},
        {"for ever", {3, 1, 0, 0, 0}, 0},
        {"more sub-blocks after the count", {3, 1, 7, 0, 2, 0xAA, 0xBB, 0}, 7},
        {"buffering hint first", {5, 2, 0, 0x10, 0, 0, 0}, 1},
        {"no sub-block", {0}, 1},
        {"a longer first sub-block", {4, 1, 5, 0, 9, 0}, 1},
        {"a one-byte first sub-block", {1, 1, 3, 1, 9, 0, 0}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> extension = netscape;
        extension.insert(extension.end(), c.subBlocks.begin(), c.subBlocks.end());
        auto file = GifOf({extension, BasicFrame(), BasicFrame()});
        for (bool scanOnly : {true, false}) {
            GifFile gif;
            std::string error;
            ASSERT_TRUE(ParseGif(file.data(), file.size(), scanOnly, gif, error)) << error;
            EXPECT_EQ(gif.frames.size(), 2u);
            EXPECT_EQ(gif.loopCount, c.loops);
        }
    }
    // Cut off inside the extension: a truncated file, which does not load.
    auto cut = GifOf({netscape, {5, 2, 0}});
    GifFile gif;
    std::string error;
    EXPECT_FALSE(ParseGif(cut.data(), cut.size(), false, gif, error));
}

TEST(GifDecoder, ScanOnlyReadsHeadersWithoutPixels) {
    GifFile g;
    std::string error;
    ASSERT_TRUE(Parse("gif_disposal.gif", g, error, true));
    EXPECT_EQ(g.frames.size(), 4u);
    EXPECT_TRUE(g.Animated());
    EXPECT_TRUE(g.frames[0].indices.empty());
}

Rgb At(const GifAnimation& a, int x, int y) {
    return a.Composite().PixelAt(x, y);
}
bool Clear(const GifAnimation& a, int x, int y) {
    return a.CompositeMask()[size_t(y * a.File().width + x)] != 0;
}

TEST(GifAnimation, ComposesWithEachDisposalMethod) {
    const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, yellow{255, 255, 0}, black{};
    GifAnimation a;
    ASSERT_TRUE(a.Start(Load("gif_disposal.gif")));
    EXPECT_EQ(At(a, 0, 0), red);
    EXPECT_FALSE(Clear(a, 0, 0));
    EXPECT_TRUE(a.NeedsBackground());

    a.SetFrameIndex(2); // frame 1 leaves its pixels
    EXPECT_EQ(At(a, 0, 0), green);
    EXPECT_EQ(At(a, 3, 3), red);
    a.SetFrameIndex(3); // frame 2 restores the background: black and transparent
    EXPECT_EQ(At(a, 0, 0), black);
    EXPECT_TRUE(Clear(a, 1, 1));
    EXPECT_EQ(At(a, 2, 2), blue);
    EXPECT_EQ(At(a, 3, 2), red); // frame 3's transparent pixel shows what lies below
    a.SetFrameIndex(4);          // frame 3 restores what it covered
    EXPECT_EQ(At(a, 2, 2), red);
    EXPECT_FALSE(Clear(a, 2, 2));
    EXPECT_EQ(At(a, 3, 0), yellow);
    EXPECT_EQ(At(a, 0, 0), black); // still disposed from frame 2
    a.SetFrameIndex(5);            // past the end: back to frame 1, frame 4 restored to background
    EXPECT_EQ(a.FrameIndex(), 1);
    EXPECT_EQ(At(a, 3, 0), red);
    a.SetFrameIndex(0); // 0 or less: the last frame
    EXPECT_EQ(a.FrameIndex(), 4);
}

TEST(GifAnimation, StepsWithDelaysAndLoopCounts) {
    GifAnimation a;
    ASSERT_TRUE(a.Start(Load("gif_disposal.gif"))); // loop count 2, delays 100, 0, 50, 200 ms
    uint32_t now = 1000;
    a.SetAnimating(true, now);
    EXPECT_EQ(a.CurrentDelay(), 100);
    EXPECT_FALSE(a.Step(now + 99));  // not due yet
    EXPECT_FALSE(a.Step(now + 100)); // the first due tick only re-arms
    EXPECT_EQ(a.FrameIndex(), 1);
    now += 100;
    EXPECT_TRUE(a.Step(now += 100));
    EXPECT_EQ(a.FrameIndex(), 2);
    EXPECT_EQ(a.CurrentDelay(), 1); // a delay of 0 runs at the timer's pace
    EXPECT_TRUE(a.Step(now += 1));
    EXPECT_TRUE(a.Step(now += 50));
    EXPECT_EQ(a.FrameIndex(), 4);
    EXPECT_TRUE(a.Step(now += 200)); // second pass
    EXPECT_EQ(a.LoopsDone(), 2);
    EXPECT_EQ(a.FrameIndex(), 1);
    for (int i = 0; i < 3; ++i)
        a.Step(now += 1000);
    EXPECT_EQ(a.FrameIndex(), 4);
    EXPECT_FALSE(a.Step(now += 1000)); // both passes done: stops on the last frame
    EXPECT_FALSE(a.Animating());
    EXPECT_EQ(a.FrameIndex(), 4);

    // Without a loop extension: one pass; with loop count 0: for ever.
    GifAnimation once, forever;
    ASSERT_TRUE(once.Start(Load("gif_noloop.gif")));
    ASSERT_TRUE(forever.Start(Load("gif_forever.gif")));
    once.SetAnimating(true, 0);
    forever.SetAnimating(true, 0);
    for (uint32_t t = 10; t <= 200; t += 10) {
        once.Step(t);
        forever.Step(t);
    }
    EXPECT_FALSE(once.Animating());
    EXPECT_EQ(once.FrameIndex(), 2);
    EXPECT_TRUE(forever.Animating());
}

TEST(GifAnimation, RestartGoesBackToTheFirstFrameAsStarted) {
    const Rgb red{255, 0, 0};
    GifAnimation a;
    ASSERT_TRUE(a.Start(Load("gif_disposal.gif"))); // loop count 2, delays 100, 0, 50, 200 ms
    const PixelImage first = a.Composite();
    uint32_t now = 0;
    a.SetAnimating(true, now);
    for (int i = 0; i < 6; ++i)
        a.Step(now += 200); // into the second pass, frame 2 disposed to black
    ASSERT_EQ(a.LoopsDone(), 2);
    ASSERT_NE(a.FrameIndex(), 1);
    a.Restart(now);
    EXPECT_EQ(a.FrameIndex(), 1);
    EXPECT_EQ(a.LoopsDone(), 1);
    EXPECT_TRUE(a.Animating());
    EXPECT_EQ(a.CurrentDelay(), 100);
    EXPECT_EQ(At(a, 0, 0), red);
    EXPECT_EQ(a.Composite().pixels, first.pixels);
    // A stopped one stays stopped, on its first frame.
    a.SetAnimating(false, now);
    a.SetFrameIndex(3);
    a.Restart(now);
    EXPECT_EQ(a.FrameIndex(), 1);
    EXPECT_FALSE(a.Animating());
}

} // namespace
