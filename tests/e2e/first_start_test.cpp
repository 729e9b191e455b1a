// The built program started the way a new user starts it: velmora.exe beside
// the "ini" folder the build made, in a folder of its own, nothing else there.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/win32_test_util.h"

using testing_support::ReadFileText;
using testing_support::WindowsPath;
using testing_support::TempFolder;

namespace {

struct Windows {
    DWORD process;
    HWND main = nullptr;
    std::vector<std::string> boxes; // texts of the dialog boxes the process shows
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
    auto& found = *reinterpret_cast<Windows*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != found.process || !IsWindowVisible(window)) return TRUE;
    char caption[256] = {}, kind[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    GetClassNameA(window, kind, sizeof kind);
    if (std::string(caption).rfind("velmora Version", 0) == 0) found.main = window;
    if (std::string(kind) == "#32770") {
        std::string text = caption;
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char line[512] = {};
            GetWindowTextA(child, line, sizeof line);
            text += std::string(" | ") + line;
        }
        found.boxes.push_back(text);
    }
    return TRUE;
}

Windows FindWindows(DWORD process) {
    Windows found{process, nullptr, {}};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

TEST(FirstStart, OpensInTheCurrentFolderWithoutAnErrorBox) {
    TempFolder install, work;
    const std::string program = install.Path() + "velmora.exe";
    ASSERT_TRUE(CopyFileA(WindowsPath(VELMORA_PROGRAM).c_str(), program.c_str(), FALSE));
    install.Folder("ini");
    const std::string table = ReadFileText(WindowsPath(VELMORA_BUILD_INI "/sec.ini"));
    ASSERT_NE(table, "<missing>") << "the build puts a default sec.ini beside the program";
    ASSERT_TRUE(CopyFileA(WindowsPath(VELMORA_BUILD_INI "/sec.ini").c_str(),
                          (install.Path() + "ini\\sec.ini").c_str(), FALSE));
    work.File("not.txt", "merhaba");
    // What an earlier run that ended badly left behind goes at the start; a
    // file of ours that another process holds stays.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::vector<std::string> leftovers = {install.Path() + "ini\\~vlm0000BEEF.tmp",
                                                std::string(temp) + "0BADF00D.KWTF",
                                                std::string(temp) + "0BADF00D.KWTF.undo"};
    for (const std::string& path : leftovers) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
        CloseHandle(file);
    }
    const std::string held = std::string(temp) + "0BADF00E.KWTF";
    HANDLE holder =
        CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    struct Release {
        HANDLE file;
        ~Release() { CloseHandle(file); }
    } release{holder};

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::string command = "\"" + program + "\"";
    ASSERT_TRUE(CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               work.Path().c_str(), &startup, &started));
    // Whatever happens below, the program does not outlive the test.
    struct Stop {
        PROCESS_INFORMATION& process;
        ~Stop() {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process.hProcess, 1);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    } stop{started};
    // The main window appears (a box shown during the show step keeps it hidden);
    // then give an error box time to show up too.
    Windows seen{started.dwProcessId, nullptr, {}};
    for (int i = 0; i < 600 && !seen.main && seen.boxes.empty(); ++i) {
        Sleep(50);
        seen = FindWindows(started.dwProcessId);
    }
    ASSERT_TRUE(seen.boxes.empty()) << seen.boxes.front();
    ASSERT_NE(seen.main, nullptr) << "no main window";
    for (const std::string& path : leftovers)
        EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
    EXPECT_NE(GetFileAttributesA(held.c_str()), INVALID_FILE_ATTRIBUTES) << "held by this process";
    // The show step has run when aktif.ini is there.
    const std::string archive = install.Path() + "ini\\aktif.ini";
    for (int i = 0; i < 200 && ReadFileText(archive) == "<missing>"; ++i)
        Sleep(50);
    Sleep(1000);
    seen = FindWindows(started.dwProcessId);
    EXPECT_TRUE(seen.boxes.empty()) << seen.boxes.front();
    // It opened in the folder it was started in, and it still answers.
    std::string line = ReadFileText(archive);
    ASSERT_GE(line.size(), 2u);
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    line.resize(line.size() - 2);
    if (!line.empty() && line.back() != '\\') line += '\\';
    EXPECT_EQ(lstrcmpiA(line.c_str(), work.Path().c_str()), 0) << line;
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutA(seen.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));

    PostMessageA(seen.main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(started.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(started.hProcess, &code);
    EXPECT_EQ(code, 0u);
    // The table was only read.
    EXPECT_EQ(ReadFileText(install.Path() + "ini\\sec.ini"), table);
}

TEST(FirstStart, DefaultTableAssociatesWhatANewUserExpects) {
    const std::string table = ReadFileText(WindowsPath(VELMORA_DEFAULT_TABLE));
    EXPECT_EQ(table,
              "Metin Editörü\r\n\t.txt\r\n\t.log\r\n\t.ini\r\n\t.c\r\n\t.cpp\r\n\t.h\r\n\t.pas\r\n\t.bat\r\n"
              "\t.rtf\r\nHtml Editörü\r\n\t.htm\r\n\t.html\r\nResim Editörü\r\n\t.bmp\r\n\t.gif\r\n\t.jpg\r\n"
              "\t.jpeg\r\nHex Editörü\r\n\t.bin\r\n\t.exe\r\n\t.dll\r\n\t.dat\r\n");
}
