// The file operations on real temp folders, through the real shell
// (SHFileOperation copies, moves, deletes and renames); only the modal boxes
// and shell executions go through the scripted dialogs.
#include "explorer/file_operations.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "explorer/file_dialogs.h"
#include "explorer/file_list_view.h"
#include "explorer/path_utils.h"
#include "explorer/shell_utils.h"
#include "support/panel_host.h"
#include "support/scripted_dialogs.h"
#include "support/shell_questions.h"
#include "support/win32_test_util.h"
#include "toolkit/clipboard.h"
#include "toolkit/form.h"

using testing_support::PanelHost;
using testing_support::Pump;
using testing_support::ScriptedDialogs;
using testing_support::TempFolder;
using namespace velmora::explorer;

namespace {

class RecordingTree : public IDirTreeLink {
public:
    std::vector<std::string> opened;
    int reloads = 0;
    void OpenPath(const std::string& path) override { opened.push_back(path); }
    void ReloadTree() override { ++reloads; }
    void SetFileList(IFileListLink*) override {}
    void FileListDestroyed(IFileListLink*) override {}
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The name the file system holds for a path (its real letter case).
std::string NameOnDisk(const std::string& path) {
    WIN32_FIND_DATAA data{};
    HANDLE h = FindFirstFileA(path.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return {};
    FindClose(h);
    return data.cFileName;
}

bool SameTextForTest(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class FileOperationsTest : public PanelHost {
protected:
    static void SetUpTestSuite() { OpenHost({"Test", 700, 500}); }
    static void TearDownTestSuite() { CloseHost(); }
    void SetUp() override {
        TFileListView::Params p;
        p.parent = form;
        p.bounds = RECT{0, 0, 680, 460};
        list = std::make_unique<TFileListView>(p);
        ops = std::make_unique<TFileOperations>(*list);
    }
    void TearDown() override {
        ops.reset();
        list.reset();
        SetCurrentDirectoryA("C:\\");
    }

    // Lists a folder of the temp tree.
    void Show(const std::string& folder) {
        list->SetDirectory(AddSlash(folder));
        list->UpdateFileList();
    }
    int Row(const std::string& caption) const {
        for (int i = 0; i < list->RowCount(); ++i)
            if (list->Row(i).caption == caption) return i;
        return -1;
    }
    // Selects exactly the rows with these captions.
    void Select(std::initializer_list<std::string> captions) {
        list->SetSelected(-1, false);
        for (const std::string& caption : captions) {
            int row = Row(caption);
            ASSERT_GE(row, 0) << caption;
            list->SetSelected(row, true);
        }
    }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& call : dialogs.Calls())
            if (call.kind == "message") texts.push_back(call.text);
        return texts;
    }

    ScriptedDialogs dialogs; // declared first: outlives the controls
    TempFolder temp;
    std::unique_ptr<TFileListView> list;
    std::unique_ptr<TFileOperations> ops;
};

} // namespace

TEST_F(FileOperationsTest, CopyPastesOnceThenTheClipboardIsEmpty) {
    std::string a = temp.Folder("A"), b = temp.Folder("B");
    temp.File("A\\one.txt", "1");
    temp.File("A\\two.txt", "2");
    Show(a);
    Select({"one.txt", "two.txt"});
    ops->CutCopy(TClipboardMode::cmCopy);
    EXPECT_EQ(list->FileClipboard,
              (std::vector<std::string>{AddSlash(a) + "one.txt", AddSlash(a) + "two.txt"}));
    EXPECT_EQ(list->ClipboardMode, TClipboardMode::cmCopy);

    Show(b);
    ops->Paste();
    EXPECT_EQ(ReadAll(AddSlash(b) + "one.txt"), "1");
    EXPECT_EQ(ReadAll(AddSlash(b) + "two.txt"), "2");
    EXPECT_TRUE(Exists(AddSlash(a) + "one.txt")); // a copy leaves the source
    EXPECT_GE(Row("one.txt"), 0);                 // and the list shows the new entries
    EXPECT_TRUE(list->FileClipboard.empty());
    EXPECT_TRUE(MessageTexts().empty());

    ops->Paste();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Seçilen dosya(lar) yok"});
}

TEST_F(FileOperationsTest, CutThenDeleteOfAnotherEntryEmptiesTheClipboard) {
    std::string a = temp.Folder("A");
    temp.File("A\\one.txt", "1");
    temp.File("A\\two.txt", "2");
    temp.File("A\\three.txt", "3");
    RecordingTree tree;
    list->SetDirTree(&tree);
    Show(a);
    Select({"one.txt", "two.txt"});
    ops->CutCopy(TClipboardMode::cmCut);
    EXPECT_EQ(list->ClipboardMode, TClipboardMode::cmCut);
    Select({"three.txt"});
    ops->DeleteSelected();
    EXPECT_FALSE(Exists(AddSlash(a) + "three.txt"));
    EXPECT_TRUE(Exists(AddSlash(a) + "one.txt"));
    EXPECT_TRUE(list->FileClipboard.empty());
    EXPECT_EQ(Row("three.txt"), -1);
    // The tree reloads and opens the listed folder again.
    EXPECT_EQ(tree.reloads, 1);
    EXPECT_EQ(tree.opened, std::vector<std::string>{AddSlash(a)});
    ops->Paste();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Seçilen dosya(lar) yok"});
    list->SetDirTree(nullptr);
}

TEST_F(FileOperationsTest, PasteOverwritesAndMovesFilesAndFolders) {
    std::string a = temp.Folder("A"), b = temp.Folder("B");
    temp.File("A\\same.txt", "new");
    temp.File("B\\same.txt", "old");
    temp.Folder("A\\Sub");
    temp.File("A\\Sub\\inner.txt", "in");
    Show(a);
    Select({"same.txt", "Sub"});
    ops->CutCopy(TClipboardMode::cmCut);
    Show(b);
    ops->Paste();
    // Overwritten without a question, moved with its content.
    EXPECT_EQ(ReadAll(AddSlash(b) + "same.txt"), "new");
    EXPECT_FALSE(Exists(AddSlash(a) + "same.txt"));
    EXPECT_EQ(ReadAll(AddSlash(b) + "Sub\\inner.txt"), "in");
    EXPECT_FALSE(Exists(AddSlash(a) + "Sub"));
    EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(FileOperationsTest, AFolderIsNeverPastedIntoItselfNorAnEntryOntoItself) {
    std::string a = temp.Folder("A");
    temp.Folder("A\\Sub");
    temp.File("A\\Sub\\inner.txt", "in");
    temp.File("A\\file.txt", "f");
    Show(a);
    Select({"Sub", "file.txt"});
    ops->CutCopy(TClipboardMode::cmCopy);
    // Into the folder they are in: nothing to do.
    ops->Paste();
    EXPECT_EQ(ReadAll(AddSlash(a) + "file.txt"), "f");
    EXPECT_EQ(ReadAll(AddSlash(a) + "Sub\\inner.txt"), "in");
    EXPECT_TRUE(dialogs.Calls().empty());

    // Into the folder itself: refused, the folder stays as it was.
    Select({"Sub"});
    ops->CutCopy(TClipboardMode::cmCut);
    Show(AddSlash(a) + "Sub");
    ops->Paste();
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>{"HATA - Klasör kendi içine kopyalanamaz\r" + AddSlash(a) + "Sub"});
    EXPECT_EQ(ReadAll(AddSlash(a) + "Sub\\inner.txt"), "in");
    EXPECT_FALSE(Exists(AddSlash(a) + "Sub\\Sub"));
}

TEST_F(FileOperationsTest, NewFolderTakesTheNextFreeNameAndStartsItsRenaming) {
    std::string a = temp.Folder("A");
    temp.Folder("A\\Yeni Klasör");
    temp.Folder("A\\Yeni Klasör(2)");
    RecordingTree tree;
    list->SetDirTree(&tree);
    Show(a);
    ops->NewFolder();
    EXPECT_TRUE(FolderExists(AddSlash(a) + "Yeni Klasör(3)"));
    int row = Row("Yeni Klasör(3)");
    ASSERT_GE(row, 0);
    EXPECT_EQ(list->SelectedIndex(), row);
    EXPECT_EQ(list->SelectedFile(), AddSlash(a) + "Yeni Klasör(3)");
    EXPECT_TRUE(list->Editing());
    EXPECT_EQ(ops->RenameSource(), AddSlash(a) + "Yeni Klasör(3)");
    EXPECT_EQ(tree.reloads, 1);
    SendMessageA(list->Handle(), LVM_CANCELEDITLABEL, 0, 0);
    list->SetDirTree(nullptr);
}

TEST_F(FileOperationsTest, NewDocumentWritesTheTemplateByteForByte) {
    std::string a = temp.Folder("A");
    Show(a);
    ops->NewDocument();
    const std::string first = AddSlash(a) + "velmora.rtf";
    const std::string expected =
        "{\\rtf1\\ansi\\ansicpg1254\\deff0\\deflang1055{\\fonttbl{\\f0\\fnil\\fcharset0 ;}}"
        "\r\n\\viewkind4\\uc1\\pard\\f0\\fs20\\par\r\n}\r\n";
    EXPECT_EQ(ReadAll(first), expected);
    EXPECT_EQ(ReadAll(first).size(), 111u);
    EXPECT_TRUE(list->Editing());
    SendMessageA(list->Handle(), LVM_CANCELEDITLABEL, 0, 0);
    Pump(10);
    ops->NewDocument();
    EXPECT_EQ(ReadAll(AddSlash(a) + "velmora(2).rtf"), expected);
    SendMessageA(list->Handle(), LVM_CANCELEDITLABEL, 0, 0);

    // With hidden extensions the new row is found all the same.
    list->SetHideFileExt(true);
    ops->NewDocument();
    EXPECT_TRUE(Exists(AddSlash(a) + "velmora(3).rtf"));
    EXPECT_TRUE(list->Editing());
    SendMessageA(list->Handle(), LVM_CANCELEDITLABEL, 0, 0);
}

TEST_F(FileOperationsTest, NothingIsCreatedInTheDrivesView) {
    list->SetDirectory("Drives");
    list->UpdateFileList();
    int rows = list->RowCount();
    ops->NewFolder();
    ops->NewDocument();
    EXPECT_EQ(list->RowCount(), rows);
    EXPECT_FALSE(list->Editing());
    EXPECT_TRUE(dialogs.Calls().empty());
    // Drives are never cut, deleted or renamed.
    if (rows > 0) {
        list->SetSelected(0, true);
        ops->CutCopy(TClipboardMode::cmCut);
        EXPECT_TRUE(list->FileClipboard.empty());
        ops->RenameSelected();
        EXPECT_FALSE(list->Editing());
    }
}

TEST_F(FileOperationsTest, RenameOfAReadOnlyEntryIsRefused) {
    std::string a = temp.Folder("A");
    std::string ro = temp.File("A\\ro.txt", "r");
    SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY);
    temp.File("A\\plain.txt", "p");
    Show(a);
    Select({"ro.txt"});
    ops->RenameSelected();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Saltokunur"});
    EXPECT_FALSE(list->Editing());
    Select({"plain.txt"});
    ops->RenameSelected();
    EXPECT_TRUE(list->Editing());
    SendMessageA(list->Handle(), LVM_CANCELEDITLABEL, 0, 0);
    SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileOperationsTest, RenameAtTheEndOfEditing) {
    std::string a = temp.Folder("A");
    temp.File("A\\a.txt", "a");
    temp.File("A\\c.txt", "c");
    Show(a);
    auto rename = [&](const std::string& from, const std::string& caption) {
        int row = Row(from);
        ASSERT_GE(row, 0) << from;
        ASSERT_TRUE(ops->CanEdit(row));
        EXPECT_EQ(ops->RenameSource(),
                  AddSlash(a) + (list->HideFileExt() ? NameOnDisk(list->Row(row).cells[cellPath]) : from));
        ops->Edit(row, caption);
    };
    // Only the letter case: nothing changes on disk.
    rename("a.txt", "A.TXT");
    EXPECT_EQ(NameOnDisk(AddSlash(a) + "a.txt"), "a.txt");
    // Onto another entry: not done, both stay.
    rename("a.txt", "c.txt");
    EXPECT_EQ(ReadAll(AddSlash(a) + "a.txt"), "a");
    EXPECT_EQ(ReadAll(AddSlash(a) + "c.txt"), "c");
    // A name that would leave the folder: refused.
    rename("a.txt", "..\\escaped.txt");
    EXPECT_TRUE(Exists(AddSlash(a) + "a.txt"));
    EXPECT_FALSE(Exists(temp.Path() + "escaped.txt"));
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"HATA - Geçersiz dosya adı\r..\\escaped.txt"});
    // A plain rename.
    rename("a.txt", "b.txt");
    EXPECT_EQ(ReadAll(AddSlash(a) + "b.txt"), "a");
    EXPECT_FALSE(Exists(AddSlash(a) + "a.txt"));
    EXPECT_GE(Row("b.txt"), 0);
    // With hidden extensions the caption lacks ".txt"; the file keeps it.
    list->SetHideFileExt(true);
    list->UpdateFileList();
    rename("b", "d");
    EXPECT_EQ(ReadAll(AddSlash(a) + "d.txt"), "a");
    EXPECT_FALSE(Exists(AddSlash(a) + "d"));
}

