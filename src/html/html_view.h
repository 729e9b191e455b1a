// THtmlView: the HTML and picture viewer control. It owns one document, loads
// local pages and pictures into it, lays it out for its width, scrolls it
// (32-bit positions, so pages of any height), follows links with a history,
// selects, finds and copies text, shows forms with real controls and runs
// GIF animations.
#pragma once
#include "html/gdi_view.h"
#include "html/navigation.h"
#include "toolkit/control.h"
#include "toolkit/controls.h"
#include "toolkit/exceptions.h"
#include "toolkit/timer.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace velmora::images {
class TMemoryStream;
}

namespace velmora::html {

class TFormWindows;

// A missing file ("Can't locate file: " + name).
class EInOutError : public tk::Exception {
public:
    using tk::Exception::Exception;
};

enum class THTMLBorderStyle { htFocused, htNone, htSingle };

enum THtmlOption : uint8_t {
    htOverLinksActive = 1,
    htNoLinkUnderline = 2,
    htShowDummyCaret = 4,
    htShowVScroll = 8,
};

// What a right click was on.
struct TRightClickParameters {
    TImageObj* Image = nullptr;
    int32_t ImageX = 0, ImageY = 0;
    std::string URL, Target;
    std::string ClickWord;
};

// A vertical scroll bar that keeps its own 32-bit position, page and range,
// writes them in one call and only when they changed, and reads the thumb's
// 32-bit track position from the bar while it is dragged.
class T32ScrollBar : public tk::TControl {
public:
    T32ScrollBar(tk::TControl* parent, bool vertical);
    int32_t Position() const { return position_; }
    int32_t Min() const { return min_; }
    int32_t Max() const { return max_; }
    int32_t Page() const { return page_; }
    void SetParams(int32_t position, int32_t min, int32_t max, int32_t page);
    void SetPosition(int32_t position) { SetParams(position, min_, max_, page_); }
    // With it the bar is disabled instead of hidden when not needed.
    bool KeepVisible = false;
    bool Needed = false;
    void SetNeeded(bool needed);
    // The 32-bit thumb position while it is dragged.
    int32_t TrackPosition() const;

    // The scroll action (SB_*) the user asked for.
    std::function<void(int code)> OnScroll;

protected:
    bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Write();
    bool vertical_;
    int32_t position_ = 0, min_ = 0, max_ = 0, page_ = 0;
    bool written_ = false;
};

class THtmlView : public tk::TControl {
public:
    struct Params : tk::TControlParams {
        Params() { bounds = RECT{0, 0, 150, 150}; }
    };
    explicit THtmlView(const Params& params);
    ~THtmlView() override;

    // ---- loading
    // "name" or "name#anchor". A missing file raises EInOutError.
    void LoadFromFile(const std::string& name);
    void LoadImageFile(const std::string& name);
    void Clear();
    // A picture that OnImageRequest said would come later (WaitImageStream):
    // every image waiting for `source` shows it now.
    void InsertImage(const std::string& source, images::TMemoryStream& stream);

    const std::string& CurrentFile() const { return currentFile_; }
    TDocumentKind CurrentKind() const { return kind_; }
    const std::string& DocumentTitle() const { return title_; }
    const std::string& Base() const { return base_; }
    const std::string& BaseTarget() const { return baseTarget_; }
    const std::string& HotSpotURL() const { return hotSpotUrl_; }
    const std::string& HotSpotTarget() const { return hotSpotTarget_; }
    bool Processing() const { return processing_; }

    // ---- selection, find, copy
    bool Find(const std::string& text, bool matchCase);
    void SelectAll();
    void CopyToClipboard();
    // The selected text as the clipboard gets it.
    std::string SelectedText() const;
    int32_t SelStart() const { return view_.SelB; }
    // end - begin when the caret is at the beginning, else begin - end.
    int32_t SelLength() const;
    int32_t CaretPos() const { return caretPos_; }

    // ---- scrolling
    int32_t Position() const { return view_.ScrollY; }
    void SetPosition(int32_t y);
    int32_t HScrollPosition() const { return view_.ScrollX; }
    void SetHScrollPosition(int32_t x);
    int32_t MaxVertical() const;
    int32_t DocumentHeight() const { return docHeight_; }
    int32_t SurfaceWidth() const;
    int32_t SurfaceHeight() const;
    // Scrolls so that the anchor's section is at the top; false when unknown.
    bool JumpToAnchor(const std::string& name);
    TPositionCode PositionCode() const;
    void RestorePositionCode(TPositionCode code);

