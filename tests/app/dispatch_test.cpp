// The viewer dispatch on the real forms with the default extension table: a
// click on a file opens it in the panel of its kind, edits are written to the
// file each panel holds, a failed save keeps the edits until the user drops
// them, the viewers follow the list when their file goes (a document with
// edits stays until the user decides) and go along when the program renames
// or moves it, the session's end saves first, dropped files open.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

#include "app/options_form.h"
#include "app/startup.h"
#include "app/viewer_dispatch.h"
#include "explorer/shell_utils.h"
#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"

using namespace velmora::app;
using testing_support::PressKey;
using testing_support::Pump;
using testing_support::PumpUntil;
using testing_support::ReadFileText;
using testing_support::ScriptedDialogs;
using testing_support::TempFolder;
using testing_support::WindowsPath;
namespace explorer = velmora::explorer;
namespace html = velmora::html;

namespace {

void SetReadOnly(const std::string& path, bool readOnly) {
    SetFileAttributesA(path.c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

const char* const kRtf =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Mektup {\\b kal\\'fdn} metin\\par}";

// DROPFILES with wide names, double-NUL ended.
HGLOBAL MakeWideDrop(const std::wstring& name) {
    const size_t size = sizeof(DROPFILES) + (name.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), name.c_str(),
                (name.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    return memory;
}

// The real forms, with the program's default extension table in AppDir\ini.
class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetCurrentDirectoryA(MAX_PATH, startFolder_);
        app_.Folder("ini");
        ASSERT_TRUE(CopyFileA(WindowsPath(VELMORA_DEFAULT_TABLE).c_str(),
                              (app_.Path() + "ini\\sec.ini").c_str(), FALSE));
        forms_ = CreateForms();
        Main().AppDir = app_.Path();
        ShowMainForm(*forms_);
        Pump();
        dialogs_.Clear();
    }
    void TearDown() override {
        // Nothing modified is left for the close step to write.
        Main().TextPanel->RichEdit1->SetModified(false);
        Main().HexPanel->HexEditor1->SetModified(false);
        forms_.reset();
        SetCurrentDirectoryA(startFolder_);
    }
    TForm1& Main() { return *forms_->form1; }
    TForm2& Options() { return forms_->Options(); }
    TTextPanel& Text() { return *Main().TextPanel; }
    THexPanel& Hex() { return *Main().HexPanel; }

    // The list shows the folder; the file is clicked as the list reports a click.
    void Click(const std::string& path) {
        explorer::TFileListView& list = *Main().FileListView1;
        std::string folder = path.substr(0, path.find_last_of('\\') + 1);
        if (_stricmp(list.Directory().c_str(), folder.c_str()) != 0 &&
            _stricmp((list.Directory() + "\\").c_str(), folder.c_str()) != 0) {
            Main().DirTree1->SetSelectedPath(folder);
            Main().Refresh();
        }
        list.SetSelectedFile(path);
        Main().FileListClick();
        Pump(20);
    }
    // A click on a file another program holds open without sharing: it cannot be read.
    void ClickLocked(const std::string& path) {
        HANDLE exclusive = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
        Click(path);
        CloseHandle(exclusive);
    }
    // A real click on the row of the list, posted as the mouse would.
    void ClickRow(const std::string& caption) {
        explorer::TFileListView& list = *Main().FileListView1;
        int row = -1;
        for (int i = 0; i < list.RowCount(); ++i)
            if (list.Row(i).caption == caption) row = i;
        ASSERT_GE(row, 0) << caption;
        ListView_EnsureVisible(list.Handle(), row, FALSE);
        RECT r{};
        r.left = LVIR_LABEL;
        ASSERT_TRUE(SendMessageA(list.Handle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r)));
        LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
        PostMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list.Handle(), WM_LBUTTONUP, 0, at);
        Pump(60);
    }
    void Type(const std::string& text) {
        Text().RichEdit1->SetSel(0, 0);
        Text().RichEdit1->SetSelText(text);
    }
    void ChangeFirstByte(uint8_t value) {
        auto& doc = Hex().HexEditor1->Document();
        uint8_t old = 0;
        doc.Seek(0, 0, true);
        std::string bytes = ReadFileText(Hex().FileName());
        if (!bytes.empty()) old = static_cast<uint8_t>(bytes[0]);
        doc.ChangeByte(old, value, 0);
    }
    std::vector<std::string> Messages() const { return dialogs_.Texts("message"); }
    bool Checked(const char* action) { return Main().MainActionList.Get(action).Checked(); }

    ScriptedDialogs dialogs_;
    TempFolder app_;
    TempFolder files_;
    std::unique_ptr<Forms> forms_;
    char startFolder_[MAX_PATH] = {};
};

TEST_F(DispatchTest, TextAndRtfOpenInTheTextPanelByTheirExtension) {
    std::string readme = files_.File("readme.TXT", "satır bir\r\nikinci satır\r\n");
    std::string letter = files_.File("letter.RTF", kRtf);
    ASSERT_FALSE(Text().RichEdit1->Enabled()) << "disabled until a text is loaded";

    Click(readme);
    EXPECT_TRUE(Text().Visible());
    EXPECT_FALSE(Hex().Visible());
    EXPECT_FALSE(Main().HtmlPanel->Visible());
    EXPECT_TRUE(Checked("MetinEditoru"));
    EXPECT_EQ(Main().Session.ViewerKind, TViewerKind::vkText);
    EXPECT_EQ(Main().Session.CurrentFile, readme);
    EXPECT_TRUE(Text().PlainTextMode());
    EXPECT_TRUE(Text().RichEdit1->Enabled());
    EXPECT_FALSE(Text().RichEdit1->ReadOnly());
    EXPECT_FALSE(Text().RichEdit1->Modified());
    EXPECT_EQ(Text().RichEdit1->Line(1), "ikinci satır");
    EXPECT_EQ(Text().TextDosyaadi->Caption(), "readme.TXT");
    EXPECT_EQ(Text().TextDosyaadi->Hint(), files_.Path());

    Click(letter);
    EXPECT_FALSE(Text().PlainTextMode()) << "'.RTF' is read as rich text whatever its letter case";
    EXPECT_EQ(Text().RichEdit1->Line(0), "Mektup kalın metin");
    EXPECT_EQ(Text().FileName(), letter);

    // A read-only file opens read-only.
    std::string locked = files_.File("kilitli.txt", "dokunma");
    SetReadOnly(locked, true);
    Click(locked);
    EXPECT_TRUE(Text().RichEdit1->ReadOnly());
    SetReadOnly(locked, false);
    EXPECT_TRUE(Messages().empty());
}

// A 2x2 24-bit picture.
std::string TinyBmp() {
    return testing_support::BmpBytes(2, 2, RGB(0, 0, 0));
}

TEST_F(DispatchTest, PagesAndPicturesShareTheHtmlPanel) {
    THtmlPanel& html = *Main().HtmlPanel;
    std::string page = files_.File("index.HTM", "<html><head><title>Ana Sayfa</title></head><body>"
                                                "<p>Giriş <a href=\"b.htm\">öteki</a></p></body></html>");
    std::string picture = files_.File("resim.bmp", TinyBmp());
    auto commands = [&] {
        tk::Application().Idle();
        return std::vector<bool>{html.Duzen->Enabled(), html.PopupMenu2->Find("Ara1")->Enabled(),
                                 html.PopupMenu2->Find("Kopyala1")->Enabled(),
                                 html.PopupMenu2->Find("HepsiniSec1")->Enabled()};
    };
    const std::vector<bool> none(4, false), all(4, true);
    EXPECT_EQ(commands(), none) << "disabled at start";

    Click(page);
    EXPECT_TRUE(html.Visible());
    EXPECT_FALSE(Text().Visible());
    EXPECT_FALSE(Hex().Visible());
    EXPECT_TRUE(html.Panel4->Visible());
    EXPECT_TRUE(Checked("HtmlveResimEditoru"));
    EXPECT_EQ(Main().Session.ViewerKind, TViewerKind::vkHtml);
    EXPECT_EQ(Main().Session.CurrentFile, page);
    EXPECT_EQ(html.DosyaAdi->Caption(), " Ana Sayfa");
    EXPECT_EQ(html.DosyaAdi->Hint(), files_.Path());
    EXPECT_EQ(html.htmlView->HistoryMaxCount(), 6);
    EXPECT_EQ(commands(), all);

    Click(picture);
    EXPECT_TRUE(html.Visible());
    EXPECT_FALSE(html.Panel4->Visible()) << "a picture hides the strip";
    EXPECT_EQ(html.DosyaAdi->Caption(), "resim.bmp");
    EXPECT_EQ(Main().Session.ViewerKind, TViewerKind::vkPicture);
    EXPECT_EQ(commands(), none);

    Click(page);
    EXPECT_TRUE(html.Panel4->Visible());
    EXPECT_EQ(commands(), all);
    Click(files_.File("bilinmez.qqq", "?"));
    EXPECT_EQ(commands(), none) << "an unknown extension leaves the kind unknown";
    EXPECT_EQ(html.FileName(), page) << "and the page in its panel";

    // The bar with a title opens the folder and selects nothing.
    TempFolder elsewhere;
    Main().DirTree1->SetSelectedPath(elsewhere.Path());
    Main().Refresh();
    Main().FileListView1->SetSelectedFile("");
    html.DosyaAdi->OnClick();
    Pump();
    std::string shown = Main().FileListView1->Directory();
    if (shown.back() != '\\') shown += '\\';
    EXPECT_EQ(_stricmp(shown.c_str(), files_.Path().c_str()), 0) << shown;
    EXPECT_LT(Main().FileListView1->SelectedIndex(), 0);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DispatchTest, APageThatCannotBeReadChangesNoPanel) {
    std::string a = files_.File("a.txt", "metin");
    Click(a);
    std::string page = files_.File("kilitli.htm", "<p>x</p>");
    ClickLocked(page);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Text().Visible());
    EXPECT_FALSE(Main().HtmlPanel->Visible());
    EXPECT_EQ(Main().Session.CurrentFile, a);
}

