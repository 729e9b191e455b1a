// RTF reading and the report's layout on any bytes: every paragraph and run
// the reader gives names a font it has, the text holds no line breaks, and the
// report lays the document out and composes each page (bounded work).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/report_layout.h"
#include "app/rtf_reader.h"

namespace {

class FixedMetrics : public velmora::app::TReportMetrics {
public:
    velmora::app::TReportFontExtent Extent(const velmora::app::TReportFont& font) override {
        return {font.twips * 4 / 5, font.twips / 5};
    }
    void PrefixWidths(const velmora::app::TReportFont& font, std::string_view text,
                      std::vector<int32_t>& widths) override {
        widths.resize(text.size());
        int32_t x = 0;
        for (size_t i = 0; i < text.size(); ++i)
            widths[i] = x += font.twips / 2 + (text[i] & 7);
    }
};

void Check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora::app;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    TReportDocument document = ReadRtf(input);
    Check(!document.fonts.empty() && !document.paragraphs.empty());
    size_t characters = 0;
    for (const TReportParagraph& paragraph : document.paragraphs) {
        Check(paragraph.endFont >= 0 && paragraph.endFont < static_cast<int32_t>(document.fonts.size()));
        for (const TReportRun& run : paragraph.runs) {
            Check(run.font >= 0 && run.font < static_cast<int32_t>(document.fonts.size()));
            Check(run.text.find_first_of("\r\n") == std::string::npos);
            characters += run.text.size();
        }
    }
    Check(characters <= size);
    FixedMetrics metrics;
    TTextReport report(std::move(document), {"a.rtf", "01.01.2026 10:00"}, metrics);
    Check(report.PageCount() >= 1);
    for (int32_t page = 0; page < report.PageCount() && page < 50; ++page)
        Check(!report.ComposePage(page).ops.empty());
    return 0;
}
