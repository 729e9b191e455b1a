// The options window on the real forms: its layout, the extension table in
// sec.ini, ExtFind, adding, editing and deleting extensions, and what every
// option does to the main window's tree, list and splitter.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "app/options_form.h"
#include "app/startup.h"
#include "base/os.h"
#include "base/safe_write.h"
#include "explorer/shell_utils.h"
#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"
#include "toolkit/menus.h"

using namespace velmora::app;
using testing_support::Pump;
using testing_support::ReadFileText;
using testing_support::ScriptedDialogs;
using testing_support::TempFolder;
namespace explorer = velmora::explorer;

namespace {

// The tree as one line per item: TABs for the level, the text, "=" and its picture.
std::string Dump(const TExtensionTree& tree) {
    std::string out;
    for (tk::TTreeNode node = tree.RootNode(); node; node = tree.NextNode(node)) {
        out.append(static_cast<size_t>(tree.NodeLevel(node)), '\t');
        out += tree.NodeText(node) + "=" + std::to_string(tree.ImageIndex(node)) + "\n";
        EXPECT_EQ(tree.ImageIndex(node), tree.SelectedImageIndex(node)) << tree.NodeText(node);
    }
    return out;
}

tk::TTreeNode Find(const TExtensionTree& tree, const std::string& text) {
    for (tk::TTreeNode node = tree.RootNode(); node; node = tree.NextNode(node))
        if (tree.NodeText(node) == text) return node;
    return nullptr;
}

// The real forms with their settings in a folder of the test's: AppDir + "ini\".
class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ini_ = app_.Folder("ini");
        GetCurrentDirectoryA(MAX_PATH, startFolder_);
    }
    void TearDown() override {
        forms_.reset();
        // The list took the working folder along; the test's folders go now.
        SetCurrentDirectoryA(startFolder_);
    }
    void Start() {
        forms_ = CreateForms();
        Main().AppDir = app_.Path();
        ShowMainForm(*forms_);
        Pump();
    }
    TForm1& Main() { return *forms_->form1; }
    TForm2& Options() { return forms_->Options(); }
    TExtensionTree& Ext() { return *forms_->Options().Ext; }
    std::string SecIni() const { return ini_ + "sec.ini"; }
    // The messages shown since the last Clear, as "caption: text".
    std::vector<std::string> Messages() const {
        std::vector<std::string> shown;
        for (const auto& call : dialogs_.Calls())
            if (call.kind == "message") shown.push_back(call.caption + ": " + call.text);
        return shown;
    }

    ScriptedDialogs dialogs_;
    TempFolder app_;
    std::string ini_;
    std::unique_ptr<Forms> forms_;
    char startFolder_[MAX_PATH] = {};
};

} // namespace

