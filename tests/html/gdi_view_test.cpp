// The GDI side of the view: real font metrics and a few painted pixels.
#include "html/builder.h"
#include "html/gdi_view.h"
#include "html/images/display.h"

#include <gtest/gtest.h>

using namespace velmora::html;

namespace {

// A 24-bit off-screen surface to paint on and read back.
class Surface {
public:
    Surface(int w, int h) : dc_(nullptr) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        dc_.Select(bitmap_.get());
    }
    HDC DC() const { return dc_; }
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    tk::BitmapHandle bitmap_;
    tk::MemoryDC dc_;
};

struct GdiPage {
    TGdiFontMetrics metrics;
    TSectionList doc{metrics};
    TAnchorList anchors;
    TViewState view;
    explicit GdiPage(std::string_view html, int32_t width = 300) {
        ParseHtmlText(doc, anchors, html);
        doc.LayOut(width, 0);
    }
    void Paint(Surface& surface, int w, int h) {
        TPaintContext pc(doc, view, {0, 0, w, h}, 0);
        PaintDocument(pc);
        ExecuteDrawOps(surface.DC(), pc, metrics);
    }
};

TEST(GdiMetrics, PrefixWidthsAgreeWithTheWholeWidthAndStopAtTheRoom) {
    TGdiFontMetrics metrics;
    TMyFont font;
    font.Name = "Arial";
    font.Size = 12;
    const std::string text = "velmora dosya görüntüleyici";
    std::vector<int32_t> widths(text.size());
    ASSERT_EQ(metrics.PrefixWidths(0, font, text, INT32_MAX, widths.data()), text.size());
    EXPECT_EQ(widths.back(), metrics.TextWidth(0, font, text));
    for (size_t i = 1; i < widths.size(); ++i)
        EXPECT_GE(widths[i], widths[i - 1]);
    const int32_t room = widths[5];
    const size_t measured = metrics.PrefixWidths(0, font, text, room, widths.data());
    EXPECT_EQ(measured, 7u); // six fit, the seventh tells where the room ended
    EXPECT_GT(widths[6], room);
    const TFontMetrics m = metrics.Metrics(font);
    EXPECT_GT(m.Height, m.Descent);
    EXPECT_GT(m.Descent, 0);
}

TEST(GdiMetrics, WidthsFromTheTableAgreeWithTheSystemForEveryStyle) {
    TGdiFontMetrics metrics;
    const std::string text = "Işık, Çağrı ve Görüntü: 12.345 WWW iii (velmora)";
    tk::MemoryDC dc(nullptr);
    uint32_t index = 0;
    for (const char* name : {"Times New Roman", "Arial", "Courier New", "Tahoma"})
        for (uint8_t style : {uint8_t(0), uint8_t(fsBold), uint8_t(fsItalic), uint8_t(fsBold | fsItalic)})
            for (int32_t size : {8, 12, 18}) {
                TMyFont font;
                font.Name = name;
                font.Size = size;
                font.Style = style;
                tk::FontHandle handle = TGdiFontMetrics::MakeFont(font);
                tk::SelectedObject selected(dc, handle.get());
                for (size_t n : {size_t(1), size_t(7), text.size()}) {
                    SIZE expected{};
                    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(n), &expected);
                    EXPECT_EQ(metrics.TextWidth(index, font, std::string_view(text).substr(0, n)),
                              expected.cx)
                        << name << " " << size << " style " << int(style) << " n " << n;
                }
                ++index;
            }
    // Three system calls per font, none per piece of text.
    EXPECT_EQ(metrics.SystemCalls, 3u * index);
}

