#include "app/report_layout.h"

#include <algorithm>

#include "base/version.h"

namespace velmora::app {

namespace {

int32_t Round(int64_t number, int64_t denominator) {
    const bool negative = number < 0;
    const int64_t magnitude = negative ? -number : number;
    const int64_t q = (magnitude + denominator / 2) / denominator;
    return static_cast<int32_t>(negative ? -q : q);
}

TReportRect MmRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return {MmToTwips(left), MmToTwips(top), MmToTwips(right), MmToTwips(bottom)};
}

// Lengths in hundredths of a millimetre.
constexpr int32_t kPaperWidth = 21590, kPaperHeight = 27940, kMargin = 1000;
constexpr int32_t kHeaderHeight = 580, kFooterHeight = 560;
constexpr int32_t kBoxInset = 30, kRuleLength = 19530, kHeaderRuleTop = 450;
constexpr int32_t kCaptionLeft = 50, kCaptionTop = 110, kCaptionWidth = 6430;

TReportGeometry MakeGeometry() {
    TReportGeometry g;
    const int32_t right = kPaperWidth - kMargin, bottom = kPaperHeight - kMargin;
    const int32_t headerBottom = kMargin + kHeaderHeight;
    // The footer sits at the foot of the printable area and the detail band
    // takes what lies between: the bands' own heights (5.8 + 255.1 + 5.6 mm)
    // are more than the 259.4 mm the margins leave, and a footer pushed off
    // the page would be lost.
    const int32_t footerTop = bottom - kFooterHeight;
    const int32_t ruleLeft = kMargin + kBoxInset, ruleRight = ruleLeft + kRuleLength;
    g.paper = MmRect(0, 0, kPaperWidth, kPaperHeight);
    g.printable = MmRect(kMargin, kMargin, right, bottom);
    g.header = MmRect(kMargin, kMargin, right, headerBottom);
    g.detail = MmRect(kMargin, headerBottom, right, footerTop);
    g.footer = MmRect(kMargin, footerTop, right, bottom);
    g.detailText = MmRect(ruleLeft, headerBottom + kBoxInset, ruleRight, footerTop - kBoxInset);
    g.headerRule = MmRect(ruleLeft, kMargin + kHeaderRuleTop, ruleRight, kMargin + kHeaderRuleTop);
    g.footerRule = MmRect(ruleLeft, footerTop, ruleRight, footerTop);
    g.fileNameLeft = MmToTwips(ruleLeft);
    g.headerTextTop = MmToTwips(kMargin + kBoxInset);
    g.headerRight = MmToTwips(ruleRight);
    g.footerCaption = MmRect(kMargin + kCaptionLeft, footerTop + kCaptionTop,
                             kMargin + kCaptionLeft + kCaptionWidth, bottom);
    g.footerRight = MmToTwips(ruleRight);
    g.footerTextTop = MmToTwips(footerTop + kCaptionTop);
    return g;
}

int32_t NextTab(int32_t x) {
    if (x < 0) return 0;
    return (x / kDefaultTabTwips + 1) * kDefaultTabTwips;
}

constexpr char kBullet = '\x95'; // the bullet in code page 1254

// A paragraph's runs joined, with each character's font and advance (0 for
// a TAB, whose advance depends on where it stands).
struct FlatParagraph {
    std::string text;
    std::vector<int32_t> font;
    std::vector<int32_t> advance;
};

int32_t ValidFont(const TReportDocument& document, int32_t font) {
    return font >= 0 && font < static_cast<int32_t>(document.fonts.size()) ? font : 0;
}

// Where a paragraph's lines start: the bullet's line and the others.
struct Indents {
    int32_t first = 0, rest = 0, right = 0;
    int32_t bulletFont = 0;
};

Indents ParagraphIndents(const TReportDocument& document, const TReportParagraph& paragraph, int32_t width,
                         TReportMetrics& metrics) {
    Indents in;
    in.first = paragraph.startIndent;
    in.rest = paragraph.startIndent + paragraph.offset;
    in.right = width - std::max<int32_t>(paragraph.rightIndent, 0);
    in.bulletFont =
        ValidFont(document, paragraph.runs.empty() ? paragraph.endFont : paragraph.runs.front().font);
    if (paragraph.bullet) {
        // The bullet stands at the first indent; the text of every line
        // starts behind it, at the hanging indent when that leaves room.
        std::vector<int32_t> widths;
        metrics.PrefixWidths(document.fonts[in.bulletFont], std::string_view("\x95 ", 2), widths);
        const int32_t room = widths.empty() ? 0 : widths.back();
        in.first = in.rest = paragraph.startIndent + std::max(paragraph.offset, room);
    }
    in.right = std::clamp(in.right, 1, std::max(width, 1));
    in.first = std::clamp(in.first, 0, in.right - 1);
    in.rest = std::clamp(in.rest, 0, in.right - 1);
    return in;
}

FlatParagraph Flatten(const TReportDocument& document, const TReportParagraph& paragraph,
                      TReportMetrics& metrics) {
    FlatParagraph flat;
    std::vector<int32_t> widths;
    for (const TReportRun& run : paragraph.runs) {
        if (run.text.empty()) continue;
        const int32_t font = ValidFont(document, run.font);
        metrics.PrefixWidths(document.fonts[font], run.text, widths);
        widths.resize(run.text.size(), widths.empty() ? 0 : widths.back());
        int32_t previous = 0;
        for (size_t i = 0; i < run.text.size(); ++i) {
            flat.text += run.text[i];
            flat.font.push_back(font);
            flat.advance.push_back(run.text[i] == '\t' ? 0 : std::max(widths[i] - previous, 0));
            previous = widths[i];
        }
    }
    return flat;
}

// The width of characters [start, end) placed from x, trailing spaces left out.
int32_t LineWidth(const FlatParagraph& flat, int32_t start, int32_t end, int32_t x) {
    const int32_t from = x;
    int32_t width = 0;
    for (int32_t i = start; i < end; ++i) {
        x = flat.text[i] == '\t' ? NextTab(x) : x + flat.advance[i];
        if (flat.text[i] != ' ') width = x - from;
    }
    return width;
}

void LayoutParagraph(const TReportDocument& document, int32_t index, int32_t width, TReportMetrics& metrics,
                     std::vector<TReportFontExtent>& extents, std::vector<TReportLine>& lines) {
    const TReportParagraph& paragraph = document.paragraphs[index];
    const Indents in = ParagraphIndents(document, paragraph, width, metrics);
    const FlatParagraph flat = Flatten(document, paragraph, metrics);
    auto extent = [&](int32_t font) -> const TReportFontExtent& {
        TReportFontExtent& e = extents[font];
        if (e.ascent == 0 && e.descent == 0) {
            e = metrics.Extent(document.fonts[font]);
            if (e.ascent <= 0 && e.descent <= 0) e.ascent = 1; // never a line of no height
        }
        return e;
    };
    const int32_t n = static_cast<int32_t>(flat.text.size());
    int32_t position = 0;
    bool first = true;
    do {
        const int32_t indent = first ? in.first : in.rest;
        const int32_t available = in.right - indent;
        int32_t x = indent, i = position, lastBreak = -1;
        while (i < n) {
            const char c = flat.text[i];
            const int32_t next = c == '\t' ? NextTab(x) : x + flat.advance[i];
            // Spaces may hang over the edge; anything else starts the next line.
            if (next - indent > available && i > position && c != ' ') break;
            x = next;
            ++i;
            if (c == ' ' || c == '\t') lastBreak = i;
        }
        const int32_t end = i < n && lastBreak > position ? lastBreak : i;
        TReportLine line;
        line.paragraph = index;
        line.start = position;
        line.end = end;
        line.bullet = first && paragraph.bullet;
        const int32_t used = LineWidth(flat, position, end, indent);
        line.left = indent;
        if (paragraph.align == TReportAlign::raRight) line.left += std::max(available - used, 0);
        if (paragraph.align == TReportAlign::raCenter) line.left += std::max(available - used, 0) / 2;
        int32_t ascent = 0, descent = 0;
        auto take = [&](int32_t font) {
            const TReportFontExtent& e = extent(font);
            ascent = std::max(ascent, e.ascent);
            descent = std::max(descent, e.descent);
        };
        if (end == position) take(ValidFont(document, paragraph.endFont));
        for (int32_t k = position; k < end; ++k)
            if (k == position || flat.font[k] != flat.font[k - 1]) take(flat.font[k]);
        if (line.bullet) take(in.bulletFont);
        line.ascent = ascent;
        line.height = ascent + descent;
        lines.push_back(line);
        position = end;
        first = false;
    } while (position < n);
}

} // namespace

