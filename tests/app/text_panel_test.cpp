#include "app/text_panel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/os.h"
#include "base/text_encoding.h"
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

using velmora::LineEnd;
using velmora::TextEncoding;

namespace {

// Sources are compiled to code page 1254: letters outside it are written as bytes.
const std::string kZheUtf8 = "\xD0\x96"; // Ж, U+0416

std::string Utf16(const std::u16string& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : text) {
        char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

// Lines of Turkish text with mixed line ends, about size bytes.
std::string ManyLines(size_t size) {
    std::string text;
    for (int line = 0; text.size() < size; ++line)
        text +=
            "Satır " + std::to_string(line) + ": Çağdaş şiir, ığdır ve öğle." + (line % 7 ? "\r\n" : "\n");
    return text;
}

// Replaces the editor's selection by UTF-16 text, as typing or pasting does.
void InsertUnicode(tk::TRichEdit& editor, const std::u16string& text) {
    SETTEXTEX set{ST_SELECTION | ST_KEEPUNDO, 1200};
    SendMessageA(editor.Handle(), EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

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

    // Asked anew at each use: every load makes a new editor.
    tk::TRichEdit& Editor() { return *panel->RichEdit1; }
    // The editor's text, a line break as one CR.
    std::u16string Held() {
        std::u16string text;
        EXPECT_TRUE(Editor().GetUnicodeText(text));
        return velmora::NormalizeLineBreaks(text);
    }
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
    // Disabled and empty until a file is loaded.
    EXPECT_FALSE(Editor().Enabled());
    EXPECT_EQ(Editor().TextLength(), 0);
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
    tk::TTextAttributes d = Editor().DefAttributes();
    EXPECT_EQ(d.name, "Courier New");
    EXPECT_EQ(d.size, 8);
    EXPECT_EQ(d.charset, TURKISH_CHARSET);

    Load("şiir.txt", "Çığ düştü\r\n");
    EXPECT_TRUE(Editor().Enabled());
    EXPECT_EQ(Editor().Line(0), "Çığ düştü");
    EXPECT_EQ(Editor().SelAttributes().charset, TURKISH_CHARSET);
    EXPECT_EQ(panel->TextDosyaadi->Caption(), "şiir.txt");
    EXPECT_EQ(panel->TextDosyaadi->Hint(), folder->Path());

    // 6-pixel formatting margins left and right, kept after a resize.
    for (int width : {0, -80}) {
        if (width) panel->SetBounds(panel->Left(), panel->Top(), panel->Width() + width, panel->Height());
        RECT client;
        GetClientRect(Editor().Handle(), &client);
        RECT r = Editor().FormatRect();
        EXPECT_EQ(r.left, 6);
        EXPECT_EQ(r.right, client.right - 6);
        EXPECT_EQ(r.top, 0);
    }

    // Tab inserts a tab instead of moving the focus.
    Editor().SetFocus();
    Editor().SetSel(0, 0);
    TypeChars(Editor().Handle(), "\t");
    Pump(20);
    EXPECT_EQ(Editor().Line(0), "\tÇığ düştü");
    EXPECT_TRUE(Editor().Focused());
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
    EXPECT_EQ(Editor().PopupMenu(), panel->PopupMenu3.get());
    EXPECT_EQ(actions->Get("EditCopyAction2").Shortcut(), tk::ShortCut(VK_INSERT, tk::scCtrl));
    // The keys of the editor's menu are the editor's only: not in the window's
    // list, where Ctrl+X, Ctrl+C and Ctrl+A are the file commands.
    for (char key : {'Z', 'X', 'C', 'V', 'A', 'S', 'F'})
        EXPECT_EQ(actions->FindShortCut(tk::ShortCut(key, tk::scCtrl)), nullptr) << key;

    Editor().SetSel(0, 3);
    UpdateWindow(form->Handle());
    Pump(30);
    SaveWindowShot(form->Handle(), "_textpanel");
}

TEST_F(TextPanelTest, LineAndColumnFollowTheCaret) {
    Load("lines.txt", "first\r\nsecond\r\nthird line\r\n");
    struct Case {
        int line, column; // from 0
        const char* shown;
    } cases[] = {
        {0, 0, " Satır: 1 : Sütun: 1"},
        {2, 4, " Satır: 3 : Sütun: 5"},
        {1, 6, " Satır: 2 : Sütun: 7"},
    };
    for (const Case& c : cases) {
        Editor().SetSel(Editor().LineIndex(c.line) + c.column, 0);
        Pump(10);
        EXPECT_EQ(panel->Panel6->Caption(), c.shown);
    }
    // A key press moves the caret and the text follows.
    Editor().SetFocus();
    Editor().SetSel(Editor().LineIndex(2), 0);
    PressKey(Editor().Handle(), VK_RIGHT, false);
    EXPECT_EQ(panel->Panel6->Caption(), " Satır: 3 : Sütun: 2");
}

TEST_F(TextPanelTest, ToolBarMirrorsTheSelectionWithoutFormatting) {
    Load("letter.RTF", BoldWordRtf(Installed()));
    ASSERT_FALSE(panel->PlainTextMode());
    int bold = Editor().FindText("bold", 0);
    ASSERT_GE(bold, 0);

    Editor().SetSel(bold, 4);
    Pump(10);
    EXPECT_TRUE(panel->BoldButton->Down());
    EXPECT_FALSE(panel->ItalicButton->Down());
    EXPECT_EQ(panel->FontName->Item(panel->FontName->ItemIndex()), Installed());
    EXPECT_EQ(panel->FontSize->Text(), "10");
    EXPECT_TRUE(panel->LeftAlign->Down());
    EXPECT_FALSE(panel->SyncingToolbar);
    EXPECT_FALSE(Editor().Modified()) << "writing the tool bar formatted the text";

    // A click on the button takes bold off the word.
    panel->BoldButton->Click();
    EXPECT_FALSE(panel->BoldButton->Down());
    Editor().SetSel(bold, 4);
    EXPECT_FALSE(Editor().SelAttributes().bold);
    EXPECT_TRUE(Editor().Modified());

    // Plain text: the button goes up again.
    Editor().SetSel(0, 3);
    Pump(10);
    EXPECT_FALSE(panel->BoldButton->Down());

    // Alignment and bullets of the paragraph, and their mirror.
    panel->CenterAlign->Click();
    EXPECT_EQ(Editor().ParaAlignment(), tk::TAlignment::taCenter);
    panel->RightAlign->Click();
    EXPECT_EQ(Editor().ParaAlignment(), tk::TAlignment::taRightJustify);
    EXPECT_FALSE(panel->CenterAlign->Down());
    panel->BulletsButton->Click();
    EXPECT_EQ(Editor().ParaNumbering(), tk::TNumbering::nsBullet);
    Editor().SetSel(1, 0);
    Pump(10);
    EXPECT_TRUE(panel->RightAlign->Down());
    EXPECT_TRUE(panel->BulletsButton->Down());
    panel->BulletsButton->Click();
    EXPECT_EQ(Editor().ParaNumbering(), tk::TNumbering::nsNone);

    // The colour picker colours the selection and mirrors it.
    Editor().SetSel(0, 5);
    int red = panel->FontColor->IndexOf("Kırmızı");
    ASSERT_GE(red, 0);
    panel->FontColor->SetItemIndex(red);
    panel->FontColorChange();
    EXPECT_EQ(Editor().SelAttributes().color, RGB(255, 0, 0));
    Editor().SetSel(1, 2);
    Pump(10);
    EXPECT_EQ(panel->FontColor->ItemIndex(), red);
}

TEST_F(TextPanelTest, FontPickerSetsTheTurkishCharset) {
    Load("western.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier;}}\\f0\\fs20 words\\par}");
    Editor().SetSel(0, 5);
    ASSERT_EQ(Editor().SelAttributes().charset, ANSI_CHARSET);
    panel->FontName->SetItemIndex(0);
    panel->FontNameChange();
    tk::TTextAttributes a = Editor().SelAttributes();
    EXPECT_EQ(a.name, Installed());
    EXPECT_EQ(a.charset, TURKISH_CHARSET);
}

TEST_F(TextPanelTest, TypingTheSize) {
    Load("size.txt", "some text\r\n");
    Editor().SetSel(0, 4);
    Pump(10);
    ASSERT_EQ(panel->FontSize->Text(), "8");

    // '12' typed into the box: 1 point after the '1', then 12.
    HWND box = panel->FontSize->Handle();
    panel->FontSize->SetFocus();
    panel->FontSize->SelectAll();
    PostMessageA(box, WM_CHAR, '1', 1);
    Pump(20);
    EXPECT_EQ(Editor().SelAttributes().size, 1);
    PostMessageA(box, WM_CHAR, '2', 1);
    Pump(20);
    EXPECT_EQ(Editor().SelAttributes().size, 12);
    EXPECT_TRUE(Messages().empty());

    // The arrows step it.
    SendMessageA(panel->UpDown1->Handle(), UDM_SETPOS32, 0, 12);
    panel->FontSize->SetText("13");
    EXPECT_EQ(Editor().SelAttributes().size, 13);

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
        EXPECT_EQ(Editor().SelAttributes().size, 13) << c.text;
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
    Editor().SetSel(0, 5); // "plain": not bold, the button is up
    Pump(10);
    ASSERT_FALSE(panel->BoldButton->Down());
    // The button is put down without touching the text (as the mirror would),
    // then Ctrl+B from the list applies it.
    actions->Get("Bold").SetChecked(true);
    EXPECT_FALSE(Editor().SelAttributes().bold);
    list->SetFocus();
    ASSERT_TRUE(list->Focused());
    PressKey(list->Handle(), 'B', true);
    EXPECT_TRUE(Editor().SelAttributes().bold);
    EXPECT_TRUE(panel->BoldButton->Down()) << "the shortcut does not toggle the button";
    EXPECT_TRUE(list->Focused());

    // Ctrl+I and Ctrl+U the same way.
    actions->Get("Italic").SetChecked(true);
    actions->Get("UnderLine").SetChecked(true);
    PressKey(list->Handle(), 'I', true);
    PressKey(list->Handle(), 'U', true);
    tk::TTextAttributes a = Editor().SelAttributes();
    EXPECT_TRUE(a.italic);
    EXPECT_TRUE(a.underline);
    EXPECT_TRUE(a.bold);
}

TEST_F(TextPanelTest, EditKeysAreTheEditorsWhileItHasTheFocus) {
    // Without a file the edit commands are off.
    tk::UpdateActionLists();
    for (const char* name : {"EditUndoAction", "EditCutAction", "EditCopyAction", "EditSelectAllAction"})
        EXPECT_FALSE(panel->TextActions.Get(name).Enabled()) << name;

    Load("keys.txt", "one two\r\n");
    Editor().SetFocus();
    Editor().SetSel(0, 0);
    PressKey(Editor().Handle(), 'A', true); // through PopupMenu3
    EXPECT_EQ(Editor().SelStart(), 0);
    EXPECT_GE(Editor().SelLength(), 7);
    tk::UpdateActionLists();
    EXPECT_TRUE(panel->TextActions.Get("EditCopyAction").Enabled());
    EXPECT_TRUE(panel->TextActions.Get("EditCutAction").Enabled());
    Editor().SetSel(0, 3);
    Editor().SetSelText("bir");
    PressKey(Editor().Handle(), 'Z', true);
    EXPECT_EQ(Editor().Line(0), "one two");
    // Ctrl+S opens the find dialog from the editor only.
    PressKey(Editor().Handle(), 'S', true);
    EXPECT_NE(dialogs.Find(), nullptr);
}

TEST_F(TextPanelTest, FindMatchesCaseForwardFromTheSelection) {
    Load("find.txt", "ABC x abc y abc\r\n");
    Editor().SetSel(0, 0);
    panel->FindClick();
    ASSERT_NE(dialogs.Find(), nullptr);

    dialogs.Find()->FindNext({"abc", true, false, false});
    EXPECT_EQ(Editor().SelStart(), 6);
    EXPECT_EQ(Editor().SelLength(), 3);
    // The second search starts after the first match.
    dialogs.Find()->FindNext({"abc", true, false, false});
    EXPECT_EQ(Editor().SelStart(), 12);
    EXPECT_TRUE(Messages().empty());
    // No more: the note, and the selection stays.
    dialogs.Find()->FindNext({"abc", true, false, false});
    auto boxes = Messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Başka bulunamadı. \"abc\"");
    EXPECT_EQ(boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(Editor().SelStart(), 12);

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
    int bold = Editor().FindText("bold", 0);
    Editor().SetSel(bold, 4);
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
    tk::TTextAttributes a = Editor().SelAttributes();
    EXPECT_EQ(a.name, "Times New Roman");
    EXPECT_EQ(a.size, 14);
    EXPECT_FALSE(a.bold);
    EXPECT_TRUE(a.italic);
    EXPECT_EQ(a.color, RGB(0, 0, 128));
    EXPECT_TRUE(Editor().Focused());
    EXPECT_TRUE(panel->ItalicButton->Down());
    EXPECT_EQ(panel->FontSize->Text(), "14");

    // Cancelled: nothing changes.
    dialogs.AnswerFont(false);
    panel->FontDialogClick();
    EXPECT_EQ(Editor().SelAttributes().name, "Times New Roman");
}

TEST_F(TextPanelTest, RichDuzenOpensTheMenuUnderTheButton) {
    Load("menu.txt", "text\r\n");
    dialogs.AnswerPopup("HepsiniSec1");
    bool pressedWhileOpen = false;
    dialogs.WhilePopupOpen = [&] { pressedWhileOpen = panel->RichDuzen->MenuOpen(); };
    panel->RichDuzen->Click();
    dialogs.WhilePopupOpen = nullptr;
    EXPECT_TRUE(pressedWhileOpen) << "drawn pressed while its menu is open";
    EXPECT_FALSE(panel->RichDuzen->MenuOpen());
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    const DialogCall& call = dialogs.Calls()[0];
    EXPECT_EQ(call.kind, "popup");
    const RECT button = panel->RichDuzen->ScreenRect();
    EXPECT_EQ(call.at.x, button.left - 2);
    EXPECT_EQ(call.at.y, button.top + 23);
    EXPECT_EQ(Editor().SelStart(), 0);
    EXPECT_GE(Editor().SelLength(), Editor().TextLength());
}

TEST_F(TextPanelTest, SaveWritesTheFileInTheFormItWasRead) {
    // Plain text: written back as 8-bit text, Turkish letters byte for byte.
    std::string text = Load("readme.TXT", "satır bir\r\nÇağ\r\n");
    EXPECT_TRUE(panel->PlainTextMode());
    EXPECT_FALSE(panel->Modified());
    Editor().SetSel(0, 0);
    Editor().SetSelText("ek ");
    EXPECT_TRUE(panel->Modified());
    EXPECT_TRUE(panel->Save());
    EXPECT_FALSE(panel->Modified());
    EXPECT_EQ(ReadFileText(text), "ek satır bir\r\nÇağ\r\n");

    // RTF: written back as RTF that keeps the formatting.
    std::string rtf = Load("letter.RTF", BoldWordRtf(Installed()));
    EXPECT_FALSE(panel->PlainTextMode());
    int tail = Editor().FindText("tail", 0);
    Editor().SetSel(tail, 4);
    Editor().SetSelText("şon");
    EXPECT_TRUE(panel->Save());
    std::string saved = ReadFileText(rtf);
    EXPECT_EQ(saved.rfind("{\\rtf", 0), 0u) << saved;
    ASSERT_TRUE(panel->LoadFile(rtf));
    EXPECT_EQ(Editor().Line(0), "plain bold şon");
    Editor().SetSel(Editor().FindText("bold", 0), 4);
    EXPECT_TRUE(Editor().SelAttributes().bold);

    // A ".rtf" that holds plain text stays plain text.
    std::string fake = Load("notes.rtf", "just words\r\n");
    EXPECT_TRUE(panel->PlainTextMode());
    Editor().SetSel(0, 0);
    Editor().SetSelText(">");
    EXPECT_TRUE(panel->Save());
    EXPECT_EQ(ReadFileText(fake), ">just words\r\n");

    // An unmodified document and a panel without a file write nothing.
    panel->Clear();
    EXPECT_EQ(panel->FileName(), "");
    EXPECT_FALSE(Editor().Enabled());
    EXPECT_TRUE(panel->Save());
    EXPECT_EQ(ReadFileText(fake), ">just words\r\n");
}

TEST_F(TextPanelTest, FailedSaveKeepsTheEdits) {
    std::string path = Load("kept.txt", "original\r\n");
    Editor().SetSel(0, 0);
    Editor().SetSelText("new ");

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
        EXPECT_EQ(Editor().Line(0), "new original");
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
        EXPECT_FALSE(Editor().Enabled());
        EXPECT_EQ(Editor().TextLength(), 0);
        EXPECT_EQ(panel->TextDosyaadi->Caption(), "");
        auto boxes = Messages();
        ASSERT_EQ(boxes.size(), 1u) << c.path;
        EXPECT_EQ(boxes[0].text, c.says + c.path);
    }
    // A read-only file opens read-only, and nothing in it can be formatted.
    std::string locked = folder->File("locked.txt", "locked\r\n");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(panel->LoadFile(locked));
    EXPECT_TRUE(Editor().ReadOnly());
    Editor().SetSel(0, 6);
    actions->Get("Bold").SetChecked(true);
    actions->Get("Bold").Execute();
    EXPECT_FALSE(Editor().SelAttributes().bold);
    EXPECT_FALSE(panel->Modified());
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(TextPanelTest, FilesComeBackByteForByte) {
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string shown; // empty: not compared
        TextEncoding encoding;
        bool bom;
        LineEnd lineEnd;
    };
    const std::string crAt4095 = std::string(4095, 'x') + "\r\ny\r\n";
    const std::string slices = ManyLines(600 * 1024);
    const Case cases[] = {
        {"cp1254.txt", "Çığ düştü\r\nŞİ€ son\r\n", u"Çığ düştü\rŞİ€ son\r", TextEncoding::Cp1254, false,
         LineEnd::CrLf},
        {"utf8.txt",
         "\xC3\x87"
         "a\xC4\x9F " +
             kZheUtf8 + " \xF0\x9F\x98\x80\nikinci\n",
         u"Çağ \u0416 \U0001F600\rikinci\r", TextEncoding::Utf8, false, LineEnd::Lf},
        {"utf8bom.txt", "\xEF\xBB\xBF\xC5\x9Fu " + kZheUtf8 + "\r\n", u"şu \u0416\r", TextEncoding::Utf8,
         true, LineEnd::CrLf},
        {"utf16le.txt", Utf16(u"ş\r\n\u0416\r\n", false), u"ş\r\u0416\r", TextEncoding::Utf16LE, true,
         LineEnd::CrLf},
        {"utf16be.txt", Utf16(u"ş\n\u0416", true), u"ş\r\u0416", TextEncoding::Utf16BE, true, LineEnd::Lf},
        {"lf.txt", "bir\niki\n\nüç\n", u"bir\riki\r\rüç\r", TextEncoding::Cp1254, false, LineEnd::Lf},
        {"cr.txt", "bir\riki\r\rüç", u"bir\riki\r\rüç", TextEncoding::Cp1254, false, LineEnd::Cr},
        {"mixed.txt", "a\r\nb\nc\rd\n\re\n", u"a\rb\rc\rd\r\re\r", TextEncoding::Cp1254, false, LineEnd::Lf},
        {"cr4095.txt", crAt4095, std::u16string(4095, u'x') + u"\ry\r", TextEncoding::Cp1254, false,
         LineEnd::CrLf},
        {"empty.txt", "", u"", TextEncoding::Cp1254, false, LineEnd::CrLf},
        {"slices.txt", slices, u"", TextEncoding::Cp1254, false, LineEnd::CrLf},
    };
    for (const Case& c : cases) {
        std::string path = Load(c.name, c.bytes);
        EXPECT_TRUE(panel->PlainTextMode()) << c.name;
        EXPECT_EQ(panel->TextFormat().encoding, c.encoding) << c.name;
        EXPECT_EQ(panel->TextFormat().bom, c.bom) << c.name;
        EXPECT_EQ(panel->TextFormat().lineEnd, c.lineEnd) << c.name;
        std::u16string held = Held();
        if (!c.shown.empty()) {
            EXPECT_TRUE(held == c.shown) << c.name;
        }
        EXPECT_TRUE(held == velmora::DecodeText(c.bytes).text) << c.name;
        EXPECT_FALSE(panel->Modified()) << c.name;
        EXPECT_FALSE(Editor().CanUndo()) << c.name << ": the load is no undo step";
        if (c.name == std::string("utf8.txt")) {
            UpdateWindow(form->Handle());
            Pump(30);
            SaveWindowShot(form->Handle(), "_textpanel_utf8");
        }

        // Touched: an edit undone, then only the modified flag.
        Editor().SetSel(0, 0);
        Editor().SetSelText("ek");
        ASSERT_TRUE(panel->Modified()) << c.name;
        Editor().Undo();
        ASSERT_TRUE(Held() == held) << c.name;
        EXPECT_TRUE(panel->Save()) << c.name;
        EXPECT_TRUE(ReadFileText(path) == c.bytes) << c.name;
        Editor().SetModified(true);
        EXPECT_TRUE(panel->Save()) << c.name;
        EXPECT_TRUE(ReadFileText(path) == c.bytes) << c.name;
        EXPECT_TRUE(Messages().empty()) << c.name;
    }
    // The CR at byte 4,095 with its LF after the chunk's end: one line break.
    Load("cr4095.txt", crAt4095);
    EXPECT_EQ(Editor().LineCount(), 3);
    // An edit in the middle of a mixed file keeps the other lines' ends.
    std::string path = Load("mixed.txt", "a\r\nb\nc\rd\n\re\n");
    Editor().SetSel(4, 1); // "c"
    Editor().SetSelText("C");
    EXPECT_TRUE(panel->Save());
    EXPECT_EQ(ReadFileText(path), "a\r\nb\nC\rd\n\re\n");
}

TEST_F(TextPanelTest, ALetterTheCodePageLacksIsAskedAbout) {
    const std::string before = "satır\r\nson\n\r\n";
    std::string path = Load("kod.txt", before);
    ASSERT_EQ(panel->TextFormat().encoding, TextEncoding::Cp1254);
    Editor().SetSel(0, 0);
    InsertUnicode(Editor(), u"\u0416");
    Editor().SetModified(true);

    // No: nothing written, the edit stays and the letter is shown selected.
    dialogs.AnswerMessage(IDNO);
    EXPECT_FALSE(panel->Save());
    auto boxes = Messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].flags & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(boxes[0].text.rfind(path, 0), 0u) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("UTF-8 olarak kaydedilsin mi?"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(ReadFileText(path), before);
    EXPECT_TRUE(panel->Modified());
    EXPECT_EQ(Editor().SelStart(), 0);
    EXPECT_EQ(Editor().SelLength(), 1);
    EXPECT_TRUE(Held() == u"\u0416satır\rson\r\r");

    // Yes: written as UTF-8 with a BOM, the line ends the file used most.
    dialogs.Clear();
    dialogs.AnswerMessage(IDYES);
    EXPECT_TRUE(panel->Save());
    EXPECT_EQ(Messages().size(), 1u);
    const std::string utf8 = "\xEF\xBB\xBF" + kZheUtf8 + "sat\xC4\xB1r\r\nson\r\n\r\n";
    EXPECT_EQ(ReadFileText(path), utf8);
    EXPECT_FALSE(panel->Modified());
    EXPECT_EQ(panel->TextFormat().encoding, TextEncoding::Utf8);
    EXPECT_TRUE(panel->TextFormat().bom);
    // From then on a UTF-8 file: no more questions, and read back the same.
    dialogs.Clear();
    Editor().SetModified(true);
    EXPECT_TRUE(panel->Save());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(ReadFileText(path), utf8);
    ASSERT_TRUE(panel->LoadFile(path));
    EXPECT_TRUE(Held() == u"\u0416satır\rson\r\r");
}

TEST_F(TextPanelTest, AUtf8FileKeepsAPastedLetter) {
    std::string path = Load("utf8.txt", "\xC5\x9Fu\n");
    ASSERT_EQ(panel->TextFormat().encoding, TextEncoding::Utf8);
    // Pasted, as a user brings in a letter from elsewhere.
    const std::wstring zhe = L"\u0416";
    ASSERT_TRUE(OpenClipboard(form->Handle()));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (zhe.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(memory), zhe.c_str(), (zhe.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    Editor().SetSel(2, 0);
    Editor().PasteFromClipboard();
    ASSERT_TRUE(Held() == u"şu\u0416\r");
    EXPECT_TRUE(panel->Save());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(ReadFileText(path), "\xC5\x9Fu" + kZheUtf8 + "\n");
}

TEST_F(TextPanelTest, AStreamThatFailsWritesNothing) {
    const std::string text = ManyLines(2000);
    const std::string rtf = BoldWordRtf(Installed());
    for (const char* name : {"akış.txt", "akış.rtf"}) {
        std::string path = Load(name, std::string(name).find(".rtf") != std::string::npos ? rtf : text);
        const std::string before = ReadFileText(path);
        Editor().SetSel(0, 0);
        Editor().SetSelText("yeni ");
        // The control's stream reports an error, or stops early without one.
        for (bool error : {true, false}) {
            dialogs.Clear();
            tk::TRichEdit::InjectStreamOutFault({64, error});
            EXPECT_FALSE(panel->Save()) << name << error;
            tk::TRichEdit::InjectStreamOutFault({});
            EXPECT_EQ(ReadFileText(path), before) << name << error;
            EXPECT_TRUE(panel->Modified()) << name << error;
            auto boxes = Messages();
            ASSERT_EQ(boxes.size(), 1u) << name << error;
            EXPECT_NE(boxes[0].text.find(path), std::string::npos) << boxes[0].text;
            EXPECT_EQ(boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        }
        EXPECT_TRUE(panel->Save()) << name;
        EXPECT_NE(ReadFileText(path), before) << name;
        EXPECT_FALSE(panel->Modified()) << name;
    }
}

TEST_F(TextPanelTest, EachLoadGetsANewEditorWithEverySetting) {
    std::vector<HWND> editors{Editor().Handle()};
    const std::string longLine(3000, 'u');
    auto check = [&](const char* when, bool enabled) {
        tk::TRichEdit& e = Editor();
        HWND handle = e.Handle();
        EXPECT_EQ(std::count(editors.begin(), editors.end(), handle), 0) << when << ": a new control";
        editors.push_back(handle);
        EXPECT_EQ(GetParent(handle), panel->EditorFrame->Handle()) << when;
        RECT client, frame;
        GetClientRect(panel->EditorFrame->Handle(), &frame);
        GetWindowRect(handle, &client);
        EXPECT_EQ(client.right - client.left, frame.right) << when;
        EXPECT_EQ(client.bottom - client.top, frame.bottom) << when;
        EXPECT_EQ(e.Enabled(), enabled) << when;
        tk::TTextAttributes d = e.DefAttributes();
        EXPECT_EQ(d.name, "Courier New") << when;
        EXPECT_EQ(d.size, 8) << when;
        EXPECT_EQ(d.charset, TURKISH_CHARSET) << when;
        EXPECT_EQ(e.EventMask(), tk::TRichEdit::kEventMask) << when;
        EXPECT_EQ(e.PopupMenu(), panel->PopupMenu3.get()) << when;
        EXPECT_TRUE(SendMessageA(handle, WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB) << when;
        EXPECT_FALSE(GetWindowLongA(handle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << when;
        EXPECT_EQ(e.FormatRect().left, 6) << when;
        EXPECT_EQ(e.FormatRect().right, frame.right - 6) << when;
        // The 32K default limit is lifted.
        EXPECT_GE(SendMessageA(handle, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFF0) << when;
    };
    Load("bir.txt", longLine + "\r\n");
    check("first load", true);
    // No word wrap: the long line stays one line, with a horizontal scroll bar.
    EXPECT_EQ(Editor().LineCount(), 2);
    EXPECT_TRUE(GetWindowLongA(Editor().Handle(), GWL_STYLE) & WS_HSCROLL);
    // The handlers: the line and column bar follows the caret, undo works again.
    Editor().SetSel(Editor().LineIndex(1), 0);
    EXPECT_EQ(panel->Panel6->Caption(), " Satır: 2 : Sütun: 1");
    Editor().SetSelText("x");
    EXPECT_TRUE(Editor().CanUndo());
    panel->Save();

    std::string locked = folder->File("salt.txt", "salt okunur\r\n");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(panel->LoadFile(locked));
    check("read-only load", true);
    EXPECT_TRUE(Editor().ReadOnly());
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);

    Load("mektup.rtf", BoldWordRtf(Installed()));
    check("RTF load", true);
    EXPECT_FALSE(Editor().ReadOnly());

    panel->Clear();
    check("emptied", false);
    EXPECT_EQ(Editor().TextLength(), 0);
}

namespace {
// What a timer saw of the panel while a large file loaded.
struct DuringLoad {
    TTextPanel* panel = nullptr;
    std::string other;
    int ticks = 0;
    bool loading = true, modified = false, refused = true, saved = true;
};
DuringLoad* during = nullptr;
void CALLBACK LoadTimer(HWND, UINT, UINT_PTR, DWORD) {
    DuringLoad& d = *during;
    ++d.ticks;
    d.loading = d.loading && d.panel->Loading();
    d.modified = d.modified || d.panel->Modified();
    d.refused = d.refused && !d.panel->LoadFile(d.other);
    d.saved = d.saved && d.panel->Save();
    // Typing meanwhile goes nowhere.
    PostMessageA(d.panel->RichEdit1->Handle(), WM_CHAR, 'q', 1);
}
} // namespace

TEST_F(TextPanelTest, ALargeTextLoadsInSlicesWithTheWindowAnswering) {
    const std::string text = ManyLines(1536 * 1024);
    std::string path = folder->File("büyük.txt", text);
    DuringLoad seen;
    seen.panel = panel.get();
    seen.other = folder->File("başka.txt", "başka\r\n");
    during = &seen;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, &LoadTimer);
    EXPECT_TRUE(panel->LoadFile(path));
    KillTimer(nullptr, timer);
    during = nullptr;
    Pump(20);
    EXPECT_GT(seen.ticks, 0) << "nothing was handled while the text went in";
    EXPECT_TRUE(seen.loading);
    EXPECT_FALSE(seen.modified);
    EXPECT_TRUE(seen.refused) << "a second load began during the first";
    EXPECT_TRUE(seen.saved);
    EXPECT_FALSE(panel->Loading());
    EXPECT_EQ(panel->FileName(), path);
    EXPECT_FALSE(panel->Modified());
    EXPECT_FALSE(Editor().CanUndo());
    EXPECT_TRUE(Held() == velmora::DecodeText(text).text);
    EXPECT_EQ(panel->Panel6->Caption(), " Satır: 1 : Sütun: 1");
    EXPECT_TRUE(Messages().empty());
}