TEST_F(FileOperationsTest, RenameThroughTheListsOwnEditing) {
    std::string a = temp.Folder("A");
    temp.File("A\\old.txt", "o");
    Show(a);
    Select({"old.txt"});
    ops->RenameSelected();
    HWND edit = reinterpret_cast<HWND>(SendMessageA(list->Handle(), LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "new.txt");
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageA(edit, WM_CHAR, VK_RETURN, 0);
    Pump(30);
    EXPECT_EQ(ReadAll(AddSlash(a) + "new.txt"), "o");
    EXPECT_GE(Row("new.txt"), 0);
    EXPECT_EQ(Row("old.txt"), -1);
}

TEST_F(FileOperationsTest, AttributesDialogSetsTheFourBits) {
    std::string a = temp.Folder("A");
    std::string file = temp.File("A\\f.txt", "f");
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    Show(a);
    Select({"f.txt"});
    TFileAttrDialog* seen = nullptr;
    dialogs.AnswerModal([&](tk::TForm& form) {
        auto& dialog = static_cast<TFileAttrDialog&>(form);
        seen = &dialog;
        RECT client{};
        GetClientRect(dialog.Handle(), &client);
        EXPECT_EQ(client.right, 266);
        EXPECT_EQ(client.bottom, 172);
        EXPECT_EQ(dialog.NameLabel->Caption(), "f.txt");
        EXPECT_TRUE(dialog.ArchiveBox->Checked());
        EXPECT_FALSE(dialog.ReadOnlyBox->Checked());
        EXPECT_EQ(dialog.ReadOnlyBox->Caption(), "Salt Okunur");
        EXPECT_EQ(dialog.ArchiveBox->Caption(), "Arşiv");
        EXPECT_EQ(dialog.HiddenBox->Caption(), "Gizli");
        EXPECT_EQ(dialog.SystemBox->Caption(), "Sistem");
        EXPECT_EQ(dialog.OkButton->Caption(), "OK");
        EXPECT_EQ(dialog.CancelButton->Caption(), "Cancel");
        dialog.ReadOnlyBox->SetChecked(true);
        return IDOK;
    });
    ops->ShowFileAttr();
    ASSERT_NE(seen, nullptr);
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].caption, "Nitelikler");
    // (The file system here keeps the archive bit on every file.)
    constexpr DWORD shown = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    EXPECT_EQ(GetFileAttributesA(file.c_str()) & shown, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(list->Row(Row("f.txt")).cells[cellAttributes], "AR");

    // Cancel leaves the file alone.
    dialogs.AnswerModal([](tk::TForm& form) {
        static_cast<TFileAttrDialog&>(form).HiddenBox->SetChecked(true);
        return IDCANCEL;
    });
    Select({"f.txt"});
    ops->ShowFileAttr();
    EXPECT_EQ(GetFileAttributesA(file.c_str()) & shown, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    // Hidden and read-only off again: the dialog clears bits too.
    dialogs.AnswerModal([](tk::TForm& form) {
        auto& dialog = static_cast<TFileAttrDialog&>(form);
        EXPECT_TRUE(dialog.ReadOnlyBox->Checked());
        dialog.ReadOnlyBox->SetChecked(false);
        dialog.HiddenBox->SetChecked(true);
        return IDOK;
    });
    Select({"f.txt"});
    ops->ShowFileAttr();
    EXPECT_EQ(GetFileAttributesA(file.c_str()) & shown, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileOperationsTest, ViewAndFindGoToTheShell) {
    std::string a = temp.Folder("A");
    temp.File("A\\notes.txt", "n");
    temp.File("A\\paper.PDF", "p");
    Show(a);
    Select({"paper.PDF"});
    ops->ViewFile();
    EXPECT_TRUE(dialogs.Calls().empty());
    Select({"notes.txt"});
    ops->ViewFile();
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const auto& call = dialogs.Calls()[0];
    EXPECT_EQ(call.kind, "shell");
    EXPECT_EQ(call.verb, "Open");
    EXPECT_EQ(call.text, AddSlash(system) + "NotePad.exe");
    EXPECT_EQ(call.parameters, "notes.txt");
    EXPECT_EQ(call.directory, AddSlash(a));
    EXPECT_EQ(call.showCommand, SW_SHOW);

    // The search window only while the list has the focus.
    dialogs.Clear();
    SetFocus(nullptr);
    ops->FindFile();
    EXPECT_TRUE(dialogs.Calls().empty());
    list->SetFocus();
    ops->FindFile();
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].verb, "Find");
    EXPECT_EQ(dialogs.Calls()[0].text, AddSlash(a));
}

