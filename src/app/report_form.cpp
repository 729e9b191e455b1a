#include "app/report_form.h"

#include <algorithm>
#include <climits>

#include "app/rtf_reader.h"
#include "app/text_panel.h"
#include "toolkit/application.h"
#include "toolkit/dialogs.h"

namespace velmora::app {

// ---------------------------------------------------------------- text and fonts

std::string ReportDateTimeText(const SYSTEMTIME& time) {
    char date[128] = "", clock[128] = "";
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof clock);
    return std::string(date) + " " + clock;
}

tk::FontHandle MakeReportFont(const TReportFont& font, int dpi) {
    LOGFONTA lf{};
    lf.lfHeight = -std::max(1, TwipsToDevice(font.twips, dpi));
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.italic;
    lf.lfUnderline = font.underline;
    lf.lfStrikeOut = font.strikeOut;
    lf.lfCharSet = font.charset;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, font.name.c_str(), LF_FACESIZE);
    return tk::FontHandle(CreateFontIndirectA(&lf));
}

namespace {

// Fonts kept at once: a document of many fonts must not use up the GDI's handles.
constexpr size_t kFontCache = 64;

template <class Value>
Value* Cached(std::vector<std::pair<TReportFont, Value>>& cache, const TReportFont& font) {
    for (auto& entry : cache)
        if (entry.first == font) return &entry.second;
    return nullptr;
}

} // namespace

TGdiReportMetrics::TGdiReportMetrics() : dc_(nullptr) {}

HFONT TGdiReportMetrics::FontFor(const TReportFont& font) {
    if (tk::FontHandle* known = Cached(fonts_, font)) return known->get();
    if (fonts_.size() >= kFontCache) {
        SelectObject(dc_, GetStockObject(SYSTEM_FONT));
        fonts_.erase(fonts_.begin());
    }
    fonts_.emplace_back(font, MakeReportFont(font, kTwipsPerInch));
    return fonts_.back().second.get();
}

TReportFontExtent TGdiReportMetrics::Extent(const TReportFont& font) {
    if (TReportFontExtent* known = Cached(extents_, font)) return *known;
    tk::SelectedObject selected(dc_, FontFor(font));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc_, &tm);
    TReportFontExtent extent{static_cast<int32_t>(tm.tmAscent), static_cast<int32_t>(tm.tmDescent)};
    extents_.emplace_back(font, extent);
    return extent;
}

void TGdiReportMetrics::PrefixWidths(const TReportFont& font, std::string_view text,
                                     std::vector<int32_t>& widths) {
    widths.assign(text.size(), 0);
    if (text.empty()) return;
    tk::SelectedObject selected(dc_, FontFor(font));
    constexpr size_t kChunk = 4096;
    std::vector<INT> dx(std::min(text.size(), kChunk));
    int32_t base = 0;
    for (size_t from = 0; from < text.size(); from += kChunk) {
        const int count = static_cast<int>(std::min(kChunk, text.size() - from));
        SIZE size{};
        int fit = 0;
        if (!GetTextExtentExPointA(dc_, text.data() + from, count, INT_MAX, &fit, dx.data(), &size)) {
            std::fill(dx.begin(), dx.begin() + count, 0);
        }
        for (int i = 0; i < count; ++i)
            widths[from + i] = base + dx[i];
        base = widths[from + count - 1];
    }
}

// ---------------------------------------------------------------- drawing

