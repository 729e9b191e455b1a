// The directory tree driven as a real control under Wine, on a temp folder tree.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "explorer/dir_tree.h"
#include "explorer/path_utils.h"
#include "explorer/tree_size.h"
#include "explorer/shell_utils.h"
#include "support/panel_host.h"
#include "support/scripted_dialogs.h"
#include "support/shell_questions.h"
#include "support/win32_test_util.h"
#include "toolkit/form.h"

using testing_support::PanelHost;
using testing_support::Pump;
using testing_support::ScriptedDialogs;
using testing_support::TempFolder;
using velmora::explorer::AddSlash;
using velmora::explorer::DelSlash;
using velmora::explorer::IDirTreeLink;
using velmora::explorer::IFileListLink;
using velmora::explorer::TDirTree;
using velmora::explorer::TTreeNode;

namespace {

// Records what the tree asks of its file list.
class FakeFileList : public IFileListLink {
public:
    std::string Directory() const override { return directory; }
    void SetDirectory(const std::string& value) override {
        directory = value;
        directories.push_back(value);
    }
    void UpdateFileList() override { ++updates; }
    void TreeDestroyed(IDirTreeLink* tree) override { destroyedTree = tree; }

    std::string directory = "Drives";
    std::vector<std::string> directories;
    int updates = 0;
    IDirTreeLink* destroyedTree = nullptr;
};

bool FolderExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Upper(std::string text) {
    CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// The rectangle of the node's text (TVM_GETITEMRECT takes the node in the rectangle).
RECT TextRect(HWND tree, TTreeNode node) {
    RECT r{};
    std::memcpy(&r, &node, sizeof node);
    SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
    return r;
}

bool SameTextPath(const std::string& a, const std::string& b) {
    return Upper(a) == Upper(b);
}

bool FileExistsA(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class DirTreeTest : public PanelHost {
protected:
    static void SetUpTestSuite() { OpenHost({"tree", 420, 640}); }
    static void TearDownTestSuite() { CloseHost(); }

    void SetUp() override {
        tree = std::make_unique<TDirTree>(TDirTree::Params{form, RECT{0, 0, 400, 600}});
        tree->Loaded();
        tree->SetFileList(&list);
        // A small tree: T\A\X with files, T\AB, T\B (files only), T\C (empty).
        root = DelSlash(temp.Folder("T"));
        temp.Folder("T\\A");
        temp.Folder("T\\A\\X");
        temp.Folder("T\\AB");
        temp.Folder("T\\B");
        temp.Folder("T\\C");
        temp.File("T\\A\\one.txt", std::string(300, 'a'));
        temp.File("T\\A\\X\\two.txt", std::string(200, 'b'));
        temp.File("T\\AB\\three.txt", std::string(5000, 'c'));
        temp.File("T\\B\\four.txt", "x");
        Pump(20);
    }

    void TearDown() override { tree.reset(); }

    HWND Tree() const { return tree->Handle(); }

    // Opens a folder of the test tree and returns its node.
    TTreeNode Open(const std::string& path) {
        tree->OpenPath(path);
        return tree->Selected();
    }

    // The point at the middle of the node's text, scrolled into view.
    POINT LabelPoint(TTreeNode node) {
        TreeView_EnsureVisible(Tree(), node);
        RECT r = TextRect(Tree(), node);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    // The point on the node's expand button, found by hit testing along its row.
    POINT ButtonPoint(TTreeNode node) {
        POINT label = LabelPoint(node);
        for (int x = 0; x < label.x; ++x) {
            TVHITTESTINFO hit{};
            hit.pt = POINT{x, label.y};
            TreeView_HitTest(Tree(), &hit);
            if (hit.hItem == node && (hit.flags & TVHT_ONITEMBUTTON)) return hit.pt;
        }
        ADD_FAILURE() << "no expand button";
        return label;
    }

    // A mouse click: the control follows the button until it is released, so
    // the release is queued first.
    void Click(POINT p, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
        LPARAM at = MAKELPARAM(p.x, p.y);
        PostMessageA(Tree(), up, 0, at);
        SendMessageA(Tree(), down, down == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON, at);
        Pump(20);
    }

    std::vector<std::string> ChildTexts(TTreeNode node) {
        std::vector<std::string> texts;
        for (TTreeNode child : tree->Children(node))
            texts.push_back(tree->NodeText(child));
        return texts;
    }

    // Declared first: outlives the controls.
    ScriptedDialogs dialogs;
    TempFolder temp;
    FakeFileList list;
    std::unique_ptr<TDirTree> tree;
    std::string root; // T, without a trailing backslash
};

TEST_F(DirTreeTest, RootHoldsTheDrivesWithNothingLoadedBelow) {
    TTreeNode rootNode = tree->RootNode();
    ASSERT_NE(rootNode, nullptr);
    EXPECT_EQ(tree->NextSibling(rootNode), nullptr);
    EXPECT_TRUE(tree->Expanded(rootNode));

    LPITEMIDLIST drives = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)));
    SHFILEINFOA info{};
    SHGetFileInfoA(reinterpret_cast<LPCSTR>(drives), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
    CoTaskMemFree(drives);
    EXPECT_EQ(tree->NodeText(rootNode), info.szDisplayName);
    EXPECT_EQ(tree->GetPathFromNode(rootNode), "");

    std::vector<std::string> expected;
    DWORD present = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
        if (present & (1u << i)) expected.push_back(std::string(" (") + char('A' + i) + ":)  ");
    std::vector<TTreeNode> driveNodes = tree->Children(rootNode);
    ASSERT_EQ(driveNodes.size(), expected.size());
    for (size_t i = 0; i < driveNodes.size(); ++i) {
        std::string text = tree->NodeText(driveNodes[i]);
        EXPECT_EQ(text.substr(0, 7), expected[i]);
        EXPECT_EQ(tree->GetPathFromNode(driveNodes[i]), expected[i].substr(2, 2) + "\\");
        EXPECT_EQ(tree->NodeLevel(driveNodes[i]), 1);
        EXPECT_TRUE(tree->HasChildren(driveNodes[i])) << text;
        EXPECT_EQ(tree->FirstChild(driveNodes[i]), nullptr) << "loaded before its first expansion";
    }
    EXPECT_TRUE(list.directories.empty());
}

// The shell's answers asked ahead on another thread make the same root and
// drives as the tree's own questions; only the first tree takes them.
TEST_F(DirTreeTest, AnswersPreparedAheadMakeTheSameRootAndDrives) {
    auto items = [](const TDirTree& t) {
        std::vector<std::string> out;
        for (TTreeNode node = t.RootNode(); node; node = t.NextNode(node))
            out.push_back(t.NodeText(node) + "=" + std::to_string(t.ImageIndex(node)) + "/" +
                          std::to_string(t.SelectedImageIndex(node)));
        return out;
    };
    const std::vector<std::string> asked = items(*tree);
    ASSERT_GE(asked.size(), 2u);
    TDirTree::PrepareAhead();
    for (int made = 0; made < 2; ++made) {
        TDirTree other(TDirTree::Params{form, RECT{0, 0, 200, 300}});
        other.Loaded();
        EXPECT_EQ(items(other), asked) << made;
        EXPECT_EQ(TreeView_GetImageList(other.Handle(), TVSIL_NORMAL),
                  TreeView_GetImageList(Tree(), TVSIL_NORMAL))
            << made;
    }
}

TEST_F(DirTreeTest, OpenPathInAnyCaseSelectsTheFolderAndLeavesTheListAlone) {
    for (const std::string& path :
         {Upper(root) + "\\A\\X", root + "\\a", std::string("c:\\windows\\system32")}) {
        TTreeNode node = Open(path);
        ASSERT_NE(node, nullptr) << path;
        EXPECT_EQ(Upper(tree->NodeText(node)), Upper(path.substr(path.rfind('\\') + 1))) << path;
        EXPECT_EQ(tree->SelectedPath(), path + "\\");
        EXPECT_TRUE(SameTextPath(tree->GetPathFromNode(node), path)) << tree->GetPathFromNode(node);
    }
    // "system32" hangs below "windows" below the drive C node, all of them open.
    TTreeNode system = tree->Selected();
    TTreeNode windows = tree->ParentNode(system);
    TTreeNode driveC = tree->ParentNode(windows);
    EXPECT_EQ(tree->NodeText(driveC).substr(0, 7), " (C:)  ");
    EXPECT_EQ(tree->ParentNode(driveC), tree->RootNode());
    for (TTreeNode node : {tree->RootNode(), driveC, windows})
        EXPECT_TRUE(tree->Expanded(node));
    // The same folder again in another case: the path already held stays.
    tree->OpenPath("C:\\WINDOWS\\SYSTEM32");
    EXPECT_EQ(tree->Selected(), system);
    EXPECT_EQ(tree->SelectedPath(), "c:\\windows\\system32\\");

    // Opening another path closes the branches opened before; a collapsed root
    // is opened again.
    Open(root);
    EXPECT_FALSE(tree->Expanded(windows));
    tree->Collapse(tree->RootNode());
    tree->OpenPath("C:\\WINDOWS\\SYSTEM32");
    EXPECT_EQ(tree->Selected(), system);
    EXPECT_TRUE(tree->Expanded(tree->RootNode()));
    EXPECT_EQ(tree->SelectedPath(), "C:\\WINDOWS\\SYSTEM32\\");
    EXPECT_TRUE(list.directories.empty());

    // Where the last open went, in any case, while its item stays selected.
    EXPECT_TRUE(tree->IsOpenAt("c:\\windows\\system32"));
    EXPECT_TRUE(tree->IsOpenAt("C:\\WINDOWS\\SYSTEM32\\"));
    EXPECT_FALSE(tree->IsOpenAt("C:\\WINDOWS"));
    tree->Select(windows);
    EXPECT_FALSE(tree->IsOpenAt("C:\\WINDOWS\\SYSTEM32"));
}

TEST_F(DirTreeTest, OpenPathIgnoresShortAndMissingPaths) {
    TTreeNode before = Open(root);
    for (const std::string& path :
         {std::string(), std::string("C"), root + "\\Yok", root + "\\B\\four.txt"}) {
        tree->OpenPath(path);
        EXPECT_EQ(tree->Selected(), before) << path;
        EXPECT_EQ(tree->SelectedPath(), root + "\\") << path;
    }
}

TEST_F(DirTreeTest, OpenPathStopsWhereTheTreeHasNoNode) {
    Open(root + "\\A"); // loads T's children
    TTreeNode t = Open(root);
    temp.Folder("T\\Sonradan"); // made after T was loaded
    tree->OpenPath(root + "\\Sonradan");
    EXPECT_EQ(tree->Selected(), t);               // as far as it matched
    EXPECT_EQ(tree->SelectedPath(), root + "\\"); // unchanged
    // A reload brings the new folder in.
    tree->ReloadTree();
    tree->OpenPath(root + "\\Sonradan");
    EXPECT_EQ(tree->NodeText(tree->Selected()), "Sonradan");
}

TEST_F(DirTreeTest, ExpansionListsFoldersInLocaleOrderWithTheSubFolderProbe) {
    std::vector<std::string> names = {"b",  "z2", "Öz", "oz", "İz", "ız", "a-b", "ab",   "a'b",
                                      "10", "9",  "_x", "Ç",  "c",  "Z1", "é",   "Gizli"};
    for (const std::string& name : names)
        temp.Folder("T\\C\\" + name);
    SetFileAttributesA((root + "\\C\\Gizli").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    temp.Folder("T\\C\\b\\inner");
    temp.File("T\\C\\c\\only-a-file.txt", "x");
    temp.File("T\\C\\dosya.txt", "x");

    TTreeNode c = Open(root + "\\C");
    ASSERT_EQ(tree->NodeText(c), "C");
    EXPECT_TRUE(tree->Expanded(c));
    std::vector<std::string> expected = names;
    std::stable_sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpA(a.c_str(), b.c_str()) < 0;
    });
    EXPECT_EQ(ChildTexts(c), expected); // hidden and system folders included, files not

    // Only 'b' holds a folder; 'c' holds a file only.
    UpdateWindow(Tree());
    for (TTreeNode child : tree->Children(c)) {
        std::string name = tree->NodeText(child);
        EXPECT_EQ(tree->HasChildren(child), name == "b") << name;
        EXPECT_EQ(tree->FirstChild(child), nullptr) << name;
    }
    // The control's own expand button agrees once it has drawn the rows.
    TTreeNode b = tree->FindChild(c, "b");
    TVITEMA item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = b;
    TreeView_EnsureVisible(Tree(), b);
    UpdateWindow(Tree());
    SendMessageA(Tree(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.cChildren, 1);
    tree->Expand(b);
    EXPECT_EQ(ChildTexts(b), std::vector<std::string>{"inner"});
}

TEST_F(DirTreeTest, ClickOnALabelPointsTheListThereButTheExpandButtonDoesNot) {
    TTreeNode t = Open(root);
    TTreeNode a = tree->FindChild(t, "A");
    ASSERT_NE(a, nullptr);
    tree->Collapse(a);
    std::string pathSeenByClick;
    int clicks = 0;
    tree->OnClick = [&] {
        ++clicks;
        pathSeenByClick = tree->SelectedPath();
    };

    // The expand button loads and opens the node; the list stays.
    ASSERT_EQ(tree->FirstChild(tree->FindChild(a, "X")), nullptr);
    Click(ButtonPoint(a));
    EXPECT_TRUE(tree->Expanded(a));
    EXPECT_NE(tree->FindChild(a, "X"), nullptr);
    EXPECT_TRUE(list.directories.empty());

    // The label selects it and points the list at it; the click event sees the new path.
    clicks = 0;
    TTreeNode ab = tree->FindChild(t, "AB");
    Click(LabelPoint(ab));
    EXPECT_EQ(tree->Selected(), ab);
    EXPECT_EQ(tree->SelectedPath(), tree->GetPathFromNode(ab));
    EXPECT_EQ(tree->SelectedPath().back(), 'B'); // no trailing backslash for a clicked node
    ASSERT_EQ(list.directories.size(), 1u);
    EXPECT_EQ(list.directories[0], tree->SelectedPath());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(pathSeenByClick, tree->SelectedPath());

    // A double click on a label opens the node and fires the event once.
    int doubleClicks = 0;
    tree->OnDblClick = [&] { ++doubleClicks; };
    tree->Collapse(a);
    POINT p = LabelPoint(a);
    Click(p);
    PostMessageA(Tree(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    SendMessageA(Tree(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    Pump(20);
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_TRUE(tree->Expanded(a));
    EXPECT_EQ(list.directories.back(), tree->GetPathFromNode(a));
}

TEST_F(DirTreeTest, DriveNodeButtonLoadsItsFoldersAndItsLabelShowsTheDrive) {
    TTreeNode driveC = nullptr;
    for (TTreeNode drive : tree->Children(tree->RootNode()))
        if (tree->GetPathFromNode(drive) == "C:\\") driveC = drive;
    ASSERT_NE(driveC, nullptr);
    ASSERT_EQ(tree->FirstChild(driveC), nullptr);
    Click(ButtonPoint(driveC));
    EXPECT_TRUE(tree->Expanded(driveC));
    EXPECT_NE(tree->FindChild(driveC, "windows"), nullptr);
    EXPECT_TRUE(list.directories.empty());

    Click(LabelPoint(driveC));
    EXPECT_EQ(tree->SelectedPath(), "C:\\");
    EXPECT_EQ(list.directories, std::vector<std::string>{"C:\\"});
}

TEST_F(DirTreeTest, RightClickSelectsWithoutTouchingTheList) {
    TTreeNode t = Open(root);
    TTreeNode b = tree->FindChild(t, "B");
    Click(LabelPoint(b), WM_RBUTTONDOWN, WM_RBUTTONUP);
    EXPECT_EQ(tree->Selected(), b);
    EXPECT_EQ(tree->SelectedPath(), tree->GetPathFromNode(b));
    EXPECT_TRUE(list.directories.empty());
}

TEST_F(DirTreeTest, EnterPointsTheListAtTheSelectedNode) {
    TTreeNode t = Open(root);
    TTreeNode c = tree->FindChild(t, "C");
    tree->Select(c); // arrow-key style: the path does not follow
    EXPECT_EQ(tree->SelectedPath(), root + "\\");
    WORD keySeen = 0;
    tree->OnKeyDown = [&](WORD& key, UINT) { keySeen = key; };
    SendMessageA(Tree(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(tree->SelectedPath(), tree->GetPathFromNode(c));
    ASSERT_EQ(list.directories.size(), 1u);
    EXPECT_EQ(list.directories[0], tree->SelectedPath());
    EXPECT_EQ(keySeen, VK_RETURN);
}

TEST_F(DirTreeTest, ClickOnTheRootOfAFreshTreeAddsTheDrivesAndShowsTheDrivesView) {
    tree.reset();
    tree = std::make_unique<TDirTree>(TDirTree::Params{form, RECT{0, 0, 400, 600}});
    tree->SetFileList(&list);
    TTreeNode rootNode = tree->RootNode();
    ASSERT_NE(rootNode, nullptr);
    EXPECT_EQ(tree->FirstChild(rootNode), nullptr); // only the root until first used

    Click(LabelPoint(rootNode));
    EXPECT_NE(tree->FirstChild(rootNode), nullptr);
    EXPECT_EQ(tree->SelectedPath(), "Drives");
    EXPECT_EQ(list.directories, std::vector<std::string>{"Drives"});
}

TEST_F(DirTreeTest, RenameRefusesInvalidNamesAndNeverTouchesDrives) {
    TTreeNode t = Open(root);
    TTreeNode b = tree->FindChild(t, "B");
    for (const std::string bad : {"a:b", "a\\b", "a*b", "a?b", "a/b", "a=b", "a\"b", "a<b", "a>b", "a|b",
                                  "a,b", "a;b", "a+b", "a^b"}) {
        dialogs.Clear();
        HWND edit = tree->EditText(b);
        ASSERT_NE(edit, nullptr);
        SetWindowTextA(edit, bad.c_str());
        SendMessageA(Tree(), TVM_ENDEDITLABELNOW, FALSE, 0);
        ASSERT_EQ(dialogs.Calls().size(), 1u) << bad;
        EXPECT_EQ(dialogs.Calls()[0].text, "HATA - Geçersiz klasör adı\r" + bad);
        EXPECT_EQ(dialogs.Calls()[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(tree->NodeText(b), "B") << bad;
    }
    // An emptied or cancelled edit only beeps.
    dialogs.Clear();
    HWND edit = tree->EditText(b);
    SetWindowTextA(edit, "");
    SendMessageA(Tree(), TVM_ENDEDITLABELNOW, FALSE, 0);
    tree->EditText(b);
    SendMessageA(Tree(), TVM_ENDEDITLABELNOW, TRUE, 0);
    EXPECT_TRUE(dialogs.Calls().empty());
    EXPECT_EQ(tree->NodeText(b), "B");
    EXPECT_TRUE(FolderExists(root + "\\B"));

    // The root and the drives cannot be edited at all; nor anything when read-only.
    EXPECT_EQ(tree->EditText(tree->RootNode()), nullptr);
    EXPECT_EQ(tree->EditText(tree->FirstChild(tree->RootNode())), nullptr);
    tree->SetReadOnly(true);
    EXPECT_EQ(tree->EditText(b), nullptr);
    EXPECT_TRUE(list.directories.empty());
}

TEST_F(DirTreeTest, RenameMovesTheFolderAndSelectsTheParent) {
    TTreeNode t = Open(root);
    TTreeNode b = tree->FindChild(t, "B");
    std::string edited;
    tree->OnEdited = [&](TTreeNode, const std::string& text) { edited = text; };
    HWND edit = tree->EditText(b);
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "Yeni Ad");
    SendMessageA(Tree(), TVM_ENDEDITLABELNOW, FALSE, 0);
    Pump(20);

    EXPECT_TRUE(dialogs.Calls().empty());
    EXPECT_FALSE(FolderExists(root + "\\B"));
    EXPECT_TRUE(FolderExists(root + "\\Yeni Ad"));
    EXPECT_TRUE(FileExistsA(root + "\\Yeni Ad\\four.txt"));
    EXPECT_EQ(tree->NodeText(b), "Yeni Ad");
    EXPECT_EQ(edited, "Yeni Ad");
    EXPECT_EQ(tree->Selected(), t);
    EXPECT_EQ(tree->SelectedPath(), tree->GetPathFromNode(t));
    EXPECT_EQ(list.directories, std::vector<std::string>{tree->GetPathFromNode(t)});

    // A list already showing the parent lists it again (its entry changed).
    TTreeNode c = tree->FindChild(t, "C");
    list.directory = root + "\\";
    list.directories.clear();
    edit = tree->EditText(c);
    SetWindowTextA(edit, "C2");
    SendMessageA(Tree(), TVM_ENDEDITLABELNOW, FALSE, 0);
    EXPECT_TRUE(FolderExists(root + "\\C2"));
    EXPECT_TRUE(list.directories.empty());
    EXPECT_EQ(list.updates, 1);
}

TEST_F(DirTreeTest, AddNewNodeCreatesTheFolderAndReopensTheTree) {
    TTreeNode t = Open(root);
    EXPECT_FALSE(tree->AddNewNode(tree->RootNode(), "x"));
    EXPECT_FALSE(tree->AddNewNode(t, "a|b"));
    ASSERT_EQ(dialogs.Calls().size(), 2u);
    EXPECT_EQ(dialogs.Calls()[0].text, "HATA - Sürücüler eklenemiyor");
    EXPECT_EQ(dialogs.Calls()[1].text, "HATA - Klasör adı geçersiz karakter(ler) içeriyor");
    EXPECT_FALSE(FolderExists(root + "\\a|b"));

    dialogs.Clear();
    EXPECT_TRUE(tree->AddNewNode(nullptr, "")); // the selected node; the default name
    EXPECT_TRUE(FolderExists(root + "\\Yeni Klasör"));
    EXPECT_EQ(list.updates, 1);
    EXPECT_EQ(tree->SelectedPath(), root + "\\");
    TTreeNode reopened = tree->Selected();
    EXPECT_NE(tree->FindChild(reopened, "Yeni Klasör"), nullptr);

    // Already there: false, and no message.
    EXPECT_FALSE(tree->AddNewNode(reopened, "Yeni Klasör"));
    EXPECT_TRUE(dialogs.Calls().empty());
    EXPECT_EQ(list.updates, 1);
}

TEST_F(DirTreeTest, DeleteNodeRemovesTheFolderButNeverADriveOrTheRoot) {
    TTreeNode t = Open(root);
    TTreeNode drive = tree->FirstChild(tree->RootNode());
    EXPECT_FALSE(tree->DeleteNode(tree->RootNode()));
    EXPECT_FALSE(tree->DeleteNode(drive));
    EXPECT_FALSE(tree->DeleteNode(nullptr));
    EXPECT_EQ(tree->FirstChild(tree->RootNode()), drive);

    // The node named goes, even while another node is selected.
    TTreeNode a = tree->FindChild(t, "A");
    TTreeNode c = tree->FindChild(t, "C");
    tree->Select(c);
    EXPECT_TRUE(tree->DeleteNode(a));
    EXPECT_FALSE(FolderExists(root + "\\A"));
    EXPECT_TRUE(FolderExists(root + "\\C"));
    EXPECT_TRUE(FolderExists(root + "\\AB"));
    EXPECT_EQ(tree->FindChild(t, "A"), nullptr);
    EXPECT_EQ(tree->Selected(), t);
    EXPECT_EQ(tree->SelectedPath(), tree->GetPathFromNode(t));
    EXPECT_EQ(list.directories, std::vector<std::string>{tree->GetPathFromNode(t)});
    EXPECT_TRUE(dialogs.Calls().empty());

    // A folder removed behind the tree's back is reported and its node stays.
    std::string cPath = tree->GetPathFromNode(c);
    RemoveDirectoryA(cPath.c_str());
    EXPECT_FALSE(tree->DeleteNode(c));
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].text, "HATA - " + cPath + "\r                bulunamadı");
    EXPECT_EQ(tree->FindChild(t, "C"), c);
}

TEST_F(DirTreeTest, ADeletedFolderGoesToTheRecycleBinWithItsContent) {
    for (bool confirm : {false, true}) {
        // A name of its own: the bin keeps the items of earlier runs.
        const std::string name = "Klasor_" + std::to_string(GetCurrentProcessId()) + "_" +
                                 std::to_string(GetTickCount()) + (confirm ? "_sor" : "_sorma");
        temp.Folder("T\\" + name);
        temp.File("T\\" + name + "\\in.txt", "in");
        tree->ReloadTree();
        TTreeNode node = Open(root + "\\" + name);
        ASSERT_EQ(tree->NodeText(node), name);
        tree->SetConfirmFileOps(confirm);
        testing_support::ShellQuestions questions(IDYES);
        EXPECT_TRUE(tree->DeleteNode(node));
        EXPECT_EQ(questions.Captions().size(), confirm ? 1u : 0u);
        EXPECT_FALSE(FolderExists(root + "\\" + name));
        EXPECT_TRUE(testing_support::RecycleBinHolds(std::wstring(name.begin(), name.end()))) << name;
        EXPECT_TRUE(dialogs.Calls().empty());
    }
}

TEST_F(DirTreeTest, TreeSizeCountsTheFolderAndItsSubFoldersOnly) {
    TTreeNode a = Open(root + "\\A");
    // Its sibling 'AB' follows it and must not count.
    EXPECT_EQ(tree->GetTreeSize(), 500);
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].caption, "Information");
    EXPECT_EQ(dialogs.Calls()[0].text,
              "=== TOPLAM KAPASİTE ===\r\rFolder \"A\"\rve bütün alt klasörler ile =  1,00 KB");
    // The selection is back on the folder.
    EXPECT_EQ(tree->NodeText(tree->Selected()), "A");
    EXPECT_EQ(tree->GetPathFromNode(tree->Selected()), tree->GetPathFromNode(a));
    EXPECT_EQ(tree->SelectedPath(), root + "\\A\\");

    // Deeper levels are walked too, including ones never expanded before.
    temp.Folder("T\\AB\\1");
    temp.Folder("T\\AB\\1\\2");
    temp.File("T\\AB\\1\\2\\big.bin");
    {
        HANDLE h = CreateFileA((root + "\\AB\\1\\2\\big.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        LARGE_INTEGER size;
        size.QuadPart = 200LL * 1024 * 1024 - 5000; // with three.txt: 200 MB
        SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
        SetEndOfFile(h);
        CloseHandle(h);
    }
    tree->ReloadTree();
    Open(root + "\\AB");
    dialogs.Clear();
    EXPECT_EQ(tree->GetTreeSize(), 200LL * 1024 * 1024);
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].text,
              "=== TOPLAM KAPASİTE ===\r\rFolder \"AB\"\rve bütün alt klasörler ile =  200,00 MB");
    EXPECT_EQ(tree->SelectedPath(), root + "\\AB\\");

    // The root has no size to report.
    dialogs.Clear();
    tree->Select(tree->RootNode());
    EXPECT_EQ(tree->GetTreeSize(), 0);
    EXPECT_TRUE(dialogs.Calls().empty());
}

TEST(CapacityAmountText, KilobytesUntilAboveNinetyNineThousandThenMegabytes) {
    struct Case {
        int64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0,00 KB"},
        {1, "1,00 KB"},
        {500, "1,00 KB"},
        {1023, "1,00 KB"},
        {1536, "1,50 KB"},
        {99999LL * 1024, "99.999,00 KB"},
        {100000LL * 1024, "97,66 MB"},
        {200LL * 1024 * 1024, "200,00 MB"},
        {5LL * 1024 * 1024 * 1024, "5.120,00 MB"}, // beyond 32 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(velmora::explorer::CapacityAmountText(c.bytes), c.text) << c.bytes;
}

TEST_F(DirTreeTest, FileListLinkFollowsSelectedPathAndEndsWithTheTree) {
    FakeFileList other;
    tree->SetFileList(&other); // nothing selected yet: nothing to show
    EXPECT_TRUE(other.directories.empty());
    tree->OpenPath(root);
    tree->SetFileList(&other);
    EXPECT_EQ(other.directories, std::vector<std::string>{root + "\\"});

    tree->FileListDestroyed(&list); // not the linked one: kept
    EXPECT_EQ(tree->FileList(), &other);
    tree->FileListDestroyed(&other);
    EXPECT_EQ(tree->FileList(), nullptr);

    tree->SetFileList(&list);
    IDirTreeLink* link = tree.get();
    tree.reset();
    EXPECT_EQ(list.destroyedTree, link);
}

TEST_F(DirTreeTest, ItemDrawingEventSeesEachVisibleItem) {
    Open(root);
    std::vector<TTreeNode> drawn;
    int selectedDrawn = 0;
    HFONT bold = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    tree->OnCustomDrawItem = [&](velmora::explorer::TTreeItemDraw& item) {
        drawn.push_back(item.node);
        if (item.selected) {
            ++selectedDrawn;
            item.font = bold;
            item.textColor = RGB(255, 255, 0);
        }
    };
    tree->Repaint();
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), tree->Selected()), drawn.end());
    EXPECT_GE(selectedDrawn, 1);
    tree->OnCustomDrawItem = nullptr;
    tree->Repaint();
    DeleteObject(bold);
}

} // namespace

namespace {

bool IsLink(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A folder link at `link` to `target`: the system's symbolic link where it makes
// one; under Wine, whose call does nothing, a symbolic link of the host made
// by its own ln (Wine shows those as reparse points). False when neither works.
bool MakeFolderLink(const std::string& link, const std::string& target) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    using SymbolicLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    auto symbolicLink = reinterpret_cast<SymbolicLink>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "CreateSymbolicLinkA")));
    const DWORD directoryLink = 1; // SYMBOLIC_LINK_FLAG_DIRECTORY
    if (symbolicLink && symbolicLink(link.c_str(), target.c_str(), directoryLink) && IsLink(link))
        return true;
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
    if (!unixName) return false;
    auto host = [unixName](const std::string& path) {
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        char* name = unixName(wide);
        std::string result = name ? name : "";
        if (name) HeapFree(GetProcessHeap(), 0, name);
        return result;
    };
    std::string command = "/bin/ln -s \"" + host(target) + "\" \"" + host(link) + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 100 && !IsLink(link); ++i)
        Sleep(20);
    return IsLink(link);
}

} // namespace

