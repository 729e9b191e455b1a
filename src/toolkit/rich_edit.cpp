#include "toolkit/rich_edit.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace tk {

namespace {

// The control's library, loaded once for the process.
void LoadRichEditLibrary() {
    static HMODULE library = LoadLibraryA("riched20.dll");
    (void)library;
}

struct StreamInSource {
    std::string_view data;
    size_t position;
    bool unicode;
};

TStreamOutFault streamOutFault;

struct StreamOutSink {
    std::string* out;
    bool failed;
};

// Callbacks of EM_STREAMIN/EM_STREAMOUT: nothing may be thrown through them.
DWORD CALLBACK ReadChunk(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
    auto* source = reinterpret_cast<StreamInSource*>(cookie);
    const size_t unit = source->unicode ? 2 : 1;
    const size_t left = source->data.size() - source->position;
    size_t n = std::min(left, static_cast<size_t>(std::max<LONG>(size, 0)));
    n -= n % unit; // whole UTF-16 units: the control drops an odd last byte
    if (n < left) {
        // More follows: the chunk does not end on a CR (the control reads a
        // CR at a chunk's end and an LF at the next one's start as two line
        // breaks), nor between the two halves of a surrogate pair. After a
        // CR taken off comes a CR, never an LF.
        const char* at = source->data.data() + source->position;
        auto last = [&](size_t end) -> unsigned {
            if (!source->unicode) return static_cast<unsigned char>(at[end - 1]);
            unsigned lo = static_cast<unsigned char>(at[end - 2]),
                     hi = static_cast<unsigned char>(at[end - 1]);
            return lo | (hi << 8);
        };
        while (n > unit && last(n) == '\r')
            n -= unit;
        if (source->unicode && n > unit && last(n) >= 0xD800 && last(n) <= 0xDBFF) n -= unit;
    }
    std::memcpy(buffer, source->data.data() + source->position, n);
    source->position += n;
    *done = static_cast<LONG>(n);
    return 0;
}

DWORD CALLBACK WriteChunk(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
    auto* sink = reinterpret_cast<StreamOutSink*>(cookie);
    const size_t n = static_cast<size_t>(std::max<LONG>(size, 0));
    *done = 0;
    if (streamOutFault.afterBytes >= 0 &&
        static_cast<int64_t>(sink->out->size() + n) > streamOutFault.afterBytes) {
        sink->failed = true;
        return streamOutFault.error ? 1 : 0; // 0 with nothing taken: the control stops
    }
    try {
        sink->out->append(reinterpret_cast<const char*>(buffer), n);
    } catch (const std::bad_alloc&) {
        sink->failed = true;
        return 1; // stops the stream
    }
    *done = size;
    return 0;
}

} // namespace

