// The context menus of the file list and the tree: their items, the enabling
// for the selection when they open, and the commands they hand on.
#include "explorer/context_menus.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <memory>

#include "explorer/dir_tree.h"
#include "explorer/explorer_actions.h"
#include "explorer/file_list_view.h"
#include "explorer/file_operations.h"
#include "explorer/path_utils.h"
#include "explorer/shell_utils.h"
#include "support/explorer_host.h"
#include "support/panel_host.h"
#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/form.h"

using testing_support::PanelHost;
using testing_support::Pump;
using testing_support::ScriptedDialogs;
using testing_support::TempFolder;
using namespace velmora::explorer;

namespace {

void MakeLink(const std::string& to, const std::string& at) {
    IShellLinkA* link = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               reinterpret_cast<void**>(&link)),
              S_OK);
    link->SetPath(to.c_str());
    IPersistFile* file = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, at.c_str(), -1, wide, MAX_PATH);
    EXPECT_EQ(file->Save(wide, TRUE), S_OK);
    file->Release();
    link->Release();
}

class ContextMenuTest : public PanelHost {
protected:
    static void SetUpTestSuite() { OpenHost({"Test", 700, 500}); }
    static void TearDownTestSuite() { CloseHost(); }
    void SetUp() override {
        sendTo = temp.Folder("SendTo");
        target = temp.Folder("Target");
        MakeLink(DelSlash(target), AddSlash(sendTo) + "Target.lnk");
        MakeLink(DelSlash(temp.Folder("Second")), AddSlash(sendTo) + "Second.lnk");
        TFileListView::Params p;
        p.parent = form;
        p.bounds = RECT{0, 0, 680, 460};
        list = std::make_unique<TFileListView>(p);
        ops = std::make_unique<TFileOperations>(*list);
        host = std::make_unique<testing_support::FakeExplorerHost>(form, *list, *ops);
        commands = std::make_unique<TExplorerCommands>(*host);
        actions = std::make_unique<tk::TActionList>();
        commands->Bind(*actions);
        popup = std::make_unique<TFileListPopup>(*list, *ops, *actions, sendTo);
    }
    void TearDown() override {
        popup.reset();
        actions.reset();
        commands.reset();
        host.reset();
        ops.reset();
        list.reset();
        SetCurrentDirectoryA("C:\\");
    }
    void Show(const std::string& folder) {
        list->SetDirectory(AddSlash(folder));
        list->UpdateFileList();
    }
    void Select(std::initializer_list<std::string> captions) {
        list->SetSelected(-1, false);
        for (const std::string& caption : captions) {
            int row = -1;
            for (int i = 0; i < list->RowCount(); ++i)
                if (list->Row(i).caption == caption) row = i;
            ASSERT_GE(row, 0) << caption;
            list->SetSelected(row, true);
        }
    }
    // The names of the enabled command items, sub-menu items included.
    std::vector<std::string> Enabled() {
        std::vector<std::string> names;
        std::function<void(tk::TMenuItem&)> walk = [&](tk::TMenuItem& parent) {
            for (const auto& item : parent.Items()) {
                if (item->IsSeparator()) continue;
                if (item->Enabled()) names.push_back(item->Name);
                walk(*item);
            }
        };
        walk(popup->Root());
        return names;
    }
    std::vector<std::string> EnabledAfterPopup() {
        popup->Popup(100, 200);
        return Enabled();
    }