TEST_F(OptionsTest, LayoutAndInitialStates) {
    Start();
    TForm2& f = Options();
    RECT client;
    GetClientRect(f.Handle(), &client);
    EXPECT_EQ(client.right, 470);
    EXPECT_EQ(client.bottom, 230);
    const LONG style = GetWindowLongA(f.Handle(), GWL_STYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_EQ(f.Caption(), "Seçenekler");

    // The tool bar: three buttons, a divider, "Çıkış"; hints as tooltips.
    ASSERT_EQ(f.SpeedButtons.size(), 4u);
    const char* hints[] = {"Uzantı Ekle", "Uzantı Değiştir", "Uzantı Sil", "Çıkış"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(f.SpeedButtons[i]->Hint(), hints[i]);
        EXPECT_NE(f.SpeedButtons[i]->Glyph(), nullptr) << hints[i];
    }
    EXPECT_EQ(f.ToolBar1->Dividers().size(), 1u);
    EXPECT_GT(f.SpeedButtons[3]->Left(), f.ToolBar1->Dividers()[0]);

    // Embossed labels in bold Tahoma.
    for (TEmbossedLabel* label : {f.Label1.get(), f.Label2.get(), f.Label3.get()}) {
        LOGFONTA font{};
        GetObjectA(label->LabelFont(), sizeof font, &font);
        EXPECT_STREQ(font.lfFaceName, "Tahoma");
        EXPECT_GE(font.lfWeight, FW_BOLD);
    }
    EXPECT_EQ(f.Label1->Caption(), "Uzantılar");
    EXPECT_EQ(f.Label2->Caption(), "Klasör Kutusu");
    EXPECT_EQ(f.Label3->Caption(), "Dosya Kutusu");
    // "Uzantılar" above the tree; the two boxes under their labels on the right.
    EXPECT_LE(f.Label1->Top() + f.Label1->Height(), f.Ext->Top());
    EXPECT_LE(f.Label2->Top() + f.Label2->Height(), f.TreeOptions->Top());
    EXPECT_LE(f.Label3->Top() + f.Label3->Height(), f.ListOptions->Top());
    EXPECT_LE(f.TreeOptions->Top() + f.TreeOptions->Height(), f.Label3->Top());
    EXPECT_GT(f.TreeOptions->Left(), f.Ext->Left() + f.Ext->Width());
    EXPECT_LE(f.ListOptions->Top() + f.ListOptions->Height(), 230);

    // The tree: 125 by 165, white, indent 35, no root lines, the four groups with their pictures.
    EXPECT_EQ(f.Ext->Width(), 125);
    EXPECT_EQ(f.Ext->Height(), 165);
    EXPECT_EQ(f.Ext->Indent(), 35);
    EXPECT_FALSE(f.Ext->ShowRoot());
    EXPECT_EQ(TreeView_GetBkColor(f.Ext->Handle()) == static_cast<COLORREF>(-1)
                  ? GetSysColor(COLOR_WINDOW)
                  : TreeView_GetBkColor(f.Ext->Handle()),
              RGB(255, 255, 255));
    ASSERT_NE(f.Ext->Images(), nullptr);
    EXPECT_EQ(ImageList_GetImageCount(f.Ext->Images()), 4);

    struct Box {
        tk::TCheckBox* box;
        const char* caption;
        bool checked;
    };
    const Box boxes[] = {
        {f.Cizgi.get(), "Çizgileri göster", true},      {f.Button.get(), "Buttonları göster", true},
        {f.CheckBox1.get(), "Merkez çizgisi", false},   {f.Saltoku.get(), "Saltokunur", true},
        {f.Hidden.get(), "Gizli dosyalar", false},      {f.Klasor.get(), "Klasörler", true},
        {f.Arsiv.get(), "Arşiv dosyaları", false},      {f.Normal.get(), "Normal dosyalar", true},
        {f.Filitre.get(), "Maskeleme yap", false},      {f.CheckBox2.get(), "İşlemlerde uyar", false},
        {f.KayitCheck.get(), "Kayıt için uyar", false},
    };
    for (const Box& b : boxes) {
        EXPECT_EQ(b.box->Caption(), b.caption);
        EXPECT_EQ(b.box->Checked(), b.checked) << b.caption;
        // Each box lies inside its frame.
        EXPECT_LE(b.box->Left() + b.box->Width(), b.box->Parent()->Width()) << b.caption;
        EXPECT_LE(b.box->Top() + b.box->Height(), b.box->Parent()->Height()) << b.caption;
    }
    for (tk::TCheckBox* box : {f.Cizgi.get(), f.Button.get(), f.CheckBox1.get()})
        EXPECT_EQ(box->Parent(), f.TreeOptions.get());
    EXPECT_EQ(f.RadioButton1->Caption(), "Alt alta");
    EXPECT_FALSE(f.RadioButton1->Checked());
    EXPECT_EQ(f.RadioButton2->Caption(), "Yan yana");
    EXPECT_TRUE(f.RadioButton2->Checked());

    // The boxes start as the controls they drive.
    EXPECT_TRUE(Main().DirTree1->ShowLines());
    EXPECT_TRUE(Main().DirTree1->ShowButtons());
    EXPECT_FALSE(Main().DirTree1->ShowRoot());
    EXPECT_EQ(Main().DirTree1->Align(), tk::TAlign::alLeft);
    EXPECT_TRUE(Main().FileListView1->ShowFolders());
    EXPECT_EQ(Main().FileListView1->Mask(), "*.*");
    EXPECT_FALSE(Main().FileOperations1->ConfirmFileOps());
    EXPECT_FALSE(f.SaveWarning());

    // The tree's context menu with its shortcuts.
    struct Item {
        const char* name;
        const char* caption;
        tk::TShortCut shortcut;
    };
    const Item items[] = {
        {"UzantiEkle1", "Uzantı Ekle", tk::ShortCut('I', tk::scCtrl)},
        {"UzantiDuzelt1", "Uzantı Düzelt", tk::ShortCut('E', tk::scCtrl)},
        {"N1", "-", 0},
        {"UzantiSil1", "Uzantı Sil", tk::ShortCut(VK_DELETE)},
        {"N2", "-", 0},
        {"HepsiniGoster1", "Hepsini Göster", tk::ShortCut('A', tk::scCtrl)},
        {"HepsiniGizle1", "Hepsini Gizle", tk::ShortCut('K', tk::scCtrl)},
    };
    const auto& menu = f.ExtMenu.Root().Items();
    ASSERT_EQ(menu.size(), std::size(items));
    for (size_t i = 0; i < std::size(items); ++i) {
        EXPECT_EQ(menu[i]->Name, items[i].name);
        EXPECT_EQ(menu[i]->Caption(), items[i].caption);
        EXPECT_EQ(menu[i]->Shortcut(), items[i].shortcut) << items[i].caption;
    }
    EXPECT_EQ(f.Ext->PopupMenu(), &f.ExtMenu);
}

TEST_F(OptionsTest, WithoutSecIniTheFourGroupsStayAndNothingOpens) {
    Start();
    EXPECT_EQ(Dump(Ext()), "Metin Editörü=0\nHtml Editörü=1\nResim Editörü=2\nHex Editörü=3\n");
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Options().ExtFind(".txt"), -1);
    EXPECT_EQ(Options().ExtFind(""), -1);
}

