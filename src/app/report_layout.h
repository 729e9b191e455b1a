// The text report's page: Letter portrait with a header band (file name, date
// and time, a rule), the detail band that carries the document over as many
// pages as it needs, and a footer band (a rule, our caption, the page number).
// Everything here is geometry in twips (1/1440 inch): the document is laid out
// once, in these units, and drawn on any device by scaling, so the preview
// and the printed pages break at the same places.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::app {

constexpr int32_t kTwipsPerInch = 1440;

// Hundredths of a millimetre to twips, and twips to a device's units at `dpi`
// (both rounded to the nearest unit).
int32_t MmToTwips(int32_t hundredthsOfMm);
int32_t TwipsToDevice(int32_t twips, int32_t dpi);

struct TReportRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const TReportRect&) const = default;
};

// The page in twips from the paper's top-left corner. Rules are horizontal
// lines from left to right at top.
struct TReportGeometry {
    TReportRect paper, printable;
    TReportRect header, detail, footer; // the bands
    TReportRect detailText;             // the rich-text box inside the detail band
    TReportRect headerRule, footerRule;
    int32_t fileNameLeft = 0, headerTextTop = 0; // file name's top-left corner
    int32_t headerRight = 0;                     // right edge of the date and time
    TReportRect footerCaption;                   // caption's box: wrapped to its width
    int32_t footerRight = 0, footerTextTop = 0;  // page number's right edge and top
};
const TReportGeometry& ReportGeometry();

// ---- the document as the report reads it

struct TReportFont {
    std::string name = "Arial";
    int32_t twips = 240; // size in twentieths of a point
    bool bold = false, italic = false, underline = false, strikeOut = false;
    uint32_t color = 0;  // 0x00BBGGRR
    uint8_t charset = 1; // the platform's character set number (1: default)
    bool operator==(const TReportFont&) const = default;
};

enum class TReportAlign { raLeft, raCenter, raRight };

struct TReportRun {
    int32_t font = 0; // index into TReportDocument::fonts
    std::string text; // no line breaks; TAB moves to the next tab stop
};

struct TReportParagraph {
    std::vector<TReportRun> runs;
    int32_t endFont = 0; // the paragraph mark's font: the height of an empty paragraph
    TReportAlign align = TReportAlign::raLeft;
    bool bullet = false;
    // As rich text keeps them, in twips: the first line's indent, the right
    // indent, and the other lines' indent relative to the first.
    int32_t startIndent = 0, rightIndent = 0, offset = 0;
};

struct TReportDocument {
    std::vector<TReportFont> fonts{TReportFont{}};
    std::vector<TReportParagraph> paragraphs;
    // The index of an equal font, added when there is none.
    int32_t AddFont(const TReportFont& font);
};

// ---- measuring

struct TReportFontExtent {
    int32_t ascent = 0, descent = 0; // twips
};

// Text is measured through this: GDI in the program, fixed numbers in tests.
class TReportMetrics {
public:
    virtual ~TReportMetrics() = default;
    virtual TReportFontExtent Extent(const TReportFont& font) = 0;
    // widths[i] := the width of text's first i + 1 characters, in twips.
    virtual void PrefixWidths(const TReportFont& font, std::string_view text,
                              std::vector<int32_t>& widths) = 0;
};

// Rich text's default tab stops: every half inch from the box's left.
constexpr int32_t kDefaultTabTwips = 720;

// One line of the detail band: characters [start, end) of a paragraph (its
// runs' texts joined), where it starts and how high it is.
struct TReportLine {
    int32_t paragraph = 0;
    int32_t start = 0, end = 0;
    int32_t left = 0; // the first character's x in the box, alignment applied
    int32_t height = 0, ascent = 0;
    bool bullet = false; // carries the paragraph's bullet
};

// Word-wraps the paragraphs to `width`. Lines break after spaces; a word
// longer than the line breaks where it must; every line holds at least one
// character, and an empty paragraph is one empty line.
std::vector<TReportLine> LayoutLines(const TReportDocument& document, int32_t width, TReportMetrics& metrics);

struct TReportPageSlice {
    int32_t firstLine = 0, endLine = 0; // lines [firstLine, endLine)
};
// Fills pages of `pageHeight` with whole lines, in order; a line higher than
// a page stands alone on one. No lines still give one (empty) page.
std::vector<TReportPageSlice> BreakPages(const std::vector<TReportLine>& lines, int32_t pageHeight);

// ---- pages as drawing operations

enum class TReportOpKind { okText, okRule };
struct TReportOp {
    TReportOpKind kind = TReportOpKind::okText;
    TReportFont font;
    int32_t x = 0, y = 0; // text: left end of the baseline; rule: start
    int32_t right = 0;    // rule: end
    std::string text;
    std::vector<int32_t> advances; // text: each character's advance, twips
    bool detail = false;           // the document's text: drawn clipped to the detail band
};
struct TReportPage {
    std::vector<TReportOp> ops;
    TReportRect detailBand;
};

// "sayfa: N".
std::string PageNumberText(int32_t page);
// The caption at the foot of every page.
std::string FooterCaptionText();

struct TReportTexts {
    std::string fileName;
    std::string dateTime;
};

// A laid-out report: the document broken into pages with header and footer.
// The metrics must outlive the report.
class TTextReport {
public:
    TTextReport(TReportDocument document, TReportTexts texts, TReportMetrics& metrics);
    int32_t PageCount() const { return static_cast<int32_t>(pages_.size()); }
    // Page `index` (from 0) as drawing operations in the paper's twips.
    TReportPage ComposePage(int32_t index) const;
    const std::vector<TReportLine>& Lines() const { return lines_; }
    const std::vector<TReportPageSlice>& Slices() const { return pages_; }

private:
    void AddText(TReportPage& page, const TReportFont& font, int32_t x, int32_t top,
                 std::string_view text) const;
    void AddLine(TReportPage& page, const TReportLine& line, int32_t top) const;

    TReportDocument document_;
    TReportTexts texts_;
    TReportMetrics& metrics_;
    std::vector<TReportLine> lines_;
    std::vector<TReportPageSlice> pages_;
    TReportFont bandFont_, captionFont_;
};

} // namespace velmora::app