void DrawReportPage(HDC dc, const TReportPage& page, int dpiX, int dpiY, POINT origin) {
    std::vector<std::pair<TReportFont, tk::FontHandle>> fonts;
    const int savedDc = SaveDC(dc);
    SetMapMode(dc, MM_TEXT);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    tk::PenHandle pen(CreatePen(PS_SOLID, std::max(1, TwipsToDevice(10, dpiY)), RGB(0, 0, 0)));
    SelectObject(dc, pen.get());
    std::vector<INT> dx;
    int clipped = 0; // the saved state to go back to when the detail band's ops end
    for (const TReportOp& op : page.ops) {
        if (op.detail && !clipped) {
            SelectObject(dc, GetStockObject(SYSTEM_FONT)); // the saved state holds no font of ours
            clipped = SaveDC(dc);
            const TReportRect& band = page.detailBand;
            IntersectClipRect(
                dc, origin.x + TwipsToDevice(band.left, dpiX), origin.y + TwipsToDevice(band.top, dpiY),
                origin.x + TwipsToDevice(band.right, dpiX), origin.y + TwipsToDevice(band.bottom, dpiY));
        } else if (!op.detail && clipped) {
            RestoreDC(dc, clipped);
            clipped = 0;
        }
        const int y = origin.y + TwipsToDevice(op.y, dpiY);
        if (op.kind == TReportOpKind::okRule) {
            MoveToEx(dc, origin.x + TwipsToDevice(op.x, dpiX), y, nullptr);
            LineTo(dc, origin.x + TwipsToDevice(op.right, dpiX), y);
            continue;
        }
        if (op.text.empty()) continue;
        tk::FontHandle* font = Cached(fonts, op.font);
        if (!font) {
            if (fonts.size() >= kFontCache) {
                SelectObject(dc, GetStockObject(SYSTEM_FONT));
                fonts.erase(fonts.begin());
            }
            fonts.emplace_back(op.font, MakeReportFont(op.font, dpiY));
            font = &fonts.back().second;
        }
        SelectObject(dc, font->get());
        SetTextColor(dc, op.font.color & 0xFFFFFF);
        // Each character where the layout put it, whatever the device's own widths.
        dx.resize(op.text.size());
        int32_t twips = op.x;
        int previous = TwipsToDevice(twips, dpiX);
        for (size_t i = 0; i < op.text.size(); ++i) {
            twips += i < op.advances.size() ? op.advances[i] : 0;
            const int next = TwipsToDevice(twips, dpiX);
            dx[i] = next - previous;
            previous = next;
        }
        ExtTextOutA(dc, origin.x + TwipsToDevice(op.x, dpiX), y, 0, nullptr, op.text.data(),
                    static_cast<UINT>(op.text.size()), dx.data());
    }
    RestoreDC(dc, savedDc); // selects back what was there before the fonts and the pen go
}

// ---------------------------------------------------------------- printout

TTextPrintout::TTextPrintout(const std::string& rtf, std::string fileName, std::string dateTime)
    : fileName_(std::move(fileName)), metrics_(std::make_unique<TGdiReportMetrics>()) {
    report_ =
        std::make_unique<TTextReport>(ReadRtf(rtf), TReportTexts{fileName_, std::move(dateTime)}, *metrics_);
}

SIZE TTextPrintout::PageSize(int dpi) {
    const TReportGeometry& g = ReportGeometry();
    return SIZE{TwipsToDevice(g.paper.Width(), dpi), TwipsToDevice(g.paper.Height(), dpi)};
}

tk::BitmapHandle TTextPrintout::RenderPage(int index, int dpi) const {
    const SIZE size = PageSize(dpi);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    tk::BitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return bitmap;
    tk::MemoryDC dc(nullptr);
    dc.Select(bitmap.get());
    PatBlt(dc, 0, 0, size.cx, size.cy, WHITENESS);
    DrawReportPage(dc, report_->ComposePage(index), dpi, dpi, POINT{0, 0});
    GdiFlush();
    return bitmap;
}