TRichEdit::TRichEdit(const Params& p) : wantTabs_(p.wantTabs) {
    LoadRichEditLibrary();
    WindowParams wp;
    wp.className = RICHEDIT_CLASSA;
    wp.style = WS_CHILD | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_SAVESEL |
               (p.readOnly ? ES_READONLY : 0) | (p.hideSelection ? 0 : ES_NOHIDESEL) |
               (p.border == TBorderStyle::bsSingle ? WS_BORDER : 0);
    if (!p.wordWrap) wp.style |= ES_AUTOHSCROLL;
    if (p.scrollBars == TScrollStyle::ssVertical || p.scrollBars == TScrollStyle::ssBoth)
        wp.style |= WS_VSCROLL;
    if (p.scrollBars == TScrollStyle::ssHorizontal || p.scrollBars == TScrollStyle::ssBoth)
        wp.style |= WS_HSCROLL;
    wp.exStyle = p.border == TBorderStyle::bsSunken ? WS_EX_CLIENTEDGE : 0;
    CreateControl(p, wp);
    if (!Handle()) return;
    // The control's own limit is 32K characters: a larger file would be cut.
    SendMessageA(Handle(), EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
    SendMessageA(Handle(), EM_SETEVENTMASK, 0, kEventMask);
    // No wrapping: the lines as long as they are (the style alone does not
    // say it to every version of the control).
    if (!p.wordWrap) SendMessageA(Handle(), EM_SETTARGETDEVICE, 0, 1);
}

// ---- contents

bool TRichEdit::StreamOut(UINT format, std::string& out) const {
    out.clear();
    if (!Handle()) return false;
    StreamOutSink sink{&out, false};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&sink);
    stream.pfnCallback = &WriteChunk;
    SendMessageA(Handle(), EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0 && !sink.failed;
}

bool TRichEdit::StreamIn(UINT format, std::string_view data) {
    if (!Handle()) return false;
    StreamInSource source{data, 0, (format & SF_UNICODE) != 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = &ReadChunk;
    settingText_ = true;
    SendMessageA(Handle(), EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
    settingText_ = false;
    if (!(format & SFF_SELECTION)) SetModified(false); // a load is not the user's edit
    if (OnChange) OnChange();
    return stream.dwError == 0;
}

void TRichEdit::InjectStreamOutFault(const TStreamOutFault& fault) {
    streamOutFault = fault;
}

std::string TRichEdit::Rtf() const {
    std::string rtf;
    StreamOut(SF_RTF, rtf);
    return rtf;
}
bool TRichEdit::GetRtf(std::string& rtf) const {
    return StreamOut(SF_RTF, rtf);
}
bool TRichEdit::SetRtf(const std::string& rtf) {
    return StreamIn(SF_RTF, rtf);
}
std::string TRichEdit::PlainText() const {
    std::string text;
    StreamOut(SF_TEXT, text);
    return text;
}
void TRichEdit::SetPlainText(const std::string& text) {
    StreamIn(SF_TEXT, text);
}
bool TRichEdit::GetUnicodeText(std::u16string& text) const {
    std::string bytes;
    bool ok = StreamOut(SF_TEXT | SF_UNICODE, bytes);
    text.assign(bytes.size() / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    return ok && bytes.size() % 2 == 0;
}
bool TRichEdit::SetUnicodeText(std::u16string_view text) {
    return StreamIn(SF_TEXT | SF_UNICODE,
                    std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * 2));
}
bool TRichEdit::AppendUnicodeText(std::u16string_view text) {
    const int end = TextLength();
    SetSel(end, 0);
    return StreamIn(SF_TEXT | SF_UNICODE | SFF_SELECTION,
                    std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * 2));
}
std::string TRichEdit::SelRtf() const {
    std::string rtf;
    StreamOut(SF_RTF | SFF_SELECTION, rtf);
    return rtf;
}
bool TRichEdit::SetSelRtf(const std::string& rtf) {
    return StreamIn(SF_RTF | SFF_SELECTION, rtf);
}

int TRichEdit::TextLength() const {
    if (!Handle()) return 0;
    GETTEXTLENGTHEX length{GTL_PRECISE | GTL_NUMCHARS, CP_ACP};
    return static_cast<int>(SendMessageA(Handle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
}

int TRichEdit::LineCount() const {
    return static_cast<int>(SendMessageA(Handle(), EM_GETLINECOUNT, 0, 0));
}

std::string TRichEdit::Line(int index) const {
    if (index < 0 || index >= LineCount()) return {};
    int start = LineIndex(index);
    LRESULT length = SendMessageA(Handle(), EM_LINELENGTH, start, 0);
    std::string text(
        std::max<size_t>(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 2, sizeof(WORD)) + 1, '\0');
    *reinterpret_cast<WORD*>(text.data()) = static_cast<WORD>(std::min<size_t>(text.size() - 1, 0xFFFF));
    LRESULT got = SendMessageA(Handle(), EM_GETLINE, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, static_cast<LRESULT>(text.size()))));
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
}

std::string TRichEdit::PositionText() const {
    if (!Handle()) return {};
    GETTEXTLENGTHEX length{GTL_PRECISE | GTL_NUMCHARS, 1200};
    LRESULT units = SendMessageA(Handle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    if (units <= 0) return {};
    std::wstring wide(static_cast<size_t>(units) + 1, L'\0');
    GETTEXTEX get{};
    get.cb = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
    get.flags = GT_DEFAULT;
    get.codepage = 1200;
    LRESULT got = SendMessageA(Handle(), EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                               reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, units)));
    // One unit at a time: a whole-string conversion would merge surrogate
    // pairs and best-fit some letters, and positions would drift.
    static const std::vector<char> ansi = [] {
        std::vector<char> table(0x10000, '?');
        for (int b = 1; b < 256; ++b) {
            char c = static_cast<char>(b);
            wchar_t w = 0;
            if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &c, 1, &w, 1) == 1) table[w] = c;
        }
        return table;
    }();
    std::string text(wide.size(), '?');
    for (size_t i = 0; i < wide.size(); ++i)
        text[i] = ansi[static_cast<uint16_t>(wide[i])];
    return text;
}

int TRichEdit::LineIndex(int line) const {
    return static_cast<int>(SendMessageA(Handle(), EM_LINEINDEX, line, 0));
}

int TRichEdit::LineFromChar(int position) const {
    return static_cast<int>(SendMessageA(Handle(), EM_EXLINEFROMCHAR, 0, position));
}

void TRichEdit::Clear() {
    SetPlainText(std::string());
}

// ---- selection

