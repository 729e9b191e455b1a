// Files dropped on the main window, as the shell hands them over (wide names):
// a name the code page cannot spell opens that file, never a look-alike.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <cstring>

#include "app/startup.h"
#include "explorer/shell_utils.h"
#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"

using namespace velmora::app;
using testing_support::Pump;
using testing_support::ScriptedDialogs;
using testing_support::TempFolder;
using testing_support::WindowsPath;
namespace explorer = velmora::explorer;

namespace {

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

void MakeFile(const std::wstring& path, const std::string& contents) {
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    CloseHandle(h);
}

class DropFilesTest : public ::testing::Test {
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
        explorer::ConfirmFileOps = false;
        dialogs_.Clear();
    }
    void TearDown() override {
        Main().TextPanel->RichEdit1->SetModified(false);
        forms_.reset();
        SetCurrentDirectoryA(startFolder_);
    }
    TForm1& Main() { return *forms_->form1; }

    ScriptedDialogs dialogs_;
    TempFolder app_, files_;
    std::unique_ptr<Forms> forms_;
    char startFolder_[MAX_PATH] = {};
};

} // namespace

TEST_F(DropFilesTest, ANameTheCodePageCannotSpellOpensThatFileNotItsLookAlike) {
    const std::wstring folder(files_.Path().begin(), files_.Path().end());
    // 'ő' is not in the code page: the system's own conversion makes it 'o',
    // which names the other file.
    MakeFile(folder + L"\u015Eirket_o.txt", "o ile yazilan");
    MakeFile(folder + L"\u015Eirket_\u0151.txt", "bu dosya birakildi");
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
        EXPECT_EQ(Main().CurrentFile.find('?'), std::string::npos) << Main().CurrentFile;
        wchar_t opened[MAX_PATH * 2] = {};
        std::wstring current(Main().CurrentFile.size() + 1, L'\0');
        MultiByteToWideChar(CP_ACP, 0, Main().CurrentFile.c_str(), -1, current.data(),
                            static_cast<int>(current.size()));
        GetLongPathNameW(current.c_str(), opened, MAX_PATH * 2);
        EXPECT_EQ(std::wstring(opened), c.dropped);
        EXPECT_TRUE(dialogs_.Calls("message").empty());
    }
}
