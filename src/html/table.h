// Tables as sections: rows of cells, each cell holding sections of its own,
// and the expansion of column and row spans into a grid.
#pragma once
#include "html/document.h"

#include <stdexcept>

namespace velmora::html {

class EProcessError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr int32_t kMaxTableColumns = 200;

// One TD or TH (or the caption).
class TCellObj {
public:
    TCellObj(TSectionList* document, const TAttributeList* attributes, uint8_t defaultVAlign);

    int32_t ColSpan = 1;
    int32_t RowSpan = 1;
    int32_t SpecWd = 0;        // pixels, or tenths of a percent when WidthPercent
    bool WidthPercent = false;
    int32_t SpecHt = 0;        // pixels
    uint8_t VAlign = 1;        // 0 top, 1 middle, 2 bottom
    // Computed by layout.
    int32_t Wd = 0, Ht = 0, VSize = 0, YIndent = 0;
    TCell Cell;
};

// One TR: its cells; a null entry is a place covered by a span.
class TCellList {
public:
    explicit TCellList(const TAttributeList* attributes);

    std::vector<std::unique_ptr<TCellObj>> Cells;
    int32_t RowHeight = 0;
    int32_t RowSpanHeight = 0;
    uint8_t Align = 0;  // 0 none, 1 left, 2 centre, 3 right
    uint8_t VAlign = 1; // middle
    bool BkGnd = false;
    TColor BkColor = 0;
};

class ThtmlTable final : public TSectionBase {
public:
    ThtmlTable(TSectionList* document, const TAttributeList& attributes, int32_t level, TCell* enclosing,
               uint8_t justify);
    const char* KindName() const override { return "Table"; }
    void RefreshFonts() override;

    // Gives backgrounds to the cells and turns spans into placeholders so
    // that every row has one entry per column. Raises EProcessError
    // "Table has too many Columns" beyond 200 columns (nothing is changed then).
    void ExpandSpans();

    std::vector<std::unique_ptr<TCellList>> Rows;
    std::unique_ptr<TCellObj> Caption;
    bool CaptionBelow = false;

    bool Border = false;
    int32_t CellPadding = 1;
    int32_t CellSpacing = 2;
    int32_t Width = 0;          // pixels, or tenths of a percent when WidthPercent
    bool WidthPercent = false;
    int32_t Height = 0;         // pixels, or tenths of a percent when HeightPercent
    bool HeightPercent = false;
    bool HasBgColor = false;
    TColor BgColor = 0;
    bool HasBorderColor = false;
    TColor BorderColor = 0;
    int32_t HSpace = 5;
    int32_t VSpace = 0;
    uint8_t Justify = 1;
    bool Float = false;
    int32_t Level = 0;
    TCell* Enclosing = nullptr;

    bool SpansExpanded = false;
    int32_t NumCols = 0;
    bool HasPixelCellWidth = false;
};

} // namespace velmora::html
