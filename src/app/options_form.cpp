#include "app/options_form.h"

#include "explorer/dir_tree.h"
#include "explorer/file_list_view.h"
#include "widgets/click_splitter.h"
#include "app/messages.h"
#include "base/os.h"
#include "base/read_file.h"
#include "base/safe_write.h"
#include "toolkit/application.h"
#include "toolkit/dialogs.h"

#include <stdexcept>

namespace velmora::app {

// ---- the embossed label

namespace {
const char* const kEmbossedLabelClass = "VelmoraEmbossedLabel";
} // namespace

TEmbossedLabel::TEmbossedLabel(tk::TControl* parent, RECT bounds, const std::string& caption)
    : caption_(caption), font_(tk::MakeFont("Tahoma", 8, true)) {
    RegisterWindowClass(kEmbossedLabelClass, CS_HREDRAW | CS_VREDRAW, nullptr,
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    tk::WindowParams p;
    p.className = kEmbossedLabelClass;
    p.style = WS_CHILD | WS_VISIBLE;
    p.bounds = bounds;
    p.text = caption;
    CreateControl(parent, p);
}

LRESULT TEmbossedLabel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT r;
        GetClientRect(Handle(), &r);
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        {
            tk::SelectedObject font(dc, font_.get());
            SetBkMode(dc, TRANSPARENT);
            const int length = static_cast<int>(caption_.size());
            SetTextColor(dc, RGB(255, 255, 255));
            TextOutA(dc, 1, 1, caption_.c_str(), length);
            SetTextColor(dc, RGB(0, 0, 0));
            TextOutA(dc, 1, 0, caption_.c_str(), length);
        }
        EndPaint(Handle(), &ps);
        return 0;
    }
    return tk::TControl::WndProc(msg, wParam, lParam);
}

// ---- layout

namespace {

tk::TForm::Params OptionsParams() {
    tk::TForm::Params p;
    p.caption = "Seçenekler";
    p.clientWidth = 470;
    p.clientHeight = 230;
    p.position = tk::TPosition::poMainFormCenter;
    p.style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; // fixed single border, only the close box
    return p;
}

using tk::scCtrl;
using tk::ShortCut;

const std::vector<tk::ActionRow> kOptionActions = {
    {"UzantiEkle", "Uzantı Ekle", "Uzantı Ekle", 0, "OPT_ADD"},
    {"UzantiDegistir", "Uzantı Değiştir", "Uzantı Değiştir", 0, "TB_RENAME"},
    {"UzantiSil", "Uzantı Sil", "Uzantı Sil", 0, "TB_DELETE"},
    {"HepsiniGoster", "Hepsini Göster"},
    {"HepsiniGizle", "Hepsini Gizle"},
    {"Cikis", "Çıkış", "Çıkış", 0, "TB_EXIT"},
};

// The shortcuts belong to the tree's menu: they act only while the tree has the focus.
const std::vector<tk::MenuRow> kExtMenu = {
    {0, "UzantiEkle1", nullptr, ShortCut('I', scCtrl), "UzantiEkle"},
    {0, "UzantiDuzelt1", "Uzantı Düzelt", ShortCut('E', scCtrl), "UzantiDegistir"},
    {0, "N1", "-"},
    {0, "UzantiSil1", nullptr, ShortCut(VK_DELETE), "UzantiSil"},
    {0, "N2", "-"},
    {0, "HepsiniGoster1", nullptr, ShortCut('A', scCtrl), "HepsiniGoster"},
    {0, "HepsiniGizle1", nullptr, ShortCut('K', scCtrl), "HepsiniGizle"},
};

const std::vector<tk::TToolBar::ButtonRow> kButtons = {
    {"SpeedButton1", "UzantiEkle", false},
    {"SpeedButton2", "UzantiDegistir", false},
    {"SpeedButton3", "UzantiSil", false},
    {"SpeedButton4", "Cikis", true},
};

constexpr int kToolBarHeight = 30;

// Label captions and places in the client area.
constexpr RECT kExtLabel{8, 34, 133, 50};
constexpr RECT kExtTree{8, 52, 133, 217}; // 125 by 165
constexpr RECT kTreeLabel{142, 34, 302, 50};
constexpr RECT kTreeBox{142, 52, 462, 114};
constexpr RECT kListLabel{142, 118, 302, 134};
constexpr RECT kListBox{142, 136, 462, 224};

enum Box { bxTree, bxList };
struct CheckRow {
    std::unique_ptr<tk::TCheckBox> TForm2::*member;
    Box box;
    RECT bounds; // in the box
    const char* caption;
    bool checked;
};
const CheckRow kChecks[] = {
    {&TForm2::Cizgi, bxTree, {8, 6, 168, 23}, "Çizgileri göster", true},
    {&TForm2::Button, bxTree, {8, 23, 168, 40}, "Buttonları göster", true},
    {&TForm2::CheckBox1, bxTree, {8, 40, 168, 57}, "Merkez çizgisi", false},
    {&TForm2::Saltoku, bxList, {8, 4, 168, 20}, "Saltokunur", true},
    {&TForm2::Hidden, bxList, {8, 20, 168, 36}, "Gizli dosyalar", false},
    {&TForm2::Klasor, bxList, {8, 36, 168, 52}, "Klasörler", true},
    {&TForm2::Arsiv, bxList, {8, 52, 168, 68}, "Arşiv dosyaları", false},
    {&TForm2::Normal, bxList, {8, 68, 168, 84}, "Normal dosyalar", true},
    {&TForm2::Filitre, bxList, {176, 4, 312, 20}, "Maskeleme yap", false},
    {&TForm2::CheckBox2, bxList, {176, 20, 312, 36}, "İşlemlerde uyar", false},
    {&TForm2::KayitCheck, bxList, {176, 36, 312, 52}, "Kayıt için uyar", false},
};
struct RadioRow {
    std::unique_ptr<tk::TRadioButton> TForm2::*member;
    RECT bounds; // in the tree's box
    const char* caption;
    bool checked;
};
const RadioRow kRadios[] = {
    {&TForm2::RadioButton1, {176, 6, 312, 23}, "Alt alta", false},
    {&TForm2::RadioButton2, {176, 23, 312, 40}, "Yan yana", true},
};

tk::TPanel::Params BoxParams(tk::TControl* parent, RECT bounds) {
    tk::TPanel::Params p;
    p.parent = parent;
    p.bounds = bounds;
    p.bevelInner = tk::TBevel::bvRaised;
    p.bevelOuter = tk::TBevel::bvLowered;
    return p;
}

} // namespace

