#include "app/report_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "app/text_panel.h"
#include "support/panel_host.h"
#include "support/scripted_dialogs.h"
#include "toolkit/application.h"
#include "toolkit/form.h"

using testing_support::DialogCall;
using testing_support::PanelHost;
using testing_support::Pump;
using testing_support::ScriptedDialogs;
using namespace velmora::app;

namespace {

SYSTEMTIME FixedTime() {
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 10;
    t.wHour = 21;
    t.wMinute = 5;
    t.wSecond = 7;
    return t;
}

// A metafile record's text, if it draws one (a callback: stdcall in the 32-bit build).
int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) {
    auto& out = *reinterpret_cast<std::vector<std::string>*>(data);
    if (record->iType == EMR_EXTTEXTOUTA) {
        auto* r = reinterpret_cast<const EMREXTTEXTOUTA*>(record);
        out.emplace_back(reinterpret_cast<const char*>(record) + r->emrtext.offString, r->emrtext.nChars);
    } else if (record->iType == EMR_EXTTEXTOUTW) {
        auto* r = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        auto* wide =
            reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(record) + r->emrtext.offString);
        std::string text(r->emrtext.nChars * 2 + 1, '\0');
        int n = WideCharToMultiByte(1254, 0, wide, static_cast<int>(r->emrtext.nChars), text.data(),
                                    static_cast<int>(text.size()), nullptr, nullptr);
        text.resize(std::max(n, 0));
        out.push_back(text);
    }
    return 1;
}

// The texts a metafile recorded, in order.
std::vector<std::string> RecordedTexts(HENHMETAFILE metafile) {
    std::vector<std::string> texts;
    EnumEnhMetaFile(nullptr, metafile, CollectText, &texts, nullptr);
    return texts;
}

// Prints pages [from, to] into a metafile and returns the texts drawn.
std::vector<std::string> PrintedTexts(const TTextPrintout& printout, int from, int to, int copies = 1) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateEnhMetaFileA(screen, nullptr, nullptr, nullptr);
    ReleaseDC(nullptr, screen);
    std::string error;
    EXPECT_TRUE(printout.Print(dc, from, to, copies, error)) << error;
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    std::vector<std::string> texts = RecordedTexts(metafile);
    DeleteEnhMetaFile(metafile);
    return texts;
}

bool Has(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

int Count(const std::vector<std::string>& texts, const std::string& prefix) {
    return static_cast<int>(std::count_if(texts.begin(), texts.end(),
                                          [&](const std::string& t) { return t.rfind(prefix, 0) == 0; }));
}

// Pixels that are not white inside a rectangle of a 32-bit DIB section.
int Ink(HBITMAP bitmap, RECT r) {
    DIBSECTION dib{};
    if (GetObject(bitmap, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits) return -1;
    const auto* bits = static_cast<const uint32_t*>(dib.dsBm.bmBits);
    int ink = 0;
    for (LONG y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, dib.dsBm.bmHeight); ++y)
        for (LONG x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, dib.dsBm.bmWidth); ++x)
            if ((bits[y * dib.dsBm.bmWidth + x] & 0xFFFFFF) != 0xFFFFFF) ++ink;
    return ink;
}

// A report rectangle in a page bitmap's pixels.
RECT Pixels(const TReportRect& r, int dpi) {
    return RECT{TwipsToDevice(r.left, dpi), TwipsToDevice(r.top, dpi), TwipsToDevice(r.right, dpi),
                TwipsToDevice(r.bottom, dpi)};
}

std::string Lines(int from, int to) {
    std::string text;
    for (int i = from; i <= to; ++i)
        text += "Satır " + std::to_string(i) + "\r\n";
    return text;
}

class ReportTest : public PanelHost {
protected:
    static void SetUpTestSuite() { OpenHost({"velmora", 760, 420}); }
    static void TearDownTestSuite() { CloseHost(); }
    void SetUp() override {
        actions = std::make_unique<tk::TActionList>();
        TTextPanel::Params p;
        p.parent = form;
        p.bounds = RECT{0, 0, 760, 380};
        panel = std::make_unique<TTextPanel>(p);
        panel->BindCommands(*actions);
        BindTextReport(*panel);
        form->Realign();
        Pump(10);
    }
    void TearDown() override {
        panel.reset();
        actions.reset();
    }

