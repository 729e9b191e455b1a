// Table layout and painting: column widths from the cells' minimum and
// maximum widths and their pixel or percentage widths, row heights, vertical
// alignment, captions, borders and backgrounds.
#include "html/layout.h"
#include "html/paint.h"
#include "html/table.h"

#include <algorithm>
#include <numeric>

namespace velmora::html {

std::vector<TCell*> ThtmlTable::CellsInOrder() {
    std::vector<TCell*> cells;
    if (!CaptionBelow) cells.push_back(&Caption->Cell);
    for (auto& row : Rows)
        for (auto& cell : row->Cells)
            if (cell) cells.push_back(&cell->Cell);
    if (CaptionBelow) cells.push_back(&Caption->Cell);
    return cells;
}

namespace {

int32_t Sum(const std::vector<int32_t>& v, size_t from, size_t count) {
    int64_t s = 0;
    for (size_t i = from; i < from + count && i < v.size(); ++i)
        s += v[i];
    return static_cast<int32_t>(std::min<int64_t>(s, INT32_MAX / 2));
}

// Shares amount among columns in proportion to weights (equally when they sum to 0).
void Share(std::vector<int32_t>& target, size_t from, size_t count, int32_t amount,
           const std::vector<int32_t>& weights, const std::vector<bool>* only = nullptr) {
    int64_t total = 0;
    size_t n = 0;
    for (size_t i = from; i < from + count; ++i)
        if (!only || (*only)[i]) {
            total += weights[i];
            ++n;
        }
    if (n == 0) return;
    for (size_t i = from; i < from + count; ++i) {
        if (only && !(*only)[i]) continue;
        target[i] +=
            total > 0 ? MulDiv(amount, weights[i], static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX)))
                      : amount / static_cast<int32_t>(n);
    }
}

} // namespace

// The plain method (pixel cell widths, no table width): a cell's given width
// raises its minimum and maximum; a spanning cell's widths beyond its
// columns' are spread over them in proportion to what they have (to the
// first one when they have nothing).
static void AddPlainCell(ThtmlTable& t, const TCellObj& cell, size_t c, size_t n, int32_t e) {
    int32_t mn = cell.MinW + e, mx = cell.MaxW + e;
    if (cell.SpecWd > 0 && !cell.WidthPercent) {
        mn = std::max(mn, cell.SpecWd + e);
        mx = std::max(mn, cell.SpecWd + e);
    }
    if (n == 1) {
        t.ColMin[c] = std::max(t.ColMin[c], mn);
        t.ColMax[c] = std::max(t.ColMax[c], mx);
        return;
    }
    for (auto [value, list] : {std::pair{mn, &t.ColMin}, std::pair{mx, &t.ColMax}}) {
        const int32_t s = Sum(*list, c, n);
        if (value <= s) continue;
        if (s == 0)
            (*list)[c] = value;
        else
            for (size_t k = c; k < c + n; ++k)
                (*list)[k] += MulDiv((*list)[k], value - s, s);
    }
}

