#include "widgets/custom_grid.h"

#include <windowsx.h>

#include <algorithm>

#include "toolkit/gdi.h"

namespace velmora::widgets {

namespace {
const char* const kGridClass = "VelmoraHexGrid";
} // namespace

void TCustomGrid::CreateGrid(tk::TControl* parent, const RECT& bounds) {
    RegisterWindowClass(kGridClass, CS_DBLCLKS, LoadCursor(nullptr, IDC_IBEAM), nullptr);
    tk::WindowParams p;
    p.className = kGridClass;
    p.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_CLIPSIBLINGS;
    p.bounds = bounds;
    CreateControl(parent, p);
    UpdateScrollBars();
}

int TCustomGrid::FixedWidth() const {
    int w = 0;
    for (int32_t c = 0; c < fixedCols_ && c < ColCount(); ++c)
        w += colWidths_[c];
    return w;
}

RECT TCustomGrid::CellRect(int32_t col, int32_t row) const {
    RECT empty{0, 0, 0, 0};
    if (col < 0 || col >= ColCount() || row < topRow_ || row >= rowCount_) return empty;
    RECT client{};
    if (Handle()) GetClientRect(Handle(), &client);
    int top = static_cast<int>(static_cast<int64_t>(row - topRow_) * rowHeight_);
    if (top >= client.bottom) return empty;
    int left = 0;
    if (col < fixedCols_) {
        for (int32_t c = 0; c < col; ++c)
            left += colWidths_[c];
    } else {
        if (col < leftCol_) return empty;
        left = FixedWidth();
        for (int32_t c = leftCol_; c < col; ++c)
            left += colWidths_[c];
    }
    if (left >= client.right) return empty;
    return RECT{left, top, left + colWidths_[col], top + rowHeight_};
}

bool TCustomGrid::MouseToCell(int x, int y, int32_t& col, int32_t& row) const {
    if (y < 0 || x < 0) return false;
    row = topRow_ + y / std::max(rowHeight_, 1);
    if (row >= rowCount_) return false;
    int left = 0;
    for (int32_t c = 0; c < fixedCols_ && c < ColCount(); ++c) {
        if (x < left + colWidths_[c]) {
            col = c;
            return true;
        }
        left += colWidths_[c];
    }
    for (int32_t c = leftCol_; c < ColCount(); ++c) {
        if (x < left + colWidths_[c]) {
            col = c;
            return true;
        }
        left += colWidths_[c];
    }
    return false;
}

int32_t TCustomGrid::VisibleRowCount() const {
    RECT client{};
    if (Handle()) GetClientRect(Handle(), &client);
    return std::max<int32_t>(1, client.bottom / std::max(rowHeight_, 1));
}

int32_t TCustomGrid::MaxTopRow() const {
    return std::max<int32_t>(0, rowCount_ - VisibleRowCount());
}

int32_t TCustomGrid::MaxLeftCol() const {
    RECT client{};
    if (Handle()) GetClientRect(Handle(), &client);
    int room = client.right - FixedWidth();
    int32_t left = ColCount() - 1;
    int used = 0;
    while (left >= fixedCols_ && used + colWidths_[left] <= room)
        used += colWidths_[left--];
    return std::max(fixedCols_, std::min<int32_t>(left + 1, ColCount() - 1));
}

void TCustomGrid::SetGridShape(int32_t colCount, int32_t rowCount, int32_t fixedCols) {
    colWidths_.resize(std::max<int32_t>(colCount, 1), 8);
    rowCount_ = std::max<int32_t>(rowCount, 1);
    fixedCols_ = std::clamp<int32_t>(fixedCols, 0, ColCount() - 1);
    col_ = std::clamp(col_, fixedCols_, ColCount() - 1);
    row_ = std::clamp<int32_t>(row_, 0, rowCount_ - 1);
    topRow_ = std::clamp(topRow_, 0, MaxTopRow());
    leftCol_ = std::clamp(leftCol_, fixedCols_, ColCount() - 1);
    UpdateScrollBars();
    InvalidateGrid();
}

void TCustomGrid::SetColWidth(int32_t col, int width) {
    if (col < 0 || col >= ColCount() || colWidths_[col] == width) return;
    colWidths_[col] = width;
    UpdateScrollBars();
    InvalidateGrid();
}

void TCustomGrid::SetDefaultRowHeight(int height) {
    height = std::max(height, 1);
    if (height == rowHeight_) return;
    rowHeight_ = height;
    UpdateScrollBars();
    InvalidateGrid();
}

void TCustomGrid::SetCurrentCell(int32_t col, int32_t row) {
    col_ = std::clamp(col, 0, ColCount() - 1);
    row_ = std::clamp<int32_t>(row, 0, rowCount_ - 1);
    ScrollInView(col_, row_);
}

bool TCustomGrid::FocusCell(int32_t col, int32_t row) {
    if (col < 0 || col >= ColCount() || row < 0 || row >= rowCount_) return false;
    if (col < fixedCols_) return false;
    if (!SelectCell(col, row)) return false;
    col_ = col;
    row_ = row;
    ScrollInView(col, row);
    return true;
}

void TCustomGrid::SetTopRow(int32_t row) {
    row = std::clamp(row, 0, MaxTopRow());
    if (row == topRow_) return;
    topRow_ = row;
    UpdateScrollBars();
    InvalidateGrid();
    ViewScrolled();
}

void TCustomGrid::ScrollInView(int32_t col, int32_t row) {
    bool scrolled = false;
    int32_t visible = VisibleRowCount();
    if (row < topRow_) {
        topRow_ = row;
        scrolled = true;
    } else if (row >= topRow_ + visible) {
        topRow_ = std::min(row - visible + 1, MaxTopRow());
        scrolled = true;
    }
    if (col >= fixedCols_) {
        if (col < leftCol_) {
            leftCol_ = col;
            scrolled = true;
        } else {
            RECT client{};
            if (Handle()) GetClientRect(Handle(), &client);
            int room = client.right - FixedWidth();
            auto widthTo = [&](int32_t from) {
                int w = 0;
                for (int32_t c = from; c <= col; ++c)
                    w += colWidths_[c];
                return w;
            };
            while (leftCol_ < col && widthTo(leftCol_) > room) {
                ++leftCol_;
                scrolled = true;
            }
        }
    }
    if (scrolled) {
        UpdateScrollBars();
        InvalidateGrid();
        ViewScrolled();
    }
}

void TCustomGrid::InvalidateCell(int32_t col, int32_t row) {
    if (!Handle()) return;
    RECT r = CellRect(col, row);
    if (!IsRectEmpty(&r)) InvalidateRect(Handle(), &r, FALSE);
}

void TCustomGrid::InvalidateRows(int32_t firstRow, int32_t lastRow) {
    if (!Handle()) return;
    if (firstRow > lastRow) std::swap(firstRow, lastRow);
    firstRow = std::max(firstRow, topRow_);
    lastRow = std::min<int32_t>(lastRow, topRow_ + VisibleRowCount());
    if (firstRow > lastRow) return;
    RECT client;
    GetClientRect(Handle(), &client);
    RECT r{0, static_cast<int>((firstRow - topRow_) * rowHeight_), client.right,
           static_cast<int>((lastRow - topRow_ + 1) * rowHeight_)};
    InvalidateRect(Handle(), &r, FALSE);
}

void TCustomGrid::InvalidateGrid() {
    if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TCustomGrid::UpdateScrollBars() {
    if (!Handle() || updatingScrollBars_) return;
    updatingScrollBars_ = true;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    int32_t visible = VisibleRowCount();
    si.nMin = 0;
    si.nMax = rowCount_ - 1;
    si.nPage = static_cast<UINT>(visible);
    si.nPos = topRow_;
    SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
    int32_t maxLeft = MaxLeftCol();
    si.nMin = fixedCols_;
    si.nMax = maxLeft;
    si.nPage = 1;
    si.nPos = leftCol_;
    if (maxLeft <= fixedCols_) {
        si.nMax = fixedCols_;
        si.nPage = 2;
    }
    SetScrollInfo(Handle(), SB_HORZ, &si, TRUE);
    updatingScrollBars_ = false;
}

void TCustomGrid::VerticalScroll(WORD code) {
    int32_t page = VisibleRowCount();
    int32_t top = topRow_;
    switch (code) {
    case SB_LINEUP:
        --top;
        break;
    case SB_LINEDOWN:
        ++top;
        break;
    case SB_PAGEUP:
        top -= page;
        break;
    case SB_PAGEDOWN:
        top += page;
        break;
    case SB_TOP:
        top = 0;
        break;
    case SB_BOTTOM:
        top = MaxTopRow();
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(Handle(), SB_VERT, &si);
        top = si.nTrackPos; // the view follows the thumb while it is dragged
        break;
    }
    default:
        return;
    }
    SetTopRow(top);
}

void TCustomGrid::HorizontalScroll(WORD code) {
    int32_t left = leftCol_;
    switch (code) {
    case SB_LINELEFT:
        --left;
        break;
    case SB_LINERIGHT:
        ++left;
        break;
    case SB_PAGELEFT:
        left -= 8;
        break;
    case SB_PAGERIGHT:
        left += 8;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(Handle(), SB_HORZ, &si);
        left = si.nTrackPos;
        break;
    }
    default:
        return;
    }
    left = std::clamp(left, fixedCols_, MaxLeftCol());
    if (left == leftCol_) return;
    leftCol_ = left;
    UpdateScrollBars();
    InvalidateGrid();
    ViewScrolled();
}

