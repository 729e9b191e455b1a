#include "explorer/shell_utils.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include "explorer/path_utils.h"
#include "support/scripted_dialogs.h"
#include "support/shell_questions.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"

using testing_support::ScriptedDialogs;
using testing_support::TempFolder;
using namespace velmora::explorer;

namespace {

class ShellUtilsTest : public ::testing::Test {
protected:
    void SetUp() override { tk::Application().Initialize(); }
};

// A drive letter the machine does not have.
char MissingDriveLetter() {
    DWORD drives = GetLogicalDrives();
    for (char c = 'Z'; c >= 'D'; --c) {
        if (!(drives & (1u << (c - 'A')))) return c;
    }
    return 0;
}

} // namespace

TEST(PathUtils, SlashesAndJoins) {
    EXPECT_EQ(AddSlash(""), "");
    EXPECT_EQ(AddSlash("C:"), "C:\\");
    EXPECT_EQ(AddSlash("C:\\"), "C:\\");
    EXPECT_EQ(DelSlash("C:\\A\\"), "C:\\A");
    EXPECT_EQ(DelSlash("C:\\A\\\\"), "C:\\A\\");
    EXPECT_EQ(DelSlash(""), "");
    EXPECT_EQ(JoinPath("C:\\A", "b.txt"), "C:\\A\\b.txt");
    EXPECT_EQ(JoinPath("C:\\A\\", "b.txt"), "C:\\A\\b.txt");
    EXPECT_EQ(JoinPath("", "b.txt"), "");
    EXPECT_EQ(JoinPath("C:\\A", ""), "");
}

TEST_F(ShellUtilsTest, PathExistsFindsFilesAndFolders) {
    TempFolder temp;
    std::string file = temp.File("a.txt", "x");
    std::string folder = temp.Folder("Sub");
    EXPECT_TRUE(PathExists(file));
    EXPECT_TRUE(PathExists(DelSlash(folder)));
    EXPECT_FALSE(PathExists(temp.Path() + "missing.txt"));
    EXPECT_FALSE(PathExists(""));
}

TEST_F(ShellUtilsTest, DriveReadyOnPresentMissingAndInvalidDrives) {
    ScriptedDialogs dialogs;
    EXPECT_TRUE(DriveReady('c', true));
    EXPECT_TRUE(dialogs.Calls().empty());

    char missing = MissingDriveLetter();
    ASSERT_NE(missing, 0);
    EXPECT_FALSE(DriveReady(missing, false));
    EXPECT_TRUE(dialogs.Calls().empty());
    EXPECT_FALSE(DriveReady(static_cast<char>(missing - 'A' + 'a'), true));
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].text,
              std::string("Disket takılı değil \r                veya Sürücü ") + missing + ": hazır değil");

    dialogs.Clear();
    EXPECT_FALSE(DriveReady('1', false));
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].text, "Geçersiz sürücü adı");
}

TEST_F(ShellUtilsTest, DiskSizesOfPresentAndMissingDrives) {
    int64_t size = DiskSizeKB("C:\\");
    int64_t free = DiskFreeKB("C:\\");
    EXPECT_GT(size, 0);
    EXPECT_GT(free, 0);
    EXPECT_LE(free, size);
    std::string missing = std::string(1, MissingDriveLetter()) + ":\\";
    EXPECT_EQ(DiskSizeKB(missing), 0);
    EXPECT_EQ(DiskFreeKB(missing), 0);
}

TEST_F(ShellUtilsTest, WineReportsAnNtVersion) {
    EXPECT_EQ(GetWinVersion(), "NT");
}

TEST_F(ShellUtilsTest, ExecuteFilePassesItsArgumentsAndReportsFailure) {
    ScriptedDialogs dialogs;
    dialogs.AnswerShell(42);
    EXPECT_EQ(ExecuteFile("Open", "a.txt", "", "C:\\Temp\\", SW_SHOW), 42);
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].kind, "shell");
    EXPECT_EQ(dialogs.Calls()[0].verb, "Open");
    EXPECT_EQ(dialogs.Calls()[0].text, "a.txt");
    EXPECT_EQ(dialogs.Calls()[0].directory, "C:\\Temp\\");
    EXPECT_EQ(dialogs.Calls()[0].showCommand, SW_SHOW);

    dialogs.Clear();
    dialogs.AnswerShell(2);
    EXPECT_EQ(ExecuteFile("Open", "yok.exe", "", "", SW_SHOW), 2);
    ASSERT_EQ(dialogs.Calls().size(), 2u);
    EXPECT_EQ(dialogs.Calls()[1].kind, "message");
    EXPECT_EQ(dialogs.Calls()[1].caption, "Error");
    EXPECT_EQ(dialogs.Calls()[1].text, "Bu dosya işletilemedi.  yok.exe");
}

