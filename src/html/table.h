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
    // Computed by layout: width and height (spanned columns and rows), the
    // content's height and its offset for VALIGN, the measured widths.
    int32_t Wd = 0, Ht = 0, VSize = 0, YIndent = 0;
    int32_t MinW = 0, MaxW = 0;
    TCell Cell;
};

// One TR: its cells; a null entry is a place covered by a span.
class TCellList {
public:
    explicit TCellList(const TAttributeList* attributes);

    std::vector<std::unique_ptr<TCellObj>> Cells;
    int32_t Top = 0; // document y, set by layout
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
    // Layout, painting and queries (table_layout.cpp).
    void MeasureWidths(int32_t& minWidth, int32_t& maxWidth) override;
    int32_t LayOut(IndentManager& im, int32_t y, int32_t& curs, int32_t& maxWidth) override;
    void Paint(TPaintContext& pc) override;
    bool HotSpotAt(int32_t x, int32_t y, THotSpot& hit) override;
    TImageObj* ImageAt(int32_t x, int32_t y, int32_t& ix, int32_t& iy) override;
    int32_t CaretPosAt(int32_t x, int32_t y, TCaretInfo& caret) override;
    int32_t SearchText(std::string_view text, bool matchCase, int32_t from) override;
    bool CaretPosToXY(int32_t pos, int32_t& x, int32_t& y) override;
    bool CharAt(int32_t pos, char& ch, TSectionBase*& where) override;
    void CopySelectedText(int32_t begin, int32_t end, std::string& out) override;
    void MoveBy(int32_t dy) override;
    // The cell contents in document order: caption above, cells row by row,
    // caption below.
    std::vector<TCell*> CellsInOrder();

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

    // Computed by layout.
    std::vector<int32_t> ColWidths, ColMin, ColMax, ColPercent;
    int32_t ColumnTotal = 0, TableWidth = 0, CaptionMinWidth = 0, CaptionHeight = 0, RowsHeight = 0;
    int32_t TableX = 0, ColumnsX = 0; // document x of the table and of its first column
    int32_t RowsTop = 0;              // document y of the rows part
    int32_t MinWidthSum = 0, MaxWidthSum = 0;
    uint32_t MeasuredGeneration = 0; // the layout whose widths ColMin/ColMax hold
    bool PlainMethod = false;
};

} // namespace velmora::html