// A cell spanning n columns from c. With a percentage (its own or one of
// its columns'), the percentage is spread over the columns that have none
// (or scales theirs), and the widths beyond the columns' sums follow the
// percentages, or go to the columns without one; with none, the columns
// grow in proportion to their own widths.
static void AddSpanningCell(ThtmlTable& t, size_t c, size_t n, int32_t mn, int32_t mx, int32_t pct) {
    const size_t cols = static_cast<size_t>(t.NumCols);
    std::vector<bool> without(cols, false);
    size_t withoutCount = 0;
    for (size_t k = c; k < c + n; ++k)
        if (t.ColPercent[k] == 0) {
            without[k] = true;
            ++withoutCount;
        }
    const int32_t sumPct = Sum(t.ColPercent, c, n);
    const int32_t sumMin = Sum(t.ColMin, c, n), sumMax = Sum(t.ColMax, c, n);
    if (pct > 0 || withoutCount < n) {
        if (pct > sumPct) {
            if (withoutCount > 0) {
                for (size_t k = c; k < c + n; ++k)
                    if (without[k]) t.ColPercent[k] += (pct - sumPct) / static_cast<int32_t>(withoutCount);
            } else if (sumPct > 0) {
                for (size_t k = c; k < c + n; ++k)
                    t.ColPercent[k] = MulDiv(t.ColPercent[k], pct, sumPct);
            }
        }
        const int32_t total = std::max(1, Sum(t.ColPercent, c, n));
        if (mn > sumMin) {
            if (withoutCount == 0) {
                for (size_t k = c; k < c + n; ++k)
                    t.ColMin[k] = std::max(t.ColMin[k], MulDiv(mn, t.ColPercent[k], total));
            } else {
                Share(t.ColMin, c, n, mn - sumMin, t.ColMax, &without);
            }
        }
        if (mx > sumMax) {
            if (withoutCount == 0) {
                for (size_t k = c; k < c + n; ++k)
                    t.ColMax[k] = std::max(t.ColMax[k], MulDiv(mx, t.ColPercent[k], total));
            } else {
                std::vector<int32_t> equal(cols, 0);
                Share(t.ColMax, c, n, mx - sumMax, equal, &without);
            }
        }
    } else {
        if (mn > sumMin) Share(t.ColMin, c, n, mn - sumMin, std::vector<int32_t>(t.ColMin));
        if (mx > sumMax) Share(t.ColMax, c, n, mx - sumMax, std::vector<int32_t>(t.ColMax));
    }
}

// A cell's minimum, maximum and percentage (a pixel width counts as the
// percentage it is of `available`, when known) go to its column, or over
// the columns it spans.
static void AddCell(ThtmlTable& t, const TCellObj& cell, size_t c, size_t n, int32_t e, int32_t available) {
    const int32_t mn = cell.MinW + e, mx = cell.MaxW + e;
    int32_t pct = 0;
    if (cell.WidthPercent)
        pct = cell.SpecWd;
    else if (cell.SpecWd > 0 && available > 0)
        pct = std::min(1000, MulDiv(cell.SpecWd, 1000, available));
    if (n == 1) {
        t.ColMin[c] = std::max(t.ColMin[c], mn);
        t.ColMax[c] = std::max(t.ColMax[c], mx);
        t.ColPercent[c] = std::max(t.ColPercent[c], pct);
        return;
    }
    AddSpanningCell(t, c, n, mn, mx, pct);
}

// Measures the cells' own minimum and maximum widths (once per layout
// generation); gives the widest column span.
static int32_t MeasureCells(ThtmlTable& t) {
    TSectionList& doc = *t.Document;
    const bool measure = t.MeasuredGeneration != doc.LayoutGeneration || doc.LayoutGeneration == 0;
    int32_t widestSpan = 1;
    for (auto& row : t.Rows)
        for (auto& cell : row->Cells)
            if (cell) {
                if (measure) cell->Cell.MinMaxWidths(cell->MinW, cell->MaxW);
                widestSpan = std::max(widestSpan, cell->ColSpan);
            }
    t.MeasuredGeneration = doc.LayoutGeneration;
    return widestSpan;
}

// Column minimum, maximum and percentage from the cells, spans 1 first.
// available: the table's width for turning pixel widths into percentages (0: unknown).
static void ColumnMinMax(ThtmlTable& t, int32_t available) {
    const size_t cols = static_cast<size_t>(t.NumCols);
    t.ColMin.assign(cols, 0);
    t.ColMax.assign(cols, 0);
    t.ColPercent.assign(cols, 0);
    const int32_t e = 2 * t.CellPadding + t.CellSpacing;
    const int32_t widestSpan = MeasureCells(t);
    t.PlainMethod = t.HasPixelCellWidth && t.Width == 0;
    for (int32_t span = 1; span <= widestSpan; ++span) {
        for (auto& row : t.Rows) {
            for (size_t c = 0; c < row->Cells.size(); ++c) {
                const TCellObj* cell = row->Cells[c].get();
                if (!cell || std::min<int32_t>(cell->ColSpan, static_cast<int32_t>(cols - c)) != span)
                    continue;
                const size_t n = static_cast<size_t>(span);
                if (t.PlainMethod)
                    AddPlainCell(t, *cell, c, n, e);
                else
                    AddCell(t, *cell, c, n, e, available);
            }
        }
    }
    for (size_t c = 0; c < cols; ++c)
        t.ColMax[c] = std::max(t.ColMax[c], t.ColMin[c]);
    t.MinWidthSum = Sum(t.ColMin, 0, cols);
    t.MaxWidthSum = Sum(t.ColMax, 0, cols);
}

