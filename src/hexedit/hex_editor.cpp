#include "hexedit/hex_editor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace velmora::hex {

namespace {

bool KeyIsDown(int vk) {
    return GetKeyState(vk) < 0;
}

const char kHexDigits[] = "0123456789ABCDEF";

} // namespace

THexEditor::THexEditor(const Params& params) {
    doc_.SetView(this);
    CreateGrid(params.parent, params.bounds);
    SetFontPoints("Courier", 12, false);
    SetAlign(params.align);
    doc_.NewEmptyDocument("Untitled");
}

THexEditor::~THexEditor() {
    doc_.SetView(nullptr);
    DestroyCaretBitmap();
    DestroyHandle(); // while this object can still answer its messages
}

// ----------------------------------------------------------------- metrics

int THexEditor::FontPoints() const {
    int pixels = font_.lfHeight < 0 ? -font_.lfHeight : font_.lfHeight;
    return MulDiv(pixels, 72, tk::ScreenDpi());
}

int THexEditor::MarkerFontPoints() const {
    // Three quarters, rounded to the nearest integer with halves to the even one.
    return static_cast<int>(std::nearbyint(FontPoints() * 0.75));
}

void THexEditor::SetFont(const std::string& face, int heightPixels, bool bold) {
    LOGFONTA lf{};
    lf.lfHeight = -std::abs(heightPixels);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    font_ = lf;
    fontHandle_.reset(CreateFontIndirectA(&font_));
    LOGFONTA marker{};
    marker.lfHeight = -MulDiv(MarkerFontPoints(), tk::ScreenDpi(), 72);
    marker.lfWeight = lf.lfWeight;
    marker.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(marker.lfFaceName, "Arial");
    markerFont_.reset(CreateFontIndirectA(&marker));
    RebuildGrid();
}

void THexEditor::SetFontPoints(const std::string& face, int points, bool bold) {
    SetFont(face, MulDiv(points, tk::ScreenDpi(), 72), bold);
}

void THexEditor::ComputeMetrics() {
    SIZE w{}, y{};
    {
        tk::WindowDC dc(Handle());
        tk::SelectedObject font(dc, fontHandle_.get());
        GetTextExtentPoint32A(dc, "w", 1, &w);
        GetTextExtentPoint32A(dc, "yY", 2, &y);
    }
    charWidth_ = std::max<int>(1, w.cx);
    SetDefaultRowHeight(y.cy + 2);
    offsetChars_ = OffsetWidthChars(offsetDisplay_, doc_.DataSize());
}

void THexEditor::ApplyColumnWidths() {
    for (int32_t c = 0; c < ColCount(); ++c)
        SetColWidth(c, charWidth_ *
                           ColumnWidthChars(c, Bpl(), bytesPerColumn_, offsetChars_, showMarkerColumn_));
}

void THexEditor::RebuildGrid() {
    if (!Handle()) return;
    ComputeMetrics();
    const int32_t bpl = Bpl();
    SetGridShape(ColumnCount(bpl), doc_.RowCount(), 2);
    ApplyColumnWidths();
    GridCell cell = CellOfCaret(doc_.CaretPos());
    SetCurrentCell(cell.col, cell.row);
    InvalidateGrid();
}

// ------------------------------------------------------------- properties

void THexEditor::SetBytesPerLine(int32_t value) {
    if (value == Bpl()) return;
    if (value <= 0 || value > 256) throw std::runtime_error("Invalid BytesPerLine argument");
    {
        tk::RedrawGuard noRedraw(Handle(), false);
        doc_.SetBytesPerLine(value); // keeps the caret byte and field, and the selection
    }
    InvalidateGrid();
    PlaceCaret();
}

void THexEditor::SetBytesPerColumn(int32_t value) {
    if (value == bytesPerColumn_) return;
    bytesPerColumn_ = value;
    ComputeMetrics();
    ApplyColumnWidths();
    InvalidateGrid();
}

void THexEditor::SetOffsetDisplay(TOffsetDisplayStyle value) {
    if (value == offsetDisplay_) return;
    offsetDisplay_ = value;
    offsetChars_ = OffsetWidthChars(offsetDisplay_, doc_.DataSize());
    ApplyColumnWidths();
    InvalidateGrid();
}

void THexEditor::SetOffsetSeparator(char value) {
    if (value == offsetSeparator_) return;
    offsetSeparator_ = value;
    InvalidateGrid();
}

