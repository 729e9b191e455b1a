// The display side of pictures, run on the real screen: 24 bits, and again on
// an 8-bit palette screen (VELMORA_SCREEN=8).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "base/os.h"
#include "html/images/color_reduction.h"
#include "html/images/display.h"
#include "html/images/dither.h"
#include "html/images/gif_image.h"
#include "html/images/image_cache.h"
#include "html/images/picture_loader.h"
#include "images/test_data.h"
#include "support/win32_test_util.h"

using namespace velmora::images;
using images_test::DataPath;

namespace {

bool EightBitRun() {
    const char* s = std::getenv("VELMORA_SCREEN");
    return s && std::string(s) == "8";
}

bool InPalette(Rgb c, const Palette& p) {
    for (const Rgb& e : p)
        if (e == c) return true;
    return false;
}

class PictureDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeDisplay();
        OverrideScreenBits(0);
        ImageCache().Clear();
        ImageCache().SetMaxImageAge(4);
    }
    void TearDown() override {
        OverrideScreenBits(0);
        ImageCache().Clear();
    }
    testing_support::TempFolder temp_;
    std::string Copy(const std::string& fixture, const std::string& as) {
        std::vector<uint8_t> bytes = images_test::ReadData(fixture);
        return temp_.File(as, std::string(bytes.begin(), bytes.end()));
    }
};

TEST_F(PictureDisplay, ScreenSetupMatchesTheRealDisplay) {
    HDC dc = GetDC(nullptr);
    const bool palette = GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE;
    const int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    if (EightBitRun()) {
        EXPECT_EQ(bits, 8);
        EXPECT_TRUE(palette);
        EXPECT_EQ(ScreenBits(), 8);
        ASSERT_NE(SharedPalette(), nullptr);
        Palette colors = PaletteColors(SharedPalette());
        ASSERT_EQ(colors.size(), 256u);
        EXPECT_EQ(colors[10], (Rgb{55, 55, 55}));
        EXPECT_EQ(colors[224], (Rgb{235, 255, 255}));
        EXPECT_EQ(colors[245], (Rgb{250, 250, 250}));
        // Entries 0 to 9 and 246 to 255 stay the system's.
        PALETTEENTRY system[256];
        HDC screen = GetDC(nullptr);
        GetSystemPaletteEntries(screen, 0, 256, system);
        ReleaseDC(nullptr, screen);
        EXPECT_EQ(colors[0], (Rgb{system[0].peRed, system[0].peGreen, system[0].peBlue}));
        EXPECT_EQ(colors[255], (Rgb{system[255].peRed, system[255].peGreen, system[255].peBlue}));
    } else {
        EXPECT_GT(bits, 8);
        EXPECT_EQ(ScreenBits(), 24);
        EXPECT_EQ(SharedPalette(), nullptr);
    }
    for (TBitmap* b : {PendingImage(), BrokenImage(), BrokenImageMask()}) {
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->Width(), 16);
        EXPECT_EQ(b->Height(), 16);
    }
    EXPECT_EQ(BrokenImageMask()->BitsPerPixel(), 1);
    PixelImage mask = BrokenImageMask()->ReadPixels();
    EXPECT_EQ(mask.PixelAt(0, 0), (Rgb{255, 255, 255})); // transparent corner
    EXPECT_EQ(mask.PixelAt(8, 8), (Rgb{0, 0, 0}));
    HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    for (int n = 1; n <= 5; ++n) {
        EXPECT_NE(ViewerCursor(n), nullptr);
        EXPECT_NE(ViewerCursor(n), arrow) << n;
    }
    EXPECT_NE(WaitImageStream(), nullptr);
}