void ThtmlTable::MeasureWidths(int32_t& minWidth, int32_t& maxWidth) {
    minWidth = maxWidth = 0;
    if (!SpansExpanded) {
        try {
            ExpandSpans();
        } catch (const EProcessError&) {
            return; // reported and removed by the layout of its cell
        }
    }
    ColumnMinMax(*this, Width > 0 && !WidthPercent ? Width : 0);
    minWidth = MinWidthSum + CellSpacing;
    maxWidth = MaxWidthSum + CellSpacing;
    if (Width > 0 && !WidthPercent) {
        minWidth = std::max(minWidth, Width);
        maxWidth = std::max(maxWidth, Width);
    }
    int32_t captionMin = 0, captionMax = 0;
    Caption->Cell.MinMaxWidths(captionMin, captionMax);
    minWidth = std::max(minWidth, captionMin);
    maxWidth = std::max(maxWidth, captionMin);
}

// Widths between each column's minimum and maximum, in proportion to what
// each can grow (to the minimums when none can).
static void StretchColumns(ThtmlTable& t, int32_t w, int32_t minSum, int32_t maxSum) {
    const size_t cols = static_cast<size_t>(t.NumCols);
    auto& width = t.ColWidths;
    const auto& mn = t.ColMin;
    const auto& mx = t.ColMax;
    for (size_t c = 0; c < cols; ++c) {
        if (maxSum != minSum)
            width[c] = mn[c] + MulDiv(mx[c] - mn[c], w - minSum, maxSum - minSum);
        else if (minSum > 0)
            width[c] = mn[c] + MulDiv(mn[c], w - minSum, minSum);
        else
            width[c] = mn[c];
    }
}

// A table of a given width, first pass: percentage columns take their share
// of w, or their minimum when that is more (and stay there: `fixed`); the
// others start at their minimum. `others`: some column has no percentage.
static std::vector<bool> StartAtShares(ThtmlTable& t, int32_t w, bool& others) {
    const size_t cols = static_cast<size_t>(t.NumCols);
    auto& width = t.ColWidths;
    const auto& mn = t.ColMin;
    const auto& pct = t.ColPercent;
    std::vector<bool> fixed(cols, false);
    others = false;
    for (size_t c = 0; c < cols; ++c) {
        if (pct[c] > 0) {
            width[c] = MulDiv(w, pct[c], 1000);
            if (width[c] <= mn[c]) {
                width[c] = mn[c];
                fixed[c] = true;
            }
        } else {
            width[c] = mn[c];
            others = true;
        }
    }
    return fixed;
}

// Room left over: with every column a percentage one, the free ones (all of
// them when none is free) grow by their percentages; else the columns
// without a percentage grow by what their content could use, or equally
// when that is less than half the room.
static void GiveRoom(ThtmlTable& t, int32_t room, bool others, const std::vector<bool>& fixed) {
    const size_t cols = static_cast<size_t>(t.NumCols);
    const auto& mn = t.ColMin;
    const auto& mx = t.ColMax;
    const auto& pct = t.ColPercent;
    std::vector<bool> open(cols);
    if (!others) {
        std::vector<int32_t> weight(cols);
        for (size_t c = 0; c < cols; ++c) {
            open[c] = pct[c] > 0 && !fixed[c];
            weight[c] = pct[c];
        }
        if (std::find(open.begin(), open.end(), true) == open.end())
            for (size_t c = 0; c < cols; ++c)
                open[c] = true;
        Share(t.ColWidths, 0, cols, room, weight, &open);
    } else {
        std::vector<int32_t> weight(cols, 0);
        int32_t stretchSum = 0;
        for (size_t c = 0; c < cols; ++c) {
            open[c] = pct[c] == 0;
            if (open[c]) {
                weight[c] = mx[c] - mn[c];
                stretchSum += weight[c];
            }
        }
        if (stretchSum == 0 || stretchSum < room / 2) std::fill(weight.begin(), weight.end(), 0);
        Share(t.ColWidths, 0, cols, room, weight, &open);
    }
}

