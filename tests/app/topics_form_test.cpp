#include "app/topics_form.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"

using namespace velmora::app;
using testing_support::Pump;

namespace {

using Lines = std::vector<std::string>;

class TopicsTest : public ::testing::Test {
protected:
    // The real windows of the program, and beside them an editor of the
    // test's own with a topics window reading it. Made once: destroying shown
    // forms costs seconds under Wine.
    static void SetUpTestSuite() {
        dialogs = new testing_support::ScriptedDialogs;
        forms = CreateForms().release();
        ShowMainForm(*forms);
        tk::TForm::Params fp;
        fp.caption = "editor";
        fp.left = 400;
        fp.top = 100;
        fp.width = 500;
        fp.height = 300;
        host = new tk::TForm(fp);
        tk::TRichEdit::Params rp;
        rp.parent = host;
        rp.bounds = RECT{0, 0, 480, 260};
        rp.align = tk::TAlign::alClient;
        rp.wordWrap = false;
        editor = new tk::TRichEdit(rp);
        host->Show();
        topics = new TForm4([] { return editor; });
        Pump();
    }
    static void TearDownTestSuite() {
        delete topics;
        delete editor;
        delete host;
        delete forms;
        delete dialogs;
    }
    void TearDown() override { topics->Hide(); }

    // Shows the window with the editor holding text, as the topics button does.
    void ShowWith(const std::string& text) {
        editor->SetPlainText(text);
        topics->ShowTopics();
        Pump(20);
    }
    static void PostKey(HWND target, WORD key) {
        PostMessageA(target, WM_KEYDOWN, key, 1);
        PostMessageA(target, WM_KEYUP, key, 0xC0000001);
        Pump(30);
    }
    static void ClickItem(int index) {
        RECT r{};
        SendMessageA(topics->KonuBox->Handle(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
        PostMessageA(topics->KonuBox->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(topics->KonuBox->Handle(), WM_LBUTTONUP, 0, at);
        Pump(30);
    }

    static testing_support::ScriptedDialogs* dialogs;
    static Forms* forms;
    static tk::TForm* host;
    static tk::TRichEdit* editor;
    static TForm4* topics;
};

testing_support::ScriptedDialogs* TopicsTest::dialogs = nullptr;
Forms* TopicsTest::forms = nullptr;
tk::TForm* TopicsTest::host = nullptr;
tk::TRichEdit* TopicsTest::editor = nullptr;
TForm4* TopicsTest::topics = nullptr;

} // namespace

TEST(TopicLines, WholeLinesWithALessThanThatEndWithGreaterThan) {
    struct Case {
        const char* text;
        Lines expected;
    };
    const Case cases[] = {
        {"<Giriş>\r\nBölüm <2>\r\n<Not> metin\r\n", {"<Giriş>", "Bölüm <2>"}},
        {"<a>\rb <c>\n<d>", {"<a>", "b <c>", "<d>"}}, // CR, LF and no break at the end
        {"<>\r\n>\r\n<x> \r\nx<\r\na>b<c>", {"<>", "a>b<c>"}},
        {"<a>\r\n\r\n\r\n<a>", {"<a>", "<a>"}}, // empty lines between, a topic twice
        {"", {}},
        {"\r\n", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TopicLines(c.text), c.expected) << c.text;
}

TEST_F(TopicsTest, WindowAndListLayout) {
    EXPECT_EQ(GetACP(), 1254u);
    EXPECT_EQ(topics->Caption(), "<Konular>");
    RECT w;
    GetWindowRect(topics->Handle(), &w);
    EXPECT_EQ(w.left, 37);
    EXPECT_EQ(w.top, 192);
    EXPECT_EQ(w.right - w.left, 289);
    EXPECT_EQ(w.bottom - w.top, 351);
    const LONG_PTR style = GetWindowLongPtrA(topics->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(GetWindowLongPtrA(topics->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    HWND list = topics->KonuBox->Handle();
    RECT client, bounds;
    GetClientRect(topics->Handle(), &client);
    EXPECT_EQ(topics->KonuBox->Width(), client.right);
    EXPECT_EQ(topics->KonuBox->Height(), client.bottom);
    GetWindowRect(list, &bounds);
    EXPECT_TRUE(GetWindowLongPtrA(list, GWL_STYLE) & WS_BORDER); // a thin frame
    EXPECT_FALSE(GetWindowLongPtrA(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 13);
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, "Tahoma");
    EXPECT_EQ(font.lfCharSet, TURKISH_CHARSET);
    EXPECT_EQ(font.lfHeight, -MulDiv(8, tk::ScreenDpi(), 72));
}

TEST_F(TopicsTest, FilledOnShowWithTheTopicLinesOnly) {
    ShowWith("<Giriş>\r\nBölüm <2>\r\n<Not> metin\r\n");
    EXPECT_TRUE(IsWindowVisible(topics->Handle()));
    EXPECT_EQ(topics->KonuBox->Items(), (Lines{"<Giriş>", "Bölüm <2>"}));
    EXPECT_EQ(topics->KonuBox->ItemIndex(), -1);
    // An empty text gives an empty list.
    ShowWith("");
    EXPECT_EQ(topics->KonuBox->Count(), 0);
}

TEST_F(TopicsTest, ChoosingATopicSelectsItsFirstOccurrenceIgnoringCase) {
    // The earlier '<giriş>' stands inside another line.
    const std::string text = "Önsöz: bkz. <giriş> ve sonrası\r\n<Giriş>\r\nmetin\r\nBölüm <2>\r\n";
    ShowWith(text);
    ASSERT_EQ(topics->KonuBox->Items(), (Lines{"<Giriş>", "Bölüm <2>"}));
    ClickItem(0);
    EXPECT_EQ(editor->SelStart(), 12);
    EXPECT_EQ(editor->SelLength(), 7);
    EXPECT_EQ(editor->SelText(), "<giriş>");
    EXPECT_EQ(GetFocus(), editor->Handle());

    // The keyboard moves the selection and jumps as well.
    topics->KonuBox->SetFocus();
    PostKey(topics->KonuBox->Handle(), VK_DOWN);
    EXPECT_EQ(topics->KonuBox->ItemIndex(), 1);
    EXPECT_EQ(editor->SelText(), "Bölüm <2>");
    EXPECT_EQ(editor->SelStart(), static_cast<int>(text.find("Bölüm")) - 3); // CR LF count one each
    EXPECT_EQ(GetFocus(), editor->Handle());

    // The same item clicked again jumps again (the caret moved meanwhile).
    editor->SetSel(0, 0);
    ClickItem(1);
    EXPECT_EQ(editor->SelText(), "Bölüm <2>");
}

TEST_F(TopicsTest, TurkishLettersMatchAsATurkishReaderPairsThem) {
    struct Case {
        const char* earlier; // a line before the topic
        const char* topic;
        bool earlierChosen;
    };
    const Case cases[] = {
        {"<giriş>", "<GİRİŞ>", true},                              // İ and i
        {"<GİRİŞ>", "<giriş>", true},  {"<ışık>", "<IŞIK>", true}, // I and ı
        {"<IŞIK>", "<ışık>", true},    {"<ÇĞÖÜ>", "<çğöü>", true},
        {"<irmak>", "<Irmak>", false}, // I is not the capital of i
        {"<ınce>", "<İnce>", false},   // nor İ that of ı
    };
    for (const Case& c : cases) {
        // The earlier one stands inside a line that is no topic.
        const std::string text = std::string("x") + c.earlier + " y\r\n" + c.topic;
        const int topicAt = 1 + static_cast<int>(strlen(c.earlier)) + 3; // CR LF count one
        ShowWith(text);
        ASSERT_EQ(topics->KonuBox->Items(), (Lines{c.topic}));
        ClickItem(0);
        EXPECT_EQ(editor->SelStart(), c.earlierChosen ? 1 : topicAt) << c.topic;
        EXPECT_EQ(editor->SelLength(), static_cast<int>(strlen(c.topic))) << c.topic;
    }
}

TEST_F(TopicsTest, F5FillsTheListAgain) {
    ShowWith("<Bir>\r\nmetin\r\n");
    ASSERT_EQ(topics->KonuBox->Items(), (Lines{"<Bir>"}));
    editor->SetSel(-1, 0);
    editor->SetSelText("\r<İki>");
    Pump(10);
    // Not followed while the text changes...
    EXPECT_EQ(topics->KonuBox->Items(), (Lines{"<Bir>"}));
    // ...but on F5 in the list.
    topics->KonuBox->SetFocus();
    PostKey(topics->KonuBox->Handle(), VK_F5);
    EXPECT_EQ(topics->KonuBox->Items(), (Lines{"<Bir>", "<İki>"}));
}

TEST_F(TopicsTest, ATopicGoneSinceTheListWasFilledChangesNothing) {
    ShowWith("<Bir>\r\n<İki>\r\n");
    editor->SetPlainText("başka metin");
    editor->SetSel(2, 3);
    topics->KonuBox->SetFocus();
    ClickItem(1);
    EXPECT_EQ(editor->SelStart(), 2);
    EXPECT_EQ(editor->SelLength(), 3);
    EXPECT_EQ(GetFocus(), topics->KonuBox->Handle());
    EXPECT_EQ(editor->PositionText(), "başka metin");
}

TEST_F(TopicsTest, AHiddenEditorGetsTheSelectionButNotTheFocus) {
    ShowWith("<Bir>\r\n<İki>\r\n");
    topics->KonuBox->SetFocus();
    ShowWindow(editor->Handle(), SW_HIDE);
    ClickItem(1);
    ShowWindow(editor->Handle(), SW_SHOW);
    EXPECT_EQ(editor->SelText(), "<İki>");
    EXPECT_EQ(GetFocus(), topics->KonuBox->Handle());
}

TEST_F(TopicsTest, CharactersTheCodePageCannotSpellKeepPositions) {
    // A star and a character outside the 16-bit range (two units) before a topic.
    editor->SetRtf(
        "{\\rtf1\\ansi\\ansicpg1254 \\u9733?<Y\\'fdld\\'fdz>\\par x\\u-10179?\\u-8704? <Konu>\\par}");
    topics->ShowTopics();
    Pump(20);
    ASSERT_EQ(topics->KonuBox->Items(), (Lines{"?<Yıldız>", "x?? <Konu>"}));
    ClickItem(1);
    EXPECT_EQ(editor->SelStart(), 10);
    EXPECT_EQ(editor->SelLength(), 10);
    ClickItem(0);
    EXPECT_EQ(editor->SelStart(), 0);
    EXPECT_EQ(editor->SelLength(), 9);
}

TEST_F(TopicsTest, ClosingHidesAndTheNextShowFillsAgain) {
    ShowWith("<Bir>\r\n");
    SendMessageA(topics->Handle(), WM_CLOSE, 0, 0);
    Pump(10);
    EXPECT_TRUE(IsWindow(topics->Handle()));
    EXPECT_FALSE(IsWindowVisible(topics->Handle()));
    ShowWith("<Bir>\r\n<İki>\r\n");
    EXPECT_EQ(topics->KonuBox->Items(), (Lines{"<Bir>", "<İki>"}));
    // Shown again while showing: filled anew too.
    ShowWith("<Üç>\r\n");
    EXPECT_EQ(topics->KonuBox->Items(), (Lines{"<Üç>"}));
}

TEST_F(TopicsTest, TheTopicsButtonShowsTheWindowModelessAndOnTopWithTheTextPanelsTopics) {
    TForm1& main = *forms->form1;
    testing_support::TempFolder folder;
    ASSERT_TRUE(main.TextPanel->LoadFile(folder.File("notlar.txt", "<Giriş>\r\nmetin\r\n<Son>\r\n")));
    main.ShowViewerPanel(TViewerKind::vkText);
    // Made at the first press of the button, not at start.
    EXPECT_FALSE(forms->form4);
    tk::TSpeedButton* button = main.Button("SpeedButton8");
    ASSERT_NE(button, nullptr);
    button->Click();
    Pump(20);
    ASSERT_TRUE(forms->form4);
    TForm4& window = *forms->form4;
    EXPECT_EQ(&forms->Topics(), &window);
    EXPECT_TRUE(IsWindowVisible(window.Handle()));
    EXPECT_TRUE(GetWindowLongPtrA(window.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(window.KonuBox->Items(), (Lines{"<Giriş>", "<Son>"}));
    // Modeless: the main window still takes input, and its commands run.
    EXPECT_TRUE(IsWindowEnabled(main.Handle()));
    EXPECT_TRUE(main.MainActionList.Get("Detayli").Execute());
    EXPECT_TRUE(IsWindowVisible(window.Handle()));

    // A jump lands in the text panel's editor.
    RECT r{};
    SendMessageA(window.KonuBox->Handle(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
    PostMessageA(window.KonuBox->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(window.KonuBox->Handle(), WM_LBUTTONUP, 0, at);
    Pump(30);
    tk::TRichEdit& editor = *main.TextPanel->RichEdit1;
    EXPECT_EQ(editor.SelStart(), 14);
    EXPECT_EQ(editor.SelText(), "<Son>");
    EXPECT_EQ(GetFocus(), editor.Handle());

    // A jump while another viewer shows brings the text panel forward, as its button does.
    main.ShowViewerPanel(TViewerKind::vkHex);
    const size_t calls = dialogs->Calls().size();
    ASSERT_FALSE(IsWindowVisible(editor.Handle()));
    SendMessageA(window.KonuBox->Handle(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
    PostMessageA(window.KonuBox->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(window.KonuBox->Handle(), WM_LBUTTONUP, 0, at);
    Pump(30);
    EXPECT_TRUE(IsWindowVisible(editor.Handle()));
    EXPECT_EQ(editor.SelText(), "<Giriş>");
    EXPECT_EQ(GetFocus(), editor.Handle());
    EXPECT_TRUE(main.MainActionList.Get("MetinEditoru").Checked());
    EXPECT_EQ(dialogs->Calls().size(), calls); // nothing asked: nothing was modified

    SendMessageA(window.Handle(), WM_CLOSE, 0, 0);
    Pump(10);
    EXPECT_FALSE(IsWindowVisible(window.Handle()));
    EXPECT_TRUE(IsWindow(window.Handle()));
    EXPECT_TRUE(IsWindowVisible(main.Handle()));
    main.TextPanel->Clear();
}
