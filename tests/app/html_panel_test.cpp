// The HTML panel under Wine with real messages: layout and viewer settings,
// loading pages and pictures, the load error, links for the shell and for the
// viewer, back and forward, the commands' enabling, find, copy with the size
// warning, the context menu and the link under the mouse.
#include "app/html_panel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hexedit/screenshot.h"
#include "support/html_view_mouse.h"
#include "support/panel_host.h"
#include "support/scripted_dialogs.h"
#include "toolkit/application.h"
#include "toolkit/clipboard.h"
#include "toolkit/form.h"

using testing_support::BmpBytes;
using testing_support::ClickAt;
using testing_support::ClickButton;
using testing_support::PanelHost;
using testing_support::PostMouse;
using testing_support::PressKey;
using testing_support::Pump;
using testing_support::ScriptedDialogs;
using velmora::app::IsShellLink;
using velmora::app::THtmlPanel;
using velmora::html::TSectionList;

namespace {

// The pictures' colour: a dark grey.
constexpr COLORREF kGrey = RGB(0x40, 0x40, 0x40);

// A page whose text is `letters` characters of words and single spaces.
std::string LongPage(size_t letters) {
    std::string text;
    while (text.size() < letters)
        text += text.size() % 10 == 9 ? ' ' : 'a';
    if (text.back() == ' ') text.back() = 'a';
    return "<html><body><p>" + text + "</p></body></html>";
}

class HtmlPanelTest : public PanelHost {
protected:
    // One folder of pages for the suite.
    static void SetUpTestSuite() {
        OpenHost({"velmora", 640, 480, true});
        folder->File("index.htm", "<html><head><title>Ana Sayfa</title></head><body>"
                                  "<p>duz metin burada</p>"
                                  "<p><a href=\"MailTo:ali@example.com\">posta</a></p>"
                                  "<p><a href=\"http://www.example.com/\">web</a></p>"
                                  "<p><a href=\"HTTPS://guvenli.example.com/giris.html\">guvenli</a></p>"
                                  "<p><a href=\"sayfa2.htm\">ikinci</a></p>"
                                  "</body></html>");
        folder->File("sayfa2.htm", "<html><body><p>iki <a href=\"sayfa3.htm\">ucuncu</a></p></body></html>");
        folder->File("sayfa3.htm", "<html><body><p>son sayfa</p></body></html>");
        folder->File("basliksiz.htm", "<html><body><p>baslik yok</p></body></html>");
        folder->File("resim.bmp", BmpBytes(40, 30, kGrey));
    }
    static void TearDownTestSuite() { CloseHost(); }
    void SetUp() override {
        THtmlPanel::Params p;
        p.parent = form;
        p.bounds = RECT{0, 0, 620, 440};
        panel = std::make_unique<THtmlPanel>(p);
        form->Realign();
        Pump(10);
    }
    void TearDown() override { panel.reset(); }

    velmora::html::THtmlView& View() { return *panel->htmlView; }
    std::string Path(const std::string& name) { return folder->Path() + name; }
    void Load(const std::string& name) {
        ASSERT_TRUE(panel->LoadFile(Path(name))) << name;
        Pump(10);
    }