// Too wide: the free percentage columns give back the excess by their
// percentages, none below its minimum; a column that reaches it is fixed and
// the rest is taken again from the others (at most four rounds).
static void TakeExcess(ThtmlTable& t, int32_t excess, std::vector<bool>& fixed) {
    const size_t cols = static_cast<size_t>(t.NumCols);
    auto& width = t.ColWidths;
    const auto& mn = t.ColMin;
    const auto& pct = t.ColPercent;
    for (int pass = 0; pass < 4 && excess > 0; ++pass) {
        int32_t sumP = 0;
        for (size_t c = 0; c < cols; ++c)
            if (pct[c] > 0 && !fixed[c]) sumP += pct[c];
        if (sumP == 0) break;
        int32_t taken = 0;
        bool newlyFixed = false;
        for (size_t c = 0; c < cols; ++c) {
            if (pct[c] == 0 || fixed[c]) continue;
            int32_t cut = MulDiv(excess, pct[c], sumP);
            if (width[c] - cut < mn[c]) {
                cut = width[c] - mn[c];
                fixed[c] = true;
                newlyFixed = true;
            }
            width[c] -= cut;
            taken += cut;
        }
        excess -= taken;
        if (!newlyFixed) break;
    }
    if (excess > 0) {
        int32_t sumP = 0;
        for (size_t c = 0; c < cols; ++c)
            if (pct[c] > 0 && !fixed[c]) sumP += pct[c];
        for (size_t c = 0; c < cols && sumP > 0; ++c)
            if (pct[c] > 0 && !fixed[c]) width[c] -= MulDiv(excess, pct[c], sumP);
    }
}

// A table of a given width is exactly w wide: the shares, then the room or
// the excess, then what rounding left goes to the first column (or comes
// from the first free one).
static void FitToWidth(ThtmlTable& t, int32_t w) {
    const size_t cols = static_cast<size_t>(t.NumCols);
    auto& width = t.ColWidths;
    bool others = false;
    std::vector<bool> fixed = StartAtShares(t, w, others);
    const int32_t total = Sum(width, 0, cols);
    if (total < w)
        GiveRoom(t, w - total, others, fixed);
    else if (total > w)
        TakeExcess(t, total - w, fixed);
    const int32_t diff = w - Sum(width, 0, cols);
    if (diff > 0 && cols)
        width[0] += diff;
    else if (diff < 0)
        for (size_t c = 0; c < cols; ++c)
            if (!fixed[c]) {
                width[c] += diff;
                break;
            }
}

// The width at which every percentage column holds its maximum at its
// percentage and the other columns their maximums in what is left (30000
// when the percentages leave them nothing but they have content).
static int32_t WidthForPercentages(const ThtmlTable& t, int32_t sumPct) {
    const size_t cols = static_cast<size_t>(t.NumCols);
    const auto& mx = t.ColMax;
    const auto& pct = t.ColPercent;
    int32_t wanted = 0, othersMax = 0;
    bool othersPositive = false;
    for (size_t c = 0; c < cols; ++c) {
        if (pct[c] > 0)
            wanted = std::max(wanted, MulDiv(mx[c], 1000, pct[c]));
        else {
            othersMax += mx[c];
            othersPositive |= mx[c] > 0;
        }
    }
    if (sumPct < 1000)
        wanted = std::max(wanted, MulDiv(othersMax, 1000, 1000 - sumPct));
    else
        wanted = std::max(wanted, othersPositive ? 30000 : 0);
    return wanted;
}

