#include "app/form1.h"

#include "app/explorer_commands.h"
#include "app/messages.h"

#include <shellapi.h>

#include "explorer/path_utils.h"
#include "explorer/shell_utils.h"
#include "toolkit/application.h"

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

struct ButtonRow {
    const char* name;
    const char* hint;
    const char* glyph;
    int group;
    bool down;
    bool dividerBefore;
};

// The tool bar after the path box, left to right.
const ButtonRow kButtons[] = {
    {"SpeedButton1", "..", "TB_UP", 0, false, true},
    {"SpeedButton7", "Arşiv klasörüne git", "TB_ARCHIVE", 0, false, true},
    {"Folders", "Klasör Kutusu", "TB_FOLDERS", 0, false, false},
    {"BtnRefresh", "Güncelle", "TB_REFRESH", 0, false, false},
    {"SpeedButton5", "Yeni Döküman", "TB_NEWDOC", 0, false, true},
    {"SpeedButton6", "Klasör Ekle", "TB_NEWFOLDER", 0, false, false},
    {"BtnCut", "Kes", "TB_CUT", 0, false, true},
    {"BtnCopy", "Kopyala", "TB_COPY", 0, false, false},
    {"BtnPaste", "Yapıştır", "TB_PASTE", 0, false, false},
    {"BtnDelete", "Sil", "TB_DELETE", 0, false, false},
    {"SpeedButton8", "", "TB_TOPICS", 0, false, true},
    {"SpeedButton2", "Görüntüle", "TB_VIEW", 0, false, false},
    {"BtnSearch", "Klasör veya dosya bul", "TB_SEARCH", 0, false, false},
    {"BtnGoTo", "Hedef Klasör", "TB_GOTO", 0, false, false},
    {"SpeedButton4", "Seçenekler", "TB_OPTIONS", 0, false, true},
    {"BtnDoc", "Metin Editörü", "TB_TEXTDOC", 1, false, true},
    {"BtnHtml", "Html ve Resim Editörü", "TB_HTML", 1, false, false},
    {"BtnHex", "Hex Editörü", "TB_HEX", 1, false, false},
    {"BtnIcon", "Geniş ikon", "TB_LARGEICONS", 2, false, true},
    {"BtnSIcon", "Küçük ikon", "TB_SMALLICONS", 2, false, false},
    {"BtnList", "Listele", "TB_LIST", 2, false, false},
    {"BtnDetail", "Detaylı", "TB_DETAILS", 2, true, false},
    {"BtnExit", "Çıkış", "TB_EXIT", 0, false, true},
};

constexpr int kToolBarHeight = 30;
constexpr int kButtonWidth = 23, kButtonHeight = 22;
constexpr int kDividerSpace = 8; // room for an etched line between groups

using tk::scCtrl;
using tk::ShortCut;

const std::vector<tk::MenuRow> kMainMenu = {
    {0, "Dosya1", "&Dosya"},
    {1, "Ac1", "Aç"},
    {1, "Goruntule1", "Görüntüle"},
    {1, "N1", "-"},
    {1, "Sil1", "Sil"},
    {1, "AdiniDegistir1", "Adını Değiştir"},
    {1, "Nitelik1", "Nitelik"},
    {1, "N2", "-"},
    {1, "YeniKlasor1", "Yeni Klasör"},
    {1, "N3", "-"},
    {1, "Cikis1", "Çıkış"},
    {0, "Duzen1", "Dü&zen"},
    {1, "Kes1", "Kes", ShortCut('X', scCtrl)},
    {1, "Kopyala1", "Kopyala", ShortCut('C', scCtrl)},
    {1, "Yapistir1", "Yapıştır", ShortCut('P', scCtrl)},
    {1, "N4", "-"},
    {1, "TumunuSec1", "Tümünü Seç", ShortCut('A', scCtrl)},
    {0, "Gorunum1", "Görünü&m"},
    {1, "GenisIkon1", "Geniş ikon"},
    {1, "KucukIkon1", "Küçük ikon"},
    {1, "Listele1", "Listele"},
    {1, "Detayli1", "Detaylı"},
    {1, "N5", "-"},
    {1, "Guncelle1", "Güncelle"},
    {0, "Araclar1", "&Araçlar"},
    {1, "KlasorveDosyaAra1", "Klasör ve Dosya Ara"},
    {1, "Git1", "Git"},
    {1, "N6", "-"},
    {1, "MetinEditoru1", "Metin Editörü"},
    {1, "HtmlveResimEditoru1", "Html ve Resim Editörü"},
    {1, "HexEditoru1", "Hex Editörü"},
    {1, "N7", "-"},
    {1, "Secenekler1", "Seçenekler"},
};

struct PopupRow {
    const char* name;
    const char* caption;
    const char* glyph;
};

