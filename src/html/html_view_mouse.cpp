// THtmlView: the mouse (selection by dragging, automatic scrolling, panning,
// links and pictures under the mouse, clicks) and the selection's commands.
#include "html/html_view.h"

#include "html/form_windows.h"
#include "html/html_view_internal.h"
#include "html/images/display.h"
#include "html/images/gif_image.h"
#include "toolkit/clipboard.h"
#include "toolkit/controls.h"

#include <algorithm>
#include <cstdlib>

namespace velmora::html {

using namespace view_internal;

namespace {

constexpr size_t kClipboardLimit = 32499;

UINT ShiftOf(WPARAM keys) {
    return tk::KeyboardShiftState() | ((keys & MK_LBUTTON) ? 0x100u : 0u);
}

} // namespace

// ---- the mouse ----

int32_t THtmlView::PosAt(int32_t x, int32_t y) {
    TCaretInfo caret;
    const int32_t docY = DocY(y);
    const int32_t pos = doc_->CaretPosAt(DocX(x), docY, caret);
    if (pos >= 0) return pos;
    if (doc_->Sections.empty()) return 0;
    const TSectionBase& last = *doc_->Sections.back();
    if (docY >= last.YValue) return last.StartCurs + last.Len;
    // Between sections: the start of the next one down.
    for (const auto& s : doc_->Sections)
        if (s->YValue >= docY) return s->StartCurs;
    return caretPos_;
}

void THtmlView::ExtendSelection(int32_t pos) {
    caretPos_ = pos;
    if (selAnchor_ < 0) selAnchor_ = pos;
    const int32_t b = std::min(selAnchor_, pos), e = std::max(selAnchor_, pos);
    if (b == view_.SelB && e == view_.SelE) return;
    view_.SelB = b;
    view_.SelE = e;
    surface_->Invalidate();
}

int32_t THtmlView::SelLength() const {
    if (view_.SelB < 0) return 0;
    return caretPos_ == view_.SelB ? view_.SelE - view_.SelB : view_.SelB - view_.SelE;
}

void THtmlView::SetHotSpot(const std::string& url, const std::string& target) {
    if (url == hotSpotUrl_ && target == hotSpotTarget_) return;
    hotSpotUrl_ = url;
    hotSpotTarget_ = target;
    if (OnHotSpotCovered) OnHotSpotCovered(url);
}

void THtmlView::UpdateCursor() {
    if (panning_) {
        const int32_t d = mouseY_ - panStartY_;
        cursor_ = images::ViewerCursor(std::abs(d) <= 20 ? 3 : (d < 0 ? 4 : 5));
    }
    if (GetCapture() == surface_->Handle() || WindowFromPoint([] {
                                                  POINT p{};
                                                  GetCursorPos(&p);
                                                  return p;
                                              }()) == surface_->Handle())
        SetCursor(cursor_ ? cursor_ : LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
}

namespace {

// The ACTIVE rule: a picture that reacts to the mouse runs only under it.
void SetImageHover(TSectionList& doc, TImageObj* image, bool hover) {
    if (!image) return;
    image->Hover = hover;
    if (!image->Active) return;
    images::TGIFImage* gif = AnimationOf(*image);
    if (!gif) return;
    if (hover) {
        if (gif->FrameCount() == 2)
            gif->SetFrameIndex(2);
        else {
            gif->SetAnimating(true);
            if (std::find(doc.Animations.begin(), doc.Animations.end(), image) == doc.Animations.end())
                doc.Animations.push_back(image);
        }
    } else {
        gif->SetAnimating(false);
        gif->SetFrameIndex(1);
        std::erase(doc.Animations, image);
    }
}

} // namespace

void THtmlView::MouseMove(WPARAM keys, int32_t x, int32_t y) {
    const UINT shift = ShiftOf(keys);
    if (OnMouseMove) OnMouseMove(shift, x, y);
    mouseX_ = x;
    mouseY_ = y;
    if (panning_) {
        if (std::abs(y - panStartY_) > 20) autoScrollTimer_.SetEnabled(true);
        UpdateCursor();
        return;
    }
    TSectionList& doc = *doc_;
    TSection* oldSection = doc.HoverSection;
    const int32_t oldRun = doc.HoverRun;
    TImageObj* oldImage = doc.HoverImage;
    doc.HoverSection = nullptr;
    doc.HoverRun = -1;
    doc.HoverImage = nullptr;
    THotSpot hit;
    const int32_t dx = DocX(x), dy = DocY(y);
    const bool onSpot = !processing_ && doc.HotSpotAt(dx, dy, hit);
    int32_t ix = 0, iy = 0;
    TImageObj* image = processing_ ? nullptr : doc.ImageAt(dx, dy, ix, iy);
    if (doc.LinksActive && (oldSection != doc.HoverSection || oldRun != doc.HoverRun)) {
        if (oldSection && oldRun >= 0 && oldRun < static_cast<int32_t>(oldSection->Fonts.size()))
            oldSection->Fonts[static_cast<size_t>(oldRun)].SetHover(doc, false);
        if (doc.HoverSection && doc.HoverRun >= 0)
            doc.HoverSection->Fonts[static_cast<size_t>(doc.HoverRun)].SetHover(doc, true);
        surface_->Invalidate();
    }
    if (oldImage != doc.HoverImage) {
        SetImageHover(doc, oldImage, false);
        SetImageHover(doc, doc.HoverImage, true);
        StartAnimations();
        surface_->Invalidate();
    }
    const bool onLink = onSpot && (!hit.Url.empty() || hit.Control);
    TCaretInfo caret;
    if (onLink)
        cursor_ = images::ViewerCursor(1);
    else if (image && (OnImageClick || OnImageOver))
        cursor_ = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    else if (!processing_ && doc.CaretPosAt(dx, dy, caret) >= 0 && caret.InText)
        cursor_ = images::ViewerCursor(2);
    else
        cursor_ = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    if (image && OnImageOver) OnImageOver(image, shift, ix, iy);
    UpdateCursor();
    hoverTimer_.SetEnabled(onLink || image);
    SetHotSpot(onLink ? hit.Url : std::string(), onLink ? hit.Target : std::string());
    if (leftDown_ && !noSelect_) {
        if (y <= 0 || y >= SurfaceHeight()) autoScrollTimer_.SetEnabled(true);
        dragMoved_ = true;
        ExtendSelection(PosAt(x, Clamp(y, 0, std::max(0, SurfaceHeight() - 1))));
    }
    if (OnMouseMove) OnMouseMove(shift, x, y);
}

void THtmlView::MouseDown(int button, WPARAM keys, int32_t x, int32_t y) {
    if (OnMouseDown) OnMouseDown(button, ShiftOf(keys), x, y);
    SetFocus();
    if (panning_) {
        panning_ = false;
        autoScrollTimer_.SetEnabled(false);
        cursor_ = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        UpdateCursor();
        return;
    }
    linkClicked_ = false;
    if (button == 1) {
        leftDown_ = true;
        dragMoved_ = false;
        SetCapture(surface_->Handle());
        const int32_t pos = PosAt(x, y);
        const bool visible = view_.HasSelection();
        selAnchor_ = caretPos_ = pos;
        view_.SelB = view_.SelE = pos;
        if (visible) surface_->Invalidate();
    } else if (button == 3) {
        panning_ = true;
        panStartY_ = mouseY_ = y;
        UpdateCursor();
    }
}

void THtmlView::MouseUp(int button, WPARAM keys, int32_t x, int32_t y) {
    const UINT shift = ShiftOf(keys);
    if (panning_) {
        if (button != 3 || y != panStartY_) {
            panning_ = false;
            autoScrollTimer_.SetEnabled(false);
            cursor_ = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
            UpdateCursor();
        }
        if (OnMouseUp) OnMouseUp(button, shift, x, y);
        return;
    }
    const int32_t dx = DocX(x), dy = DocY(y);
    if (button == 1 && leftDown_) {
        leftDown_ = false;
        autoScrollTimer_.SetEnabled(false);
        if (GetCapture() == surface_->Handle()) ReleaseCapture();
        if (!noSelect_) ExtendSelection(PosAt(x, Clamp(y, 0, std::max(0, SurfaceHeight() - 1))));
        THotSpot hit;
        const bool onSpot = doc_->HotSpotAt(dx, dy, hit);
        int32_t ix = 0, iy = 0;
        TImageObj* image = doc_->ImageAt(dx, dy, ix, iy);
        if (image && OnImageClick) OnImageClick(image, button, shift, ix, iy);
        if (onSpot && hit.Control && hit.Control->Kind == TControlKind::Image && hit.Control->Form) {
            TFormControlObj& control = *hit.Control;
            if (OnObjectClick) OnObjectClick(&control, control.OnClick);
            forms_->SetClickPoint(control, hit.ControlX, hit.ControlY);
            if (OnFormSubmit) SubmitForm(*control.Form, forms_->Submission(*control.Form, &control));
        } else if (onSpot && !hit.Url.empty() && !view_.HasSelection()) {
            hotSpotUrl_ = hit.Url;
            hotSpotTarget_ = hit.Target;
            linkClicked_ = true;
            HotSpotClick(hit.Url);
            return; // the document may be another one now
        }
    } else if (button == 2 && OnRightClick) {
        TRightClickParameters p;
        p.Image = doc_->ImageAt(dx, dy, p.ImageX, p.ImageY);
        THotSpot hit;
        if (doc_->HotSpotAt(dx, dy, hit)) {
            p.URL = hit.Url;
            p.Target = hit.Target;
        }
        TCaretInfo caret;
        int32_t b = 0, e = 0;
        const int32_t pos = doc_->CaretPosAt(dx, dy, caret);
        if (pos >= 0 && WordAt(*doc_, pos, b, e)) doc_->CopySelectedText(b, e, p.ClickWord);
        OnRightClick(p);
    }
    if (OnMouseUp) OnMouseUp(button, shift, x, y);
}

void THtmlView::DoubleClick(WPARAM keys, int32_t x, int32_t y) {
    if (processing_ || linkClicked_) {
        linkClicked_ = false;
        return;
    }
    if (!noSelect_) {
        TCaretInfo caret;
        const int32_t pos = doc_->CaretPosAt(DocX(x), DocY(y), caret);
        int32_t b = 0, e = 0;
        if (pos >= 0 && WordAt(*doc_, pos, b, e)) {
            view_.SelB = b;
            view_.SelE = e;
            caretPos_ = b;
            selAnchor_ = e;
            surface_->Invalidate();
        }
    }
    if (OnMouseDouble) OnMouseDouble(1, ShiftOf(keys), x, y);
}

void THtmlView::AutoScroll() {
    const int32_t h = SurfaceHeight();
    if (leftDown_ && !noSelect_) {
        int32_t step = 0;
        if (mouseY_ < 0)
            step = -(mouseY_ < -15 ? 8 : 1) * kVLineStep;
        else if (mouseY_ >= h)
            step = (mouseY_ > h + 15 ? 8 : 1) * kVLineStep;
        if (!step) {
            autoScrollTimer_.SetEnabled(false);
            return;
        }
        ScrollTo(view_.ScrollY + step, true);
        ExtendSelection(PosAt(mouseX_, Clamp(mouseY_, 0, std::max(0, h - 1))));
    } else if (panning_) {
        const int32_t d = mouseY_ - panStartY_;
        const int32_t distance = std::abs(d);
        if (distance <= 20) {
            autoScrollTimer_.SetEnabled(false);
            UpdateCursor();
            return;
        }
        const int32_t step = distance > 60 ? 32 : 8;
        ScrollTo(view_.ScrollY + (d < 0 ? -step : step), true);
        UpdateCursor();
    } else
        autoScrollTimer_.SetEnabled(false);
}

void THtmlView::HoverTick() {
    POINT p{};
    GetCursorPos(&p);
    if (WindowFromPoint(p) == surface_->Handle()) return;
    TSectionList& doc = *doc_;
    if (doc.HoverSection && doc.HoverRun >= 0) {
        if (doc.LinksActive) doc.HoverSection->Fonts[static_cast<size_t>(doc.HoverRun)].SetHover(doc, false);
        surface_->Invalidate();
    }
    doc.HoverSection = nullptr;
    doc.HoverRun = -1;
    if (doc.HoverImage) {
        SetImageHover(doc, doc.HoverImage, false);
        doc.HoverImage = nullptr;
        surface_->Invalidate();
    }
    hoverTimer_.SetEnabled(false);
    SetHotSpot("", "");
}

// ---- selection, find, copy ----

bool THtmlView::Find(const std::string& text, bool matchCase) {
    if (text.empty() || processing_) return false;
    const std::string what = text.substr(0, 255);
    const int32_t pos = doc_->SearchText(what, matchCase, std::max(0, caretPos_));
    if (pos < 0) return false;
    view_.SelB = pos;
    view_.SelE = pos + static_cast<int32_t>(what.size());
    caretPos_ = view_.SelE;
    selAnchor_ = view_.SelB;
    int32_t x = 0, y = 0;
    if (doc_->CaretPosToXY(pos, x, y)) ScrollIntoView(y);
    surface_->Invalidate();
    return true;
}

void THtmlView::SelectAll() {
    if (noSelect_ || doc_->Sections.empty()) return;
    const TSectionBase& last = *doc_->Sections.back();
    view_.SelB = 0;
    view_.SelE = last.StartCurs + last.Len;
    caretPos_ = 0;
    selAnchor_ = view_.SelE;
    surface_->Invalidate();
}

std::string THtmlView::SelectedText() const {
    std::string out;
    if (!view_.HasSelection()) return out;
    doc_->CopySelectedText(view_.SelB, view_.SelE, out);
    if (out.size() > kClipboardLimit) out.resize(kClipboardLimit);
    return out;
}

void THtmlView::CopyToClipboard() {
    const std::string text = SelectedText();
    if (!text.empty()) tk::SetClipboardText(text);
}

void THtmlView::SetNoSelect(bool v) {
    noSelect_ = v;
    if (v) {
        view_.SelB = view_.SelE = -1;
        surface_->Invalidate();
    }
}

} // namespace velmora::html