int32_t MmToTwips(int32_t hundredthsOfMm) {
    return Round(static_cast<int64_t>(hundredthsOfMm) * kTwipsPerInch, 2540);
}

int32_t TwipsToDevice(int32_t twips, int32_t dpi) {
    return Round(static_cast<int64_t>(twips) * dpi, kTwipsPerInch);
}

const TReportGeometry& ReportGeometry() {
    static const TReportGeometry geometry = MakeGeometry();
    return geometry;
}

int32_t TReportDocument::AddFont(const TReportFont& font) {
    for (size_t i = 0; i < fonts.size(); ++i)
        if (fonts[i] == font) return static_cast<int32_t>(i);
    fonts.push_back(font);
    return static_cast<int32_t>(fonts.size() - 1);
}

std::vector<TReportLine> LayoutLines(const TReportDocument& document, int32_t width,
                                     TReportMetrics& metrics) {
    std::vector<TReportLine> lines;
    if (document.fonts.empty()) return lines;
    std::vector<TReportFontExtent> extents(document.fonts.size());
    for (int32_t i = 0; i < static_cast<int32_t>(document.paragraphs.size()); ++i)
        LayoutParagraph(document, i, width, metrics, extents, lines);
    return lines;
}

std::vector<TReportPageSlice> BreakPages(const std::vector<TReportLine>& lines, int32_t pageHeight) {
    std::vector<TReportPageSlice> pages;
    TReportPageSlice page;
    int64_t used = 0;
    for (int32_t i = 0; i < static_cast<int32_t>(lines.size()); ++i) {
        const int32_t height = lines[i].height;
        if (page.endLine > page.firstLine && used + height > pageHeight) {
            pages.push_back(page);
            page = {i, i};
            used = 0;
        }
        page.endLine = i + 1;
        used += height;
    }
    pages.push_back(page);
    return pages;
}

