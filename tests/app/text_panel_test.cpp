#include "app/text_panel.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/os.h"
#include "hexedit/screenshot.h"
#include "support/panel_host.h"
#include "support/scripted_dialogs.h"
#include "toolkit/application.h"
#include "toolkit/form.h"

using testing_support::DialogCall;
using testing_support::PanelHost;
using testing_support::PressKey;
using testing_support::Pump;
using testing_support::ReadFileText;
using testing_support::ScriptedDialogs;
using velmora::app::TTextPanel;

namespace {

void TypeChars(HWND target, const std::string& text) {
    for (char c : text)
        PostMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// A document in an installed font (the first the picker lists) with one bold word.
std::string BoldWordRtf(const std::string& face) {
    return "{\\rtf1\\ansi\\ansicpg1254\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset162 " + face +
           ";}}\\f0\\fs20 plain \\b bold\\b0  tail\\par}";
}

class TextPanelTest : public PanelHost {
protected:
    static void SetUpTestSuite() {
        OpenHost({"velmora", 760, 420});
        tk::TListBox::Params lp;
        lp.parent = form;
        lp.bounds = RECT{0, 0, 100, 200};
        lp.align = tk::TAlign::alLeft;
        lp.items = {"readme.txt", "letter.rtf"};
        list = new tk::TListBox(lp);
    }
    static void TearDownTestSuite() {
        delete list;
        list = nullptr;
        CloseHost();
    }
    void SetUp() override {
        actions = std::make_unique<tk::TActionList>();
        form->SetActions(actions.get());
        TTextPanel::Params p;
        p.parent = form;
        p.bounds = RECT{100, 0, 760, 380};
        panel = std::make_unique<TTextPanel>(p);
        panel->BindCommands(*actions);
        form->Realign();
        Pump(10);
    }
    void TearDown() override {
        form->SetActions(nullptr);
        panel.reset();
        actions.reset();
        velmora::os::ClearFileFaults();
    }

    tk::TRichEdit& Editor() { return *panel->RichEdit1; }
    std::string Installed() { return panel->FontName->Count() ? panel->FontName->Item(0) : std::string(); }
    std::string Load(const std::string& name, const std::string& contents) {
        std::string path = folder->File(name, contents);
        EXPECT_TRUE(panel->LoadFile(path)) << name;
        return path;
    }
    std::vector<DialogCall> Messages() { return dialogs.Calls("message"); }

    static tk::TListBox* list;
    ScriptedDialogs dialogs;
    std::unique_ptr<tk::TActionList> actions;
    std::unique_ptr<TTextPanel> panel;
};

tk::TListBox* TextPanelTest::list = nullptr;

} // namespace

TEST_F(TextPanelTest, LayoutAndEditorSettings) {
    EXPECT_EQ(GetACP(), 1254u);
    tk::TRichEdit& e = Editor();
    // Disabled and empty until a file is loaded.
    EXPECT_FALSE(e.Enabled());
    EXPECT_EQ(e.TextLength(), 0);
    EXPECT_EQ(panel->FileName(), "");
    EXPECT_EQ(panel->Panel6->Caption(), " Satır: 1 : Sütun: 1");

    EXPECT_EQ(panel->TextToolBar->Height(), 28);
    EXPECT_EQ(panel->TextDosyaadi->Height(), 15);
    EXPECT_EQ(panel->TextDosyaadi->Top(), 28);
    EXPECT_EQ(panel->Panel6->Height(), 15);
    EXPECT_EQ(panel->Panel6->Top() + 15, panel->ClientHeight());
    EXPECT_EQ(panel->FontName->Width(), 145);
    EXPECT_EQ(panel->FontColor->Width(), 145);
    EXPECT_GT(panel->FontName->Count(), 0);
    for (const std::string& name : panel->FontName->Items())
        EXPECT_NE(name[0], '@') << name; // no vertical variants
    EXPECT_EQ(panel->UpDown1->Min(), 0);
    EXPECT_EQ(panel->UpDown1->Max(), 100);
    EXPECT_EQ(panel->UpDown1->Associate(), panel->FontSize.get());

    // Courier New 8 with the Turkish character set, for what is loaded and typed.
    tk::TTextAttributes d = e.DefAttributes();
    EXPECT_EQ(d.name, "Courier New");
    EXPECT_EQ(d.size, 8);
    EXPECT_EQ(d.charset, TURKISH_CHARSET);

    Load("şiir.txt", "Çığ düştü\r\n");
    EXPECT_TRUE(e.Enabled());
    EXPECT_EQ(e.Line(0), "Çığ düştü");
    EXPECT_EQ(e.SelAttributes().charset, TURKISH_CHARSET);
    EXPECT_EQ(panel->TextDosyaadi->Caption(), "şiir.txt");
    EXPECT_EQ(panel->TextDosyaadi->Hint(), folder->Path());

    // 6-pixel formatting margins left and right, kept after a resize.
    for (int width : {0, -80}) {
        if (width) panel->SetBounds(panel->Left(), panel->Top(), panel->Width() + width, panel->Height());
        RECT client;
        GetClientRect(e.Handle(), &client);
        RECT r = e.FormatRect();
        EXPECT_EQ(r.left, 6);
        EXPECT_EQ(r.right, client.right - 6);
        EXPECT_EQ(r.top, 0);
    }

    // Tab inserts a tab instead of moving the focus.
    e.SetFocus();
    e.SetSel(0, 0);
    TypeChars(e.Handle(), "\t");
    Pump(20);
    EXPECT_EQ(e.Line(0), "\tÇığ düştü");
    EXPECT_TRUE(e.Focused());
    EXPECT_TRUE(panel->Modified());

    // PopupMenu3: the edit actions, find and the font dialog.
    struct Row {
        const char* caption;
        tk::TShortCut shortcut;
    };
    const Row rows[] = {
        {"&Geri Al", tk::ShortCut('Z', tk::scCtrl)},
        {"-", 0},
        {"&Kes", tk::ShortCut('X', tk::scCtrl)},
        {"&Kopyala", tk::ShortCut('C', tk::scCtrl)},
        {"&Yapıştır", tk::ShortCut('V', tk::scCtrl)},
        {"&Hepsini Seç", tk::ShortCut('A', tk::scCtrl)},
        {"-", 0},
        {"Ara", tk::ShortCut('S', tk::scCtrl)},
        {"-", 0},
        {"&Fontlar", tk::ShortCut('F', tk::scCtrl)},
    };
    const auto& items = panel->PopupMenu3->Root().Items();
    ASSERT_EQ(items.size(), std::size(rows));
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i]->Caption(), rows[i].caption) << i;
        EXPECT_EQ(items[i]->Shortcut(), rows[i].shortcut) << i;
    }
    EXPECT_EQ(e.PopupMenu(), panel->PopupMenu3.get());
    EXPECT_EQ(actions->Get("EditCopyAction2").Shortcut(), tk::ShortCut(VK_INSERT, tk::scCtrl));
    // Ctrl+S and Ctrl+F are the editor's only: not in the window's list.
    EXPECT_EQ(actions->FindShortCut(tk::ShortCut('F', tk::scCtrl)), nullptr);
    EXPECT_EQ(actions->FindShortCut(tk::ShortCut('S', tk::scCtrl)), nullptr);

    e.SetSel(0, 3);
    UpdateWindow(form->Handle());
    Pump(30);
    SaveWindowShot(form->Handle(), "_textpanel");
}