    POINT TextPoint(const std::string& text, int dx = 2) {
        return testing_support::TextPoint(View(), text, dx);
    }
    void Post(UINT msg, WPARAM keys, POINT p) { PostMouse(View(), msg, keys, p); }
    void ClickText(const std::string& text) { ClickAt(View(), TextPoint(text)); }
    // The menu's commands and Düzenle, as the main window's idle step leaves them.
    std::vector<bool> CommandStates() {
        std::vector<bool> states;
        states.push_back(panel->Duzen->Enabled());
        for (const char* item : {"Ara1", "Kopyala1", "HepsiniSec1"})
            states.push_back(panel->PopupMenu2->Find(item)->Enabled());
        return states;
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<THtmlPanel> panel;
};

} // namespace

TEST_F(HtmlPanelTest, LayoutViewerSettingsAndMenu) {
    EXPECT_EQ(GetACP(), 1254u);
    EXPECT_EQ(panel->Panel4->Top(), 0);
    EXPECT_EQ(panel->Panel4->Height(), 27);
    EXPECT_TRUE(panel->Panel4->Visible());
    struct Button {
        tk::TSpeedButton* button;
        const char* caption;
    };
    for (const Button& b : {Button{panel->BackButton.get(), "Geri"}, Button{panel->FwdButton.get(), "İleri"},
                            Button{panel->Duzen.get(), "Düzenle"}}) {
        EXPECT_EQ(b.button->Caption(), b.caption);
        // The drop-down's arrow comes beside its 66 pixels.
        EXPECT_EQ(b.button->Width(), b.button == panel->Duzen.get() ? 78 : 66) << b.caption;
        EXPECT_NE(b.button->Glyph(), nullptr) << b.caption; // a picture beside the caption
        EXPECT_FALSE(b.button->Enabled()) << b.caption;     // nothing to do before a page
    }
    EXPECT_LT(panel->BackButton->Left(), panel->FwdButton->Left());
    EXPECT_LT(panel->FwdButton->Left() + 66, panel->Duzen->Left()); // the divider between
    ASSERT_EQ(panel->HtmlToolBar->Dividers().size(), 1u);

    EXPECT_EQ(panel->DosyaAdi->Top(), 27);
    EXPECT_EQ(panel->DosyaAdi->Height(), 17);
    EXPECT_EQ(View().Top(), 44);
    EXPECT_EQ(View().Height(), panel->ClientHeight() - 44);
    EXPECT_EQ(View().Width(), panel->ClientWidth());

    EXPECT_EQ(View().DefBackground(), RGB(255, 255, 255));
    EXPECT_EQ(View().BorderStyle(), velmora::html::THTMLBorderStyle::htNone);
    EXPECT_EQ(View().DefFontName(), "Times New Roman");
    EXPECT_EQ(View().DefPreFontName(), "Courier New");
    EXPECT_FALSE(View().NoSelect());
    EXPECT_EQ(View().CharSet(), DEFAULT_CHARSET);
    EXPECT_EQ(View().htOptions(), 0);
    EXPECT_EQ(View().HistoryMaxCount(), 6);

    EXPECT_EQ(View().PopupMenu(), panel->PopupMenu2.get());
    struct Row {
        const char* name;
        const char* caption;
        tk::TShortCut shortcut;
    };
    const Row rows[] = {
        {"Ara1", "&Ara", tk::ShortCut('A', tk::scCtrl)},
        {"Kopyala1", "&Kopyala", tk::ShortCut('C', tk::scCtrl)},
        {"N1", "-", 0},
        {"HepsiniSec1", "Hepsini &Seç", tk::ShortCut('S', tk::scCtrl)},
    };
    const auto& items = panel->PopupMenu2->Root().Items();
    ASSERT_EQ(items.size(), std::size(rows));
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i]->Name, rows[i].name);
        EXPECT_EQ(items[i]->Caption(), rows[i].caption);
        EXPECT_EQ(items[i]->Shortcut(), rows[i].shortcut) << rows[i].name;
    }
    EXPECT_EQ(CommandStates(), std::vector<bool>(4, false));

    // The panel edits nothing.
    Load("index.htm");
    EXPECT_FALSE(panel->Modified());
    EXPECT_TRUE(panel->Save());
    EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(HtmlPanelTest, NameBarPictureStripAndClear) {
    Load("index.htm");
    EXPECT_EQ(panel->FileName(), Path("index.htm"));
    EXPECT_EQ(panel->DosyaAdi->Caption(), " Ana Sayfa");
    EXPECT_EQ(panel->DosyaAdi->Hint(), folder->Path());
    EXPECT_EQ(folder->Path().back(), '\\');

    Load("basliksiz.htm");
    EXPECT_EQ(panel->DosyaAdi->Caption(), "basliksiz.htm");
    Load("index.htm");
    panel->UpdateCommands(true);
    UpdateWindow(form->Handle());
    Pump(30);
    SaveWindowShot(form->Handle(), "_htmlpanel");

    // A picture: the strip goes, the bar and the viewer move up.
    ASSERT_TRUE(panel->LoadPicture(Path("resim.bmp")));
    Pump(10);
    EXPECT_FALSE(panel->Panel4->Visible());
    EXPECT_FALSE(IsWindowVisible(panel->Panel4->Handle()));
    EXPECT_EQ(panel->DosyaAdi->Top(), 0);
    EXPECT_EQ(View().Top(), 17);
    EXPECT_EQ(panel->DosyaAdi->Caption(), "resim.bmp");
    EXPECT_EQ(panel->DosyaAdi->Hint(), folder->Path());
    EXPECT_EQ(panel->FileName(), Path("resim.bmp"));
    EXPECT_EQ(View().CurrentKind(), velmora::html::TDocumentKind::dkPicture);
    // Each load from the list starts the history again.
    EXPECT_LE(View().History().Count(), 1);

    // An HTML file brings it back.
    Load("index.htm");
    EXPECT_TRUE(panel->Panel4->Visible());
    EXPECT_EQ(panel->DosyaAdi->Top(), 27);
    EXPECT_EQ(View().Top(), 44);

    // A "#" in a name from the list is part of the name, not an anchor.
    folder->File("not#1.htm", "<html><body><p>not</p></body></html>");
    Load("not#1.htm");
    EXPECT_EQ(View().CurrentFile(), Path("not#1.htm"));
    EXPECT_EQ(panel->DosyaAdi->Caption(), "not#1.htm");
    folder->File("uzun#2.bmp", BmpBytes(20, 300, kGrey));
    ASSERT_TRUE(panel->LoadPicture(Path("uzun#2.bmp")));
    EXPECT_GE(View().DocumentHeight(), 300); // the picture, not a placeholder
    EXPECT_EQ(panel->DosyaAdi->Caption(), "uzun#2.bmp");

    panel->Clear();
    EXPECT_EQ(panel->FileName(), "");
    EXPECT_EQ(panel->DosyaAdi->Caption(), "");
    EXPECT_EQ(panel->DosyaAdi->Hint(), "");
    EXPECT_EQ(View().History().Count(), 0);
    EXPECT_EQ(View().DocumentTitle(), "");
    EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(HtmlPanelTest, LoadErrorIsShownAndLeavesThePanelEmpty) {
    Load("index.htm");
    for (bool picture : {false, true}) {
        dialogs.Clear();
        const std::string missing = Path(picture ? "yok.gif" : "yok.htm");
        EXPECT_FALSE(picture ? panel->LoadPicture(missing) : panel->LoadFile(missing));
        const auto boxes = dialogs.Calls("message");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Can't locate file: " + missing);
        EXPECT_EQ(boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(panel->FileName(), "");
        EXPECT_EQ(panel->DosyaAdi->Caption(), "");
        EXPECT_EQ(View().History().Count(), 0);
    }
}

TEST_F(HtmlPanelTest, WebAndMailLinksGoToTheShellOthersToTheViewer) {
    struct Case {
        const char* text; // the link's text on the page
        const char* url;  // what the shell gets, or null: the viewer follows it
    };
    const Case cases[] = {
        {"posta", "MailTo:ali@example.com"},
        {"web", "http://www.example.com/"},
        // The viewer cannot fetch a secure page either.
        {"guvenli", "HTTPS://guvenli.example.com/giris.html"},
        {"ikinci", nullptr},
    };
    for (const Case& c : cases) {
        Load("index.htm");
        dialogs.Clear();
        ClickText(c.text);
        const auto shell = dialogs.Calls("shell");
        if (c.url) {
            ASSERT_EQ(shell.size(), 1u) << c.text;
            EXPECT_EQ(shell[0].text, c.url);
            EXPECT_EQ(shell[0].verb, "open");
            EXPECT_EQ(shell[0].owner, nullptr);
            EXPECT_EQ(shell[0].showCommand, SW_SHOWNORMAL);
            EXPECT_EQ(View().CurrentFile(), Path("index.htm")) << c.text; // the page stays
        } else {
            EXPECT_TRUE(shell.empty()) << c.text;
            EXPECT_EQ(View().CurrentFile(), Path("sayfa2.htm"));
        }
        EXPECT_TRUE(dialogs.Calls("message").empty()) << c.text;
    }

    // The hook replaces the shell.
    std::vector<std::string> opened;
    panel->OpenLink = [&](const std::string& url) { opened.push_back(url); };
    Load("index.htm");
    dialogs.Clear();
    ClickText("web");
    EXPECT_EQ(opened, std::vector<std::string>{"http://www.example.com/"});
    EXPECT_TRUE(dialogs.Calls().empty());

    // Only a web or mail address goes to the shell: the others that mention a
    // scheme are the viewer's (it leaves a program alone).
    struct Rule {
        const char* url;
        bool shell;
    };
    for (const Rule& r :
         {Rule{"mailto:a@b.c", true}, Rule{"MAILTO:a@b.c", true}, Rule{"mAiLtO:x", true},
          Rule{"http://a/", true}, Rule{"HTTP://A/", true}, Rule{"https://a/", true},
          Rule{" http://x ", true}, Rule{"sayfa.htm?geri=http://a", false}, Rule{"notepad.exe http:", false},
          Rule{"file:///C:/windows/notepad.exe#http:", false}, Rule{"sayfa2.htm", false},
          Rule{"#bolum", false}, Rule{"file:///c:/a.htm", false}, Rule{"ftp://a/", false},
          Rule{"http//a", false}, Rule{"", false}})
        EXPECT_EQ(IsShellLink(r.url), r.shell) << r.url;
}

TEST_F(HtmlPanelTest, LinksThatMerelyMentionASchemeNeverReachTheShell) {
    folder->File("baglantilar.htm", "<html><body>"
                                    "<p><a href=\"notepad.exe http:\">birinci</a></p>"
                                    "<p><a href=\"file:///C:/windows/notepad.exe#http:\">ikinci</a></p>"
                                    "<p><a href=\" http://x \">ucuncu</a></p>"
                                    "</body></html>");
    struct Case {
        const char* text;
        const char* shell; // what the shell gets, or null
    };
    for (const Case& c : {Case{"birinci", nullptr}, Case{"ikinci", nullptr}, Case{"ucuncu", "http://x"}}) {
        Load("baglantilar.htm");
        dialogs.Clear();
        ClickText(c.text);
        const auto shell = dialogs.Calls("shell");
        if (c.shell) {
            ASSERT_EQ(shell.size(), 1u) << c.text;
            EXPECT_EQ(shell[0].text, c.shell);
            EXPECT_EQ(shell[0].verb, "open");
            EXPECT_EQ(shell[0].parameters, "");
        } else {
            EXPECT_TRUE(shell.empty()) << c.text;
        }
        // The viewer leaves a program alone: the page stays, nothing is asked.
        EXPECT_EQ(View().CurrentFile(), Path("baglantilar.htm")) << c.text;
        EXPECT_TRUE(dialogs.Calls("message").empty()) << c.text;
    }
}

TEST_F(HtmlPanelTest, BackAndForwardFollowTheHistory) {
    Load("index.htm");
    panel->UpdateCommands(true);
    EXPECT_FALSE(panel->BackButton->Enabled());
    EXPECT_FALSE(panel->FwdButton->Enabled());

    ClickText("ikinci");
    ClickText("ucuncu");
    ASSERT_EQ(View().CurrentFile(), Path("sayfa3.htm"));
    panel->UpdateCommands(true);
    EXPECT_TRUE(panel->BackButton->Enabled());
    EXPECT_FALSE(panel->FwdButton->Enabled());

    ClickButton(*panel->BackButton);
    EXPECT_EQ(View().CurrentFile(), Path("sayfa2.htm"));
    panel->UpdateCommands(true);
    EXPECT_TRUE(panel->BackButton->Enabled());
    EXPECT_TRUE(panel->FwdButton->Enabled());

    ClickButton(*panel->FwdButton);
    EXPECT_EQ(View().CurrentFile(), Path("sayfa3.htm"));
    ClickButton(*panel->BackButton);
    ClickButton(*panel->BackButton);
    EXPECT_EQ(View().CurrentFile(), Path("index.htm"));
    panel->UpdateCommands(true);
    EXPECT_FALSE(panel->BackButton->Enabled());
    EXPECT_TRUE(panel->FwdButton->Enabled());
    // The name bar keeps the file clicked in the list.
    EXPECT_EQ(panel->DosyaAdi->Caption(), " Ana Sayfa");

    // A new file from the list starts with an empty history.
    Load("basliksiz.htm");
    panel->UpdateCommands(true);
    EXPECT_FALSE(panel->BackButton->Enabled());
    EXPECT_FALSE(panel->FwdButton->Enabled());
    EXPECT_TRUE(dialogs.Calls("message").empty());
}

TEST_F(HtmlPanelTest, GeriToAPageThatWentAwayTellsAndStays) {
    const std::string first = folder->File("gidecek.htm", "<p><a href=\"kalan.htm\">kalan</a></p>");
    folder->File("kalan.htm", "<p>kalan sayfa</p>");
    Load("gidecek.htm");
    ClickText("kalan");
    ASSERT_EQ(View().CurrentFile(), Path("kalan.htm"));
    ASSERT_TRUE(DeleteFileA(first.c_str()));
    panel->UpdateCommands(true);
    ASSERT_TRUE(panel->BackButton->Enabled());
    ClickButton(*panel->BackButton);
    const auto boxes = dialogs.Calls("message");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Can't locate file: " + first + ".");
    EXPECT_EQ(View().CurrentFile(), Path("kalan.htm"));
    EXPECT_EQ(View().HistoryIndex(), 0);
}

TEST_F(HtmlPanelTest, CommandsAreEnabledOnlyForHtmlFiles) {
    Load("index.htm");
    panel->UpdateCommands(true);
    EXPECT_EQ(CommandStates(), std::vector<bool>(4, true));
    ASSERT_TRUE(panel->LoadPicture(Path("resim.bmp")));
    panel->UpdateCommands(false);
    EXPECT_EQ(CommandStates(), std::vector<bool>(4, false));

    // Disabled, the keys are claimed and do nothing.
    View().SetFocus();
    PressKey(View().Handle(), 'A', true);
    PressKey(View().Handle(), 'S', true);
    EXPECT_TRUE(dialogs.Calls().empty());
    EXPECT_EQ(View().SelLength(), 0);
    // The idle update of every action list keeps them so.
    tk::UpdateActionLists();
    EXPECT_EQ(CommandStates(), std::vector<bool>(4, false));

    Load("index.htm");
    panel->UpdateCommands(true);
    EXPECT_EQ(CommandStates(), std::vector<bool>(4, true));
}

TEST_F(HtmlPanelTest, FindThroughTheMenuKeyAndNotFoundBox) {
    Load("index.htm");
    panel->UpdateCommands(true);
    View().SetFocus();
    PressKey(View().Handle(), 'A', true);
    const auto finds = dialogs.Calls("find");
    ASSERT_EQ(finds.size(), 1u);
    // Down only; the user sees the text and the match-case box.
    EXPECT_EQ(finds[0].flags, static_cast<UINT>(FR_DOWN | FR_HIDEUPDOWN | FR_HIDEWHOLEWORD));
    ASSERT_NE(dialogs.Find(), nullptr);

    // With the case matched the capitals are not on the page.
    dialogs.Clear();
    dialogs.Find()->FindNext({"METIN", true, true, false});
    ASSERT_EQ(dialogs.Calls("message").size(), 1u);
    EXPECT_EQ(dialogs.Calls("message")[0].text, "Başka bulunamadı. \"METIN\"");
    EXPECT_EQ(dialogs.Calls("message")[0].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(View().SelLength(), 0);

    // Ignoring case it is found and selected, the caret at its end.
    dialogs.Clear();
    dialogs.Find()->FindNext({"METIN", true, false, false});
    EXPECT_TRUE(dialogs.Calls().empty());
    EXPECT_EQ(View().SelLength(), -5);
    EXPECT_EQ(View().SelectedText(), "metin");
    // Nothing after it: the box, and the selection stays.
    dialogs.Find()->FindNext({"metin", true, false, false});
    ASSERT_EQ(dialogs.Calls("message").size(), 1u);
    EXPECT_EQ(dialogs.Calls("message")[0].text, "Başka bulunamadı. \"metin\"");
    EXPECT_EQ(View().SelectedText(), "metin");
    dialogs.Clear();

    // A second Ara keeps the one dialog.
    PressKey(View().Handle(), 'A', true);
    EXPECT_TRUE(dialogs.Calls("find").empty());
}

TEST_F(HtmlPanelTest, ContextMenuOnTheRightButtonAndUnderDuzenle) {
    Load("index.htm");
    panel->UpdateCommands(true);
    const POINT p = TextPoint("duz");
    POINT screen = p;
    ClientToScreen(View().SurfaceHandle(), &screen);
    SetCursorPos(screen.x, screen.y);
    dialogs.AnswerPopup("HepsiniSec1");
    Post(WM_RBUTTONDOWN, MK_RBUTTON, p);
    Post(WM_RBUTTONUP, 0, p);
    Pump(30);
    auto popups = dialogs.Calls("popup");
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0].items, (std::vector<std::string>{"Ara1", "Kopyala1", "N1", "HepsiniSec1"}));
    EXPECT_EQ(popups[0].owner, View().Handle());
    EXPECT_GT(View().SelLength(), 0);

    // Düzenle opens it just under the button.
    dialogs.Clear();
    tk::SetClipboardText("önceki");
    dialogs.AnswerPopup("Kopyala1");
    bool pressedWhileOpen = false;
    dialogs.WhilePopupOpen = [&] { pressedWhileOpen = panel->Duzen->MenuOpen(); };
    ClickButton(*panel->Duzen);
    dialogs.WhilePopupOpen = nullptr;
    EXPECT_TRUE(pressedWhileOpen) << "drawn pressed while its menu is open";
    EXPECT_FALSE(panel->Duzen->MenuOpen());
    popups = dialogs.Calls("popup");
    ASSERT_EQ(popups.size(), 1u);
    const RECT button = panel->Duzen->ScreenRect();
    EXPECT_EQ(popups[0].at.x, button.left - 2);
    EXPECT_EQ(popups[0].at.y, button.bottom + 1);
    EXPECT_EQ(tk::ClipboardText().substr(0, 9), "duz metin");

    // Ctrl+S and Ctrl+C reach the menu's commands from the viewer.
    View().SetFocus();
    Post(WM_LBUTTONDOWN, MK_LBUTTON, p);
    Post(WM_LBUTTONUP, 0, p);
    Pump(20);
    EXPECT_EQ(View().SelLength(), 0);
    PressKey(View().Handle(), 'S', true);
    EXPECT_GT(View().SelLength(), 0);
    tk::SetClipboardText("önceki");
    PressKey(View().Handle(), 'C', true);
    EXPECT_EQ(tk::ClipboardText().substr(0, 9), "duz metin");
}

TEST_F(HtmlPanelTest, StatusLinkFollowsTheMouse) {
    std::vector<std::string> shown;
    panel->OnStatusLink = [&](const std::string& url) { shown.push_back(url); };
    Load("index.htm");
    Post(WM_MOUSEMOVE, 0, TextPoint("ikinci"));
    Pump(20);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), "sayfa2.htm");
    Post(WM_MOUSEMOVE, 0, TextPoint("posta"));
    Pump(20);
    EXPECT_EQ(shown.back(), "MailTo:ali@example.com");
    Post(WM_MOUSEMOVE, 0, TextPoint("metin"));
    Pump(20);
    EXPECT_EQ(shown.back(), "");
    // The mouse leaves the view over a link: no move comes, the status empties all the same.
    SetCursorPos(0, 0);
    Post(WM_MOUSEMOVE, 0, TextPoint("ikinci"));
    Pump(20);
    EXPECT_EQ(shown.back(), "sayfa2.htm");
    Pump(500);
    EXPECT_EQ(shown.back(), "");
    // Another file shown while a link is under the mouse.
    Post(WM_MOUSEMOVE, 0, TextPoint("ikinci"));
    Pump(20);
    EXPECT_EQ(shown.back(), "sayfa2.htm");
    Load("index.htm");
    EXPECT_EQ(shown.back(), "");
}