TEST_F(OptionsTest, SecIniLevelsLineEndsAndNumbering) {
    // TABs and spaces count one level each; CR LF, CR and LF end lines; an empty
    // line is a group without a name that moves the numbers of the groups after it.
    app_.File("ini\\sec.ini", "Metin Editörü\r\n\t.txt\r .TXT2\n\t.rtf\r\nHtml Editörü\n .htm\r\n\r\n"
                              "Resim Editörü\r\n\t.gif\r\nHex Editörü\r\n\t\r\n");
    Start();
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Dump(Ext()), "Metin Editörü=0\n\t.txt=0\n\t.TXT2=0\n\t.rtf=0\nHtml Editörü=1\n\t.htm=1\n=2\n"
                           "Resim Editörü=3\n\t.gif=3\nHex Editörü=4\n\t=4\n");
    // Written back in the program's own form: TABs and CR LF.
    const std::string written =
        "Metin Editörü\r\n\t.txt\r\n\t.TXT2\r\n\t.rtf\r\nHtml Editörü\r\n\t.htm\r\n\r\n"
        "Resim Editörü\r\n\t.gif\r\nHex Editörü\r\n\t\r\n";
    EXPECT_EQ(Ext().TableText(), written);
    // A round trip keeps items, texts and pictures.
    const std::string before = Dump(Ext());
    Ext().LoadTable(Ext().TableText());
    EXPECT_EQ(Dump(Ext()), before);
    // A group further down the tree numbers its extensions; deeper items belong to their group.
    Ext().LoadTable("A\n\tx\n\t\ty\nB\n\tz\n");
    EXPECT_EQ(Dump(Ext()), "A=0\n\tx=0\n\t\ty=0\nB=1\n\tz=1\n");
    // Shallower by more than one level climbs to the right ancestor.
    Ext().LoadTable("A\n\tx\n\t\ty\n\t\t\tw\nB\n");
    EXPECT_EQ(Dump(Ext()), "A=0\n\tx=0\n\t\ty=0\n\t\t\tw=0\nB=1\n");
    // The first line is a group whatever its indentation.
    Ext().LoadTable("\t\tA\n\tb\n");
    EXPECT_EQ(Dump(Ext()), "A=0\n\tb=0\n");
}

TEST_F(OptionsTest, InvalidLevelStopsTheReadingAndKeepsWhatWasRead) {
    app_.File("ini\\sec.ini",
              "Metin Editörü\r\n\t.txt\r\nHtml Editörü\r\n\t\t.htm\r\n\t.html\r\nHex Editörü\r\n");
    Start();
    // The error box of the toolkit, the text filled in.
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "velmora: Invalid level (2) for item \".htm\".");
    EXPECT_EQ(dialogs_.Calls().back().flags & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
    // The items before the faulty line stay, numbered: .txt still opens in the text editor.
    EXPECT_EQ(Dump(Ext()), "Metin Editörü=0\n\t.txt=0\nHtml Editörü=1\n");
    EXPECT_EQ(Options().ExtFind(".TXT"), 0);

    // Closing the window writes the table; the old file, whose end was never
    // read, is kept beside it first.
    dialogs_.AnswerModal([](tk::TForm&) { return IDCANCEL; });
    Options().Execute();
    EXPECT_EQ(ReadFileText(SecIni()), "Metin Editörü\r\n\t.txt\r\nHtml Editörü\r\n");
    EXPECT_EQ(ReadFileText(SecIni() + ".bak"),
              "Metin Editörü\r\n\t.txt\r\nHtml Editörü\r\n\t\t.htm\r\n\t.html\r\nHex Editörü\r\n");
}

TEST_F(OptionsTest, TooLargeSecIniIsNotReadAndNotLost) {
    std::string huge = "Metin Editörü\r\n";
    while (huge.size() <= static_cast<size_t>(TExtensionTree::kMaxTableBytes))
        huge += "\t.abcdefghijklmnopqrstuvwxyz\r\n";
    app_.File("ini\\sec.ini", huge);
    Start();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("sec.ini"), std::string::npos);
    EXPECT_EQ(Dump(Ext()), "Metin Editörü=0\nHtml Editörü=1\nResim Editörü=2\nHex Editörü=3\n");
    dialogs_.AnswerModal([](tk::TForm&) { return IDCANCEL; });
    Options().Execute();
    EXPECT_EQ(ReadFileText(SecIni() + ".bak"), huge);
}

