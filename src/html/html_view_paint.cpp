// THtmlView: painting the surface and the frame, and the animations' steps.
#include "html/html_view.h"

#include "html/form_windows.h"
#include "html/html_view_internal.h"
#include "html/images/gif_image.h"
#include "toolkit/gdi.h"

namespace velmora::html {

using namespace view_internal;

// ---- painting ----

void THtmlView::PaintSurface() {
    if (noPaint_) {
        ValidateRect(surface_->Handle(), nullptr);
        return;
    }
    TGdiPaintHooks hooks;
    hooks.PlaceControl = [this](const TFormControlObj& control, int32_t x, int32_t y) {
        forms_->Place(control, x, y);
    };
    if (background_ && viewImages_) {
        images::TGraphic* picture = background_->Picture();
        if (auto* gif = dynamic_cast<images::TGIFImage*>(picture))
            hooks.BackgroundPicture = gif->Bitmap();
        else
            hooks.BackgroundPicture = dynamic_cast<images::TBitmap*>(picture);
        hooks.BackgroundMask = background_->Mask();
    }
    view_.CaretPos = caretPos_;
    PaintWindow(surface_->Handle(), *doc_, view_, OriginX(), metrics_, hooks);
}

bool THtmlView::HasFrame() const {
    return borderStyle_ == THTMLBorderStyle::htSingle ||
           (borderStyle_ == THTMLBorderStyle::htFocused && GetFocus() == Handle());
}

void THtmlView::PaintFrame(HDC dc) {
    RECT r{};
    GetClientRect(Handle(), &r);
    if (HasFrame()) {
        tk::BrushHandle frame(CreateSolidBrush(GetSysColor(COLOR_WINDOWFRAME)));
        FrameRect(dc, &r, frame.get());
        InflateRect(&r, -1, -1);
    } else if (borderStyle_ == THTMLBorderStyle::htFocused) {
        tk::BrushHandle back(CreateSolidBrush(doc_->Background & 0xFFFFFF));
        FrameRect(dc, &r, back.get());
        InflateRect(&r, -1, -1);
    }
    // The corner between the two bars.
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
}

// ---- animations ----

void THtmlView::StartAnimations() {
    animationTimer_.SetEnabled(!doc_->Animations.empty());
}

void THtmlView::AnimationTick() {
    const RECT visible{0, 0, SurfaceWidth(), SurfaceHeight()};
    bool running = false;
    for (TImageObj* image : doc_->Animations) {
        images::TGIFImage* gif = AnimationOf(*image);
        if (!gif || !gif->Animating()) continue;
        running = true;
        const int32_t frame = image->Linked ? 1 : 0;
        RECT r{image->DrawX + frame + OriginX(), image->DrawY + frame - view_.ScrollY, 0, 0};
        r.right = r.left + image->ImageWidth;
        r.bottom = r.top + image->ImageHeight;
        RECT shown{};
        // Only what is on screen steps: a picture scrolled away waits.
        if (!IntersectRect(&shown, &r, &visible)) continue;
        const int before = gif->FrameIndex();
        gif->StepAnimation(nullptr);
        if (gif->FrameIndex() != before) InvalidateRect(surface_->Handle(), &shown, FALSE);
    }
    if (!running) animationTimer_.SetEnabled(false);
}

} // namespace velmora::html