TEST_F(TextPanelTest, LineAndColumnFollowTheCaret) {
    Load("lines.txt", "first\r\nsecond\r\nthird line\r\n");
    tk::TRichEdit& e = Editor();
    struct Case {
        int line, column; // from 0
        const char* shown;
    } cases[] = {
        {0, 0, " Satır: 1 : Sütun: 1"},
        {2, 4, " Satır: 3 : Sütun: 5"},
        {1, 6, " Satır: 2 : Sütun: 7"},
    };
    for (const Case& c : cases) {
        e.SetSel(e.LineIndex(c.line) + c.column, 0);
        Pump(10);
        EXPECT_EQ(panel->Panel6->Caption(), c.shown);
    }
    // A key press moves the caret and the text follows.
    e.SetFocus();
    e.SetSel(e.LineIndex(2), 0);
    PressKey(e.Handle(), VK_RIGHT, false);
    EXPECT_EQ(panel->Panel6->Caption(), " Satır: 3 : Sütun: 2");
}

TEST_F(TextPanelTest, ToolBarMirrorsTheSelectionWithoutFormatting) {
    Load("letter.RTF", BoldWordRtf(Installed()));
    ASSERT_FALSE(panel->PlainTextMode());
    tk::TRichEdit& e = Editor();
    int bold = e.FindText("bold", 0);
    ASSERT_GE(bold, 0);

    e.SetSel(bold, 4);
    Pump(10);
    EXPECT_TRUE(panel->BoldButton->Down());
    EXPECT_FALSE(panel->ItalicButton->Down());
    EXPECT_EQ(panel->FontName->Item(panel->FontName->ItemIndex()), Installed());
    EXPECT_EQ(panel->FontSize->Text(), "10");
    EXPECT_TRUE(panel->LeftAlign->Down());
    EXPECT_FALSE(panel->SyncingToolbar);
    EXPECT_FALSE(e.Modified()) << "writing the tool bar formatted the text";

    // A click on the button takes bold off the word.
    panel->BoldButton->Click();
    EXPECT_FALSE(panel->BoldButton->Down());
    e.SetSel(bold, 4);
    EXPECT_FALSE(e.SelAttributes().bold);
    EXPECT_TRUE(e.Modified());

    // Plain text: the button goes up again.
    e.SetSel(0, 3);
    Pump(10);
    EXPECT_FALSE(panel->BoldButton->Down());

    // Alignment and bullets of the paragraph, and their mirror.
    panel->CenterAlign->Click();
    EXPECT_EQ(e.ParaAlignment(), tk::TAlignment::taCenter);
    panel->RightAlign->Click();
    EXPECT_EQ(e.ParaAlignment(), tk::TAlignment::taRightJustify);
    EXPECT_FALSE(panel->CenterAlign->Down());
    panel->BulletsButton->Click();
    EXPECT_EQ(e.ParaNumbering(), tk::TNumbering::nsBullet);
    e.SetSel(1, 0);
    Pump(10);
    EXPECT_TRUE(panel->RightAlign->Down());
    EXPECT_TRUE(panel->BulletsButton->Down());
    panel->BulletsButton->Click();
    EXPECT_EQ(e.ParaNumbering(), tk::TNumbering::nsNone);

    // The colour picker colours the selection and mirrors it.
    e.SetSel(0, 5);
    int red = panel->FontColor->IndexOf("Kırmızı");
    ASSERT_GE(red, 0);
    panel->FontColor->SetItemIndex(red);
    panel->FontColorChange();
    EXPECT_EQ(e.SelAttributes().color, RGB(255, 0, 0));
    e.SetSel(1, 2);
    Pump(10);
    EXPECT_EQ(panel->FontColor->ItemIndex(), red);
}