TEST_F(PictureDisplay, FilesDecodeByContentToTheDisplaysDepth) {
    TTransparency t = NotTransparent;
    std::unique_ptr<TBitmap> mask;
    auto bmp = ReadPictureFile(DataPath("bmp_24.bmp"), t, mask);
    ASSERT_TRUE(bmp);
    EXPECT_FALSE(mask);
    PixelImage px = bmp->ReadPixels();
    if (ScreenBits() == 24) {
        EXPECT_EQ(bmp->BitsPerPixel(), 24);
        EXPECT_EQ(px.PixelAt(2, 1), (Rgb{100, 100, 175}));
    } else {
        // Dithered to the shared palette.
        EXPECT_EQ(bmp->BitsPerPixel(), 8);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_TRUE(InPalette(px.PixelAt(x, y), SharedPaletteColors()));
    }
    auto jpeg = ReadPictureFile(DataPath("jpeg_progressive.jpg"), t, mask);
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->BitsPerPixel(), ScreenBits() == 24 ? 24 : 8);
    // By content, never by name.
    EXPECT_TRUE(ReadPictureFile(Copy("jpeg_baseline.jpg", "photo.gif"), t, mask));
    EXPECT_TRUE(ReadPictureFile(Copy("gif_plain.gif", "picture.jpg"), t, mask));
    EXPECT_FALSE(ReadPictureFile(Copy("png_rgb_trns.png", "x.png"), t, mask));
    EXPECT_FALSE(ReadPictureFile(DataPath("bmp_lying.bmp"), t, mask));
    EXPECT_FALSE(ReadPictureFile(DataPath("gif_truncated_file.gif"), t, mask));
    EXPECT_FALSE(ReadPictureFile(DataPath("missing.bmp"), t, mask));
}

TEST_F(PictureDisplay, CameraPhotosShow) {
    // Photos from cameras begin with an EXIF segment instead of JFIF; others
    // with no application segment at all. Both are JPEGs, whatever their name.
    for (const char* fixture : {"jpeg_exif.jpg", "jpeg_no_app.jpg"}) {
        SCOPED_TRACE(fixture);
        for (const char* name : {"DSC00001.JPG", "photo.jpeg", "photo.gif"}) {
            SCOPED_TRACE(name);
            ImageCache().Clear();
            TTransparency t = NotTransparent;
            bool pending, fromCache;
            TBitmap* mask = nullptr;
            auto* photo =
                dynamic_cast<TBitmap*>(FetchImage(Copy(fixture, name), t, pending, fromCache, mask));
            ASSERT_NE(photo, nullptr);
            EXPECT_EQ(photo->Width(), 16);
            EXPECT_EQ(photo->Height(), 16);
            EXPECT_EQ(mask, nullptr);
            PixelImage px = photo->ReadPixels();
            // The red quadrant; on a palette screen, dithered to the shared colours.
            Rgb c = px.PixelAt(3, 3);
            if (ScreenBits() == 24) {
                EXPECT_NEAR(c.r, 200, 8);
                EXPECT_NEAR(c.g, 40, 8);
                EXPECT_NEAR(c.b, 30, 8);
            } else {
                EXPECT_TRUE(InPalette(c, SharedPaletteColors()));
                EXPECT_GT(c.r, c.b);
            }
        }
    }
}

TEST_F(PictureDisplay, TransparencyKindsGiveMasks) {
    // GIF probe: kind 2 with the table's colour; the mask is white on index 2's pixels.
    TTransparency t = NotTransparent;
    std::unique_ptr<TBitmap> mask;
    auto gif = ReadPictureFile(DataPath("gif_transparent.gif"), t, mask);
    ASSERT_TRUE(gif);
    EXPECT_EQ(t, GifTransparency);
    ASSERT_TRUE(mask);
    PixelImage m = mask->ReadPixels();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(m.PixelAt(x, y).r, (x * 3 + y * 5) % 4 == 2 ? 255 : 0) << x << "," << y;
    // The quick probe looks only right after the table: this one loads as opaque here.
    t = NotTransparent;
    EXPECT_TRUE(ReadPictureFile(DataPath("gif_transparent_late.gif"), t, mask));
    EXPECT_EQ(t, NotTransparent);
    EXPECT_FALSE(mask);
    // Kind 1: the bottom-left pixel's colour (index 4, yellow, at (0,2) and (4,0)).
    t = LowerLeftCorner;
    auto bmp = ReadPictureFile(DataPath("bmp_8.bmp"), t, mask);
    ASSERT_TRUE(bmp && mask);
    m = mask->ReadPixels();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(m.PixelAt(x, y).r, (x + 2 * y) % 16 == 4 ? 255 : 0) << x << "," << y;
}

