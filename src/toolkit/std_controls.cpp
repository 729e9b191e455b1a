#include "toolkit/std_controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <map>

#include "toolkit/gdi.h"

namespace tk {

namespace {
const char* const kToolBarClass = "VelmoraToolBar";

std::map<HWND, HWND>& Tooltips() {
    static std::map<HWND, HWND> tips;
    return tips;
}

// The top-level window's tooltip control when it has one; none is made.
HWND FindHintWindow(HWND window) {
    HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    if (!root) return nullptr;
    auto found = Tooltips().find(root);
    return found != Tooltips().end() && IsWindow(found->second) ? found->second : nullptr;
}
} // namespace

HWND HintWindow(HWND window) {
    HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    if (!root) return nullptr;
    HWND& tip = Tooltips()[root];
    if (!tip || !IsWindow(tip)) {
        tip = CreateWindowExA(
            WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, root, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    return tip;
}

void SetHint(HWND window, const std::string& text) {
    HWND tip = HintWindow(window);
    if (!tip) return;
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = GetAncestor(window, GA_ROOT);
    info.uId = reinterpret_cast<UINT_PTR>(window);
    info.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    if (!text.empty()) SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

// ---- TSpeedButton

TSpeedButton::TSpeedButton(const Params& p)
    : bar_(p.parent), name_(p.name), hint_(p.hint), caption_(p.caption), glyph_(p.glyph), left_(p.left),
      top_(p.top), width_(std::max(p.width, 0)), height_(std::max(p.height, 0)), groupIndex_(p.groupIndex),
      down_(p.down), allowAllUp_(p.allowAllUp), flat_(p.flat), dropDownArrow_(p.dropDownArrow),
      visible_(p.visible) {
    if (bar_) bar_->Attach(this);
    if (p.action) SetAction(p.action);
}

TSpeedButton::~TSpeedButton() {
    SetAction(nullptr);
    if (bar_) bar_->Detach(this);
}

bool TSpeedButton::Hot() const {
    return bar_ && bar_->hot_ == this;
}

bool TSpeedButton::Pressed() const {
    return bar_ && bar_->pressed_ == this;
}

RECT TSpeedButton::ScreenRect() const {
    RECT r = BoundsRect();
    if (bar_ && bar_->Handle())
        MapWindowPoints(bar_->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void TSpeedButton::Invalidate() const {
    if (!bar_ || !bar_->Handle()) return;
    RECT r = BoundsRect();
    InvalidateRect(bar_->Handle(), &r, TRUE);
}

void TSpeedButton::SetBounds(int left, int top, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
    if (bar_) bar_->UpdateTool(*this, false);
}

void TSpeedButton::SetHint(const std::string& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    if (bar_) bar_->UpdateTool(*this, true);
}

void TSpeedButton::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    // A button disabled under the mouse's press is let go without a click.
    if (!enabled && bar_ && bar_->pressed_ == this) {
        bar_->pressed_ = nullptr;
        if (GetCapture() == bar_->Handle()) ReleaseCapture();
    }
    Invalidate();
}

void TSpeedButton::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (!visible && bar_) {
        if (bar_->hot_ == this) bar_->hot_ = nullptr;
        if (bar_->pressed_ == this) {
            bar_->pressed_ = nullptr;
            if (GetCapture() == bar_->Handle()) ReleaseCapture();
        }
    }
    Invalidate();
    // A hidden button's tool shrinks to nothing, so its hint never shows.
    if (bar_) bar_->UpdateTool(*this, false);
}

void TSpeedButton::ActionChanged() {
    TAction* action = Action();
    if (!action) return;
    SetHint(action->Hint());
    bool repaint = glyph_ != action->Picture() || down_ != action->Checked() || enabled_ != action->Enabled();
    glyph_ = action->Picture();
    groupIndex_ = action->GroupIndex();
    allowAllUp_ = action->AllowAllUp();
    down_ = action->Checked();
    if (enabled_ != action->Enabled()) SetEnabled(action->Enabled());
    if (repaint) Invalidate();
}

void TSpeedButton::SetDown(bool down) {
    if (TAction* action = Action()) {
        action->SetChecked(down);
        return;
    }
    if (groupIndex_ == 0) down = false;
    if (down == down_) return;
    if (down && bar_) {
        for (TSpeedButton* other : bar_->buttons_) {
            if (other != this && other->groupIndex_ == groupIndex_ && other->down_) {
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
    if (bar_ && bar_->Handle()) UpdateWindow(bar_->Handle());
}

// Draws the button at (0, 0) of the DC.
void TSpeedButton::Paint(HDC dc, HFONT font, bool hot, bool pressed) const {
    RECT r{0, 0, width_, height_};
    const bool enabled = enabled_;
    bool sunken = down_ || (pressed && hot) || menuOpen_;
    if (down_ && !pressed) {
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
    if (!flat_ || sunken || (hot && enabled)) {
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

// ---- TToolBar

TToolBar::TToolBar(TControl* parent, int height) {
    RegisterWindowClass(kToolBarClass, CS_HREDRAW | CS_DBLCLKS, nullptr,
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    WindowParams wp;
    wp.className = kToolBarClass;
    wp.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    wp.bounds = RECT{0, 0, parent ? parent->ClientWidth() : 100, height};
    CreateControl(parent, wp);
    SetAlign(TAlign::alTop);
}

TToolBar::~TToolBar() {
    for (TSpeedButton* button : buttons_) {
        RemoveTool(*button);
        button->bar_ = nullptr;
    }
    buttons_.clear();
    hot_ = pressed_ = nullptr;
}

void TToolBar::AddDivider(int x) {
    dividers_.push_back(x);
    Invalidate();
}

HWND TToolBar::HintWindow() const {
    return Handle() ? tk::HintWindow(Handle()) : nullptr;
}

TSpeedButton* TToolBar::ButtonAt(POINT pt) const {
    for (TSpeedButton* button : buttons_) {
        RECT r = button->BoundsRect();
        if (button->visible_ && PtInRect(&r, pt)) return button;
    }
    return nullptr;
}

void TToolBar::Attach(TSpeedButton* button) {
    buttons_.push_back(button);
    button->toolId_ = nextToolId_++;
    UpdateTool(*button, true);
    button->Invalidate();
}

void TToolBar::Detach(TSpeedButton* button) {
    RemoveTool(*button);
    button->Invalidate();
    if (hot_ == button) hot_ = nullptr;
    if (pressed_ == button) {
        pressed_ = nullptr;
        if (Handle() && GetCapture() == Handle()) ReleaseCapture();
    }
    buttons_.erase(std::remove(buttons_.begin(), buttons_.end(), button), buttons_.end());
    button->bar_ = nullptr;
}

void TToolBar::UpdateTool(const TSpeedButton& button, bool text) {
    HWND tip = HintWindow();
    if (!tip) return;
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.hwnd = Handle();
    info.uId = button.toolId_;
    const bool known = SendMessageA(tip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info)) != 0;
    info.rect = button.visible_ ? button.BoundsRect() : RECT{};
    info.lpszText = const_cast<char*>(button.hint_.c_str());
    if (!known) {
        // The bar hands the tooltip its mouse messages itself (TTM_RELAYEVENT): a
        // subclassing tool would unhook the whole bar when any one button's tool goes.
        info.uFlags = 0;
        SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
        return;
    }
    SendMessageA(tip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&info));
    if (text) SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void TToolBar::RemoveTool(const TSpeedButton& button) {
    HWND tip = FindHintWindow(Handle());
    if (!tip) return;
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.hwnd = Handle();
    info.uId = button.toolId_;
    SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
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

void TToolBar::SetHot(TSpeedButton* button) {
    if (button == hot_) return;
    if (hot_) hot_->Invalidate();
    hot_ = button;
    if (hot_) hot_->Invalidate();
}

void TToolBar::MouseMove(POINT pt) {
    TSpeedButton* under = ButtonAt(pt);
    // While the left button is held only the pressed button lights up.
    SetHot(pressed_ ? (under == pressed_ ? pressed_ : nullptr) : under);
    TrackLeave();
}

void TToolBar::TrackLeave() {
    // The capture gives us the mouse anyway while a button is held.
    if (tracking_ || pressed_ || !hot_) return;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
    tracking_ = TrackMouseEvent(&track) != FALSE;
}

namespace {
// A brush origin in 0..7: patterns and dithering repeat every 8 pixels.
int BrushPhase(int v) {
    return ((v % 8) + 8) % 8;
}
} // namespace

HBITMAP TToolBar::Buffer(HDC like, int width, int height) {
    const int bits = GetDeviceCaps(like, BITSPIXEL) * GetDeviceCaps(like, PLANES);
    if (buffer_ && bits == bufferBits_ && width <= bufferWidth_ && height <= bufferHeight_)
        return buffer_.get();
    buffer_.reset();
    // The whole client area: the partial paints that follow fit in it too.
    RECT client;
    GetClientRect(Handle(), &client);
    const int w = std::max<int>(width, client.right), h = std::max<int>(height, client.bottom);
    buffer_.reset(CreateCompatibleBitmap(like, w, h));
    if (!buffer_) return nullptr;
    bufferWidth_ = w;
    bufferHeight_ = h;
    bufferBits_ = bits;
    return buffer_.get();
}

void TToolBar::PaintTo(HDC dc, const RECT& update) {
    RECT client, area;
    GetClientRect(Handle(), &client);
    // Never more than the client area, whatever the rectangle asked for.
    if (!IntersectRect(&area, &update, &client)) return;
    const int width = area.right - area.left, height = area.bottom - area.top;
    MemoryDC buffer(dc);
    HBITMAP bits = buffer ? Buffer(dc, width, height) : nullptr;
    if (!bits) {
        Draw(dc, area, true);
        return;
    }
    buffer.Select(bits);
    // The buffer's (0, 0) is the area's corner; brushes keep the window's phase.
    POINT windowBrush{};
    GetBrushOrgEx(dc, &windowBrush);
    SetViewportOrgEx(buffer, -area.left, -area.top, nullptr);
    SetBrushOrgEx(buffer, BrushPhase(windowBrush.x - area.left), BrushPhase(windowBrush.y - area.top),
                  nullptr);
    Draw(buffer, area, true);
    SetViewportOrgEx(buffer, 0, 0, nullptr);
    BitBlt(dc, area.left, area.top, width, height, buffer, 0, 0, SRCCOPY);
}

void TToolBar::Draw(HDC dc, const RECT& area, bool background) const {
    RECT client, overlap;
    GetClientRect(Handle(), &client);
    if (background) FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    for (int x : dividers_) {
        RECT line{x, 3, x + 2, client.bottom - 3};
        if (IntersectRect(&overlap, &line, &area)) DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
    }
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(Handle(), WM_GETFONT, 0, 0));
    for (const TSpeedButton* button : buttons_) {
        RECT r = button->BoundsRect();
        if (!button->visible_ || !IntersectRect(&overlap, &r, &area)) continue;
        // Each button draws at (0, 0) inside its own rectangle, as on a window
        // of its own: clipped to it, its patterns starting at its corner.
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
        POINT corner{0, 0};
        LPtoDP(dc, &corner, 1);
        SetBrushOrgEx(dc, BrushPhase(corner.x), BrushPhase(corner.y), nullptr);
        button->Paint(dc, font, button == hot_, button == pressed_);
        RestoreDC(dc, saved);
    }
}

LRESULT TToolBar::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The tooltip sees the mouse over the buttons through us.
    if ((msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) && !buttons_.empty()) {
        if (HWND tip = FindHintWindow(Handle())) {
            MSG relay{Handle(), msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
            relay.pt.x = GET_X_LPARAM(GetMessagePos());
            relay.pt.y = GET_Y_LPARAM(GetMessagePos());
            SendMessageA(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
        }
    }
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        PaintTo(dc, ps.rcPaint);
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        // The paint fills the whole update rectangle, background included.
        return 1;
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(Handle(), &client);
        Draw(reinterpret_cast<HDC>(wParam), client, (lParam & PRF_ERASEBKGND) != 0);
        return 0;
    }
    case WM_MOUSEMOVE:
        MouseMove(pt);
        break;
    case WM_MOUSELEAVE:
        tracking_ = false;
        SetHot(nullptr);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // No focus is taken: the control that has it keeps it.
        TSpeedButton* button = ButtonAt(pt);
        if (!button) break;
        if (button->enabled_) {
            pressed_ = button;
            SetHot(button);
            SetCapture(Handle());
            button->Invalidate();
        }
        return 0;
    }
    case WM_LBUTTONUP:
        if (TSpeedButton* button = pressed_) {
            pressed_ = nullptr; // before the capture goes: WM_CAPTURECHANGED comes at once
            if (GetCapture() == Handle()) ReleaseCapture();
            button->Invalidate();
            RECT r = button->BoundsRect();
            const bool inside = PtInRect(&r, pt);
            SetHot(inside ? button : ButtonAt(pt));
            TrackLeave();
            // The click may close the window: nothing of the bar is touched after it.
            if (inside && button->enabled_ && button->visible_) button->Click();
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        // The capture taken away (a menu, another window): the press is cancelled.
        if (pressed_ && reinterpret_cast<HWND>(lParam) != Handle()) {
            pressed_->Invalidate();
            pressed_ = nullptr;
        }
        break;
    case WM_DESTROY:
        for (TSpeedButton* button : buttons_)
            RemoveTool(*button);
        hot_ = pressed_ = nullptr;
        tracking_ = false;
        buffer_.reset();
        break;
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