bool TCustomGrid::StandardKeyDown(WPARAM key, bool ctrl) {
    int32_t page = VisibleRowCount();
    switch (key) {
    case VK_UP:
        if (ctrl)
            SetTopRow(topRow_ - 1);
        else
            FocusCell(col_, row_ - 1);
        return true;
    case VK_DOWN:
        if (ctrl)
            SetTopRow(topRow_ + 1);
        else
            FocusCell(col_, row_ + 1);
        return true;
    case VK_PRIOR:
        if (ctrl) {
            FocusCell(col_, topRow_);
        } else {
            int32_t target = std::max(0, row_ - page);
            SetTopRow(topRow_ - page);
            FocusCell(col_, target);
        }
        return true;
    case VK_NEXT:
        if (ctrl) {
            FocusCell(col_, std::min<int32_t>(rowCount_ - 1, topRow_ + page - 1));
        } else {
            int32_t target = std::min<int32_t>(rowCount_ - 1, row_ + page);
            SetTopRow(topRow_ + page);
            FocusCell(col_, target);
        }
        return true;
    case VK_LEFT:
        if (ctrl)
            FocusCell(std::max(fixedCols_, col_ - 8), row_);
        else if (col_ > fixedCols_)
            FocusCell(col_ - 1, row_);
        return true;
    case VK_RIGHT:
        if (ctrl)
            FocusCell(std::min(ColCount() - 1, col_ + 8), row_);
        else if (col_ < ColCount() - 1)
            FocusCell(col_ + 1, row_);
        return true;
    }
    return false;
}

