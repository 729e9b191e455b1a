#include "html/html_view.h"

#include "base/os.h"
#include "html/builder.h"
#include "html/form_windows.h"
#include "html/images/display.h"
#include "html/images/gif_image.h"
#include "html/images/image_cache.h"
#include "html/table.h"
#include "html/text_util.h"
#include "toolkit/clipboard.h"
#include "toolkit/controls.h"
#include "toolkit/dialogs.h"
#include "toolkit/gdi.h"
#include "toolkit/messages.h"

#include <algorithm>
#include <windowsx.h>

namespace velmora::html {

namespace {

constexpr const char* kViewClass = "VelmoraHtmlView";
constexpr const char* kSurfaceClass = "VelmoraHtmlSurface";
constexpr int32_t kVLineStep = 16;
constexpr int32_t kHLineStep = 15;
constexpr size_t kClipboardLimit = 32499;

std::string FullPathOf(const std::string& name) {
    if (name.empty()) return name;
    char buffer[MAX_PATH * 2];
    const DWORD n = GetFullPathNameA(name.c_str(), sizeof buffer, buffer, nullptr);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : name;
}

UINT ShiftOf(WPARAM keys) {
    return tk::KeyboardShiftState() | ((keys & MK_LBUTTON) ? 0x100u : 0u);
}

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// A submission waiting for its posted message.
struct PendingSubmit {
    std::string Action, Target, EncType, Method;
    std::vector<std::string> Results;
};

images::TGIFImage* AnimationOf(const TImageObj& image) {
    auto* picture = dynamic_cast<const TCachedPicture*>(image.Picture.get());
    return picture ? picture->Animation() : nullptr;
}

} // namespace

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
    SetScrollInfo(Handle(), SB_CTL, &si, TRUE);
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

// ---- the drawing surface ----

class THtmlView::Surface : public tk::TControl {
public:
    explicit Surface(THtmlView& view) : view_(view) {
        RegisterWindowClass(kSurfaceClass, CS_DBLCLKS, nullptr, nullptr);
        tk::WindowParams wp;
        wp.className = kSurfaceClass;
        wp.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        CreateControl(&view, wp);
    }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        bool handled = false;
        const LRESULT result = view_.SurfaceMessage(msg, wParam, lParam, handled);
        return handled ? result : TControl::WndProc(msg, wParam, lParam);
    }

private:
    THtmlView& view_;
};

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

// ---- loading ----

void THtmlView::SetProcessing(bool on) {
    if (processing_ == on) return;
    processing_ = on;
    if (OnProcessing) OnProcessing(on);
}

void THtmlView::ApplyDefaults() {
    doc_->CharSet = charSet_;
    doc_->SetDefaults(defFontName_, defPreFontName_, (options_ & htOverLinksActive) != 0, defBackground_,
                      defOverLinkColor_, defVisitedColor_, defHotSpotColor_, defFontColor_, defFontSize_);
    doc_->LinkStyle = (options_ & htNoLinkUnderline) ? 0 : fsUnderline;
    doc_->ShowDummyCaret = (options_ & htShowDummyCaret) != 0;
    doc_->ShowImages = viewImages_;
}

void THtmlView::LoadFromFile(const std::string& name) {
    if (processing_ || name.empty()) return;
    Load(name, TDocumentKind::dkHtml, true);
}

void THtmlView::LoadImageFile(const std::string& name) {
    if (processing_ || name.empty()) return;
    Load(name, TDocumentKind::dkPicture, true);
}

THistoryEntry THtmlView::CurrentEntry() const {
    return THistoryEntry{currentFile_, kind_, PositionCode()};
}