TEST_F(OptionsTest, APartlyReadTableIsNotRewrittenWhenItsCopyCannotBeMade) {
    const std::string old =
        "Metin Editörü\r\n\t.txt\r\nHtml Editörü\r\n\t\t.htm\r\n\t.html\r\nHex Editörü\r\n";
    struct Case {
        const char* why;
        bool folder; // sec.ini.bak is a folder, else a read-only file
    };
    for (const Case& c : {Case{"klasör", true}, Case{"salt okunur", false}}) {
        app_.File("ini\\sec.ini", old);
        const std::string backup = SecIni() + ".bak";
        if (c.folder) {
            ASSERT_TRUE(CreateDirectoryA(backup.c_str(), nullptr));
        } else {
            app_.File("ini\\sec.ini.bak", "eski yedek");
            SetFileAttributesA(backup.c_str(), FILE_ATTRIBUTE_READONLY);
        }
        forms_.reset();
        dialogs_.Clear();
        Start();
        ASSERT_EQ(Messages().size(), 1u) << c.why; // the invalid level
        dialogs_.Clear();
        dialogs_.AnswerModal([](tk::TForm&) { return IDCANCEL; });
        Options().Execute();
        EXPECT_EQ(ReadFileText(SecIni()), old) << c.why;
        ASSERT_EQ(Messages().size(), 1u) << c.why;
        EXPECT_NE(Messages()[0].find("sec.ini.bak"), std::string::npos) << Messages()[0];
        EXPECT_NE(Messages()[0].find("değiştirilmedi"), std::string::npos) << Messages()[0];
        if (!c.folder) {
            EXPECT_EQ(ReadFileText(backup), "eski yedek");
        }

        // Once the copy can be made, the next close writes the table.
        if (c.folder)
            RemoveDirectoryA(backup.c_str());
        else
            SetFileAttributesA(backup.c_str(), FILE_ATTRIBUTE_NORMAL);
        dialogs_.AnswerModal([](tk::TForm&) { return IDCANCEL; });
        Options().Execute();
        EXPECT_EQ(ReadFileText(backup), old) << c.why;
        EXPECT_EQ(ReadFileText(SecIni()), "Metin Editörü\r\n\t.txt\r\nHtml Editörü\r\n") << c.why;
        DeleteFileA(backup.c_str());
    }
}

TEST_F(OptionsTest, ExtFindTable) {
    app_.File("ini\\sec.ini",
              "Metin Editörü\r\n\t.txt\r\n\t.Rtf\r\nHtml Editörü\r\n\t.htm\r\nResim Editörü\r\n"
              "\t.gif\r\nHex Editörü\r\n\t\r\n\t.txt\r\n");
    Start();
    struct Case {
        const char* extension;
        int kind;
    };
    const Case cases[] =
        {
            {".txt", 0}, {".TXT", 0},   {".rtf", 0},  {".RTF", 0},           {".HTM", 1},
            {".gif", 2}, {"", 3},       {".exe", -1}, {"Metin Editörü", -1}, {"txt", -1},
            {".", -1},   {".htm ", -1}, {".Gİf", -1}, // only A to Z are lowered: the dotted capital I is
                                                      // another letter
        };
    for (const Case& c : cases)
        EXPECT_EQ(Options().ExtFind(c.extension), c.kind) << c.extension;
    // Files by their names.
    EXPECT_EQ(Options().ViewerKindOf("C:\\a.b\\Not.TXT"), TViewerKind::vkText);
    EXPECT_EQ(Options().ViewerKindOf("C:\\a.htm\\README"), TViewerKind::vkHex);
    EXPECT_EQ(Options().ViewerKindOf("C:\\x\\y.jpeg"), TViewerKind::vkNone);
    // Without the empty item, a name without a dot opens nowhere.
    Ext().LoadTable("Metin Editörü\r\n\t.txt\r\n");
    EXPECT_EQ(Options().ExtFind(""), -1);
    Ext().LoadTable("");
    EXPECT_EQ(Options().ExtFind(".txt"), -1);
}

TEST(ExtensionText, ExtensionsMasksAndTypedText) {
    struct Ext {
        const char* name;
        const char* extension;
    };
    const Ext names[] = {{"a.txt", ".txt"},
                         {"a.b.TXT", ".TXT"},
                         {"README", ""},
                         {"C:\\x.y\\README", ""},
                         {"C:\\x\\.profile", ".profile"},
                         {"C:\\x\\name.", "."},
                         {"", ""}};
    for (const Ext& e : names)
        EXPECT_EQ(ExtensionOf(e.name), e.extension) << e.name;
    struct Typed {
        const char* typed;
        const char* added;
    };
    const Typed typed[] = {
        {"txt", ".txt"}, {".txt", ".txt"},   {"TXT", ".TXT"},  {"a.b", "a.b"},    {".", ""},
        {"", ""},        {"  txt ", ".txt"}, {"\tb.c", "b.c"}, {"x\r\ny", ".xy"}, {" . ", ""},
    };
    for (const Typed& t : typed)
        EXPECT_EQ(AddedExtension(t.typed), t.added) << t.typed;
    EXPECT_EQ(CleanExtension("."), ".");
    EXPECT_EQ(CleanExtension("md"), ".md");
    EXPECT_EQ(MaskOf({".txt", ""}), "*.txt;*.;");
    EXPECT_EQ(MaskOf({".txt", ".rtf", ".htm", ".gif", ""}), "*.txt;*.rtf;*.htm;*.gif;*.;");
    EXPECT_EQ(MaskOf({}), "");
}