TEST_F(PictureDisplay, CacheSharesEntriesAndAgesThem) {
    std::string a = Copy("bmp_24.bmp", "a.bmp");
    TTransparency t = NotTransparent;
    bool pending, fromCache;
    TBitmap* mask;
    TGraphic* first = FetchImage(a, t, pending, fromCache, mask);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(fromCache);
    std::string upper = velmora::os::AnsiUpperCase(a) + " ";
    TGraphic* second = FetchImage("  " + upper, t, pending, fromCache, mask);
    EXPECT_EQ(second, first);
    EXPECT_TRUE(fromCache);
    TStringBitmapList& cache = ImageCache();
    ASSERT_EQ(cache.Count(), 1);
    EXPECT_EQ(cache.Item(0).UsageCount, 2);

    // Document 1 ends; the picture stays for N more documents, then goes.
    cache.SetMaxImageAge(5);
    cache.ReleaseImage(TStringBitmapList::KeyOf(a));
    cache.ReleaseImage(TStringBitmapList::KeyOf(a));
    for (int doc = 2; doc <= 4; ++doc)
        cache.AgeCache();
    EXPECT_EQ(cache.Item(0).AccessCount, 3);
    FetchImage(a, t, pending, fromCache, mask); // document 4 uses it again: age restarts
    EXPECT_EQ(cache.Item(0).AccessCount, 0);
    cache.ReleaseImage(TStringBitmapList::KeyOf(a));
    for (int i = 0; i < 5; ++i)
        cache.AgeCache();
    EXPECT_EQ(cache.Count(), 1);
    cache.AgeCache(); // the sixth document after its last use
    EXPECT_EQ(cache.Count(), 0);

    // Maximum age is clamped to 0..20; lowering it drops old unused entries.
    cache.SetMaxImageAge(99);
    EXPECT_EQ(cache.MaxImageAge(), 20);
    cache.SetMaxImageAge(-3);
    EXPECT_EQ(cache.MaxImageAge(), 0);
    FetchImage(a, t, pending, fromCache, mask);
    std::string b = Copy("bmp_16.bmp", "b.bmp");
    FetchImage(b, t, pending, fromCache, mask);
    cache.ReleaseImage(TStringBitmapList::KeyOf(b));
    cache.DropUnusedImages();
    ASSERT_EQ(cache.Count(), 1);
    EXPECT_EQ(cache.Key(0), TStringBitmapList::KeyOf(a));
}