// That width fits: percentage columns take their share of it, the others
// share the rest by their maximums.
static void ShareWantedWidth(ThtmlTable& t, int32_t wanted, int32_t sumPct) {
    const size_t cols = static_cast<size_t>(t.NumCols);
    const auto& mx = t.ColMax;
    const auto& pct = t.ColPercent;
    int32_t othersMax = 0;
    for (size_t c = 0; c < cols; ++c)
        if (pct[c] <= 0) othersMax += mx[c];
    const int32_t rest = MulDiv(wanted, std::max(0, 1000 - sumPct), 1000);
    for (size_t c = 0; c < cols; ++c) {
        if (pct[c] > 0)
            t.ColWidths[c] = MulDiv(wanted, pct[c], 1000);
        else
            t.ColWidths[c] = othersMax > 0 ? MulDiv(rest, mx[c], othersMax) : 0;
    }
}

// It does not: a percentage column whose share of w is below its minimum
// loses its percentage; shares that do not fit beside the other columns'
// minimums are scaled down and tried again. The percentage columns left are
// held at their share (minimum and maximum), for the stretch that follows.
static void HoldPercentColumns(ThtmlTable& t, int32_t w) {
    const size_t cols = static_cast<size_t>(t.NumCols);
    auto& mn = t.ColMin;
    auto& mx = t.ColMax;
    auto& pct = t.ColPercent;
    for (int pass = 0; pass < 64; ++pass) {
        for (size_t c = 0; c < cols; ++c)
            if (pct[c] > 0 && MulDiv(w, pct[c], 1000) - 1 < mn[c]) pct[c] = 0;
        int32_t shares = 0, otherMin = 0;
        bool any = false;
        for (size_t c = 0; c < cols; ++c) {
            if (pct[c] > 0) {
                shares += MulDiv(w, pct[c], 1000);
                any = true;
            } else {
                otherMin += mn[c];
            }
        }
        if (!any) break;
        if (shares + otherMin > w) {
            if (w - otherMin <= 0) {
                std::fill(pct.begin(), pct.end(), 0);
                break;
            }
            for (size_t c = 0; c < cols; ++c)
                if (pct[c] > 0) pct[c] = MulDiv(pct[c], w - otherMin, shares);
            continue;
        }
        // A percentage column is held at its share: its minimum too, or
        // the stretch below would start it from its content's width.
        for (size_t c = 0; c < cols; ++c)
            if (pct[c] > 0) mn[c] = mx[c] = std::max(mn[c], MulDiv(w, pct[c], 1000));
        break;
    }
}

// Column widths for an available width w.
static void ColumnWidths(ThtmlTable& t, int32_t w) {
    const size_t cols = static_cast<size_t>(t.NumCols);
    t.ColWidths.assign(cols, 0);
    const int32_t minSum = t.MinWidthSum, maxSum = t.MaxWidthSum;
    if (minSum >= w) {
        t.ColWidths = t.ColMin;
        return;
    }
    if (t.PlainMethod) {
        if (w < maxSum || t.Width > 0)
            StretchColumns(t, w, minSum, maxSum);
        else
            t.ColWidths = t.ColMax;
        return;
    }
    if (t.Width > 0) {
        FitToWidth(t, w);
        return;
    }
    const int32_t sumPct = Sum(t.ColPercent, 0, cols);
    if (sumPct > 0) {
        const int32_t wanted = WidthForPercentages(t, sumPct);
        if (wanted <= w) {
            ShareWantedWidth(t, wanted, sumPct);
            return;
        }
        HoldPercentColumns(t, w);
    }
    const int32_t newMin = Sum(t.ColMin, 0, cols), newMax = Sum(t.ColMax, 0, cols);
    if (newMax > w && newMax != newMin)
        StretchColumns(t, w, newMin, newMax);
    else
        t.ColWidths = t.ColMax;
}

