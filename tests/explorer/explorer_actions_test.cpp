// The explorer's actions against a stand-in for their window: enabling by
// each action's own rule, the window's paste record, the status line, and the
// list's keys running the actions.
#include "explorer/explorer_actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "explorer/file_list_view.h"
#include "explorer/file_operations.h"
#include "explorer/path_utils.h"
#include "support/explorer_host.h"
#include "support/panel_host.h"
#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"

using testing_support::FakeExplorerHost;
using testing_support::PanelHost;
using testing_support::ScriptedDialogs;
using testing_support::TempFolder;
using namespace velmora::explorer;

using Names = std::vector<std::string>;

TEST(StatusLine, TextsUnderTurkishSeparators) {
    EXPECT_EQ(StatisticsCountText(12, false, 12), "12 obje var");
    EXPECT_EQ(StatisticsSizeText(false, 0, 2048000, '.', ','), " Boyut = 0 KB  ( Boş disk alanı: 2.000 MB )");
    EXPECT_EQ(StatisticsCountText(5, true, 2), "5 obje(den)  --  2  tanesi seçildi ");
    EXPECT_EQ(StatisticsSizeText(true, 1536 + 512, 2048000, '.', ','),
              " Boyut = 2,00 KB( Boş disk alanı: 2.000 MB )");
    // Less than half a megabyte free rounds to an empty number.
    EXPECT_EQ(StatisticsSizeText(false, 0, 400, '.', ','), " Boyut = 0 KB  ( Boş disk alanı:  MB )");
}

namespace {

class ExplorerActionsTest : public PanelHost {
protected:
    static void SetUpTestSuite() { OpenHost({"Explorer", 700, 500, true}); }
    static void TearDownTestSuite() { CloseHost(); }
    void SetUp() override {
        TFileListView::Params p;
        p.parent = form;
        p.bounds = RECT{0, 0, 680, 460};
        list = std::make_unique<TFileListView>(p);
        wiring = std::make_unique<testing_support::ExplorerWiring>(form, *list);
        operations = &wiring->operations;
        host = &wiring->host;
        commands = &wiring->commands;
        actions = &wiring->actions;
        temp.File("a.txt", "aaaa");
        temp.File("b.gif", "bb");
        temp.Folder("klasor");
        list->SetDirectory(temp.Path());
    }
    void TearDown() override {
        wiring.reset();
        list.reset();
        SetCurrentDirectoryA("C:\\");
    }
    void Select(std::initializer_list<std::string> captions) {
        list->SetSelected(-1, false);
        for (const std::string& caption : captions)
            for (int i = 0; i < list->RowCount(); ++i)
                if (list->Row(i).caption == caption) list->SetSelected(i, true);
    }
    // Of the names given, those whose actions are enabled after an idle update.
    Names Enabled(const Names& names) {
        actions->UpdateAll();
        Names out;
        for (const std::string& name : names)
            if (actions->Get(name).Enabled()) out.push_back(name);
        return out;
    }

    ScriptedDialogs dialogs;
    TempFolder temp;
    std::unique_ptr<TFileListView> list;
    std::unique_ptr<testing_support::ExplorerWiring> wiring;
    TFileOperations* operations = nullptr;
    FakeExplorerHost* host = nullptr;
    TExplorerCommands* commands = nullptr;
    tk::TActionList* actions = nullptr;
};

} // namespace

TEST_F(ExplorerActionsTest, EachActionIsEnabledByItsOwnRule) {
    const Names names = {"Ac",         "Goruntule", "Sil",         "AdiniDegistir", "Nitelik",
                         "Kes",        "Kopyala",   "Yapistir",    "YeniKlasor",    "ItemOpen",
                         "ItemView",   "ItemOpCut", "ItemOpPaste", "ItemRename",    "ItemDelete",
                         "ItemFolder", "Send_To1",  "SubMenuSend"};
    struct Case {
        const char* what;
        std::vector<std::string> selection;
        bool drives;
        Names enabled;
    };
    const Case cases[] = {
        {"nothing selected", {}, false, {"YeniKlasor", "ItemFolder"}},
        {"a text file",
         {"a.txt"},
         false,
         {"Ac", "Goruntule", "Sil", "AdiniDegistir", "Nitelik", "Kes", "Kopyala", "YeniKlasor", "ItemOpen",
          "ItemView", "ItemOpCut", "ItemRename", "ItemDelete", "ItemFolder", "Send_To1", "SubMenuSend"}},
        // No fixed viewer and nothing to send as content; two rows cannot be renamed from the menu.
        {"two files",
         {"a.txt", "b.gif"},
         false,
         {"Ac", "Goruntule", "Sil", "AdiniDegistir", "Nitelik", "Kes", "Kopyala", "YeniKlasor", "ItemOpen",
          "ItemView", "ItemOpCut", "ItemDelete", "ItemFolder", "SubMenuSend"}},
        {"the drives view", {}, true, {"YeniKlasor"}},
    };
    for (const Case& c : cases) {
        list->SetDirectory(c.drives ? "Drives" : temp.Path());
        list->SetSelected(-1, false);
        for (const std::string& caption : c.selection)
            for (int i = 0; i < list->RowCount(); ++i)
                if (list->Row(i).caption == caption) list->SetSelected(i, true);
        EXPECT_EQ(Enabled(names), c.enabled) << c.what;
    }
}