TEST_F(OptionsTest, AddingExtensions) {
    Start();
    tk::TTreeNode text = Find(Ext(), "Metin Editörü");
    tk::TTreeNode hex = Find(Ext(), "Hex Editörü");
    // Nothing selected: nothing asked.
    Ext().Select(nullptr);
    Options().AddExtension();
    EXPECT_TRUE(dialogs_.Calls().empty());

    Ext().Select(text);
    dialogs_.AnswerInput(true, "txt");
    Options().AddExtension();
    ASSERT_EQ(dialogs_.Calls().size(), 1u);
    EXPECT_EQ(dialogs_.Calls()[0].kind, "input");
    EXPECT_EQ(dialogs_.Calls()[0].caption, "Ekle");
    EXPECT_EQ(dialogs_.Calls()[0].text, "Uzantı");
    EXPECT_EQ(dialogs_.Calls()[0].offered, "");
    EXPECT_TRUE(Ext().Expanded(text));
    EXPECT_EQ(Ext().NodeText(Ext().Selected()), ".txt");

    // Beside a selected extension: at the end of its group, with the group's picture.
    Ext().Select(hex);
    dialogs_.AnswerInput(true, "bin");
    Options().AddExtension();
    dialogs_.AnswerInput(true, ".");
    Options().AddExtension(); // selected is ".bin" now
    dialogs_.AnswerInput(true, "a.b");
    Ext().Select(Find(Ext(), ".txt"));
    Options().AddExtension();
    EXPECT_EQ(Dump(Ext()),
              "Metin Editörü=0\n\t.txt=0\n\ta.b=0\nHtml Editörü=1\nResim Editörü=2\nHex Editörü=3\n"
              "\t.bin=3\n\t=3\n");
    EXPECT_EQ(Options().ExtFind(""), 3);

    // Already there in any letter case, or in another group: the note, nothing added.
    dialogs_.Clear();
    for (const char* again : {"TXT", ".BIN", "."}) {
        dialogs_.AnswerInput(true, again);
        Options().AddExtension();
    }
    EXPECT_EQ(Messages(), std::vector<std::string>(3, "Information: Bu uzantı eklenmiş."));
    EXPECT_EQ(dialogs_.Calls()[1].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    // Cancelled: nothing added.
    dialogs_.AnswerInput(false, "pas");
    Options().AddExtension();
    EXPECT_EQ(Options().ExtFind(".pas"), -1);
    EXPECT_EQ(Ext().Count(), 8);
}

TEST_F(OptionsTest, MaskFollowsTheTableWhileFilteringIsOn) {
    Start();
    auto& list = *Main().FileListView1;
    Ext().LoadTable("Metin Editörü\r\n\t.txt\r\nHex Editörü\r\n\t\r\n");
    Options().Filitre->Click();
    EXPECT_EQ(list.Mask(), "*.txt;*.;");
    // Adding and deleting keep it in step.
    Ext().Select(Find(Ext(), "Metin Editörü"));
    dialogs_.AnswerInput(true, "rtf");
    Options().AddExtension();
    EXPECT_EQ(list.Mask(), "*.txt;*.rtf;*.;");
    Ext().Select(Find(Ext(), ".txt"));
    dialogs_.AnswerMessage(IDYES);
    Options().DeleteExtension();
    EXPECT_EQ(list.Mask(), "*.rtf;*.;");
    // A cancelled add sets it too (it is the same).
    dialogs_.AnswerInput(false, "");
    Options().AddExtension();
    EXPECT_EQ(list.Mask(), "*.rtf;*.;");
    Options().Filitre->Click();
    EXPECT_EQ(list.Mask(), "*.*");
    // The list shows what the mask lets through.
    TempFolder folder;
    folder.File("a.rtf", "x");
    folder.File("b.doc", "x");
    list.SetDirectory(folder.Path());
    Ext().LoadTable("Metin Editörü\r\n\t.rtf\r\n");
    Options().Filitre->Click();
    EXPECT_EQ(list.Mask(), "*.rtf;");
    std::vector<std::string> shown;
    for (int i = 0; i < list.RowCount(); ++i)
        shown.push_back(list.Row(i).caption);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "a.rtf"), 1);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "b.doc"), 0);
}

TEST_F(OptionsTest, DeletingAsksAndLeavesGroupsAlone) {
    Start();
    Ext().LoadTable("Metin Editörü\r\n\t.txt\r\n\t.rtf\r\n");
    // A group: no question, nothing deleted.
    Ext().Select(Find(Ext(), "Metin Editörü"));
    Options().DeleteExtension();
    EXPECT_TRUE(dialogs_.Calls().empty());
    Ext().Select(nullptr);
    Options().DeleteExtension();
    EXPECT_TRUE(dialogs_.Calls().empty());
    // No keeps it, Yes deletes it.
    Ext().Select(Find(Ext(), ".txt"));
    dialogs_.AnswerMessage(IDNO);
    Options().DeleteExtension();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "Dikkat!: Seçilen bilgi silinecek onaylıyor musunuz?");
    EXPECT_EQ(Options().ExtFind(".txt"), 0);
    dialogs_.AnswerMessage(IDYES);
    Options().DeleteExtension();
    EXPECT_EQ(Options().ExtFind(".txt"), -1);
    EXPECT_EQ(Dump(Ext()), "Metin Editörü=0\n\t.rtf=0\n");
}

