#include "app/hex_panel.h"

#include <gtest/gtest.h>

#include <memory>

#include "hexedit/screenshot.h"
#include "support/panel_host.h"
#include "support/scripted_dialogs.h"
#include "toolkit/application.h"
#include "toolkit/form.h"

using testing_support::DialogCall;
using testing_support::PanelHost;
using testing_support::Pump;
using testing_support::ScriptedDialogs;
using velmora::app::THexPanel;

namespace {

class HexPanelTest : public PanelHost {
protected:
    static void SetUpTestSuite() { OpenHost({"velmora", 700, 400}); }
    static void TearDownTestSuite() { CloseHost(); }
    void SetUp() override {
        THexPanel::Params p;
        p.parent = form;
        panel = std::make_unique<THexPanel>(p);
        panel->BindCommands();
        form->Realign();
        std::string data = "MZ";
        for (int i = 2; i < 64; ++i)
            data += static_cast<char>(i == 20 ? 'm' : i == 21 ? 'Z' : i == 40 ? 0x0A : i == 41 ? 0xBC : '.');
        ASSERT_TRUE(panel->HexEditor1->LoadFromFile(folder->File("mz.bin", data)));
        Pump(10);
    }
    void TearDown() override { panel.reset(); }

    // Selection as (first byte, last byte), and the caret byte.
    std::pair<int32_t, int32_t> Selection() {
        auto& doc = panel->HexEditor1->Document();
        return {doc.SelectionStart(), doc.SelectionEnd()};
    }
    std::vector<std::string> Messages() { return dialogs.Texts("message"); }

    ScriptedDialogs dialogs;
    std::unique_ptr<THexPanel> panel;
};

} // namespace

TEST_F(HexPanelTest, Configuration) {
    auto& e = *panel->HexEditor1;
    EXPECT_EQ(e.BytesPerLine(), 16);
    EXPECT_EQ(e.BytesPerColumn(), 2);
    EXPECT_FALSE(e.FocusFrame());
    EXPECT_EQ(e.BackupExtension(), ".bak");
    EXPECT_EQ(std::string(e.FontData().lfFaceName), "Courier New");
    EXPECT_EQ(e.FontData().lfHeight, -13);
    EXPECT_EQ(e.FontData().lfWeight, FW_BOLD);
    EXPECT_EQ(e.Colors().PositionText, 0x0000FFu);
    EXPECT_EQ(e.Colors().ChangedText, 0x0000FFu);
    EXPECT_EQ(e.Colors().CursorFrame, 0u);
    EXPECT_EQ(panel->HexDosyaAdi->Height(), 17);
    EXPECT_EQ(e.Top(), panel->HexDosyaAdi->Top() + 17);
    // PopupMenu4: Git Ctrl+G, a line, Bul Ctrl+F, Bul Devam F3.
    const auto& items = panel->PopupMenu4->Root().Items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0]->Caption(), "Git");
    EXPECT_EQ(items[0]->Shortcut(), tk::ShortCut('G', tk::scCtrl));
    EXPECT_EQ(items[1]->Caption(), "-");
    EXPECT_EQ(items[2]->Caption(), "Bul");
    EXPECT_EQ(items[2]->Shortcut(), tk::ShortCut('F', tk::scCtrl));
    EXPECT_EQ(items[3]->Caption(), "Bul Devam");
    EXPECT_EQ(items[3]->Shortcut(), tk::ShortCut(VK_F3));
    EXPECT_EQ(e.PopupMenu(), panel->PopupMenu4.get());
    panel->ShowFileName("C:\\veri\\mz.bin");
    e.SetFocus();
    UpdateWindow(form->Handle());
    Pump(30);
    SaveWindowShot(form->Handle(), "_panel");
    EXPECT_EQ(panel->HexDosyaAdi->Caption(), "mz.bin");
    EXPECT_EQ(panel->HexDosyaAdi->Hint(), "C:\\veri\\");
}