void THexEditor::SetShowMarkerColumn(bool value) {
    if (value == showMarkerColumn_) return;
    showMarkerColumn_ = value;
    ComputeMetrics();
    ApplyColumnWidths();
}

void THexEditor::SetSwapNibbles(bool value) {
    if (value == swapNibbles_) return;
    swapNibbles_ = value;
    InvalidateGrid();
}

void THexEditor::SetFocusFrame(bool value) {
    if (value == focusFrame_) return;
    focusFrame_ = value;
    InvalidateGrid();
}

void THexEditor::SetCaretStyle(TCaretStyle value) {
    if (value == caretStyle_) return;
    caretStyle_ = value;
    if (Focused()) {
        BuildCaret();
        InvalidateGrid();
    }
}

void THexEditor::SetColors(const TColors& colors) {
    if (colors == colors_) return;
    colors_ = colors;
    InvalidateGrid();
}

// ------------------------------------------------------------ cell mapping

Caret THexEditor::CaretOfCell(int32_t col, int32_t row) const {
    Caret c;
    c.byte = ByteIndexOfCell(col, row, Bpl());
    c.charField = IsCharColumn(col, Bpl());
    c.hexCell = c.charField ? 0 : (col - 2) % 2;
    return c;
}

GridCell THexEditor::CellOfCaret(const Caret& caret) const {
    GridCell cell = CellOfByte(std::max(0, caret.byte), caret.charField, Bpl());
    if (!caret.charField) cell.col += caret.hexCell ? 1 : 0;
    return cell;
}

// ---------------------------------------------------------------- painting

CellLook THexEditor::LookOfCell(int32_t col, int32_t row) {
    CellLook look;
    const int32_t bpl = Bpl();
    const COLORREF background = tk::ColorToRgb(colors_.Background);
    const COLORREF fontColor = tk::ColorToRgb(clWindowText);
    const bool focused = Focused();
    look.background = background;
    if (doc_.DataSize() == 0) {
        look.textColor = tk::ColorToRgb(colors_.Offset);
        look.text = "   ";
        if (row == 0 && col == 0) {
            if (offsetDisplay_ == TOffsetDisplayStyle::odHex)
                look.text = std::string("0x0") + offsetSeparator_;
            else if (offsetDisplay_ == TOffsetDisplayStyle::odDec)
                look.text = std::string("0") + offsetSeparator_;
        }
        look.caretHere = row == 0 && col == 2;
        return look;
    }
    if (col == 0) {
        look.text = OffsetText(offsetDisplay_, row * bpl, offsetChars_, offsetSeparator_);
        look.textColor = tk::ColorToRgb(colors_.Offset);
        return look;
    }
    if (col == 1) {
        int32_t marker = doc_.MarkerOfRow(row);
        if (marker >= 0) {
            look.text = std::string(1, static_cast<char>('0' + marker));
            look.textColor = tk::ColorToRgb(colors_.PositionText);
            look.background = tk::ColorToRgb(colors_.PositionBackground);
            look.markerFont = true;
        } else {
            look.text = " ";
            look.textColor = fontColor;
        }
        return look;
    }
    look.text = " ";
    look.textColor = fontColor;
    if (col == SeparatorColumn(bpl)) return look;
    doc_.CoverWindow(row * bpl);
    int32_t b = ByteIndexOfCell(col, row, bpl);
    if (b >= doc_.DataSize()) return look;
    const uint8_t value = doc_.ByteAt(b);
    const bool charField = IsCharColumn(col, bpl);
    int32_t group = 0;
    if (charField) {
        look.text = std::string(1, DisplayChar(doc_.Translation(), value));
    } else {
        int32_t h = (col - 2) % 2;
        bool high = h == (swapNibbles_ ? 1 : 0);
        look.text = std::string(1, kHexDigits[high ? value >> 4 : value & 0xF]);
        group = (col - 2) / (2 * std::max<int32_t>(1, bytesPerColumn_));
    }
    const bool changed = doc_.IsChanged(b);
    if (changed) {
        look.textColor = tk::ColorToRgb(colors_.ChangedText);
        look.background = tk::ColorToRgb(colors_.ChangedBackground);
    } else if (!charField) {
        look.textColor = tk::ColorToRgb(group % 2 == 0 ? colors_.OddColumn : colors_.EvenColumn);
    }
    if (doc_.IsSelected(b)) {
        std::swap(look.textColor, look.background);
        if (!charField && !changed)
            look.textColor =
                tk::ColorToRgb(group % 2 == 0 ? colors_.InverseOddColumn() : colors_.InverseEvenColumn());
    }
    if (focused && row == Row()) {
        look.caretHere = col == Col();
        look.twinFrame = col == TwinColumn(Col(), bpl);
    }
    return look;
}