TEST_F(OptionsTest, InPlaceEditingOfExtensionsOnly) {
    Start();
    Ext().LoadTable("Metin Editörü\r\n\t.txt\r\n\t.rtf\r\n");
    Options().Show();
    Pump();
    // A group does not go into editing.
    Ext().Select(Find(Ext(), "Metin Editörü"));
    Options().EditExtension();
    EXPECT_FALSE(Ext().IsEditing());
    // An extension does; a text without a dot gets one; duplicates are accepted.
    struct Case {
        const char* typed;
        const char* kept;
    };
    const Case cases[] = {{"md", ".md"}, {"a.b", "a.b"}, {".RTF", ".RTF"}, {" \tlog ", ".log"}};
    for (const Case& c : cases) {
        Ext().Select(Ext().FirstChild(Ext().RootNode()));
        Options().EditExtension();
        ASSERT_TRUE(Ext().IsEditing()) << c.typed;
        HWND editor = TreeView_GetEditControl(Ext().Handle());
        ASSERT_NE(editor, nullptr);
        SetWindowTextA(editor, c.typed);
        // While editing, the keys are the editor's: Del does not delete the item.
        EXPECT_EQ(Ext().PopupMenu(), nullptr);
        EXPECT_FALSE(tk::ResolveShortCut(Options(), editor, tk::ShortCut(VK_DELETE)));
        Ext().EndEditing(false);
        EXPECT_EQ(Ext().NodeText(Ext().FirstChild(Ext().RootNode())), c.kept);
        EXPECT_EQ(Ext().PopupMenu(), &Options().ExtMenu);
    }
    EXPECT_TRUE(dialogs_.Calls().empty());
    EXPECT_EQ(Options().ExtFind(".RTF"), 0);
    Options().Hide();
}