TEST_F(DispatchTest, TheLinkUnderTheMouseShowsInTheStatusLine) {
    std::string page =
        files_.File("sayfa.htm", "<p><a href=\"http://ornek.com.tr/\">bağlantı</a></p><p>düz</p>");
    Click(page);
    html::THtmlView& view = *Main().HtmlPanel->htmlView;
    auto pointOf = [&](const char* text) {
        auto& doc = view.Document();
        int32_t pos = doc.SearchText(text, true, 0), x = 0, y = 0;
        EXPECT_TRUE(doc.CaretPosToXY(pos, x, y));
        return MAKELPARAM(x + view.OriginX() + 2, y - view.Position() + 5);
    };
    PostMessageA(view.SurfaceHandle(), WM_MOUSEMOVE, 0, pointOf("bağlantı"));
    Pump(50);
    EXPECT_EQ(Main().StatusBar1->PanelText(2), "http://ornek.com.tr/");
    PostMessageA(view.SurfaceHandle(), WM_MOUSEMOVE, 0, pointOf("düz"));
    Pump(50);
    EXPECT_EQ(Main().StatusBar1->PanelText(2), "");
}

TEST_F(DispatchTest, ARealClickOnARowOpensItsFile) {
    files_.File("notlar.txt", "tıklanan");
    Main().DirTree1->SetSelectedPath(files_.Path());
    Main().Refresh();
    Pump();
    ClickRow("notlar.txt");
    EXPECT_EQ(Main().Session.CurrentFile, files_.Path() + "notlar.txt");
    EXPECT_EQ(Text().RichEdit1->PlainText(), "tıklanan");
}

