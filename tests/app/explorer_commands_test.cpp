#include <gtest/gtest.h>

#include "app/explorer_commands.h"
#include "app/startup.h"
#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"

using namespace velmora::app;
using testing_support::Pump;

TEST(StatusLine, TextsUnderTurkishSeparators) {
    EXPECT_EQ(StatisticsCountText(12, false, 12), "12 obje var");
    EXPECT_EQ(StatisticsSizeText(false, 0, 2048000, '.', ','), " Boyut = 0 KB  ( Boş disk alanı: 2.000 MB )");
    EXPECT_EQ(StatisticsCountText(5, true, 2), "5 obje(den)  --  2  tanesi seçildi ");
    EXPECT_EQ(StatisticsSizeText(true, 1536 + 512, 2048000, '.', ','),
              " Boyut = 2,00 KB( Boş disk alanı: 2.000 MB )");
    // Less than half a megabyte free rounds to an empty number.
    EXPECT_EQ(StatisticsSizeText(false, 0, 400, '.', ','), " Boyut = 0 KB  ( Boş disk alanı:  MB )");
}

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
        GoToTypedFolder(Main());
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
    GoToTypedFolder(Main());
    EXPECT_EQ(lstrcmpiA(Main().FileListView1->Directory().c_str(), temp.Path().c_str()), 0);
    EXPECT_EQ(lstrcmpiA(Main().DirTree1->SelectedPath().c_str(), target.c_str()) == 0 ||
                  lstrcmpiA(Main().DirTree1->SelectedPath().c_str(), temp.Path().c_str()) == 0,
              true)
        << Main().DirTree1->SelectedPath();
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
    EXPECT_FALSE(Main().PasteAllowed);
    for (int i = 0; i < list.RowCount(); ++i)
        if (list.Row(i).caption == "a.txt") list.SetSelected(i, true);
    Main().Button("BtnCut")->Click();
    EXPECT_TRUE(Main().PasteAllowed);
    tk::Application().Idle();
    EXPECT_TRUE(paste->Enabled());
    EXPECT_TRUE(pasteItem->Enabled());
    paste->Click();
    EXPECT_FALSE(Main().PasteAllowed);
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
    SetBtnMenuState(Main());
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
    SetBtnMenuState(Main());
    tk::Application().Idle();
    EXPECT_TRUE(Main().Button("BtnDelete")->Enabled());
    EXPECT_TRUE(Main().MainMenu1.Find("Nitelik1")->Enabled());
    EXPECT_EQ(Main().StatusBar1->PanelText(0),
              std::to_string(list.RowCount()) + " obje(den)  --  2  tanesi seçildi ");
    EXPECT_EQ(Main().StatusBar1->PanelText(1).rfind(" Boyut = 2,00 KB( Boş disk alanı: ", 0), 0u)
        << Main().StatusBar1->PanelText(1);
}
