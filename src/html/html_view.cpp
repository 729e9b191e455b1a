#include "html/html_view.h"

#include "html/form_windows.h"
#include "html/html_view_internal.h"
#include "html/images/display.h"
#include "html/images/image_cache.h"
#include "html/table.h"
#include "html/text_util.h"
#include "toolkit/dialogs.h"
#include "toolkit/gdi.h"
#include "toolkit/messages.h"

#include <algorithm>
#include <windowsx.h>

namespace velmora::html {

namespace {

constexpr const char* kViewClass = "VelmoraHtmlView";
constexpr const char* kSurfaceClass = "VelmoraHtmlSurface";

// A submission waiting for its posted message.
struct PendingSubmit {
    std::string Action, Target, EncType, Method;
    std::vector<std::string> Results;
};

} // namespace

// ---- the drawing surface ----

THtmlView::Surface::Surface(THtmlView& view) : view_(view) {
    RegisterWindowClass(kSurfaceClass, CS_DBLCLKS, nullptr, nullptr);
    tk::WindowParams wp;
    wp.className = kSurfaceClass;
    wp.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    CreateControl(&view, wp);
}

LRESULT THtmlView::Surface::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    const LRESULT result = view_.SurfaceMessage(msg, wParam, lParam, handled);
    return handled ? result : TControl::WndProc(msg, wParam, lParam);
}

// ---- construction ----

THtmlView::THtmlView(const Params& params) {
    images::InitializeDisplay();
    RegisterWindowClass(kViewClass, CS_DBLCLKS, LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)), nullptr);
    tk::WindowParams wp;
    wp.className = kViewClass;
    wp.style = WS_CHILD | WS_CLIPCHILDREN | WS_TABSTOP;
    CreateControl(params, wp);
    defBackground_ = GetSysColor(COLOR_BTNFACE);
    defFontColor_ = GetSysColor(COLOR_BTNTEXT);
    doc_ = std::make_unique<TSectionList>(metrics_);
    doc_->OnBackgroundChange = [this](TColor) { Invalidate(); };
    doc_->OnSizeControls = [this] { forms_->Size(*doc_); };
    // A table the layout cannot take is removed and the user told why.
    doc_->OnLayoutError = [this](const std::string& message) {
        layoutErrors_ = true;
        tk::ShowError(message);
    };
    pictures_.Resolve = [this](const std::string& source) { return ExpandName(source); };
    pictures_.Document = doc_.get();
    doc_->Pictures = &pictures_;
    surface_ = std::make_unique<Surface>(*this);
    vbar_ = std::make_unique<T32ScrollBar>(this, true);
    hbar_ = std::make_unique<T32ScrollBar>(this, false);
    vbar_->OnScroll = [this](int code) { VScroll(code); };
    hbar_->OnScroll = [this](int code) { HScroll(code); };
    TFormWindows::Hooks hooks;
    hooks.Clicked = [this](TFormControlObj& c) {
        if (OnObjectClick) OnObjectClick(&c, c.OnClick);
    };
    hooks.Submit = [this](ThtmlForm& form, TFormControlObj* submitter) {
        if (OnFormSubmit) SubmitForm(form, forms_->Submission(form, submitter));
    };
    hooks.Focused = [this](TFormControlObj& c) { ControlFocused(c); };
    hooks.FocusLeft = [this] {
        forms_->HideAll();
        surface_->Invalidate();
    };
    forms_ = std::make_unique<TFormWindows>(std::move(hooks));
    hoverTimer_.SetEnabled(false);
    hoverTimer_.SetInterval(200);
    hoverTimer_.OnTimer = [this] { HoverTick(); };
    animationTimer_.SetEnabled(false);
    animationTimer_.SetInterval(50);
    animationTimer_.OnTimer = [this] { AnimationTick(); };
    autoScrollTimer_.SetEnabled(false);
    autoScrollTimer_.SetInterval(100);
    autoScrollTimer_.OnTimer = [this] { AutoScroll(); };
    images::ImageCache().SetMaxImageAge(imageCacheCount_);
    ApplyDefaults();
    ArrangeScrollBars();
}

THtmlView::~THtmlView() {
    ReleaseDocument();
}