TEST_F(FileOperationsTest, SendAsNamesAndAsContent) {
    std::string a = temp.Folder("A");
    temp.File("A\\one.txt", "first line\r\nsecond");
    temp.File("A\\two.txt", "2");
    temp.Folder("A\\Three");
    Show(a);
    Select({"one.txt", "two.txt", "Three"});
    ops->SendTo(2);
    std::string names = tk::ClipboardText();
    const std::string folder = AddSlash(a);
    // Rows in list order: the folder first.
    EXPECT_EQ(names, folder + "Three\r\n" + folder + "one.txt\r\n" + folder + "two.txt");

    Select({"one.txt"});
    ops->SendTo(1);
    EXPECT_EQ(tk::ClipboardText(), "first line\r\nsecond");
    {
        tk::TClipboard clipboard;
        EXPECT_TRUE(clipboard.HasFormat(tk::RtfClipboardFormat()));
    }
}

TEST_F(FileOperationsTest, SendDialogCopiesIntoATypedFolderOrABrowsedOne) {
    std::string a = temp.Folder("A");
    std::string target = temp.Folder("Target");
    std::string browsed = temp.Folder("Browsed");
    temp.File("A\\one.txt", "1");
    Show(a);
    Select({"one.txt"});
    dialogs.AnswerModal([&](tk::TForm& form) {
        auto& dialog = static_cast<TSendDialog&>(form);
        EXPECT_EQ(dialog.Caption(), "Klasör göndermek için");
        EXPECT_EQ(dialog.PathEdit->Text(), "");
        EXPECT_EQ(dialog.PathEdit->MaxLength(), 285);
        EXPECT_EQ(dialog.OkButton->Caption(), "Tamam");
        EXPECT_EQ(dialog.CancelButton->Caption(), "Vazgeç");
        EXPECT_EQ(dialog.BrowseButton->Caption(), "Gözat");
        dialog.PathEdit->SetText(DelSlash(target)); // no trailing backslash
        return IDOK;
    });
    ops->SendTo(0);
    EXPECT_EQ(ReadAll(AddSlash(target) + "one.txt"), "1");
    EXPECT_TRUE(list->FileClipboard.empty());

    // "Gözat": the browser's folder comes back as the dialog's text.
    dialogs.AnswerModal([](tk::TForm&) { return kBrowseResult; });
    dialogs.AnswerFolder(true, DelSlash(browsed));
    std::string offered;
    dialogs.AnswerModal([&](tk::TForm& form) {
        offered = static_cast<TSendDialog&>(form).PathEdit->Text();
        return IDOK;
    });
    Select({"one.txt"});
    ops->SendTo(0);
    EXPECT_EQ(offered, AddSlash(browsed));
    EXPECT_EQ(ReadAll(AddSlash(browsed) + "one.txt"), "1");
    bool titled = false;
    for (const auto& call : dialogs.Calls())
        if (call.kind == "folder") titled = call.text == "Hedef Klasör";
    EXPECT_TRUE(titled);

    // Cancel, and a path that is a pattern: nothing is copied.
    dialogs.Clear();
    dialogs.AnswerModal([](tk::TForm&) { return IDCANCEL; });
    ops->SendTo(0);
    dialogs.AnswerModal([&](tk::TForm& form) {
        static_cast<TSendDialog&>(form).PathEdit->SetText(temp.Path() + "*");
        return IDOK;
    });
    ops->SendTo(0);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"HATA - Geçersiz yol\r" + temp.Path() + "*"});
}