TEST_F(PictureDisplay, FetchKindsGifsAndRequests) {
    TTransparency t = LowerLeftCorner;
    bool pending, fromCache;
    TBitmap* mask = nullptr;
    // Asking for kind 1 on a cached opaque bitmap makes its mask once.
    std::string a = Copy("bmp_8.bmp", "a.bmp");
    t = NotTransparent;
    FetchImage(a, t, pending, fromCache, mask);
    EXPECT_EQ(mask, nullptr);
    t = LowerLeftCorner;
    FetchImage(a, t, pending, fromCache, mask);
    ASSERT_NE(mask, nullptr);
    TBitmap* again = nullptr;
    FetchImage(a, t, pending, fromCache, again);
    EXPECT_EQ(again, mask);

    // A one-frame transparent GIF becomes a bitmap with a kind-2 mask.
    t = NotTransparent;
    std::string g = Copy("gif_transparent.gif", "t.gif");
    TGraphic* image = FetchImage(g, t, pending, fromCache, mask);
    ASSERT_NE(dynamic_cast<TBitmap*>(image), nullptr);
    EXPECT_EQ(t, GifTransparency);
    EXPECT_NE(mask, nullptr);
    // Its transparency through ReadPictureFile needs the probe; the full decode finds it regardless.
    t = NotTransparent;
    image = FetchImage(Copy("gif_transparent_late.gif", "late.gif"), t, pending, fromCache, mask);
    EXPECT_EQ(t, GifTransparency);
    // An animation stays a TGIFImage without a mask.
    t = NotTransparent;
    image = FetchImage(Copy("gif_disposal.gif", "anim.gif"), t, pending, fromCache, mask);
    auto* anim = dynamic_cast<TGIFImage*>(image);
    ASSERT_NE(anim, nullptr);
    EXPECT_EQ(anim->FrameCount(), 4);
    EXPECT_EQ(mask, nullptr);
    // A corrupt GIF shows as nothing (the caller draws BrokenImage).
    EXPECT_EQ(FetchImage(Copy("gif_bad_code_size.gif", "bad.gif"), t, pending, fromCache, mask), nullptr);
    EXPECT_EQ(FetchImage(Copy("png_rgb_trns.png", "x.png"), t, pending, fromCache, mask), nullptr);

    // The application's source: "later", data, or nothing.
    TMemoryStream data, animation;
    data.Data() = images_test::ReadData("bmp_4.bmp");
    animation.Data() = images_test::ReadData("gif_disposal.gif");
    auto handler = [&](const std::string& name, TMemoryStream*& stream) {
        if (name == "wait") stream = WaitImageStream();
        if (name == "bmp") stream = &data;
        if (name == "anim") stream = &animation;
    };
    EXPECT_EQ(FetchImage("wait", t, pending, fromCache, mask, handler), nullptr);
    EXPECT_TRUE(pending);
    TGraphic* fromStream = FetchImage("bmp", t, pending, fromCache, mask, handler);
    EXPECT_FALSE(pending);
    ASSERT_NE(fromStream, nullptr);
    EXPECT_EQ(fromStream->Width(), 5);
    EXPECT_EQ(FetchImage("none", t, pending, fromCache, mask, handler), nullptr);
    auto* streamed = dynamic_cast<TGIFImage*>(FetchImage("anim", t, pending, fromCache, mask, handler));
    ASSERT_NE(streamed, nullptr);
    EXPECT_EQ(streamed->LoopCount(), 2);
}

TEST_F(PictureDisplay, StreamsTakeBmpAndJpegOnly) {
    TMemoryStream stream;
    std::unique_ptr<TBitmap> mask;
    TTransparency t = LowerLeftCorner;
    stream.Data() = images_test::ReadData("bmp_8.bmp");
    auto bmp = ReadPictureStream(stream, t, mask);
    ASSERT_TRUE(bmp);
    EXPECT_TRUE(mask); // kind 1 asked for: the bottom-left colour's mask
    stream.Data() = images_test::ReadData("jpeg_baseline.jpg");
    EXPECT_TRUE(ReadPictureStream(stream, t, mask));
    EXPECT_EQ(t, NotTransparent); // JPEGs are always opaque
    EXPECT_FALSE(mask);
    stream.Data() = images_test::ReadData("jpeg_exif.jpg"); // a camera photo
    EXPECT_TRUE(ReadPictureStream(stream, t, mask));
    for (const char* other : {"gif_plain.gif", "png_rgb_trns.png"}) {
        stream.Data() = images_test::ReadData(other);
        EXPECT_FALSE(ReadPictureStream(stream, t, mask)) << other;
    }
    stream.Data().assign({'B', 'M', 0, 0, 0}); // shorter than 20 bytes
    EXPECT_FALSE(ReadPictureStream(stream, t, mask));
}

// Reads one pixel of a bitmap selected nowhere.
Rgb PixelOf(HBITMAP bitmap, int x, int y) {
    TBitmap wrapper(bitmap);
    PixelImage p = wrapper.ReadPixels();
    wrapper.ReleaseHandle();
    return p.PixelAt(x, y);
}

