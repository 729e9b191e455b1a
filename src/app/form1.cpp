#include "app/form1.h"

#include "app/messages.h"
#include "app/options_form.h"
#include "app/report_form.h"
#include "app/viewer_dispatch.h"

#include <shellapi.h>

#include "explorer/path_utils.h"
#include "explorer/shell_utils.h"
#include "toolkit/ansi_paths.h"
#include "toolkit/application.h"
#include "toolkit/trace.h"

namespace velmora::app {

namespace {

tk::TForm::Params MainWindowParams() {
    tk::TForm::Params p;
    p.caption = "velmora";
    p.width = 955;
    p.height = 418;
    p.position = tk::TPosition::poDesktopCenter;
    p.fontName = "MS Sans Serif";
    p.fontPoints = 8;
    return p;
}

// The window's own commands; the explorer's and the hex panel's bind themselves.
constexpr int kViewerGroup = 1;
const std::vector<tk::ActionRow> kWindowActions = {
    {"MetinEditoru", "Metin Editörü", "Metin Editörü", 0, "TB_TEXTDOC", kViewerGroup},
    {"HtmlveResimEditoru", "Html ve Resim Editörü", "Html ve Resim Editörü", 0, "TB_HTML", kViewerGroup},
    {"HexEditoru", "Hex Editörü", "Hex Editörü", 0, "TB_HEX", kViewerGroup},
    // The start-up binds these to the options window and the topics window.
    {"Secenekler", "Seçenekler", "Seçenekler", 0, "TB_OPTIONS"},
    {"Konular", "", "", 0, "TB_TOPICS"},
    {"Cikis", "Çıkış", "Çıkış", 0, "TB_EXIT"},
};

// The tool bar after the path box, left to right.
const std::vector<tk::TToolBar::ButtonRow> kButtons = {
    {"SpeedButton1", "UstKlasor", true},
    {"SpeedButton7", "ArsivKlasoruneGit", true},
    {"Folders", "KlasorKutusu", false},
    {"BtnRefresh", "Guncelle", false},
    {"SpeedButton5", "YeniDokuman", true},
    {"SpeedButton6", "KlasorEkle", false},
    {"BtnCut", "Kes", true},
    {"BtnCopy", "Kopyala", false},
    {"BtnPaste", "Yapistir", false},
    {"BtnDelete", "Sil", false},
    {"SpeedButton8", "Konular", true},
    {"SpeedButton2", "Goruntule", false},
    {"BtnSearch", "Bul", false},
    {"BtnGoTo", "HedefKlasor", false},
    {"SpeedButton4", "Secenekler", true},
    {"BtnDoc", "MetinEditoru", true},
    {"BtnHtml", "HtmlveResimEditoru", false},
    {"BtnHex", "HexEditoru", false},
    {"BtnIcon", "GenisIkon", true},
    {"BtnSIcon", "KucukIkon", false},
    {"BtnList", "Listele", false},
    {"BtnDetail", "Detayli", false},
    {"BtnExit", "Cikis", true},
};

constexpr int kToolBarHeight = 30;

// Captions and shortcuts of items come from their actions.
const std::vector<tk::MenuRow> kMainMenu = {
    {0, "Dosya1", "&Dosya"},
    {1, "Ac1", nullptr, 0, "Ac"},
    {1, "Goruntule1", nullptr, 0, "Goruntule"},
    {1, "N1", "-"},
    {1, "Sil1", nullptr, 0, "Sil"},
    {1, "AdiniDegistir1", nullptr, 0, "AdiniDegistir"},
    {1, "Nitelik1", nullptr, 0, "Nitelik"},
    {1, "N2", "-"},
    {1, "YeniKlasor1", nullptr, 0, "YeniKlasor"},
    {1, "N3", "-"},
    {1, "Cikis1", nullptr, 0, "Cikis"},
    {0, "Duzen1", "Dü&zen"},
    {1, "Kes1", nullptr, 0, "Kes"},
    {1, "Kopyala1", nullptr, 0, "Kopyala"},
    {1, "Yapistir1", nullptr, 0, "Yapistir"},
    {1, "N4", "-"},
    {1, "TumunuSec1", nullptr, 0, "TumunuSec"},
    {0, "Gorunum1", "Görünü&m"},
    {1, "GenisIkon1", nullptr, 0, "GenisIkon"},
    {1, "KucukIkon1", nullptr, 0, "KucukIkon"},
    {1, "Listele1", nullptr, 0, "Listele"},
    {1, "Detayli1", nullptr, 0, "Detayli"},
    {1, "N5", "-"},
    {1, "Guncelle1", nullptr, 0, "Guncelle"},
    {0, "Araclar1", "&Araçlar"},
    {1, "KlasorveDosyaAra1", nullptr, 0, "Bul"},
    {1, "Git1", nullptr, 0, "HedefKlasor"},
    {1, "N6", "-"},
    {1, "MetinEditoru1", nullptr, 0, "MetinEditoru"},
    {1, "HtmlveResimEditoru1", nullptr, 0, "HtmlveResimEditoru"},
    {1, "HexEditoru1", nullptr, 0, "HexEditoru"},
    {1, "N7", "-"},
    {1, "Secenekler1", nullptr, 0, "Secenekler"},
};

// The tree's menu, with the actions' pictures.
const std::vector<tk::MenuRow> kTreeMenu = {
    {0, "velmora1", "velmora"}, // a title line
    {0, "Ac2", nullptr, 0, "KlasoruAc"},
    {0, "Bul1", "Bul", 0, "Bul"},
    {0, "N8", "-"},
    {0, "ArsivKlasoruOl1", nullptr, 0, "ArsivKlasoruOl"},
    {0, "KlasorSil1", nullptr, 0, "KlasorSil"},
    {0, "N9", "-"},
    {0, "AdiniDegistir2", nullptr, 0, "KlasorAdiniDegistir"},
    {0, "MasaustuneKisayol1", nullptr, 0, "MasaustuneKisayol"},
};

// Where the viewer panels lie; they take the rest of the window.
constexpr RECT kViewerBounds{383, 30, 900, 300};

tk::TPanel::Params PanelParams(tk::TControl* parent, RECT bounds, tk::TAlign align, bool visible = true) {
    tk::TPanel::Params p;
    p.parent = parent;
    p.bounds = bounds;
    p.align = align;
    p.bevelInner = tk::TBevel::bvRaised;
    p.bevelOuter = tk::TBevel::bvLowered;
    p.visible = visible;
    return p;
}

} // namespace

TForm1::TForm1() : tk::TForm(MainWindowParams()) {
    // The actions first: the tool bar and the menus show them.
    BindWindowCommands();
    Explorer.Bind(MainActionList);
    SetActions(&MainActionList);
    tk::TraceMark("frame and actions");
    CreateToolBar();
    tk::TraceMark("tool bar");
    StatusBar1 = std::make_unique<tk::TStatusBar>(this, std::vector<int>{200, 382, 50}, Font());
    CreatePanels();
    tk::TraceMark("panels");
    TextPanel->BindCommands(MainActionList);
    BindTextReport(*TextPanel); // the print button shows the report's preview
    CreateMenus();
    WireEvents();
    AlignControls();
    OnShow = [this] { FormShow(); };
    tk::Application().OnIdle = [this] { UpdateActions(*this); };
    tk::TraceMark("menus and events");
    FormCreate();
    tk::TraceMark("create step");
}

TForm1::~TForm1() {
    tk::Application().OnIdle = nullptr;
}

tk::TSpeedButton* TForm1::Button(const std::string& name) const {
    for (const auto& b : SpeedButtons)
        if (b->Name() == name) return b.get();
    return nullptr;
}

void TForm1::BindWindowCommands() {
    MainActionList.Load(kWindowActions);
    BindViewerCommands(MainActionList, *this);
    MainActionList.Get("Cikis").OnExecute = [this] { Close(); };
}

void TForm1::CreateToolBar() {
    ToolBar1 = std::make_unique<tk::TToolBar>(this, kToolBarHeight);
    const int top = (kToolBarHeight - tk::TToolBar::kButtonHeight) / 2;
    int x = 4;
    tk::TComboBox::Params path;
    path.parent = ToolBar1.get();
    path.bounds = RECT{x, top, x + 172, top + tk::TToolBar::kButtonHeight};
    path.font = Font();
    cbPath = std::make_unique<tk::TComboBox>(path);
    x += 172;
    ToolBar1->AddActionButtons(x, kButtons, MainActionList, SpeedButtons);
}

void TForm1::CreatePanels() {
    Panel3 = std::make_unique<tk::TPanel>(PanelParams(this, RECT{0, 30, 376, 300}, tk::TAlign::alLeft));
    explorer::TDirTree::Params tree;
    tree.parent = Panel3.get();
    tree.bounds = RECT{2, 2, 197, 300};
    tree.align = tk::TAlign::alLeft;
    DirTree1 = std::make_unique<explorer::TDirTree>(tree);
    DirTree1->SetPopUpMenuEnabled(false);
    DirTree1->SetHideSelection(false);
    DirTree1->SetIndent(19);
    DirTree1->SetShowRoot(false);
    DirTree1->SetFont("MS Sans Serif", 8);
    tk::TraceMark("tree");
    // ClickSplitter
    ClickSplitter1 = std::make_unique<widgets::TClickSplitter>(widgets::TClickSplitter::Params{
        .parent = Panel3.get(), .left = 197, .top = 2, .height = 298, .handleSize = 40});
    // ClickSplitter
    ClickSplitter2 = std::make_unique<widgets::TClickSplitter>(widgets::TClickSplitter::Params{
        .parent = this, .left = 376, .top = 30, .height = 270, .handleSize = 40});
    // The viewer panels take the same place, one shown at a time: the text
    // panel at start; the HTML and hex panels are made when first needed.
    TTextPanel::Params text;
    text.parent = this;
    text.bounds = kViewerBounds;
    TextPanel = std::make_unique<TTextPanel>(text);
    tk::TraceMark("text panel");
    // The list last: it waits for the shell's picture lists, which a thread
    // made at the program's entry is filling meanwhile.
    explorer::TFileListView::Params list;
    list.parent = Panel3.get();
    list.bounds = RECT{204, 2, 374, 300};
    list.align = tk::TAlign::alClient;
    FileListView1 = std::make_unique<explorer::TFileListView>(list);
    FileListView1->SetDateFormat(explorer::df_ddMMyyyy);
    FileListView1->SetTimeFormatStr("HH:mm:ss");
    FileListView1->SetFileType({explorer::ftReadOnly, explorer::ftSystem, explorer::ftNormal});
    FileListView1->SetMask("*.*");
    FileListView1->SetDirTree(DirTree1.get());
    FileOperations1 = std::make_unique<explorer::TFileOperations>(*FileListView1);
    FileListPopup1 =
        std::make_unique<explorer::TFileListPopup>(*FileListView1, *FileOperations1, MainActionList);
    FileListView1->SetKeyActions(&MainActionList);
    tk::TraceMark("list");
}

std::unique_ptr<THexPanel> TForm1::MakeHexPanel() {
    THexPanel::Params hex;
    hex.parent = this;
    hex.bounds = kViewerBounds;
    hex.visible = false;
    auto panel = std::make_unique<THexPanel>(hex);
    panel->BindCommands();
    THexPanel& made = *panel;
    made.HexDosyaAdi->OnClick = [this, &made] { FileNameBarClick(*this, *made.HexDosyaAdi); };
    AlignControls();
    return panel;
}

std::unique_ptr<THtmlPanel> TForm1::MakeHtmlPanel() {
    THtmlPanel::Params html;
    html.parent = this;
    html.bounds = kViewerBounds;
    html.visible = false;
    // The resource says 0; the create step sets 6.
    html.historyMaxCount = 6;
    auto panel = std::make_unique<THtmlPanel>(html);
    THtmlPanel& made = *panel;
    made.DosyaAdi->OnClick = [this, &made] { FileNameBarClick(*this, *made.DosyaAdi); };
    made.OnStatusLink = [this](const std::string& url) { StatusBar1->SetPanelText(2, url); };
    AlignControls();
    return panel;
}

void TForm1::CreateMenus() {
    MainMenu1.Load(kMainMenu, &MainActionList);
    SetMenu(&MainMenu1);
    PopupMenu1.SetShowPictures(true);
    PopupMenu1.Load(kTreeMenu, &MainActionList);
    DirTree1->SetPopupMenu(&PopupMenu1);
}

void TForm1::ShowViewerPanel(TViewerKind kind) {
    const bool html = kind == TViewerKind::vkHtml || kind == TViewerKind::vkPicture;
    const bool hex = kind == TViewerKind::vkHex;
    // Only the panel shown must exist.
    MakeViewer(kind);
    TextPanel->SetVisible(kind == TViewerKind::vkText);
    if (THtmlPanel* panel = HtmlPanel.IfMade()) panel->SetVisible(html);
    if (THexPanel* panel = HexPanel.IfMade()) panel->SetVisible(hex);
    PressPanelButton(kind);
}

void TForm1::PressPanelButton(TViewerKind kind) {
    const bool html = kind == TViewerKind::vkHtml || kind == TViewerKind::vkPicture;
    MainActionList
        .Get(kind == TViewerKind::vkText ? "MetinEditoru"
             : html                      ? "HtmlveResimEditoru"
                                         : "HexEditoru")
        .SetChecked(true);
}

void TForm1::ShowInList(const std::string& folder, const std::string& name) {
    DirTree1->OpenPath(folder);
    Refresh();
    FileListView1->SelectRowNamed(name, folder + name);
}

void TForm1::ListEntryRemoved() {
    if (ViewerCheckPending) return;
    ViewerCheckPending = true;
    PostMessageA(Handle(), tk::pmViewerFilesCheck, 0, 0);
}

IViewerPanel* TForm1::Viewer(TViewerKind kind) const {
    IViewerPanel* made = nullptr;
    switch (kind) {
    case TViewerKind::vkText:
        return TextPanel.get();
    case TViewerKind::vkHtml:
    case TViewerKind::vkPicture:
        made = HtmlPanel.IfMade();
        break;
    case TViewerKind::vkHex:
        made = HexPanel.IfMade();
        break;
    case TViewerKind::vkNone:
        return nullptr;
    }
    return made ? made : &notMade_;
}

IViewerPanel* TForm1::MakeViewer(TViewerKind kind) {
    if (kind == TViewerKind::vkHtml || kind == TViewerKind::vkPicture) HtmlPanel.get();
    if (kind == TViewerKind::vkHex) HexPanel.get();
    return Viewer(kind);
}

TViewerKind TForm1::ShownPanel() const {
    if (HexPanel.IfMade() && HexPanel.IfMade()->Visible()) return TViewerKind::vkHex;
    if (HtmlPanel.IfMade() && HtmlPanel.IfMade()->Visible()) return TViewerKind::vkHtml;
    return TViewerKind::vkText;
}

void TForm1::WireEvents() {
    cbPath->OnChange = [this] { cbPathChange(); };
    FileListClick = [this] { app::FileListClick(*this); };
    FileListView1->OnClick = [this] {
        if (FileListClick) FileListClick();
    };
    FileListView1->OnDeletion = [this](const explorer::TFileListRow&) { ListEntryRemoved(); };
    // A rename or move made here takes an open document along.
    FileListView1->OnPathMoved = [this](const std::string& from, const std::string& to) {
        PathMoved(*this, from, to);
    };
    DirTree1->OnPathMoved = [this](const std::string& from, const std::string& to) {
        PathMoved(*this, from, to);
    };
    TextPanel->TextDosyaadi->OnClick = [this] { FileNameBarClick(*this, *TextPanel->TextDosyaadi); };
    OnResize = [this] { TextPanel->SelectionChange(); };
    // Closing saves the documents; only a failed save keeps the window open.
    OnCloseQuery = [this](bool& canClose) { canClose = RichSave(*this); };
    FileListView1->OnDblClick = [this] { FileListView1->OpenItem(); };

    DirTree1->OnClick = [this] { cbPath->SetTextQuietly(DirTree1->SelectedPath()); };
    DirTree1->OnDblClick = [this] { AloneString(); };
    FileListView1->OnChange = [this] { Explorer.SetBtnMenuState(); };
    FileListView1->OnMouseUp = [this](UINT, int, int) { Explorer.GetStatistics(); };
    FileListView1->OnKeyUp = [this](WORD key) {
        if (key == VK_RETURN || key == VK_SPACE || key == VK_BACK || key == VK_UP || key == VK_DOWN)
            Explorer.GetStatistics();
    };
    FileListView1->OnCustomDrawItem = [this](int, const explorer::TFileListRow& row, NMLVCUSTOMDRAW& draw) {
        return Explorer.DrawListItem(row, draw);
    };
    DirTree1->OnCustomDrawItem = [this](explorer::TTreeItemDraw& draw) { Explorer.DrawTreeItem(draw); };

    OnMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return HandleMessage(msg, wParam, lParam, result);
    };
}