void THexEditor::DrawCell(HDC dc, int32_t col, int32_t row, const RECT& rect) {
    CellLook look = LookOfCell(col, row);
    {
        tk::BrushHandle brush(CreateSolidBrush(look.background));
        FillRect(dc, &rect, brush.get());
    }
    {
        tk::SelectedObject font(dc, look.markerFont ? markerFont_.get() : fontHandle_.get());
        SetTextColor(dc, look.textColor);
        SetBkMode(dc, TRANSPARENT);
        ExtTextOutA(dc, rect.left, rect.top, ETO_CLIPPED, &rect, look.text.data(),
                    static_cast<UINT>(look.text.size()), nullptr);
    }
    if (look.caretHere && hasCaret_) SetCaretPos(rect.left, rect.top);
    if (look.twinFrame) {
        RECT frame{rect.left, rect.top, rect.left + charWidth_, rect.bottom};
        if (focusFrame_) {
            SetTextColor(dc, 0);
            SetBkColor(dc, 0xFFFFFF);
            DrawFocusRect(dc, &frame);
        } else {
            tk::BrushHandle pen(CreateSolidBrush(tk::ColorToRgb(colors_.CursorFrame)));
            FrameRect(dc, &frame, pen.get());
        }
    }
}

void THexEditor::RepaintTwinCells(int32_t col, int32_t row) {
    InvalidateCell(col, row);
    InvalidateCell(TwinColumn(col, Bpl()), row);
}

void THexEditor::RepaintByte(int32_t index) {
    GridCell hex = CellOfByte(index, false, Bpl());
    InvalidateCell(hex.col, hex.row);
    InvalidateCell(hex.col + 1, hex.row);
    GridCell ch = CellOfByte(index, true, Bpl());
    InvalidateCell(ch.col, ch.row);
}

void THexEditor::RepaintRows(int32_t firstRow, int32_t lastRow) {
    InvalidateRows(firstRow, lastRow);
}

void THexEditor::RepaintAll() {
    InvalidateGrid();
}

// ------------------------------------------------------------------- caret

void THexEditor::DestroyCaretBitmap() {
    if (hasCaret_) {
        DestroyCaret();
        hasCaret_ = false;
    }
    caretBitmap_.reset(); // after the caret that shows it
}

void THexEditor::BuildCaret() {
    DestroyCaretBitmap();
    const int w = charWidth_, h = std::max(1, DefaultRowHeight() - 2);
    {
        tk::WindowDC screen(Handle());
        tk::MemoryDC memory(screen);
        caretBitmap_.reset(CreateCompatibleBitmap(screen, w, h));
        memory.Select(caretBitmap_.get());
        RECT all{0, 0, w, h};
        FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        // The caret XORs its bitmap onto the screen: on white the marked part shows the frame colour.
        RECT area = all;
        if (caretStyle_ == TCaretStyle::csLeftLine)
            area.right = std::min(2, w);
        else if (caretStyle_ == TCaretStyle::csBottomLine)
            area = RECT{0, std::max(0, DefaultRowHeight() - 4), w, h};
        tk::BrushHandle brush(CreateSolidBrush(tk::ColorToRgb(colors_.CursorFrame) ^ 0xFFFFFF));
        FillRect(memory, &area, brush.get());
    }
    hasCaret_ = CreateCaret(Handle(), caretBitmap_.get(), 0, 0) != 0;
    if (hasCaret_) {
        SetCaretPos(-50, -50);
        ShowCaret(Handle());
    }
}

void THexEditor::PlaceCaret() {
    if (!hasCaret_) return;
    RECT r = CellRect(Col(), Row());
    if (IsRectEmpty(&r))
        SetCaretPos(-50, -50);
    else
        SetCaretPos(r.left, r.top);
}

void THexEditor::ViewScrolled() {
    PlaceCaret();
}

void THexEditor::FocusChanged(bool gained) {
    if (gained) {
        BuildCaret();
        InvalidateGrid();
    } else {
        if (hasCaret_) HideCaret(Handle());
        DestroyCaretBitmap();
        doc_.SetSelecting(false);
        InvalidateGrid();
    }
}