// A selection of `length` characters made with the mouse from the first
// character to the last (forward) or back (backward), scrolling with the
// wheel while the button is held; returns the selection's SelLength.
class HtmlPanelCopyTest : public HtmlPanelTest {
protected:
    void LoadLength(size_t length) {
        // The document may count a position more or less than the text has.
        const std::string name = "uzun" + std::to_string(length) + ".htm";
        folder->File(name, LongPage(length));
        Load(name);
        View().SelectAll();
        const int32_t all = View().SelLength();
        if (all != static_cast<int32_t>(length)) {
            folder->File(name, LongPage(length - (static_cast<size_t>(all) - length)));
            View().Clear();
            Load(name);
            View().SelectAll();
        }
        ASSERT_EQ(View().SelLength(), static_cast<int32_t>(length));
    }
    // The first character's left edge, and far right on the last line.
    POINT StartPoint() {
        View().SetPosition(0);
        return TextPoint("a", -1);
    }
    POINT EndPoint() {
        TSectionList& doc = View().Document();
        View().SetPosition(View().MaxVertical());
        int32_t all = 0;
        {
            View().SelectAll();
            all = View().SelLength();
        }
        int32_t x = 0, y = 0;
        EXPECT_TRUE(doc.CaretPosToXY(all - 1, x, y));
        return POINT{View().SurfaceWidth() - 3, y - View().Position() + 5};
    }
    void Drag(bool forward) {
        const POINT end = EndPoint();
        const POINT start = StartPoint();
        const POINT from = forward ? start : end;
        const POINT to = forward ? end : start;
        View().SetPosition(forward ? 0 : View().MaxVertical());
        Post(WM_MOUSEMOVE, 0, from);
        Post(WM_LBUTTONDOWN, MK_LBUTTON, from);
        Pump(20);
        View().SetPosition(forward ? View().MaxVertical() : 0); // the wheel, turned while dragging
        Post(WM_MOUSEMOVE, MK_LBUTTON, to);
        Post(WM_LBUTTONUP, 0, to);
        Pump(30);
    }
};