TEST_F(OptionsTest, ContextMenuShortcutsAndRightClick) {
    Start();
    Ext().LoadTable("Metin Editörü\r\n\t.txt\r\nHtml Editörü\r\n\t.htm\r\n");
    Options().Show();
    Pump();
    // A right click selects the item under the pointer, then the menu opens there.
    tk::TTreeNode htm = Find(Ext(), ".htm");
    Ext().Expand(Find(Ext(), "Html Editörü"));
    RECT r{};
    std::memcpy(&r, &htm, sizeof htm);
    ASSERT_TRUE(SendMessageA(Ext().Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
    dialogs_.AnswerPopup("UzantiSil1");
    dialogs_.AnswerMessage(IDNO);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(Ext().Handle(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    PostMessageA(Ext().Handle(), WM_RBUTTONUP, 0, at);
    testing_support::PumpUntil([&] { return dialogs_.Calls().size() >= 2; }, 3000);
    ASSERT_GE(dialogs_.Calls().size(), 1u);
    EXPECT_EQ(dialogs_.Calls()[0].kind, "popup");
    EXPECT_EQ(Ext().Selected(), htm);
    ASSERT_EQ(Messages().size(), 1u); // "Uzantı Sil" asked about .htm
    EXPECT_EQ(Options().ExtFind(".htm"), 1);

    // The menu's shortcuts while the tree has the focus.
    dialogs_.Clear();
    Ext().SetFocus();
    Ext().Select(Find(Ext(), "Metin Editörü"));
    dialogs_.AnswerInput(true, "log");
    EXPECT_TRUE(tk::ResolveShortCut(Options(), Ext().Handle(), tk::ShortCut('I', tk::scCtrl)));
    EXPECT_EQ(Options().ExtFind(".log"), 0);
    EXPECT_TRUE(tk::ResolveShortCut(Options(), Ext().Handle(), tk::ShortCut('K', tk::scCtrl)));
    EXPECT_FALSE(Ext().Expanded(Find(Ext(), "Metin Editörü")));
    EXPECT_TRUE(tk::ResolveShortCut(Options(), Ext().Handle(), tk::ShortCut('A', tk::scCtrl)));
    EXPECT_TRUE(Ext().Expanded(Find(Ext(), "Metin Editörü")));
    EXPECT_TRUE(Ext().Expanded(Find(Ext(), "Html Editörü")));
    // Elsewhere in the window the tree's keys are not taken: Del in a check box deletes nothing.
    EXPECT_FALSE(tk::ResolveShortCut(Options(), Options().Hidden->Handle(), tk::ShortCut(VK_DELETE)));
    Options().Hide();
}

TEST_F(OptionsTest, TreeOptionsAndOrientation) {
    Start();
    TForm2& f = Options();
    auto& tree = *Main().DirTree1;
    auto& splitter = *Main().ClickSplitter1;
    auto& list = *Main().FileListView1;
    // Each click turns the tree's property over.
    f.Cizgi->Click();
    EXPECT_FALSE(tree.ShowLines());
    f.Button->Click();
    EXPECT_FALSE(tree.ShowButtons());
    f.CheckBox1->Click();
    EXPECT_TRUE(tree.ShowRoot());
    f.Cizgi->Click();
    f.Button->Click();
    f.CheckBox1->Click();
    EXPECT_TRUE(tree.ShowLines());
    EXPECT_TRUE(tree.ShowButtons());
    EXPECT_FALSE(tree.ShowRoot());
    EXPECT_EQ(f.Cizgi->Checked(), tree.ShowLines());

    // "Alt alta": the tree above the list, as high as it was wide; the splitter 7 high between.
    const int width = tree.Width();
    EXPECT_EQ(width, 195);
    f.RadioButton1->Click();
    EXPECT_TRUE(f.RadioButton1->Checked());
    EXPECT_FALSE(f.RadioButton2->Checked());
    EXPECT_EQ(tree.Align(), tk::TAlign::alTop);
    EXPECT_EQ(splitter.Align(), tk::TAlign::alTop);
    EXPECT_EQ(tree.Height(), 195);
    EXPECT_EQ(splitter.Height(), 7);
    EXPECT_EQ(splitter.Top(), tree.Top() + tree.Height());
    EXPECT_EQ(list.Top(), splitter.Top() + 7);
    EXPECT_EQ(tree.Width(), list.Width());
    // "Yan yana": back beside it.
    f.RadioButton2->Click();
    EXPECT_EQ(tree.Align(), tk::TAlign::alLeft);
    EXPECT_EQ(splitter.Align(), tk::TAlign::alLeft);
    EXPECT_EQ(tree.Width(), 195);
    EXPECT_EQ(splitter.Width(), 7);
    EXPECT_EQ(splitter.Left(), tree.Left() + 195);
    EXPECT_EQ(list.Left(), splitter.Left() + 7);
    EXPECT_EQ(tree.Height(), list.Height());
}

TEST_F(OptionsTest, FileListFiltersAndSwitches) {
    TempFolder folder;
    folder.File("plain.txt", "x");
    std::string hidden = folder.File("gizli.txt", "x");
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    std::string readOnly = folder.File("salt.txt", "x");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    std::string archived = folder.File("arsiv.txt", "x");
    SetFileAttributesA(archived.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    folder.Folder("Alt");
    Start();
    TForm2& f = Options();
    auto& list = *Main().FileListView1;
    list.SetDirectory(folder.Path());
    auto shown = [&](const std::string& caption) {
        for (int i = 0; i < list.RowCount(); ++i)
            if (list.Row(i).caption == caption) return true;
        return false;
    };
    EXPECT_FALSE(shown("gizli.txt"));
    EXPECT_TRUE(shown("salt.txt"));
    EXPECT_TRUE(shown("Alt"));
    struct Case {
        tk::TCheckBox* box;
        explorer::TFileAttr attribute;
        const char* file;
    };
    const Case cases[] = {
        {f.Hidden.get(), explorer::ftHidden, "gizli.txt"},
        {f.Saltoku.get(), explorer::ftReadOnly, "salt.txt"},
        {f.Arsiv.get(), explorer::ftArchive, nullptr},
        {f.Normal.get(), explorer::ftNormal, nullptr},
    };
    for (const Case& c : cases) {
        const bool was = list.FileType().Contains(c.attribute);
        c.box->Click();
        EXPECT_NE(list.FileType().Contains(c.attribute), was) << c.box->Caption();
        EXPECT_EQ(list.FileType().Contains(c.attribute), c.box->Checked()) << c.box->Caption();
        if (c.file) {
            EXPECT_EQ(shown(c.file), c.box->Checked()) << c.file; // the list listed again
        }
        c.box->Click();
        EXPECT_EQ(list.FileType().Contains(c.attribute), was) << c.box->Caption();
    }
    f.Klasor->Click();
    EXPECT_FALSE(list.ShowFolders());
    EXPECT_FALSE(shown("Alt"));
    f.Klasor->Click();
    EXPECT_TRUE(list.ShowFolders());

    // The switches are the session's; the file operations and the tree follow it.
    f.CheckBox2->Click();
    EXPECT_TRUE(Main().Session.Options.ConfirmFileOps);
    EXPECT_TRUE(Main().FileOperations1->ConfirmFileOps());
    EXPECT_TRUE(Main().DirTree1->ConfirmFileOps());
    f.CheckBox2->Click();
    EXPECT_FALSE(Main().FileOperations1->ConfirmFileOps());
    EXPECT_FALSE(Main().DirTree1->ConfirmFileOps());
    f.KayitCheck->Click();
    EXPECT_TRUE(Main().Session.Options.SaveWarning);
    EXPECT_TRUE(f.SaveWarning());
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(OptionsTest, AssociationsEditedInTheWindowSurviveARestart) {
    app_.File("ini\\sec.ini", "Metin Editörü\r\n\t.txt\r\nHtml Editörü\r\nResim Editörü\r\nHex Editörü\r\n");
    Start();
    // The window is made at the first "Seçenekler", not at start.
    EXPECT_FALSE(forms_->form2);
    // "Seçenekler" from the tool bar: the window modal; the user adds '.pas' and closes it.
    dialogs_.AnswerModal([this](tk::TForm& form) {
        EXPECT_EQ(&form, &Options());
        Ext().Select(Find(Ext(), "Hex Editörü"));
        dialogs_.AnswerInput(true, "PAS");
        Options().AddExtension();
        return IDCANCEL;
    });
    Main().Button("SpeedButton4")->Click();
    ASSERT_GE(dialogs_.Calls().size(), 1u);
    EXPECT_EQ(dialogs_.Calls()[0].kind, "modal");
    EXPECT_EQ(dialogs_.Calls()[0].caption, "Seçenekler");
    const std::string table =
        "Metin Editörü\r\n\t.txt\r\nHtml Editörü\r\nResim Editörü\r\nHex Editörü\r\n\t.PAS\r\n";
    EXPECT_EQ(ReadFileText(SecIni()), table);
    // The menu item runs the same command; an unchanged table is written again.
    dialogs_.Clear();
    Main().MainMenu1.Find("Secenekler1")->Click();
    EXPECT_EQ(dialogs_.Calls().size(), 1u);
    EXPECT_EQ(ReadFileText(SecIni()), table);

    forms_.reset();
    Start();
    // The session goes by the table without the window; made later, the window shows it.
    EXPECT_EQ(Main().Session.Extensions.Find(".pas"), 3);
    EXPECT_FALSE(forms_->form2);
    EXPECT_EQ(Dump(Ext()), "Metin Editörü=0\n\t.txt=0\nHtml Editörü=1\nResim Editörü=2\nHex Editörü=3\n\t.PAS=3\n");
    EXPECT_EQ(Options().ExtFind(".pas"), 3);
    EXPECT_EQ(Options().ExtFind(".txt"), 0);
}

TEST_F(OptionsTest, ClosingWhenSecIniCannotBeWritten) {
    const std::string table = "Metin Editörü\r\n\t.txt\r\n";
    std::string path = app_.File("ini\\sec.ini", table);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    Start();
    dialogs_.Clear();
    Ext().Select(Find(Ext(), ".txt"));
    dialogs_.AnswerInput(true, "log");
    Options().AddExtension();
    dialogs_.AnswerModal([](tk::TForm&) { return IDCANCEL; });
    Options().Execute(); // the window closes all the same
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(dialogs_.Calls().back().flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_NE(Messages()[0].find(velmora::WriteFailureText(velmora::WriteFailure::TargetReadOnly)),
              std::string::npos);
    // The file is as it was; the table in the window keeps the new extension for the next try.
    EXPECT_EQ(ReadFileText(path), table);
    EXPECT_EQ(Options().ExtFind(".log"), 0);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    dialogs_.Clear();
    dialogs_.AnswerModal([](tk::TForm&) { return IDCANCEL; });
    Options().Execute();
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(ReadFileText(path), table + "\t.log\r\n");

    // No "ini" folder at all: the archive step's box at start, and the one of the failed write.
    forms_.reset();
    TempFolder bare;
    dialogs_.Clear();
    forms_ = CreateForms();
    Main().AppDir = bare.Path();
    ShowMainForm(*forms_);
    Pump();
    EXPECT_EQ(Messages().size(), 1u);
    dialogs_.AnswerModal([](tk::TForm&) { return IDCANCEL; });
    Options().Execute();
    EXPECT_EQ(Messages().size(), 2u);
    EXPECT_EQ(ReadFileText(bare.Path() + "ini\\sec.ini"), "<missing>");
}

TEST_F(OptionsTest, TableLoadedEvenWhenTheArchiveFileCannotBeMade) {
    // A folder the user may not write to: aktif.ini cannot be made, but the
    // table that is there still decides which viewer opens a file.
    app_.File("ini\\sec.ini", "Metin Editörü\r\n\t.txt\r\n");
    velmora::os::FileFaults faults;
    faults.failCreate = true;
    velmora::os::InjectFileFaults(faults);
    Start();
    velmora::os::ClearFileFaults();
    ASSERT_EQ(Messages().size(), 1u); // the archive file's error
    EXPECT_NE(Messages()[0].find("aktif.ini"), std::string::npos);
    EXPECT_EQ(Options().ExtFind(".txt"), 0);
}

TEST_F(OptionsTest, TheWindowShowsTheSessionsOptions) {
    Start();
    // Options changed in the session while the window was closed (its show step clears the confirmation).
    TOptions& o = Main().Session.Options;
    o.HiddenFiles = true;
    o.ShowLines = false;
    o.TreeBesideList = false;
    o.SaveWarning = true;
    TForm2& f = Options();
    std::vector<bool> shown;
    dialogs_.AnswerModal([&](tk::TForm&) {
        shown = {f.Hidden->Checked(),       f.Cizgi->Checked(),      f.RadioButton1->Checked(),
                 f.RadioButton2->Checked(), f.KayitCheck->Checked(), f.Saltoku->Checked(),
                 f.CheckBox2->Checked()};
        // A click in the window edits the session.
        f.Normal->Click();
        return IDCANCEL;
    });
    f.Execute();
    EXPECT_EQ(shown, (std::vector<bool>{true, false, true, false, true, true, false}));
    EXPECT_FALSE(o.NormalFiles);
    EXPECT_FALSE(Main().FileListView1->FileType().Contains(explorer::ftNormal));
}
