// The built program started the way a new user starts it: velmora.exe beside
// the "ini" folder the build made, in a folder of its own, nothing else there.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "support/win32_test_util.h"

using testing_support::ReadFileText;
using testing_support::TempFolder;
using testing_support::WindowsPath;

namespace {

struct Windows {
    DWORD process;
    HWND main = nullptr;
    std::vector<std::string> boxes; // texts of the dialog boxes the process shows
};

// The visible, enabled windows of one class inside a window.
struct ClassSearch {
    const char* name;
    int found = 0;
};

BOOL CALLBACK CountVisible(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<ClassSearch*>(data);
    char kind[64] = {};
    GetClassNameA(window, kind, sizeof kind);
    if (lstrcmpiA(kind, search.name) == 0 && IsWindowVisible(window) && IsWindowEnabled(window))
        ++search.found;
    return TRUE;
}

bool ShowsClass(HWND main, const char* name) {
    ClassSearch search{name};
    EnumChildWindows(main, CountVisible, reinterpret_cast<LPARAM>(&search));
    return search.found > 0;
}

struct ChildSearch {
    const char* name;
    HWND found = nullptr;
};

BOOL CALLBACK FirstOfClass(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<ChildSearch*>(data);
    char kind[64] = {};
    GetClassNameA(window, kind, sizeof kind);
    if (lstrcmpiA(kind, search.name) != 0) return TRUE;
    search.found = window;
    return FALSE;
}

HWND FindChild(HWND main, const char* name) {
    ChildSearch search{name};
    EnumChildWindows(main, FirstOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

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

// The program as built, copied into a folder of its own with the default
// table beside it, started in another folder; ended when the object goes.
class StartedProgram {
public:
    StartedProgram(const TempFolder& install, const TempFolder& work) {
        program_ = install.Path() + "velmora.exe";
        ok_ = CopyFileA(WindowsPath(VELMORA_PROGRAM).c_str(), program_.c_str(), FALSE);
        install.Folder("ini");
        ok_ = ok_ && CopyFileA(WindowsPath(VELMORA_BUILD_INI "/sec.ini").c_str(),
                               (install.Path() + "ini\\sec.ini").c_str(), FALSE);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string command = "\"" + program_ + "\"";
        ok_ = ok_ && CreateProcessA(program_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                    work.Path().c_str(), &startup, &process_);
    }
    ~StartedProgram() {
        if (!process_.hProcess) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    bool Started() const { return ok_; }
    const PROCESS_INFORMATION& Process() const { return process_; }

    // Waits for the main window (a box shown during the show step keeps it hidden).
    Windows WaitForMainWindow() const {
        Windows seen{process_.dwProcessId, nullptr, {}};
        for (int i = 0; i < 600 && !seen.main && seen.boxes.empty(); ++i) {
            Sleep(50);
            seen = FindWindows(process_.dwProcessId);
        }
        return seen;
    }

    bool Answers(HWND main) const {
        DWORD_PTR answer = 0;
        return SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer) != 0;
    }

    // Closes the main window as a user would; true when the program ended well.
    bool Close(HWND main) const {
        PostMessageA(main, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) return false;
        DWORD code = 1;
        GetExitCodeProcess(process_.hProcess, &code);
        return code == 0;
    }

private:
    std::string program_;
    PROCESS_INFORMATION process_{};
    bool ok_ = false;
};

std::string ReadTestData(const std::string& name) {
    return ReadFileText(WindowsPath(std::string(VELMORA_TEST_DATA) + "/images/" + name));
}

} // namespace

TEST(FirstStart, OpensInTheCurrentFolderWithoutAnErrorBox) {
    TempFolder install, work;
    const std::string table = ReadFileText(WindowsPath(VELMORA_BUILD_INI "/sec.ini"));
    ASSERT_NE(table, "<missing>") << "the build puts a default sec.ini beside the program";
    work.File("not.txt", "merhaba");
    // What an earlier run that ended badly left behind goes at the start; a
    // file of ours that another process holds stays.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    install.Folder("ini");
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

    StartedProgram program(install, work);
    ASSERT_TRUE(program.Started());
    // The main window appears; then give an error box time to show up too.
    Windows seen = program.WaitForMainWindow();
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
    seen = FindWindows(program.Process().dwProcessId);
    EXPECT_TRUE(seen.boxes.empty()) << seen.boxes.front();
    // It opened in the folder it was started in, and it still answers.
    std::string line = ReadFileText(archive);
    ASSERT_GE(line.size(), 2u);
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    line.resize(line.size() - 2);
    if (!line.empty() && line.back() != '\\') line += '\\';
    EXPECT_EQ(lstrcmpiA(line.c_str(), work.Path().c_str()), 0) << line;
    EXPECT_TRUE(program.Answers(seen.main));
    EXPECT_TRUE(program.Close(seen.main));
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

// The built program, out of its own process: the list shows a folder, and the
// arrow keys walk its rows, each shown in its viewer, with no error box and
// the window answering throughout; then the program closes cleanly.
TEST(ShippedProgram, ShowsATextAPageWithPicturesPicturesAndAHexFile) {
    TempFolder install, work;
    const std::string gif = ReadTestData("gif_forever.gif"), jpeg = ReadTestData("jpeg_baseline.jpg");
    ASSERT_NE(gif, "<missing>");
    ASSERT_NE(jpeg, "<missing>");
    work.File("a.txt", "merhaba d\xfcnya\r\nikinci sat\xfdr\r\n");
    work.File("b.htm", "<html><title>Sayfa</title><body><h1>Ba\xfel\xfdk</h1><img src=\"c.gif\">"
                       "<img src=\"d.jpg\"><table border=1><tr><td>bir<td>iki</table></body></html>");
    work.File("c.gif", gif);
    work.File("d.jpg", jpeg);
    work.File("e.bin", std::string("\x00\x01\x02\xff binary", 12));
    StartedProgram program(install, work);
    ASSERT_TRUE(program.Started());
    Windows seen = program.WaitForMainWindow();
    ASSERT_TRUE(seen.boxes.empty()) << seen.boxes.front();
    ASSERT_NE(seen.main, nullptr) << "no main window";
    HWND list = FindChild(seen.main, "SysListView32");
    ASSERT_NE(list, nullptr);
    // The folder is listed once the list holds its five files (after the
    // parent folder's row, when the list shows one).
    for (int i = 0; i < 200 && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) < 5; ++i)
        Sleep(50);
    const LRESULT rows = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    ASSERT_GE(rows, 5);
    ASSERT_LE(rows, 6);
    auto press = [list](WPARAM key) {
        PostMessageA(list, WM_KEYDOWN, key, 1);
        PostMessageA(list, WM_KEYUP, key, 0xC0000001);
    };
    press(VK_HOME);

    // Row by row (sorted by name), the viewer each file's kind names.
    const struct {
        const char* file;
        const char* shownClass;
    } steps[] = {
        {"a.txt", "RichEdit20A"},     {"b.htm", "VelmoraHtmlView"}, {"c.gif", "VelmoraHtmlView"},
        {"d.jpg", "VelmoraHtmlView"}, {"e.bin", "VelmoraHexGrid"},
    };
    bool first = true;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.file);
        // Home went to the first row: the parent folder's, or the first file
        // (the Home key fires no click: the Up key, going nowhere, does).
        press(first && rows == 5 ? VK_UP : VK_DOWN);
        first = false;
        bool shown = false;
        for (int i = 0; i < 200 && !shown; ++i) {
            Sleep(50);
            shown = ShowsClass(seen.main, step.shownClass);
        }
        EXPECT_TRUE(shown) << "no visible " << step.shownClass;
        ASSERT_TRUE(program.Answers(seen.main));
        Windows now = FindWindows(program.Process().dwProcessId);
        ASSERT_TRUE(now.boxes.empty()) << now.boxes.front();
    }
    EXPECT_TRUE(program.Close(seen.main));
    // Only looked at: every file is as it was.
    EXPECT_EQ(ReadFileText(work.Path() + "c.gif"), gif);
    EXPECT_EQ(ReadFileText(work.Path() + "e.bin"), std::string("\x00\x01\x02\xff binary", 12));
}