const PopupRow kTreeMenu[] = {
    {"velmora1", "velmora", nullptr},
    {"Ac2", "Aç", "TB_OPEN"},
    {"Bul1", "Bul", "TB_SEARCH"},
    {"N8", "-", nullptr},
    {"ArsivKlasoruOl1", "Arşiv klasörü ol", "TB_ARCHIVE"},
    {"KlasorSil1", "Klasör sil", "TB_DELFOLDER"},
    {"N9", "-", nullptr},
    {"AdiniDegistir2", "Adını değiştir", "TB_RENAME"},
    {"MasaustuneKisayol1", "Masaüstüne kısayol", "TB_SHORTCUT"},
};

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
    CreateToolBar();
    StatusBar1 = std::make_unique<tk::TStatusBar>(this, std::vector<int>{200, 382, 50}, Font());
    CreatePanels();
    CreateMenus();
    WireCommands();
    AlignControls();
    OnShow = [this] { FormShow(); };
    FormCreate();
}

TForm1::~TForm1() {
    for (HBITMAP b : glyphs_) DeleteObject(b);
}

tk::TSpeedButton* TForm1::Button(const std::string& name) const {
    for (const auto& b : SpeedButtons)
        if (b->Name() == name) return b.get();
    return nullptr;
}

void TForm1::CreateToolBar() {
    ToolBar1 = std::make_unique<tk::TToolBar>(this, kToolBarHeight);
    const int top = (kToolBarHeight - kButtonHeight) / 2;
    int x = 4;
    tk::TComboBox::Params path;
    path.parent = ToolBar1.get();
    path.bounds = RECT{x, top, x + 172, top + kButtonHeight};
    path.font = Font();
    cbPath = std::make_unique<tk::TComboBox>(path);
    x += 172;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const ButtonRow& row : kButtons) {
        if (row.dividerBefore) {
            ToolBar1->AddDivider(x + kDividerSpace / 2 - 1);
            x += kDividerSpace;
        }
        HBITMAP glyph = static_cast<HBITMAP>(LoadImageA(instance, row.glyph, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        if (glyph) glyphs_.push_back(glyph);
        tk::TSpeedButton::Params p;
        p.parent = ToolBar1.get();
        p.name = row.name;
        p.left = x;
        p.top = top;
        p.width = kButtonWidth;
        p.height = kButtonHeight;
        p.hint = row.hint;
        p.glyph = glyph;
        p.groupIndex = row.group;
        p.down = row.down;
        SpeedButtons.push_back(std::make_unique<tk::TSpeedButton>(p));
        x += kButtonWidth;
    }
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
    // ClickSplitter
    ClickSplitter1 = std::make_unique<widgets::TClickSplitter>(
        widgets::TClickSplitter::Params{.parent = Panel3.get(), .left = 197, .top = 2, .height = 298, .handleSize = 40});
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
    // ClickSplitter
    ClickSplitter2 = std::make_unique<widgets::TClickSplitter>(
        widgets::TClickSplitter::Params{.parent = this, .left = 376, .top = 30, .height = 270, .handleSize = 40});
    // The viewer panels lie on top of each other: the text panel on top, the hex panel hidden.
    THexPanel::Params hex;
    hex.parent = this;
    hex.bounds = RECT{383, 30, 900, 300};
    hex.align = tk::TAlign::alClient;
    hex.visible = false;
    HexPanel = std::make_unique<THexPanel>(hex);
    HtmlPanel = std::make_unique<tk::TPanel>(PanelParams(this, RECT{383, 30, 900, 300}, tk::TAlign::alClient));
    TextPanel = std::make_unique<tk::TPanel>(PanelParams(this, RECT{383, 30, 900, 300}, tk::TAlign::alClient));
    SetWindowPos(TextPanel->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm1::CreateMenus() {
    MainMenu1.Load(kMainMenu);
    SetMenu(&MainMenu1);
    SetActions(&MainActionList);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const PopupRow& row : kTreeMenu) {
        auto item = std::make_unique<tk::TMenuItem>();
        item->Name = row.name;
        item->Caption = row.caption;
        if (row.glyph) {
            HBITMAP glyph =
                static_cast<HBITMAP>(LoadImageA(instance, row.glyph, IMAGE_BITMAP, 0, 0, LR_LOADTRANSPARENT));
            if (glyph) {
                glyphs_.push_back(glyph);
                item->SetBitmap(glyph);
            }
        }
        PopupMenu1.Root().Add(std::move(item));
    }
    PopupMenu1.Rebuild();
    DirTree1->SetPopupMenu(&PopupMenu1);
}

void TForm1::ShowViewerPanel(TViewerKind kind) {
    const bool html = kind == TViewerKind::vkHtml || kind == TViewerKind::vkPicture;
    TextPanel->SetVisible(kind == TViewerKind::vkText);
    HtmlPanel->SetVisible(html);
    HexPanel->SetVisible(kind == TViewerKind::vkHex);
    const char* button = kind == TViewerKind::vkText ? "BtnDoc" : html ? "BtnHtml" : "BtnHex";
    if (tk::TSpeedButton* b = Button(button)) b->SetDown(true);
}

void TForm1::WireCommands() {
    auto onButton = [this](const char* name, std::function<void()> f) {
        if (tk::TSpeedButton* b = Button(name)) b->OnClick = std::move(f);
    };
    auto onMenu = [this](const char* name, std::function<void()> f) {
        if (tk::TMenuItem* item = MainMenu1.Find(name)) item->OnClick = std::move(f);
    };
    auto close = [this] { Close(); };
    onButton("BtnExit", close);
    onMenu("Cikis1", close);
    onButton("BtnDoc", [this] { ShowViewerPanel(TViewerKind::vkText); });
    onButton("BtnHtml", [this] { ShowViewerPanel(TViewerKind::vkHtml); });
    onButton("BtnHex", [this] { ShowViewerPanel(TViewerKind::vkHex); });
    onMenu("MetinEditoru1", [this] { ShowViewerPanel(TViewerKind::vkText); });
    onMenu("HtmlveResimEditoru1", [this] { ShowViewerPanel(TViewerKind::vkHtml); });
    onMenu("HexEditoru1", [this] { ShowViewerPanel(TViewerKind::vkHex); });
    cbPath->OnChange = [this] { cbPathChange(); };

    // The explorer half.
    auto up = [this] { FileListView1->OneLevelUp(); };
    onButton("SpeedButton1", up);
    onButton("BtnRefresh", [this] { Refresh(); });
    onMenu("Guncelle1", [this] { Refresh(); });
    onButton("Folders", [this] {
        bool show = !DirTree1->Visible();
        DirTree1->SetVisible(show);
        ClickSplitter1->SetVisible(show);
        if (tk::TSpeedButton* b = Button("Folders")) b->Invalidate();
    });
    onMenu("Ac1", [this] { FileListView1->OpenItem(); });
    onMenu("TumunuSec1", [this] { FileListView1->SelectAll(); });
    const std::pair<const char*, const char*> styles[] = {
        {"BtnIcon", "GenisIkon1"}, {"BtnSIcon", "KucukIkon1"}, {"BtnList", "Listele1"}, {"BtnDetail", "Detayli1"}};
    const explorer::TViewStyle kinds[] = {explorer::TViewStyle::vsIcon, explorer::TViewStyle::vsSmallIcon,
                                          explorer::TViewStyle::vsList, explorer::TViewStyle::vsReport};
    for (int i = 0; i < 4; ++i) {
        const char* button = styles[i].first;
        explorer::TViewStyle style = kinds[i];
        onButton(button, [this, style, button] { SetViewStyle(style, button); });
        onMenu(styles[i].second, [this, style, button] { SetViewStyle(style, button); });
    }
    FileListView1->OnClick = [this] {
        if (FileListClick) FileListClick();
    };
    FileListView1->OnDblClick = [this] { FileListView1->OpenItem(); };

    DirTree1->OnClick = [this] { cbPath->SetTextQuietly(DirTree1->SelectedPath()); };
    DirTree1->OnDblClick = [this] { AloneString(); };
    auto treeItem = [this](const char* name, std::function<void()> f) {
        if (tk::TMenuItem* item = PopupMenu1.Find(name)) item->OnClick = std::move(f);
    };
    treeItem("Ac2", [this] { ExecuteFile("Open", DirTree1->SelectedPath(), "", "", SW_SHOWNORMAL); });
    treeItem("KlasorSil1", [this] {
        if (DirTree1->Selected()) DirTree1->DeleteNode(DirTree1->Selected());
    });
    treeItem("AdiniDegistir2", [this] {
        if (DirTree1->Selected()) DirTree1->EditText(DirTree1->Selected());
    });
    // File commands: the list carries them out; the main window keeps PasteAllowed and the buttons' state.
    auto cut = [this] {
        FileListView1->CutCopy(2);
        PasteAllowed = true;
        SetBtnMenuState(*this);
    };
    auto copy = [this] {
        FileListView1->CutCopy(0);
        PasteAllowed = true;
        SetBtnMenuState(*this);
    };
    auto paste = [this] {
        FileListView1->Paste();
        PasteAllowed = false;
        SetBtnMenuState(*this);
    };
    auto selected = [this] { return FileListView1->SelectedIndex() >= 0; };
    auto remove = [this, selected] {
        if (selected()) FileListView1->DeleteSelected();
    };
    auto view = [this, selected] {
        if (selected()) FileListView1->ViewFile();
    };
    auto find = [this] {
        FileListView1->SetFocus();
        FileListView1->FindFile();
    };
    onButton("BtnCut", cut);
    onMenu("Kes1", cut);
    onButton("BtnCopy", copy);
    onMenu("Kopyala1", copy);
    onButton("BtnPaste", paste);
    onMenu("Yapistir1", paste);
    onButton("BtnDelete", remove);
    onMenu("Sil1", remove);
    onButton("SpeedButton2", view);
    onMenu("Goruntule1", view);
    onMenu("AdiniDegistir1", [this] { FileListView1->RenameSelected(); });
    onButton("SpeedButton6", [this] { FileListView1->NewFolder(); });
    onMenu("YeniKlasor1", [this, selected] {
        if (selected()) FileListView1->NewFolder();
    });
    onButton("BtnSearch", find);
    onMenu("KlasorveDosyaAra1", find);
    onButton("SpeedButton7", [this] { GoToArchiveFolder(*this); });
    onButton("BtnGoTo", [this] { GoToTypedFolder(*this); });
    onMenu("Git1", [this] { GoToTypedFolder(*this); });
    treeItem("Bul1", find);
    treeItem("ArsivKlasoruOl1", [this] { MakeArchiveFolder(*this); });
    treeItem("MasaustuneKisayol1", [this] { MakeDesktopShortcut(*this); });

    FileListView1->OnChange = [this] { SetBtnMenuState(*this); };
    FileListView1->OnMouseUp = [this](UINT, int, int) { GetStatistics(*this); };
    FileListView1->OnKeyUp = [this](WORD key) {
        if (key == VK_RETURN || key == VK_SPACE || key == VK_BACK || key == VK_UP || key == VK_DOWN)
            GetStatistics(*this);
    };
    FileListView1->OnCustomDrawItem = [this](int, const explorer::TFileListRow& row, NMLVCUSTOMDRAW& draw) {
        return DrawListItem(*this, row, draw);
    };
    DirTree1->OnCustomDrawItem = [this](explorer::TTreeItemDraw& draw) { DrawTreeItem(*this, draw); };

    OnMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return HandleMessage(msg, wParam, lParam, result);
    };
}

void TForm1::SetTreeHint(const std::string& hint) { tk::SetHint(DirTree1->Handle(), hint); }

void TForm1::SetViewStyle(explorer::TViewStyle style, const char* button) {
    FileListView1->SetViewStyle(style);
    if (tk::TSpeedButton* b = Button(button)) b->SetDown(true);
}

void TForm1::Refresh() {
    DirTree1->ReloadTree();
    DirTree1->OpenPath(DirTree1->SelectedPath());
    // The setter lists a new folder itself; only an unchanged one is listed again.
    const std::string before = FileListView1->Directory();
    FileListView1->SetDirectory(DirTree1->SelectedPath());
    if (FileListView1->Directory() == before) FileListView1->UpdateFileList();
}

void TForm1::OpenFileByName(const std::string& path) {
    FileListView1->SetSelectedFile(path);
    if (FileListClick) FileListClick();
    size_t slash = path.find_last_of('\\');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    DirTree1->SetSelectedPath(folder);
    Refresh();
    for (int i = 0; i < FileListView1->RowCount(); ++i) {
        if (lstrcmpiA(FileListView1->Row(i).caption.c_str(), name.c_str()) == 0) {
            FileListView1->SetSelectedFile(path);
            FileListView1->SetSelected(i, true);
            FileListView1->SetFocusedIndex(i);
            break;
        }
    }
    FileListView1->SetFocus();
}

bool TForm1::HandleMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_DROPFILES) {
        // Only the first file of a drop is opened.
        HDROP drop = reinterpret_cast<HDROP>(wParam);
        char name[MAX_PATH] = {};
        bool handled = false;
        if (DragQueryFileA(drop, 0, name, MAX_PATH) > 0) {
            try {
                OpenFileByName(name);
            } catch (...) {
                DragFinish(drop);
                throw;
            }
            handled = true;
        }
        DragFinish(drop);
        result = 0;
        return handled;
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
    DirTree1->SetSelectedPath(cbPath->Text());
    Refresh();
}

void TForm1::FormCreate() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    AppDir = exe;
    AppDir.erase(AppDir.find_last_of('\\') + 1);
    PathHistory.clear();
    DirTree1->Loaded();
    char current[MAX_PATH] = {};
    DWORD n = GetCurrentDirectoryA(MAX_PATH, current);
    std::string start = n > 0 && n < MAX_PATH ? std::string(current, n) : std::string();
    if (!start.empty()) {
        FileListView1->SetDirectory(start);
        DirTree1->OpenPath(start);
    }
    SetBtnMenuState(*this);
}

void TForm1::FormShow() {
    explorer::ConfirmFileOps = false;
    SetCaption(kCaption);
    DragAcceptFiles(Handle(), TRUE);
    if (!AktifKlasor(*this)) return;
}

} // namespace velmora::app