TEST_F(DispatchTest, UnknownExtensionsFoldersAndVanishedFilesChangeNothing) {
    std::string readme = files_.File("readme.txt", "metin");
    Click(readme);
    const std::string status = Main().StatusBar1->PanelText(0);

    Click(files_.File("paket.xyz", "?"));
    EXPECT_TRUE(Text().Visible());
    EXPECT_EQ(Text().FileName(), readme);
    EXPECT_EQ(Main().Session.CurrentFile, readme);
    EXPECT_EQ(Main().Session.ViewerKind, TViewerKind::vkNone);
    EXPECT_EQ(Main().StatusBar1->PanelText(0), status);

    Click(files_.Folder("klasor.txt"));
    Click(files_.Path() + "silinmis.txt");
    EXPECT_EQ(Text().FileName(), readme);
    EXPECT_EQ(Text().RichEdit1->PlainText(), "metin");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DispatchTest, EditsAreWrittenWithoutAQuestionWhenTheWarningIsOff) {
    ASSERT_FALSE(Options().SaveWarning());
    std::string a = files_.File("a.txt", "birinci");
    std::string b = files_.File("b.txt", "ikinci");
    Click(a);
    Type("yeni ");
    ASSERT_TRUE(Text().RichEdit1->Modified());
    Click(b);
    EXPECT_EQ(ReadFileText(a), "yeni birinci");
    EXPECT_EQ(ReadFileText(b), "ikinci");
    EXPECT_EQ(Text().FileName(), b);
    EXPECT_TRUE(Messages().empty());

    // An RTF document goes back as RTF.
    std::string letter = files_.File("letter.rtf", kRtf);
    Click(letter);
    Type("X");
    Click(a);
    EXPECT_EQ(ReadFileText(letter).rfind("{\\rtf", 0), 0u) << ReadFileText(letter);
    EXPECT_NE(ReadFileText(letter).find("XMektup"), std::string::npos);
}

TEST_F(DispatchTest, WithTheWarningOnTheUserDecides) {
    Options().KayitCheck->Click(); // the session's save warning on
    std::string a = files_.File("a.txt", "birinci");
    std::string b = files_.File("b.txt", "ikinci");
    Click(a);
    Type("evet ");
    dialogs_.AnswerMessage(IDYES);
    Click(b);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], a + " dosya kaydedilsin mi?");
    EXPECT_EQ(ReadFileText(a), "evet birinci");

    dialogs_.Clear();
    Type("hayır ");
    dialogs_.AnswerMessage(IDNO);
    Click(a);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(ReadFileText(b), "ikinci") << "No discards the edits";
    EXPECT_EQ(Text().FileName(), a);
}

TEST_F(DispatchTest, HexEditsAreAskedForAndTheHexPanelEmptiedAfterEitherAnswer) {
    Options().KayitCheck->Click(); // the session's save warning on
    std::string data = files_.File("veri.bin", std::string("\x01\x02\x03\x04", 4));
    Click(data);
    EXPECT_TRUE(Hex().Visible());
    EXPECT_FALSE(Text().Visible());
    EXPECT_TRUE(Checked("HexEditoru"));
    EXPECT_EQ(Hex().HexDosyaAdi->Caption(), "veri.bin");
    EXPECT_EQ(Hex().HexDosyaAdi->Hint(), files_.Path());
    EXPECT_EQ(Hex().HexEditor1->DataSize(), 4);
    EXPECT_FALSE(Hex().HexEditor1->Modified());

    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        if (answer == IDYES) Click(data);
        ChangeFirstByte(0x7F);
        ASSERT_TRUE(Hex().Modified());
        dialogs_.Clear();
        dialogs_.AnswerMessage(answer);
        Main().MainActionList.Get("MetinEditoru").Execute();
        Pump(20);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0], data + " dosya kaydedilsin mi?");
        EXPECT_EQ(ReadFileText(data)[0], answer == IDYES ? '\x7F' : '\x01');
        EXPECT_EQ(Hex().HexEditor1->DataSize(), 0);
        EXPECT_EQ(Hex().FileName(), "");
        EXPECT_EQ(Hex().HexDosyaAdi->Caption(), "");
        EXPECT_EQ(Main().Session.CurrentFile, "");
        EXPECT_TRUE(Text().Visible());
        EXPECT_TRUE(Checked("MetinEditoru"));
    }
}

TEST_F(DispatchTest, AFailedSaveKeepsTheEditsAndStopsTheDispatch) {
    std::string a = files_.File("a.txt", "eski");
    std::string b = files_.File("b.txt", "öteki");
    Click(a);
    Type("kalsın ");
    SetReadOnly(a, true); // made read-only behind the program's back
    dialogs_.AnswerMessage(IDOK);
    dialogs_.AnswerMessage(IDNO); // the edits are kept
    Click(b);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_NE(Messages()[0].find(a), std::string::npos) << Messages()[0];
    EXPECT_EQ(Messages()[1], FailedSaveQuestion(a));
    EXPECT_EQ(ReadFileText(a), "eski");
    EXPECT_EQ(Text().FileName(), a) << "the dispatch did not go on";
    EXPECT_TRUE(Text().RichEdit1->Modified());
    EXPECT_EQ(Text().RichEdit1->PlainText(), "kalsın eski");
    EXPECT_EQ(Main().Session.CurrentFile, a);

    // Neither does the close step let the window go.
    dialogs_.AnswerMessage(IDOK);
    dialogs_.AnswerMessage(IDNO);
    bool canClose = true;
    Main().OnCloseQuery(canClose);
    EXPECT_FALSE(canClose);

    // The next attempt writes.
    SetReadOnly(a, false);
    Click(b);
    EXPECT_EQ(ReadFileText(a), "kalsın eski");
    EXPECT_EQ(Text().FileName(), b);

    // The same for the hex document.
    std::string data = files_.File("veri.bin", "ABCD");
    Click(data);
    ChangeFirstByte('Z');
    SetReadOnly(data, true);
    dialogs_.Clear();
    dialogs_.AnswerMessage(IDOK);
    dialogs_.AnswerMessage(IDNO);
    Click(b);
    EXPECT_EQ(Messages().size(), 2u);
    EXPECT_TRUE(Hex().Modified()) << "the hex document stays open and modified";
    EXPECT_EQ(Hex().FileName(), data);
    EXPECT_EQ(ReadFileText(data), "ABCD");
    SetReadOnly(data, false);
    Click(b);
    EXPECT_EQ(ReadFileText(data), "ZBCD");
    EXPECT_EQ(Hex().FileName(), "");
}