TForm2::TForm2(IOptionsHost& host) : tk::TForm(OptionsParams()), host_(host) {
    OptionActions.Load(kOptionActions);
    CreateControls();
    // The table the program goes by is the session's; this tree shows and edits it.
    Ext->LoadTable(host_.Model().Extensions.Text());
    Ext->OnChanged = [this] { host_.Model().Extensions.Load(Ext->TableText()); };
    BindCommands();
    WireOptions();
}

void BindOptionsCommands(tk::TActionList& actions, std::function<TForm2&()> options) {
    actions.Get("Secenekler").OnExecute = [options = std::move(options)] { options().Execute(); };
}

bool TForm2::SaveWarning() const {
    return host_.Model().Options.SaveWarning;
}

int TForm2::ExtFind(const std::string& extension) const {
    return host_.Model().Extensions.Find(extension);
}

TViewerKind TForm2::ViewerKindOf(const std::string& fileName) const {
    return host_.Model().Extensions.KindOf(ExtensionOf(fileName));
}

TForm2::~TForm2() = default;

tk::TSpeedButton* TForm2::SpeedButton(const std::string& name) const {
    for (const auto& b : SpeedButtons)
        if (b->Name() == name) return b.get();
    return nullptr;
}

void TForm2::CreateControls() {
    ToolBar1 = std::make_unique<tk::TToolBar>(this, kToolBarHeight);
    ToolBar1->AddActionButtons(4, kButtons, OptionActions, SpeedButtons);

    Label1 = std::make_unique<TEmbossedLabel>(this, kExtLabel, "Uzantılar");
    TExtensionTree::Params tree;
    tree.parent = this;
    tree.bounds = kExtTree;
    Ext = std::make_unique<TExtensionTree>(tree);
    ExtMenu.Load(kExtMenu, &OptionActions);
    Ext->SetPopupMenu(&ExtMenu);

    Label2 = std::make_unique<TEmbossedLabel>(this, kTreeLabel, "Klasör Kutusu");
    TreeOptions = std::make_unique<tk::TPanel>(BoxParams(this, kTreeBox));
    Label3 = std::make_unique<TEmbossedLabel>(this, kListLabel, "Dosya Kutusu");
    ListOptions = std::make_unique<tk::TPanel>(BoxParams(this, kListBox));
    for (const CheckRow& row : kChecks) {
        tk::TCheckBox::Params p;
        p.parent = row.box == bxTree ? TreeOptions.get() : ListOptions.get();
        p.bounds = row.bounds;
        p.caption = row.caption;
        p.checked = row.checked;
        this->*row.member = std::make_unique<tk::TCheckBox>(p);
    }
    for (const RadioRow& row : kRadios) {
        tk::TRadioButton::Params p;
        p.parent = TreeOptions.get();
        p.bounds = row.bounds;
        p.caption = row.caption;
        p.checked = row.checked;
        this->*row.member = std::make_unique<tk::TRadioButton>(p);
    }
}