    ScriptedDialogs dialogs;
    TempFolder temp;
    std::string sendTo, target;
    std::unique_ptr<TFileListView> list;
    std::unique_ptr<TFileOperations> ops;
    std::unique_ptr<testing_support::FakeExplorerHost> host;
    std::unique_ptr<TExplorerCommands> commands;
    std::unique_ptr<tk::TActionList> actions;
    std::unique_ptr<TFileListPopup> popup;
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(ContextMenuTest, FileListMenuItemsCaptionsAndTargets) {
    Names top;
    for (const auto& item : popup->Root().Items())
        top.push_back(item->Name + "=" + item->Caption());
    EXPECT_EQ(top,
              (Names{"ItemOpen=&Aç", "ItemView=&Görüntüle", "N1=-", "SubMenuSend=Gön&der", "N2=-",
                     "ItemOpCut=K&es", "ItemOpCopy=&Kopyala", "ItemOpPaste=&Yapıştır", "N3=-",
                     "ItemRename=Adını Değiş&tir", "ItemDelete=&Sil", "N4=-", "ItemFileAttr=&Nitelik ...",
                     "N5=-", "ItemFolder=&Yeni K&lasör ...", "ItemDoc=&Yeni Döküman"}));
    Names send;
    for (const auto& item : popup->Find("SubMenuSend")->Items())
        send.push_back(item->Name + "=" + item->Caption());
    ASSERT_EQ(send.size(), 6u);
    EXPECT_EQ(Names(send.begin(), send.begin() + 4),
              (Names{"Send_To0=İstenen Klasö&re ...", "Send_To1=İçer&ik olarak", "Send_To2=Dosya Adı &olarak",
                     "Send_To3=-"}));
    // The targets' display names, in the order the folder search gives them.
    EXPECT_EQ(popup->Targets().size(), 2u);
    for (size_t k = 0; k < popup->Targets().size(); ++k) {
        const std::string& path = popup->Targets()[k];
        std::string name = path.substr(path.rfind('\\') + 1);
        EXPECT_EQ(send[4 + k], "Send_To" + std::to_string(4 + k) + "=" + name.substr(0, name.size() - 4));
    }
    // Every command item has its picture.
    for (const char* name :
         {"ItemOpen", "ItemView", "SubMenuSend", "ItemOpCut", "ItemOpCopy", "ItemOpPaste", "ItemRename",
          "ItemDelete", "ItemFileAttr", "ItemFolder", "ItemDoc", "Send_To0", "Send_To1", "Send_To2"})
        EXPECT_NE(popup->Find(name)->ShownPicture(), nullptr) << name;
}

TEST_F(ContextMenuTest, FileListMenuEnablingFollowsTheSelection) {
    std::string a = temp.Folder("A");
    temp.File("A\\readme.TXT", "r");
    temp.File("A\\image.gif", "g");
    Show(a);
    list->SetSelected(-1, false);
    EXPECT_EQ(EnabledAfterPopup(), (Names{"Send_To0", "Send_To5", "ItemFolder", "ItemDoc"}));
    // Shown 10 pixels right of and below the point.
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].at.x, 110);
    EXPECT_EQ(dialogs.Calls()[0].at.y, 210);

    list->FileClipboard = {AddSlash(a) + "readme.TXT"};
    EXPECT_EQ(EnabledAfterPopup(), (Names{"Send_To0", "Send_To5", "ItemOpPaste", "ItemFolder", "ItemDoc"}));
    list->FileClipboard.clear();

    Select({"readme.TXT"});
    EXPECT_EQ(EnabledAfterPopup(),
              (Names{"ItemOpen", "ItemView", "SubMenuSend", "Send_To0", "Send_To1", "Send_To2", "Send_To4",
                     "Send_To5", "ItemOpCut", "ItemOpCopy", "ItemRename", "ItemDelete", "ItemFileAttr",
                     "ItemFolder", "ItemDoc"}));
    Select({"image.gif"});
    Names picture = EnabledAfterPopup();
    EXPECT_EQ(std::count(picture.begin(), picture.end(), "ItemView"), 0);
    EXPECT_EQ(std::count(picture.begin(), picture.end(), "Send_To1"), 0);
    Select({"readme.TXT", "image.gif"});
    Names two = EnabledAfterPopup();
    EXPECT_EQ(std::count(two.begin(), two.end(), "ItemRename"), 0);
    EXPECT_EQ(std::count(two.begin(), two.end(), "ItemDelete"), 1);

    list->SetDirectory("Drives");
    list->UpdateFileList();
    list->SetSelected(-1, false);
    EXPECT_EQ(EnabledAfterPopup(), (Names{"Send_To0", "Send_To5", "ItemDoc"}));
}

TEST_F(ContextMenuTest, FileListCommandsReachTheOperations) {
    std::string a = temp.Folder("A");
    temp.File("A\\one.txt", "1");
    Show(a);
    Select({"one.txt"});
    dialogs.AnswerPopup("ItemOpCopy");
    popup->Popup(0, 0);
    EXPECT_EQ(list->FileClipboard, Names{AddSlash(a) + "one.txt"});
    EXPECT_EQ(list->ClipboardMode, TClipboardMode::cmCopy);

    // The first target: a link to a folder.
    Select({"one.txt"});
    dialogs.AnswerPopup("Send_To4");
    popup->Popup(0, 0);
    const std::string first = popup->Targets()[0];
    std::string into = first.find("Target") != std::string::npos ? target : temp.Path() + "Second\\";
    EXPECT_NE(GetFileAttributesA((AddSlash(into) + "one.txt").c_str()), INVALID_FILE_ATTRIBUTES);

    // A disabled item does nothing.
    list->SetSelected(-1, false);
    dialogs.AnswerPopup("ItemDelete");
    popup->Popup(0, 0);
    EXPECT_NE(GetFileAttributesA((AddSlash(a) + "one.txt").c_str()), INVALID_FILE_ATTRIBUTES);

    // The right button over the list opens the menu.
    dialogs.Clear();
    SendMessageA(list->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->Handle()),
                 MAKELPARAM(50, 60));
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].kind, "popup");
    EXPECT_EQ(dialogs.Calls()[0].at.x, 60);
    list->SetPopUpMenuEnabled(false);
    dialogs.Clear();
    SendMessageA(list->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->Handle()),
                 MAKELPARAM(50, 60));
    EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(ContextMenuTest, AMissingSendToFolderGivesNoTargets) {
    TFileListPopup other(*list, *ops, *actions, temp.Path() + "missing");
    EXPECT_TRUE(other.Targets().empty());
    EXPECT_EQ(other.Find("SubMenuSend")->Items().size(), 4u);
}

