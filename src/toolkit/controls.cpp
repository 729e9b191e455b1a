#include "toolkit/controls.h"

#include <commctrl.h>

#include <algorithm>

#include "toolkit/form.h"
#include "toolkit/gdi.h"
#include "toolkit/menus.h"

namespace tk {

namespace {

int FontHeight(HFONT font) {
    ScreenDC dc;
    SelectedObject chosen(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    return metrics.tmHeight;
}

DWORD BorderStyleBits(TBorderStyle border) {
    return border == TBorderStyle::bsSingle ? WS_BORDER : 0;
}
DWORD BorderExStyleBits(TBorderStyle border) {
    return border == TBorderStyle::bsSunken ? WS_EX_CLIENTEDGE : 0;
}

// Text of a list box's or combo box's item, by the control's own messages.
std::string ListText(HWND hwnd, UINT lengthMsg, UINT textMsg, int index) {
    LRESULT length = SendMessageA(hwnd, lengthMsg, index, 0);
    if (length < 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT got = SendMessageA(hwnd, textMsg, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return text;
}

TForm* OwningForm(TControl* control) {
    for (TControl* c = control; c; c = c->Parent())
        if (auto* form = dynamic_cast<TForm*>(c)) return form;
    return nullptr;
}

// The owner-drawn item from the platform's structure.
TDrawItem DrawItemFrom(const DRAWITEMSTRUCT& draw, std::string text) {
    TDrawItem item;
    item.index = static_cast<int>(draw.itemID);
    item.dc = draw.hDC;
    item.rect = draw.rcItem;
    item.selected = (draw.itemState & ODS_SELECTED) != 0;
    item.focused = (draw.itemState & ODS_FOCUS) != 0;
    item.comboEdit = (draw.itemState & ODS_COMBOBOXEDIT) != 0;
    item.text = std::move(text);
    return item;
}

} // namespace

UINT KeyboardShiftState() {
    UINT shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= scShift;
    if (GetKeyState(VK_CONTROL) < 0) shift |= scCtrl;
    if (GetKeyState(VK_MENU) < 0) shift |= scAlt;
    return shift;
}

void DrawItemDefault(const TDrawItem& item) {
    if (!item.dc) return;
    bool selected = item.selected;
    FillRect(item.dc, &item.rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.index >= 0) {
        COLORREF oldText =
            SetTextColor(item.dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        int oldMode = SetBkMode(item.dc, TRANSPARENT);
        RECT r = item.rect;
        r.left += 2;
        DrawTextA(item.dc, item.text.c_str(), static_cast<int>(item.text.size()), &r,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SetBkMode(item.dc, oldMode);
        SetTextColor(item.dc, oldText);
    }
    if (item.focused) DrawFocusRect(item.dc, &item.rect);
}

// ---- TWinControl

void TWinControl::KeyDown(WORD& key, UINT shift) {
    if (OnKeyDown) OnKeyDown(key, shift);
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN) {
        WORD key = static_cast<WORD>(wParam);
        KeyDown(key, KeyboardShiftState());
        if (key == 0 || !Handle()) return 0;
        wParam = key;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

// ---- TButton

TButton::TButton(const Params& p) : modalResult_(p.modalResult) {
    WindowParams wp;
    wp.className = WC_BUTTONA;
    wp.style = WS_CHILD | WS_TABSTOP | (p.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    wp.text = p.caption;
    CreateControl(p, wp);
}

void TButton::Click() {
    // The result first, so that OnClick may take it back and keep the form open.
    if (modalResult_ != 0)
        if (TForm* form = OwningForm(this)) form->SetModalResult(modalResult_);
    if (OnClick) OnClick();
}

bool TButton::HandleReflected(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        Click();
        result = 0;
        return true;
    }
    return false;
}

// ---- TCheckBox

TCheckBox::TCheckBox(const Params& p) : allowGrayed_(p.allowGrayed) {
    WindowParams wp;
    wp.className = WC_BUTTONA;
    // Not the automatic kinds: the object decides the next state, so a click
    // in code and one by the user take the same path.
    wp.style = WS_CHILD | WS_TABSTOP | (p.allowGrayed ? BS_3STATE : BS_CHECKBOX);
    wp.text = p.caption;
    CreateControl(p, wp);
    SetChecked(p.checked);
}

TCheckBoxState TCheckBox::State() const {
    switch (SendMessageA(Handle(), BM_GETCHECK, 0, 0)) {
    case BST_CHECKED:
        return TCheckBoxState::cbChecked;
    case BST_INDETERMINATE:
        return TCheckBoxState::cbGrayed;
    default:
        return TCheckBoxState::cbUnchecked;
    }
}

void TCheckBox::SetState(TCheckBoxState state) {
    WPARAM check = state == TCheckBoxState::cbChecked  ? BST_CHECKED
                   : state == TCheckBoxState::cbGrayed ? BST_INDETERMINATE
                                                       : BST_UNCHECKED;
    SendMessageA(Handle(), BM_SETCHECK, check, 0);
}

void TCheckBox::SetChecked(bool checked) {
    SetState(checked ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
}

void TCheckBox::Click() {
    switch (State()) {
    case TCheckBoxState::cbUnchecked:
        SetState(TCheckBoxState::cbChecked);
        break;
    case TCheckBoxState::cbChecked:
        SetState(allowGrayed_ ? TCheckBoxState::cbGrayed : TCheckBoxState::cbUnchecked);
        break;
    case TCheckBoxState::cbGrayed:
        SetState(TCheckBoxState::cbUnchecked);
        break;
    }
    if (OnClick) OnClick();
}

bool TCheckBox::HandleReflected(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        Click();
        result = 0;
        return true;
    }
    return false;
}

// ---- TRadioButton

TRadioButton::TRadioButton(const Params& p) {
    WindowParams wp;
    wp.className = WC_BUTTONA;
    wp.style = WS_CHILD | WS_TABSTOP | BS_RADIOBUTTON;
    wp.text = p.caption;
    CreateControl(p, wp);
    if (p.checked) SetChecked(true);
}

bool TRadioButton::Checked() const {
    return Handle() && SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TRadioButton::SetChecked(bool checked) {
    if (!Handle()) return;
    if (checked && Parent()) {
        for (TControl* sibling : Parent()->Controls()) {
            auto* other = dynamic_cast<TRadioButton*>(sibling);
            if (other && other != this && other->Handle())
                SendMessageA(other->Handle(), BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::Click() {
    // Only a change is a click: pressing the checked button again does nothing.
    if (Checked()) return;
    SetChecked(true);
    if (OnClick) OnClick();
}

bool TRadioButton::HandleReflected(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        Click();
        result = 0;
        return true;
    }
    return false;
}

// ---- TGroupBox

TGroupBox::TGroupBox(const Params& p) {
    WindowParams wp;
    wp.className = WC_BUTTONA;
    wp.style = WS_CHILD | WS_CLIPSIBLINGS | BS_GROUPBOX;
    wp.text = p.caption;
    CreateControl(p, wp);
}

// ---- TLabel

TLabel::TLabel(const Params& p) {
    WindowParams wp;
    wp.className = WC_STATICA;
    DWORD align = p.alignment == TAlignment::taCenter         ? SS_CENTER
                  : p.alignment == TAlignment::taRightJustify ? SS_RIGHT
                  : p.wordWrap                                ? SS_LEFT
                                                              : SS_LEFTNOWORDWRAP;
    wp.style = WS_CHILD | SS_NOPREFIX | SS_NOTIFY | align;
    wp.text = p.caption;
    CreateControl(p, wp);
}

bool TLabel::HandleReflected(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
        if (OnClick) OnClick();
        result = 0;
        return true;
    }
    return false;
}

// ---- TEdit

TEdit::TEdit(const Params& p) {
    DWORD style = ES_AUTOHSCROLL | (p.readOnly ? ES_READONLY : 0) | (p.numbersOnly ? ES_NUMBER : 0);
    style |= p.alignment == TAlignment::taCenter         ? ES_CENTER
             : p.alignment == TAlignment::taRightJustify ? ES_RIGHT
                                                         : ES_LEFT;
    CreateEdit(p, style, p.text, p.border);
    if (p.maxLength > 0) SetMaxLength(p.maxLength);
}

void TEdit::CreateEdit(const TControlParams& common, DWORD style, const std::string& text,
                       TBorderStyle border) {
    WindowParams wp;
    wp.className = WC_EDITA;
    wp.style = WS_CHILD | WS_TABSTOP | style | BorderStyleBits(border);
    wp.exStyle = BorderExStyleBits(border);
    wp.text = text;
    CreateControl(common, wp);
}

bool TEdit::ReadOnly() const {
    return Handle() && (GetWindowLongA(Handle(), GWL_STYLE) & ES_READONLY);
}
void TEdit::SetReadOnly(bool readOnly) {
    SendMessageA(Handle(), EM_SETREADONLY, readOnly, 0);
}
int TEdit::MaxLength() const {
    return static_cast<int>(SendMessageA(Handle(), EM_GETLIMITTEXT, 0, 0));
}
void TEdit::SetMaxLength(int length) {
    SendMessageA(Handle(), EM_SETLIMITTEXT, std::max(length, 0), 0);
}
bool TEdit::Modified() const {
    return SendMessageA(Handle(), EM_GETMODIFY, 0, 0) != 0;
}
void TEdit::SetModified(bool modified) {
    SendMessageA(Handle(), EM_SETMODIFY, modified, 0);
}

int TEdit::SelStart() const {
    DWORD start = 0, end = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

int TEdit::SelLength() const {
    DWORD start = 0, end = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TEdit::SetSel(int start, int length) {
    SendMessageA(Handle(), EM_SETSEL, start, length < 0 ? -1 : start + length);
}

std::string TEdit::SelText() const {
    std::string text = Text();
    size_t start = std::min(static_cast<size_t>(SelStart()), text.size());
    return text.substr(start, static_cast<size_t>(SelLength()));
}

void TEdit::SetSelText(const std::string& text) {
    SendMessageA(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

LRESULT TEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SETTEXT) {
        // Whether the control reports a set text differs between single- and
        // multi-line edits; report it exactly once here instead.
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
    return TWinControl::WndProc(msg, wParam, lParam);
}

bool TEdit::HandleReflected(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
        if (!settingText_ && OnChange) OnChange();
        result = 0;
        return true;
    }
    return false;
}

// ---- TMemo

namespace {
std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text += "\r\n";
        text += lines[i];
    }
    return text;
}
} // namespace

TMemo::TMemo(const Params& p) : wantTabs_(p.wantTabs) {
    DWORD style = ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | (p.readOnly ? ES_READONLY : 0);
    if (!p.wordWrap) style |= ES_AUTOHSCROLL;
    if (p.scrollBars == TScrollStyle::ssVertical || p.scrollBars == TScrollStyle::ssBoth) style |= WS_VSCROLL;
    if (p.scrollBars == TScrollStyle::ssHorizontal || p.scrollBars == TScrollStyle::ssBoth)
        style |= WS_HSCROLL;
    CreateEdit(p, style, JoinLines(p.lines), p.border);
}

int TMemo::LineCount() const {
    // An empty memo still has its one (empty) line for the control; we count none.
    if (!Handle() || GetWindowTextLengthA(Handle()) == 0) return 0;
    return static_cast<int>(SendMessageA(Handle(), EM_GETLINECOUNT, 0, 0));
}

std::string TMemo::Line(int index) const {
    if (index < 0 || index >= LineCount()) return {};
    LRESULT start = SendMessageA(Handle(), EM_LINEINDEX, index, 0);
    if (start < 0) return {};
    LRESULT length = SendMessageA(Handle(), EM_LINELENGTH, start, 0);
    // EM_GETLINE wants the buffer's size in its first word, and at least 2 bytes.
    std::string text(std::max<size_t>(static_cast<size_t>(length), sizeof(WORD)) + 1, '\0');
    *reinterpret_cast<WORD*>(text.data()) = static_cast<WORD>(std::min<size_t>(text.size(), 0xFFFF));
    LRESULT got = SendMessageA(Handle(), EM_GETLINE, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::min(static_cast<size_t>(std::max<LRESULT>(got, 0)), static_cast<size_t>(length)));
    return text;
}

std::vector<std::string> TMemo::Lines() const {
    std::vector<std::string> lines;
    int n = LineCount();
    for (int i = 0; i < n; ++i)
        lines.push_back(Line(i));
    return lines;
}

void TMemo::SetLines(const std::vector<std::string>& lines) {
    SetText(JoinLines(lines));
}

LRESULT TMemo::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETDLGCODE) {
        LRESULT code = TEdit::WndProc(msg, wParam, lParam);
        return wantTabs_ ? (code | DLGC_WANTTAB) : (code & ~DLGC_WANTTAB);
    }
    if (msg == WM_CHAR && wParam == '\t' && !wantTabs_) return 0;
    return TEdit::WndProc(msg, wParam, lParam);
}

// ---- TUpDown

TUpDown::TUpDown(const Params& p) : associate_(p.associate) {
    WindowParams wp;
    wp.className = UPDOWN_CLASSA;
    // No thousands separators: with the Turkish locale 1000 would read "1.000".
    wp.style = WS_CHILD | UDS_NOTHOUSANDS | (p.arrowKeys ? UDS_ARROWKEYS : 0) | (p.wrap ? UDS_WRAP : 0) |
               (p.horizontal ? UDS_HORZ : 0) | (p.associate ? UDS_ALIGNRIGHT | UDS_SETBUDDYINT : 0);
    TControlParams common = p;
    if (common.bounds.right - common.bounds.left <= 0) common.bounds.right = common.bounds.left + 16;
    CreateControl(common, wp);
    SetRange(p.min, p.max);
    SetIncrement(p.increment);
    if (associate_ && associate_->Handle())
        SendMessageA(Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(associate_->Handle()), 0);
    SetPosition(p.position);
}

int TUpDown::Position() const {
    BOOL error = FALSE;
    LRESULT position = SendMessageA(Handle(), UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error));
    return static_cast<int>(position);
}

void TUpDown::SetPosition(int position) {
    SendMessageA(Handle(), UDM_SETPOS32, 0, position);
}

int TUpDown::Min() const {
    int min = 0, max = 0;
    SendMessageA(Handle(), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&min), reinterpret_cast<LPARAM>(&max));
    return min;
}

int TUpDown::Max() const {
    int min = 0, max = 0;
    SendMessageA(Handle(), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&min), reinterpret_cast<LPARAM>(&max));
    return max;
}

void TUpDown::SetRange(int min, int max) {
    SendMessageA(Handle(), UDM_SETRANGE32, min, max);
}

int TUpDown::Increment() const {
    UDACCEL accel{0, 1};
    SendMessageA(Handle(), UDM_GETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
    return static_cast<int>(accel.nInc);
}

void TUpDown::SetIncrement(int increment) {
    UDACCEL accel{0, static_cast<UINT>(std::max(increment, 1))};
    SendMessageA(Handle(), UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

bool TUpDown::HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == UDN_DELTAPOS) {
        pendingDelta_ = reinterpret_cast<NMUPDOWN*>(lParam)->iDelta;
        result = 0; // allowed
        return true;
    }
    if ((msg == WM_VSCROLL || msg == WM_HSCROLL) && LOWORD(wParam) == SB_THUMBPOSITION) {
        // Sent after the position (and the edit's text) moved.
        int delta = pendingDelta_;
        pendingDelta_ = 0;
        if (delta != 0 && OnClick) OnClick(delta > 0);
        result = 0;
        return true;
    }
    return false;
}

// ---- TListBox

TListBox::TListBox(const Params& p) : OnMeasureItem(p.onMeasureItem), OnDrawItem(p.onDrawItem) {
    itemHeight_ = p.itemHeight;
    WindowParams wp;
    wp.className = WC_LISTBOXA;
    wp.style = WS_CHILD | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
               (p.sorted ? LBS_SORT : 0) | (p.multiSelect ? LBS_EXTENDEDSEL : 0) | BorderStyleBits(p.border);
    if (p.style == TListBoxStyle::lbOwnerDrawFixed) wp.style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
    if (p.style == TListBoxStyle::lbOwnerDrawVariable) wp.style |= LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS;
    wp.exStyle = BorderExStyleBits(p.border);
    CreateControl(p, wp);
    if (itemHeight_ > 0 && p.style != TListBoxStyle::lbOwnerDrawVariable) SetItemHeight(itemHeight_);
    SetItems(p.items);
}

int TListBox::Count() const {
    return static_cast<int>(SendMessageA(Handle(), LB_GETCOUNT, 0, 0));
}

std::string TListBox::Item(int index) const {
    if (index < 0 || index >= Count()) return {};
    return ListText(Handle(), LB_GETTEXTLEN, LB_GETTEXT, index);
}

std::vector<std::string> TListBox::Items() const {
    std::vector<std::string> items;
    for (int i = 0, n = Count(); i < n; ++i)
        items.push_back(Item(i));
    return items;
}

void TListBox::SetItems(const std::vector<std::string>& items) {
    SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
    SendMessageA(Handle(), LB_RESETCONTENT, 0, 0);
    for (const auto& item : items)
        SendMessageA(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
    Invalidate();
}

int TListBox::AddItem(const std::string& text) {
    return static_cast<int>(SendMessageA(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

void TListBox::DeleteItem(int index) {
    SendMessageA(Handle(), LB_DELETESTRING, index, 0);
}

LPARAM TListBox::ItemData(int index) const {
    LRESULT data = SendMessageA(Handle(), LB_GETITEMDATA, index, 0);
    return data == LB_ERR ? 0 : static_cast<LPARAM>(data);
}

void TListBox::SetItemData(int index, LPARAM data) {
    SendMessageA(Handle(), LB_SETITEMDATA, index, data);
}
void TListBox::Clear() {
    SendMessageA(Handle(), LB_RESETCONTENT, 0, 0);
}

int TListBox::IndexOf(const std::string& text) const {
    LRESULT index = SendMessageA(Handle(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text.c_str()));
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

int TListBox::ItemIndex() const {
    bool multi = GetWindowLongA(Handle(), GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL);
    LRESULT index = SendMessageA(Handle(), multi ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0);
    if (multi && (index < 0 || !Selected(static_cast<int>(index)))) return -1;
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

void TListBox::SetItemIndex(int index) {
    bool multi = GetWindowLongA(Handle(), GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL);
    if (multi) {
        SendMessageA(Handle(), LB_SETSEL, FALSE, -1);
        if (index >= 0) {
            SendMessageA(Handle(), LB_SETSEL, TRUE, index);
            SendMessageA(Handle(), LB_SETCARETINDEX, index, FALSE);
        }
    } else {
        SendMessageA(Handle(), LB_SETCURSEL, index, 0);
    }
}

bool TListBox::Selected(int index) const {
    return SendMessageA(Handle(), LB_GETSEL, index, 0) > 0;
}

void TListBox::SetSelected(int index, bool selected) {
    bool multi = GetWindowLongA(Handle(), GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL);
    if (multi)
        SendMessageA(Handle(), LB_SETSEL, selected, index);
    else if (selected)
        SetItemIndex(index);
    else if (ItemIndex() == index)
        SetItemIndex(-1);
}

int TListBox::SelCount() const {
    bool multi = GetWindowLongA(Handle(), GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL);
    if (!multi) return ItemIndex() >= 0 ? 1 : 0;
    return static_cast<int>(std::max<LRESULT>(SendMessageA(Handle(), LB_GETSELCOUNT, 0, 0), 0));
}

int TListBox::TopIndex() const {
    return static_cast<int>(SendMessageA(Handle(), LB_GETTOPINDEX, 0, 0));
}
void TListBox::SetTopIndex(int index) {
    SendMessageA(Handle(), LB_SETTOPINDEX, index, 0);
}
int TListBox::ItemHeight() const {
    return static_cast<int>(SendMessageA(Handle(), LB_GETITEMHEIGHT, 0, 0));
}

void TListBox::SetItemHeight(int height) {
    itemHeight_ = height;
    SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, height);
    Invalidate();
}

bool TListBox::HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) == LBN_SELCHANGE) {
            if (OnClick) OnClick();
        } else if (HIWORD(wParam) == LBN_DBLCLK) {
            if (OnDblClick) OnDblClick();
        } else {
            return false;
        }
        result = 0;
        return true;
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        int height = itemHeight_ > 0 ? itemHeight_ : FontHeight(Font()) + 2;
        if (OnMeasureItem) OnMeasureItem(static_cast<int>(measure->itemID), height);
        measure->itemHeight = static_cast<UINT>(std::max(height, 1));
        result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        int index = static_cast<int>(draw->itemID);
        TDrawItem item = DrawItemFrom(*draw, index >= 0 ? Item(index) : std::string());
        if (OnDrawItem)
            OnDrawItem(item);
        else
            DrawItemDefault(item);
        result = TRUE;
        return true;
    }
    }
    return false;
}

// ---- TComboBox

TComboBox::TComboBox(const Params& p)
    : OnMeasureItem(p.onMeasureItem), OnDrawItem(p.onDrawItem), style_(p.style), itemHeight_(p.itemHeight) {
    WindowParams wp;
    wp.className = WC_COMBOBOXA;
    wp.style = WS_CHILD | WS_TABSTOP | WS_VSCROLL | (p.sorted ? CBS_SORT : 0);
    switch (p.style) {
    case TComboBoxStyle::csDropDown:
        wp.style |= CBS_DROPDOWN | CBS_AUTOHSCROLL;
        break;
    case TComboBoxStyle::csSimple:
        wp.style |= CBS_SIMPLE | CBS_AUTOHSCROLL;
        break;
    case TComboBoxStyle::csDropDownList:
        wp.style |= CBS_DROPDOWNLIST;
        break;
    case TComboBoxStyle::csOwnerDrawFixed:
        wp.style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
        break;
    case TComboBoxStyle::csOwnerDrawVariable:
        wp.style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS;
        break;
    }
    TControlParams common = p;
    // The window's height of a drop-down kind includes its dropped list; the
    // bounds give the box as it shows.
    int count = std::max(p.dropDownCount, 1);
    if (p.style != TComboBoxStyle::csSimple) {
        int rowHeight = itemHeight_ > 0 ? itemHeight_ : 16;
        common.bounds.bottom = common.bounds.top +
                               std::max<int>(common.bounds.bottom - common.bounds.top, 21) +
                               count * rowHeight + 2;
    }
    CreateControl(common, wp);
    if (!Handle()) return;
    bool ownerDrawn =
        p.style == TComboBoxStyle::csOwnerDrawFixed || p.style == TComboBoxStyle::csOwnerDrawVariable;
    if (itemHeight_ > 0 && !ownerDrawn) SendMessageA(Handle(), CB_SETITEMHEIGHT, 0, itemHeight_);
    // The font arrives after the creation-time measuring, and a font change
    // may size the selection field from the font again: keep the measured one.
    if (ownerDrawn && fieldHeight_ > 0)
        SendMessageA(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), fieldHeight_);
    if (p.style != TComboBoxStyle::csSimple) {
        // Now that the real heights are known: room for the dropped rows.
        RECT box;
        GetWindowRect(Handle(), &box);
        int rowHeight = static_cast<int>(SendMessageA(Handle(), CB_GETITEMHEIGHT, 0, 0));
        SetWindowPos(Handle(), nullptr, 0, 0, box.right - box.left,
                     (box.bottom - box.top) + count * std::max(rowHeight, 1) + 2,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetItems(p.items);
}

int TComboBox::Count() const {
    return static_cast<int>(SendMessageA(Handle(), CB_GETCOUNT, 0, 0));
}

std::string TComboBox::Item(int index) const {
    if (index < 0 || index >= Count()) return {};
    return ListText(Handle(), CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

std::vector<std::string> TComboBox::Items() const {
    std::vector<std::string> items;
    for (int i = 0, n = Count(); i < n; ++i)
        items.push_back(Item(i));
    return items;
}

void TComboBox::SetItems(const std::vector<std::string>& items) {
    quiet_ = true;
    SendMessageA(Handle(), CB_RESETCONTENT, 0, 0);
    for (const auto& item : items)
        SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    quiet_ = false;
}

int TComboBox::AddItem(const std::string& text) {
    return static_cast<int>(SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

void TComboBox::DeleteItem(int index) {
    SendMessageA(Handle(), CB_DELETESTRING, index, 0);
}

LPARAM TComboBox::ItemData(int index) const {
    LRESULT data = SendMessageA(Handle(), CB_GETITEMDATA, index, 0);
    return data == CB_ERR ? 0 : static_cast<LPARAM>(data);
}

void TComboBox::SetItemData(int index, LPARAM data) {
    SendMessageA(Handle(), CB_SETITEMDATA, index, data);
}

void TComboBox::Clear() {
    quiet_ = true;
    SendMessageA(Handle(), CB_RESETCONTENT, 0, 0);
    quiet_ = false;
}

int TComboBox::IndexOf(const std::string& text) const {
    LRESULT index = SendMessageA(Handle(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text.c_str()));
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

int TComboBox::ItemIndex() const {
    LRESULT index = SendMessageA(Handle(), CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void TComboBox::SetItemIndex(int index) {
    quiet_ = true;
    SendMessageA(Handle(), CB_SETCURSEL, index, 0);
    quiet_ = false;
}

void TComboBox::SetTextQuietly(const std::string& text) {
    quiet_ = true;
    SetText(text);
    quiet_ = false;
}

bool TComboBox::DroppedDown() const {
    return SendMessageA(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}
void TComboBox::SetDroppedDown(bool dropped) {
    SendMessageA(Handle(), CB_SHOWDROPDOWN, dropped, 0);
}

int TComboBox::ItemHeight(int index) const {
    return static_cast<int>(SendMessageA(Handle(), CB_GETITEMHEIGHT, static_cast<WPARAM>(index), 0));
}

bool TComboBox::HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND: {
        WORD code = HIWORD(wParam);
        if (code == CBN_EDITCHANGE || code == CBN_SELCHANGE) {
            bool hasEdit = style_ == TComboBoxStyle::csDropDown || style_ == TComboBoxStyle::csSimple;
            if (code == CBN_SELCHANGE && hasEdit) {
                // The edit shows the picked entry only after this notification.
                if (int index = ItemIndex(); index >= 0) {
                    bool wasQuiet = quiet_;
                    quiet_ = true;
                    SetWindowTextA(Handle(), Item(index).c_str());
                    quiet_ = wasQuiet;
                }
            }
            if (!quiet_ && OnChange) OnChange();
        } else if (code == CBN_DROPDOWN) {
            if (OnDropDown) OnDropDown();
        } else if (code == CBN_CLOSEUP) {
            if (OnCloseUp) OnCloseUp();
        } else {
            return false;
        }
        result = 0;
        return true;
    }
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        int height = itemHeight_ > 0 ? itemHeight_ : FontHeight(Font()) + 2;
        if (OnMeasureItem) OnMeasureItem(static_cast<int>(measure->itemID), height);
        measure->itemHeight = static_cast<UINT>(std::max(height, 1));
        if (static_cast<int>(measure->itemID) == -1) fieldHeight_ = static_cast<int>(measure->itemHeight);
        result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        int index = static_cast<int>(draw->itemID);
        TDrawItem item = DrawItemFrom(*draw, index >= 0 ? Item(index) : std::string());
        if (OnDrawItem)
            OnDrawItem(item);
        else
            DrawItemDefault(item);
        result = TRUE;
        return true;
    }
    }
    return false;
}

} // namespace tk
