// Reads the rich-text control's RTF into the report's document: paragraphs
// with their alignment, indents and bullets, runs with their fonts, sizes,
// styles and colours. What the report cannot print (pictures, objects, fields'
// instructions, headers) is left out; text that is not RTF is read as plain
// text. Any input gives a document, in time and memory bounded by its size.
#pragma once
#include <string_view>

#include "app/report_layout.h"

namespace velmora::app {

TReportDocument ReadRtf(std::string_view rtf);
// Plain text: a paragraph per line (CR LF, CR or LF), in `font`.
TReportDocument ReadPlainText(std::string_view text, const TReportFont& font = {});

// A Unicode character in code page 1254; '?' when the code page has none.
char UnicodeToCp1254(int32_t code);

} // namespace velmora::app