std::string PageNumberText(int32_t page) {
    return "sayfa: " + std::to_string(page);
}

std::string FooterCaptionText() {
    return "velmora " VELMORA_VERSION_TEXT " ile yazdırıldı";
}

TTextReport::TTextReport(TReportDocument document, TReportTexts texts, TReportMetrics& metrics)
    : document_(std::move(document)), texts_(std::move(texts)), metrics_(metrics) {
    if (document_.fonts.empty()) document_.fonts.push_back(TReportFont{});
    bandFont_.name = "Arial";
    bandFont_.twips = 160;
    bandFont_.bold = true;
    bandFont_.charset = 162; // Turkish
    captionFont_ = bandFont_;
    captionFont_.name = "Tahoma";
    captionFont_.color = 0;
    const TReportGeometry& g = ReportGeometry();
    lines_ = LayoutLines(document_, g.detailText.Width(), metrics_);
    pages_ = BreakPages(lines_, g.detailText.Height());
}

void AddRule(TReportPage& page, const TReportRect& rule) {
    TReportOp op;
    op.kind = TReportOpKind::okRule;
    op.x = rule.left;
    op.y = rule.top;
    op.right = rule.right;
    page.ops.push_back(std::move(op));
}

void TTextReport::AddText(TReportPage& page, const TReportFont& font, int32_t x, int32_t top,
                          std::string_view text) const {
    if (text.empty()) return;
    TReportOp op;
    op.font = font;
    op.x = x;
    op.y = top + metrics_.Extent(font).ascent;
    op.text = std::string(text);
    std::vector<int32_t> widths;
    metrics_.PrefixWidths(font, text, widths);
    widths.resize(text.size(), widths.empty() ? 0 : widths.back());
    int32_t previous = 0;
    for (int32_t w : widths) {
        op.advances.push_back(std::max(w - previous, 0));
        previous = w;
    }
    page.ops.push_back(std::move(op));
}