bool TTextPrintout::Print(HDC dc, int fromPage, int toPage, int copies, std::string& error) const {
    error.clear();
    if (!dc) {
        error = "Yazıcı hazır değil.";
        return false;
    }
    fromPage = std::clamp(fromPage, 1, PageCount());
    toPage = std::clamp(toPage, fromPage, PageCount());
    copies = std::clamp(copies, 1, 999);
    int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    if (dpiX <= 0) dpiX = 96;
    if (dpiY <= 0) dpiY = 96;
    // A printer's DC starts at the printable area's corner, not the paper's.
    const POINT origin{-GetDeviceCaps(dc, PHYSICALOFFSETX), -GetDeviceCaps(dc, PHYSICALOFFSETY)};
    const int technology = GetDeviceCaps(dc, TECHNOLOGY);
    const bool printer = technology == DT_RASPRINTER || technology == DT_PLOTTER;
    const std::string name = fileName_.empty() ? std::string("velmora") : fileName_;
    DOCINFOA info{};
    info.cbSize = sizeof info;
    info.lpszDocName = name.c_str();
    const bool spooling = StartDocA(dc, &info) > 0;
    if (!spooling && printer) {
        error = "Yazdırma işi başlatılamadı.";
        return false;
    }
    for (int copy = 0; copy < copies; ++copy) {
        for (int page = fromPage; page <= toPage; ++page) {
            if (spooling && StartPage(dc) <= 0) {
                AbortDoc(dc);
                error = "Sayfa " + std::to_string(page) + " yazıcıya gönderilemedi.";
                return false;
            }
            DrawReportPage(dc, report_->ComposePage(page - 1), dpiX, dpiY, origin);
            if (spooling && EndPage(dc) <= 0) {
                AbortDoc(dc);
                error = "Sayfa " + std::to_string(page) + " yazıcıya gönderilemedi.";
                return false;
            }
        }
    }
    if (spooling && EndDoc(dc) <= 0) {
        error = "Yazdırma işi tamamlanamadı.";
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- page view

namespace {
const char* const kPageViewClass = "VelmoraReportPage";
constexpr int kGap = 12;   // work space around the page
constexpr int kShadow = 4; // the page's shadow
constexpr int kLineStep = 40;
} // namespace

TReportPageView::TReportPageView(tk::TControl* parent) {
    RegisterWindowClass(kPageViewClass, CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW), nullptr);
    tk::WindowParams p;
    p.className = kPageViewClass;
    p.style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | WS_CLIPSIBLINGS;
    p.bounds = RECT{0, 0, 200, 200};
    CreateControl(parent, p);
    SetAlign(tk::TAlign::alClient);
}

void TReportPageView::SetPage(HBITMAP page, SIZE size) {
    page_ = page;
    size_ = size;
    UpdateScrollBars();
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TReportPageView::UpdateScrollBars() {
    if (!Handle()) return;
    RECT client;
    GetClientRect(Handle(), &client);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = size_.cx + 2 * kGap;
    si.nPage = static_cast<UINT>(std::max<LONG>(client.right, 0));
    scroll_.x = std::clamp<LONG>(scroll_.x, 0, std::max<LONG>(si.nMax - client.right, 0));
    si.nPos = scroll_.x;
    SetScrollInfo(Handle(), SB_HORZ, &si, TRUE);
    si.nMax = size_.cy + 2 * kGap;
    si.nPage = static_cast<UINT>(std::max<LONG>(client.bottom, 0));
    scroll_.y = std::clamp<LONG>(scroll_.y, 0, std::max<LONG>(si.nMax - client.bottom, 0));
    si.nPos = scroll_.y;
    SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
}

void TReportPageView::ScrollTo(int x, int y) {
    RECT client;
    GetClientRect(Handle(), &client);
    x = std::clamp<int>(x, 0, std::max<int>(size_.cx + 2 * kGap - client.right, 0));
    y = std::clamp<int>(y, 0, std::max<int>(size_.cy + 2 * kGap - client.bottom, 0));
    if (x == scroll_.x && y == scroll_.y) return;
    scroll_ = POINT{x, y};
    SetScrollPos(Handle(), SB_HORZ, x, TRUE);
    SetScrollPos(Handle(), SB_VERT, y, TRUE);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TReportPageView::Scroll(int bar, WORD request) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(Handle(), bar, &si);
    int pos = si.nPos;
    switch (request) {
    case SB_LINEUP:
        pos -= kLineStep;
        break;
    case SB_LINEDOWN:
        pos += kLineStep;
        break;
    case SB_PAGEUP:
        pos -= static_cast<int>(si.nPage);
        break;
    case SB_PAGEDOWN:
        pos += static_cast<int>(si.nPage);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        pos = si.nTrackPos;
        break;
    case SB_TOP:
        pos = 0;
        break;
    case SB_BOTTOM:
        pos = si.nMax;
        break;
    default:
        return;
    }
    if (bar == SB_HORZ) {
        ScrollTo(pos, scroll_.y);
    } else {
        ScrollTo(scroll_.x, pos);
    }
}

LRESULT TReportPageView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        tk::BufferedPaint paint(Handle());
        RECT client;
        GetClientRect(Handle(), &client);
        HDC dc = paint.DC();
        FillRect(dc, &paint.Rect(), GetSysColorBrush(COLOR_APPWORKSPACE));
        if (page_) {
            const int x = std::max<int>(kGap, (client.right - size_.cx) / 2) - scroll_.x;
            const int y = std::max<int>(kGap, (client.bottom - size_.cy) / 2) - scroll_.y;
            RECT shadow{x + kShadow, y + kShadow, x + size_.cx + kShadow, y + size_.cy + kShadow};
            FillRect(dc, &shadow, GetSysColorBrush(COLOR_3DDKSHADOW));
            tk::MemoryDC source(dc);
            source.Select(page_);
            BitBlt(dc, x, y, size_.cx, size_.cy, source, 0, 0, SRCCOPY);
            RECT frame{x - 1, y - 1, x + size_.cx + 1, y + size_.cy + 1};
            FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
        return 0;
    }
    case WM_SIZE:
        UpdateScrollBars();
        InvalidateRect(Handle(), nullptr, FALSE);
        break;
    case WM_HSCROLL:
        Scroll(SB_HORZ, LOWORD(wParam));
        return 0;
    case WM_VSCROLL:
        Scroll(SB_VERT, LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL: {
        const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        ScrollTo(scroll_.x, scroll_.y - delta * kLineStep / WHEEL_DELTA * 2);
        return 0;
    }
    case WM_LBUTTONDOWN:
        SetFocus();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_UP:
            Scroll(SB_VERT, SB_LINEUP);
            return 0;
        case VK_DOWN:
            Scroll(SB_VERT, SB_LINEDOWN);
            return 0;
        case VK_LEFT:
            Scroll(SB_HORZ, SB_LINEUP);
            return 0;
        case VK_RIGHT:
            Scroll(SB_HORZ, SB_LINEDOWN);
            return 0;
        default:
            if (OnKey) OnKey(static_cast<WORD>(wParam));
            return 0;
        }
    }
    return tk::TControl::WndProc(msg, wParam, lParam);
}

