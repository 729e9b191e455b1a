// THtmlView: the 32-bit scroll bars, their arrangement, scrolling by bar,
// keys and anchors, and positions kept across layouts.
#include "html/html_view.h"

#include "base/os.h"
#include "html/form_windows.h"
#include "html/html_view_internal.h"

#include <algorithm>
#include <cstdlib>

namespace velmora::html {

using namespace view_internal;

// ---- the 32-bit scroll bar ----

T32ScrollBar::T32ScrollBar(tk::TControl* parent, bool vertical) : vertical_(vertical) {
    tk::WindowParams wp;
    wp.className = "SCROLLBAR";
    wp.style = WS_CHILD | (vertical ? SBS_VERT : SBS_HORZ);
    CreateControl(parent, wp);
}

void T32ScrollBar::SetParams(int32_t position, int32_t min, int32_t max, int32_t page) {
    if (written_ && position == position_ && min == min_ && max == max_ && page == page_) return;
    position_ = position;
    min_ = min;
    max_ = max;
    page_ = page;
    Write();
}

void T32ScrollBar::Write() {
    if (!Handle()) return;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL | (KeepVisible ? SIF_DISABLENOSCROLL : 0);
    si.nMin = min_;
    si.nMax = max_;
    si.nPage = static_cast<UINT>(std::max(0, page_));
    si.nPos = position_;
    si.nTrackPos = position_;
    // Drawn with the next paint, not now: a page's load or scroll writes the
    // bars several times, and under Wine each drawing of a themed bar costs
    // milliseconds.
    SetScrollInfo(Handle(), SB_CTL, &si, FALSE);
    InvalidateRect(Handle(), nullptr, FALSE);
    written_ = true;
}

void T32ScrollBar::SetNeeded(bool needed) {
    Needed = needed;
    SetVisible(needed || KeepVisible);
    if (KeepVisible) EnableScrollBar(Handle(), SB_CTL, needed ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
}

int32_t T32ScrollBar::TrackPosition() const {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS;
    return GetScrollInfo(Handle(), SB_CTL, &si) ? si.nTrackPos : position_;
}

bool T32ScrollBar::HandleReflected(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if ((msg == WM_VSCROLL && vertical_) || (msg == WM_HSCROLL && !vertical_)) {
        if (OnScroll) OnScroll(LOWORD(wParam));
        result = 0;
        return true;
    }
    return false;
}

// ---- scroll bars ----

void THtmlView::ArrangeScrollBars() {
    if (!surface_ || !vbar_ || !hbar_) return;
    const int32_t w = ClientWidth(), h = ClientHeight();
    const int32_t frame = borderStyle_ == THTMLBorderStyle::htNone ? 0 : 1;
    const int32_t sb = GetSystemMetrics(SM_CXVSCROLL), sbh = GetSystemMetrics(SM_CYHSCROLL);
    const int32_t need = 2 * currentMarginWidth_ + std::min(maxLineWidth_, 6000);
    const bool hAllowed =
        scrollBars_ == tk::TScrollStyle::ssHorizontal || scrollBars_ == tk::TScrollStyle::ssBoth;
    const bool vAllowed =
        scrollBars_ == tk::TScrollStyle::ssVertical || scrollBars_ == tk::TScrollStyle::ssBoth;
    const bool showV = vAllowed && (options_ & htShowVScroll);
    bool vNeed = false, hNeed = false;
    if (!vAllowed)
        hNeed = hAllowed && w < need;
    else {
        vNeed = docHeight_ >= h - 2 || (hAllowed && docHeight_ >= h - sbh - 2 && w - sb < need);
        hNeed = hAllowed && (w < need || ((vNeed || showV) && w - sb < need));
    }
    const int32_t surfaceW = std::max(0, w - ((vNeed || showV) ? sb : 0) - 2 * frame);
    const int32_t surfaceH = std::max(0, h - 2 * frame - (hNeed ? sbh : 0));
    surface_->SetBounds(frame, frame, surfaceW, surfaceH);
    hbar_->SetBounds(frame, h - frame - sbh, surfaceW, sbh);
    const int32_t hRange = std::max(need, surfaceW);
    view_.ScrollX = hNeed ? Clamp(view_.ScrollX, 0, std::max(0, hRange - surfaceW)) : 0;
    hbar_->SetParams(view_.ScrollX, 0, hRange, surfaceW);
    hbar_->SetNeeded(hNeed);
    vbar_->KeepVisible = showV;
    vbar_->SetBounds(w - frame - sb, frame, sb, std::max(0, h - 2 * frame));
    view_.ScrollY = Clamp(view_.ScrollY, 0, std::max(0, docHeight_ - surfaceH));
    vbar_->SetParams(view_.ScrollY, 0, docHeight_, surfaceH + 1);
    vbar_->SetNeeded(vNeed);
}

int32_t THtmlView::MaxVertical() const {
    return std::max(0, docHeight_ - SurfaceHeight());
}

// ---- scrolling ----

void THtmlView::ScrollTo(int32_t y, bool byWindowScroll) {
    y = Clamp(y, 0, MaxVertical());
    const int32_t dy = y - view_.ScrollY;
    if (dy == 0) return;
    view_.ScrollY = y;
    vbar_->SetPosition(y);
    if (byWindowScroll && std::abs(dy) < SurfaceHeight()) {
        ScrollWindowEx(surface_->Handle(), 0, -dy, nullptr, nullptr, nullptr, nullptr,
                       SW_INVALIDATE | SW_SCROLLCHILDREN);
        UpdateWindow(surface_->Handle());
    } else {
        forms_->HideAll();
        surface_->Invalidate();
    }
}

void THtmlView::SetPosition(int32_t y) {
    ScrollTo(y, false);
}

void THtmlView::SetHScrollPosition(int32_t x) {
    const int32_t max = std::max(0, hbar_->Max() - SurfaceWidth());
    x = hbar_->Needed ? Clamp(x, 0, max) : 0;
    if (x == view_.ScrollX) return;
    view_.ScrollX = x;
    hbar_->SetPosition(x);
    forms_->HideAll();
    surface_->Invalidate();
}

void THtmlView::VScroll(int code) {
    const int32_t large = SurfaceHeight() - kVLineStep;
    int32_t y = view_.ScrollY;
    switch (code) {
    case SB_LINEUP:
        y -= kVLineStep;
        break;
    case SB_LINEDOWN:
        y += kVLineStep;
        break;
    case SB_PAGEUP:
        y -= large;
        break;
    case SB_PAGEDOWN:
        y += large;
        break;
    case SB_TOP:
        y = 0;
        break;
    case SB_BOTTOM:
        y = MaxVertical();
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        y = vbar_->TrackPosition();
        break;
    default:
        return;
    }
    ScrollTo(y, true);
    SetFocus();
}

void THtmlView::HScroll(int code) {
    const int32_t large = std::max(1, SurfaceWidth() - 20);
    int32_t x = view_.ScrollX;
    switch (code) {
    case SB_LINELEFT:
        x -= kHLineStep;
        break;
    case SB_LINERIGHT:
        x += kHLineStep;
        break;
    case SB_PAGELEFT:
        x -= large;
        break;
    case SB_PAGERIGHT:
        x += large;
        break;
    case SB_LEFT:
        x = 0;
        break;
    case SB_RIGHT:
        x = hbar_->Max();
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        x = hbar_->TrackPosition();
        break;
    default:
        return;
    }
    SetHScrollPosition(x);
    SetFocus();
}

void THtmlView::KeyDown(WORD key) {
    if (panning_) {
        panning_ = false;
        autoScrollTimer_.SetEnabled(false);
        UpdateCursor();
        return;
    }
    const int32_t large = SurfaceHeight() - kVLineStep;
    switch (key) {
    case VK_PRIOR:
        ScrollTo(view_.ScrollY - large, false);
        break;
    case VK_NEXT:
        ScrollTo(view_.ScrollY + large, false);
        break;
    case VK_HOME:
        ScrollTo(0, false);
        break;
    case VK_END:
        ScrollTo(MaxVertical(), false);
        break;
    case VK_UP:
    case VK_DOWN: {
        const int32_t target =
            Clamp(view_.ScrollY + (key == VK_UP ? -kVLineStep : kVLineStep), 0, MaxVertical());
        ScrollTo(target, std::abs(target - view_.ScrollY) == kVLineStep);
        break;
    }
    case VK_LEFT:
        SetHScrollPosition(view_.ScrollX - kHLineStep);
        break;
    case VK_RIGHT:
        SetHScrollPosition(view_.ScrollX + kHLineStep);
        break;
    default:
        break;
    }
}

TPositionCode THtmlView::PositionCode() const {
    return PositionCodeAt(*doc_, view_.ScrollY);
}

void THtmlView::RestorePositionCode(TPositionCode code) {
    ScrollTo(PositionFromCode(*doc_, code), false);
}

bool THtmlView::JumpToAnchor(const std::string& name) {
    std::string key = name;
    if (!key.empty() && key[0] == '#') key.erase(0, 1);
    std::string upper = key;
    for (char& c : upper)
        c = os::UpperAnsi(c);
    auto it = anchors_.find(upper);
    if (it == anchors_.end() || !it->second) return false;
    ScrollTo(it->second->YValue, false);
    SetHScrollPosition(0);
    AddVisited(currentFile_ + "#" + key);
    return true;
}

void THtmlView::ScrollIntoView(int32_t docY) {
    if (docY < view_.ScrollY || docY > view_.ScrollY + SurfaceHeight() - 20)
        ScrollTo(docY - SurfaceHeight() / 2, false);
}

} // namespace velmora::html