TEST(GdiMetrics, FontsOutliveTheirDocumentButNotWithoutBound) {
    TGdiFontMetrics metrics;
    auto fontOf = [](int32_t size, TColor color) {
        TMyFont font;
        font.Name = "Arial";
        font.Size = size;
        font.Color = color;
        return font;
    };
    // The next document asks for the same fonts under other indexes and
    // colours: nothing is measured again.
    EXPECT_EQ(metrics.TextWidth(0, fontOf(10, 0), "abc"), metrics.TextWidth(0, fontOf(10, 0), "abc"));
    const int32_t wide = metrics.TextWidth(1, fontOf(20, 0), "abc");
    EXPECT_EQ(metrics.SystemCalls, 6u);
    metrics.ForgetFonts();
    EXPECT_EQ(metrics.TextWidth(0, fontOf(20, 0xFF), "abc"), wide);
    EXPECT_EQ(metrics.SystemCalls, 6u);
    // An index reused for another font without forgetting gets that font.
    EXPECT_LT(metrics.TextWidth(0, fontOf(10, 0), "abc"), wide);
    // A long session of different fonts keeps only a bounded number of them
    // once no document uses them.
    for (int32_t size = 1; size <= 100; ++size)
        metrics.TextWidth(static_cast<uint32_t>(size), fontOf(size, 0), "x");
    EXPECT_GT(metrics.CachedFonts(), TGdiFontMetrics::kKeptFonts);
    metrics.ForgetFonts();
    EXPECT_EQ(metrics.CachedFonts(), TGdiFontMetrics::kKeptFonts);
    // The most recently used are the ones kept.
    const size_t calls = metrics.SystemCalls;
    metrics.TextWidth(0, fontOf(100, 0), "x");
    EXPECT_EQ(metrics.SystemCalls, calls);
    metrics.TextWidth(1, fontOf(1, 0), "x");
    EXPECT_EQ(metrics.SystemCalls, calls + 3);
}

TEST(GdiPainting, BackgroundBulletsRulesAndSelection) {
    GdiPage page("<body bgcolor=white><ul><li>item</ul><hr color=red><p>selected text");
    const TSection& item = dynamic_cast<TSection&>(*page.doc.Sections[1]);
    const auto& line = item.Lines()[0];
    const TSection& text = dynamic_cast<TSection&>(*page.doc.Sections.back());
    page.view.SelB = text.StartCurs;
    page.view.SelE = text.StartCurs + 8;
    Surface surface(300, 200);
    page.Paint(surface, 300, 200);
    EXPECT_EQ(surface.Pixel(299, 199), RGB(255, 255, 255));
    // The first level's bullet is a navy disc 8 pixels left of the text.
    const int cy = line.DrawY + line.SpaceBefore + line.LineHt - line.LineHt / 2;
    EXPECT_EQ(surface.Pixel(item.Lines()[0].DrawX - 8, cy), RGB(0, 0, 0x80));
    const auto& rule = dynamic_cast<const THorzLine&>(*page.doc.Sections[2]);
    EXPECT_EQ(surface.Pixel(rule.RuleLeft + 5, rule.YValue + rule.SectionHeight / 2), RGB(255, 0, 0));
    // Selected text is drawn opaque in the text colour: its cell is black
    // where no glyph is.
    const auto& selected = text.Lines()[0];
    EXPECT_EQ(surface.Pixel(selected.DrawX + 1, selected.DrawY + selected.SpaceBefore + 1), RGB(0, 0, 0));
}

TEST(GdiPainting, BulletOnABlackPageIsAnOutline) {
    GdiPage page("<body bgcolor=black text=white><ul><li>item</ul>");
    const TSection& item = dynamic_cast<TSection&>(*page.doc.Sections[1]);
    const auto& line = item.Lines()[0];
    Surface surface(300, 100);
    page.Paint(surface, 300, 100);
    const int cx = line.DrawX - 8, cy = line.DrawY + line.SpaceBefore + line.LineHt - line.LineHt / 2;
    EXPECT_EQ(surface.Pixel(cx, cy), RGB(0, 0, 0));           // hollow
    EXPECT_EQ(surface.Pixel(cx - 2, cy), RGB(255, 255, 255)); // the ring
}

} // namespace