void THtmlView::ReleaseDocument() {
    hoverTimer_.SetEnabled(false);
    animationTimer_.SetEnabled(false);
    autoScrollTimer_.SetEnabled(false);
    forms_->Clear();
    pictures_.Waiting.clear();
    pictures_.Broken.clear();
    background_.reset();
    doc_->Clear();
}

HWND THtmlView::SurfaceHandle() const {
    return surface_->Handle();
}

int32_t THtmlView::SurfaceWidth() const {
    return surface_->Width();
}

int32_t THtmlView::SurfaceHeight() const {
    return surface_->Height();
}

// ---- forms ----

void THtmlView::SubmitForm(ThtmlForm& form, const std::vector<std::string>& results) {
    if (!OnFormSubmit) return;
    // Raised once the click that caused it has been handled.
    auto* pending = new PendingSubmit{form.Action, form.Target, form.EncType, form.Method, results};
    if (!PostMessageA(Handle(), tk::pmHtmlFormSubmit, 0, reinterpret_cast<LPARAM>(pending))) delete pending;
}

void THtmlView::ControlFocused(TFormControlObj& control) {
    ScrollIntoView(control.YValue);
    forms_->ShowOutOfSight();
}

// ---- messages ----

LRESULT THtmlView::SurfaceMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    const int32_t x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_PAINT:
        PaintSurface();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        MouseMove(wParam, x, y);
        return 0;
    case WM_LBUTTONDOWN:
        MouseDown(1, wParam, x, y);
        return 0;
    case WM_RBUTTONDOWN:
        MouseDown(2, wParam, x, y);
        return 0;
    case WM_MBUTTONDOWN:
        MouseDown(3, wParam, x, y);
        return 0;
    case WM_LBUTTONUP:
        MouseUp(1, wParam, x, y);
        return 0;
    case WM_RBUTTONUP:
        MouseUp(2, wParam, x, y);
        return 0;
    case WM_MBUTTONUP:
        MouseUp(3, wParam, x, y);
        return 0;
    case WM_LBUTTONDBLCLK:
        DoubleClick(wParam, x, y);
        return 0;
    case WM_MOUSEWHEEL:
        return SendMessageA(Handle(), msg, wParam, lParam);
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != surface_->Handle()) {
            leftDown_ = false;
            autoScrollTimer_.SetEnabled(panning_ && autoScrollTimer_.Enabled());
        }
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            SetCursor(tk::Hourglass::Active()
                          ? tk::Hourglass::WaitCursor()
                          : (cursor_ ? cursor_ : LoadCursorA(nullptr, MAKEINTRESOURCEA(32512))));
            return TRUE;
        }
        break;
    default:
        break;
    }
    handled = false;
    return 0;
}