// ---------------------------------------------------------------- preview window

namespace {

const char* const kZoomNames[] = {"Sayfaya sığdır", "Genişliğe sığdır", "%50", "%75", "%100", "%150", "%200"};
constexpr int kZoomPercent[] = {0, 0, 50, 75, 100, 150, 200};
constexpr int kMinDpi = 8, kMaxDpi = 400;

HWND MainWindow() {
    tk::TForm* main = tk::Application().MainForm();
    return main ? main->Handle() : nullptr;
}

tk::TForm::Params PreviewParams() {
    tk::TForm::Params p;
    p.caption = "Baskı Önizleme";
    p.clientWidth = 760;
    p.clientHeight = 640;
    p.position = tk::TPosition::poMainFormCenter;
    p.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    p.owner = MainWindow();
    return p;
}

struct ButtonRow {
    std::unique_ptr<tk::TButton> TReportPreview::*member;
    RECT bounds;
    const char* caption;
};
const ButtonRow kButtons[] = {
    {&TReportPreview::FirstButton, {6, 5, 56, 29}, "İlk"},
    {&TReportPreview::PriorButton, {58, 5, 118, 29}, "Önceki"},
    {&TReportPreview::NextButton, {120, 5, 180, 29}, "Sonraki"},
    {&TReportPreview::LastButton, {182, 5, 232, 29}, "Son"},
    {&TReportPreview::PrintButton, {474, 5, 554, 29}, "Yazdır..."},
    {&TReportPreview::SetupButton, {556, 5, 636, 29}, "Yazıcı..."},
    {&TReportPreview::CloseButton, {646, 5, 716, 29}, "Kapat"},
};

} // namespace