TEST_F(FileOperationsTest, SendToTargetsFollowTheirLinks) {
    std::string a = temp.Folder("A");
    std::string target = temp.Folder("Target");
    std::string links = temp.Folder("Links");
    temp.File("A\\my file.txt", "m");
    // A link to a folder, and one to a program.
    auto makeLink = [](const std::string& to, const std::string& at) {
        IShellLinkA* link = nullptr;
        ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)),
                  S_OK);
        link->SetPath(to.c_str());
        IPersistFile* file = nullptr;
        link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, at.c_str(), -1, wide, MAX_PATH);
        EXPECT_EQ(file->Save(wide, TRUE), S_OK);
        file->Release();
        link->Release();
    };
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string program = AddSlash(system) + "notepad.exe";
    makeLink(DelSlash(target), AddSlash(links) + "Folder.lnk");
    makeLink(program, AddSlash(links) + "Program.lnk");
    EXPECT_TRUE(SameTextForTest(ResolveLink(AddSlash(links) + "Folder.lnk"), DelSlash(target)));
    EXPECT_EQ(ResolveLink(AddSlash(a) + "my file.txt"), ""); // not a link

    Show(a);
    Select({"my file.txt"});
    ops->SendToTarget(AddSlash(links) + "Folder.lnk");
    EXPECT_EQ(ReadAll(AddSlash(target) + "my file.txt"), "m");

    Select({"my file.txt"});
    ops->SendToTarget(AddSlash(links) + "Program.lnk");
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].verb, "Open");
    EXPECT_TRUE(SameTextForTest(dialogs.Calls()[0].text, program));
    EXPECT_EQ(dialogs.Calls()[0].parameters, "\"my file.txt\"");
    EXPECT_EQ(dialogs.Calls()[0].directory, AddSlash(a));

    // A folder itself as a target; nothing without a selection.
    std::string plain = temp.Folder("Plain");
    ops->SendToTarget(DelSlash(plain));
    EXPECT_EQ(ReadAll(AddSlash(plain) + "my file.txt"), "m");
    list->SetSelected(-1, false);
    std::string other = temp.Folder("Other");
    ops->SendToTarget(DelSlash(other));
    EXPECT_FALSE(Exists(AddSlash(other) + "my file.txt"));
}

