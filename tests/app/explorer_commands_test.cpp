#include <gtest/gtest.h>

#include <fstream>

#include "app/startup.h"
#include "support/scripted_dialogs.h"
#include "explorer/path_utils.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"
#include "toolkit/gdi.h"

using namespace velmora::app;
using testing_support::Pump;
using testing_support::ReadFileText;
namespace explorer = velmora::explorer;

class ExplorerCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        forms_ = CreateForms();
        ShowMainForm(*forms_);
        Pump();
        dialogs_.Clear();
    }
    TForm1& Main() { return *forms_->form1; }
    testing_support::ScriptedDialogs dialogs_;
    std::unique_ptr<Forms> forms_;
};

TEST_F(ExplorerCommandsTest, GoToTypedFolder) {
    testing_support::TempFolder temp;
    struct Case {
        const char* typed;
        const char* message; // nullptr: nothing shown
    };
    const Case refusals[] = {
        {"x", nullptr},
        {"", nullptr},
        {"C:\\Yok", "C:\\Yok\\  bulunamadı"},
        {"q:", "Q:\\  hazır değil"},
    };
    for (const Case& c : refusals) {
        dialogs_.Clear();
        std::string before = Main().FileListView1->Directory();
        dialogs_.AnswerInput(true, c.typed);
        Main().Explorer.GoToTypedFolder();
        ASSERT_GE(dialogs_.Calls().size(), 1u);
        EXPECT_EQ(dialogs_.Calls()[0].caption, "Hedef Klasör");
        EXPECT_EQ(dialogs_.Calls()[0].text, "Hedef klasörü girin");
        if (c.message) {
            ASSERT_EQ(dialogs_.Calls().size(), 2u) << c.typed;
            EXPECT_EQ(dialogs_.Calls()[1].text, c.message);
            EXPECT_EQ(dialogs_.Calls()[1].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        } else {
            EXPECT_EQ(dialogs_.Calls().size(), 1u) << c.typed;
        }
        EXPECT_EQ(Main().FileListView1->Directory(), before);
    }
    dialogs_.Clear();
    std::string target = temp.Path().substr(0, temp.Path().size() - 1); // without the backslash
    dialogs_.AnswerInput(true, target);
    Main().Explorer.GoToTypedFolder();
    EXPECT_EQ(lstrcmpiA(Main().FileListView1->Directory().c_str(), temp.Path().c_str()), 0);
    EXPECT_EQ(lstrcmpiA(Main().DirTree1->SelectedPath().c_str(), target.c_str()) == 0 ||
                  lstrcmpiA(Main().DirTree1->SelectedPath().c_str(), temp.Path().c_str()) == 0,
              true)
        << Main().DirTree1->SelectedPath();
}

TEST_F(ExplorerCommandsTest, TypingIntoThePathBoxOpensFoldersOnlyWhenTheTextNamesOne) {
    testing_support::TempFolder temp;
    const std::string folder = temp.Path() + "alt\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    HWND edit = FindWindowExA(Main().cbPath->Handle(), nullptr, "Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    auto type = [&](const std::string& text) {
        for (char c : text)
            PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
        Pump();
    };
    auto shownInTree = [&] {
        return explorer::AddSlash(Main().DirTree1->GetPathFromNode(Main().DirTree1->Selected()));
    };

    Main().cbPath->SetTextQuietly("");
    type(temp.Path()); // each key is a change: the last one names the folder
    EXPECT_EQ(lstrcmpiA(Main().FileListView1->Directory().c_str(), temp.Path().c_str()), 0);
    EXPECT_EQ(lstrcmpiA(shownInTree().c_str(), temp.Path().c_str()), 0) << shownInTree();
    // On the way to "alt\": "a" and "al" name nothing; the tree keeps its place.
    type("al");
    EXPECT_EQ(lstrcmpiA(Main().FileListView1->Directory().c_str(), temp.Path().c_str()), 0);
    EXPECT_EQ(lstrcmpiA(shownInTree().c_str(), temp.Path().c_str()), 0) << shownInTree();
    EXPECT_EQ(lstrcmpiA(Main().DirTree1->SelectedPath().c_str(), temp.Path().c_str()), 0);
    type("t");
    EXPECT_EQ(lstrcmpiA(Main().FileListView1->Directory().c_str(), folder.c_str()), 0);
    EXPECT_EQ(lstrcmpiA(shownInTree().c_str(), folder.c_str()), 0) << shownInTree();
}

TEST_F(ExplorerCommandsTest, PasteEnabledOnlyAfterCutOrCopy) {
    auto* paste = Main().Button("BtnPaste");
    auto* pasteItem = Main().MainMenu1.Find("Yapistir1");
    EXPECT_FALSE(paste->Enabled());
    EXPECT_FALSE(pasteItem->Enabled());
    // "Kes" needs a selected entry.
    testing_support::TempFolder temp;
    temp.File("a.txt", "a");
    auto& list = *Main().FileListView1;
    list.SetDirectory(temp.Path());
    Main().Button("BtnCut")->Click();
    EXPECT_FALSE(Main().Explorer.PasteAllowed);
    for (int i = 0; i < list.RowCount(); ++i)
        if (list.Row(i).caption == "a.txt") list.SetSelected(i, true);
    Main().Button("BtnCut")->Click();
    EXPECT_TRUE(Main().Explorer.PasteAllowed);
    tk::Application().Idle();
    EXPECT_TRUE(paste->Enabled());
    EXPECT_TRUE(pasteItem->Enabled());
    paste->Click();
    EXPECT_FALSE(Main().Explorer.PasteAllowed);
    tk::Application().Idle();
    EXPECT_FALSE(paste->Enabled());
}

TEST_F(ExplorerCommandsTest, SelectionEnablesFileCommandsAndStatusLine) {
    testing_support::TempFolder temp;
    temp.File("a.txt", std::string(1536, 'a'));
    temp.File("b.txt", std::string(512, 'b'));
    temp.Folder("klasör");
    auto& list = *Main().FileListView1;
    list.SetDirectory(temp.Path());
    Main().Explorer.SetBtnMenuState();
    tk::Application().Idle();
    EXPECT_FALSE(Main().Button("BtnDelete")->Enabled());
    EXPECT_FALSE(Main().MainMenu1.Find("Sil1")->Enabled());
    EXPECT_EQ(Main().StatusBar1->PanelText(0), std::to_string(list.RowCount()) + " obje var");
    int selected = 0;
    for (int i = 0; i < list.RowCount(); ++i) {
        if (list.Row(i).caption == "a.txt" || list.Row(i).caption == "b.txt") {
            list.SetSelected(i, true);
            ++selected;
        }
    }
    ASSERT_EQ(selected, 2);
    Main().Explorer.SetBtnMenuState();
    tk::Application().Idle();
    EXPECT_TRUE(Main().Button("BtnDelete")->Enabled());
    EXPECT_TRUE(Main().MainMenu1.Find("Nitelik1")->Enabled());
    EXPECT_EQ(Main().StatusBar1->PanelText(0),
              std::to_string(list.RowCount()) + " obje(den)  --  2  tanesi seçildi ");
    EXPECT_EQ(Main().StatusBar1->PanelText(1).rfind(" Boyut = 2,00 KB( Boş disk alanı: ", 0), 0u)
        << Main().StatusBar1->PanelText(1);
}

namespace {

bool SamePath(std::string a, std::string b) {
    a = velmora::explorer::AddSlash(a);
    b = velmora::explorer::AddSlash(b);
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// The main window with its settings in a folder of the test's (AppDir + "ini\").
class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override { GetCurrentDirectoryA(MAX_PATH, startFolder_); }
    void TearDown() override {
        forms_.reset();
        SetCurrentDirectoryA(startFolder_);
    }
    void Start(const std::string& appDir) {
        forms_.reset();
        forms_ = CreateForms();
        Main().AppDir = appDir;
        ShowMainForm(*forms_);
        Pump();
    }
    TForm1& Main() { return *forms_->form1; }
    size_t MessageCount() const {
        size_t n = 0;
        for (const auto& call : dialogs_.Calls())
            n += call.kind == "message" ? 1 : 0;
        return n;
    }
    // What the item-drawing event makes of a node.
    explorer::TTreeItemDraw Draw(tk::TTreeNode node, bool selected) {
        explorer::TTreeItemDraw draw;
        draw.node = node;
        draw.selected = selected;
        Main().Explorer.DrawTreeItem(draw);
        return draw;
    }

    testing_support::ScriptedDialogs dialogs_;
    testing_support::TempFolder app_;
    std::unique_ptr<Forms> forms_;
    char startFolder_[MAX_PATH] = {};
};

} // namespace

TEST_F(ArchiveTest, MarkedFolderIsWhereTheNextStartOpensDrawnAsTheArchive) {
    app_.Folder("ini");
    testing_support::TempFolder work;
    const std::string archive = work.Folder("Arşiv");
    work.Folder("Arşiv\\Alt");
    work.Folder("Arşiv\\Alt\\Derin");
    work.Folder("Diğer");
    ASSERT_TRUE(SetCurrentDirectoryA(work.Path().c_str()));
    Start(app_.Path());
    EXPECT_TRUE(SamePath(Main().Session.ArchiveFolder, work.Path())) << Main().Session.ArchiveFolder;

    // "Arşiv klasörü ol" on a folder selected in the tree.
    auto& tree = *Main().DirTree1;
    tree.OpenPath(archive);
    tree.SetSelectedPath(archive);
    Main().Explorer.MakeArchiveFolder();
    EXPECT_TRUE(SamePath(Main().Session.ArchiveFolder, archive));
    // One line, the folder's path.
    const std::string line = ReadFileText(app_.Path() + "ini\\aktif.ini");
    ASSERT_GE(line.size(), 2u);
    EXPECT_EQ(line.find("\r\n"), line.size() - 2);
    EXPECT_TRUE(SamePath(line.substr(0, line.size() - 2), archive)) << line;
    // Its subtree is open.
    tk::TTreeNode node = tree.Selected();
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(SamePath(tree.GetPathFromNode(node), archive));
    EXPECT_TRUE(tree.Expanded(node));
    EXPECT_TRUE(tree.Expanded(tree.FindChild(node, "Alt")));

    // The next start opens there, with the archive's item selected.
    ASSERT_TRUE(SetCurrentDirectoryA(work.Path().c_str()));
    Start(app_.Path());
    EXPECT_TRUE(SamePath(Main().Session.ArchiveFolder, archive)) << Main().Session.ArchiveFolder;
    EXPECT_TRUE(SamePath(Main().FileListView1->Directory(), archive)) << Main().FileListView1->Directory();
    auto& reopened = *Main().DirTree1;
    tk::TTreeNode item = reopened.Selected();
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(SamePath(reopened.GetPathFromNode(item), archive));
    EXPECT_EQ(Main().PathHistory.back(), archive);
    EXPECT_EQ(MessageCount(), 0u);

    // Drawn selected: bold Tahoma in yellow, with the tree's hint.
    explorer::TTreeItemDraw draw = Draw(item, true);
    ASSERT_NE(draw.font, nullptr);
    LOGFONTA font{};
    GetObjectA(draw.font, sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, "Tahoma");
    EXPECT_GE(font.lfWeight, FW_BOLD);
    EXPECT_EQ(draw.textColor, RGB(255, 255, 0));
    Pump(20);
    EXPECT_EQ(reopened.Hint(), "Arşiv Klasörü Seçili.");
    // Another item selected: the archive's item turns green and the hint goes.
    reopened.Select(reopened.ParentNode(item));
    draw = Draw(item, false);
    EXPECT_EQ(draw.font, Main().Explorer.ArchiveItemFont());
    EXPECT_EQ(draw.textColor, RGB(0, 128, 0));
    Pump(20);
    EXPECT_EQ(reopened.Hint(), "");
    // Other items are drawn as they are.
    draw = Draw(reopened.ParentNode(item), true);
    EXPECT_EQ(draw.font, nullptr);
    EXPECT_EQ(draw.textColor, static_cast<COLORREF>(CLR_DEFAULT));
}

TEST_F(ArchiveTest, StartListsTheArchiveFolderWithoutTheWorkingFolderFirst) {
    // The program's own folder is the test program's: its archive file goes there for this test only.
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string ini = exe;
    ini.erase(ini.find_last_of('\\') + 1);
    ini += "ini\\";
    struct Remove {
        std::string folder;
        ~Remove() {
            DeleteFileA((folder + "aktif.ini").c_str());
            RemoveDirectoryA(folder.c_str());
        }
    } remove{ini};
    ASSERT_TRUE(CreateDirectoryA(ini.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    testing_support::TempFolder work;
    const std::string archive = work.Folder("Arşiv");
    const std::string other = work.Folder("Diğer");
    std::ofstream(ini + "aktif.ini", std::ios::binary) << archive << "\r\n";
    ASSERT_TRUE(SetCurrentDirectoryA(other.c_str()));

    forms_ = CreateForms();
    // Before the show step the list is already where it will stay.
    EXPECT_TRUE(SamePath(Main().FileListView1->Directory(), archive)) << Main().FileListView1->Directory();
    ShowMainForm(*forms_);
    Pump();
    EXPECT_TRUE(SamePath(Main().FileListView1->Directory(), archive)) << Main().FileListView1->Directory();
    EXPECT_TRUE(SamePath(Main().Session.ArchiveFolder, archive)) << Main().Session.ArchiveFolder;
    EXPECT_TRUE(SamePath(Main().DirTree1->GetPathFromNode(Main().DirTree1->Selected()), archive));
    EXPECT_EQ(MessageCount(), 0u);
    forms_.reset();
}

TEST_F(ArchiveTest, LineNamingNoFolderMakesCTheArchiveAndLeavesTheFile) {
    app_.Folder("ini");
    const std::string stale = "C:\\Yok\\Böyle bir klasör\r\n";
    app_.File("ini\\aktif.ini", stale);
    testing_support::TempFolder work;
    ASSERT_TRUE(SetCurrentDirectoryA(work.Path().c_str()));
    Start(app_.Path());
    EXPECT_EQ(Main().Session.ArchiveFolder, "C:\\");
    EXPECT_EQ(ReadFileText(app_.Path() + "ini\\aktif.ini"), stale);
    // Tree and list stay where they were.
    EXPECT_TRUE(SamePath(Main().FileListView1->Directory(), work.Path()));
    EXPECT_EQ(MessageCount(), 0u);
    // The item for C:\ is the archive's.
    Main().DirTree1->OpenPath("C:\\");
    EXPECT_EQ(Draw(Main().DirTree1->Selected(), true).textColor, RGB(255, 255, 0));
}

TEST_F(ArchiveTest, ArchiveCommandsStopWhenTheArchiveFileCannotBeMade) {
    // No "ini" folder: the start-up box, then one for each command, and nothing opened.
    testing_support::TempFolder work;
    work.Folder("A\\B");
    ASSERT_TRUE(SetCurrentDirectoryA(work.Path().c_str()));
    Start(app_.Path());
    EXPECT_EQ(MessageCount(), 1u);
    auto& tree = *Main().DirTree1;
    for (auto command :
         {&explorer::TExplorerCommands::GoToArchiveFolder, &explorer::TExplorerCommands::MakeArchiveFolder}) {
        tree.OpenPath(work.Path());
        tk::TTreeNode node = tree.Selected();
        ASSERT_NE(node, nullptr);
        tree.Collapse(node, true);
        const size_t before = MessageCount();
        (Main().Explorer.*command)();
        EXPECT_EQ(MessageCount(), before + 1);
        EXPECT_FALSE(tree.Expanded(tree.Selected()));
    }
}

TEST_F(ArchiveTest, ShowStepRunsOnce) {
    app_.Folder("ini");
    Start(app_.Path());
    const auto history = Main().PathHistory;
    ASSERT_EQ(history.size(), 1u);
    DeleteFileA((app_.Path() + "ini\\aktif.ini").c_str());
    Main().Hide();
    Main().Show();
    Pump();
    EXPECT_EQ(Main().PathHistory, history);
    // The archive step did not run again: no new aktif.ini.
    EXPECT_EQ(ReadFileText(app_.Path() + "ini\\aktif.ini"), "<missing>");
}

TEST_F(ArchiveTest, DesktopShortcutOfADriveIsNamedAfterNothing) {
    app_.Folder("ini");
    Start(app_.Path());
    Main().DirTree1->OpenPath("C:\\");
    ASSERT_TRUE(SamePath(Main().DirTree1->SelectedPath(), "C:\\"));
    std::string link = Main().Explorer.MakeDesktopShortcut();
    ASSERT_FALSE(link.empty());
    EXPECT_EQ(link.substr(link.find_last_of('\\')), "\\ için velmora kısayol.lnk");
    EXPECT_NE(GetFileAttributesA(link.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(link.c_str());
}

TEST_F(ArchiveTest, PageFoldersDrawnFromWhatTheListingFound) {
    Start(app_.Path());
    testing_support::TempFolder work;
    work.File("sayfa.htm", "<p>");
    work.File("Belge.HTML", "<p>");
    work.Folder("sayfa_files");
    work.Folder("Belge_dosya");
    work.Folder("yalniz_files");
    work.Folder("kisa");
    auto& list = *Main().FileListView1;
    list.SetDirectory(work.Path());
    tk::ScreenDC screen;
    for (int i = 0; i < list.RowCount(); ++i) {
        const auto& row = list.Row(i);
        const bool page = row.caption == "sayfa_files" || row.caption == "Belge_dosya";
        EXPECT_EQ(row.pageFolder, page) << row.caption;
        if (row.IsFolder() && row.caption != " ..") {
            EXPECT_EQ(row.imageIndex == explorer::TFileListView::HtmlFolderImageIndex(), page) << row.caption;
        }
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdc = screen;
        draw.clrText = CLR_DEFAULT;
        HGDIOBJ font = GetCurrentObject(screen, OBJ_FONT);
        LRESULT result = Main().Explorer.DrawListItem(row, draw);
        EXPECT_EQ(result, page ? CDRF_NEWFONT : CDRF_DODEFAULT) << row.caption;
        EXPECT_EQ(draw.clrText, page ? RGB(192, 192, 192) : CLR_DEFAULT) << row.caption;
        SelectObject(screen, font);
    }
    // Drawing asks the disk nothing: with the page gone the listing's answer holds until the next listing.
    DeleteFileA((work.Path() + "sayfa.htm").c_str());
    for (int i = 0; i < list.RowCount(); ++i) {
        if (list.Row(i).caption != "sayfa_files") continue;
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdc = screen;
        HGDIOBJ font = GetCurrentObject(screen, OBJ_FONT);
        EXPECT_EQ(Main().Explorer.DrawListItem(list.Row(i), draw), CDRF_NEWFONT);
        SelectObject(screen, font);
    }
    list.UpdateFileList();
    for (int i = 0; i < list.RowCount(); ++i)
        if (list.Row(i).caption == "sayfa_files") {
            EXPECT_FALSE(list.Row(i).pageFolder);
        }
    ASSERT_TRUE(SetCurrentDirectoryA(startFolder_));
}

TEST_F(ExplorerCommandsTest, FileCommandsReachTheFileOperations) {
    testing_support::TempFolder temp;
    std::string from = temp.Folder("from"), to = temp.Folder("to");
    temp.File("from\\a.txt", "a");
    auto& list = *Main().FileListView1;
    auto select = [&list](const std::string& caption) {
        list.SetSelected(-1, false);
        for (int i = 0; i < list.RowCount(); ++i)
            if (list.Row(i).caption == caption) list.SetSelected(i, true);
        tk::Application().Idle();
    };
    list.SetDirectory(from);
    select("a.txt");
    Main().Button("BtnCopy")->Click();
    list.SetDirectory(to);
    tk::Application().Idle();
    Main().Button("BtnPaste")->Click();
    EXPECT_NE(GetFileAttributesA((to + "\\a.txt").c_str()), INVALID_FILE_ATTRIBUTES);

    // "Yeni Döküman" on the tool bar, "Nitelik" in the file menu.
    Main().Button("SpeedButton5")->Click();
    EXPECT_NE(GetFileAttributesA((to + "\\velmora.rtf").c_str()), INVALID_FILE_ATTRIBUTES);
    SendMessageA(list.Handle(), LVM_CANCELEDITLABEL, 0, 0);
    select("a.txt");
    dialogs_.Clear();
    Main().MainMenu1.Find("Nitelik1")->Click();
    ASSERT_EQ(dialogs_.Calls().size(), 1u);
    EXPECT_EQ(dialogs_.Calls()[0].kind, "modal");
    EXPECT_EQ(dialogs_.Calls()[0].caption, "Nitelikler");

    // The list's own context menu; the tree's is the window's menu.
    dialogs_.Clear();
    SendMessageA(list.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list.Handle()), MAKELPARAM(10, 10));
    ASSERT_EQ(dialogs_.Calls().size(), 1u);
    EXPECT_EQ(dialogs_.Calls()[0].kind, "popup");
    EXPECT_EQ(dialogs_.Calls()[0].items.front(), "ItemOpen");
    EXPECT_EQ(Main().DirTree1->PopupMenu(), &Main().PopupMenu1);

    // A cut of the parent row alone leaves nothing to paste.
    select(" ..");
    Main().Button("BtnCut")->Click();
    EXPECT_FALSE(Main().Explorer.PasteAllowed);
    tk::Application().Idle();
    EXPECT_FALSE(Main().Button("BtnPaste")->Enabled());
    SetCurrentDirectoryA("C:\\");
}