TEST_F(HtmlPanelCopyTest, LongSelectionsAskBeforeCopying) {
    panel->UpdateCommands(true);
    for (size_t length : {32001u, 32000u}) {
        LoadLength(length);
        panel->UpdateCommands(true);
        for (bool forward : {true, false}) {
            SCOPED_TRACE(std::to_string(length) + (forward ? " forward" : " backward"));
            Drag(forward);
            const int32_t expected = forward ? -static_cast<int32_t>(length) : static_cast<int32_t>(length);
            ASSERT_EQ(View().SelLength(), expected);
            const std::vector<bool> answers =
                length > 32000 ? std::vector<bool>{false, true} : std::vector<bool>{true};
            for (bool ok : answers) {
                dialogs.Clear();
                tk::SetClipboardText("önceki");
                if (length > 32000) dialogs.AnswerMessage(ok ? IDOK : IDCANCEL);
                panel->PopupMenu2->Find("Kopyala1")->Click();
                const auto boxes = dialogs.Calls("message");
                if (length > 32000) {
                    ASSERT_EQ(boxes.size(), 1u);
                    EXPECT_EQ(boxes[0].text, "Seçilen alan çok büyük olduğundan eksik olarak alınabilir.");
                    EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OKCANCEL | MB_ICONWARNING));
                } else {
                    EXPECT_TRUE(boxes.empty());
                }
                const std::string copied = tk::ClipboardText();
                if (ok) {
                    EXPECT_EQ(copied.substr(0, 9), "aaaaaaaaa");
                    EXPECT_GE(copied.size(), 32000u);
                } else {
                    EXPECT_EQ(copied, "önceki"); // Cancel copies nothing
                }
            }
        }
    }
}