TEST_F(FileOperationsTest, TheParentRowIsNeverHandedOn) {
    std::string a = temp.Folder("A");
    std::string inner = temp.Folder("A\\Inner");
    temp.File("A\\Inner\\x.txt", "x");
    std::string target = temp.Folder("Target");
    Show(inner);
    ASSERT_GE(Row(" .."), 0);
    Select({" .."});
    ops->CutCopy(TClipboardMode::cmCut);
    EXPECT_TRUE(list->FileClipboard.empty());
    ops->DeleteSelected();
    EXPECT_TRUE(FolderExists(a));
    EXPECT_TRUE(Exists(AddSlash(inner) + "x.txt"));
    Select({" .."});
    ops->RenameSelected();
    EXPECT_FALSE(list->Editing());
    EXPECT_FALSE(ops->CanEdit(Row(" ..")));
    Select({" .."});
    ops->ShowFileAttr();
    dialogs.AnswerModal([&](tk::TForm& form) {
        static_cast<TSendDialog&>(form).PathEdit->SetText(target);
        return IDOK;
    });
    ops->SendTo(0);
    auto empty = [&] {
        for (FolderSearch search(AddSlash(target) + "*"); search.Found(); search.Next())
            if (!search.IsDots()) return false;
        return true;
    };
    EXPECT_TRUE(empty());
    tk::SetClipboardText("before");
    ops->SendTo(2);
    EXPECT_EQ(tk::ClipboardText(), "before");
    ops->SendTo(1);
    EXPECT_EQ(tk::ClipboardText(), "before");
    ops->SendToTarget(DelSlash(target));
    EXPECT_TRUE(empty());
    // No dialog but the send dialog itself came up.
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].kind, "modal");
}