void TTextReport::AddLine(TReportPage& page, const TReportLine& line, int32_t top) const {
    const TReportGeometry& g = ReportGeometry();
    const TReportParagraph& paragraph = document_.paragraphs[line.paragraph];
    const int32_t baseline = top + line.ascent;
    const int32_t boxLeft = g.detailText.left;
    const Indents in = ParagraphIndents(document_, paragraph, g.detailText.Width(), metrics_);
    const int32_t indent = line.bullet || line.start == 0 ? in.first : in.rest;
    const int32_t shift = line.left - indent; // the alignment's share
    if (line.bullet) {
        AddText(page, document_.fonts[in.bulletFont], boxLeft + paragraph.startIndent + shift,
                baseline - metrics_.Extent(document_.fonts[in.bulletFont]).ascent,
                std::string_view(&kBullet, 1));
    }
    // Pieces of one font between TABs, placed as the line was laid out.
    int32_t x = indent;
    int32_t runStart = 0;
    for (const TReportRun& run : paragraph.runs) {
        const int32_t runEnd = runStart + static_cast<int32_t>(run.text.size());
        const int32_t from = std::max(runStart, line.start), to = std::min(runEnd, line.end);
        const TReportFont& font = document_.fonts[ValidFont(document_, run.font)];
        int32_t i = from;
        while (i < to) {
            if (run.text[i - runStart] == '\t') {
                x = NextTab(x);
                ++i;
                continue;
            }
            int32_t j = i;
            while (j < to && run.text[j - runStart] != '\t')
                ++j;
            const std::string_view piece(run.text.data() + (i - runStart), j - i);
            const size_t before = page.ops.size();
            AddText(page, font, boxLeft + x + shift, 0, piece);
            if (page.ops.size() > before) {
                TReportOp& op = page.ops.back();
                op.y = baseline;
                for (int32_t a : op.advances)
                    x += a;
            }
            i = j;
        }
        runStart = runEnd;
        if (runStart >= line.end) break;
    }
}

TReportPage TTextReport::ComposePage(int32_t index) const {
    TReportPage page;
    if (index < 0 || index >= PageCount()) return page;
    const TReportGeometry& g = ReportGeometry();
    // Header: the file name, the date and time at the right, the rule.
    AddText(page, bandFont_, g.fileNameLeft, g.headerTextTop, texts_.fileName);
    std::vector<int32_t> widths;
    metrics_.PrefixWidths(bandFont_, texts_.dateTime, widths);
    AddText(page, bandFont_, g.headerRight - (widths.empty() ? 0 : widths.back()), g.headerTextTop,
            texts_.dateTime);
    AddRule(page, g.headerRule);
    // Detail: this page's lines from the top of the box. A line higher than
    // the page is cut at the band's edge rather than drawn over the footer.
    page.detailBand = g.detail;
    int32_t top = g.detailText.top;
    const TReportPageSlice& slice = pages_[index];
    const size_t firstDetail = page.ops.size();
    for (int32_t i = slice.firstLine; i < slice.endLine; ++i) {
        AddLine(page, lines_[i], top);
        top += lines_[i].height;
    }
    for (size_t i = firstDetail; i < page.ops.size(); ++i)
        page.ops[i].detail = true;
    // Footer: the rule, our caption wrapped to its box, the page number at the right.
    AddRule(page, g.footerRule);
    TReportDocument caption;
    caption.fonts = {captionFont_};
    caption.paragraphs.push_back(TReportParagraph{.runs = {TReportRun{0, FooterCaptionText()}}});
    int32_t captionTop = g.footerCaption.top;
    for (const TReportLine& line : LayoutLines(caption, g.footerCaption.Width(), metrics_)) {
        const std::string& text = caption.paragraphs[0].runs[0].text;
        AddText(page, captionFont_, g.footerCaption.left + line.left, captionTop,
                std::string_view(text).substr(line.start, line.end - line.start));
        captionTop += line.height;
    }
    const std::string number = PageNumberText(index + 1);
    metrics_.PrefixWidths(bandFont_, number, widths);
    AddText(page, bandFont_, g.footerRight - (widths.empty() ? 0 : widths.back()), g.footerTextTop, number);
    return page;
}

} // namespace velmora::app