void TForm1::ShowTree(bool show) {
    DirTree1->SetVisible(show);
    ClickSplitter1->SetVisible(show);
}

void TForm1::ApplyConfirmFileOps() {
    FileOperations1->SetConfirmFileOps(Session.Options.ConfirmFileOps);
    DirTree1->SetConfirmFileOps(Session.Options.ConfirmFileOps);
}

void TForm1::OpenFileByName(const std::string& path) {
    FileListView1->SetSelectedFile(path);
    if (FileListClick) FileListClick();
    size_t slash = path.find_last_of('\\');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    DirTree1->SetSelectedPath(folder);
    Refresh();
    FileListView1->SelectRowNamed(name, path);
    FileListView1->SetFocus();
}

void TForm1::DropFiles(const std::vector<std::string>& names) {
    // Only the first file of a drop is opened.
    if (!names.empty()) OpenFileByName(names.front());
}

bool TForm1::HandleMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_QUERYENDSESSION) {
        // The session ends as the window closes: the save step first; a save
        // that failed, or edits the user keeps, hold the session back.
        result = RichSave(*this) ? TRUE : FALSE;
        return true;
    }
    if (msg == WM_ENDSESSION) {
        // Ended without our word (forced): the save step is all we can still run.
        if (wParam) RichSave(*this);
        result = 0;
        return true;
    }
    if (msg == tk::pmViewerFilesCheck) {
        ViewerCheckPending = false;
        CheckShownFiles(*this);
        result = 0;
        return true;
    }
    if (msg == WM_DROPFILES) {
        HDROP drop = reinterpret_cast<HDROP>(wParam);
        std::vector<std::string> names;
        std::string refused;
        // The wide name: the ANSI one has look-alike letters for those the code
        // page cannot spell, naming another file. Such a name goes by its short
        // name, or not at all.
        const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
        if (length > 0) {
            std::wstring wide(length + 1, L'\0');
            if (DragQueryFileW(drop, 0, wide.data(), length + 1) == length) {
                wide.resize(length);
                const std::string name = tk::AnsiPath(wide);
                if (!name.empty())
                    names.push_back(name);
                else
                    refused = tk::AnsiPathForMessage(wide);
            }
        }
        // Released before the file opens: opening may ask questions or fail.
        DragFinish(drop);
        if (!refused.empty()) tk::ShowError("HATA - Geçersiz yol\r" + refused);
        DropFiles(names);
        result = 0;
        return !names.empty();
    }
    return false;
}