    void Load(const std::string& name, const std::string& contents) {
        ASSERT_TRUE(panel->LoadFile(folder->File(name, contents))) << name;
    }
    std::unique_ptr<TTextPrintout> Printout(const std::string& name) {
        return std::make_unique<TTextPrintout>(panel->RichEdit1->Rtf(), name,
                                               ReportDateTimeText(FixedTime()));
    }
    // Lines of the editor's font that fill one page.
    int LinesPerPage() {
        Load("olcu.txt", Lines(1, 400));
        auto printout = Printout("olcu.txt");
        const TReportPageSlice& first = printout->Report().Slices().front();
        return first.endLine - first.firstLine;
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<tk::TActionList> actions;
    std::unique_ptr<TTextPanel> panel;
};

} // namespace

TEST_F(ReportTest, DateAndTimeInTheUsersFormat) {
    EXPECT_EQ(GetACP(), 1254u);
    EXPECT_EQ(ReportDateTimeText(FixedTime()), "10.12.2026 21:05:07");
}

TEST_F(ReportTest, ThreePagesEachWithNameDateAndPageNumber) {
    const int perPage = LinesPerPage();
    ASSERT_GT(perPage, 40);
    Load("üç sayfa.txt", Lines(1, 2 * perPage + 7));
    auto printout = Printout(panel->TextDosyaadi->Caption());
    ASSERT_EQ(printout->PageCount(), 3);
    const TReportGeometry& g = ReportGeometry();
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        // What the page draws, as a metafile records it.
        const std::vector<std::string> texts = PrintedTexts(*printout, page, page);
        EXPECT_TRUE(Has(texts, "üç sayfa.txt"));
        EXPECT_TRUE(Has(texts, "10.12.2026 21:05:07"));
        EXPECT_TRUE(Has(texts, "sayfa: " + std::to_string(page)));
        EXPECT_EQ(Count(texts, "sayfa: "), 1);
        EXPECT_TRUE(Has(texts, FooterCaptionText()));
        EXPECT_TRUE(Has(texts, "Satır " + std::to_string((page - 1) * perPage + 1)));
        EXPECT_EQ(Count(texts, "Satır "), page < 3 ? perPage : 7);
        // And as pixels: ink in the header's left and right, on the rules, in the footer's corners.
        const int dpi = 96;
        tk::BitmapHandle bitmap = printout->RenderPage(page - 1, dpi);
        ASSERT_TRUE(bitmap);
        const RECT header = Pixels(g.header, dpi), footer = Pixels(g.footer, dpi);
        const int middle = (header.left + header.right) / 2;
        EXPECT_GT(Ink(bitmap.get(), RECT{header.left, header.top, middle, header.bottom}), 20);
        EXPECT_GT(Ink(bitmap.get(), RECT{middle, header.top, header.right, header.bottom}), 20);
        EXPECT_GT(Ink(bitmap.get(), RECT{footer.left, footer.top + 2, middle, footer.bottom}), 20);
        EXPECT_GT(Ink(bitmap.get(), RECT{middle, footer.top + 2, footer.right, footer.bottom}), 20);
        const int rule = TwipsToDevice(g.headerRule.top, dpi);
        EXPECT_GT(Ink(bitmap.get(), RECT{middle - 50, rule - 1, middle + 50, rule + 2}), 90);
        // Nothing outside the margins.
        EXPECT_EQ(Ink(bitmap.get(), RECT{0, 0, 1000, header.top - 1}), 0);
        EXPECT_EQ(Ink(bitmap.get(), RECT{0, footer.bottom + 1, 1000, 2000}), 0);
    }
}

