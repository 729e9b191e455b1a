#include "toolkit/dialogs.h"

#include <gtest/gtest.h>

#include <commdlg.h>

#include <cstring>

#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/menus.h"

using testing_support::Pump;
using testing_support::PumpUntil;
using testing_support::ScriptedDialogs;

namespace {

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override { tk::Application().Initialize(); }
};

// A small form of our own with a value its user sets.
class AskForm : public tk::TForm {
public:
    AskForm() : tk::TForm(Params{"Soru", 240, 120}) {}
    std::string answer;
    bool shown = false;
};

TEST_F(DialogsTest, ScriptedOwnModalFormReturnsItsResultAndTheValuesSet) {
    ScriptedDialogs dialogs;
    AskForm form;
    dialogs.AnswerModal([](tk::TForm& shown) {
        static_cast<AskForm&>(shown).answer = "evet";
        return IDOK;
    });
    EXPECT_EQ(form.ShowModal(), IDOK);
    EXPECT_EQ(form.ModalResult(), IDOK);
    EXPECT_EQ(form.answer, "evet");
    // Unscripted: cancelled, values untouched.
    form.answer.clear();
    EXPECT_EQ(form.ShowModal(), IDCANCEL);
    EXPECT_TRUE(form.answer.empty());
    ASSERT_EQ(dialogs.Calls().size(), 2u);
    EXPECT_EQ(dialogs.Calls()[0].kind, "modal");
    EXPECT_EQ(dialogs.Calls()[0].caption, "Soru");
    EXPECT_EQ(dialogs.Calls()[0].form, &form);
    // No real window was shown.
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
}

TEST_F(DialogsTest, RealModalLoopEndsWithTheResultItsControlsSet) {
    AskForm form;
    // A button press inside the loop: posted, so it is handled by the modal loop.
    form.OnMessage = [&](UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_APP + 1) {
            form.answer = "tamam";
            form.SetModalResult(IDOK);
            return true;
        }
        return false;
    };
    PostMessageA(form.Handle(), WM_APP + 1, 0, 0);
    EXPECT_EQ(form.ShowModal(), IDOK);
    EXPECT_EQ(form.answer, "tamam");
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
}

TEST_F(DialogsTest, ScriptedFontDialogRecordsTheRequestAndAnswers) {
    ScriptedDialogs dialogs;
    tk::FontRequest request;
    std::strcpy(request.font.lfFaceName, "Courier New");
    request.font.lfHeight = -16;
    request.color = RGB(0, 0, 128);
    request.fixedPitchOnly = true;

    tk::FontAnswer chosen;
    std::strcpy(chosen.font.lfFaceName, "Tahoma");
    chosen.font.lfWeight = FW_BOLD;
    chosen.points = 14;
    chosen.color = RGB(128, 0, 0);
    dialogs.AnswerFont(true, chosen);
    dialogs.AnswerFont(false);

    tk::FontAnswer answer;
    ASSERT_TRUE(tk::CurrentDialogs().FontDialog(request, answer));
    EXPECT_STREQ(answer.font.lfFaceName, "Tahoma");
    EXPECT_EQ(answer.font.lfWeight, FW_BOLD);
    EXPECT_EQ(answer.points, 14);
    EXPECT_EQ(answer.color, RGB(128, 0, 0));
    // Cancelled: the answer stays as it was.
    tk::FontAnswer untouched;
    EXPECT_FALSE(tk::CurrentDialogs().FontDialog(request, untouched));
    EXPECT_EQ(untouched.points, 0);

    ASSERT_EQ(dialogs.Calls().size(), 2u);
    EXPECT_EQ(dialogs.Calls()[0].kind, "font");
    EXPECT_STREQ(dialogs.Calls()[0].font.font.lfFaceName, "Courier New");
    EXPECT_EQ(dialogs.Calls()[0].font.font.lfHeight, -16);
    EXPECT_TRUE(dialogs.Calls()[0].font.fixedPitchOnly);
    EXPECT_EQ(dialogs.Calls()[0].font.color, RGB(0, 0, 128));
}

TEST_F(DialogsTest, ScriptedColourAndPrinterDialogs) {
    ScriptedDialogs dialogs;
    dialogs.AnswerColor(true, RGB(1, 2, 3));
    tk::ColorRequest colour;
    colour.color = RGB(9, 9, 9);
    tk::ColorAnswer picked;
    ASSERT_TRUE(tk::CurrentDialogs().ColorDialog(colour, picked));
    EXPECT_EQ(picked.color, RGB(1, 2, 3));

    dialogs.AnswerPrint(true, [](tk::PrintAnswer& a) {
        a.device = "Yazıcı";
        a.range = tk::TPrintRange::prPageNums;
        a.fromPage = 2;
        a.toPage = 3;
        a.dc.reset(CreateCompatibleDC(nullptr));
    });
    tk::PrintRequest print;
    print.maxPage = 5;
    tk::PrintAnswer printer;
    ASSERT_TRUE(tk::CurrentDialogs().PrintDialog(print, printer));
    EXPECT_EQ(printer.device, "Yazıcı");
    EXPECT_EQ(printer.range, tk::TPrintRange::prPageNums);
    EXPECT_EQ(printer.toPage, 3);
    EXPECT_TRUE(printer.dc);
    // Setup unscripted: cancelled.
    tk::PrintAnswer setup;
    EXPECT_FALSE(tk::CurrentDialogs().PrintSetupDialog(print, setup));

    ASSERT_EQ(dialogs.Calls().size(), 3u);
    EXPECT_EQ(dialogs.Calls()[0].kind, "color");
    EXPECT_EQ(dialogs.Calls()[0].color.color, RGB(9, 9, 9));
    EXPECT_EQ(dialogs.Calls()[1].kind, "print");
    EXPECT_EQ(dialogs.Calls()[1].print.maxPage, 5);
    EXPECT_EQ(dialogs.Calls()[2].kind, "printsetup");
}

