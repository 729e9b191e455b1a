#include "toolkit/control.h"

#include <windowsx.h>

#include <algorithm>

#include "toolkit/gdi.h"
#include "toolkit/menus.h"
#include "toolkit/std_controls.h"

namespace tk {

namespace {
// Ids for children created without one; far above what dialogs and menus use.
UINT_PTR NextControlId() {
    static UINT_PTR next = 0x4000;
    if (++next >= 0xF000) next = 0x4001;
    return next;
}
} // namespace

TControl::~TControl() {
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    for (TControl* child : children_)
        child->parent_ = nullptr;
}

void TControl::CreateControl(TControl* parent, const WindowParams& params) {
    parent_ = parent;
    if (parent_) parent_->children_.push_back(this);
    WindowParams p = params;
    if (parent_ && !p.parent) p.parent = parent_->Handle();
    visible_ = (p.style & WS_VISIBLE) != 0;
    CreateWindowFrom(p);
    UpdateBoundsFromWindow();
}

void TControl::CreateControl(const TControlParams& common, WindowParams params) {
    params.bounds = common.bounds;
    if (common.visible)
        params.style |= WS_VISIBLE;
    else
        params.style &= ~WS_VISIBLE;
    if (!params.font)
        params.font = common.font ? common.font : (common.parent ? common.parent->Font() : nullptr);
    if (common.parent && (params.style & WS_CHILD) && params.id == 0) params.id = NextControlId();
    hint_ = common.hint;
    CreateControl(common.parent, params);
    if (!hint_.empty() && Handle()) tk::SetHint(Handle(), hint_);
    if (common.align != TAlign::alNone) SetAlign(common.align);
}

HFONT TControl::Font() const {
    if (!Handle()) return nullptr;
    if (auto font = reinterpret_cast<HFONT>(SendMessageA(Handle(), WM_GETFONT, 0, 0))) return font;
    return parent_ ? parent_->Font() : nullptr;
}

void TControl::SetFont(HFONT font) {
    if (Handle()) SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void TControl::SetHint(const std::string& hint) {
    hint_ = hint;
    if (Handle()) tk::SetHint(Handle(), hint_);
}

void TControl::HandleDestroyed() {}

void TControl::UpdateBoundsFromWindow() {
    if (!Handle()) return;
    RECT r;
    GetWindowRect(Handle(), &r);
    HWND parentWindow = GetParent(Handle());
    if (parentWindow && (GetWindowLongA(Handle(), GWL_STYLE) & WS_CHILD)) {
        MapWindowPoints(HWND_DESKTOP, parentWindow, reinterpret_cast<POINT*>(&r), 2);
    }
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (Handle()) {
        SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (parent_ && align_ != TAlign::alNone) parent_->Realign();
}

int TControl::ClientWidth() const {
    RECT r{};
    if (Handle()) GetClientRect(Handle(), &r);
    return r.right;
}

int TControl::ClientHeight() const {
    RECT r{};
    if (Handle()) GetClientRect(Handle(), &r);
    return r.bottom;
}

void TControl::SetAlign(TAlign align) {
    if (align == align_) return;
    // Turned between left/right and top/bottom, a control keeps its thickness:
    // width and height swap, out of the layout so the old alignment cannot
    // stretch it in between.
    auto vertical = [](TAlign a) { return a == TAlign::alLeft || a == TAlign::alRight; };
    auto horizontal = [](TAlign a) { return a == TAlign::alTop || a == TAlign::alBottom; };
    if ((vertical(align_) && horizontal(align)) || (horizontal(align_) && vertical(align))) {
        align_ = TAlign::alNone;
        SetBounds(left_, top_, height_, width_);
    }
    align_ = align;
    if (parent_) parent_->Realign();
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (Handle()) ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
    if (parent_ && align_ != TAlign::alNone) parent_->Realign();
}

bool TControl::Enabled() const {
    return Handle() && IsWindowEnabled(Handle());
}

void TControl::SetEnabled(bool enabled) {
    if (Handle()) EnableWindow(Handle(), enabled);
}

std::string TControl::Text() const {
    if (!Handle()) return {};
    int n = GetWindowTextLengthA(Handle());
    std::string text(n + 1, '\0');
    n = GetWindowTextA(Handle(), text.data(), n + 1);
    text.resize(std::max(n, 0));
    return text;
}

void TControl::SetText(const std::string& text) {
    if (Handle()) SetWindowTextA(Handle(), text.c_str());
}

void TControl::SetFocus() {
    if (Handle()) ::SetFocus(Handle());
}

bool TControl::Focused() const {
    return Handle() && GetFocus() == Handle();
}

void TControl::Invalidate() {
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TControl::Repaint() {
    if (Handle()) {
        InvalidateRect(Handle(), nullptr, TRUE);
        UpdateWindow(Handle());
    }
}

RECT TControl::AlignRect() const {
    RECT r{};
    if (Handle()) GetClientRect(Handle(), &r);
    return r;
}

void TControl::Realign() {
    if (!aligning_) AlignControls();
}

void TControl::AlignControls() {
    if (!Handle() || aligning_) return;
    aligning_ = true;
    RECT r = AlignRect();
    auto place = [&](TAlign kind) {
        std::vector<std::pair<int, TControl*>> list;
        for (size_t i = 0; i < children_.size(); ++i) {
            TControl* c = children_[i];
            if (c->align_ == kind && c->visible_) list.emplace_back(static_cast<int>(i), c);
        }
        auto key = [kind](const TControl* c) {
            switch (kind) {
            case TAlign::alTop:
                return c->top_;
            case TAlign::alBottom:
                return -(c->top_ + c->height_);
            case TAlign::alLeft:
                return c->left_;
            case TAlign::alRight:
                return -(c->left_ + c->width_);
            default:
                return 0;
            }
        };
        std::stable_sort(list.begin(), list.end(), [&](const auto& a, const auto& b) {
            int ka = key(a.second), kb = key(b.second);
            return ka != kb ? ka < kb : a.first < b.first;
        });
        for (auto& [index, c] : list) {
            int w = c->width_, h = c->height_;
            switch (kind) {
            case TAlign::alTop:
                c->SetBounds(r.left, r.top, r.right - r.left, h);
                r.top += h;
                break;
            case TAlign::alBottom:
                c->SetBounds(r.left, r.bottom - h, r.right - r.left, h);
                r.bottom -= h;
                break;
            case TAlign::alLeft:
                c->SetBounds(r.left, r.top, w, r.bottom - r.top);
                r.left += w;
                break;
            case TAlign::alRight:
                c->SetBounds(r.right - w, r.top, w, r.bottom - r.top);
                r.right -= w;
                break;
            case TAlign::alClient:
                c->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
                break;
            default:
                break;
            }
        }
    };
    place(TAlign::alTop);
    place(TAlign::alBottom);
    place(TAlign::alLeft);
    place(TAlign::alRight);
    place(TAlign::alClient);
    aligning_ = false;
}

bool TControl::HandleReflected(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

namespace {
// The window that sent a notification to its parent, or null.
HWND NotificationSource(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NOTIFY:
        return reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
        return reinterpret_cast<HWND>(lParam);
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        return draw->CtlType == ODT_MENU ? nullptr : draw->hwndItem;
    }
    case WM_DELETEITEM:
        return reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->hwndItem;
    case WM_COMPAREITEM:
        return reinterpret_cast<COMPAREITEMSTRUCT*>(lParam)->hwndItem;
    }
    (void)wParam;
    return nullptr;
}
} // namespace

TControl* TControl::ChildWithId(UINT id) const {
    // A control asks for its item sizes while it is still being created, before
    // it is in the children list; the window already exists and is attached.
    if (!Handle()) return nullptr;
    return dynamic_cast<TControl*>(TWindow::FromHandle(GetDlgItem(Handle(), static_cast<int>(id))));
}

LRESULT TControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (HWND source = NotificationSource(msg, wParam, lParam); source && source != Handle()) {
        if (auto* child = dynamic_cast<TControl*>(TWindow::FromHandle(source))) {
            LRESULT result = 0;
            if (child->HandleReflected(msg, wParam, lParam, result)) return result;
        }
    }
    if (msg == WM_MEASUREITEM) {
        // Only the id is known here (menus send none).
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_MENU) {
            if (TControl* child = ChildWithId(measure->CtlID); child && child != this) {
                LRESULT result = 0;
                if (child->HandleReflected(msg, wParam, lParam, result)) return result;
            }
        }
    }
    switch (msg) {
    case WM_SETFONT:
        if (!IsSubclassed()) {
            font_ = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(lParam)) Invalidate();
            return 0;
        }
        break;
    case WM_GETFONT:
        if (!IsSubclassed()) return reinterpret_cast<LRESULT>(font_);
        break;
    case WM_CONTEXTMENU:
        if (popupMenu_ && reinterpret_cast<HWND>(wParam) == Handle()) {
            int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
            if (x == -1 && y == -1) { // from the keyboard
                RECT r;
                GetWindowRect(Handle(), &r);
                x = r.left + 4;
                y = r.top + 4;
            }
            popupMenu_->Owner = Handle();
            popupMenu_->Popup(x, y);
            return 0;
        }
        break;
    case WM_SIZE: {
        LRESULT result = DefaultProc(msg, wParam, lParam);
        UpdateBoundsFromWindow();
        AlignControls();
        if (OnResize) OnResize();
        return result;
    }
    case WM_MOVE: {
        LRESULT result = DefaultProc(msg, wParam, lParam);
        UpdateBoundsFromWindow();
        return result;
    }
    }
    return DefaultProc(msg, wParam, lParam);
}