TEST_F(ReportTest, AnEmptyDocumentPrintsOnePageWithHeaderAndFooter) {
    Load("bos.txt", "");
    auto printout = Printout("bos.txt");
    ASSERT_EQ(printout->PageCount(), 1);
    EXPECT_EQ(PrintedTexts(*printout, 1, 1),
              (std::vector<std::string>{"bos.txt", "10.12.2026 21:05:07", FooterCaptionText(), "sayfa: 1"}));
    // The panel before any file: still one page.
    panel->Clear();
    EXPECT_EQ(Printout("")->PageCount(), 1);
}

TEST_F(ReportTest, FormattingReachesThePage) {
    Load("bicim.rtf", "{\\rtf1\\ansi\\ansicpg1254\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset162 Arial;}}"
                      "{\\colortbl ;\\red255\\green0\\blue0;}\\pard\\qc\\f0\\fs40 Ba\\'fel\\'fdk\\par"
                      "\\pard\\fs20 d\\'fcz \\b kal\\'fdn\\b0  \\cf1 k\\'fdrm\\'fdz\\'fd\\cf0\\par}");
    auto printout = Printout("bicim.rtf");
    const TReportPage page = printout->ComposePage(0);
    auto find = [&](const std::string& text) -> const TReportOp* {
        for (const TReportOp& op : page.ops)
            if (op.text == text) return &op;
        return nullptr;
    };
    const TReportOp* title = find("Başlık");
    const TReportOp* bold = find("kalın");
    const TReportOp* red = find("kırmızı");
    ASSERT_TRUE(title && bold && red);
    EXPECT_EQ(title->font.twips, 400);
    EXPECT_GT(title->x, ReportGeometry().detailText.left + 4000); // centred
    EXPECT_TRUE(bold->font.bold);
    EXPECT_EQ(red->font.color, RGB(255, 0, 0));
    // Red pixels on the rendered page.
    tk::BitmapHandle bitmap = printout->RenderPage(0, 150);
    DIBSECTION dib{};
    ASSERT_EQ(GetObject(bitmap.get(), sizeof dib, &dib), static_cast<int>(sizeof dib));
    const auto* bits = static_cast<const uint32_t*>(dib.dsBm.bmBits);
    const int count = dib.dsBm.bmWidth * dib.dsBm.bmHeight;
    EXPECT_GT(std::count_if(bits, bits + count, [](uint32_t p) { return (p & 0xFFFFFF) == 0xFF0000; }), 10);
}

TEST_F(ReportTest, ALineHigherThanThePageIsCutAtTheDetailBand) {
    const int dpi = 48;
    const TReportGeometry& g = ReportGeometry();
    const RECT footer = Pixels(g.footer, dpi);
    const RECT belowDetail{footer.left, footer.top + 1, footer.right, footer.bottom + 200};
    Load("bos.rtf", "");
    const int footerAlone = Ink(Printout("dev.rtf")->RenderPage(0, dpi).get(), belowDetail);
    Load("dev.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs3200 \\'dcg\\par}");
    auto printout = Printout("dev.rtf");
    ASSERT_GE(printout->PageCount(), 1);
    tk::BitmapHandle bitmap = printout->RenderPage(0, dpi);
    EXPECT_GT(Ink(bitmap.get(), Pixels(g.detail, dpi)), 1000);
    // Below the detail band only the footer's own texts: the glyphs end at the band.
    EXPECT_GT(footerAlone, 0);
    EXPECT_EQ(Ink(bitmap.get(), belowDetail), footerAlone);
}

TEST_F(ReportTest, ThePrintButtonShowsThePreview) {
    const int perPage = LinesPerPage();
    Load("onizleme.txt", Lines(1, 2 * perPage + 1));
    std::vector<std::string> labels;
    bool previewSeen = false;
    dialogs.AnswerModal([&](tk::TForm& form) {
        auto* preview = dynamic_cast<TReportPreview*>(&form);
        if (!preview) return IDCANCEL;
        previewSeen = true;
        EXPECT_EQ(preview->Caption(), "Baskı Önizleme");
        labels.push_back(preview->PageLabel->Caption());
        EXPECT_FALSE(preview->PriorButton->Enabled());
        preview->NextButton->Click();
        labels.push_back(preview->PageLabel->Caption());
        preview->LastButton->Click();
        labels.push_back(preview->PageLabel->Caption());
        EXPECT_FALSE(preview->NextButton->Enabled());
        preview->NextButton->Click(); // nothing past the last page
        labels.push_back(preview->PageLabel->Caption());
        preview->FirstButton->Click();
        labels.push_back(preview->PageLabel->Caption());
        return IDCANCEL;
    });
    panel->ToolButton17->Click();
    EXPECT_TRUE(previewSeen);
    EXPECT_EQ(labels, (std::vector<std::string>{"Sayfa 1 / 3", "Sayfa 2 / 3", "Sayfa 3 / 3", "Sayfa 3 / 3",
                                                "Sayfa 1 / 3"}));
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].kind, "modal");
}

