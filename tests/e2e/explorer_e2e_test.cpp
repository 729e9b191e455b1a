// The real program's forms on a temp folder tree: navigation by tree click and
// list double click, with list, tree, path box and current directory in step.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <cstring>
#include <shlwapi.h>

#include "app/startup.h"
#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"

using namespace velmora::app;
using testing_support::Pump;
using testing_support::TempFolder;

namespace {

std::string CurrentDirectory() {
    char buffer[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, buffer);
    std::string dir = buffer;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir;
}

bool SamePath(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::string Slash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

void ClickAt(HWND window, POINT pt, bool doubleClick) {
    // Posted, not sent: the controls track the mouse in a loop of their own after
    // a button goes down and wait for the release in the queue.
    LPARAM at = MAKELPARAM(pt.x, pt.y);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(window, WM_LBUTTONUP, 0, at);
    if (doubleClick) {
        PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(window, WM_LBUTTONUP, 0, at);
    }
    Pump(60);
}

// Clicks the tree node's label.
void ClickTreeNode(velmora::explorer::TDirTree& tree, HTREEITEM node, bool doubleClick = false) {
    TreeView_EnsureVisible(tree.Handle(), node);
    // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
    RECT r{};
    std::memcpy(&r, &node, sizeof node);
    ASSERT_TRUE(SendMessageA(tree.Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
    ClickAt(tree.Handle(), POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, doubleClick);
}

int RowOf(velmora::explorer::TFileListView& list, const std::string& caption) {
    for (int i = 0; i < list.RowCount(); ++i)
        if (list.Row(i).caption == caption) return i;
    return -1;
}

void DoubleClickRow(velmora::explorer::TFileListView& list, int row) {
    ListView_EnsureVisible(list.Handle(), row, FALSE);
    RECT r{};
    r.left = LVIR_LABEL;
    ASSERT_TRUE(SendMessageA(list.Handle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r)));
    ClickAt(list.Handle(), POINT{r.left + 4, (r.top + r.bottom) / 2}, true);
}

HTREEITEM NodeOfPath(velmora::explorer::TDirTree& tree, const std::string& path) {
    tree.OpenPath(path);
    return tree.Selected();
}

} // namespace

TEST(ExplorerEndToEnd, TreeClickListDoubleClickAndPathBoxStayInStep) {
    testing_support::ScriptedDialogs dialogs;
    TempFolder temp;
    std::string a = temp.Folder("Alfa");
    std::string b = temp.Folder("Alfa\\Beta");
    temp.Folder("Gama");
    temp.File("Alfa\\not.txt", "merhaba");
    temp.File("kök.txt", "x");
    ASSERT_TRUE(SetCurrentDirectoryA(temp.Path().c_str()));
    // A fresh "ini" folder beside the program: the archive step writes aktif.ini there.
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string ini = std::string(exe).substr(0, std::string(exe).find_last_of('\\') + 1) + "ini\\";
    CreateDirectoryA(ini.c_str(), nullptr);
    DeleteFileA((ini + "aktif.ini").c_str());

    auto forms = CreateForms();
    TForm1& main = *forms->form1;
    ShowMainForm(*forms);
    Pump(100);
    auto& list = *main.FileListView1;
    auto& tree = *main.DirTree1;

    // Start-up: the archive folder is the start folder, recorded in aktif.ini.
    EXPECT_TRUE(SamePath(main.Session.ArchiveFolder, temp.Path())) << main.Session.ArchiveFolder;
    EXPECT_TRUE(PathFileExistsA((ini + "aktif.ini").c_str()));
    // The list and the tree show the current folder; the status line counts the rows.
    EXPECT_TRUE(SamePath(list.Directory(), temp.Path())) << list.Directory();
    EXPECT_GE(RowOf(list, "Alfa"), 0);
    EXPECT_GE(RowOf(list, "kök.txt"), 0);
    EXPECT_EQ(main.StatusBar1->PanelText(0), std::to_string(list.RowCount()) + " obje var");
    ASSERT_NE(tree.Selected(), nullptr);
    EXPECT_TRUE(SamePath(Slash(tree.GetPathFromNode(tree.Selected())), temp.Path()));

    // A click on a tree folder: the list follows, the path box shows the path, the current directory too.
    HTREEITEM alfa = tree.FindChild(tree.Selected(), "Alfa");
    ASSERT_NE(alfa, nullptr);
    ClickTreeNode(tree, alfa);
    EXPECT_TRUE(SamePath(list.Directory(), a)) << list.Directory();
    EXPECT_TRUE(SamePath(Slash(main.cbPath->Text()), a)) << main.cbPath->Text();
    EXPECT_TRUE(SamePath(CurrentDirectory(), a)) << CurrentDirectory();
    EXPECT_GE(RowOf(list, "not.txt"), 0);

    // A double click on a folder row opens it in the list and the tree follows.
    int beta = RowOf(list, "Beta");
    ASSERT_GE(beta, 0);
    DoubleClickRow(list, beta);
    EXPECT_TRUE(SamePath(list.Directory(), b)) << list.Directory();
    EXPECT_TRUE(SamePath(Slash(tree.GetPathFromNode(tree.Selected())), b));
    EXPECT_TRUE(SamePath(CurrentDirectory(), b));

    // " .." goes back up; the tree follows again.
    int parent = RowOf(list, " ..");
    ASSERT_GE(parent, 0);
    DoubleClickRow(list, parent);
    EXPECT_TRUE(SamePath(list.Directory(), a)) << list.Directory();
    EXPECT_TRUE(SamePath(Slash(tree.GetPathFromNode(tree.Selected())), a));

    // Typing a folder into the path box navigates tree and list there.
    main.cbPath->SetText(b);
    SendMessageA(main.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(main.cbPath->Handle()), CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(main.cbPath->Handle()));
    Pump(30);
    EXPECT_TRUE(SamePath(list.Directory(), b)) << list.Directory();

    // Nine double clicks in the tree leave the last eight visits in the path box.
    std::vector<std::string> visits;
    const std::string folders[] = {temp.Path(), a, b};
    for (int i = 0; i < 9; ++i) {
        HTREEITEM node = NodeOfPath(tree, folders[i % 3]);
        ASSERT_NE(node, nullptr);
        ClickTreeNode(tree, node, true);
        visits.push_back(tree.SelectedPath());
    }
    std::vector<std::string> items = main.cbPath->Items();
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(main.PathHistory.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(items[i], visits[i + 1]);
    EXPECT_EQ(main.cbPath->Text(), visits.back());
    EXPECT_TRUE(dialogs.Calls().empty());
}
