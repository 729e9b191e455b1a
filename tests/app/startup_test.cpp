#include <gtest/gtest.h>

#include "app/startup.h"
#include "base/safe_write.h"
#include "hexedit/hex_document.h"
#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"

using namespace velmora::app;

TEST(StartUp, MainWindowCreatedFirstAndCaptionSetWhenShown) {
    testing_support::ScriptedDialogs dialogs;
    auto forms = CreateForms();
    ASSERT_TRUE(forms->form1);
    // The options, report and topics windows wait for their first use.
    EXPECT_FALSE(forms->form2);
    // The hidden viewer panels are made when first shown, not at start nor by the idle updates.
    EXPECT_FALSE(forms->form1->HtmlPanel.IfMade());
    EXPECT_FALSE(forms->form1->HexPanel.IfMade());
    EXPECT_FALSE(forms->form3);
    EXPECT_FALSE(forms->form4);
    EXPECT_EQ(tk::Application().MainForm(), forms->form1.get());
    EXPECT_NE(forms->form1->Caption(), TForm1::kCaption);
    RECT r;
    GetWindowRect(forms->form1->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 955);
    EXPECT_EQ(r.bottom - r.top, 418);
    // Centred on the desktop.
    EXPECT_NEAR(r.left + (r.right - r.left) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR(r.top + (r.bottom - r.top) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    ShowMainForm(*forms);
    testing_support::Pump();
    EXPECT_TRUE(IsWindowVisible(forms->form1->Handle()));
    EXPECT_EQ(forms->form1->Caption(), "velmora Version 3.10");
    EXPECT_FALSE(forms->form2);
    // Without an "ini" folder beside the program the archive file cannot be written:
    // an error box with the system's text, and the window still opens.
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_FALSE(dialogs.Calls()[0].text.empty());

    // Closing the main window ends the loop.
    PostMessageA(forms->form1->Handle(), WM_CLOSE, 0, 0);
    tk::Application().Run();
    EXPECT_TRUE(tk::Application().Terminated());
}

// Left-over files of runs that ended without tidying up go at the next start;
// files of other forms, and files some process holds, stay.
TEST(StartUp, LeftOverFilesOfEndedRunsAreRemovedWhenNoProcessHoldsThem) {
    testing_support::TempFolder temp, other;
    struct Case {
        const char* name;
        bool inTemp;
        bool removed;
    };
    const Case cases[] = {
        {"0123ABCD.KWTF", true, true},        // a hex working copy
        {"4567cdef.kwtf", true, true},        // letter case is the file system's
        {"0123ABCD.KWTF.undo", true, true},   // its undo file
        {"0123ABCD.KWTF.undo17", true, true}, // a numbered undo file
        {"~vlm89ABCDEF.tmp", true, true},     // a safe writer's new file
        {"~vlm00000001.tmp", false, true},    // also beside the documents
        {"0123ABCD.KWTF", false, false},      // working copies live only in the temp folder
        {"rapor.KWTF", true, false},          // not a name we make
        {"0123ABC.KWTF", true, false},
        {"0123ABCG.KWTF", true, false},
        {"0123ABCD.KWTF.bak", true, false},
        {"0123ABCD.KWTF.undox", true, false},
        {"0123ABCD.KWTF.undo123", true, false},
        {"~vlm0123.tmp", false, false},
        {"~vlm0123ABCD.tmp.txt", false, false},
        {"~vlmGHIJKLMN.tmp", false, false},
        {"vlm01234567.tmp", false, false},
    };
    for (const Case& c : cases) {
        const std::string path = (c.inTemp ? temp : other).File(c.name, "kalıntı");
        SCOPED_TRACE(path);
        EXPECT_EQ(IsLeftoverName(c.name, c.inTemp), c.removed);
    }
    // One of ours that a running instance holds open (its writer shares reading and writing).
    const std::string held = other.File("~vlm0000ABCD.tmp", "yazılıyor");
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    // A folder of that name is no file of ours either.
    other.Folder("~vlm11111111.tmp");

    int expected = 0;
    for (const Case& c : cases)
        expected += c.removed;
    EXPECT_EQ(RemoveLeftoverFiles(temp.Path(), {other.Path(), ""}), expected);
    for (const Case& c : cases) {
        const std::string path = (c.inTemp ? temp : other).Path() + c.name;
        EXPECT_EQ(GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES, c.removed) << c.name;
    }
    EXPECT_NE(GetFileAttributesA(held.c_str()), INVALID_FILE_ATTRIBUTES) << "a held file stays";
    EXPECT_NE(GetFileAttributesA((other.Path() + "~vlm11111111.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    CloseHandle(holder);
    EXPECT_EQ(RemoveLeftoverFiles(temp.Path(), {other.Path()}), 1) << "once let go, it goes";
}

// A running editor holds its working copy, loaded or not; a writer holds its
// new file: another instance starting meanwhile leaves them alone.
TEST(StartUp, TheWorkingCopyOfARunningEditorIsNeverRemoved) {
    testing_support::TempFolder temp, documents;
    char before[MAX_PATH] = {};
    GetEnvironmentVariableA("TMP", before, MAX_PATH);
    SetEnvironmentVariableA("TMP", temp.Path().c_str());
    {
        velmora::hex::HexDocument editor;
        const std::string work = editor.WorkingCopyPath();
        ASSERT_EQ(work.substr(0, temp.Path().size()), temp.Path());
        EXPECT_EQ(RemoveLeftoverFiles(temp.Path(), {}), 0) << "claimed, not yet loaded";
        ASSERT_TRUE(editor.LoadFromFile(documents.File("veri.bin", "ABCD")));
        EXPECT_EQ(RemoveLeftoverFiles(temp.Path(), {}), 0) << "loaded";
        editor.NewEmptyDocument("yeni");
        EXPECT_EQ(RemoveLeftoverFiles(temp.Path(), {}), 0) << "closed, still its own";
        EXPECT_NE(GetFileAttributesA(work.c_str()), INVALID_FILE_ATTRIBUTES);

        velmora::SafeFileWriter writer(documents.Path() + "belge.txt");
        ASSERT_TRUE(writer.Begin());
        EXPECT_EQ(RemoveLeftoverFiles(temp.Path(), {documents.Path()}), 0);
        EXPECT_NE(GetFileAttributesA(writer.NewFilePath().c_str()), INVALID_FILE_ATTRIBUTES);
        writer.Abandon();
    }
    SetEnvironmentVariableA("TMP", before[0] ? before : nullptr);
}
