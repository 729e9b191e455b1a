// A wrapper of the platform's rich-text control (riched20): RTF and plain text
// streamed in and out, the selection's character and paragraph formats, find,
// page rendering through EM_FORMATRANGE and the formatting rectangle.
// Character positions count a line break as one character, as the control does.
#pragma once
#include <windows.h>

#include <richedit.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "toolkit/controls.h"

namespace tk {

// Character attributes of the selection (or of the text typed next).
struct TTextAttributes {
    std::string name;   // font face
    int size = 0;       // points
    COLORREF color = 0; // the text's colour
    bool bold = false, italic = false, underline = false, strikeOut = false;
    BYTE charset = DEFAULT_CHARSET;
};

// Which members of TTextAttributes a change writes.
enum TTextAttributeParts : unsigned {
    taName = 1,
    taSize = 2,
    taColor = 4,
    taBold = 8,
    taItalic = 16,
    taUnderline = 32,
    taStrikeOut = 64,
    taCharset = 128,
    taStyle = taBold | taItalic | taUnderline | taStrikeOut,
    taAll = 255,
};

enum class TNumbering { nsNone, nsBullet };

// What EM_FORMATRANGE is given: rectangles in twips (1/1440 inch).
// Test hook: the stream-outs of every control fail once this many bytes have
// gone out: the callback reports an error (error: the control's dwError), or
// takes no more bytes without one (the control then stops early).
struct TStreamOutFault {
    int64_t afterBytes = -1; // -1: no fault
    bool error = true;
};

struct TFormatRange {
    HDC dc = nullptr;       // drawn on
    HDC targetDc = nullptr; // measured for; null: dc
    RECT rect{};            // the area to fill, on dc
    RECT page{};            // the whole page
    int start = 0;
    int end = -1; // -1: to the end of the text
};

class TRichEdit : public TWinControl {
public:
    struct Params : TControlParams {
        bool readOnly = false;
        bool wantTabs = false;
        bool wordWrap = true;
        TScrollStyle scrollBars = TScrollStyle::ssBoth;
        TBorderStyle border = TBorderStyle::bsSunken;
        bool hideSelection = true;
    };
    explicit TRichEdit(const Params& params);

    // ---- contents
    std::string Rtf() const;
    // Replaces the text; false when the control did not take it as RTF.
    bool SetRtf(const std::string& rtf);
    std::string PlainText() const;
    void SetPlainText(const std::string& text);
    // The whole document out, false when the stream failed or stopped early
    // (what came out is then not the document).
    bool GetRtf(std::string& rtf) const;
    // The text as UTF-16, a paragraph break as CRLF.
    bool GetUnicodeText(std::u16string& text) const;
    // Replaces the text by UTF-16 text (every character shows, whatever the
    // code page); AppendUnicodeText adds it at the end, as one more piece of
    // a load (the caret then stands at the end).
    bool SetUnicodeText(std::u16string_view text);
    bool AppendUnicodeText(std::u16string_view text);
    static void InjectStreamOutFault(const TStreamOutFault& fault);
    // The RTF of the selection, and replacing the selection by RTF.
    std::string SelRtf() const;
    bool SetSelRtf(const std::string& rtf);
    int TextLength() const; // in characters, a line break counting one
    int LineCount() const;
    std::string Line(int index) const; // without its line break
    // The whole text with one byte per character position, so that positions
    // in it are the control's: a paragraph break is '\r', a character the ANSI
    // code page cannot spell is '?'.
    std::string PositionText() const;
    int LineIndex(int line) const; // the first character of a line
    int LineFromChar(int position) const;
    void Clear();

    // ---- selection
    int SelStart() const;
    int SelLength() const;
    void SetSel(int start, int length); // length -1: to the end
    void SelectAll() { SetSel(0, -1); }
    std::string SelText() const;
    void SetSelText(const std::string& text); // an undoable edit
    // The caret's line and column, from 0 (at the selection's start).
    int CaretLine() const;
    int CaretColumn() const;

    // ---- formats (of the selection; an empty selection: the caret's, for what is typed next)
    TTextAttributes SelAttributes() const;
    void SetSelAttributes(const TTextAttributes& attributes, unsigned parts = taAll);
    TTextAttributes DefAttributes() const;
    void SetDefAttributes(const TTextAttributes& attributes, unsigned parts = taAll);
    TAlignment ParaAlignment() const;
    void SetParaAlignment(TAlignment alignment);
    TNumbering ParaNumbering() const;
    void SetParaNumbering(TNumbering numbering);

    // ---- find: the position of the first match in [start, end) (end -1: the
    // text's end), searching forward; -1 when there is none.
    int FindText(const std::string& text, int start, int end = -1, bool matchCase = false,
                 bool wholeWord = false) const;

    // ---- pages: lays out (and with render, draws) what fits into range.rect
    // from range.start; returns the first character that did not fit. Call
    // EndFormatRange when done, to free the control's cached layout.
    int FormatRange(const TFormatRange& range, bool render);
    void EndFormatRange();

    // The rectangle the text is laid out in, in client coordinates.
    RECT FormatRect() const;
    void SetFormatRect(const RECT& rect);

    // ---- state and editing
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    bool Modified() const;
    void SetModified(bool modified);
    bool CanUndo() const;
    void Undo();
    // How many edits undo keeps (0: none; the control keeps kUndoLimit by default).
    static constexpr int kUndoLimit = 100;
    void SetUndoLimit(int limit);
    // The notifications the control sends (ENM_*); the wrapper asks for kEventMask.
    static constexpr DWORD kEventMask = ENM_CHANGE | ENM_SELCHANGE;
    DWORD EventMask() const;
    void SetEventMask(DWORD mask);
    void CutToClipboard();
    void CopyToClipboard();
    void PasteFromClipboard();

    // The text changed: typed, pasted, or set in code (once per set).
    std::function<void()> OnChange;
    // The selection or the caret moved.
    std::function<void()> OnSelectionChange;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool StreamOut(UINT format, std::string& out) const;
    bool StreamIn(UINT format, std::string_view data);
    TTextAttributes Attributes(UINT which) const;
    void SetAttributes(UINT which, const TTextAttributes& attributes, unsigned parts);

    bool wantTabs_;
    bool settingText_ = false;
};

} // namespace tk