TEST_F(DirTreeTest, SubtreeExpansionNeverFollowsLinksAndIsBounded) {
    // T\A\X\back leads to T: followed, it would go round for ever.
    const std::string back = root + "\\A\\X\\back";
    if (!MakeFolderLink(back, root)) GTEST_SKIP() << "no folder links on this system";
    TTreeNode t = Open(root);
    EXPECT_EQ(tree->ExpandFolders(t, 1000), 6); // T, A, X, AB, B, C
    TTreeNode x = tree->FindChild(tree->FindChild(t, "A"), "X");
    ASSERT_NE(x, nullptr);
    EXPECT_TRUE(tree->Expanded(x));
    TTreeNode link = tree->FindChild(x, "back");
    ASSERT_NE(link, nullptr); // shown, but not entered
    EXPECT_FALSE(tree->Expanded(link));
    EXPECT_EQ(tree->FirstChild(link), nullptr);
    for (const char* name : {"A", "AB", "B", "C"})
        EXPECT_NE(tree->FindChild(t, name), nullptr) << name;
    EXPECT_TRUE(tree->Expanded(tree->FindChild(t, "A")));
    RemoveDirectoryA(back.c_str());
    DeleteFileA(back.c_str());
}

TEST_F(DirTreeTest, SubtreeExpansionStopsAtItsBoundBreadthFirst) {
    // 30 more folders, each with one below it.
    for (int i = 0; i < 30; ++i) {
        temp.Folder("T\\C\\k" + std::to_string(i));
        temp.Folder("T\\C\\k" + std::to_string(i) + "\\alt");
    }
    TTreeNode t = Open(root);
    tree->SetFocus();
    EXPECT_EQ(tree->ExpandFolders(t, 10), 10);
    // Done off the screen: the tree is back, with the focus, the folder in view.
    EXPECT_TRUE(IsWindowVisible(Tree()));
    EXPECT_EQ(GetFocus(), Tree());
    RECT client, item = TextRect(Tree(), t);
    GetClientRect(Tree(), &client);
    EXPECT_GE(item.top, 0);
    EXPECT_LE(item.bottom, client.bottom);
    // The first levels first: T and its folders are open, C's many are not all.
    EXPECT_TRUE(tree->Expanded(t));
    EXPECT_TRUE(tree->Expanded(tree->FindChild(t, "A")));
    int opened = 0;
    for (TTreeNode k : tree->Children(tree->FindChild(t, "C")))
        opened += tree->Expanded(k) ? 1 : 0;
    EXPECT_LT(opened, 10);
}