void THtmlView::Load(const std::string& name, TDocumentKind kind, bool recordHistory) {
    tk::Hourglass hourglass;
    // A "#" may belong to the file's own name ("not#1.htm", a folder "c#"):
    // the anchor starts at the first "#" before which a file exists. When
    // none does, the first "#" splits, and the message names that part.
    size_t hash = name.find('#');
    if (hash != std::string::npos && !os::FileExists(name)) {
        for (size_t at = hash; at != std::string::npos; at = name.find('#', at + 1))
            if (os::FileExists(name.substr(0, at))) {
                hash = at;
                break;
            }
    } else {
        hash = std::string::npos;
    }
    const std::string file = name.substr(0, hash);
    const std::string anchor = hash == std::string::npos ? std::string() : name.substr(hash + 1);
    refreshDelay_ = 0;
    refreshUrl_.clear();
    SetProcessing(true);
    if (!os::FileExists(file)) {
        SetProcessing(false);
        throw EInOutError("Can't locate file: " + file);
    }
    const THistoryEntry previous = CurrentEntry();
    hoverTimer_.SetEnabled(false);
    animationTimer_.SetEnabled(false);
    autoScrollTimer_.SetEnabled(false);
    panning_ = leftDown_ = false;
    SetHotSpot("", ""); // the link under the mouse goes with the document
    forms_->Clear();
    pictures_.Waiting.clear();
    pictures_.Broken.clear();
    background_.reset();
    doc_->Clear();
    images::ImageCache().AgeCache();
    ApplyDefaults();
    anchors_.clear();
    currentMarginWidth_ = marginWidth_;
    currentMarginHeight_ = marginHeight_;
    caretPos_ = 0;
    selAnchor_ = -1;
    view_.SelB = view_.SelE = 0;
    currentFile_ = FullPathOf(file);
    kind_ = kind;
    if (OnImageRequest)
        pictures_.OnImageRequest = [this](const std::string& src, images::TMemoryStream*& stream) {
            OnImageRequest(src, stream);
        };
    else
        pictures_.OnImageRequest = nullptr;

    ParseHooks hooks;
    hooks.OnInclude = OnInclude;
    hooks.CharSet = charSet_;
    ParseResult result;
    std::exception_ptr error;
    try {
        if (kind == TDocumentKind::dkHtml) {
            if (OnSoundRequest) OnSoundRequest("", 0, true);
            hooks.OnSoundRequest = OnSoundRequest;
            hooks.OnScript = OnScript;
            hooks.OnMeta = [this](const std::string& httpEq, const std::string& metaName,
                                  const std::string& content) {
                if (OnMeta) OnMeta(httpEq, metaName, content);
                int32_t delay = 0;
                std::string url;
                if (OnMetaRefresh && SameTextIgnoringCase(httpEq, "refresh") &&
                    ParseMetaRefresh(content, delay, url)) {
                    refreshDelay_ = delay;
                    refreshUrl_ = url;
                }
            };
            result = ParseHtmlFile(*doc_, anchors_, currentFile_, hooks);
        } else {
            result = ParseHtmlText(*doc_, anchors_, "<img src=\"" + currentFile_ + "\">", hooks);
        }
    } catch (...) {
        error = std::current_exception();
    }
    title_ = result.Title;
    base_ = result.BaseUrl;
    baseTarget_ = result.BaseTarget;
    if (result.MarginWidth >= 0) currentMarginWidth_ = std::min(result.MarginWidth, 200);
    if (result.MarginHeight >= 0) currentMarginHeight_ = std::min(result.MarginHeight, 200);
    forms_->Create(*doc_, *surface_, defPreFontName_, defFontSize_);
    LoadBackground();
    LayOutDocument();
    MarkVisited();
    forms_->HideAll();
    if (anchor.empty() || !JumpToAnchor(anchor)) {
        if (previous.File != currentFile_) {
            view_.ScrollX = 0;
            hbar_->SetPosition(0);
            view_.ScrollY = 0;
            vbar_->SetPosition(0);
        } else {
            view_.ScrollY = Clamp(view_.ScrollY, 0, MaxVertical());
            vbar_->SetPosition(view_.ScrollY);
        }
    }
    surface_->Invalidate();
    Invalidate();
    SetProcessing(false);
    if (recordHistory && (previous.File != currentFile_ || previous.Kind != kind_)) RecordMove(previous);
    if (error) std::rethrow_exception(error);
    if (refreshDelay_ > 0 && OnMetaRefresh) OnMetaRefresh(refreshDelay_, refreshUrl_);
}

void THtmlView::Clear() {
    if (processing_) return;
    hoverTimer_.SetEnabled(false);
    animationTimer_.SetEnabled(false);
    autoScrollTimer_.SetEnabled(false);
    forms_->Clear();
    pictures_.Waiting.clear();
    pictures_.Broken.clear();
    background_.reset();
    doc_->Clear();
    ApplyDefaults();
    anchors_.clear();
    base_.clear();
    baseTarget_.clear();
    title_.clear();
    docHeight_ = 0;
    maxLineWidth_ = 0;
    view_ = TViewState{};
    caretPos_ = 0;
    selAnchor_ = -1;
    vbar_->SetParams(0, 0, 0, 0);
    vbar_->SetNeeded(false);
    hbar_->SetNeeded(false);
    ArrangeScrollBars();
    if (OnSoundRequest) OnSoundRequest("", 0, true);
    SetHotSpot("", ""); // the link under the mouse goes with the document
    surface_->Invalidate();
    Invalidate();
}