// ---- the tree's menu

class TreeMenuTest : public PanelHost {
protected:
    static void SetUpTestSuite() { OpenHost({"Tree", 400, 500}); }
    static void TearDownTestSuite() { CloseHost(); }
    void SetUp() override {
        TDirTree::Params p;
        p.parent = form;
        p.bounds = RECT{0, 0, 380, 460};
        tree = std::make_unique<TDirTree>(p);
        tree->Loaded();
        temp.Folder("T");
        temp.Folder("T\\A");
    }
    void TearDown() override {
        tree.reset();
        SetCurrentDirectoryA("C:\\");
    }
    Names EnabledItems() {
        Names names;
        for (const auto& item : tree->OwnPopupMenu()->Root().Items())
            if (!item->IsSeparator() && item->Enabled()) names.push_back(item->Name);
        return names;
    }

    ScriptedDialogs dialogs;
    TempFolder temp;
    std::unique_ptr<TDirTree> tree;
};

TEST_F(TreeMenuTest, ItemsAndEnablingByNodeLevel) {
    TDirTreePopup& menu = *tree->OwnPopupMenu();
    Names items;
    for (const auto& item : menu.Root().Items())
        items.push_back(item->Name + "=" + item->Caption());
    EXPECT_EQ(items, (Names{"AddNode=&Yeni Klasör", "EditNode=&Adını Değiştir", "DelNode=Klasörü &Sil",
                            "N1=-", "GetTreeSize=&Kapasite"}));
    for (const char* name : {"AddNode", "EditNode", "DelNode", "GetTreeSize"})
        EXPECT_NE(menu.Find(name)->ShownPicture(), nullptr) << name;

    tree->Select(tree->RootNode());
    menu.Popup(5, 5);
    EXPECT_EQ(EnabledItems(), Names{});
    EXPECT_EQ(dialogs.Calls().back().at.x, 15);
    tree->Select(tree->FirstChild(tree->RootNode()));
    menu.Popup(5, 5);
    EXPECT_EQ(EnabledItems(), (Names{"AddNode", "GetTreeSize"}));
    tree->OpenPath(temp.Path() + "T\\A");
    menu.Popup(5, 5);
    EXPECT_EQ(EnabledItems(), (Names{"AddNode", "EditNode", "DelNode", "GetTreeSize"}));

    // Its commands act on the selected node.
    dialogs.AnswerPopup("AddNode");
    menu.Popup(5, 5);
    EXPECT_TRUE(FolderExists(temp.Path() + "T\\A\\Yeni Klasör"));
    tree->OpenPath(temp.Path() + "T\\A");
    dialogs.AnswerPopup("GetTreeSize");
    menu.Popup(5, 5);
    EXPECT_EQ(dialogs.Calls().back().caption, "Information");
    tree->OpenPath(temp.Path() + "T\\A");
    dialogs.AnswerPopup("DelNode");
    menu.Popup(5, 5);
    EXPECT_FALSE(FolderExists(temp.Path() + "T\\A"));
}

TEST_F(TreeMenuTest, PopUpMenuEnabledDecidesTheContextMenu) {
    EXPECT_TRUE(tree->PopUpMenuEnabled());
    EXPECT_EQ(tree->PopupMenu(), tree->OwnPopupMenu());
    tree->SetPopUpMenuEnabled(false);
    EXPECT_EQ(tree->PopupMenu(), nullptr);
    // A menu the owner gave the tree stays.
    tk::TPopupMenu own;
    tree->SetPopupMenu(&own);
    tree->SetPopUpMenuEnabled(false);
    EXPECT_EQ(tree->PopupMenu(), &own);
    tree->SetPopupMenu(nullptr);
    tree->SetPopUpMenuEnabled(true);
    EXPECT_EQ(tree->PopupMenu(), tree->OwnPopupMenu());
}