TEST_F(FileOperationsTest, NamesTheCodePageCannotSpellGoByTheirShortName) {
    std::string a = temp.Folder("A");
    // 'ā' is not in the Turkish code page: the system's own conversion spells
    // it 'a', and 'a.txt' is another file.
    temp.File("A\\a.txt", "plain");
    const std::string folder = AddSlash(a);
    std::wstring wide(folder.begin(), folder.end());
    wide += L"\u0101.txt";
    HANDLE h =
        CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, "long", 4, &written, nullptr);
    CloseHandle(h);
    Show(a);
    int plainRows = 0;
    int other = -1;
    for (int i = 0; i < list->RowCount(); ++i) {
        const std::string& path = list->Row(i).cells[cellPath];
        if (path == AddSlash(a) + "a.txt")
            ++plainRows;
        else if (list->Row(i).cells[cellKind] == "file")
            other = i;
    }
    // Exactly one row names 'a.txt'; the other file has a path of its own.
    EXPECT_EQ(plainRows, 1);
    if (other < 0) GTEST_SKIP() << "no short name for the file here";
    const std::string shortPath = list->Row(other).cells[cellPath];
    EXPECT_EQ(shortPath.find('?'), std::string::npos);
    EXPECT_EQ(ReadAll(shortPath), "long");
    list->SetSelected(-1, false);
    list->SetSelected(other, true);
    ops->DeleteSelected();
    EXPECT_EQ(ReadAll(AddSlash(a) + "a.txt"), "plain");
    EXPECT_EQ(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileOperationsTest, FolderCopyMoveNeedsAFolder) {
    std::string a = temp.Folder("A"), b = temp.Folder("B");
    std::string file = temp.File("A\\f.txt", "f");
    EXPECT_FALSE(FolderCopyMove(file, b, 0, fcNoConfirmation));
    EXPECT_FALSE(FolderCopyMove(temp.Path() + "missing", b, 0, fcNoConfirmation));
    EXPECT_TRUE(FolderCopyMove(a, DelSlash(b), 0, fcNoConfirmation));
    EXPECT_EQ(ReadAll(AddSlash(b) + "A\\f.txt"), "f");
    EXPECT_FALSE(Exists(AddSlash(b) + "f.txt")); // the folder, not its content
    EXPECT_TRUE(Exists(file));
    // A move takes the folder away.
    EXPECT_TRUE(FolderCopyMove(a, AddSlash(b) + "A", 2, fcNoConfirmation));
    EXPECT_EQ(ReadAll(AddSlash(b) + "A\\A\\f.txt"), "f");
    EXPECT_FALSE(FolderExists(a));
}