// ---- TPanel

namespace {
const char* const kPanelClass = "VelmoraPanel";
}

TPanel::TPanel(const Params& p) : inner_(p.bevelInner), outer_(p.bevelOuter) {
    RegisterWindowClass(kPanelClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, nullptr,
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    WindowParams wp;
    wp.className = kPanelClass;
    wp.style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (p.visible ? WS_VISIBLE : 0);
    wp.bounds = p.bounds;
    wp.text = p.caption;
    CreateControl(p.parent, wp);
    SetAlign(p.align);
}

int TPanel::BevelWidth() const {
    return (inner_ != TBevel::bvNone ? 1 : 0) + (outer_ != TBevel::bvNone ? 1 : 0);
}

RECT TPanel::AlignRect() const {
    RECT r = TControl::AlignRect();
    InflateRect(&r, -BevelWidth(), -BevelWidth());
    return r;
}

LRESULT TPanel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT r;
        GetClientRect(Handle(), &r);
        auto bevel = [&](TBevel kind) {
            if (kind == TBevel::bvNone) return;
            {
                PenHandle light(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)));
                PenHandle dark(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
                HPEN topLeft = kind == TBevel::bvRaised ? light.get() : dark.get();
                HPEN bottomRight = kind == TBevel::bvRaised ? dark.get() : light.get();
                SelectedObject pen(dc, topLeft);
                MoveToEx(dc, r.left, r.bottom - 1, nullptr);
                LineTo(dc, r.left, r.top);
                LineTo(dc, r.right - 1, r.top);
                SelectObject(dc, bottomRight);
                LineTo(dc, r.right - 1, r.bottom - 1);
                LineTo(dc, r.left - 1, r.bottom - 1);
            }
            InflateRect(&r, -1, -1);
        };
        bevel(outer_);
        bevel(inner_);
        EndPaint(Handle(), &ps);
        return 0;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

} // namespace tk