TEST_F(DirTreeTest, TreeSizeNeverFollowsALinkBackUp) {
    // T\A\X\back leads to T: followed, the walk would never end.
    const std::string back = root + "\\A\\X\\back";
    if (!MakeFolderLink(back, root)) GTEST_SKIP() << "no folder links on this system";
    Open(root);
    const int64_t plain = velmora::explorer::FolderTreeBytes(root);
    EXPECT_EQ(tree->GetTreeSize(), plain);
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].caption, "Information");
    EXPECT_EQ(tree->SelectedPath(), root + "\\");
    RemoveDirectoryA(back.c_str());
    DeleteFileA(back.c_str());
    EXPECT_EQ(velmora::explorer::FolderTreeBytes(root), plain);
}

TEST(FolderTreeBytes, WalksEveryLevelAndKeepsTheCallerAlive) {
    using velmora::explorer::FolderTreeBytes;
    TempFolder temp;
    int64_t expected = 0;
    std::string deep;
    for (int level = 0; level < 12; ++level) {
        deep += "d" + std::to_string(level) + "\\";
        temp.Folder(deep.substr(0, deep.size() - 1));
        temp.File(deep + "f.bin", std::string(level + 1, 'x'));
        expected += level + 1;
    }
    for (int i = 0; i < 300; ++i)
        temp.File("many" + std::to_string(i) + ".txt", "y");
    expected += 300;
    int calls = 0;
    EXPECT_EQ(FolderTreeBytes(temp.Path(), [&calls] { ++calls; }), expected);
    EXPECT_GE(calls, 1); // every few hundred entries
    EXPECT_EQ(FolderTreeBytes(temp.Path() + "missing"), 0);
    EXPECT_EQ(FolderTreeBytes(""), 0);
}

