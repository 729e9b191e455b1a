#include "app/form1.h"

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
    cbPath = std::make_unique<tk::TComboBox>(ToolBar1.get(), RECT{x, top, x + 172, top + kButtonHeight}, Font());
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
    // DirTree
    DirTree1 = std::make_unique<tk::TPanel>(PanelParams(Panel3.get(), RECT{2, 2, 197, 300}, tk::TAlign::alLeft));
    // ClickSplitter
    ClickSplitter1 = std::make_unique<tk::TPanel>(PanelParams(Panel3.get(), RECT{197, 2, 204, 300}, tk::TAlign::alLeft));
    // FileListView
    FileListView1 = std::make_unique<tk::TPanel>(PanelParams(Panel3.get(), RECT{204, 2, 374, 300}, tk::TAlign::alClient));
    // ClickSplitter
    ClickSplitter2 = std::make_unique<tk::TPanel>(PanelParams(this, RECT{376, 30, 383, 300}, tk::TAlign::alLeft));
    // The viewer panels lie on top of each other: the text panel on top, the hex panel hidden.
    HexPanel = std::make_unique<tk::TPanel>(PanelParams(this, RECT{383, 30, 900, 300}, tk::TAlign::alClient, false));
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

void TForm1::ShowViewerPanel(int kind) {
    TextPanel->SetVisible(kind == 0);
    HtmlPanel->SetVisible(kind == 1 || kind == 2);
    HexPanel->SetVisible(kind == 3);
    const char* button = kind == 0 ? "BtnDoc" : kind == 3 ? "BtnHex" : "BtnHtml";
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
    onButton("BtnDoc", [this] { ShowViewerPanel(0); });
    onButton("BtnHtml", [this] { ShowViewerPanel(1); });
    onButton("BtnHex", [this] { ShowViewerPanel(3); });
    onMenu("MetinEditoru1", [this] { ShowViewerPanel(0); });
    onMenu("HtmlveResimEditoru1", [this] { ShowViewerPanel(1); });
    onMenu("HexEditoru1", [this] { ShowViewerPanel(3); });
    cbPath->OnChange = [this] { cbPathChange(); };
}

std::string TForm1::TreeSelectedPath() const { return {}; }

void TForm1::AloneString() {
    if (PathHistory.size() > 7) PathHistory.erase(PathHistory.begin());
    std::string path = TreeSelectedPath();
    if (path.size() == 2 && path.find(':') != std::string::npos) path += '\\';
    PathHistory.push_back(path);
    cbPath->SetItems(PathHistory);
    cbPath->SetItemIndex(static_cast<int>(PathHistory.size()) - 1);
}

void TForm1::cbPathChange() {}

void TForm1::FormCreate() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    AppDir = exe;
    AppDir.erase(AppDir.find_last_of('\\') + 1);
    PathHistory.clear();
}

void TForm1::FormShow() { SetCaption(kCaption); }

} // namespace velmora::app
