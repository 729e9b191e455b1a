// THtmlView: loading pages and pictures, clearing, pictures that come later
// and laying the document out for the view's width.
#include "html/html_view.h"

#include "base/os.h"
#include "html/builder.h"
#include "html/form_windows.h"
#include "html/html_view_internal.h"
#include "html/images/gif_image.h"
#include "html/images/image_cache.h"
#include "toolkit/gdi.h"

#include <algorithm>

namespace velmora::html {

using namespace view_internal;

namespace {

// Where "name#anchor" splits (npos: no anchor). A "#" may belong to the
// file's own name ("not#1.htm", a folder "c#"): the anchor starts at the
// first "#" before which a file exists. When none does, the first "#"
// splits, and the message names that part.
size_t AnchorStart(const std::string& name) {
    size_t hash = name.find('#');
    if (hash == std::string::npos || os::FileExists(name)) return std::string::npos;
    for (size_t at = hash; at != std::string::npos; at = name.find('#', at + 1))
        if (os::FileExists(name.substr(0, at))) return at;
    return hash;
}

} // namespace

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
    const size_t hash = AnchorStart(name);
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
    ReleaseDocument();
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

// ---- layout ----

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

} // namespace velmora::html