TReportPreview::TReportPreview(TTextPrintout& printout) : tk::TForm(PreviewParams()), printout_(printout) {
    tk::TPanel::Params panel;
    panel.parent = this;
    panel.bounds = RECT{0, 0, 760, 34};
    panel.align = tk::TAlign::alTop;
    panel.bevelOuter = tk::TBevel::bvNone;
    ToolPanel = std::make_unique<tk::TPanel>(panel);
    for (const ButtonRow& row : kButtons) {
        tk::TButton::Params p;
        p.parent = ToolPanel.get();
        p.bounds = row.bounds;
        p.caption = row.caption;
        this->*row.member = std::make_unique<tk::TButton>(p);
    }
    CloseButton->SetModalResult(IDCANCEL);
    FirstButton->OnClick = [this] { SetPage(0); };
    PriorButton->OnClick = [this] { SetPage(page_ - 1); };
    NextButton->OnClick = [this] { SetPage(page_ + 1); };
    LastButton->OnClick = [this] { SetPage(printout_.PageCount() - 1); };
    PrintButton->OnClick = [this] { PrintClick(); };
    SetupButton->OnClick = [this] { PrinterSetupClick(); };
    tk::TLabel::Params label;
    label.parent = ToolPanel.get();
    label.bounds = RECT{240, 10, 340, 26};
    label.alignment = tk::TAlignment::taCenter;
    PageLabel = std::make_unique<tk::TLabel>(label);
    tk::TComboBox::Params zoom;
    zoom.parent = ToolPanel.get();
    zoom.bounds = RECT{346, 6, 466, 200};
    zoom.style = tk::TComboBoxStyle::csDropDownList;
    zoom.items.assign(std::begin(kZoomNames), std::end(kZoomNames));
    zoom.dropDownCount = 7;
    ZoomBox = std::make_unique<tk::TComboBox>(zoom);
    ZoomBox->SetItemIndex(0);
    ZoomBox->OnChange = [this] {
        if (ZoomBox->ItemIndex() >= 0) SetZoom(static_cast<TZoom>(ZoomBox->ItemIndex()));
    };
    PageView = std::make_unique<TReportPageView>(this);
    PageView->OnKey = [this](WORD key) {
        switch (key) {
        case VK_NEXT:
            SetPage(page_ + 1);
            break;
        case VK_PRIOR:
            SetPage(page_ - 1);
            break;
        case VK_HOME:
            SetPage(0);
            break;
        case VK_END:
            SetPage(printout_.PageCount() - 1);
            break;
        case VK_ESCAPE:
            Close();
            break;
        }
    };
    PageView->OnResize = [this] {
        if (zoom_ == TZoom::zWholePage || zoom_ == TZoom::zPageWidth) Render();
    };
    Realign();
    OnShow = [this] {
        Render();
        PageView->SetFocus();
    };
    Render();
}

TReportPreview::~TReportPreview() {
    if (PageView) PageView->SetPage(nullptr, SIZE{0, 0});
}

int TReportPreview::ZoomDpi() const {
    const int screen = tk::ScreenDpi();
    const int percent = kZoomPercent[static_cast<int>(zoom_)];
    if (percent > 0) return std::clamp(screen * percent / 100, kMinDpi, kMaxDpi);
    const TReportGeometry& g = ReportGeometry();
    RECT client{0, 0, 0, 0};
    if (PageView && PageView->Handle()) GetClientRect(PageView->Handle(), &client);
    // The scroll bars stay, so their room is already left out of the client area.
    const int64_t byWidth =
        static_cast<int64_t>(client.right - 2 * kGap - kShadow) * kTwipsPerInch / g.paper.Width();
    const int64_t byHeight =
        static_cast<int64_t>(client.bottom - 2 * kGap - kShadow) * kTwipsPerInch / g.paper.Height();
    const int64_t dpi = zoom_ == TZoom::zPageWidth ? byWidth : std::min(byWidth, byHeight);
    return static_cast<int>(std::clamp<int64_t>(dpi, kMinDpi, kMaxDpi));
}

