#include "html/table.h"

#include "base/ascii_text.h"
#include "html/text_util.h"

#include <algorithm>

namespace velmora::html {

namespace {

// VALIGN: "top"/"baseline" 0, "middle" 1, "bottom" 2; anything else keeps the default.
uint8_t VAlignOf(const TAttribute& a, uint8_t fallback) {
    const std::string v = LowerAscii(a.Name);
    if (v == "top" || v == "baseline") return 0;
    if (v == "middle") return 1;
    if (v == "bottom") return 2;
    return fallback;
}

bool HasPercent(const TAttribute& a) { return a.Name.find('%') != std::string::npos; }

} // namespace

TCellObj::TCellObj(TSectionList* document, const TAttributeList* attributes, uint8_t defaultVAlign)
    : VAlign(defaultVAlign), Cell(document) {
    if (!attributes) return;
    for (const TAttribute& a : attributes->Items()) {
        switch (a.Which) {
        case Sy::ColSpan: if (a.Value > 1) ColSpan = a.Value; break;
        case Sy::RowSpan: if (a.Value > 1) RowSpan = a.Value; break;
        case Sy::Width:
            if (HasPercent(a)) {
                if (a.Value >= 1 && a.Value <= 100) {
                    SpecWd = a.Value * 10;
                    WidthPercent = true;
                }
            } else if (a.Value > 0) {
                SpecWd = a.Value;
                WidthPercent = false;
            }
            break;
        case Sy::Height: if (a.Value > 0) SpecHt = a.Value; break;
        case Sy::VAlign: VAlign = VAlignOf(a, VAlign); break;
        case Sy::BgColor:
            if (auto c = ParseColor(a.Name)) {
                Cell.BkColor = *c;
            }
            break;
        default: break;
        }
    }
}

TCellList::TCellList(const TAttributeList* attributes) {
    if (!attributes) return;
    for (const TAttribute& a : attributes->Items()) {
        switch (a.Which) {
        case Sy::Align: {
            const std::string v = LowerAscii(a.Name);
            if (v == "left") Align = 1;
            else if (v == "center") Align = 2;
            else if (v == "right") Align = 3;
            break;
        }
        case Sy::VAlign: VAlign = VAlignOf(a, VAlign); break;
        case Sy::BgColor:
            if (auto c = ParseColor(a.Name)) {
                BkColor = *c;
                BkGnd = true;
            }
            break;
        default: break;
        }
    }
}

ThtmlTable::ThtmlTable(TSectionList* document, const TAttributeList& attributes, int32_t level,
                       TCell* enclosing, uint8_t justify)
    : TSectionBase(document), Justify(justify), Level(level), Enclosing(enclosing) {
    Caption = std::make_unique<TCellObj>(document, nullptr, 1);
    bool spacingGiven = false;
    for (const TAttribute& a : attributes.Items()) {
        switch (a.Which) {
        case Sy::Border: Border = a.Value > 0; break;
        case Sy::CellPadding: if (a.Value >= 0) CellPadding = std::min<int32_t>(a.Value, 50); break;
        case Sy::CellSpacing:
            if (a.Value >= 0) {
                CellSpacing = std::min<int32_t>(a.Value, 40);
                spacingGiven = true;
            }
            break;
        case Sy::Width:
            if (HasPercent(a)) {
                if (a.Value >= 1 && a.Value <= 100) {
                    Width = a.Value * 10;
                    WidthPercent = true;
                }
            } else if (a.Value > 0) {
                Width = a.Value;
                WidthPercent = false;
            }
            break;
        case Sy::Height:
            if (HasPercent(a)) {
                if (enclosing == document && a.Value >= 1 && a.Value <= 110) {
                    Height = a.Value * 10;
                    HeightPercent = true;
                }
            } else if (a.Value > 0) {
                Height = a.Value;
                HeightPercent = false;
            }
            break;
        case Sy::BgColor:
            if (auto c = ParseColor(a.Name)) {
                BgColor = *c;
                HasBgColor = true;
            }
            break;
        case Sy::BorderColor:
            if (auto c = ParseColor(a.Name)) {
                BorderColor = *c;
                HasBorderColor = true;
            }
            break;
        case Sy::HSpace: HSpace = static_cast<int32_t>(std::min<int64_t>(a.Value < 0 ? -int64_t{a.Value} : a.Value, 40)); break;
        case Sy::VSpace: VSpace = static_cast<int32_t>(std::min<int64_t>(a.Value < 0 ? -int64_t{a.Value} : a.Value, 200)); break;
        case Sy::Align: {
            const std::string v = LowerAscii(a.Name);
            if (v == "center") Justify = 2;
            else if (v == "left") {
                Justify = 1;
                Float = true;
            } else if (v == "right") {
                Justify = 3;
                Float = true;
            }
            break;
        }
        default: break;
        }
    }
    (void)spacingGiven;
    if (Border) CellSpacing = std::max<int32_t>(1, CellSpacing + 2);
}

void ThtmlTable::RefreshFonts() {
    Caption->Cell.RefreshFonts();
    for (auto& row : Rows)
        for (auto& cell : row->Cells)
            if (cell) cell->Cell.RefreshFonts();
}

void ThtmlTable::ExpandSpans() {
    if (SpansExpanded) return;
    const size_t rowCount = Rows.size();
    // Width of every row once the spans are in place, worked out before
    // anything is inserted so that a hostile table costs nothing.
    std::vector<int64_t> width(rowCount + 1, 0), covered(rowCount + 1, 0);
    for (size_t i = 0; i < rowCount; ++i) {
        for (const auto& cell : Rows[i]->Cells) {
            if (!cell) continue;
            width[i] += cell->ColSpan;
            const size_t span = std::min<size_t>(static_cast<size_t>(cell->RowSpan), rowCount - i);
            if (span > 1) {
                covered[i + 1] += cell->ColSpan;
                covered[i + span] -= cell->ColSpan;
            }
            if (width[i] > kMaxTableColumns) throw EProcessError("Table has too many Columns");
        }
    }
    int64_t running = 0;
    for (size_t i = 0; i < rowCount; ++i) {
        running += covered[i];
        if (width[i] + running > kMaxTableColumns) throw EProcessError("Table has too many Columns");
    }

    if (!HasBgColor && Enclosing && Enclosing->BkGnd()) {
        HasBgColor = true;
        BgColor = Enclosing->BkColor;
    }
    for (auto& row : Rows)
        for (auto& cell : row->Cells) {
            if (!cell || cell->Cell.BkGnd()) continue;
            if (row->BkGnd) {
                cell->Cell.BkColor = row->BkColor;
            } else if (HasBgColor) {
                cell->Cell.BkColor = BgColor;
            }
        }

    // Work grid: each entry is a cell, or a placeholder that may still carry
    // a row span (the columns a row-spanning cell covers).
    struct Entry {
        std::unique_ptr<TCellObj> Cell;
        int32_t RowSpan = 0;
    };
    std::vector<std::vector<Entry>> grid(rowCount);
    for (size_t i = 0; i < rowCount; ++i) {
        for (auto& cell : Rows[i]->Cells) {
            if (!cell) continue;
            const int32_t colSpan = cell->ColSpan, rowSpan = cell->RowSpan;
            grid[i].push_back({std::move(cell), rowSpan});
            for (int32_t k = 1; k < colSpan; ++k) grid[i].push_back({nullptr, rowSpan >= 2 ? rowSpan : 0});
        }
    }
    size_t columns = 0;
    for (const auto& r : grid) columns = std::max(columns, r.size());
    for (size_t col = 0; col < columns; ++col) {
        for (size_t i = 0; i < rowCount; ++i) {
            if (col >= grid[i].size()) continue;
            Entry& e = grid[i][col];
            if (e.RowSpan < 2) continue;
            const size_t span = std::min<size_t>(static_cast<size_t>(e.RowSpan), rowCount - i);
            e.RowSpan = static_cast<int32_t>(span);
            if (e.Cell) e.Cell->RowSpan = static_cast<int32_t>(span);
            for (size_t k = 1; k < span; ++k) {
                auto& below = grid[i + k];
                if (below.size() >= col) below.insert(below.begin() + static_cast<ptrdiff_t>(col), Entry{});
                else below.push_back(Entry{});
                columns = std::max(columns, below.size());
            }
        }
    }
    for (size_t i = 0; i < rowCount; ++i) {
        auto& cells = Rows[i]->Cells;
        cells.clear();
        cells.reserve(grid[i].size());
        for (Entry& e : grid[i]) cells.push_back(std::move(e.Cell));
    }
    NumCols = static_cast<int32_t>(columns);
    for (const auto& row : Rows)
        for (const auto& cell : row->Cells)
            if (cell && cell->SpecWd > 0 && !cell->WidthPercent) HasPixelCellWidth = true;
    SpansExpanded = true;
}

} // namespace velmora::html
