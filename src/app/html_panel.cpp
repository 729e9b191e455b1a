#include "app/html_panel.h"

#include <cstdlib>
#include <exception>
#include <vector>

#include "html/navigation.h"
#include "toolkit/gdi.h"

namespace velmora::app {

namespace {

constexpr int kStripHeight = 27;
constexpr int kNameBarHeight = 17;
constexpr int kButtonWidth = 66;
constexpr int kButtonHeight = 22;
// The drop-down button's arrow comes in addition to its caption's room.
constexpr int kArrowWidth = 12;

// The strip's pictures, painted on a button glyph's 16x16 canvas.
enum class Glyph { Back, Forward, Edit };

void PaintGlyph(HDC dc, Glyph kind) {
    tk::BrushHandle fill(CreateSolidBrush(kind == Glyph::Edit ? RGB(255, 255, 255) : RGB(0, 128, 0)));
    tk::PenHandle outline(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    tk::SelectedObject brush(dc, fill.get());
    tk::SelectedObject pen(dc, outline.get());
    switch (kind) {
    case Glyph::Back: {
        const POINT arrow[] = {{1, 8}, {8, 1}, {8, 5}, {14, 5}, {14, 11}, {8, 11}, {8, 15}};
        Polygon(dc, arrow, 7);
        break;
    }
    case Glyph::Forward: {
        const POINT arrow[] = {{14, 8}, {7, 1}, {7, 5}, {1, 5}, {1, 11}, {7, 11}, {7, 15}};
        Polygon(dc, arrow, 7);
        break;
    }
    case Glyph::Edit: {
        // A page with lines of text.
        Rectangle(dc, 2, 1, 13, 15);
        for (int y = 4; y < 13; y += 2) {
            MoveToEx(dc, 4, y, nullptr);
            LineTo(dc, y == 12 ? 8 : 11, y);
        }
        break;
    }
    }
}

// Made once for the program: the actions that show them may outlive a panel.
HBITMAP GlyphBitmap(Glyph kind) {
    static std::vector<tk::BitmapHandle> glyphs = [] {
        std::vector<tk::BitmapHandle> made;
        for (Glyph g : {Glyph::Back, Glyph::Forward, Glyph::Edit})
            made.push_back(DrawButtonGlyph([g](HDC dc) { PaintGlyph(dc, g); }));
        return made;
    }();
    return glyphs[static_cast<size_t>(kind)].get();
}

} // namespace

bool IsShellLink(const std::string& url) {
    // The viewer reads local files only: a secure web address goes to the
    // shell like a plain one. A page is not trusted: anything else that
    // merely mentions a scheme stays with the viewer.
    return !html::ShellLinkUrl(url).empty();
}

THtmlPanel::THtmlPanel(const Params& params)
    : tk::TPanel(tk::TPanel::Params{params.parent, params.bounds, params.align, tk::TBevel::bvNone,
                                    tk::TBevel::bvNone, "", params.visible}) {
    const int width = params.bounds.right - params.bounds.left;
    const int height = params.bounds.bottom - params.bounds.top;

    // ---- commands
    HtmlActions.Load({
        {"Geri", "Geri", "Geri"},
        {"Ileri", "İleri", "İleri"},
        {"Duzenle", "Düzenle", "Düzenle"},
        {"Ara", "&Ara", "Ara", tk::ShortCut('A', tk::scCtrl)},
        {"Kopyala", "&Kopyala", "Kopyala", tk::ShortCut('C', tk::scCtrl)},
        {"HepsiniSec", "Hepsini &Seç", "Hepsini seç", tk::ShortCut('S', tk::scCtrl)},
    });
    HtmlActions.Get("Geri").SetPicture(GlyphBitmap(Glyph::Back));
    HtmlActions.Get("Ileri").SetPicture(GlyphBitmap(Glyph::Forward));
    HtmlActions.Get("Duzenle").SetPicture(GlyphBitmap(Glyph::Edit));
    // Everything starts disabled, as it is until the first HTML file.
    for (const auto& action : HtmlActions.Actions())
        action->SetEnabled(false);

    // ---- the strip
    Panel4 = std::make_unique<tk::TPanel>(tk::TPanel::Params{this, RECT{0, 0, width, kStripHeight},
                                                             tk::TAlign::alTop, tk::TBevel::bvNone,
                                                             tk::TBevel::bvNone, "", true});
    HtmlToolBar = std::make_unique<tk::TToolBar>(Panel4.get(), kStripHeight);
    stripFont_ = tk::MakeFont("Tahoma", 8);
    HtmlToolBar->SetFont(stripFont_.get()); // the buttons' captions
    const int top = (kStripHeight - kButtonHeight) / 2;
    auto button = [&](const char* name, const char* caption, const char* action, int left, bool dropDown) {
        tk::TSpeedButton::Params p;
        p.parent = HtmlToolBar.get();
        p.name = name;
        p.caption = caption;
        p.left = left;
        p.top = top;
        p.width = kButtonWidth + (dropDown ? kArrowWidth : 0);
        p.height = kButtonHeight;
        p.dropDownArrow = dropDown;
        p.action = &HtmlActions.Get(action);
        return std::make_unique<tk::TSpeedButton>(p);
    };
    BackButton = button("BackButton", "Geri", "Geri", 2, false);
    FwdButton = button("FwdButton", "İleri", "Ileri", 2 + kButtonWidth, false);
    HtmlToolBar->AddDivider(2 + 2 * kButtonWidth + 3);
    Duzen = button("Duzen", "Düzenle", "Duzenle", 2 + 2 * kButtonWidth + 8, true);

    // ---- the name bar and the viewer
    DosyaAdi = std::make_unique<widgets::TFileNameBar>(this, kNameBarHeight);
    DosyaAdi->SetTop(kStripHeight);

    html::THtmlView::Params vp;
    vp.parent = this;
    vp.bounds = RECT{0, kStripHeight + kNameBarHeight, width, height};
    vp.align = tk::TAlign::alClient;
    htmlView = std::make_unique<html::THtmlView>(vp);
    htmlView->SetDefBackground(RGB(255, 255, 255));
    htmlView->SetBorderStyle(html::THTMLBorderStyle::htNone);
    htmlView->SetDefFontName("Times New Roman");
    htmlView->SetDefPreFontName("Courier New");
    htmlView->SetNoSelect(false);
    htmlView->SetCharSet(DEFAULT_CHARSET);
    htmlView->SethtOptions(0);
    htmlView->SetHistoryMaxCount(params.historyMaxCount);

    std::weak_ptr<bool> alive = alive_;
    // Handlers check the panel is still there: a queued message may outlive it.
    auto guarded = [alive](std::function<void()> run) {
        return [alive, run] {
            if (auto a = alive.lock(); a && *a) run();
        };
    };
    HtmlActions.Get("Geri").OnExecute = guarded([this] { BackButtonClick(*BackButton); });
    HtmlActions.Get("Ileri").OnExecute = guarded([this] { BackButtonClick(*FwdButton); });
    HtmlActions.Get("Duzenle").OnExecute = guarded([this] { DuzenClick(); });
    HtmlActions.Get("Ara").OnExecute = guarded([this] { FindClick(); });
    HtmlActions.Get("Kopyala").OnExecute = guarded([this] { CopyClick(); });
    HtmlActions.Get("HepsiniSec").OnExecute = guarded([this] { SelectAllClick(); });
    auto update = [alive](std::function<bool()> enabled) {
        return [alive, enabled](tk::TAction& action) {
            if (auto a = alive.lock(); a && *a) action.SetEnabled(enabled());
        };
    };
    html::THtmlView* view = htmlView.get();
    HtmlActions.Get("Geri").OnUpdate =
        update([view] { return view->HistoryIndex() < view->History().Count() - 1; });
    HtmlActions.Get("Ileri").OnUpdate = update([view] { return view->HistoryIndex() > 0; });
    for (const char* name : {"Duzenle", "Ara", "Kopyala", "HepsiniSec"})
        HtmlActions.Get(name).OnUpdate = update([this] { return htmlKind_; });

    PopupMenu2 = std::make_unique<tk::TPopupMenu>();
    PopupMenu2->Load(
        {
            {0, "Ara1", nullptr, 0, "Ara"},
            {0, "Kopyala1", nullptr, 0, "Kopyala"},
            {0, "N1", "-"},
            {0, "HepsiniSec1", nullptr, 0, "HepsiniSec"},
        },
        &HtmlActions);
    htmlView->SetPopupMenu(PopupMenu2.get());

    htmlView->OnHotSpotClick = [this](const std::string& url, bool& handled) { HotSpotClick(url, handled); };
    htmlView->OnRightClick = [this](const html::TRightClickParameters&) { RightClick(); };
    // The viewer calls this again after the link under the mouse is known.
    htmlView->OnMouseMove = [this](UINT, int32_t, int32_t) {
        if (OnStatusLink) OnStatusLink(htmlView->HotSpotURL());
    };
    // Also when no move says so: the mouse left the view, or another file came.
    htmlView->OnHotSpotCovered = [this](const std::string& url) {
        if (OnStatusLink) OnStatusLink(url);
    };
    OpenLink = [](const std::string& url) {
        tk::ShellExecuteRequest request;
        request.owner = nullptr;
        request.verb = "open";
        request.file = url;
        request.showCommand = SW_SHOWNORMAL;
        tk::CurrentDialogs().Execute(request);
    };

    Realign();
}

THtmlPanel::~THtmlPanel() {
    *alive_ = false;
    find_.reset();
    if (htmlView) {
        htmlView->SetPopupMenu(nullptr);
        htmlView->OnHotSpotClick = nullptr;
        htmlView->OnRightClick = nullptr;
        htmlView->OnMouseMove = nullptr;
    }
    for (tk::TSpeedButton* b : {BackButton.get(), FwdButton.get(), Duzen.get()})
        if (b) b->SetAction(nullptr);
}

// ---- loading

bool THtmlPanel::LoadFile(const std::string& path) {
    return Load(path, false);
}

bool THtmlPanel::LoadPicture(const std::string& path) {
    return Load(path, true);
}

bool THtmlPanel::Load(const std::string& path, bool picture) {
    // The history holds only the pages reached from this file.
    htmlView->History().Clear();
    try {
        if (picture)
            htmlView->LoadImageFile(path);
        else
            htmlView->LoadFromFile(path);
    } catch (const std::exception& error) {
        // Nothing half-loaded stays under a name it does not match.
        Clear();
        tk::ShowError(error.what());
        return false;
    }
    fileName_ = path;
    ShowStrip(!picture);
    ShowFileName(path);
    return true;
}

void THtmlPanel::ShowFileName(const std::string& path) {
    const std::string& title =
        htmlView->CurrentKind() == html::TDocumentKind::dkHtml ? htmlView->DocumentTitle() : std::string();
    DosyaAdi->ShowFile(path);
    if (!title.empty()) DosyaAdi->SetCaption(" " + title);
}

void THtmlPanel::ShowStrip(bool show) {
    Panel4->SetVisible(show);
}

void THtmlPanel::Clear() {
    htmlView->Clear();
    htmlView->History().Clear();
    fileName_.clear();
    DosyaAdi->ShowFile("");
}

void THtmlPanel::UpdateCommands(bool htmlKind) {
    htmlKind_ = htmlKind;
    HtmlActions.UpdateAll();
}

// ---- commands

void THtmlPanel::BackButtonClick(tk::TSpeedButton& button) {
    // Geri goes to an older page (a higher index), İleri to a newer one.
    const int step = &button == BackButton.get() ? 1 : -1;
    htmlView->SetHistoryIndex(htmlView->HistoryIndex() + step);
}

void THtmlPanel::DuzenClick() {
    // Just under the button's lower left corner, as the text panel's Düzen.
    const RECT bounds = Duzen->ScreenRect();
    const POINT corner{bounds.left, bounds.top};
    PopupMenu2->Owner = htmlView->Handle();
    Duzen->SetMenuOpen(true);
    struct Release {
        tk::TSpeedButton& button;
        ~Release() { button.SetMenuOpen(false); }
    } release{*Duzen};
    PopupMenu2->Popup(corner.x - 2, corner.y + kButtonHeight + 1);
}

void THtmlPanel::RightClick() {
    const DWORD at = GetMessagePos();
    PopupMenu2->Owner = htmlView->Handle();
    PopupMenu2->Popup(static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at)));
}