TEST_F(DirTreeTest, AFailedRenameGoesBackIntoTheFolderItLeft) {
    // The working folder inside the folder being renamed: left for the rename,
    // entered again when the shell does nothing.
    const std::string inside = root + "\\A\\X";
    ASSERT_TRUE(SetCurrentDirectoryA(inside.c_str()));
    TTreeNode t = Open(root);
    TTreeNode a = tree->FindChild(t, "A");
    ASSERT_NE(a, nullptr);
    auto rename = [&](const char* name) {
        HWND edit = tree->EditText(a);
        ASSERT_NE(edit, nullptr);
        SetWindowTextA(edit, name);
        SendMessageA(Tree(), TVM_ENDEDITLABELNOW, FALSE, 0);
        Pump(20);
    };
    // Onto an existing folder: the shell refuses.
    rename("C");
    EXPECT_TRUE(FolderExists(root + "\\A"));
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(lstrcmpiA(DelSlash(current).c_str(), inside.c_str()), 0) << current;
    // A rename that works leaves the old path behind for good.
    rename("A2");
    EXPECT_TRUE(FolderExists(root + "\\A2"));
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(lstrcmpiA(AddSlash(current).c_str(), (root + "\\").c_str()), 0) << current;
    SetCurrentDirectoryA("C:\\");
}