TEST_F(TextPanelTest, FontPickerSetsTheTurkishCharset) {
    Load("western.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier;}}\\f0\\fs20 words\\par}");
    tk::TRichEdit& e = Editor();
    e.SetSel(0, 5);
    ASSERT_EQ(e.SelAttributes().charset, ANSI_CHARSET);
    panel->FontName->SetItemIndex(0);
    panel->FontNameChange();
    tk::TTextAttributes a = e.SelAttributes();
    EXPECT_EQ(a.name, Installed());
    EXPECT_EQ(a.charset, TURKISH_CHARSET);
}

TEST_F(TextPanelTest, TypingTheSize) {
    Load("size.txt", "some text\r\n");
    tk::TRichEdit& e = Editor();
    e.SetSel(0, 4);
    Pump(10);
    ASSERT_EQ(panel->FontSize->Text(), "8");

    // '12' typed into the box: 1 point after the '1', then 12.
    HWND box = panel->FontSize->Handle();
    panel->FontSize->SetFocus();
    panel->FontSize->SelectAll();
    PostMessageA(box, WM_CHAR, '1', 1);
    Pump(20);
    EXPECT_EQ(e.SelAttributes().size, 1);
    PostMessageA(box, WM_CHAR, '2', 1);
    Pump(20);
    EXPECT_EQ(e.SelAttributes().size, 12);
    EXPECT_TRUE(Messages().empty());

    // The arrows step it.
    SendMessageA(panel->UpDown1->Handle(), UDM_SETPOS32, 0, 12);
    panel->FontSize->SetText("13");
    EXPECT_EQ(e.SelAttributes().size, 13);

    // Not a number: the conversion error, and the size stays. Out of the
    // control's range: the size stays without a box.
    struct Case {
        const char* text;
        const char* error; // nullptr: no box
    } cases[] = {
        {"", "'' is not a valid integer value"},
        {"1a", "'1a' is not a valid integer value"},
        {"99999999999", "'99999999999' is not a valid integer value"},
        {"0", nullptr},
        {"-4", nullptr},
        {"5000", nullptr},
    };
    for (const Case& c : cases) {
        dialogs.Clear();
        panel->FontSize->SetText(c.text);
        EXPECT_EQ(e.SelAttributes().size, 13) << c.text;
        auto boxes = Messages();
        if (c.error) {
            ASSERT_EQ(boxes.size(), 1u) << c.text;
            EXPECT_EQ(boxes[0].text, c.error);
            EXPECT_EQ(boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        } else {
            EXPECT_TRUE(boxes.empty()) << c.text;
        }
    }
    EXPECT_EQ(velmora::app::ParseFontSize(" +7"), 7);
}

TEST_F(TextPanelTest, CtrlBFromAnotherControlAppliesTheButtonsState) {
    Load("letter.rtf", BoldWordRtf(Installed()));
    tk::TRichEdit& e = Editor();
    e.SetSel(0, 5); // "plain": not bold, the button is up
    Pump(10);
    ASSERT_FALSE(panel->BoldButton->Down());
    // The button is put down without touching the text (as the mirror would),
    // then Ctrl+B from the list applies it.
    actions->Get("Bold").SetChecked(true);
    EXPECT_FALSE(e.SelAttributes().bold);
    list->SetFocus();
    ASSERT_TRUE(list->Focused());
    PressKey(list->Handle(), 'B', true);
    EXPECT_TRUE(e.SelAttributes().bold);
    EXPECT_TRUE(panel->BoldButton->Down()) << "the shortcut does not toggle the button";
    EXPECT_TRUE(list->Focused());

    // Ctrl+I and Ctrl+U the same way.
    actions->Get("Italic").SetChecked(true);
    actions->Get("UnderLine").SetChecked(true);
    PressKey(list->Handle(), 'I', true);
    PressKey(list->Handle(), 'U', true);
    tk::TTextAttributes a = e.SelAttributes();
    EXPECT_TRUE(a.italic);
    EXPECT_TRUE(a.underline);
    EXPECT_TRUE(a.bold);
}

TEST_F(TextPanelTest, EditKeysAreTheEditorsWhileItHasTheFocus) {
    tk::TRichEdit& e = Editor();
    // Without a file the edit commands are off.
    tk::UpdateActionLists();
    for (const char* name : {"EditUndoAction", "EditCutAction", "EditCopyAction", "EditSelectAllAction"})
        EXPECT_FALSE(actions->Get(name).Enabled()) << name;

    Load("keys.txt", "one two\r\n");
    e.SetFocus();
    e.SetSel(0, 0);
    PressKey(e.Handle(), 'A', true); // through PopupMenu3
    EXPECT_EQ(e.SelStart(), 0);
    EXPECT_GE(e.SelLength(), 7);
    tk::UpdateActionLists();
    EXPECT_TRUE(actions->Get("EditCopyAction").Enabled());
    EXPECT_TRUE(actions->Get("EditCutAction").Enabled());
    e.SetSel(0, 3);
    e.SetSelText("bir");
    PressKey(e.Handle(), 'Z', true);
    EXPECT_EQ(e.Line(0), "one two");
    // Ctrl+S opens the find dialog from the editor only.
    PressKey(e.Handle(), 'S', true);
    EXPECT_NE(dialogs.Find(), nullptr);
}

TEST_F(TextPanelTest, FindMatchesCaseForwardFromTheSelection) {
    Load("find.txt", "ABC x abc y abc\r\n");
    tk::TRichEdit& e = Editor();
    e.SetSel(0, 0);
    panel->FindClick();
    ASSERT_NE(dialogs.Find(), nullptr);

    dialogs.Find()->FindNext({"abc", true, false, false});
    EXPECT_EQ(e.SelStart(), 6);
    EXPECT_EQ(e.SelLength(), 3);
    // The second search starts after the first match.
    dialogs.Find()->FindNext({"abc", true, false, false});
    EXPECT_EQ(e.SelStart(), 12);
    EXPECT_TRUE(Messages().empty());
    // No more: the note, and the selection stays.
    dialogs.Find()->FindNext({"abc", true, false, false});
    auto boxes = Messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Başka bulunamadı. \"abc\"");
    EXPECT_EQ(boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(e.SelStart(), 12);

    // The dialog asks for no case matching or backwards: the search still matches case, forwards.
    dialogs.Clear();
    Load("upper.txt", "ABC\r\n");
    dialogs.Find()->FindNext({"abc", false, false, false});
    boxes = Messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Başka bulunamadı. \"abc\"");
}

