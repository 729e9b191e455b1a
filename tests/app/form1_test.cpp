#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "app/startup.h"
#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"
#include "toolkit/menus.h"

using namespace velmora::app;
using testing_support::PressKey;
using testing_support::Pump;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // No "ini" folder beside the test program: the archive step reports it.
        dialogs_ = new testing_support::ScriptedDialogs;
        forms_ = CreateForms().release();
        ShowMainForm(*forms_);
        Pump();
    }
    static void TearDownTestSuite() {
        delete forms_;
        forms_ = nullptr;
        delete dialogs_;
        dialogs_ = nullptr;
    }
    TForm1& Main() { return *forms_->form1; }
    static Forms* forms_;
    static testing_support::ScriptedDialogs* dialogs_;
};

Forms* MainWindowTest::forms_ = nullptr;
testing_support::ScriptedDialogs* MainWindowTest::dialogs_ = nullptr;

} // namespace

TEST_F(MainWindowTest, ToolBarButtonsInOrderWithHints) {
    const char* expected[][2] = {
        {"SpeedButton1", ".."},
        {"SpeedButton7", "Arşiv klasörüne git"},
        {"Folders", "Klasör Kutusu"},
        {"BtnRefresh", "Güncelle"},
        {"SpeedButton5", "Yeni Döküman"},
        {"SpeedButton6", "Klasör Ekle"},
        {"BtnCut", "Kes"},
        {"BtnCopy", "Kopyala"},
        {"BtnPaste", "Yapıştır"},
        {"BtnDelete", "Sil"},
        {"SpeedButton8", ""},
        {"SpeedButton2", "Görüntüle"},
        {"BtnSearch", "Klasör veya dosya bul"},
        {"BtnGoTo", "Hedef Klasör"},
        {"SpeedButton4", "Seçenekler"},
        {"BtnDoc", "Metin Editörü"},
        {"BtnHtml", "Html ve Resim Editörü"},
        {"BtnHex", "Hex Editörü"},
        {"BtnIcon", "Geniş ikon"},
        {"BtnSIcon", "Küçük ikon"},
        {"BtnList", "Listele"},
        {"BtnDetail", "Detaylı"},
        {"BtnExit", "Çıkış"},
    };
    ASSERT_EQ(Main().SpeedButtons.size(), std::size(expected));
    int lastRight = Main().cbPath->BoundsRect().right;
    EXPECT_EQ(Main().cbPath->Width(), 172);
    for (size_t i = 0; i < std::size(expected); ++i) {
        const auto& b = *Main().SpeedButtons[i];
        EXPECT_EQ(b.Name(), expected[i][0]);
        EXPECT_EQ(b.Hint(), expected[i][1]) << b.Name();
        EXPECT_EQ(b.Width(), 23);
        EXPECT_EQ(b.Height(), 22);
        EXPECT_TRUE(b.Flat());
        EXPECT_NE(b.Glyph(), nullptr) << b.Name();
        EXPECT_GE(b.Left(), lastRight) << b.Name();
        lastRight = b.BoundsRect().right;
    }
    EXPECT_EQ(Main().ToolBar1->Height(), 30);
    // The bar draws its buttons: its only window is the path box.
    for (HWND w = GetWindow(Main().ToolBar1->Handle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        EXPECT_EQ(w, Main().cbPath->Handle());
}

TEST_F(MainWindowTest, ButtonGroups) {
    auto* detail = Main().Button("BtnDetail");
    auto* icon = Main().Button("BtnIcon");
    EXPECT_TRUE(detail->Down());
    for (const char* name : {"BtnDoc", "BtnHtml", "BtnHex", "BtnIcon", "BtnSIcon", "BtnList"})
        EXPECT_FALSE(Main().Button(name)->Down()) << name;
    testing_support::ClickButton(*icon);
    EXPECT_TRUE(icon->Down());
    EXPECT_FALSE(detail->Down());
    testing_support::ClickButton(*detail);
    EXPECT_TRUE(detail->Down());
    EXPECT_FALSE(icon->Down());
    // The panel buttons switch panels: one shown, its button down.
    Main().Button("BtnHex")->Click();
    EXPECT_TRUE(Main().HexPanel->Visible());
    EXPECT_FALSE(Main().TextPanel->Visible());
    EXPECT_TRUE(Main().Button("BtnHex")->Down());
    Main().Button("BtnDoc")->Click();
    EXPECT_TRUE(Main().TextPanel->Visible());
    EXPECT_FALSE(Main().HexPanel->Visible());
    EXPECT_FALSE(Main().Button("BtnHex")->Down());
}

TEST_F(MainWindowTest, LayoutOfPanelsAndStatusBar) {
    EXPECT_EQ(Main().Panel3->Width(), 376);
    EXPECT_EQ(Main().Panel3->Left(), 0);
    EXPECT_EQ(Main().Panel3->Top(), 30);
    EXPECT_EQ(Main().DirTree1->Width(), 195);
    EXPECT_EQ(Main().ClickSplitter1->Width(), 7);
    EXPECT_EQ(Main().ClickSplitter1->Left(), Main().DirTree1->BoundsRect().right);
    EXPECT_EQ(Main().ClickSplitter2->Left(), 376);
    EXPECT_EQ(Main().ClickSplitter2->Width(), 7);
    EXPECT_EQ(Main().TextPanel->Left(), 383);
    // The viewer panels take the same place, one at a time.
    RECT text = Main().TextPanel->BoundsRect();
    Main().ShowViewerPanel(TViewerKind::vkHtml);
    EXPECT_TRUE(Main().HtmlPanel->Visible());
    EXPECT_FALSE(Main().TextPanel->Visible());
    RECT html = Main().HtmlPanel->BoundsRect();
    Main().ShowViewerPanel(TViewerKind::vkHex);
    RECT hex = Main().HexPanel->BoundsRect();
    EXPECT_FALSE(Main().HtmlPanel->Visible());
    Main().ShowViewerPanel(TViewerKind::vkText);
    EXPECT_FALSE(Main().HexPanel->Visible());
    EXPECT_TRUE(EqualRect(&text, &html));
    EXPECT_TRUE(EqualRect(&text, &hex));
    EXPECT_EQ(Main().StatusBar1->Height(), 19);
    EXPECT_EQ(Main().StatusBar1->BoundsRect().bottom, Main().ClientHeight());
    EXPECT_EQ(Main().StatusBar1->PanelWidths(), (std::vector<int>{200, 382, 50}));
}

TEST_F(MainWindowTest, MainMenuCaptionsAndShortcuts) {
    auto& root = Main().MainMenu1.Root();
    ASSERT_EQ(root.Items().size(), 4u);
    EXPECT_EQ(root.Items()[0]->Caption(), "&Dosya");
    EXPECT_EQ(root.Items()[1]->Caption(), "Dü&zen");
    EXPECT_EQ(root.Items()[2]->Caption(), "Görünü&m");
    EXPECT_EQ(root.Items()[3]->Caption(), "&Araçlar");
    std::vector<std::string> edit;
    for (auto& item : root.Items()[1]->Items())
        edit.push_back(item->Caption() +
                       (item->Shortcut() ? "=" + tk::ShortCutToText(item->Shortcut()) : ""));
    EXPECT_EQ(edit, (std::vector<std::string>{"Kes=Ctrl+X", "Kopyala=Ctrl+C", "Yapıştır=Ctrl+P", "-",
                                              "Tümünü Seç=Ctrl+A"}));
    EXPECT_EQ(root.Items()[0]->Items().size(), 10u);
    EXPECT_EQ(root.Items()[3]->Items().back()->Caption(), "Seçenekler");
    // The native menu shows the shortcut after a tab.
    HMENU edits = GetSubMenu(GetMenu(Main().Handle()), 1);
    char text[64] = {};
    GetMenuStringA(edits, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Kes\tCtrl+X");
    // The tree menu.
    std::vector<std::string> tree;
    for (auto& item : Main().PopupMenu1.Root().Items())
        tree.push_back(item->Caption());
    EXPECT_EQ(tree, (std::vector<std::string>{"velmora", "Aç", "Bul", "-", "Arşiv klasörü ol", "Klasör sil",
                                              "-", "Adını değiştir", "Masaüstüne kısayol"}));
}

TEST_F(MainWindowTest, ShortcutsResolvedFocusedMenuFirstThenMainMenuThenActions) {
    int popupHits = 0, mainHits = 0, actionHits = 0;
    // The main menu's "Tümünü Seç" runs its action.
    auto& selectAll = *Main().MainMenu1.Find("TumunuSec1")->Action();
    auto savedSelectAll = selectAll.OnExecute;
    selectAll.OnExecute = [&] { ++mainHits; };
    auto* action =
        Main().MainActionList.Add({.name = "TestAction", .shortcut = tk::ShortCut('Q', tk::scCtrl)});
    action->OnExecute = [&] { ++actionHits; };

    // A control whose context menu claims Ctrl+A.
    tk::TPanel::Params p;
    p.parent = Main().TextPanel.get();
    p.bounds = RECT{10, 10, 60, 60};
    tk::TPanel focusable(p);
    tk::TPopupMenu menu;
    menu.Load({{0, "SelectText", "Tümünü Seç", tk::ShortCut('A', tk::scCtrl)}});
    menu.Find("SelectText")->OnClick = [&] { ++popupHits; };
    focusable.SetPopupMenu(&menu);
    Main().TextPanel->SetVisible(true);
    SetForegroundWindow(Main().Handle());
    SetFocus(focusable.Handle());
    ASSERT_EQ(GetFocus(), focusable.Handle());

    PressKey(focusable.Handle(), 'A', true);
    EXPECT_EQ(popupHits, 1);
    EXPECT_EQ(mainHits, 0);
    // A disabled item still claims its key, which then does nothing.
    menu.Find("SelectText")->SetEnabled(false);
    PressKey(focusable.Handle(), 'A', true);
    EXPECT_EQ(popupHits, 1);
    EXPECT_EQ(mainHits, 0);
    // Without a claiming context menu the main menu gets it; then the action list.
    focusable.SetPopupMenu(nullptr);
    PressKey(focusable.Handle(), 'A', true);
    EXPECT_EQ(mainHits, 1);
    PressKey(focusable.Handle(), 'Q', true);
    EXPECT_EQ(actionHits, 1);
    // A plain key is nobody's shortcut.
    PressKey(focusable.Handle(), 'A', false);
    EXPECT_EQ(mainHits + popupHits + actionHits, 3);
    selectAll.OnExecute = savedSelectAll;
}

TEST_F(MainWindowTest, EveryCommandIsOneActionShownByItsButtonAndItems) {
    for (const auto& b : Main().SpeedButtons)
        EXPECT_NE(b->Action(), nullptr) << b->Name();
    std::function<void(const tk::TMenuItem&)> check = [&](const tk::TMenuItem& item) {
        for (const auto& child : item.Items()) {
            if (!child->Items().empty()) {
                check(*child);
            } else if (!child->IsSeparator() && child->Name != "velmora1") {
                EXPECT_NE(child->Action(), nullptr) << child->Name;
            }
        }
    };
    check(Main().MainMenu1.Root());
    check(Main().PopupMenu1.Root());
    const std::pair<const char*, const char*> same[] = {
        {"BtnCut", "Kes1"},
        {"BtnCopy", "Kopyala1"},
        {"BtnPaste", "Yapistir1"},
        {"BtnDelete", "Sil1"},
        {"SpeedButton2", "Goruntule1"},
        {"BtnRefresh", "Guncelle1"},
        {"BtnSearch", "KlasorveDosyaAra1"},
        {"BtnGoTo", "Git1"},
        {"BtnExit", "Cikis1"},
        {"BtnIcon", "GenisIkon1"},
        {"BtnDetail", "Detayli1"},
        {"BtnHex", "HexEditoru1"},
        {"SpeedButton4", "Secenekler1"},
    };
    for (const auto& [button, item] : same)
        EXPECT_EQ(Main().Button(button)->Action(), Main().MainMenu1.Find(item)->Action()) << button;
    // The tree's "Bul" is the same find with its own caption and the action's picture.
    auto* find = Main().PopupMenu1.Find("Bul1");
    EXPECT_EQ(find->Action(), Main().Button("BtnSearch")->Action());
    EXPECT_EQ(find->Caption(), "Bul");
    EXPECT_NE(find->ShownPicture(), nullptr);
    EXPECT_EQ(Main().MainMenu1.Find("KlasorveDosyaAra1")->ShownPicture(), nullptr);
}

TEST_F(MainWindowTest, ViewStyleFromMenuPutsItsButtonDown) {
    Main().MainMenu1.Find("GenisIkon1")->Click();
    EXPECT_EQ(Main().FileListView1->ViewStyle(), velmora::explorer::TViewStyle::vsIcon);
    EXPECT_TRUE(Main().Button("BtnIcon")->Down());
    EXPECT_FALSE(Main().Button("BtnDetail")->Down());
    EXPECT_TRUE(Main().MainMenu1.Find("GenisIkon1")->Checked());
    Main().Button("BtnDetail")->Click();
    EXPECT_EQ(Main().FileListView1->ViewStyle(), velmora::explorer::TViewStyle::vsReport);
    EXPECT_FALSE(Main().MainMenu1.Find("GenisIkon1")->Checked());
    EXPECT_TRUE(Main().MainMenu1.Find("Detayli1")->Checked());
}

TEST_F(MainWindowTest, FolderBoxButtonStaysDownWhileTheTreeIsHidden) {
    auto* folders = Main().Button("Folders");
    EXPECT_TRUE(Main().DirTree1->Visible());
    EXPECT_FALSE(folders->Down());
    folders->Click();
    EXPECT_FALSE(Main().DirTree1->Visible());
    EXPECT_FALSE(Main().ClickSplitter1->Visible());
    EXPECT_TRUE(folders->Down());
    tk::Application().Idle(); // the state at idle agrees
    EXPECT_TRUE(folders->Down());
    folders->Click();
    EXPECT_TRUE(Main().DirTree1->Visible());
    EXPECT_TRUE(Main().ClickSplitter1->Visible());
    EXPECT_FALSE(folders->Down());
}

TEST_F(MainWindowTest, EveryShortcutOfTheWindowsListAndMenuNamesOneCommand) {
    // A key bound to two actions of the window's list, or to a menu item and
    // another command, would run whichever is found first.
    std::map<tk::TShortCut, std::string> owner;
    for (const auto& action : Main().MainActionList.Actions()) {
        if (!action->Shortcut()) continue;
        auto [at, added] = owner.emplace(action->Shortcut(), action->Name());
        EXPECT_TRUE(added) << tk::ShortCutToText(action->Shortcut()) << ": " << at->second << " and "
                           << action->Name();
    }
    std::function<void(tk::TMenuItem&)> check = [&](tk::TMenuItem& parent) {
        for (const auto& item : parent.Items()) {
            check(*item);
            if (!item->Shortcut()) continue;
            auto found = owner.find(item->Shortcut());
            const std::string command = item->Action() ? item->Action()->Name() : item->Name;
            if (found == owner.end())
                owner.emplace(item->Shortcut(), command);
            else
                EXPECT_EQ(found->second, command) << tk::ShortCutToText(item->Shortcut());
        }
    };
    check(Main().MainMenu1.Root());
    EXPECT_EQ(owner[tk::ShortCut('X', tk::scCtrl)], "Kes");
    EXPECT_EQ(owner[tk::ShortCut('C', tk::scCtrl)], "Kopyala");
    EXPECT_EQ(owner[tk::ShortCut('A', tk::scCtrl)], "TumunuSec");
}