void TCustomGrid::MouseDown(int x, int y, bool) {
    int32_t col, row;
    if (MouseToCell(x, y, col, row)) FocusCell(col, row);
}

void TCustomGrid::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT client;
    GetClientRect(Handle(), &client);
    int w = std::max<int>(client.right, 1), h = std::max<int>(client.bottom, 1);
    // Double buffered: cells go to a memory bitmap, blitted once.
    {
        tk::BufferedPaint buffer(dc, RECT{0, 0, w, h});
        HDC memory = buffer.DC();
        {
            tk::BrushHandle background(CreateSolidBrush(GridColor()));
            FillRect(memory, &ps.rcPaint, background.get());
        }
        int32_t firstRow = topRow_ + ps.rcPaint.top / rowHeight_;
        int32_t lastRow = std::min<int32_t>(rowCount_ - 1, topRow_ + (ps.rcPaint.bottom - 1) / rowHeight_);
        for (int32_t row = firstRow; row <= lastRow; ++row) {
            for (int32_t col = 0; col < ColCount(); ++col) {
                if (col >= fixedCols_ && col < leftCol_) continue;
                RECT r = CellRect(col, row);
                if (IsRectEmpty(&r)) {
                    if (col >= fixedCols_) break; // off to the right: so is the rest of the row
                    continue;
                }
                RECT overlap;
                if (!IntersectRect(&overlap, &r, &ps.rcPaint)) continue;
                int saved = SaveDC(memory);
                IntersectClipRect(memory, r.left, r.top, r.right, r.bottom);
                DrawCell(memory, col, row, r);
                RestoreDC(memory, saved);
            }
        }
    }
    EndPaint(Handle(), &ps);
}

LRESULT TCustomGrid::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    case WM_SIZE: {
        LRESULT result = tk::TControl::WndProc(msg, wParam, lParam);
        topRow_ = std::clamp(topRow_, 0, MaxTopRow());
        leftCol_ = std::clamp(leftCol_, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
        UpdateScrollBars();
        InvalidateGrid();
        return result;
    }
    case WM_VSCROLL:
        VerticalScroll(LOWORD(wParam));
        return 0;
    case WM_HSCROLL:
        HorizontalScroll(LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL: {
        int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        SetTopRow(topRow_ - 3 * delta / WHEEL_DELTA);
        return 0;
    }
    case WM_KEYDOWN:
        KeyDown(wParam, lParam);
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        KeyUp(wParam);
        return tk::TControl::WndProc(msg, wParam, lParam);
    case WM_CHAR:
        KeyChar(wParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (GetFocus() != Handle()) SetFocus();
        SetCapture(Handle());
        mouseSelecting_ = true;
        MouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), msg == WM_LBUTTONDBLCLK);
        return 0;
    case WM_MOUSEMOVE:
        if (mouseSelecting_ && (wParam & MK_LBUTTON)) {
            RECT client;
            GetClientRect(Handle(), &client);
            int x = std::clamp<int>(GET_X_LPARAM(lParam), 0, std::max<int>(0, client.right - 1));
            int y = GET_Y_LPARAM(lParam);
            int32_t col, row;
            if (y < 0) {
                row = std::max(0, topRow_ - 1);
                if (MouseToCell(x, 0, col, row)) FocusCell(col, std::max(0, topRow_ - 1));
            } else if (y >= client.bottom) {
                if (MouseToCell(x, 0, col, row))
                    FocusCell(col, std::min<int32_t>(rowCount_ - 1, topRow_ + VisibleRowCount()));
            } else if (MouseToCell(x, y, col, row) && (col != col_ || row != row_)) {
                FocusCell(col, row);
            }
        }
        return 0;
    case WM_LBUTTONUP:
        mouseSelecting_ = false;
        if (GetCapture() == Handle()) ReleaseCapture();
        return 0;
    case WM_SETFOCUS:
        FocusChanged(true);
        return 0;
    case WM_KILLFOCUS:
        FocusChanged(false);
        return 0;
    }
    return tk::TControl::WndProc(msg, wParam, lParam);
}

} // namespace velmora::widgets