void THexEditor::CaretMoved(const Caret& old) {
    if (syncingCaret_ || !Handle()) return;
    GridCell before = CellOfCaret(old);
    RepaintTwinCells(before.col, before.row);
    GridCell cell = CellOfCaret(doc_.CaretPos());
    SetCurrentCell(cell.col, cell.row);
    RepaintTwinCells(cell.col, cell.row);
    PlaceCaret();
}

// ----------------------------------------------------------------- filter

bool THexEditor::SelectCell(int32_t col, int32_t row) {
    const int32_t bpl = Bpl();
    const int32_t size = doc_.DataSize();
    if (size == 0) return false;
    if (!inFilter_) {
        inFilter_ = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{inFilter_};
        const bool mouseDown = KeyIsDown(VK_LBUTTON);
        if (!KeyIsDown(VK_SHIFT) && !mouseDown) doc_.ClearSelection(true);
        if (ByteIndexOfCell(col, row, bpl) >= size) {
            GridCell last = CellOfByte(size - 1, IsCharColumn(Col(), bpl), bpl);
            FocusCell(last.col, last.row);
            return false;
        }
        if (col == SeparatorColumn(bpl)) {
            if (mouseDown) FocusCell(2 * bpl + 1, row);
            return false;
        }
    }
    // Accepted.
    const int32_t oldCol = Col(), oldRow = Row();
    RepaintTwinCells(oldCol, oldRow);
    RepaintTwinCells(col, row);
    if (doc_.Selecting())
        doc_.ExtendSelection(ByteIndexOfCell(oldCol, oldRow, bpl), ByteIndexOfCell(col, row, bpl));
    else
        doc_.ClearSelection(true);
    syncingCaret_ = true;
    doc_.MoveCaret(CaretOfCell(col, row));
    syncingCaret_ = false;
    if (hasCaret_) {
        RECT r = CellRect(col, row);
        if (!IsRectEmpty(&r)) SetCaretPos(r.left, r.top);
    }
    return true;
}

// --------------------------------------------------------------- keyboard

void THexEditor::GoToByte(int32_t index) {
    if (doc_.DataSize() == 0) return;
    index = std::clamp(index, 0, doc_.DataSize() - 1);
    GridCell cell = CellOfByte(index, IsCharColumn(Col(), Bpl()), Bpl());
    FocusCell(cell.col, cell.row);
}

void THexEditor::KeyDown(WPARAM key, LPARAM) {
    const bool shift = KeyIsDown(VK_SHIFT), ctrl = KeyIsDown(VK_CONTROL), alt = KeyIsDown(VK_MENU);
    if (key == VK_BACK) {
        StandardKeyDown(VK_LEFT, false); // Backspace moves left within the row
        return;
    }
    if (key == VK_DELETE && ctrl && !shift && !alt) doc_.DeleteSelection();
    const bool none = !shift && !ctrl && !alt;
    if (none && key != VK_SHIFT) doc_.ClearSelection(true);

    const int32_t bpl = Bpl();
    const int32_t size = doc_.DataSize();
    const int32_t col = Col(), row = Row();
    const bool charField = IsCharColumn(col, bpl);
    const int32_t byte = ByteIndexOfCell(col, row, bpl);
    switch (key) {
    case VK_HOME:
        if (ctrl)
            GoToByte(0);
        else
            GoToByte(row * bpl);
        return;
    case VK_END:
        if (ctrl)
            GoToByte(size - 1);
        else
            GoToByte(std::min<int64_t>(static_cast<int64_t>(row) * bpl + bpl - 1, size - 1));
        return;
    case VK_LEFT:
        if (ctrl) break;
        if (charField) {
            if (byte > 0) GoToByte(byte - 1);
        } else if ((col - 2) % 2 == 1) {
            FocusCell(col - 1, row);
        } else if (byte > 0) {
            GridCell prev = CellOfByte(byte - 1, false, bpl);
            FocusCell(prev.col + 1, prev.row);
        }
        return;
    case VK_RIGHT:
        if (ctrl) break;
        if (charField) {
            if (byte < size - 1) GoToByte(byte + 1);
        } else if ((col - 2) % 2 == 0) {
            FocusCell(col + 1, row);
        } else if (byte < size - 1) {
            GridCell next = CellOfByte(byte + 1, false, bpl);
            FocusCell(next.col, next.row);
        }
        return;
    case VK_TAB:
        if (ctrl || alt) break;
        if (size > 0) FocusCell(TwinColumn(col, bpl), row);
        return;
    case VK_SHIFT:
        if (shift && !ctrl && !alt) {
            if (!doc_.Selecting()) doc_.ClearSelection(true);
            doc_.SetSelecting(true);
        }
        return;
    default:
        break;
    }
    if (key >= '0' && key <= '9' && ctrl && !alt) {
        const int32_t digit = static_cast<int32_t>(key - '0');
        if (shift) {
            doc_.SetMarker(digit, row);
        } else {
            doc_.ClearSelection(true);
            int32_t target = doc_.Marker(digit);
            if (target < RowCount())
                FocusCell(2, target);
            else
                doc_.SetMarker(digit, 1);
        }
        return;
    }
    StandardKeyDown(key, ctrl);
}