TEST_F(ShellUtilsTest, ShellFileOperationCopiesMovesRenamesAndDeletes) {
    TempFolder temp;
    std::string a = temp.File("a.txt", "hello");
    std::string sub = temp.Folder("Sub");
    temp.File("Sub\\inner.txt", "x");

    EXPECT_TRUE(ShellFileOperation(nullptr, FO_COPY, a, temp.Path() + "b.txt", false));
    EXPECT_TRUE(PathExists(temp.Path() + "b.txt"));
    // Without confirmation an existing target is overwritten.
    temp.File("c.txt", "old");
    EXPECT_TRUE(ShellFileOperation(nullptr, FO_COPY, a, temp.Path() + "c.txt", false));
    WIN32_FILE_ATTRIBUTE_DATA info{};
    ASSERT_TRUE(GetFileAttributesExA((temp.Path() + "c.txt").c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(info.nFileSizeLow, 5u);

    EXPECT_TRUE(ShellFileOperation(nullptr, FO_MOVE, temp.Path() + "b.txt", sub + "b.txt", false));
    EXPECT_FALSE(PathExists(temp.Path() + "b.txt"));
    EXPECT_TRUE(PathExists(sub + "b.txt"));

    EXPECT_TRUE(ShellFileOperation(nullptr, FO_RENAME, DelSlash(sub), temp.Path() + "Yeni Klasör", false));
    EXPECT_TRUE(PathExists(temp.Path() + "Yeni Klasör\\inner.txt"));

    // A folder with content goes at once.
    EXPECT_TRUE(ShellFileOperation(nullptr, FO_DELETE, temp.Path() + "Yeni Klasör", "", false));
    EXPECT_FALSE(PathExists(temp.Path() + "Yeni Klasör"));
}

TEST_F(ShellUtilsTest, ShellFileOperationReportsAMissingSource) {
    TempFolder temp;
    EXPECT_FALSE(ShellFileOperation(nullptr, FO_COPY, temp.Path() + "yok.txt", temp.Path() + "b.txt", false));
    EXPECT_FALSE(PathExists(temp.Path() + "b.txt"));
}

TEST_F(ShellUtilsTest, DeletionsGoToTheRecycleBinAskingOnlyWhenConfirmationIsOn) {
    // Under Wine the bin is the desktop's trash folder (XDG_DATA_HOME/Trash).
    struct Case {
        bool confirm;
        int answer;
        bool deleted;
        size_t questions;
    };
    const Case cases[] = {{false, IDNO, true, 0}, {true, IDYES, true, 1}, {true, IDNO, false, 1}};
    TempFolder temp;
    int n = 0;
    for (const Case& c : cases) {
        // A name of its own: the bin keeps the items of earlier runs.
        const std::string name = "sil_" + std::to_string(GetCurrentProcessId()) + "_" +
                                 std::to_string(GetTickCount()) + "_" + std::to_string(++n) + ".txt";
        const std::string path = temp.File(name, "data");
        ScriptedDialogs dialogs;
        testing_support::ShellQuestions questions(c.answer);
        EXPECT_EQ(ShellFileOperation(nullptr, FO_DELETE, path, "", c.confirm), c.deleted) << n;
        EXPECT_EQ(questions.Captions().size(), c.questions) << n;
        EXPECT_EQ(PathExists(path), !c.deleted) << n;
        EXPECT_EQ(testing_support::RecycleBinHolds(std::wstring(name.begin(), name.end())), c.deleted) << n;
        EXPECT_TRUE(dialogs.Calls().empty());
    }
    EXPECT_EQ(ShellFileOperationFlags(FO_DELETE, false) & (FOF_ALLOWUNDO | FOF_WANTNUKEWARNING),
              FOF_ALLOWUNDO | FOF_WANTNUKEWARNING);
}

TEST_F(ShellUtilsTest, ShortNamesReachTheShellAsTheLongNames) {
    TempFolder temp;
    const std::string folder = temp.Folder("Hedef");
    const std::wstring wideTemp(temp.Path().begin(), temp.Path().end());
    const std::wstring longName = wideTemp + L"\u03A9mega.txt";
    HANDLE h =
        CreateFileW(longName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    wchar_t shortWide[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(longName.c_str(), shortWide, MAX_PATH), 0u);
    char shortPath[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, shortWide, -1, shortPath, MAX_PATH, nullptr, nullptr);
    ASSERT_EQ(std::string(shortPath).find('?'), std::string::npos) << shortPath;

    EXPECT_EQ(LongWidePath(shortPath), longName);
    EXPECT_EQ(LongWidePath(temp.Path() + "yok.txt"), wideTemp + L"yok.txt");
    EXPECT_TRUE(ShellCopyInto(nullptr, FO_COPY, shortPath, folder, false));
    const std::wstring copied = std::wstring(folder.begin(), folder.end()) + L"\u03A9mega.txt";
    EXPECT_NE(GetFileAttributesW(copied.c_str()), INVALID_FILE_ATTRIBUTES);
}