TEST_F(ReportTest, PreviewWindowKeysAndZoom) {
    const int perPage = LinesPerPage();
    Load("tuslar.txt", Lines(1, perPage + 1));
    auto printout = Printout("tuslar.txt");
    TReportPreview preview(*printout);
    preview.Show();
    Pump(50);
    HWND view = preview.PageView->Handle();
    EXPECT_EQ(preview.Page(), 0);
    PostMessageA(view, WM_KEYDOWN, VK_NEXT, 1);
    Pump(50);
    EXPECT_EQ(preview.Page(), 1);
    PostMessageA(view, WM_KEYDOWN, VK_HOME, 1);
    Pump(50);
    EXPECT_EQ(preview.Page(), 0);
    // The whole page fits the window; 100% is the screen's size and scrolls.
    RECT client;
    GetClientRect(view, &client);
    const SIZE whole = TTextPrintout::PageSize(preview.ShownDpi());
    EXPECT_LE(whole.cy, client.bottom);
    EXPECT_LE(whole.cx, client.right);
    // The user picks "%100" in the zoom box.
    HWND zoom = preview.ZoomBox->Handle();
    preview.ZoomBox->SetItemIndex(4);
    SendMessageA(GetParent(zoom), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(zoom), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(zoom));
    EXPECT_EQ(preview.Zoom(), TReportPreview::TZoom::z100);
    EXPECT_EQ(preview.ShownDpi(), tk::ScreenDpi());
    SendMessageA(view, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_GT(preview.PageView->ScrollPosition().y, 0);
    preview.SetZoom(TReportPreview::TZoom::zPageWidth);
    GetClientRect(view, &client);
    EXPECT_NEAR(TTextPrintout::PageSize(preview.ShownDpi()).cx, client.right - 28, 16);
    preview.Hide();
}

TEST_F(ReportTest, PrintingThroughThePrintDialog) {
    const int perPage = LinesPerPage();
    Load("yazdir.txt", Lines(1, 2 * perPage + 1));
    auto printout = Printout("yazdir.txt");
    ASSERT_EQ(printout->PageCount(), 3);
    TReportPreview preview(*printout);

    // The pages of a range land on the DC the dialog gave: a bitmap here.
    const SIZE size = TTextPrintout::PageSize(96);
    HDC screen = GetDC(nullptr);
    tk::BitmapHandle target(CreateCompatibleBitmap(screen, size.cx, size.cy));
    ReleaseDC(nullptr, screen);
    dialogs.AnswerPrint(true, [&](tk::PrintAnswer& answer) {
        HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, target.get());
        PatBlt(dc, 0, 0, size.cx, size.cy, WHITENESS);
        answer.dc.reset(dc);
        answer.range = tk::TPrintRange::prPageNums;
        answer.fromPage = 3;
        answer.toPage = 3;
    });
    preview.PrintButton->Click();
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    const DialogCall& call = dialogs.Calls()[0];
    EXPECT_EQ(call.kind, "print");
    EXPECT_EQ(call.print.minPage, 1);
    EXPECT_EQ(call.print.maxPage, 3);
    EXPECT_EQ(call.print.toPage, 3);
    // Page 3 holds one line: ink at the top of the detail band, none lower down.
    tk::MemoryDC check(nullptr);
    check.Select(target.get());
    const TReportGeometry& g = ReportGeometry();
    auto inkAt = [&](int twipsY) {
        int ink = 0;
        const int y = TwipsToDevice(twipsY, 96);
        for (int x = TwipsToDevice(g.detailText.left, 96); x < 300; ++x)
            for (int dy = 0; dy < 10; ++dy)
                if ((GetPixel(check, x, y + dy) & 0xFFFFFF) != 0xFFFFFF) ++ink;
        return ink;
    };
    EXPECT_GT(inkAt(g.detailText.top), 5);
    EXPECT_EQ(inkAt(g.detailText.top + 1440), 0);
    EXPECT_TRUE(dialogs.Calls().size() == 1u); // no error box

    // Cancelled: nothing printed, nothing said. No printer DC: the reason in an error box.
    dialogs.Clear();
    dialogs.AnswerPrint(false);
    preview.PrintClick();
    dialogs.AnswerPrint(true);
    preview.PrintClick();
    ASSERT_EQ(dialogs.Calls().size(), 3u);
    EXPECT_EQ(dialogs.Calls()[2].kind, "message");
    EXPECT_EQ(dialogs.Calls()[2].text, "Yazıcı hazır değil.");
    EXPECT_TRUE(dialogs.Calls()[2].flags & MB_ICONERROR);

    // The printer is chosen through the seam's set-up dialog.
    preview.SetupButton->Click();
    ASSERT_EQ(dialogs.Calls().size(), 4u);
    EXPECT_EQ(dialogs.Calls()[3].kind, "printsetup");
}