TEST_F(TextPanelTest, FontDialogStartsWithTheSelectionAndSetsIt) {
    Load("letter.rtf", BoldWordRtf(Installed()));
    tk::TRichEdit& e = Editor();
    int bold = e.FindText("bold", 0);
    e.SetSel(bold, 4);
    tk::FontAnswer answer;
    lstrcpyA(answer.font.lfFaceName, "Times New Roman");
    answer.font.lfWeight = FW_NORMAL;
    answer.font.lfItalic = TRUE;
    answer.font.lfCharSet = TURKISH_CHARSET;
    answer.points = 14;
    answer.color = RGB(0, 0, 128);
    dialogs.AnswerFont(true, answer);
    panel->FontDialogClick();
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    const tk::FontRequest& shown = dialogs.Calls()[0].font;
    EXPECT_EQ(std::string(shown.font.lfFaceName), Installed());
    EXPECT_EQ(shown.font.lfWeight, FW_BOLD);
    tk::TTextAttributes a = e.SelAttributes();
    EXPECT_EQ(a.name, "Times New Roman");
    EXPECT_EQ(a.size, 14);
    EXPECT_FALSE(a.bold);
    EXPECT_TRUE(a.italic);
    EXPECT_EQ(a.color, RGB(0, 0, 128));
    EXPECT_TRUE(e.Focused());
    EXPECT_TRUE(panel->ItalicButton->Down());
    EXPECT_EQ(panel->FontSize->Text(), "14");

    // Cancelled: nothing changes.
    dialogs.AnswerFont(false);
    panel->FontDialogClick();
    EXPECT_EQ(e.SelAttributes().name, "Times New Roman");
}