    // ---- links and history
    THistory& History() { return history_; }
    int HistoryIndex() const { return history_.Index(); }
    void SetHistoryIndex(int index);
    int HistoryMaxCount() const { return history_.MaxCount(); }
    void SetHistoryMaxCount(int n);
    const TVisitedList& Visited() const { return visited_; }
    int VisitedMaxCount() const { return visited_.MaxCount(); }
    void SetVisitedMaxCount(int n);
    // The file a reference in the shown page stands for.
    std::string ExpandName(const std::string& reference) const;
    // What a click on a link does after OnHotSpotClick declined.
    void FollowLink(const std::string& href);

    // ---- properties
    TColor DefBackground() const { return defBackground_; }
    void SetDefBackground(TColor c);
    THTMLBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(THTMLBorderStyle s);
    const std::string& DefFontName() const { return defFontName_; }
    void SetDefFontName(const std::string& name);
    const std::string& DefPreFontName() const { return defPreFontName_; }
    void SetDefPreFontName(const std::string& name);
    int32_t DefFontSize() const { return defFontSize_; }
    void SetDefFontSize(int32_t size);
    TColor DefFontColor() const { return defFontColor_; }
    void SetDefFontColor(TColor c);
    TColor DefHotSpotColor() const { return defHotSpotColor_; }
    void SetDefHotSpotColor(TColor c);
    TColor DefVisitedLinkColor() const { return defVisitedColor_; }
    void SetDefVisitedLinkColor(TColor c);
    TColor DefOverLinkColor() const { return defOverLinkColor_; }
    void SetDefOverLinkColor(TColor c);
    int ImageCacheCount() const { return imageCacheCount_; }
    void SetImageCacheCount(int n);
    bool NoSelect() const { return noSelect_; }
    void SetNoSelect(bool v);
    tk::TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(tk::TScrollStyle s);
    uint8_t CharSet() const { return charSet_; }
    void SetCharSet(uint8_t c);
    int32_t MarginHeight() const { return marginHeight_; }
    void SetMarginHeight(int32_t v);
    int32_t MarginWidth() const { return marginWidth_; }
    void SetMarginWidth(int32_t v);
    const std::string& ServerRoot() const { return serverRoot_; }
    void SetServerRoot(const std::string& root);
    uint8_t htOptions() const { return options_; }
    void SethtOptions(uint8_t options);
    bool ViewImages() const { return viewImages_; }
    void SetViewImages(bool v);

    // ---- parts, for the owner and tests
    TSectionList& Document() { return *doc_; }
    const TAnchorList& Anchors() const { return anchors_; }
    HWND SurfaceHandle() const;
    T32ScrollBar& VScrollBar() { return *vbar_; }
    T32ScrollBar& HScrollBar() { return *hbar_; }
    TFormWindows& FormWindows() { return *forms_; }
    // The surface x of the document's x = 0, and the document y of a surface y.
    int32_t OriginX() const { return currentMarginWidth_ - view_.ScrollX; }

    // ---- events
    std::function<void(const std::string& src)> OnHotSpotCovered;
    std::function<void(const std::string& src, bool& handled)> OnHotSpotClick;
    std::function<void(const std::string& src, images::TMemoryStream*& stream)> OnImageRequest;
    ScriptHandler OnScript;
    std::function<void(const std::string& action, const std::string& target, const std::string& encType,
                       const std::string& method, std::vector<std::string> results)>
        OnFormSubmit;
    std::function<void()> OnHistoryChange;
    std::function<void(bool on)> OnProcessing;
    IncludeHandler OnInclude;
    std::function<void(const std::string& src, int32_t loop, bool terminate)> OnSoundRequest;
    std::function<void(const std::string& httpEq, const std::string& name, const std::string& content)>
        OnMeta;
    std::function<void(int32_t delay, const std::string& url)> OnMetaRefresh;
    std::function<void(TImageObj* image, int button, UINT shift, int32_t x, int32_t y)> OnImageClick;
    std::function<void(TImageObj* image, UINT shift, int32_t x, int32_t y)> OnImageOver;
    std::function<void(TFormControlObj* control, const std::string& onClick)> OnObjectClick;
    std::function<void(const TRightClickParameters& parameters)> OnRightClick;
    std::function<void(int button, UINT shift, int32_t x, int32_t y)> OnMouseDouble;
    std::function<void(UINT shift, int32_t x, int32_t y)> OnMouseMove;
    std::function<void(int button, UINT shift, int32_t x, int32_t y)> OnMouseDown;
    std::function<void(int button, UINT shift, int32_t x, int32_t y)> OnMouseUp;
    std::function<void(WORD& key, UINT shift)> OnKeyDown;

