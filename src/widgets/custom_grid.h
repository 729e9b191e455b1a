// A small owner-drawn grid: columns of given widths, fixed columns on the left,
// rows of one height, a current cell, scroll bars (the view follows the thumb),
// keyboard and mouse moves of the current cell through a filter. The hex
// editor is built on it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "toolkit/control.h"

namespace velmora::widgets {

class TCustomGrid : public tk::TControl {
public:
    int32_t ColCount() const { return static_cast<int32_t>(colWidths_.size()); }
    int32_t RowCount() const { return rowCount_; }
    int32_t FixedCols() const { return fixedCols_; }
    int32_t Col() const { return col_; }
    int32_t Row() const { return row_; }
    int32_t TopRow() const { return topRow_; }
    int32_t LeftCol() const { return leftCol_; }
    int DefaultRowHeight() const { return rowHeight_; }
    int ColWidth(int32_t col) const { return colWidths_.at(col); }

    // The cell's rectangle in client coordinates; empty when it is not visible.
    RECT CellRect(int32_t col, int32_t row) const;
    // The cell under a client point; false when there is none.
    bool MouseToCell(int x, int y, int32_t& col, int32_t& row) const;
    // Rows wholly visible in the client area (at least 1).
    int32_t VisibleRowCount() const;
    // Makes a cell current through the filter; true when it moved (or was current).
    bool FocusCell(int32_t col, int32_t row);
    void SetTopRow(int32_t row);

protected:
    TCustomGrid() = default;
    void CreateGrid(tk::TControl* parent, const RECT& bounds);

    // Layout. Changing the shape keeps the current cell inside it.
    void SetGridShape(int32_t colCount, int32_t rowCount, int32_t fixedCols);
    void SetColWidth(int32_t col, int width);
    void SetDefaultRowHeight(int height);
    // Moves the current cell without the filter.
    void SetCurrentCell(int32_t col, int32_t row);

    void InvalidateCell(int32_t col, int32_t row);
    void InvalidateRows(int32_t firstRow, int32_t lastRow);
    void InvalidateGrid();

    // Owner hooks.
    virtual void DrawCell(HDC dc, int32_t col, int32_t row, const RECT& rect) = 0;
    // Whether the current cell may move to (col, row).
    virtual bool SelectCell(int32_t col, int32_t row) { return col >= 0 && row >= 0; }
    // The view scrolled (after a scroll bar, wheel or a move that scrolled).
    virtual void ViewScrolled() {}
    virtual COLORREF GridColor() const { return GetSysColor(COLOR_WINDOW); }
    // The grid's standard key handling; true when the key moved or scrolled something.
    bool StandardKeyDown(WPARAM key, bool ctrl);

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    virtual void KeyDown(WPARAM key, LPARAM /*flags*/) { StandardKeyDown(key, GetKeyState(VK_CONTROL) < 0); }
    virtual void KeyUp(WPARAM /*key*/) {}
    virtual void KeyChar(WPARAM /*ch*/) {}
    virtual void MouseDown(int x, int y, bool doubleClick);
    virtual void FocusChanged(bool /*gained*/) {}

private:
    void Paint();
    void UpdateScrollBars();
    void ScrollInView(int32_t col, int32_t row);
    void VerticalScroll(WORD code);
    void HorizontalScroll(WORD code);
    int32_t MaxTopRow() const;
    int32_t MaxLeftCol() const;
    int FixedWidth() const;

    std::vector<int> colWidths_;
    int32_t rowCount_ = 1;
    int32_t fixedCols_ = 0;
    int rowHeight_ = 16;
    int32_t col_ = 0, row_ = 0;
    int32_t topRow_ = 0, leftCol_ = 0;
    bool mouseSelecting_ = false;
    bool updatingScrollBars_ = false;
};

} // namespace velmora::widgets
