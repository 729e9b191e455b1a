// THexEditor: the hex editor control. Offsets, marker digits, hex digits and
// characters of the document in a grid; typing overwrites bytes in the working
// copy (hex_document.h), Shift and the mouse select, Ctrl+Shift+digit sets a
// marker and Ctrl+digit jumps to it.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "hexedit/grid_layout.h"
#include "hexedit/hex_document.h"
#include "widgets/custom_grid.h"
#include "toolkit/form.h"
#include "toolkit/gdi.h"
#include "toolkit/messages.h"

namespace velmora::hex {

// Colours are the toolkit's: 0x00BBGGRR values or system colour references.
using tk::clWindow;
using tk::clWindowText;
using tk::TColor;

struct TColors {
    TColor Background = clWindow;
    TColor Offset = 0x000000;
    TColor OddColumn = 0xFF0000;
    TColor EvenColumn = 0x800000;
    TColor ChangedText = 0x000080;
    TColor ChangedBackground = 0xA8FFFF;
    TColor CursorFrame = 0x800000;
    TColor PositionText = 0xFFFFFF;
    TColor PositionBackground = 0x000080;
    // Each of red, green and blue replaced by 255 minus it.
    static TColor Inverse(TColor color) { return 0xFFFFFFu - (color & 0xFFFFFFu); }
    TColor InverseOddColumn() const { return Inverse(OddColumn); }
    TColor InverseEvenColumn() const { return Inverse(EvenColumn); }
    bool operator==(const TColors&) const = default;
};

enum class TCaretStyle { csFull, csLeftLine, csBottomLine };

// What one cell shows (the painting writes exactly this).
struct CellLook {
    std::string text;
    COLORREF textColor = 0;
    COLORREF background = 0;
    bool markerFont = false; // drawn in Arial at three quarters of the size
    bool twinFrame = false;  // the frame of the caret's twin cell
    bool caretHere = false;
};

class THexEditor : public widgets::TCustomGrid, private DocumentView {
public:
    struct Params {
        tk::TControl* parent = nullptr;
        RECT bounds{0, 0, 400, 300};
        tk::TAlign align = tk::TAlign::alNone;
    };
    explicit THexEditor(const Params& params);
    ~THexEditor() override;

    static constexpr UINT kStateMessage = tk::pmHexStateChanged;

    // The document operations.
    bool LoadFromFile(const std::string& name) { return doc_.LoadFromFile(name); }
    bool SaveToFile(const std::string& name) { return doc_.SaveToFile(name); }
    void NewEmptyDocument(const std::string& name) { doc_.NewEmptyDocument(name); }
    void AppendBytes(const uint8_t* buffer, int32_t count) { doc_.AppendBytes(buffer, count); }
    void DeleteSelection() { doc_.DeleteSelection(); }
    int32_t Find(uint8_t* buffer, int32_t count, int32_t start, int32_t endPos, bool ignoreCase,
                 bool translate) {
        return doc_.Find(buffer, count, start, endPos, ignoreCase, translate);
    }
    bool Seek(int32_t offset, int32_t origin, bool strict) { return doc_.Seek(offset, origin, strict); }
    int32_t SelStart() const { return doc_.SelStart(); }
    void SetSelStart(int32_t value) { doc_.SetSelStart(value); }
    int32_t SelEnd() const { return doc_.SelEnd(); }
    void SetSelEnd(int32_t value) { doc_.SetSelEnd(value); }
    int32_t DataSize() const { return doc_.DataSize(); }
    const std::string& FileName() const { return doc_.FileName(); }
    void SetFileName(const std::string& name) { doc_.SetFileName(name); }
    bool Modified() const { return doc_.Modified(); }
    void SetModified(bool value) { doc_.SetModified(value); }
    bool ReadOnlyDoc() const { return doc_.ReadOnlyDoc(); }
    void SetReadOnlyDoc(bool value) { doc_.SetReadOnlyDoc(value); }
    bool CanUndo() const { return doc_.CanUndo(); }
    const std::string& LastUndoText() const { return doc_.LastUndoText(); }
    // Why the last load, save or edit did not go through, and the sentence for the user.
    HexError LastError() const { return doc_.LastError(); }
    std::string LastErrorText() const { return doc_.LastErrorText(); }
    int32_t BytesPerLine() const { return doc_.BytesPerLine(); }
    void SetBytesPerLine(int32_t value);
    TTranslationType Translation() const { return doc_.Translation(); }
    void SetTranslation(TTranslationType value) { doc_.SetTranslation(value); }
    bool CreateBackup() const { return doc_.CreateBackup(); }
    void SetCreateBackup(bool value) { doc_.SetCreateBackup(value); }
    const std::string& BackupExtension() const { return doc_.BackupExtension(); }
    void SetBackupExtension(const std::string& value) { doc_.SetBackupExtension(value); }
    void SetMarker(int32_t index, int32_t row) { doc_.SetMarker(index, row); }
    HexDocument& Document() { return doc_; }
    const HexDocument& Document() const { return doc_; }