TEST_F(DialogsTest, PopupMenuRunsTheItemChosenThroughTheSeam) {
    ScriptedDialogs dialogs;
    tk::TForm form(tk::TForm::Params{"Menü", 200, 150});
    tk::TPopupMenu menu;
    menu.Owner = form.Handle();
    menu.Load({{0, "mnuCopy", "Kopyala"}, {0, "mnuLine", "-"}, {0, "mnuPaste", "Yapıştır"}});
    int copies = 0, pastes = 0, popups = 0;
    menu.Find("mnuCopy")->OnClick = [&] { ++copies; };
    menu.Find("mnuPaste")->OnClick = [&] { ++pastes; };
    menu.OnPopup = [&] { ++popups; };

    dialogs.AnswerPopup("mnuPaste");
    menu.Popup(30, 40);
    EXPECT_EQ(pastes, 1);
    EXPECT_EQ(copies, 0);
    // Dismissed: nothing runs. A disabled item never runs.
    dialogs.AnswerPopup("");
    menu.Popup(30, 40);
    menu.Find("mnuCopy")->SetEnabled(false);
    dialogs.AnswerPopup("mnuCopy");
    menu.Popup(30, 40);
    EXPECT_EQ(copies, 0);
    EXPECT_EQ(pastes, 1);
    EXPECT_EQ(popups, 3);

    ASSERT_EQ(dialogs.Calls().size(), 3u);
    const auto& call = dialogs.Calls()[0];
    EXPECT_EQ(call.kind, "popup");
    EXPECT_EQ(call.owner, form.Handle());
    EXPECT_EQ(call.at.x, 30);
    EXPECT_EQ(call.at.y, 40);
    EXPECT_EQ(call.items, (std::vector<std::string>{"mnuCopy", "mnuLine", "mnuPaste"}));
}

TEST_F(DialogsTest, ScriptedFindSessionDeliversEachFind) {
    ScriptedDialogs dialogs;
    std::vector<tk::FindEvent> finds;
    bool closed = false;
    tk::FindRequest request;
    request.text = "ağaç";
    request.matchCase = true;
    auto session = tk::CurrentDialogs().BeginFind(
        request, {[&](const tk::FindEvent& e) { finds.push_back(e); }, [&] { closed = true; }});
    ASSERT_TRUE(dialogs.Find());
    EXPECT_TRUE(session->Active());
    dialogs.Find()->FindNext({"ağaç", true, true, false});
    dialogs.Find()->FindNext({"dal", false, false, true});
    ASSERT_EQ(finds.size(), 2u);
    EXPECT_EQ(finds[0].text, "ağaç");
    EXPECT_TRUE(finds[0].matchCase);
    EXPECT_EQ(finds[1].text, "dal");
    EXPECT_FALSE(finds[1].down);
    EXPECT_TRUE(finds[1].wholeWord);
    dialogs.Find()->UserCloses();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(session->Active());

    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].kind, "find");
    EXPECT_EQ(dialogs.Calls()[0].text, "ağaç");
    EXPECT_EQ(dialogs.Calls()[0].flags, static_cast<UINT>(FR_DOWN | FR_MATCHCASE));
    session.reset();
    EXPECT_EQ(dialogs.Find(), nullptr);
}

// The real modeless dialog: its "find next" reaches the handler, Enter in its
// edit works through the message filter (IsDialogMessage), closing it is told.
TEST_F(DialogsTest, RealFindDialogIsModelessAndReportsEachFind) {
    tk::TForm form(tk::TForm::Params{"Bul", 300, 200});
    form.Show();
    std::vector<tk::FindEvent> finds;
    int closes = 0;
    tk::FindRequest request;
    request.owner = form.Handle();
    request.text = "kedi";
    auto session = tk::CurrentDialogs().BeginFind(
        request, {[&](const tk::FindEvent& e) { finds.push_back(e); }, [&] { ++closes; }});
    ASSERT_TRUE(session->Active());
    HWND dialog = session->Window();
    ASSERT_TRUE(IsWindow(dialog));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), form.Handle());

    const int kFindWhat = 0x480, kFindNext = IDOK;
    char text[64] = {};
    GetDlgItemTextA(dialog, kFindWhat, text, sizeof text);
    EXPECT_STREQ(text, "kedi");
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFindNext, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, kFindNext)));
    ASSERT_EQ(finds.size(), 1u);
    EXPECT_EQ(finds[0].text, "kedi");
    EXPECT_TRUE(finds[0].down);

    // Enter typed in the edit: only the dialog navigation turns it into "find next".
    HWND edit = GetDlgItem(dialog, kFindWhat);
    SetWindowTextA(edit, "köpek");
    SetFocus(edit);
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(PumpUntil([&] { return finds.size() == 2; }, 3000));
    EXPECT_EQ(finds[1].text, "köpek");

    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil([&] { return closes == 1; }, 3000));
    EXPECT_FALSE(session->Active());
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(DialogsTest, ClosingTheSessionTakesTheDialogAway) {
    tk::TForm form(tk::TForm::Params{"Bul", 300, 200});
    tk::FindRequest request;
    request.owner = form.Handle();
    auto session = tk::CurrentDialogs().BeginFind(request, {});
    HWND dialog = session->Window();
    ASSERT_TRUE(IsWindow(dialog));
    session.reset();
    EXPECT_FALSE(IsWindow(dialog));
    Pump(); // nothing is left that reacts
}

} // namespace