void THtmlView::InsertImage(const std::string& source, images::TMemoryStream& stream) {
    std::vector<TImageObj*> delivered;
    std::erase_if(pictures_.Waiting, [&](TImageObj* image) {
        if (image->Source != source) return false;
        delivered.push_back(image);
        return true;
    });
    if (delivered.empty() || processing_) return;
    auto saved = pictures_.OnImageRequest;
    pictures_.OnImageRequest = [&](const std::string& name, images::TMemoryStream*& s) {
        if (name == source)
            s = &stream;
        else if (saved)
            saved(name, s);
    };
    for (TImageObj* image : delivered) {
        image->Kind = TImageObj::pkNone;
        image->ImageKnown = false;
    }
    RelayoutKeepingPosition();
    pictures_.OnImageRequest = saved;
}

void THtmlView::LoadBackground() {
    background_.reset();
    if (doc_->BackgroundPictureName.empty() || !viewImages_) return;
    const std::string name = ExpandName(doc_->BackgroundPictureName);
    images::TTransparency transparency = images::NotTransparent;
    bool pending = false, fromCache = false;
    images::TBitmap* mask = nullptr;
    images::TGraphic* picture = images::FetchImage(name, transparency, pending, fromCache, mask);
    if (picture)
        background_ = std::make_unique<TCachedPicture>(picture, mask, images::TStringBitmapList::KeyOf(name));
}

// ---- layout and scroll bars ----

void THtmlView::LayOutDocument() {
    noPaint_ = true;
    const bool vAllowed =
        scrollBars_ == tk::TScrollStyle::ssVertical || scrollBars_ == tk::TScrollStyle::ssBoth;
    const int32_t border = borderStyle_ == THTMLBorderStyle::htNone ? 1 : 3;
    const int32_t width = std::max<int32_t>(1, ClientWidth() - border - 2 * currentMarginWidth_ -
                                                   (vAllowed ? GetSystemMetrics(SM_CXVSCROLL) : 0));
    doc_->ClientHeight = std::max(0, ClientHeight() - 2);
    doc_->MarginHeight = currentMarginHeight_;
    const int32_t bottom = doc_->LayOut(width, currentMarginHeight_);
    if (layoutErrors_ || doc_->FormControls.size() != formControlCount_) forms_->Prune(*doc_);
    layoutErrors_ = false;
    formControlCount_ = doc_->FormControls.size();
    docHeight_ = bottom + (vAllowed ? currentMarginHeight_ : 0);
    maxLineWidth_ = doc_->DocumentWidth;
    noPaint_ = false;
    ArrangeScrollBars();
    // A new layout shows every running animation from its first frame.
    for (TImageObj* image : doc_->Animations)
        if (images::TGIFImage* gif = AnimationOf(*image);
            gif && gif->Animating() && (gif->FrameIndex() != 1 || gif->Animation().LoopsDone() != 1))
            gif->RestartAnimation();
    StartAnimations();
}

bool THtmlView::HasFrame() const {
    return borderStyle_ == THTMLBorderStyle::htSingle ||
           (borderStyle_ == THTMLBorderStyle::htFocused && GetFocus() == Handle());
}

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

