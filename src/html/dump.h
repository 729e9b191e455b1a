// A readable text picture of a built document, for golden tests and for
// looking at what the builder made of a page.
#pragma once
#include "html/builder.h"
#include "html/document.h"

#include <string>

namespace velmora::html {

// Sections with kind, level, alignment, text (object codes shown as {img},
// {ctl}, {nbsp}...), font runs, images and controls; tables as rows x cells
// after span expansion; then anchors, maps and forms.
std::string DumpDocument(TSectionList& document, const TAnchorList& anchors, const ParseResult* result = nullptr);

// The geometry layout gave every section: heights, lines, pictures, rules,
// table columns, rows and cells, and the document height and width.
std::string DumpLayout(TSectionList& document);

// Checks what the rest of the viewer relies on: every object code in a text
// has its object at that index, font runs are ordered and start at 0, link
// runs and anchors point into the document. Empty when all holds, otherwise
// what is wrong.
std::string CheckDocument(TSectionList& document, const TAnchorList& anchors);

} // namespace velmora::html