TEST_F(DispatchTest, EachPanelWritesOnlyToTheFileItHolds) {
    std::string a = files_.File("a.txt", "metin");
    std::string data = files_.File("veri.bin", "0123");
    std::string c = files_.File("c.txt", "üçüncü");
    Click(a);
    Click(data); // CurrentFile is now the binary
    Main().MainActionList.Get("MetinEditoru").Execute();
    Pump(20);
    EXPECT_EQ(Text().FileName(), a) << "the panel shows what it held";
    Type("değişti ");
    Click(c);
    EXPECT_EQ(ReadFileText(a), "değişti metin");
    EXPECT_EQ(ReadFileText(data), "0123");
    EXPECT_EQ(ReadFileText(c), "üçüncü");
}

TEST_F(DispatchTest, AHexLoadRefusedTellsWhy) {
    std::string data = files_.File("kilit.bin", "1234");
    ClickLocked(data);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find(data), std::string::npos) << Messages()[0];
    EXPECT_EQ(Hex().FileName(), "");
    EXPECT_FALSE(Hex().Modified());
}

TEST_F(DispatchTest, DeletingTheShownFileEmptiesItsViewer) {
    std::string page = files_.File("sayfa.htm", "<p>kalacak</p>");
    std::string a = files_.File("a.txt", "gidecek");
    Click(page);
    Click(a);
    ASSERT_TRUE(DeleteFileA(a.c_str()));
    Main().FileListView1->UpdateFileList();
    PumpUntil([&] { return Text().FileName().empty(); }, 2000);
    EXPECT_EQ(Text().FileName(), "");
    EXPECT_FALSE(Text().RichEdit1->Enabled());
    EXPECT_EQ(Text().RichEdit1->PlainText(), "");
    EXPECT_EQ(Text().TextDosyaadi->Caption(), "");
    EXPECT_EQ(Text().TextDosyaadi->Hint(), "");
    EXPECT_EQ(Main().Session.CurrentFile, "");
    EXPECT_EQ(Main().Session.ViewerKind, TViewerKind::vkNone);
    EXPECT_EQ(Main().HtmlPanel->FileName(), page) << "the page is still there";

    ASSERT_TRUE(DeleteFileA(page.c_str()));
    Main().FileListView1->UpdateFileList();
    PumpUntil([&] { return Main().HtmlPanel->FileName().empty(); }, 2000);
    EXPECT_EQ(Main().HtmlPanel->FileName(), "");
    EXPECT_EQ(Main().HtmlPanel->DosyaAdi->Caption(), "");
    EXPECT_EQ(Main().HtmlPanel->htmlView->History().Count(), 0);
}

TEST_F(DispatchTest, ListingAgainKeepsAnEditedTextWhoseFileIsThere) {
    // After the hex save the shared current file is empty; the text panel's
    // edits of its own, existing file must survive the list's next refresh.
    std::string a = files_.File("a.txt", "metin");
    std::string data = files_.File("veri.bin", "0123");
    Click(a);
    Click(data);
    ChangeFirstByte('9');
    Main().MainActionList.Get("MetinEditoru").Execute();
    Pump(20);
    ASSERT_EQ(Main().Session.CurrentFile, "");
    Type("sakla ");
    Main().FileListView1->UpdateFileList();
    Pump(100);
    EXPECT_EQ(Text().FileName(), a);
    EXPECT_TRUE(Text().RichEdit1->Modified());
    EXPECT_EQ(Text().RichEdit1->PlainText(), "sakla metin");
}

TEST_F(DispatchTest, ANameBarClickShowsTheFileInTheList) {
    std::string a = files_.File("Belge.txt", "x");
    files_.File("diger.txt", "y");
    Click(a);
    TempFolder elsewhere;
    Main().DirTree1->SetSelectedPath(elsewhere.Path());
    Main().Refresh();
    ASSERT_NE(_stricmp(Main().FileListView1->Directory().c_str(), files_.Path().c_str()), 0);

    Text().TextDosyaadi->OnClick();
    Pump();
    explorer::TFileListView& list = *Main().FileListView1;
    std::string shown = list.Directory();
    if (shown.back() != '\\') shown += '\\';
    EXPECT_EQ(_stricmp(shown.c_str(), files_.Path().c_str()), 0) << shown;
    EXPECT_EQ(list.SelectedFile(), a);
    ASSERT_GE(list.SelectedIndex(), 0);
    EXPECT_EQ(list.Row(list.SelectedIndex()).caption, "Belge.txt");
}

TEST_F(DispatchTest, ThePanelButtonsShowWhatThePanelsHeld) {
    std::string a = files_.File("a.txt", "metin");
    std::string data = files_.File("veri.bin", "0123");
    Click(data);
    Click(a);
    Main().MainActionList.Get("HexEditoru").Execute();
    Pump(20);
    EXPECT_TRUE(Hex().Visible());
    EXPECT_FALSE(Text().Visible());
    EXPECT_EQ(Hex().FileName(), data);
    EXPECT_TRUE(Checked("HexEditoru"));
    EXPECT_FALSE(Checked("MetinEditoru"));
    Main().MainActionList.Get("HtmlveResimEditoru").Execute();
    Pump(20);
    EXPECT_TRUE(Main().HtmlPanel->Visible());
    EXPECT_FALSE(Hex().Visible());
    EXPECT_EQ(Main().Session.CurrentFile, a) << "nothing is loaded";
}