TEST_F(PictureDisplay, MaskedDrawKeepsTheBackgroundWhereTransparent) {
    HDC screen = GetDC(nullptr);
    BitmapHandle target(CreateCompatibleBitmap(screen, 32, 32));
    {
        MemoryDC dc(screen);
        dc.Select(target.get());
        if (SharedPalette()) dc.SelectPal(SharedPalette());
        HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
        RECT all{0, 0, 32, 32};
        FillRect(dc, &all, blue);
        DeleteObject(blue);
        DrawWithMask(dc, *BrokenImage(), *BrokenImageMask(), 0, 0, 32, 32); // stretched twice
    }
    ReleaseDC(nullptr, screen);
    Rgb background = PixelOf(target.get(), 31, 31);
    EXPECT_EQ(PixelOf(target.get(), 0, 0), background); // transparent corner
    EXPECT_EQ(PixelOf(target.get(), 31, 0), background);
    Rgb sign = PixelOf(target.get(), 8, 20); // yellow body
    EXPECT_GT(sign.r, 200);
    EXPECT_GT(sign.g, 180);
    EXPECT_LT(sign.b, 80);
    Rgb mark = PixelOf(target.get(), 15, 10); // the exclamation mark
    EXPECT_EQ(mark, (Rgb{0, 0, 0}));
}

TEST_F(PictureDisplay, ReductionPaths) {
    // A device bitmap is only copied; a DIB is dithered to the target palette.
    HDC screen = GetDC(nullptr);
    TBitmap ddb(CreateCompatibleBitmap(screen, 4, 4));
    ReleaseDC(nullptr, screen);
    auto copy = DitherToDisplay(&ddb);
    ASSERT_TRUE(copy);
    EXPECT_FALSE(copy->IsDib());
    EXPECT_EQ(DitherToDisplay(nullptr), nullptr);

    // On a 16-colour display only the 20 static colours are used.
    OverrideScreenBits(4);
    PixelImage colourful;
    colourful.Allocate(16, 16, 24);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint8_t* p = colourful.Row(y) + x * 3;
            p[0] = uint8_t(x * 16);
            p[1] = uint8_t(y * 16);
            p[2] = uint8_t(255 - x * 8);
        }
    auto dib = TBitmap::FromPixels(colourful);
    auto reduced = DitherToDisplay(dib.get());
    ASSERT_TRUE(reduced);
    EXPECT_EQ(reduced->BitsPerPixel(), 8);
    Palette statics = SystemStaticColors();
    EXPECT_EQ(statics.size(), 20u);
    PixelImage out = reduced->ReadPixels();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_TRUE(InPalette(out.PixelAt(x, y), statics)) << x << "," << y;
    // The source itself became 24-bit rows (it is read in place).
    EXPECT_EQ(dib->BitsPerPixel(), 24);
    OverrideScreenBits(0);

    // The same picture through the real engine and through the portable reduction agree.
    if (ScreenBits() == 8) {
        auto again = TBitmap::FromPixels(colourful);
        PixelImage viaBitmap = DitherToDisplay(again.get())->ReadPixels();
        PixelImage viaBuffer = ReduceToPalette(colourful, SharedPaletteColors()).To24();
        EXPECT_EQ(viaBitmap.pixels, viaBuffer.pixels);
    }

    // 24-bit screens keep true-colour bitmaps and turn 8-bit ones into device bitmaps.
    if (ScreenBits() == 24) {
        auto deep = TBitmap::FromPixels(colourful);
        TBitmap* before = deep.get();
        EXPECT_EQ(ReduceToDisplay(std::move(deep)).get(), before);
        PixelImage indexed = ReduceToPalette(colourful, DefaultStaticColors());
        auto shallow = ReduceToDisplay(TBitmap::FromPixels(indexed));
        ASSERT_TRUE(shallow);
        EXPECT_FALSE(shallow->IsDib());
        EXPECT_EQ(shallow->ReadPixels().PixelAt(3, 3), indexed.PixelAt(3, 3));
    }
}