TEST(QuietErrorMode, CriticalErrorBoxesOffWhileItLivesAndRestoredAfter) {
    using velmora::explorer::PathExists;
    using velmora::explorer::QuietErrorMode;
    UINT before = SetErrorMode(0);
    {
        QuietErrorMode quiet;
        UINT now = SetErrorMode(0);
        SetErrorMode(now);
        EXPECT_TRUE(now & SEM_FAILCRITICALERRORS);
    }
    UINT after = SetErrorMode(before);
    EXPECT_EQ(after, 0u);
    // Checks of a drive that is not there answer false (no box to wait on).
    for (char letter = 'Z'; letter > 'D'; --letter) {
        std::string root = std::string(1, letter) + ":\\";
        if (GetDriveTypeA(root.c_str()) != DRIVE_NO_ROOT_DIR) continue;
        EXPECT_FALSE(velmora::explorer::FolderExists(root));
        EXPECT_FALSE(PathExists(root + "*.*"));
        break;
    }
}

TEST_F(DirTreeTest, AFolderNameTheCodePageCannotSpellGoesByItsShortName) {
    // 'ō' is not in the Turkish code page; its look-alike 'o' names another folder.
    std::wstring wide(root.begin(), root.end());
    wide += L"\\\u014d";
    ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));
    temp.Folder("T\\o");
    tree->ReloadTree();
    TTreeNode t = Open(root);
    tree->Expand(t);
    int plain = 0;
    for (TTreeNode child : tree->Children(t)) {
        std::string text = tree->NodeText(child);
        EXPECT_EQ(text.find('?'), std::string::npos) << text;
        if (text == "o") ++plain;
        // Every node's path names a folder that is there.
        EXPECT_TRUE(velmora::explorer::FolderExists(tree->GetPathFromNode(child))) << text;
    }
    EXPECT_EQ(plain, 1);
    RemoveDirectoryW(wide.c_str());
}