LRESULT THtmlView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        if (doc_) PaintFrame(dc);
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (borderStyle_ == THTMLBorderStyle::htFocused) InvalidateRect(Handle(), nullptr, FALSE);
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN: {
        WORD key = static_cast<WORD>(wParam);
        if (OnKeyDown) OnKeyDown(key, tk::KeyboardShiftState());
        if (key) KeyDown(key);
        return 0;
    }
    case WM_MOUSEWHEEL: {
        const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        ScrollTo(view_.ScrollY - delta / 2, false);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
        SetFocus();
        break;
    case WM_SIZE: {
        const LRESULT result = TControl::WndProc(msg, wParam, lParam);
        // (Also sent while the window is made, before its parts exist.)
        if (!doc_ || !surface_ || !vbar_ || !hbar_ || !forms_) return result;
        if (processing_)
            ArrangeScrollBars();
        else
            RelayoutKeepingPosition();
        return result;
    }
    default:
        if (msg == tk::pmHtmlFormSubmit) {
            std::unique_ptr<PendingSubmit> pending(reinterpret_cast<PendingSubmit*>(lParam));
            if (pending && OnFormSubmit)
                OnFormSubmit(pending->Action, pending->Target, pending->EncType, pending->Method,
                             std::move(pending->Results));
            return 0;
        }
        break;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

// ---- properties ----

void THtmlView::SetDefBackground(TColor c) {
    if (processing_) return;
    defBackground_ = c;
    doc_->SetBackground(c);
    surface_->Invalidate();
}

void THtmlView::SetBorderStyle(THTMLBorderStyle s) {
    borderStyle_ = s;
    ArrangeScrollBars();
    Invalidate();
}

void THtmlView::SetDefFontName(const std::string& name) {
    if (SameTextIgnoringCase(name, defFontName_)) return;
    defFontName_ = name;
    ApplyDefaults();
    RelayoutKeepingPosition();
}

void THtmlView::SetDefPreFontName(const std::string& name) {
    if (SameTextIgnoringCase(name, defPreFontName_)) return;
    defPreFontName_ = name;
    ApplyDefaults();
    RelayoutKeepingPosition();
}

void THtmlView::SetDefFontSize(int32_t size) {
    defFontSize_ = std::max(6, size);
    ApplyDefaults();
    RelayoutKeepingPosition();
}

void THtmlView::SetCharSet(uint8_t c) {
    charSet_ = c;
    ApplyDefaults();
    RelayoutKeepingPosition();
}

void THtmlView::SetDefFontColor(TColor c) {
    defFontColor_ = c;
    ApplyDefaults();
    surface_->Invalidate();
}

void THtmlView::SetDefHotSpotColor(TColor c) {
    defHotSpotColor_ = c;
    ApplyDefaults();
    surface_->Invalidate();
}

void THtmlView::SetDefVisitedLinkColor(TColor c) {
    defVisitedColor_ = c;
    ApplyDefaults();
    surface_->Invalidate();
}

void THtmlView::SetDefOverLinkColor(TColor c) {
    defOverLinkColor_ = c;
    ApplyDefaults();
    surface_->Invalidate();
}

void THtmlView::SetImageCacheCount(int n) {
    imageCacheCount_ = std::clamp(n, 0, 20);
    images::ImageCache().SetMaxImageAge(imageCacheCount_);
}

void THtmlView::SetScrollBars(tk::TScrollStyle s) {
    scrollBars_ = s;
    if (Handle()) RelayoutKeepingPosition();
}

void THtmlView::SetMarginHeight(int32_t v) {
    if (processing_ || v < 0) return;
    marginHeight_ = currentMarginHeight_ = std::min(v, 200);
    RelayoutKeepingPosition();
}

void THtmlView::SetMarginWidth(int32_t v) {
    if (processing_ || v < 0) return;
    marginWidth_ = currentMarginWidth_ = std::min(v, 200);
    RelayoutKeepingPosition();
}

void THtmlView::SetServerRoot(const std::string& root) {
    serverRoot_ = TrimCopy(root);
    if (!serverRoot_.empty() && serverRoot_.back() == '\\') serverRoot_.pop_back();
}

void THtmlView::SethtOptions(uint8_t options) {
    options_ = options;
    doc_->LinksActive = (options_ & htOverLinksActive) != 0;
    doc_->LinkStyle = (options_ & htNoLinkUnderline) ? 0 : fsUnderline;
    doc_->ShowDummyCaret = (options_ & htShowDummyCaret) != 0;
    ArrangeScrollBars();
    surface_->Invalidate();
}

void THtmlView::SetViewImages(bool v) {
    if (processing_ || v == viewImages_) return;
    viewImages_ = v;
    doc_->ShowImages = v;
    // Every picture is asked for again (or replaced by its placeholder).
    // Tables' cells (their captions, nested tables) hold pictures too.
    std::function<void(TCell&)> reset = [&](TCell& cell) {
        for (auto& s : cell.Sections) {
            if (auto* section = dynamic_cast<TSection*>(s.get())) {
                for (const auto& image : section->Images()) {
                    image->Picture.reset();
                    image->Kind = TImageObj::pkNone;
                    image->ImageKnown = false;
                }
            } else if (auto* table = dynamic_cast<ThtmlTable*>(s.get())) {
                for (TCell* inner : table->CellsInOrder())
                    reset(*inner);
            }
        }
    };
    doc_->Animations.clear();
    pictures_.Waiting.clear();
    pictures_.Broken.clear();
    reset(*doc_);
    LoadBackground();
    RelayoutKeepingPosition();
}

} // namespace velmora::html