void TForm2::BindCommands() {
    OptionActions.Get("UzantiEkle").OnExecute = [this] { AddExtension(); };
    OptionActions.Get("UzantiDegistir").OnExecute = [this] { EditExtension(); };
    OptionActions.Get("UzantiSil").OnExecute = [this] { DeleteExtension(); };
    OptionActions.Get("HepsiniGoster").OnExecute = [this] { Ext->FullExpand(); };
    OptionActions.Get("HepsiniGizle").OnExecute = [this] { Ext->FullCollapse(); };
    OptionActions.Get("Cikis").OnExecute = [this] { Close(); };
}

void TForm2::ShowOptions() {
    const TOptions& o = host_.Model().Options;
    const std::pair<tk::TCheckBox*, bool> boxes[] = {
        {Cizgi.get(), o.ShowLines},        {Button.get(), o.ShowButtons},
        {CheckBox1.get(), o.ShowRoot},     {Saltoku.get(), o.ReadOnlyFiles},
        {Hidden.get(), o.HiddenFiles},     {Klasor.get(), o.Folders},
        {Arsiv.get(), o.ArchiveFiles},     {Normal.get(), o.NormalFiles},
        {Filitre.get(), o.MaskByTable},    {CheckBox2.get(), o.ConfirmFileOps},
        {KayitCheck.get(), o.SaveWarning},
    };
    for (const auto& [box, checked] : boxes)
        if (box->Checked() != checked) box->SetChecked(checked);
    if (RadioButton2->Checked() != o.TreeBesideList) {
        RadioButton1->SetChecked(!o.TreeBesideList);
        RadioButton2->SetChecked(o.TreeBesideList);
    }
}

void TForm2::WireOptions() {
    // Each control writes its option into the session, then the control it
    // drives follows the session.
    TOptions& o = host_.Model().Options;
    explorer::TDirTree& tree = host_.Tree();
    Cizgi->OnClick = [this, &o, &tree] {
        o.ShowLines = Cizgi->Checked();
        tree.SetShowLines(o.ShowLines);
    };
    Button->OnClick = [this, &o, &tree] {
        o.ShowButtons = Button->Checked();
        tree.SetShowButtons(o.ShowButtons);
    };
    CheckBox1->OnClick = [this, &o, &tree] {
        o.ShowRoot = CheckBox1->Checked();
        tree.SetShowRoot(o.ShowRoot);
    };
    // The order of the two alignments decides which comes first: the tree, then the splitter.
    RadioButton1->OnClick = [this, &o, &tree] {
        o.TreeBesideList = false;
        tree.SetAlign(tk::TAlign::alTop);
        host_.TreeSplitter().SetAlign(tk::TAlign::alTop);
    };
    RadioButton2->OnClick = [this, &o, &tree] {
        o.TreeBesideList = true;
        host_.TreeSplitter().SetAlign(tk::TAlign::alLeft);
        tree.SetAlign(tk::TAlign::alLeft);
    };
    struct Filter {
        tk::TCheckBox* box;
        bool TOptions::*option;
        explorer::TFileAttr attribute;
    };
    const Filter filters[] = {
        {Saltoku.get(), &TOptions::ReadOnlyFiles, explorer::ftReadOnly},
        {Hidden.get(), &TOptions::HiddenFiles, explorer::ftHidden},
        {Arsiv.get(), &TOptions::ArchiveFiles, explorer::ftArchive},
        {Normal.get(), &TOptions::NormalFiles, explorer::ftNormal},
    };
    for (const Filter& f : filters) {
        f.box->OnClick = [this, &o, f] {
            o.*f.option = f.box->Checked();
            explorer::TFileType type = host_.List().FileType();
            if (o.*f.option)
                type.Include(f.attribute);
            else
                type.Exclude(f.attribute);
            host_.List().SetFileType(type);
        };
    }
    Klasor->OnClick = [this, &o] {
        o.Folders = Klasor->Checked();
        host_.List().SetShowFolders(o.Folders);
    };
    Filitre->OnClick = [this, &o] {
        o.MaskByTable = Filitre->Checked();
        SetMask();
    };
    CheckBox2->OnClick = [this, &o] {
        o.ConfirmFileOps = CheckBox2->Checked();
        host_.ApplyConfirmFileOps();
    };
    KayitCheck->OnClick = [this, &o] { o.SaveWarning = KayitCheck->Checked(); };
}