int TRichEdit::SelStart() const {
    CHARRANGE range{};
    SendMessageA(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range.cpMin;
}

int TRichEdit::SelLength() const {
    CHARRANGE range{};
    SendMessageA(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range.cpMax - range.cpMin;
}

void TRichEdit::SetSel(int start, int length) {
    CHARRANGE range{start, length < 0 ? -1 : start + length};
    SendMessageA(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

std::string TRichEdit::SelText() const {
    int length = SelLength();
    if (length <= 0) return {};
    // Room for line breaks that come out as two characters.
    std::string text(static_cast<size_t>(length) * 2 + 1, '\0');
    LRESULT got = SendMessageA(Handle(), EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, static_cast<LRESULT>(text.size()))));
    return text;
}

void TRichEdit::SetSelText(const std::string& text) {
    SendMessageA(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

int TRichEdit::CaretLine() const {
    return LineFromChar(SelStart());
}
int TRichEdit::CaretColumn() const {
    return SelStart() - LineIndex(CaretLine());
}

// ---- formats

TTextAttributes TRichEdit::Attributes(UINT which) const {
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    SendMessageA(Handle(), EM_GETCHARFORMAT, which, reinterpret_cast<LPARAM>(&format));
    TTextAttributes a;
    a.name = format.szFaceName;
    a.size = (format.yHeight + 10) / 20;
    a.color = (format.dwEffects & CFE_AUTOCOLOR) ? GetSysColor(COLOR_WINDOWTEXT) : format.crTextColor;
    a.bold = (format.dwEffects & CFE_BOLD) != 0;
    a.italic = (format.dwEffects & CFE_ITALIC) != 0;
    a.underline = (format.dwEffects & CFE_UNDERLINE) != 0;
    a.strikeOut = (format.dwEffects & CFE_STRIKEOUT) != 0;
    a.charset = format.bCharSet;
    return a;
}

void TRichEdit::SetAttributes(UINT which, const TTextAttributes& a, unsigned parts) {
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    if (parts & taName) {
        format.dwMask |= CFM_FACE;
        lstrcpynA(format.szFaceName, a.name.c_str(), LF_FACESIZE);
    }
    if (parts & taSize) {
        format.dwMask |= CFM_SIZE;
        format.yHeight = std::max(a.size, 0) * 20;
    }
    if (parts & taColor) {
        format.dwMask |= CFM_COLOR; // without CFE_AUTOCOLOR: the colour given
        format.crTextColor = a.color;
    }
    auto effect = [&](unsigned part, DWORD mask, DWORD bit, bool on) {
        if (!(parts & part)) return;
        format.dwMask |= mask;
        if (on) format.dwEffects |= bit;
    };
    effect(taBold, CFM_BOLD, CFE_BOLD, a.bold);
    effect(taItalic, CFM_ITALIC, CFE_ITALIC, a.italic);
    effect(taUnderline, CFM_UNDERLINE, CFE_UNDERLINE, a.underline);
    effect(taStrikeOut, CFM_STRIKEOUT, CFE_STRIKEOUT, a.strikeOut);
    if (parts & taCharset) {
        format.dwMask |= CFM_CHARSET;
        format.bCharSet = a.charset;
    }
    SendMessageA(Handle(), EM_SETCHARFORMAT, which, reinterpret_cast<LPARAM>(&format));
}

TTextAttributes TRichEdit::SelAttributes() const {
    return Attributes(SCF_SELECTION);
}
void TRichEdit::SetSelAttributes(const TTextAttributes& a, unsigned parts) {
    SetAttributes(SCF_SELECTION, a, parts);
}
TTextAttributes TRichEdit::DefAttributes() const {
    return Attributes(SCF_DEFAULT);
}
void TRichEdit::SetDefAttributes(const TTextAttributes& a, unsigned parts) {
    SetAttributes(SCF_DEFAULT, a, parts);
}

TAlignment TRichEdit::ParaAlignment() const {
    PARAFORMAT2 format{};
    format.cbSize = sizeof format;
    SendMessageA(Handle(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    switch (format.wAlignment) {
    case PFA_RIGHT:
        return TAlignment::taRightJustify;
    case PFA_CENTER:
        return TAlignment::taCenter;
    default:
        return TAlignment::taLeftJustify;
    }
}

void TRichEdit::SetParaAlignment(TAlignment alignment) {
    PARAFORMAT2 format{};
    format.cbSize = sizeof format;
    format.dwMask = PFM_ALIGNMENT;
    format.wAlignment = alignment == TAlignment::taRightJustify ? PFA_RIGHT
                        : alignment == TAlignment::taCenter     ? PFA_CENTER
                                                                : PFA_LEFT;
    SendMessageA(Handle(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
}

TNumbering TRichEdit::ParaNumbering() const {
    PARAFORMAT2 format{};
    format.cbSize = sizeof format;
    SendMessageA(Handle(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    return format.wNumbering == PFN_BULLET ? TNumbering::nsBullet : TNumbering::nsNone;
}

void TRichEdit::SetParaNumbering(TNumbering numbering) {
    PARAFORMAT2 format{};
    format.cbSize = sizeof format;
    format.dwMask = PFM_NUMBERING;
    format.wNumbering = numbering == TNumbering::nsBullet ? PFN_BULLET : 0;
    SendMessageA(Handle(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
}

// ---- find

int TRichEdit::FindText(const std::string& text, int start, int end, bool matchCase, bool wholeWord) const {
    if (!Handle() || text.empty()) return -1;
    FINDTEXTEXA find{};
    find.chrg.cpMin = std::max(start, 0);
    find.chrg.cpMax = end;
    find.lpstrText = text.c_str();
    // Without FR_DOWN the control searches backwards.
    WPARAM flags = FR_DOWN | (matchCase ? FR_MATCHCASE : 0) | (wholeWord ? FR_WHOLEWORD : 0);
    LRESULT found = SendMessageA(Handle(), EM_FINDTEXTEX, flags, reinterpret_cast<LPARAM>(&find));
    return found < 0 ? -1 : static_cast<int>(found);
}

// ---- pages

int TRichEdit::FormatRange(const TFormatRange& range, bool render) {
    if (!Handle()) return range.start;
    FORMATRANGE format{};
    format.hdc = range.dc;
    format.hdcTarget = range.targetDc ? range.targetDc : range.dc;
    format.rc = range.rect;
    format.rcPage = range.page;
    format.chrg.cpMin = range.start;
    format.chrg.cpMax = range.end < 0 ? TextLength() : range.end;
    return static_cast<int>(
        SendMessageA(Handle(), EM_FORMATRANGE, render, reinterpret_cast<LPARAM>(&format)));
}

void TRichEdit::EndFormatRange() {
    if (Handle()) SendMessageA(Handle(), EM_FORMATRANGE, FALSE, 0);
}

RECT TRichEdit::FormatRect() const {
    RECT r{};
    SendMessageA(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}

void TRichEdit::SetFormatRect(const RECT& rect) {
    SendMessageA(Handle(), EM_SETRECT, 0, reinterpret_cast<LPARAM>(&rect));
}

// ---- state and editing

bool TRichEdit::ReadOnly() const {
    return (SendMessageA(Handle(), EM_GETOPTIONS, 0, 0) & ECO_READONLY) != 0;
}
void TRichEdit::SetReadOnly(bool readOnly) {
    SendMessageA(Handle(), EM_SETREADONLY, readOnly, 0);
}
bool TRichEdit::Modified() const {
    return SendMessageA(Handle(), EM_GETMODIFY, 0, 0) != 0;
}
void TRichEdit::SetModified(bool modified) {
    SendMessageA(Handle(), EM_SETMODIFY, modified, 0);
}
bool TRichEdit::CanUndo() const {
    return SendMessageA(Handle(), EM_CANUNDO, 0, 0) != 0;
}
void TRichEdit::Undo() {
    SendMessageA(Handle(), EM_UNDO, 0, 0);
}
void TRichEdit::SetUndoLimit(int limit) {
    SendMessageA(Handle(), EM_SETUNDOLIMIT, static_cast<WPARAM>(std::max(limit, 0)), 0);
}
DWORD TRichEdit::EventMask() const {
    return static_cast<DWORD>(SendMessageA(Handle(), EM_GETEVENTMASK, 0, 0));
}
void TRichEdit::SetEventMask(DWORD mask) {
    SendMessageA(Handle(), EM_SETEVENTMASK, 0, mask);
}
void TRichEdit::CutToClipboard() {
    SendMessageA(Handle(), WM_CUT, 0, 0);
}
void TRichEdit::CopyToClipboard() {
    SendMessageA(Handle(), WM_COPY, 0, 0);
}
void TRichEdit::PasteFromClipboard() {
    SendMessageA(Handle(), WM_PASTE, 0, 0);
}

// ---- messages

LRESULT TRichEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETDLGCODE: {
        LRESULT code = TWinControl::WndProc(msg, wParam, lParam);
        return wantTabs_ ? (code | DLGC_WANTTAB) : (code & ~DLGC_WANTTAB);
    }
    case WM_CHAR:
        if (wParam == '\t' && !wantTabs_) return 0;
        break;
    case WM_SETTEXT: {
        // Reported once, as a stream-in is.
        settingText_ = true;
        LRESULT result = 0;
        try {
            result = TWinControl::WndProc(msg, wParam, lParam);
        } catch (...) {
            settingText_ = false;
            throw;
        }
        settingText_ = false;
        if (OnChange) OnChange();
        return result;
    }
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

bool TRichEdit::HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
        if (!settingText_ && OnChange) OnChange();
        result = 0;
        return true;
    }
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == EN_SELCHANGE) {
        if (OnSelectionChange) OnSelectionChange();
        result = 0;
        return true;
    }
    return false;
}

} // namespace tk