TEST_F(ExplorerActionsTest, PasteFollowsTheWindowsOwnCutAndCopy) {
    EXPECT_EQ(Enabled({"Yapistir", "ItemOpPaste"}), Names{});
    // Nothing operable cut: nothing to paste.
    Select({" .."});
    actions->Get("ItemOpCut").Execute();
    actions->Get("Kes").Execute();
    EXPECT_FALSE(commands->PasteAllowed);
    // The list's own cut fills its clipboard; only the window's marks the window's paste.
    Select({"a.txt"});
    actions->Get("ItemOpCut").Execute();
    EXPECT_EQ(list->ClipboardMode, TClipboardMode::cmCut);
    EXPECT_EQ(Enabled({"Yapistir", "ItemOpPaste"}), Names{"ItemOpPaste"});
    actions->Get("Kopyala").Execute();
    EXPECT_EQ(list->ClipboardMode, TClipboardMode::cmCopy);
    EXPECT_TRUE(commands->PasteAllowed);
    EXPECT_EQ(Enabled({"Yapistir", "ItemOpPaste"}), (Names{"Yapistir", "ItemOpPaste"}));
    // Pasted into another folder: both paste commands go off.
    const std::string other = temp.Folder("hedef");
    list->SetDirectory(other);
    actions->Get("Yapistir").Execute();
    EXPECT_NE(GetFileAttributesA((AddSlash(other) + "a.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(commands->PasteAllowed);
    EXPECT_EQ(Enabled({"Yapistir", "ItemOpPaste"}), Names{});
}

TEST_F(ExplorerActionsTest, StatusLineGoesToTheHost) {
    Select({"a.txt"});
    commands->SetBtnMenuState();
    EXPECT_EQ(host->status[0], std::to_string(list->RowCount()) + " obje(den)  --  1  tanesi seçildi ");
    EXPECT_EQ(host->status[1].rfind(" Boyut = 0,00 KB( Boş disk alanı: ", 0), 0u) << host->status[1];
    list->SetSelected(-1, false);
    commands->GetStatistics();
    EXPECT_EQ(host->status[0], std::to_string(list->RowCount()) + " obje var");
}

TEST_F(ExplorerActionsTest, TheListsKeysRunTheNamedActions) {
    // Each key's action records its run instead of acting.
    struct Key {
        WORD key;
        bool ctrl;
        const char* action;
    };
    const Key keys[] = {
        {'C', true, "ItemOpCopy"},     {'X', true, "ItemOpCut"},
        {'V', true, "ItemOpPaste"},    {'O', true, "Ac"},
        {'F', true, "Goruntule"},      {'N', true, "ItemFolder"},
        {VK_BACK, false, "UstKlasor"}, {VK_RETURN, false, "Ac"},
        {VK_DELETE, false, "Sil"},     {VK_F2, false, "AdiniDegistir"},
        {VK_F3, false, "Bul"},         {VK_F5, false, "ListeyiGuncelle"},
    };
    Names ran;
    for (const Key& k : keys) {
        tk::TAction& action = actions->Get(k.action);
        action.OnExecute = [&ran, name = std::string(k.action)] { ran.push_back(name); };
        action.OnUpdate = nullptr;
        action.SetEnabled(true);
    }
    BYTE saved[256];
    GetKeyboardState(saved);
    for (const Key& k : keys) {
        ran.clear();
        BYTE state[256];
        memcpy(state, saved, sizeof state);
        state[VK_CONTROL] = k.ctrl ? 0x80 : 0;
        SetKeyboardState(state);
        SendMessageA(list->Handle(), WM_KEYDOWN, k.key, 0);
        EXPECT_EQ(ran, Names{k.action}) << k.action;
    }
    // A disabled action is not run by its key.
    actions->Get("Sil").SetEnabled(false);
    actions->Get("Sil").OnUpdate = [](tk::TAction& a) { a.SetEnabled(false); };
    ran.clear();
    BYTE plain[256];
    memcpy(plain, saved, sizeof plain);
    plain[VK_CONTROL] = 0;
    SetKeyboardState(plain);
    SendMessageA(list->Handle(), WM_KEYDOWN, VK_DELETE, 0);
    SetKeyboardState(saved);
    EXPECT_TRUE(ran.empty());
}

TEST_F(ExplorerActionsTest, FolderBoxHidesAndShowsTheTree) {
    host->Tree().SetVisible(true);
    tk::TAction& box = actions->Get("KlasorKutusu");
    box.Execute();
    EXPECT_FALSE(host->Tree().Visible());
    EXPECT_TRUE(box.Checked());
    box.Execute();
    EXPECT_TRUE(host->Tree().Visible());
    EXPECT_FALSE(box.Checked());
}