TEST_F(DispatchTest, CtrlBFromTheListAppliesTheBoldButtonToTheText) {
    Click(files_.File("a.txt", "kalın olacak"));
    Text().RichEdit1->SetSel(0, 5);
    Main().MainActionList.Get("Bold").SetChecked(true);
    Main().FileListView1->SetFocus();
    PressKey(Main().FileListView1->Handle(), 'B', true);
    Text().RichEdit1->SetSel(0, 5);
    EXPECT_TRUE(Text().RichEdit1->SelAttributes().bold);
    EXPECT_TRUE(Text().RichEdit1->Modified());
}

// Every shortcut pressed with the focus in each control: the command that
// claims it (the focused control's menu, then the main menu, then the action
// list), or none, and then the key is the control's own.
TEST_F(DispatchTest, EachShortcutReachesTheCommandOfTheFocusedControl) {
    const std::string text = files_.File("a.txt", "metin");
    const std::string page = files_.File("sayfa.htm", "<p>sayfa</p>");
    const std::string data = files_.File("veri.bin", std::string("\x01\x02", 2));
    const std::string target = files_.Folder("hedef");
    Click(text);
    ASSERT_TRUE(Text().RichEdit1->Enabled());

    // Unclaimed by the menus, Ctrl+V is the list's own key: it pastes the files it holds.
    Click(text);
    explorer::TFileListView& list = *Main().FileListView1;
    for (int i = 0; i < list.RowCount(); ++i)
        list.SetSelected(i, list.Row(i).caption == "a.txt");
    Main().FileOperations1->CutCopy(velmora::explorer::TClipboardMode::cmCopy);
    Main().DirTree1->SetSelectedPath(target);
    Main().Refresh();
    Pump();
    ASSERT_FALSE(list.FileClipboard.empty());
    list.SetFocus();
    PressKey(list.Handle(), 'V', true);
    Pump(100);
    EXPECT_EQ(ReadFileText(target + "a.txt"), "metin");

    // Every command records its name instead of running; all enabled, so a
    // claimed key is seen even where the command would have nothing to do.
    std::vector<std::string> ran;
    auto record = [&ran](tk::TActionList& list, const std::string& prefix) {
        for (auto& action : list.Actions()) {
            action->OnUpdate = nullptr;
            action->SetEnabled(true);
            action->OnExecute = [&ran, name = prefix + action->Name()] { ran.push_back(name); };
        }
    };
    record(Main().MainActionList, "");
    record(Text().TextActions, "text.");
    record(Main().HtmlPanel->HtmlActions, "html.");
    record(Hex().HexActions, "hex.");

    enum Focus { kList, kTree, kEditor, kView, kGrid };
    auto focus = [&](Focus where) -> HWND {
        switch (where) {
        case kList:
            Click(text);
            Main().FileListView1->SetFocus();
            return Main().FileListView1->Handle();
        case kTree:
            Main().DirTree1->SetFocus();
            return Main().DirTree1->Handle();
        case kEditor:
            Click(text);
            Text().RichEdit1->SetFocus();
            return Text().RichEdit1->Handle();
        case kView:
            Click(page);
            Main().HtmlPanel->htmlView->SetFocus();
            return Main().HtmlPanel->htmlView->Handle();
        case kGrid:
            Click(data);
            Hex().HexEditor1->SetFocus();
            return Hex().HexEditor1->Handle();
        }
        return nullptr;
    };
    struct Case {
        const char* key;
        WORD vk;
        bool ctrl;
        // By focus: list, tree, text editor, HTML view, hex grid ("" none, "-" not pressed there).
        const char* command[5];
    };
    const Case cases[] = {
        {"Ctrl+X", 'X', true, {"Kes", "Kes", "text.EditCutAction", "Kes", "Kes"}},
        {"Ctrl+C", 'C', true, {"Kopyala", "Kopyala", "text.EditCopyAction", "html.Kopyala", "Kopyala"}},
        {"Ctrl+P", 'P', true, {"Yapistir", "Yapistir", "Yapistir", "Yapistir", "Yapistir"}},
        {"Ctrl+A",
         'A',
         true,
         {"TumunuSec", "TumunuSec", "text.EditSelectAllAction", "html.Ara", "TumunuSec"}},
        // In the list, its own key's action (no shortcut of any list or menu).
        {"Ctrl+V", 'V', true, {"ItemOpPaste", "", "text.EditPasteAction", "", ""}},
        {"Ctrl+Z", 'Z', true, {"", "", "text.EditUndoAction", "", ""}},
        {"Ctrl+Insert", VK_INSERT, true, {"", "", "EditCopyAction2", "", ""}},
        {"Ctrl+B", 'B', true, {"Bold", "Bold", "Bold", "Bold", "Bold"}},
        {"Ctrl+I", 'I', true, {"Italic", "Italic", "Italic", "Italic", "Italic"}},
        {"Ctrl+U", 'U', true, {"UnderLine", "UnderLine", "UnderLine", "UnderLine", "UnderLine"}},
        {"Ctrl+S", 'S', true, {"", "", "text.Ara", "html.HepsiniSec", ""}},
        {"Ctrl+F", 'F', true, {"-", "", "text.Fontlar", "", "hex.Bul"}},
        {"Ctrl+G", 'G', true, {"", "", "", "", "hex.Git"}},
        {"F3", VK_F3, false, {"-", "-", "", "", "hex.BulDevam"}},
    };
    const char* const focusNames[] = {"list", "tree", "text editor", "HTML view", "hex grid"};
    for (Focus where : {kList, kTree, kEditor, kView, kGrid}) {
        HWND window = focus(where);
        ASSERT_EQ(GetFocus(), window) << focusNames[where];
        for (const Case& c : cases) {
            if (std::strcmp(c.command[where], "-") == 0) continue;
            ran.clear();
            SetFocus(window);
            PressKey(window, c.vk, c.ctrl);
            const std::string expected = c.command[where];
            EXPECT_EQ(ran, expected.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected})
                << c.key << " in the " << focusNames[where];
        }
    }
}

// A drop as the shell hands it over: DROPFILES and the names, ANSI, double-NUL ended.
HGLOBAL MakeDrop(const std::vector<std::string>& names) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const auto& n : names)
        size += n.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* p = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
    for (const auto& n : names) {
        std::memcpy(p, n.c_str(), n.size() + 1);
        p += n.size() + 1;
    }
    *p = 0;
    GlobalUnlock(memory);
    return memory;
}