void THexEditor::KeyUp(WPARAM key) {
    altReleased_ = key == VK_MENU;
}

void THexEditor::KeyChar(WPARAM ch) {
    const int32_t bpl = Bpl();
    const int32_t col = Col(), row = Row();
    const int32_t byte = ByteIndexOfCell(col, row, bpl);
    if (byte >= doc_.DataSize()) return;
    const uint8_t c = static_cast<uint8_t>(ch);
    if (!IsCharColumn(col, bpl)) {
        const char* digits = "0123456789abcdef";
        const char* at = c ? std::strchr(digits, c) : nullptr;
        if (!at) return;
        const int digit = static_cast<int>(at - digits);
        doc_.ClearSelection(true);
        // The window mirrors the working copy: every write patches it.
        const uint8_t old = doc_.ByteAt(byte);
        const bool high = ((col - 2) % 2) == (swapNibbles_ ? 1 : 0);
        const uint8_t value = high ? static_cast<uint8_t>(digit * 16 + (old & 0xF))
                                   : static_cast<uint8_t>((old & 0xF0) + digit);
        doc_.ChangeByte(old, value, byte);
        int32_t nextCol = col + 1, nextRow = row;
        if (nextCol > 2 * bpl + 1) {
            nextCol = 2;
            ++nextRow;
        }
        if (nextRow < RowCount() && ByteIndexOfCell(nextCol, nextRow, bpl) < doc_.DataSize())
            FocusCell(nextCol, nextRow);
        return;
    }
    int value = altReleased_ ? AnsiToOemTable()[c] : TypedValue(doc_.Translation(), c);
    if (value < 32 && !altReleased_) return;
    altReleased_ = false;
    doc_.ClearSelection(true);
    doc_.ChangeByte(doc_.ByteAt(byte), static_cast<uint8_t>(value), byte);
    int32_t nextCol = col + 1, nextRow = row;
    if (nextCol > 3 * bpl + 2) {
        nextCol = FirstCharColumn(bpl);
        ++nextRow;
    }
    if (nextRow < RowCount() && ByteIndexOfCell(nextCol, nextRow, bpl) < doc_.DataSize())
        FocusCell(nextCol, nextRow);
}

// ------------------------------------------------------------------ mouse

void THexEditor::MouseDown(int x, int y, bool doubleClick) {
    widgets::TCustomGrid::MouseDown(x, y, doubleClick);
    doc_.ClearSelection(true);
    if (!doubleClick) doc_.SetSelecting(true);
}

// ------------------------------------------------------- notification, wait

void THexEditor::PostStateChange() {
    if (Handle()) PostMessageA(Handle(), kStateMessage, 7, 7);
}

void THexEditor::StateChangedNow() {
    if (OnStateChanged) OnStateChanged(*this);
}

void THexEditor::BeginWait() {
    if (waitDepth_++ == 0) wait_.emplace();
}

void THexEditor::EndWait() {
    if (waitDepth_ > 0 && --waitDepth_ == 0) wait_.reset();
}

LRESULT THexEditor::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kStateMessage) {
        if (wParam == 7 && OnStateChanged) OnStateChanged(*this);
        return 0;
    }
    if (msg == WM_SETCURSOR && waitDepth_ > 0) {
        SetCursor(tk::Hourglass::WaitCursor());
        return TRUE;
    }
    LRESULT result = TCustomGrid::WndProc(msg, wParam, lParam);
    if (msg == WM_VSCROLL || msg == WM_HSCROLL) PlaceCaret();
    return result;
}

} // namespace velmora::hex