int32_t ThtmlTable::LayOut(IndentManager& im, int32_t y, int32_t& curs, int32_t& maxWidth) {
    YValue = y;
    StartCurs = curs;
    im.SetLevel(Level, y);
    const int32_t left = im.LeftIndent(y), right = im.RightSide(y), room = right - left;
    int32_t w = room;
    if (Width > 0) w = WidthPercent ? MulDiv(room, Width, 1000) : Width;
    w = std::max(20, w - CellSpacing);
    if (!SpansExpanded) {
        try {
            ExpandSpans();
        } catch (const EProcessError&) {
            SectionHeight = DrawHeight = 0;
            return 0;
        }
    }
    ColumnMinMax(*this, w);
    ColumnWidths(*this, w);
    ColumnTotal = CellSpacing + Sum(ColWidths, 0, ColWidths.size());
    int32_t captionMax = 0;
    Caption->Cell.MinMaxWidths(CaptionMinWidth, captionMax);
    TableWidth = std::max(ColumnTotal, CaptionMinWidth);
    int32_t offset = 0;
    if (TableWidth < room) {
        if (Justify == 2)
            offset = (room - TableWidth) / 2;
        else if (Justify == 3)
            offset = room - TableWidth;
    }
    TableX = left + offset;
    ColumnsX = TableX + (TableWidth - ColumnTotal) / 2;
    const int32_t top = Float ? y + VSpace : y;
    int32_t cy = top, need = 0;
    CaptionHeight = 0;
    if (!CaptionBelow) {
        CaptionHeight = Caption->Cell.DoLayout(TableX, TableWidth, cy, curs, need);
        cy += CaptionHeight;
    }
    RowsTop = cy;

    // Every cell is laid out once, in document order, at the top of the rows
    // part; it moves to its place once the rows' heights are known.
    const int32_t e = 2 * CellPadding + CellSpacing;
    std::vector<int32_t> colX(ColWidths.size() + 1, 0);
    for (size_t c = 0; c < ColWidths.size(); ++c)
        colX[c + 1] = colX[c] + ColWidths[c];
    const int32_t contentTop = RowsTop + CellSpacing + CellPadding;
    int32_t widestSpan = 1;
    for (auto& row : Rows) {
        row->RowHeight = 0;
        for (size_t c = 0; c < row->Cells.size(); ++c) {
            TCellObj* cell = row->Cells[c].get();
            if (!cell) continue;
            const size_t last =
                std::min(ColWidths.size(), c + static_cast<size_t>(std::max(1, cell->ColSpan)));
            cell->Wd = colX[last] - colX[std::min(c, ColWidths.size())];
            int32_t cellNeed = 0;
            cell->VSize = cell->Cell.DoLayout(ColumnsX + colX[std::min(c, ColWidths.size())] + CellSpacing +
                                                  CellPadding,
                                              std::max(0, cell->Wd - e), contentTop, curs, cellNeed);
            widestSpan = std::max(widestSpan, cell->RowSpan);
        }
    }
    const size_t rows = Rows.size();
    for (int32_t span = 1; span <= widestSpan; ++span)
        for (size_t r = 0; r < rows; ++r)
            for (auto& cell : Rows[r]->Cells) {
                if (!cell || std::max(1, cell->RowSpan) != span) continue;
                const int32_t height = std::max(cell->VSize, cell->SpecHt - 2 * CellPadding) + e;
                const size_t k = std::min<size_t>(static_cast<size_t>(span), rows - r);
                if (k <= 1) {
                    Rows[r]->RowHeight = std::max(Rows[r]->RowHeight, height);
                    continue;
                }
                int32_t sum = 0;
                for (size_t i = r; i < r + k; ++i)
                    sum += Rows[i]->RowHeight;
                if (height > sum) {
                    const int32_t share = (height - sum) / static_cast<int32_t>(k);
                    for (size_t i = r; i < r + k; ++i)
                        Rows[i]->RowHeight += share;
                    Rows[r + k - 1]->RowHeight += height - sum - share * static_cast<int32_t>(k);
                }
            }
    int32_t total = 0;
    for (auto& row : Rows)
        total += row->RowHeight;
    int32_t wantedHeight = Height;
    if (HeightPercent)
        wantedHeight =
            MulDiv(Document->ClientHeight - 2 * Document->MarginHeight - CellSpacing - 3, Height, 1000);
    if (rows && wantedHeight > total) {
        const int32_t share = (wantedHeight - total) / static_cast<int32_t>(rows);
        for (size_t r = 0; r + 1 < rows; ++r)
            Rows[r]->RowHeight += share;
        Rows[rows - 1]->RowHeight += wantedHeight - total - share * static_cast<int32_t>(rows - 1);
    }
    int32_t rowY = RowsTop;
    for (size_t r = 0; r < rows; ++r) {
        Rows[r]->Top = rowY;
        for (auto& cell : Rows[r]->Cells) {
            if (!cell) continue;
            const size_t k = std::min<size_t>(static_cast<size_t>(std::max(1, cell->RowSpan)), rows - r);
            cell->Ht = 0;
            for (size_t i = r; i < r + k; ++i)
                cell->Ht += Rows[i]->RowHeight;
            const int32_t spare = cell->Ht - cell->VSize - 2 * CellPadding - CellSpacing;
            cell->YIndent = cell->VAlign == 1 ? spare / 2 : cell->VAlign == 2 ? spare : 0;
            cell->Cell.MoveBy(rowY - RowsTop + cell->YIndent);
        }
        rowY += Rows[r]->RowHeight;
    }
    RowsHeight = rowY - RowsTop + CellSpacing;
    cy = RowsTop + RowsHeight;
    if (CaptionBelow) {
        CaptionHeight = Caption->Cell.DoLayout(TableX, TableWidth, cy, curs, need);
        cy += CaptionHeight;
    }
    Len = curs - StartCurs;
    maxWidth = TableX - im.LfEdge + TableWidth;
    SectionHeight = DrawHeight = cy - y;
    if (Float) {
        const int32_t height = SectionHeight + VSpace; // VSPACE above is already in
        DrawHeight = height;
        if (Justify == 3)
            im.PlaceRight(y, TableWidth + HSpace + 1, height);
        else
            im.PlaceLeft(y, TableWidth + HSpace + 1, height);
        SectionHeight = 0;
    }
    return SectionHeight;
}