TEST_F(PictureDisplay, GifDrawsOverItsBackgroundAndAnimates) {
    bool nonAnimated = true;
    auto gif = LoadGifFile(DataPath("gif_disposal.gif"), nonAnimated);
    ASSERT_TRUE(gif);
    EXPECT_FALSE(nonAnimated);
    EXPECT_EQ(gif->FrameIndex(), 1);
    uint32_t now = 0;
    gif->clock_ = [&] { return now; };
    gif->SetVisible(true);

    // A window to invalidate, and a bitmap to draw into.
    HWND window = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    testing_support::Pump();
    ValidateRect(window, nullptr);
    HDC screen = GetDC(nullptr);
    BitmapHandle target(CreateCompatibleBitmap(screen, 8, 8));
    auto draw = [&] {
        // The document paints its background first, then the picture.
        MemoryDC dc(screen);
        dc.Select(target.get());
        RECT all{0, 0, 8, 8};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        gif->Draw(
            dc,
            [](HDC b, int w, int h) {
                RECT r{0, 0, w, h};
                FillRect(b, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            },
            0, 0, 8, 8);
    };
    draw();
    EXPECT_EQ(PixelOf(target.get(), 0, 0), (Rgb{255, 0, 0})); // frame 1, stretched 2x
    // Painting again (an expose, a scroll) reuses what the first paint made.
    draw();
    draw();
    EXPECT_EQ(gif->CompositeBuilds(), 1);
    EXPECT_EQ(PixelOf(target.get(), 0, 0), (Rgb{255, 0, 0}));

    gif->SetAnimating(true);
    now = 100;
    gif->StepAnimation(window); // first due tick: no change
    EXPECT_EQ(gif->FrameIndex(), 1);
    now = 200;
    gif->StepAnimation(window);
    EXPECT_EQ(gif->FrameIndex(), 2);
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_EQ(update.right, 8);
    draw();
    EXPECT_EQ(PixelOf(target.get(), 0, 0), (Rgb{0, 255, 0})); // frame 2 over frame 1
    EXPECT_EQ(PixelOf(target.get(), 6, 6), (Rgb{255, 0, 0}));
    EXPECT_EQ(gif->CompositeBuilds(), 2);
    now = 201;
    gif->StepAnimation(window); // frame 3: frame 2's area disposed to background
    draw();
    draw();
    EXPECT_EQ(gif->CompositeBuilds(), 3);
    EXPECT_EQ(PixelOf(target.get(), 0, 0), (Rgb{255, 255, 255})); // the background shows through
    EXPECT_EQ(PixelOf(target.get(), 4, 4), (Rgb{0, 0, 255}));
    EXPECT_EQ(PixelOf(target.get(), 6, 4), (Rgb{255, 0, 0})); // frame 3's transparent pixel

    // A copy animates on its own from frame 1, on the same decoded frames.
    TGIFImage copy(*gif);
    EXPECT_EQ(copy.FrameIndex(), 1);
    EXPECT_EQ(gif->FrameIndex(), 3);
    EXPECT_EQ(copy.Animation().Composite().PixelAt(0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(&copy.Animation().File(), &gif->Animation().File());
    EXPECT_EQ(copy.Animation().File().frames[1].indices.data(),
              gif->Animation().File().frames[1].indices.data());
    copy.SetFrameIndex(2);
    EXPECT_EQ(copy.Animation().Composite().PixelAt(0, 0), (Rgb{0, 255, 0}));
    EXPECT_EQ(gif->Animation().Composite().PixelAt(0, 0), (Rgb{0, 0, 0})); // still frame 3's
    {
        TGIFImage copyOfCopy(copy);
        EXPECT_EQ(copyOfCopy.Animation().SharedFile().use_count(), 3);
    }
    EXPECT_EQ(copy.Animation().SharedFile().use_count(), 2); // the frames live while anyone shows them

    // One-frame GIF: bitmap with the transparent colour where transparent.
    auto single = LoadGifFile(DataPath("gif_transparent.gif"), nonAnimated);
    ASSERT_TRUE(single);
    EXPECT_TRUE(nonAnimated);
    PixelImage first = single->Bitmap()->ReadPixels();
    if (ScreenBits() == 24) {
        EXPECT_EQ(first.PixelAt(2, 0), (Rgb{0, 255, 0})); // transparent index 2 shows its colour
        EXPECT_EQ(first.PixelAt(1, 0), (Rgb{0, 0, 255}));
    }
    EXPECT_EQ(LoadGifFile(DataPath("gif_truncated_file.gif"), nonAnimated), nullptr);

    ReleaseDC(nullptr, screen);
    DestroyWindow(window);
}

} // namespace