TEST_F(ReportTest, PageRangesAndCopiesOnAMetafile) {
    const int perPage = LinesPerPage();
    Load("aralik.txt", Lines(1, 2 * perPage + 1));
    auto printout = Printout("aralik.txt");
    struct Case {
        int from, to, copies;
        std::vector<std::string> numbers;
    } cases[] = {
        {1, 3, 1, {"sayfa: 1", "sayfa: 2", "sayfa: 3"}},
        {2, 3, 1, {"sayfa: 2", "sayfa: 3"}},
        {2, 2, 2, {"sayfa: 2", "sayfa: 2"}},
        {0, 99, 1, {"sayfa: 1", "sayfa: 2", "sayfa: 3"}}, // clamped to the document
        {3, 1, 1, {"sayfa: 3"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> numbers;
        for (const std::string& t : PrintedTexts(*printout, c.from, c.to, c.copies))
            if (t.rfind("sayfa: ", 0) == 0) numbers.push_back(t);
        EXPECT_EQ(numbers, c.numbers) << c.from << "-" << c.to << " x" << c.copies;
    }
}

// The main window's text panel: its print button previews the document it holds.
TEST(ReportInTheMainWindow, ThePrintButtonPreviewsTheOpenDocument) {
    ScriptedDialogs dialogs;
    testing_support::TempFolder app;
    app.Folder("ini");
    auto forms = CreateForms();
    forms->form1->AppDir = app.Path();
    ShowMainForm(*forms);
    Pump();
    TTextPanel& text = *forms->form1->TextPanel;
    ASSERT_TRUE(text.LoadFile(app.File("mektup.txt", "Sayın okur,\r\nbir satır daha\r\n")));
    dialogs.Clear();
    std::string fileName, label;
    std::vector<std::string> texts;
    dialogs.AnswerModal([&](tk::TForm& form) {
        if (auto* preview = dynamic_cast<TReportPreview*>(&form)) {
            fileName = preview->Printout().FileName();
            label = preview->PageLabel->Caption();
            texts = PrintedTexts(preview->Printout(), 1, 1);
        }
        return IDCANCEL;
    });
    text.ToolButton17->Click();
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].caption, "Baskı Önizleme");
    EXPECT_EQ(fileName, "mektup.txt");
    EXPECT_EQ(label, "Sayfa 1 / 1");
    EXPECT_TRUE(Has(texts, "Sayın okur,"));
    EXPECT_TRUE(Has(texts, "bir satır daha"));
    EXPECT_TRUE(Has(texts, "mektup.txt"));
    text.RichEdit1->SetModified(false);
    forms.reset();
}