void TForm1::AloneString() {
    if (PathHistory.size() > 7) PathHistory.erase(PathHistory.begin());
    std::string path = DirTree1->SelectedPath();
    if (path.size() == 2 && path.find(':') != std::string::npos) path += '\\';
    PathHistory.push_back(path);
    cbPath->SetItems(PathHistory);
    cbPath->SetItemIndex(static_cast<int>(PathHistory.size()) - 1);
}

void TForm1::cbPathChange() {
    // Typing passes through paths that name no folder ("Z:\\tm"): those leave
    // the tree and the list as they are, where a refresh would reload the tree
    // and find nothing to open in it.
    const std::string text = cbPath->Text();
    if (!explorer::FolderExists(text)) return;
    DirTree1->SetSelectedPath(text);
    Refresh();
}

void TForm1::FormCreate() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    AppDir = exe;
    AppDir.erase(AppDir.find_last_of('\\') + 1);
    PathHistory.clear();
    DirTree1->Loaded();
    tk::TraceMark("tree loaded");
    // The show step goes to the archive folder: starting there lists one
    // folder, not the working folder first (a large one, for all we know).
    std::string start = Explorer.ArchivedFolder();
    if (start.empty()) {
        char current[MAX_PATH] = {};
        DWORD n = GetCurrentDirectoryA(MAX_PATH, current);
        if (n > 0 && n < MAX_PATH) start.assign(current, n);
    }
    if (!start.empty()) {
        FileListView1->SetDirectory(start);
        tk::TraceMark("start folder listed");
        DirTree1->OpenPath(start);
        tk::TraceMark("tree opened at it");
    }
    Explorer.SetBtnMenuState();
    // The commands' state before the window first shows (then at every idle).
    MainActionList.UpdateAll();
}

void TForm1::FormShow() {
    if (shown_) return;
    shown_ = true;
    Session.Options.ConfirmFileOps = false;
    ApplyConfirmFileOps();
    SetCaption(kCaption);
    // What is typed into the empty editor: the window's default font.
    tk::TTextAttributes typing;
    typing.name = "MS Sans Serif";
    typing.size = 8;
    TextPanel->RichEdit1->SetSelAttributes(typing, tk::taName | tk::taSize);
    DragAcceptFiles(Handle(), TRUE);
    TextPanel->SelectionChange();
    TextPanel->RichEdit1->SetModified(false);
    tk::TraceMark("show step: editor");
    Explorer.AktifKlasor();
    tk::TraceMark("show step: archive folder");
    Explorer.StartingUp = false;
    // The extension table even when aktif.ini could not be written (a folder
    // the user may not write to): without it no file would open in a viewer.
    LoadExtensionTable(Session, AppDir);
}

} // namespace velmora::app