// ---- the table and sec.ini

std::string ExtensionTableFile(const std::string& appFolder) {
    return appFolder + "ini\\sec.ini";
}

std::string TForm2::TableFile() const {
    return ExtensionTableFile(host_.AppFolder());
}

namespace {

enum class TableRead { Ok, Missing, Unreadable, TooBig };

TableRead ReadTableFile(const std::string& path, std::string& text) {
    if (!os::FileExists(path)) return TableRead::Missing;
    ReadResult read = ReadWholeFile(path, TExtensionTree::kMaxTableBytes);
    if (read.failure == ReadFailure::TooLarge) return TableRead::TooBig;
    if (!read) return TableRead::Unreadable;
    text = std::move(read.bytes);
    return TableRead::Ok;
}

} // namespace

void LoadExtensionTable(TSession& session, const std::string& appFolder) {
    const std::string path = ExtensionTableFile(appFolder);
    std::string text;
    switch (ReadTableFile(path, text)) {
    case TableRead::Missing:
        // The four groups stay; the file is made when the options window first closes.
        return;
    case TableRead::Unreadable:
        session.ExtensionFileIncomplete = true;
        tk::ShowError(path + " okunamadı.");
        return;
    case TableRead::TooBig:
        session.ExtensionFileIncomplete = true;
        tk::ShowError(path + " okunmadı: bir uzantı tablosu için fazla büyük.");
        return;
    case TableRead::Ok:
        break;
    }
    const std::string stopped = session.Extensions.Load(text);
    if (!stopped.empty()) {
        session.ExtensionFileIncomplete = true;
        tk::Application().ShowException(std::runtime_error(stopped));
    }
}

bool TForm2::SaveTable() {
    const std::string path = TableFile();
    bool& incomplete = host_.Model().ExtensionFileIncomplete;
    if (incomplete && os::FileExists(path)) {
        // The part of the old file that was never read would be gone with
        // this write: without its copy the file stays as it is.
        const std::string backup = host_.AppFolder() + "ini\\sec.ini.bak";
        WriteResult copied = SafeCopyFile(path, backup);
        if (!copied) {
            tk::ShowError(copied.Text() + "\r\n" + backup + "\r\n" + path +
                          " okunamayan kısmı yedeklenemediği için değiştirilmedi.");
            return false;
        }
        incomplete = false;
    }
    WriteResult written = SafeWriteFile(path, Ext->TableText());
    if (!written) {
        tk::ShowError(written.Text() + "\r\n" + path);
        return false;
    }
    return true;
}

void TForm2::Execute() {
    ShowOptions();
    ShowModal();
    SaveTable();
}

// ---- commands

void TForm2::AddExtension() {
    tk::TTreeNode selected = Ext->Selected();
    if (!selected) return;
    Ext->Expand(selected);
    std::string text;
    if (!tk::CurrentDialogs().InputQuery({"Ekle", "Uzantı"}, text)) {
        SetMask();
        return;
    }
    text = AddedExtension(text);
    if (ExtFind(text) != -1) {
        tk::ShowInformation("Bu uzantı eklenmiş.");
        return;
    }
    Ext->Select(Ext->AddExtension(selected, text));
    SetMask();
}

void TForm2::EditExtension() {
    if (tk::TTreeNode selected = Ext->Selected()) Ext->EditText(selected);
}

void TForm2::DeleteExtension() {
    tk::TTreeNode selected = Ext->Selected();
    if (!Ext->IsExtension(selected)) return;
    if (Mesaj_("Seçilen bilgi silinecek onaylıyor musunuz?") == 6) Ext->RemoveExtension(selected);
    SetMask();
}

void TForm2::SetMask() {
    host_.List().SetMask(host_.Model().Options.ListMask(host_.Model().Extensions));
}

} // namespace velmora::app