namespace {

std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

bool ExistsWide(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

TEST_F(FileOperationsTest, CopiesOfNamesTheCodePageCannotSpellKeepTheirNames) {
    // 'Ω' and 'ő' are not in the Turkish code page: the list knows these
    // entries by their short names, the copies get the real ones.
    const std::wstring names[] = {L"\u03A9mega.txt", L"\u015Eirket_\u0151.txt", L"\u03A9 Klas\u00F6r"};
    struct Case {
        const char* how;
        TClipboardMode mode; // cmNone: sent to a folder
    };
    for (const Case& c : {Case{"kopyala", TClipboardMode::cmCopy}, Case{"kes", TClipboardMode::cmCut},
                          Case{"gonder", TClipboardMode::cmNone}}) {
        const std::string a = temp.Folder(std::string("A_") + c.how),
                          b = temp.Folder(std::string("B_") + c.how);
        ASSERT_TRUE(testing_support::WriteFileWide(Wide(a) + names[0], "omega"));
        ASSERT_TRUE(testing_support::WriteFileWide(Wide(a) + names[1], "sirket"));
        ASSERT_TRUE(CreateDirectoryW((Wide(a) + names[2]).c_str(), nullptr));
        ASSERT_TRUE(testing_support::WriteFileWide(Wide(a) + names[2] + L"\\i\u00E7.txt", "inner"));
        temp.File(std::string("A_") + c.how + "\\Sirket_o.txt", "other");
        Show(a);
        list->SetSelected(-1, false);
        int selected = 0;
        for (int i = 0; i < list->RowCount(); ++i)
            if (list->Row(i).caption.find('?') != std::string::npos) {
                list->SetSelected(i, true);
                ++selected;
            }
        ASSERT_EQ(selected, 3) << c.how;
        if (c.mode != TClipboardMode::cmNone) {
            ops->CutCopy(c.mode);
            Show(b);
            ops->Paste();
        } else {
            ops->CopyToFolder(b);
        }
        for (const std::wstring& name : names) {
            EXPECT_TRUE(ExistsWide(Wide(b) + name)) << c.how;
            EXPECT_EQ(ExistsWide(Wide(a) + name), c.mode != TClipboardMode::cmCut) << c.how;
        }
        EXPECT_TRUE(ExistsWide(Wide(b) + names[2] + L"\\i\u00E7.txt")) << c.how;
        EXPECT_EQ(ReadAll(AddSlash(a) + "Sirket_o.txt"), "other");
        EXPECT_FALSE(Exists(AddSlash(b) + "Sirket_o.txt"));
        EXPECT_TRUE(MessageTexts().empty()) << c.how;
    }
}

TEST_F(FileOperationsTest, AFolderPastedOverOneOfTheSameNameIsMergedAskingWhenConfirmationIsOn) {
    struct Case {
        TClipboardMode mode;
        bool confirm;
        int answer;
        bool merged; // the pasted files are there (and, after a cut, gone from the source)
        size_t questions;
    };
    const Case cases[] = {
        {TClipboardMode::cmCopy, false, IDNO, true, 0}, {TClipboardMode::cmCopy, true, IDNO, false, 1},
        {TClipboardMode::cmCopy, true, IDYES, true, 1}, {TClipboardMode::cmCut, false, IDNO, true, 0},
        {TClipboardMode::cmCut, true, IDNO, false, 1},  {TClipboardMode::cmCut, true, IDYES, true, 1},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string tag = std::to_string(++n);
        const std::string a = temp.Folder("A" + tag), b = temp.Folder("B" + tag);
        temp.Folder("A" + tag + "\\Sub");
        temp.File("A" + tag + "\\Sub\\same.txt", "new");
        temp.File("A" + tag + "\\Sub\\only.txt", "only");
        temp.Folder("B" + tag + "\\Sub");
        temp.File("B" + tag + "\\Sub\\same.txt", "old");
        temp.File("B" + tag + "\\Sub\\keep.txt", "keep");
        ops->SetConfirmFileOps(c.confirm);
        Show(a);
        Select({"Sub"});
        ops->CutCopy(c.mode);
        Show(b);
        testing_support::ShellQuestions questions(c.answer);
        ops->Paste();
        EXPECT_EQ(questions.Captions().size(), c.questions) << tag;
        EXPECT_EQ(ReadAll(AddSlash(b) + "Sub\\same.txt"), c.merged ? "new" : "old") << tag;
        EXPECT_EQ(Exists(AddSlash(b) + "Sub\\only.txt"), c.merged) << tag;
        EXPECT_EQ(ReadAll(AddSlash(b) + "Sub\\keep.txt"), "keep") << tag;
        EXPECT_FALSE(Exists(AddSlash(b) + "Sub\\Sub")) << tag; // never the copy inside
        EXPECT_EQ(Exists(AddSlash(a) + "Sub"), !(c.mode == TClipboardMode::cmCut && c.merged)) << tag;
        EXPECT_TRUE(dialogs.Calls().empty()) << tag;
    }
}

TEST_F(FileOperationsTest, DeletedEntriesGoToTheRecycleBin) {
    for (bool confirm : {false, true}) {
        const std::string name = "sil_" + std::to_string(GetCurrentProcessId()) + "_" +
                                 std::to_string(GetTickCount()) + (confirm ? "_sor.txt" : "_sorma.txt");
        const std::string a = temp.Folder(confirm ? "A1" : "A2");
        temp.File(std::string(confirm ? "A1\\" : "A2\\") + name, "data");
        ops->SetConfirmFileOps(confirm);
        Show(a);
        Select({name});
        testing_support::ShellQuestions questions(IDYES);
        ops->DeleteSelected();
        EXPECT_EQ(questions.Captions().size(), confirm ? 1u : 0u);
        EXPECT_FALSE(Exists(AddSlash(a) + name));
        EXPECT_TRUE(testing_support::RecycleBinHolds(Wide(name))) << name;
    }
}