    // Display settings.
    int32_t BytesPerColumn() const { return bytesPerColumn_; }
    void SetBytesPerColumn(int32_t value);
    TOffsetDisplayStyle OffsetDisplay() const { return offsetDisplay_; }
    void SetOffsetDisplay(TOffsetDisplayStyle value);
    char OffsetSeparator() const { return offsetSeparator_; }
    void SetOffsetSeparator(char value);
    bool ShowMarkerColumn() const { return showMarkerColumn_; }
    void SetShowMarkerColumn(bool value);
    bool SwapNibbles() const { return swapNibbles_; }
    void SetSwapNibbles(bool value);
    TCaretStyle CaretStyle() const { return caretStyle_; }
    void SetCaretStyle(TCaretStyle value);
    bool FocusFrame() const { return focusFrame_; }
    void SetFocusFrame(bool value);
    const TColors& Colors() const { return colors_; }
    void SetColors(const TColors& colors);
    // The text font: face, character height in pixels (as the font's negative height), bold.
    void SetFont(const std::string& face, int heightPixels, bool bold);
    // The same in points for the screen.
    void SetFontPoints(const std::string& face, int points, bool bold);
    const LOGFONTA& FontData() const { return font_; }
    int FontPoints() const;
    // The marker digits' point size: three quarters of the font's, halves to even.
    int MarkerFontPoints() const;

    int CharWidth() const { return charWidth_; }
    int RowHeightPixels() const { return DefaultRowHeight(); }
    int32_t OffsetChars() const { return offsetChars_; }
    bool AltReleased() const { return altReleased_; }
    // What a cell shows; the painting draws this.
    CellLook LookOfCell(int32_t col, int32_t row);

    std::function<void(THexEditor&)> OnStateChanged;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DrawCell(HDC dc, int32_t col, int32_t row, const RECT& rect) override;
    bool SelectCell(int32_t col, int32_t row) override;
    void ViewScrolled() override;
    COLORREF GridColor() const override { return tk::ColorToRgb(colors_.Background); }
    void KeyDown(WPARAM key, LPARAM flags) override;
    void KeyUp(WPARAM key) override;
    void KeyChar(WPARAM ch) override;
    void MouseDown(int x, int y, bool doubleClick) override;
    void FocusChanged(bool gained) override;

private:
    // DocumentView
    void RebuildGrid() override;
    void RepaintByte(int32_t index) override;
    void RepaintRows(int32_t firstRow, int32_t lastRow) override;
    void RepaintAll() override;
    void CaretMoved(const Caret& old) override;
    void PostStateChange() override;
    void StateChangedNow() override;
    void BeginWait() override;
    void EndWait() override;

    void ComputeMetrics();
    void ApplyColumnWidths();
    void BuildCaret();
    void DestroyCaretBitmap();
    void PlaceCaret();
    void RepaintTwinCells(int32_t col, int32_t row);
    // The caret's document position for a grid cell.
    Caret CaretOfCell(int32_t col, int32_t row) const;
    GridCell CellOfCaret(const Caret& caret) const;
    // Moves the caret to a byte in the field it is in, through the filter.
    void GoToByte(int32_t index);
    int32_t Bpl() const { return doc_.BytesPerLine(); }

    HexDocument doc_;
    int32_t bytesPerColumn_ = 2;
    TOffsetDisplayStyle offsetDisplay_ = TOffsetDisplayStyle::odHex;
    char offsetSeparator_ = ':';
    bool showMarkerColumn_ = true;
    bool swapNibbles_ = false;
    TCaretStyle caretStyle_ = TCaretStyle::csFull;
    bool focusFrame_ = true;
    TColors colors_;
    LOGFONTA font_{};
    tk::FontHandle fontHandle_;
    tk::FontHandle markerFont_;
    int charWidth_ = 8;
    int32_t offsetChars_ = 4;
    tk::BitmapHandle caretBitmap_;
    bool hasCaret_ = false;
    bool inFilter_ = false;
    bool syncingCaret_ = false;
    bool altReleased_ = false;
    int waitDepth_ = 0;
    std::optional<tk::Hourglass> wait_;
};

} // namespace velmora::hex