TEST_F(HexPanelTest, FindHexAndText) {
    for (const char* text : {"$4D 5A", "$4d5a", "$ 4D-5A", "mz"}) {
        panel->HexEditor1->SetSelStart(0);
        dialogs.AnswerInput(true, text);
        panel->BulClick();
        EXPECT_EQ(Selection(), std::make_pair(0, 1)) << text;
        EXPECT_EQ(panel->HexEditor1->SelStart(), 1) << text;
        EXPECT_EQ(panel->LastFoundPos, 0);
    }
    ASSERT_GE(dialogs.Calls().size(), 4u);
    const DialogCall& prompt = dialogs.Calls()[3];
    EXPECT_EQ(prompt.caption, "Veri Bul");
    EXPECT_EQ(prompt.text, "ascii ya da hex olarak aratabilirsiniz");
    EXPECT_EQ(prompt.offered, "$ 4D-5A"); // the previous search text is offered again
    EXPECT_TRUE(panel->SearchIgnoreCase);
    EXPECT_EQ(panel->SearchBytes, (std::vector<uint8_t>{'m', 'z'})); // left lower-cased by the search

    // The text search ignores case: find next goes on to 'mZ' at 20.
    panel->BulDevamClick();
    EXPECT_EQ(Selection(), std::make_pair(20, 21));
    // '$abc' is the two bytes 0x0A 0xBC.
    panel->HexEditor1->SetSelStart(0);
    dialogs.AnswerInput(true, "$abc");
    panel->BulClick();
    EXPECT_EQ(Selection(), std::make_pair(40, 41));
    EXPECT_FALSE(panel->SearchIgnoreCase);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(HexPanelTest, FindNextAfterMatchesAndMisses) {
    dialogs.AnswerInput(true, "mz");
    panel->BulClick();
    EXPECT_EQ(Selection(), std::make_pair(0, 1));
    panel->BulDevamClick();
    EXPECT_EQ(Selection(), std::make_pair(20, 21));
    // Moving away: find next selects the same match again first.
    panel->HexEditor1->SetSelStart(30);
    panel->BulDevamClick();
    EXPECT_EQ(Selection(), std::make_pair(20, 21));
    panel->BulDevamClick(); // no further match
    EXPECT_EQ(Messages(), std::vector<std::string>{"veri bulunamadı"});
    EXPECT_EQ(dialogs.Calls().back().caption, tk::Application().Title());
    EXPECT_EQ(panel->LastFoundPos, -1);
    EXPECT_EQ(Selection(), std::make_pair(20, 21)); // the caret and selection stay
    // After a miss, find next starts again from the first byte.
    panel->BulDevamClick();
    EXPECT_EQ(Selection(), std::make_pair(0, 1));

    // A miss in Find itself says so with a capital V.
    dialogs.Clear();
    dialogs.AnswerInput(true, "$FFFF");
    panel->BulClick();
    EXPECT_EQ(Messages(), std::vector<std::string>{"Veri bulunamadı"});
    // A hex text without digits: nothing searched; find next never finds anything.
    dialogs.Clear();
    dialogs.AnswerInput(true, "$xyz");
    panel->BulClick();
    EXPECT_TRUE(Messages().empty());
    panel->BulDevamClick();
    EXPECT_EQ(Messages(), std::vector<std::string>{"veri bulunamadı"});
    // Cancel keeps the text; an empty text clears it, and then find next asks again.
    dialogs.Clear();
    panel->BulClick(); // cancelled (no answer scripted)
    EXPECT_EQ(panel->HexSearchText, "$xyz");
    dialogs.AnswerInput(true, "");
    panel->BulClick();
    EXPECT_EQ(panel->HexSearchText, "");
    dialogs.Clear();
    dialogs.AnswerInput(true, "mz");
    panel->BulDevamClick();
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].caption, "Veri Bul");
}

TEST_F(HexPanelTest, GoToPosition) {
    for (const char* text : {"0x10", "$10", "16"}) {
        panel->HexEditor1->SetSelStart(3);
        panel->HexEditor1->SetSelEnd(5);
        dialogs.AnswerInput(true, text);
        panel->GitClick();
        EXPECT_EQ(panel->HexEditor1->SelStart(), 16) << text;
        EXPECT_FALSE(panel->HexEditor1->Document().HasSelection());
    }
    const DialogCall& prompt = dialogs.Calls().back();
    EXPECT_EQ(prompt.caption, "Gidilecek pozisyon");
    EXPECT_EQ(prompt.text, "(önek 0x veya $ ile başlamalı)");
    EXPECT_EQ(prompt.offered, "3");
    for (const char* text : {"-1", "abc", "64"}) {
        dialogs.Clear();
        dialogs.AnswerInput(true, text);
        panel->GitClick();
        EXPECT_EQ(Messages(), std::vector<std::string>{"bilinmeyen pozisyon"}) << text;
        EXPECT_EQ(panel->HexEditor1->SelStart(), 16);
    }
    dialogs.Clear();
    panel->GitClick(); // cancelled
    EXPECT_TRUE(Messages().empty());
}

TEST_F(HexPanelTest, EmptyDocumentCommandsDoNothing) {
    panel->HexEditor1->NewEmptyDocument("yeni");
    panel->GitClick();
    panel->BulClick();
    panel->BulDevamClick();
    EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(HexPanelTest, ShortcutsReachTheCommandsThroughTheContextMenu) {
    panel->HexEditor1->SetFocus();
    dialogs.AnswerInput(true, "$10");
    EXPECT_TRUE(tk::ResolveShortCut(*form, panel->HexEditor1->Handle(), tk::ShortCut('G', tk::scCtrl)));
    EXPECT_EQ(panel->HexEditor1->SelStart(), 16);
    dialogs.AnswerInput(true, "mz");
    EXPECT_TRUE(tk::ResolveShortCut(*form, panel->HexEditor1->Handle(), tk::ShortCut('F', tk::scCtrl)));
    EXPECT_EQ(Selection(), std::make_pair(20, 21));
    EXPECT_TRUE(tk::ResolveShortCut(*form, panel->HexEditor1->Handle(), tk::ShortCut(VK_F3)));
    EXPECT_EQ(Messages(), std::vector<std::string>{"veri bulunamadı"});
}
