// The report form and the text report it prints: the document of the text
// panel's editor on Letter pages with header and footer (app/report_layout),
// drawn with GDI on any DC — a printer, a metafile, a bitmap — and shown in a
// print preview window of ours, from which the user prints.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/report_layout.h"
#include "toolkit/controls.h"
#include "toolkit/form.h"
#include "toolkit/gdi.h"
#include "toolkit/rich_edit.h"

namespace velmora::app {

class TTextPanel;

// The date and time at the top of each page, in the user's own formats.
std::string ReportDateTimeText(const SYSTEMTIME& time);

// Measures report text with GDI. Fonts are made at one pixel per twip, so the
// layout is the same whatever device the pages are drawn on later.
class TGdiReportMetrics : public TReportMetrics {
public:
    TGdiReportMetrics();
    TReportFontExtent Extent(const TReportFont& font) override;
    void PrefixWidths(const TReportFont& font, std::string_view text, std::vector<int32_t>& widths) override;

private:
    HFONT FontFor(const TReportFont& font);
    tk::MemoryDC dc_;
    std::vector<std::pair<TReportFont, tk::FontHandle>> fonts_;
    std::vector<std::pair<TReportFont, TReportFontExtent>> extents_;
};

// A font for drawing report text on a device of `dpi` pixels per inch.
tk::FontHandle MakeReportFont(const TReportFont& font, int dpi);

// Draws a composed page on a DC whose pixels are dpiX by dpiY per inch; the
// paper's top-left corner lands at `origin` (device units).
void DrawReportPage(HDC dc, const TReportPage& page, int dpiX, int dpiY, POINT origin);

// A text document ready to preview and print.
class TTextPrintout {
public:
    // `rtf` is the document as the rich-text control writes it (plain text is
    // taken as such).
    TTextPrintout(const std::string& rtf, std::string fileName, std::string dateTime);
    TTextPrintout(const TTextPrintout&) = delete;
    TTextPrintout& operator=(const TTextPrintout&) = delete;

    int PageCount() const { return report_->PageCount(); }
    const std::string& FileName() const { return fileName_; }
    TReportPage ComposePage(int index) const { return report_->ComposePage(index); }
    const TTextReport& Report() const { return *report_; }

    // Page `index` (from 0) on a white 32-bit top-down bitmap at `dpi`.
    tk::BitmapHandle RenderPage(int index, int dpi) const;
    static SIZE PageSize(int dpi);

    // Prints pages [fromPage, toPage] (from 1, clamped to the document) `copies`
    // times on a printer DC. A DC that is no printer (a metafile or bitmap
    // the caller records into) gets the pages drawn one after another. False
    // with the reason in `error` when the printer refused the job.
    bool Print(HDC dc, int fromPage, int toPage, int copies, std::string& error) const;

private:
    std::string fileName_;
    std::unique_ptr<TGdiReportMetrics> metrics_;
    std::unique_ptr<TTextReport> report_;
};

// The page shown in the preview: the page bitmap on the work-space colour,
// scrolled when it is larger than the window.
class TReportPageView : public tk::TControl {
public:
    explicit TReportPageView(tk::TControl* parent);
    // The bitmap shown (owned by the caller); null shows nothing.
    void SetPage(HBITMAP page, SIZE size);
    POINT ScrollPosition() const { return scroll_; }
    // Keys the preview acts on (pages, zoom, closing).
    std::function<void(WORD key)> OnKey;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void UpdateScrollBars();
    void ScrollTo(int x, int y);
    void Scroll(int bar, WORD request);
    HBITMAP page_ = nullptr;
    SIZE size_{0, 0};
    POINT scroll_{0, 0};
};

// The print preview window: page navigation, zoom, printer set-up and
// printing through the print dialog.
class TReportPreview : public tk::TForm {
public:
    explicit TReportPreview(TTextPrintout& printout);
    ~TReportPreview() override;

    enum class TZoom { zWholePage, zPageWidth, z50, z75, z100, z150, z200 };

    const TTextPrintout& Printout() const { return printout_; }
    int Page() const { return page_; } // from 0
    void SetPage(int page);
    TZoom Zoom() const { return zoom_; }
    void SetZoom(TZoom zoom);
    // Pixels per inch the page is shown at.
    int ShownDpi() const { return dpi_; }
    // Print dialog, then the chosen pages; failures are reported in a box.
    void PrintClick();
    void PrinterSetupClick();

    std::unique_ptr<tk::TPanel> ToolPanel;
    std::unique_ptr<tk::TButton> FirstButton, PriorButton, NextButton, LastButton;
    std::unique_ptr<tk::TLabel> PageLabel;
    std::unique_ptr<tk::TComboBox> ZoomBox;
    std::unique_ptr<tk::TButton> PrintButton, SetupButton, CloseButton;
    std::unique_ptr<TReportPageView> PageView;

private:
    void Render();
    void UpdateControls();
    int ZoomDpi() const;
    TTextPrintout& printout_;
    int page_ = 0;
    TZoom zoom_ = TZoom::zWholePage;
    int dpi_ = 0;
    tk::BitmapHandle bitmap_;
};

// Previews the editor's document modally (the dialogs seam's ShowModal);
// printing happens from the preview.
void ShowTextReport(const tk::TRichEdit& editor, const std::string& fileName);
// The text panel's print button shows its document's report.
void BindTextReport(TTextPanel& panel);

// The report form: holds the report's layout; never shown itself.
class TForm3 : public tk::TForm {
public:
    TForm3();
};

} // namespace velmora::app