void TReportPreview::Render() {
    const int dpi = ZoomDpi();
    if (bitmap_ && dpi == dpi_) {
        UpdateControls();
        return;
    }
    dpi_ = dpi;
    tk::Hourglass wait;
    bitmap_ = printout_.RenderPage(page_, dpi_);
    PageView->SetPage(bitmap_.get(), TTextPrintout::PageSize(dpi_));
    UpdateControls();
}

void TReportPreview::UpdateControls() {
    const int count = printout_.PageCount();
    PageLabel->SetCaption("Sayfa " + std::to_string(page_ + 1) + " / " + std::to_string(count));
    FirstButton->SetEnabled(page_ > 0);
    PriorButton->SetEnabled(page_ > 0);
    NextButton->SetEnabled(page_ + 1 < count);
    LastButton->SetEnabled(page_ + 1 < count);
    if (ZoomBox->ItemIndex() != static_cast<int>(zoom_)) ZoomBox->SetItemIndex(static_cast<int>(zoom_));
}

void TReportPreview::SetPage(int page) {
    page = std::clamp(page, 0, printout_.PageCount() - 1);
    if (page == page_ && bitmap_) return;
    page_ = page;
    bitmap_.reset();
    Render();
}

void TReportPreview::SetZoom(TZoom zoom) {
    if (zoom == zoom_ && bitmap_) return;
    zoom_ = zoom;
    bitmap_.reset();
    Render();
}

void TReportPreview::PrintClick() {
    tk::PrintRequest request;
    request.owner = Handle();
    request.minPage = 1;
    request.maxPage = printout_.PageCount();
    request.fromPage = 1;
    request.toPage = printout_.PageCount();
    tk::PrintAnswer answer;
    if (!tk::CurrentDialogs().PrintDialog(request, answer)) return;
    int from = 1, to = printout_.PageCount();
    if (answer.range == tk::TPrintRange::prPageNums) {
        from = answer.fromPage;
        to = answer.toPage;
    }
    std::string error;
    bool printed;
    {
        tk::Hourglass wait;
        printed = printout_.Print(answer.dc.get(), from, to, answer.copies, error);
    }
    if (!printed) tk::ShowError(error);
}

void TReportPreview::PrinterSetupClick() {
    tk::PrintRequest request;
    request.owner = Handle();
    tk::PrintAnswer answer;
    tk::CurrentDialogs().PrintSetupDialog(request, answer);
}

// ---------------------------------------------------------------- entry points

void ShowTextReport(const tk::TRichEdit& editor, const std::string& fileName) {
    std::unique_ptr<TTextPrintout> printout;
    {
        tk::Hourglass wait;
        SYSTEMTIME now;
        GetLocalTime(&now);
        printout = std::make_unique<TTextPrintout>(editor.Rtf(), fileName, ReportDateTimeText(now));
    }
    TReportPreview preview(*printout);
    preview.ShowModal();
}

void BindTextReport(TTextPanel& panel) {
    panel.OnPrint = [&panel] { ShowTextReport(*panel.RichEdit1, panel.TextDosyaadi->Caption()); };
}

// ---------------------------------------------------------------- report form

namespace {
tk::TForm::Params ReportParams() {
    tk::TForm::Params p;
    p.caption = "Rapor";
    p.width = 400;
    p.height = 300;
    p.position = tk::TPosition::poScreenCenter;
    p.style = WS_OVERLAPPEDWINDOW;
    return p;
}
} // namespace

TForm3::TForm3() : tk::TForm(ReportParams()) {}

} // namespace velmora::app