void TCell::MoveBy(int32_t dy) {
    if (dy == 0) return;
    Top += dy;
    for (auto& s : Sections)
        s->MoveBy(dy);
    if (reach_)
        for (int32_t i = 1; i <= reach_[0]; ++i)
            reach_[i] += dy;
}

void ThtmlTable::MoveBy(int32_t dy) {
    YValue += dy;
    RowsTop += dy;
    for (auto& row : Rows)
        row->Top += dy;
    for (TCell* cell : CellsInOrder())
        cell->MoveBy(dy);
}

void ThtmlTable::Paint(TPaintContext& pc) {
    if (!pc.Visible(YValue, std::max(SectionHeight, DrawHeight))) return;
    ++pc.SectionsPainted;
    const int32_t savedLeft = pc.AreaLeft, savedClip = pc.ClipWidth;
    if (!CaptionBelow && !Caption->Cell.Sections.empty()) {
        pc.AreaLeft = TableX;
        pc.ClipWidth = TableWidth;
        Caption->Cell.Paint(pc);
    }
    // The spacing between cells in BORDERCOLOR: the rows part less the cells.
    std::vector<TSurfaceRect> region;
    if (HasBorderColor) {
        TSurfaceRect all{pc.SX(ColumnsX), pc.SY(RowsTop), pc.SX(ColumnsX + ColumnTotal),
                         pc.SY(RowsTop + RowsHeight)};
        all.Left = std::max(all.Left, pc.Clip.Left);
        all.Top = std::max(all.Top, pc.Clip.Top);
        all.Right = std::min(all.Right, pc.Clip.Right);
        all.Bottom = std::min(all.Bottom, pc.Clip.Bottom);
        if (all.Left < all.Right && all.Top < all.Bottom) region.push_back(all);
    }
    auto cut = [&region](TSurfaceRect c) {
        std::vector<TSurfaceRect> out;
        for (const TSurfaceRect& r : region) {
            if (c.Right <= r.Left || c.Left >= r.Right || c.Bottom <= r.Top || c.Top >= r.Bottom) {
                out.push_back(r);
                continue;
            }
            if (c.Top > r.Top) out.push_back({r.Left, r.Top, r.Right, c.Top});
            if (c.Bottom < r.Bottom) out.push_back({r.Left, c.Bottom, r.Right, r.Bottom});
            const int32_t top = std::max(r.Top, c.Top), bottom = std::min(r.Bottom, c.Bottom);
            if (c.Left > r.Left) out.push_back({r.Left, top, c.Left, bottom});
            if (c.Right < r.Right) out.push_back({c.Right, top, r.Right, bottom});
        }
        region.swap(out);
    };
    std::vector<int32_t> colX(ColWidths.size() + 1, ColumnsX);
    for (size_t c = 0; c < ColWidths.size(); ++c)
        colX[c + 1] = colX[c] + ColWidths[c];
    // Rows are in order: the first one that reaches the clip rectangle by a search.
    auto firstRow =
        std::partition_point(Rows.begin(), Rows.end(), [&](const std::unique_ptr<TCellList>& row) {
            return row->Top + row->RowHeight + 3000 <= pc.DocTop(); // row spans reach down a little
        });
    for (auto it = Rows.begin(); it != Rows.end(); ++it) {
        if (it < firstRow) continue;
        const TCellList& row = **it;
        if (row.Top >= pc.DocBottom()) break;
        for (size_t c = 0; c < row.Cells.size(); ++c) {
            const TCellObj* cell = row.Cells[c].get();
            if (!cell || !pc.Visible(row.Top, cell->Ht + CellSpacing)) continue;
            const int32_t x = colX[std::min(c, ColWidths.size())];
            const int32_t cx = x + CellSpacing, cy = row.Top + CellSpacing;
            const int32_t cw = cell->Wd - CellSpacing, ch = cell->Ht - CellSpacing;
            if (cell->Cell.BkGnd()) {
                const int32_t top = std::clamp(pc.SY(cy), -200, 3000),
                              bottom = std::clamp(pc.SY(cy + ch), -200, 3000);
                pc.Add(TDrawKind::Fill, pc.SX(cx), top, cw, bottom - top).Color = cell->Cell.BkColor;
            }
            pc.AreaLeft = cx + CellPadding;
            pc.ClipWidth = cell->Wd - CellSpacing - 2 * CellPadding;
            const_cast<TCellObj*>(cell)->Cell.Paint(pc);
            if (Border) pc.Frame3D(pc.SX(cx - 1), pc.SY(cy - 1), cw + 2, ch + 2, false);
            if (HasBorderColor) {
                const int32_t grow = Border ? 1 : 0;
                cut({pc.SX(cx - grow), pc.SY(cy - grow), pc.SX(cx + cw + grow), pc.SY(cy + ch + grow)});
            }
        }
    }
    for (const TSurfaceRect& r : region)
        pc.Add(TDrawKind::Fill, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top).Color = BorderColor;
    if (Border) pc.Frame3D(pc.SX(ColumnsX), pc.SY(RowsTop), ColumnTotal, RowsHeight, true);
    if (CaptionBelow && !Caption->Cell.Sections.empty()) {
        pc.AreaLeft = TableX;
        pc.ClipWidth = TableWidth;
        Caption->Cell.Paint(pc);
    }
    pc.AreaLeft = savedLeft;
    pc.ClipWidth = savedClip;
}

} // namespace velmora::html