void THtmlPanel::FindClick() {
    if (RaiseOpenFind(find_)) return;
    tk::FindRequest request;
    request.owner = Handle() ? GetAncestor(Handle(), GA_ROOT) : nullptr;
    // Forward only, with the match-case box: the viewer has no other search.
    request.down = true;
    request.hideUpDown = true;
    request.hideWholeWord = true;
    std::weak_ptr<bool> alive = alive_;
    tk::FindHandlers handlers;
    handlers.onFind = [this, alive](const tk::FindEvent& event) {
        if (auto a = alive.lock(); a && *a) FindNext(event.text, event.matchCase);
    };
    find_ = tk::CurrentDialogs().BeginFind(request, std::move(handlers));
}

void THtmlPanel::FindNext(const std::string& text, bool matchCase) {
    if (htmlView->Find(text, matchCase)) return;
    tk::ShowInformation("Başka bulunamadı. \"" + text + "\"");
}

void THtmlPanel::CopyClick() {
    const int64_t length = std::llabs(static_cast<int64_t>(htmlView->SelLength()));
    if (length > kCopyWarningLength &&
        tk::ShowMessageBox(GetActiveWindow(), "Seçilen alan çok büyük olduğundan eksik olarak alınabilir.",
                           "Warning", MB_OKCANCEL | MB_ICONWARNING) != IDOK)
        return;
    htmlView->CopyToClipboard();
}

void THtmlPanel::SelectAllClick() {
    htmlView->SelectAll();
}

void THtmlPanel::HotSpotClick(const std::string& url, bool& handled) {
    const std::string address = html::ShellLinkUrl(url);
    if (address.empty()) return; // the viewer follows it, or leaves it
    if (OpenLink) OpenLink(address);
    handled = true;
}

bool THtmlPanel::HasFocus() const {
    return FocusWithin(htmlView.get());
}

} // namespace velmora::app