    // Surface messages (the drawing surface hands them over).
    LRESULT SurfaceMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    // Runs the form's submission (after the click that caused it).
    void SubmitForm(ThtmlForm& form, const std::vector<std::string>& results);
    // A form control got or lost the focus.
    void ControlFocused(TFormControlObj& control);

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    class Surface;
    void Load(const std::string& name, TDocumentKind kind, bool recordHistory);
    void SetProcessing(bool on);
    void ApplyDefaults();
    // Stops the timers and lets go of the document, its forms and pictures.
    void ReleaseDocument();
    void LayOutDocument();
    void ArrangeScrollBars();
    void RelayoutKeepingPosition();
    void ScrollTo(int32_t y, bool byWindowScroll);
    void VScroll(int code);
    void HScroll(int code);
    void KeyDown(WORD key);
    int32_t DocY(int32_t surfaceY) const { return surfaceY + view_.ScrollY; }
    int32_t DocX(int32_t surfaceX) const { return surfaceX - OriginX(); }
    int32_t PosAt(int32_t x, int32_t y);
    void ExtendSelection(int32_t pos);
    void MouseMove(WPARAM keys, int32_t x, int32_t y);
    void MouseDown(int button, WPARAM keys, int32_t x, int32_t y);
    void MouseUp(int button, WPARAM keys, int32_t x, int32_t y);
    void DoubleClick(WPARAM keys, int32_t x, int32_t y);
    void AutoScroll();
    void UpdateCursor();
    void HoverTick();
    void SetHotSpot(const std::string& url, const std::string& target);
    void HotSpotClick(const std::string& url);
    void AddVisited(const std::string& name);
    void MarkVisited();
    std::string LinkTarget(const std::string& href) const;
    void RecordMove(const THistoryEntry& previous);
    THistoryEntry CurrentEntry() const;
    void PaintSurface();
    void PaintFrame(HDC dc);
    bool HasFrame() const;
    void AnimationTick();
    void StartAnimations();
    void ScrollIntoView(int32_t docY);

    TGdiFontMetrics metrics_;
    std::unique_ptr<TSectionList> doc_;
    TAnchorList anchors_;
    TViewState view_;
    TCachePictures pictures_;
    // The page's BACKGROUND picture (its cache entry is held while shown).
    std::unique_ptr<TCachedPicture> background_;
    void LoadBackground();
    std::unique_ptr<Surface> surface_;
    std::unique_ptr<T32ScrollBar> vbar_, hbar_;
    std::unique_ptr<TFormWindows> forms_;
    tk::TTimer hoverTimer_;
    tk::TTimer animationTimer_;
    tk::TTimer autoScrollTimer_;

    std::string currentFile_;
    TDocumentKind kind_ = TDocumentKind::dkHtml;
    std::string title_, base_, baseTarget_;
    std::string hotSpotUrl_, hotSpotTarget_;
    int32_t caretPos_ = 0;
    int32_t selAnchor_ = -1;
    int32_t docHeight_ = 0;
    size_t formControlCount_ = 0;
    bool layoutErrors_ = false;
    int32_t maxLineWidth_ = 0;
    int32_t currentMarginWidth_ = 10, currentMarginHeight_ = 5;
    bool processing_ = false;
    bool noPaint_ = false;
    bool leftDown_ = false;
    bool selecting_ = false;
    bool linkClicked_ = false;
    bool panning_ = false;
    int32_t panStartY_ = 0;
    int32_t mouseX_ = 0, mouseY_ = 0;
    bool dragMoved_ = false;
    int32_t refreshDelay_ = 0;
    std::string refreshUrl_;
    THistory history_;
    TVisitedList visited_;
    HCURSOR cursor_ = nullptr;

    TColor defBackground_;
    THTMLBorderStyle borderStyle_ = THTMLBorderStyle::htFocused;
    std::string defFontName_ = "Times New Roman";
    std::string defPreFontName_ = "Courier New";
    int32_t defFontSize_ = 12;
    TColor defFontColor_;
    TColor defHotSpotColor_ = 0xFF0000;
    TColor defVisitedColor_ = 0x800080;
    TColor defOverLinkColor_ = 0xFF0000;
    int imageCacheCount_ = 5;
    bool noSelect_ = false;
    tk::TScrollStyle scrollBars_ = tk::TScrollStyle::ssBoth;
    uint8_t charSet_ = DEFAULT_CHARSET;
    int32_t marginHeight_ = 5, marginWidth_ = 10;
    std::string serverRoot_;
    uint8_t options_ = 0;
    bool viewImages_ = true;
};

} // namespace velmora::html