TEST_F(TextPanelTest, RichDuzenOpensTheMenuUnderTheButton) {
    Load("menu.txt", "text\r\n");
    dialogs.AnswerPopup("HepsiniSec1");
    panel->RichDuzen->Click();
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    const DialogCall& call = dialogs.Calls()[0];
    EXPECT_EQ(call.kind, "popup");
    RECT button;
    GetWindowRect(panel->RichDuzen->Handle(), &button);
    EXPECT_EQ(call.at.x, button.left - 2);
    EXPECT_EQ(call.at.y, button.top + 23);
    EXPECT_EQ(Editor().SelStart(), 0);
    EXPECT_GE(Editor().SelLength(), Editor().TextLength());
}

TEST_F(TextPanelTest, SaveWritesTheFileInTheFormItWasRead) {
    tk::TRichEdit& e = Editor();
    // Plain text: written back as 8-bit text, Turkish letters byte for byte.
    std::string text = Load("readme.TXT", "satır bir\r\nÇağ\r\n");
    EXPECT_TRUE(panel->PlainTextMode());
    EXPECT_FALSE(panel->Modified());
    e.SetSel(0, 0);
    e.SetSelText("ek ");
    EXPECT_TRUE(panel->Modified());
    EXPECT_TRUE(panel->Save());
    EXPECT_FALSE(panel->Modified());
    EXPECT_EQ(ReadFileText(text), "ek satır bir\r\nÇağ\r\n");

    // RTF: written back as RTF that keeps the formatting.
    std::string rtf = Load("letter.RTF", BoldWordRtf(Installed()));
    EXPECT_FALSE(panel->PlainTextMode());
    int tail = e.FindText("tail", 0);
    e.SetSel(tail, 4);
    e.SetSelText("şon");
    EXPECT_TRUE(panel->Save());
    std::string saved = ReadFileText(rtf);
    EXPECT_EQ(saved.rfind("{\\rtf", 0), 0u) << saved;
    ASSERT_TRUE(panel->LoadFile(rtf));
    EXPECT_EQ(e.Line(0), "plain bold şon");
    e.SetSel(e.FindText("bold", 0), 4);
    EXPECT_TRUE(e.SelAttributes().bold);

    // A ".rtf" that holds plain text stays plain text.
    std::string fake = Load("notes.rtf", "just words\r\n");
    EXPECT_TRUE(panel->PlainTextMode());
    e.SetSel(0, 0);
    e.SetSelText(">");
    EXPECT_TRUE(panel->Save());
    EXPECT_EQ(ReadFileText(fake), ">just words\r\n");

    // An unmodified document and a panel without a file write nothing.
    panel->Clear();
    EXPECT_EQ(panel->FileName(), "");
    EXPECT_FALSE(e.Enabled());
    EXPECT_TRUE(panel->Save());
    EXPECT_EQ(ReadFileText(fake), ">just words\r\n");
}