TEST_F(DispatchTest, ADropOfThreeFilesOpensTheFirstAndShowsItInTheList) {
    std::string first = files_.File("ilk.txt", "birinci dosya");
    std::string second = files_.File("iki.bin", "2");
    std::string third = files_.File("uc.txt", "3");
    TempFolder elsewhere;
    Main().DirTree1->SetSelectedPath(elsewhere.Path());
    Main().Refresh();

    SendMessageA(Main().Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({first, second, third})),
                 0);
    Pump();
    EXPECT_EQ(Main().Session.CurrentFile, first);
    EXPECT_EQ(Text().RichEdit1->PlainText(), "birinci dosya");
    EXPECT_EQ(Hex().FileName(), "") << "only the first file opens";
    explorer::TFileListView& list = *Main().FileListView1;
    ASSERT_GE(list.SelectedIndex(), 0);
    EXPECT_EQ(list.Row(list.SelectedIndex()).caption, "ilk.txt");
    EXPECT_EQ(list.SelectedFile(), first);
    EXPECT_EQ(GetFocus(), list.Handle());
}

// ---- edits are never dropped without the user's word

enum class Doc { Text, Hex };

enum class Operation {
    RenameFileInList,   // F2 on the file's row
    RenameFolderInList, // F2 on its folder's row
    RenameFolderInTree, // the tree's in-place rename of its folder
    CutPasteFile,
    CutPasteFolder,
    DeleteFileInList,   // "Sil" on the file's row
    DeleteFolderInTree, // the tree menu's "Klasör sil"
    DeletedOutside,     // another program deleted it
};

class EditsTest : public DispatchTest {
protected:
    static constexpr const char* kOriginalText = "içerik";
    static constexpr const char* kEditedText = "düzeltme içerik";

    IViewerPanel& Panel(Doc doc) {
        return doc == Doc::Text ? static_cast<IViewerPanel&>(Text()) : static_cast<IViewerPanel&>(Hex());
    }
    const velmora::widgets::TFileNameBar& Bar(Doc doc) {
        return doc == Doc::Text ? *Text().TextDosyaadi : *Hex().HexDosyaAdi;
    }
    static std::string Edited(Doc doc) { return doc == Doc::Text ? kEditedText : "ZBCD"; }
    // What the editor holds now.
    std::string Held(Doc doc) {
        if (doc == Doc::Text) return Text().RichEdit1->PlainText();
        auto& document = Hex().HexEditor1->Document();
        std::string bytes;
        for (int32_t i = 0; i < document.DataSize(); ++i)
            bytes += static_cast<char>(document.ByteAt(i));
        return bytes;
    }
    // Opens the document's file in the folder and edits it.
    std::string OpenEdited(Doc doc, const std::string& folder) {
        std::string path = doc == Doc::Text ? folder + "belge.txt" : folder + "veri.bin";
        PutFile(path, doc == Doc::Text ? kOriginalText : "ABCD");
        Click(path);
        if (doc == Doc::Text)
            Type("düzeltme ");
        else
            ChangeFirstByte('Z');
        return path;
    }
    static void PutFile(const std::string& path, const std::string& bytes) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
        DWORD written = 0;
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
    }
    void ShowFolder(const std::string& folder) {
        Main().DirTree1->SetSelectedPath(folder);
        Main().Refresh();
        Pump();
    }
    void SelectRow(const std::string& caption) {
        explorer::TFileListView& list = *Main().FileListView1;
        int row = -1;
        for (int i = 0; i < list.RowCount(); ++i)
            if (list.Row(i).caption == caption) row = i;
        ASSERT_GE(row, 0) << caption;
        list.SetSelected(-1, false);
        list.SetSelected(row, true);
        list.SetFocusedIndex(row);
    }
    void Execute(const char* action) {
        Main().MainActionList.Get(action).Execute();
        Pump(30);
    }
    // F2 on the row, the new name typed into the caption, Enter.
    void RenameRow(const std::string& caption, const std::string& name) {
        explorer::TFileListView& list = *Main().FileListView1;
        SelectRow(caption);
        list.SetFocus();
        PressKey(list.Handle(), VK_F2, false);
        HWND edit = reinterpret_cast<HWND>(SendMessageA(list.Handle(), LVM_GETEDITCONTROL, 0, 0));
        ASSERT_NE(edit, nullptr);
        SetWindowTextA(edit, name.c_str());
        SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
        SendMessageA(edit, WM_CHAR, VK_RETURN, 0);
        Pump(30);
    }
    // Runs the operation on the file (in base + "Klasör\"); its path afterwards, "" when it is gone.
    std::string Run(Operation operation, const std::string& base, const std::string& file) {
        const std::string name = file.substr(file.find_last_of('\\') + 1);
        const std::string folder = base + "Klasör\\";
        const std::string target = base + "Hedef\\";
        std::string result;
        switch (operation) {
        case Operation::RenameFileInList:
            ShowFolder(folder);
            RenameRow(name, "yeni " + name);
            result = folder + "yeni " + name;
            break;
        case Operation::RenameFolderInList:
            ShowFolder(base);
            RenameRow("Klasör", "Yeni Klasör Adı");
            result = base + "Yeni Klasör Adı\\" + name;
            break;
        case Operation::RenameFolderInTree: {
            Main().DirTree1->OpenPath(folder);
            Execute("KlasorAdiniDegistir"); // the tree menu's "Adını değiştir"
            HWND edit = TreeView_GetEditControl(Main().DirTree1->Handle());
            EXPECT_NE(edit, nullptr);
            SetWindowTextA(edit, "Ağaçta Ad");
            SendMessageA(Main().DirTree1->Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);
            result = base + "Ağaçta Ad\\" + name;
            break;
        }
        case Operation::CutPasteFile:
            ShowFolder(folder);
            SelectRow(name);
            Execute("Kes");
            ShowFolder(target);
            Execute("Yapistir");
            result = target + name;
            break;
        case Operation::CutPasteFolder:
            ShowFolder(base);
            SelectRow("Klasör");
            Execute("Kes");
            ShowFolder(target);
            Execute("Yapistir");
            result = target + "Klasör\\" + name;
            break;
        case Operation::DeleteFileInList:
            ShowFolder(folder);
            SelectRow(name);
            Execute("Sil");
            break;
        case Operation::DeleteFolderInTree:
            Main().DirTree1->OpenPath(folder);
            Execute("KlasorSil");
            break;
        case Operation::DeletedOutside:
            EXPECT_TRUE(DeleteFileA(file.c_str()));
            Main().FileListView1->UpdateFileList();
            break;
        }
        Pump(100); // the look at the shown files after the list's removals
        return result;
    }
};

