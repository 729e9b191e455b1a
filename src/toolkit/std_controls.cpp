#include "toolkit/std_controls.h"

#include <commctrl.h>

#include <map>

#include "toolkit/gdi.h"

namespace tk {

namespace {
const char* const kSpeedButtonClass = "VelmoraSpeedButton";
const char* const kToolBarClass = "VelmoraToolBar";

std::map<HWND, HWND>& Tooltips() {
    static std::map<HWND, HWND> tips;
    return tips;
}
} // namespace

void SetHint(HWND window, const std::string& text) {
    HWND root = GetAncestor(window, GA_ROOT);
    if (!root) return;
    HWND& tip = Tooltips()[root];
    if (!tip || !IsWindow(tip)) {
        tip = CreateWindowExA(
            WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, root, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = root;
    info.uId = reinterpret_cast<UINT_PTR>(window);
    info.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    if (!text.empty()) SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

// ---- TSpeedButton

TSpeedButton::TSpeedButton(const Params& p)
    : name_(p.name), hint_(p.hint), caption_(p.caption), glyph_(p.glyph), groupIndex_(p.groupIndex),
      down_(p.down), allowAllUp_(p.allowAllUp), flat_(p.flat), dropDownArrow_(p.dropDownArrow) {
    RegisterWindowClass(kSpeedButtonClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
    WindowParams wp;
    wp.className = kSpeedButtonClass;
    wp.style = WS_CHILD | WS_VISIBLE;
    wp.bounds = RECT{p.left, p.top, p.left + p.width, p.top + p.height};
    wp.text = p.caption;
    CreateControl(p.parent, wp);
    tk::SetHint(Handle(), hint_);
    if (p.action) SetAction(p.action);
}

TSpeedButton::~TSpeedButton() {
    SetAction(nullptr);
}

void TSpeedButton::ActionChanged() {
    TAction* action = Action();
    if (!action) return;
    if (hint_ != action->Hint()) {
        hint_ = action->Hint();
        tk::SetHint(Handle(), hint_);
    }
    bool repaint = glyph_ != action->Picture() || down_ != action->Checked();
    glyph_ = action->Picture();
    groupIndex_ = action->GroupIndex();
    allowAllUp_ = action->AllowAllUp();
    down_ = action->Checked();
    if (Enabled() != action->Enabled()) SetEnabled(action->Enabled()); // repaints through WM_ENABLE
    if (repaint) Invalidate();
}

void TSpeedButton::SetDown(bool down) {
    if (TAction* action = Action()) {
        action->SetChecked(down);
        return;
    }
    if (groupIndex_ == 0) down = false;
    if (down == down_) return;
    if (down && Parent()) {
        for (TControl* sibling : Parent()->Controls()) {
            auto* other = dynamic_cast<TSpeedButton*>(sibling);
            if (other && other != this && other->groupIndex_ == groupIndex_ && other->down_) {
                other->down_ = false;
                other->Invalidate();
            }
        }
    }
    down_ = down;
    Invalidate();
}

void TSpeedButton::Click() {
    if (TAction* action = Action()) {
        // A two-state button toggles first (as a click would), then the action runs.
        if (groupIndex_ != 0) {
            if (!down_)
                action->SetChecked(true);
            else if (allowAllUp_)
                action->SetChecked(false);
        }
        action->Execute();
        return;
    }
    if (groupIndex_ != 0) {
        if (!down_)
            SetDown(true);
        else if (allowAllUp_)
            SetDown(false);
    }
    if (OnClick) OnClick();
}

void TSpeedButton::SetMenuOpen(bool open) {
    if (open == menuOpen_) return;
    menuOpen_ = open;
    Invalidate();
    // Drawn now: the menu's own loop runs before the next paint would.
    if (Handle()) UpdateWindow(Handle());
}

void TSpeedButton::Paint(HDC dc) {
    RECT r;
    GetClientRect(Handle(), &r);
    bool enabled = IsWindowEnabled(Handle());
    bool sunken = down_ || (pressed_ && hot_) || menuOpen_;
    if (down_ && !pressed_) {
        // The checkered face of a button that stays down.
        WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
        BitmapHandle bits(CreateBitmap(8, 8, 1, 1, pattern));
        BrushHandle brush(CreatePatternBrush(bits.get()));
        COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
        COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        FillRect(dc, &r, brush.get());
        SetTextColor(dc, oldText);
        SetBkColor(dc, oldBack);
    } else {
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    }
    if (!flat_ || sunken || (hot_ && enabled)) {
        DrawEdge(dc, &r, sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    int shift = sunken ? 1 : 0;
    // With a caption the glyph stands at the left and the caption beside it.
    const bool besideGlyph = glyph_ && !caption_.empty();
    int textLeft = 0;
    if (glyph_) {
        BITMAP bm{};
        GetObjectA(glyph_, sizeof bm, &bm);
        int x = (besideGlyph ? 4 : (r.right - bm.bmWidth) / 2) + shift;
        int y = (r.bottom - bm.bmHeight) / 2 + shift;
        textLeft = 4 + bm.bmWidth + 3;
        MemoryDC mem(dc);
        mem.Select(glyph_);
        COLORREF transparent = GetPixel(mem, 0, bm.bmHeight - 1);
        if (enabled) {
            TransparentBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, bm.bmWidth, bm.bmHeight,
                           transparent);
        } else {
            // Disabled: the glyph's shape embossed in the highlight and shadow colours.
            // The mask outlives the DC it is selected into.
            BitmapHandle mask(CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr));
            MemoryDC mono(dc);
            mono.Select(mask.get());
            // Glyph pixels become 0, the transparent colour 1.
            SetBkColor(mem, transparent);
            BitBlt(mono, 0, 0, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
            COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
            COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
            auto paintShape = [&](int dx, int dy, int colour) {
                HBRUSH brush = GetSysColorBrush(colour);
                HGDIOBJ oldBrush = SelectObject(dc, brush);
                // Where the mask is 0 the brush, elsewhere the destination stays.
                BitBlt(dc, x + dx, y + dy, bm.bmWidth, bm.bmHeight, mono, 0, 0, 0x00B8074A);
                SelectObject(dc, oldBrush);
            };
            paintShape(1, 1, COLOR_BTNHIGHLIGHT);
            paintShape(0, 0, COLOR_BTNSHADOW);
            SetTextColor(dc, oldText);
            SetBkColor(dc, oldBack);
        }
    }
    const int arrowWidth = dropDownArrow_ ? 12 : 0;
    if (!caption_.empty()) {
        RECT tr = r;
        tr.left += textLeft;
        tr.right -= arrowWidth;
        OffsetRect(&tr, shift, shift);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(GetParent(Handle()), WM_GETFONT, 0, 0));
        HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
        DrawTextA(dc, caption_.c_str(), -1, &tr,
                  (besideGlyph ? DT_LEFT : DT_CENTER) | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        if (oldFont) SelectObject(dc, oldFont);
    }
    if (dropDownArrow_) {
        // A small downward triangle, 5 pixels wide, in the text's colour.
        const int x = r.right - arrowWidth + 3 + shift, y = r.bottom / 2 - 1 + shift;
        HBRUSH ink = GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
        for (int row = 0; row < 3; ++row) {
            RECT line{x + row, y + row, x + 5 - row, y + row + 1};
            FillRect(dc, &line, ink);
        }
    }
}

LRESULT TSpeedButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        Paint(dc);
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE: {
        RECT r;
        GetClientRect(Handle(), &r);
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        bool inside = PtInRect(&r, pt);
        if (inside != hot_) {
            hot_ = inside;
            Invalidate();
        }
        if (inside && !pressed_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
            TrackMouseEvent(&track);
        }
        break;
    }
    case WM_MOUSELEAVE:
        hot_ = false;
        Invalidate();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (IsWindowEnabled(Handle())) {
            pressed_ = true;
            hot_ = true;
            SetCapture(Handle());
            Invalidate();
        }
        return 0;
    case WM_LBUTTONUP:
        if (pressed_) {
            pressed_ = false;
            ReleaseCapture();
            RECT r;
            GetClientRect(Handle(), &r);
            POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            Invalidate();
            if (PtInRect(&r, pt)) Click();
        }
        return 0;
    case WM_ENABLE:
        Invalidate();
        break;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

// ---- TToolBar

TToolBar::TToolBar(TControl* parent, int height) {
    RegisterWindowClass(kToolBarClass, CS_HREDRAW, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    WindowParams wp;
    wp.className = kToolBarClass;
    wp.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    wp.bounds = RECT{0, 0, parent ? parent->ClientWidth() : 100, height};
    CreateControl(parent, wp);
    SetAlign(TAlign::alTop);
}

void TToolBar::AddDivider(int x) {
    dividers_.push_back(x);
    Invalidate();
}

int TToolBar::AddActionButtons(int x, const std::vector<ButtonRow>& rows, TActionList& actions,
                               std::vector<std::unique_ptr<TSpeedButton>>& out) {
    const int top = (Height() - kButtonHeight) / 2;
    for (const ButtonRow& row : rows) {
        if (row.dividerBefore) {
            AddDivider(x + kDividerSpace / 2 - 1);
            x += kDividerSpace;
        }
        TSpeedButton::Params p;
        p.parent = this;
        p.name = row.name;
        p.left = x;
        p.top = top;
        p.width = kButtonWidth;
        p.height = kButtonHeight;
        p.action = &actions.Get(row.action);
        out.push_back(std::make_unique<TSpeedButton>(p));
        x += kButtonWidth;
    }
    return x;
}

LRESULT TToolBar::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT r;
        GetClientRect(Handle(), &r);
        for (int x : dividers_) {
            RECT line{x, 3, x + 2, r.bottom - 3};
            DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
        }
        EndPaint(Handle(), &ps);
        return 0;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

// ---- TStatusBar

TStatusBar::TStatusBar(TControl* parent, const std::vector<int>& widths, HFONT font) : widths_(widths) {
    WindowParams wp;
    wp.className = STATUSCLASSNAMEA;
    wp.style = WS_CHILD | WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE | SBARS_SIZEGRIP;
    wp.bounds = RECT{0, 0, parent ? parent->ClientWidth() : 100, 19};
    wp.font = font;
    CreateControl(parent, wp);
    SetHeight(19);
    SetAlign(TAlign::alBottom);
    ApplyParts();
}

void TStatusBar::ApplyParts() {
    std::vector<int> edges;
    int x = 0;
    for (size_t i = 0; i < widths_.size(); ++i) {
        x += widths_[i];
        // The last panel takes what is left.
        edges.push_back(i + 1 == widths_.size() ? -1 : x);
    }
    SendMessageA(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void TStatusBar::SetPanelText(int index, const std::string& text) {
    SendMessageA(Handle(), SB_SETTEXTA, index, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string TStatusBar::PanelText(int index) const {
    int len = LOWORD(SendMessageA(Handle(), SB_GETTEXTLENGTHA, index, 0));
    std::string text(len + 1, '\0');
    SendMessageA(Handle(), SB_GETTEXTA, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(len);
    return text;
}

LRESULT TStatusBar::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return TControl::WndProc(msg, wParam, lParam);
}

} // namespace tk
