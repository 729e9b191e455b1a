// Any bytes must build a consistent document and lay it out and paint it:
// no crash, no hang, no runaway memory. The first byte picks which viewer
// hooks are present and the width laid out.
#include "html/builder.h"
#include "html/dump.h"
#include "html/layout.h"
#include "html/navigation.h"
#include "html/paint.h"

#include <cstdio>
#include <cstdlib>

using namespace velmora::html;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t options = data[0];
    const std::string_view page(reinterpret_cast<const char*>(data + 1), size - 1);
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    TAnchorList anchors;
    ParseHooks hooks;
    if (options & 1)
        hooks.OnInclude = [](const std::string&, const std::vector<std::string>& params) {
            return params.empty() ? std::string() : std::string("<b>inc</b><!--#x --><table><tr><td>c");
        };
    if (options & 2) hooks.OnScript = [](const std::string&, const std::string&, std::string) {};
    if (options & 4) hooks.OnMeta = [](const std::string&, const std::string&, const std::string&) {};
    ParseResult result = ParseHtmlText(doc, anchors, page, hooks);
    const std::string problems = CheckDocument(doc, anchors);
    if (!problems.empty()) {
        std::fprintf(stderr, "inconsistent document:\n%s", problems.c_str());
        std::abort();
    }
    if (options & 8) doc.SetDefaults("Arial", "Courier New", true, 0, 1, 2, 3, 4, 20);
    (void)DumpDocument(doc, anchors, &result);

    // Laid out twice (a resize), painted, and asked what is where.
    static const int32_t kWidths[4] = {0, 37, 400, 1200};
    doc.ShowImages = (options & 16) != 0;
    const int32_t height = doc.LayOut(kWidths[(options >> 5) & 3], 8);
    doc.LayOut(300, 8);
    if (!CheckDocument(doc, anchors).empty()) std::abort();
    TViewState view;
    view.SelB = 3;
    view.SelE = 40;
    view.ScrollY = height / 3;
    TPaintContext pc(doc, view, {0, 0, 640, 480}, 10);
    PaintDocument(pc);
    THotSpot hit;
    TCaretInfo caret;
    int32_t ix = 0, iy = 0, x = 0, y = 0;
    for (int32_t py = 0; py < 400; py += 77) {
        doc.HotSpotAt(py % 300, py, hit);
        doc.ImageAt(py % 300, py, ix, iy);
        doc.CaretPosAt(py % 300, py, caret);
        doc.CaretPosToXY(py, x, y);
    }
    (void)doc.SearchText("ab", false, 0);
    std::string copied;
    doc.CopySelectedText(0, 100, copied);
    (void)DumpLayout(doc);

    // What the viewer does with the page's links, places and words.
    TLinkContext link;
    link.CurrentFile = "C:\\site\\page.htm";
    link.ServerRoot = "C:\\www";
    link.BaseUrl = result.BaseUrl;
    for (const TUrlTarget& target : doc.LinkTable)
        (void)ResolveLinkClick(target.Url, link);
    (void)PositionFromCode(doc, PositionCodeAt(doc, height / 2));
    int32_t begin = 0, end = 0;
    for (int32_t p = 0; p < 200; p += 13)
        (void)WordAt(doc, p, begin, end);
    int32_t delay = 0;
    std::string url;
    (void)ParseMetaRefresh(std::string(page.substr(0, 64)), delay, url);
    return 0;
}