TEST_F(EditsTest, RenamesAndMovesCarryTheDocumentAVanishedFileKeepsItsEditsUntilTheUserDecides) {
    struct Case {
        const char* what;
        Operation operation;
        bool carried;
        // Gone: the answer after a first İptal. Hayır drops the edits, Evet
        // writes the file there again (or fails where its folder went too,
        // and the edits are then dropped at the second question).
        int answer;
    };
    const Case cases[] = {
        {"F2 on the file's row", Operation::RenameFileInList, true, 0},
        {"F2 on its folder's row", Operation::RenameFolderInList, true, 0},
        {"the tree's rename of its folder", Operation::RenameFolderInTree, true, 0},
        {"cut and paste of the file", Operation::CutPasteFile, true, 0},
        {"cut and paste of its folder", Operation::CutPasteFolder, true, 0},
        {"Sil on the file's row", Operation::DeleteFileInList, false, IDNO},
        {"Klasör sil on its folder", Operation::DeleteFolderInTree, false, IDYES},
        {"deleted by another program", Operation::DeletedOutside, false, IDYES},
    };
    const std::string other = files_.File("diger.txt", "başka");
    int n = 0;
    for (Doc doc : {Doc::Text, Doc::Hex}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(doc == Doc::Text ? "text: " : "hex: ") + c.what);
            const std::string base = files_.Folder("durum" + std::to_string(++n));
            files_.Folder("durum" + std::to_string(n) + "\\Klasör");
            files_.Folder("durum" + std::to_string(n) + "\\Hedef");
            const std::string file = OpenEdited(doc, base + "Klasör\\");
            dialogs_.Clear();
            const std::string moved = Run(c.operation, base, file);
            EXPECT_TRUE(Messages().empty()) << Messages()[0];
            EXPECT_TRUE(Panel(doc).Modified());
            EXPECT_EQ(Held(doc), Edited(doc));
            if (c.carried) {
                EXPECT_EQ(ReadFileText(file), "<missing>");
                EXPECT_EQ(Panel(doc).FileName(), moved);
                EXPECT_EQ(Bar(doc).Caption(), moved.substr(moved.find_last_of('\\') + 1));
                EXPECT_EQ(Bar(doc).Hint(), moved.substr(0, moved.find_last_of('\\') + 1));
                EXPECT_EQ(Main().Session.CurrentFile, moved);
                if (doc == Doc::Hex) {
                    EXPECT_EQ(Hex().HexEditor1->FileName(), moved);
                }
                Click(other);
                EXPECT_TRUE(Messages().empty());
                EXPECT_EQ(ReadFileText(moved), Edited(doc)) << "written at its new place";
                EXPECT_EQ(ReadFileText(file), "<missing>") << "and not at the old one";
                EXPECT_EQ(Main().Session.CurrentFile, other);
                continue;
            }
            EXPECT_EQ(Panel(doc).FileName(), file) << "kept under the name it had";
            EXPECT_EQ(Main().Session.CurrentFile, file);

            // The next dispatch, a panel switch and the close each ask; İptal
            // keeps the document and stops them.
            for (int i = 0; i < 3; ++i)
                dialogs_.AnswerMessage(IDCANCEL);
            Click(other);
            Execute("HtmlveResimEditoru");
            EXPECT_EQ(doc == Doc::Text ? Text().Visible() : Hex().Visible(), true) << "the panel stays";
            bool canClose = true;
            Main().OnCloseQuery(canClose);
            EXPECT_FALSE(canClose);
            ASSERT_EQ(Messages(), std::vector<std::string>(3, VanishedFileQuestion(file)));
            EXPECT_EQ(dialogs_.Calls()[0].caption, "Dikkat!");
            EXPECT_EQ(dialogs_.Calls()[0].flags & MB_TYPEMASK, static_cast<UINT>(MB_YESNOCANCEL));
            EXPECT_EQ(Panel(doc).FileName(), file);
            EXPECT_TRUE(Panel(doc).Modified());
            EXPECT_EQ(Held(doc), Edited(doc));
            EXPECT_EQ(Main().Session.CurrentFile, file) << "the dispatch did not go on";

            dialogs_.Clear();
            const bool folderGone = c.operation == Operation::DeleteFolderInTree;
            dialogs_.AnswerMessage(c.answer);
            if (folderGone) {
                dialogs_.AnswerMessage(IDOK);  // the save's error
                dialogs_.AnswerMessage(IDYES); // drop the edits
            }
            Click(other);
            EXPECT_EQ(Main().Session.CurrentFile, other) << "the dispatch went on";
            EXPECT_FALSE(Panel(doc).Modified());
            EXPECT_EQ(Panel(doc).FileName(), doc == Doc::Text ? other : "");
            if (c.answer == IDYES && !folderGone) {
                EXPECT_EQ(Messages().size(), 1u);
                EXPECT_EQ(ReadFileText(file), Edited(doc)) << "written there again";
            } else {
                EXPECT_EQ(ReadFileText(file), "<missing>");
                ASSERT_EQ(Messages().size(), folderGone ? 3u : 1u);
                if (folderGone) {
                    EXPECT_EQ(Messages()[2], FailedSaveQuestion(file));
                }
            }
        }
    }
}