void THtmlView::RelayoutKeepingPosition() {
    if (doc_->Sections.empty()) {
        ArrangeScrollBars();
        return;
    }
    tk::Hourglass hourglass;
    const TPositionCode code = PositionCode();
    SetProcessing(true);
    LayOutDocument();
    SetProcessing(false);
    view_.ScrollY = docHeight_ < SurfaceHeight() ? 0 : Clamp(PositionFromCode(*doc_, code), 0, MaxVertical());
    vbar_->SetPosition(view_.ScrollY);
    forms_->HideAll();
    surface_->Invalidate();
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

// ---- links, history, visited ----

std::string THtmlView::ExpandName(const std::string& reference) const {
    TLinkContext context;
    context.ServerRoot = serverRoot_;
    context.BaseUrl = base_;
    context.CurrentFile = currentFile_;
    context.FullPath = FullPathOf;
    return ExpandLinkName(reference, context);
}

void THtmlView::HotSpotClick(const std::string& url) {
    bool handled = false;
    if (OnHotSpotClick) OnHotSpotClick(url, handled);
    if (!handled) FollowLink(url);
}

void THtmlView::FollowLink(const std::string& href) {
    if (processing_) return;
    const THistoryEntry previous = CurrentEntry();
    TLinkContext context;
    context.ServerRoot = serverRoot_;
    context.BaseUrl = base_;
    context.CurrentFile = currentFile_;
    context.FullPath = FullPathOf;
    const TLinkAction action = ResolveLinkClick(href, context);
    switch (action.Action) {
    case TLinkAction::laAnchor:
        if (JumpToAnchor(action.Anchor)) {
            RecordMove(previous);
            AddVisited(currentFile_ + action.Anchor);
        }
        break;
    case TLinkAction::laHtml:
        if (action.File != currentFile_) {
            LoadFromFile(action.File + action.Anchor);
            AddVisited(action.File + action.Anchor);
        } else if (!action.Anchor.empty() && JumpToAnchor(action.Anchor)) {
            RecordMove(THistoryEntry{previous.File, TDocumentKind::dkHtml, previous.Position});
            AddVisited(action.File + action.Anchor);
        }
        break;
    case TLinkAction::laPicture:
        LoadImageFile(action.File);
        break;
    case TLinkAction::laNothing:
        break;
    }
}

void THtmlView::RecordMove(const THistoryEntry& previous) {
    if (history_.Record(previous, CurrentEntry()) && OnHistoryChange) OnHistoryChange();
}

void THtmlView::SetHistoryIndex(int index) {
    if (index == history_.Index() || index < 0 || index >= history_.Count() || processing_) return;
    if (!currentFile_.empty() && history_.Index() < history_.Count())
        history_.Entry(history_.Index()) = CurrentEntry();
    const THistoryEntry target = history_.Entry(index);
    if (target.File != currentFile_ || target.Kind != kind_) Load(target.File, target.Kind, false);
    RestorePositionCode(target.Position);
    history_.SetIndex(index);
    if (OnHistoryChange) OnHistoryChange();
}

void THtmlView::SetHistoryMaxCount(int n) {
    if (history_.SetMaxCount(n) && OnHistoryChange) OnHistoryChange();
}

std::string THtmlView::LinkTarget(const std::string& href) const {
    if (!href.empty() && href[0] == '#') return currentFile_ + href;
    return ExpandName(href);
}

void THtmlView::AddVisited(const std::string& name) {
    if (visited_.MaxCount() == 0 || (visited_.Count() && SameTextIgnoringCase(visited_[0], name))) return;
    if (!visited_.Contains(name)) {
        bool changed = false;
        std::vector<int8_t> known(doc_->LinkTable.size(), -1);
        for (const TLinkRun& link : doc_->LinkRuns) {
            TFontObj& run = link.Run();
            if (run.Visited || run.LinkIndex >= known.size()) continue;
            int8_t& k = known[run.LinkIndex];
            if (k < 0) k = SameTextIgnoringCase(LinkTarget(run.Url(*doc_)), name) ? 1 : 0;
            if (k) {
                run.SetVisited(*doc_, true);
                changed = true;
            }
        }
        if (changed) surface_->Invalidate();
    }
    visited_.Add(name);
}

void THtmlView::MarkVisited() {
    if (visited_.Count() == 0) return;
    // Once per distinct link: a page repeats its links many times.
    std::vector<int8_t> known(doc_->LinkTable.size(), -1);
    for (const TLinkRun& link : doc_->LinkRuns) {
        TFontObj& run = link.Run();
        if (run.LinkIndex >= known.size()) continue;
        int8_t& k = known[run.LinkIndex];
        if (k < 0) k = visited_.Contains(LinkTarget(run.Url(*doc_))) ? 1 : 0;
        if (k && !run.Visited) run.SetVisited(*doc_, true);
    }
}

void THtmlView::SetVisitedMaxCount(int n) {
    n = std::max(0, n);
    if (!visited_.SetMaxCount(n)) return;
    if (n == 0) {
        for (const TLinkRun& link : doc_->LinkRuns)
            if (link.Run().Visited) link.Run().SetVisited(*doc_, false);
        surface_->Invalidate();
    }
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