TEST_F(TextPanelTest, FailedSaveKeepsTheEdits) {
    tk::TRichEdit& e = Editor();
    std::string path = Load("kept.txt", "original\r\n");
    e.SetSel(0, 0);
    e.SetSelText("new ");

    struct Case {
        const char* what;
        std::function<void()> arrange, restore;
    } cases[] = {
        {"replace refused", [] { velmora::os::InjectFileFaults({.failReplace = true}); },
         [] { velmora::os::ClearFileFaults(); }},
        {"disk full", [] { velmora::os::InjectFileFaults({.writeBytes = 3}); },
         [] { velmora::os::ClearFileFaults(); }},
        {"read-only file", [&] { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY); },
         [&] { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); }},
    };
    for (const Case& c : cases) {
        dialogs.Clear();
        c.arrange();
        EXPECT_FALSE(panel->Save()) << c.what;
        c.restore();
        EXPECT_EQ(ReadFileText(path), "original\r\n") << c.what;
        EXPECT_TRUE(panel->Modified()) << c.what;
        EXPECT_EQ(panel->FileName(), path);
        EXPECT_EQ(e.Line(0), "new original");
        auto boxes = Messages();
        ASSERT_EQ(boxes.size(), 1u) << c.what;
        EXPECT_NE(boxes[0].text.find(path), std::string::npos) << boxes[0].text;
        EXPECT_EQ(boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    }
    // The next attempt writes.
    EXPECT_TRUE(panel->Save());
    EXPECT_EQ(ReadFileText(path), "new original\r\n");
    EXPECT_FALSE(panel->Modified());
}

TEST_F(TextPanelTest, RefusedLoadsLeaveThePanelEmpty) {
    tk::TRichEdit& e = Editor();
    Load("first.txt", "first\r\n");
    struct Case {
        std::string path;
        const char* says;
    } cases[] = {
        {folder->Path() + "missing.txt", "Dosya okunamadı: "},
        {folder->Folder("a folder.txt"), "Dosya okunamadı: "},
    };
    for (const Case& c : cases) {
        dialogs.Clear();
        EXPECT_FALSE(panel->LoadFile(c.path));
        EXPECT_EQ(panel->FileName(), "");
        EXPECT_FALSE(e.Enabled());
        EXPECT_EQ(e.TextLength(), 0);
        EXPECT_EQ(panel->TextDosyaadi->Caption(), "");
        auto boxes = Messages();
        ASSERT_EQ(boxes.size(), 1u) << c.path;
        EXPECT_EQ(boxes[0].text, c.says + c.path);
    }
    // A read-only file opens read-only, and nothing in it can be formatted.
    std::string locked = folder->File("locked.txt", "locked\r\n");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(panel->LoadFile(locked));
    EXPECT_TRUE(e.ReadOnly());
    e.SetSel(0, 6);
    actions->Get("Bold").SetChecked(true);
    actions->Get("Bold").Execute();
    EXPECT_FALSE(e.SelAttributes().bold);
    EXPECT_FALSE(panel->Modified());
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}