TEST_F(EditsTest, ASaveThatFailsTwiceLetsTheUserDropTheEdits) {
    for (Doc doc : {Doc::Text, Doc::Hex}) {
        SCOPED_TRACE(doc == Doc::Text ? "text" : "hex");
        const std::string folder = files_.Folder(doc == Doc::Text ? "metin" : "hex");
        const std::string file = OpenEdited(doc, folder);
        const std::string other = files_.File("diger.txt", "başka");
        SetReadOnly(file, true); // made read-only behind the program's back
        dialogs_.Clear();
        for (int attempt = 0; attempt < 2; ++attempt) {
            dialogs_.AnswerMessage(IDOK); // the save's error
            dialogs_.AnswerMessage(IDNO); // keep the edits
            Click(other);
            EXPECT_EQ(Panel(doc).FileName(), file) << "the dispatch did not go on";
            EXPECT_TRUE(Panel(doc).Modified());
            EXPECT_EQ(Held(doc), Edited(doc));
        }
        ASSERT_EQ(Messages().size(), 4u);
        for (int i : {1, 3}) {
            EXPECT_EQ(Messages()[i], FailedSaveQuestion(file));
            EXPECT_EQ(dialogs_.Calls()[i].caption, "Dikkat!");
            // Keeping is the default: Enter never drops anything.
            EXPECT_EQ(dialogs_.Calls()[i].flags & (MB_TYPEMASK | MB_DEFMASK),
                      static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2));
        }

        // The third time, at a panel switch, the user drops them: the file
        // stays as it was, the text panel shows it so, and the switch goes on.
        dialogs_.AnswerMessage(IDOK);
        dialogs_.AnswerMessage(IDYES);
        Execute("HtmlveResimEditoru");
        EXPECT_EQ(Messages().size(), 6u);
        EXPECT_EQ(ReadFileText(file), doc == Doc::Text ? kOriginalText : "ABCD");
        EXPECT_FALSE(Panel(doc).Modified());
        EXPECT_TRUE(Main().HtmlPanel->Visible());
        if (doc == Doc::Text) {
            EXPECT_EQ(Text().FileName(), file);
            EXPECT_EQ(Held(doc), kOriginalText);
        } else {
            EXPECT_EQ(Hex().FileName(), "");
        }
        SetReadOnly(file, false);
    }
}

TEST_F(EditsTest, EndingTheSessionSavesFirstAndAFailedSaveHoldsItBack) {
    const std::string file = OpenEdited(Doc::Text, files_.Path());
    auto querySession = [&] {
        return SendMessageA(Main().Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    };
    EXPECT_EQ(querySession(), TRUE);
    EXPECT_EQ(ReadFileText(file), kEditedText) << "saved as on closing";
    EXPECT_FALSE(Text().Modified());

    // A save that fails, and the user keeps the edits: the session may not end.
    Type("ikinci ");
    SetReadOnly(file, true);
    dialogs_.AnswerMessage(IDOK);
    dialogs_.AnswerMessage(IDNO);
    EXPECT_EQ(querySession(), FALSE);
    EXPECT_TRUE(Text().Modified());
    // With the edits dropped it may.
    dialogs_.AnswerMessage(IDOK);
    dialogs_.AnswerMessage(IDYES);
    EXPECT_EQ(querySession(), TRUE);
    EXPECT_EQ(ReadFileText(file), kEditedText);
    SetReadOnly(file, false);

    // A document whose file is gone: İptal holds the session back too.
    const std::string data = OpenEdited(Doc::Hex, files_.Path());
    ASSERT_TRUE(DeleteFileA(data.c_str()));
    dialogs_.Clear();
    dialogs_.AnswerMessage(IDCANCEL);
    EXPECT_EQ(querySession(), FALSE);
    EXPECT_EQ(Messages(), std::vector<std::string>{VanishedFileQuestion(data)});
    EXPECT_TRUE(Hex().Modified());
    // The session's end that follows anyway (forced) runs the save step once more.
    dialogs_.AnswerMessage(IDYES);
    SendMessageA(Main().Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(ReadFileText(data), "ZBCD");
}

} // namespace

// Files dropped on the main window, as the shell hands them over (wide names):
// a name the code page cannot spell opens that file, never a look-alike.
TEST_F(DispatchTest, ANameTheCodePageCannotSpellOpensThatFileNotItsLookAlike) {
    const std::wstring folder(files_.Path().begin(), files_.Path().end());
    // 'ő' is not in the code page: the system's own conversion makes it 'o',
    // which names the other file.
    ASSERT_TRUE(testing_support::WriteFileWide(folder + L"\u015Eirket_o.txt", "o ile yazilan"));
    ASSERT_TRUE(testing_support::WriteFileWide(folder + L"\u015Eirket_\u0151.txt", "bu dosya birakildi"));
    struct Case {
        std::wstring dropped;
        const char* shown;
    };
    for (const Case& c : {Case{folder + L"\u015Eirket_\u0151.txt", "bu dosya birakildi"},
                          Case{folder + L"\u015Eirket_o.txt", "o ile yazilan"}}) {
        dialogs_.Clear();
        SendMessageW(Main().Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeWideDrop(c.dropped)), 0);
        Pump();
        EXPECT_EQ(Main().TextPanel->RichEdit1->PlainText(), c.shown);
        EXPECT_EQ(Main().Session.CurrentFile.find('?'), std::string::npos) << Main().Session.CurrentFile;
        wchar_t opened[MAX_PATH * 2] = {};
        std::wstring current(Main().Session.CurrentFile.size() + 1, L'\0');
        MultiByteToWideChar(CP_ACP, 0, Main().Session.CurrentFile.c_str(), -1, current.data(),
                            static_cast<int>(current.size()));
        GetLongPathNameW(current.c_str(), opened, MAX_PATH * 2);
        EXPECT_EQ(std::wstring(opened), c.dropped);
        EXPECT_TRUE(dialogs_.Calls("message").empty());
    }
}
