#include "support/shell_questions.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

namespace testing_support {

namespace {
ShellQuestions* current = nullptr;
}

ShellQuestions::ShellQuestions(int answer) : answer_(answer) {
    current = this;
    timer_ = SetTimer(nullptr, 0, 50, &ShellQuestions::Tick);
}

ShellQuestions::~ShellQuestions() {
    KillTimer(nullptr, timer_);
    if (current == this) current = nullptr;
}

void CALLBACK ShellQuestions::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current)
        EnumThreadWindows(GetCurrentThreadId(), &ShellQuestions::Visit, reinterpret_cast<LPARAM>(current));
}

BOOL CALLBACK ShellQuestions::Visit(HWND window, LPARAM self) {
    auto* questions = reinterpret_cast<ShellQuestions*>(self);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
    if (std::find(questions->answered_.begin(), questions->answered_.end(), window) !=
        questions->answered_.end())
        return TRUE;
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    questions->captions_.push_back(caption);
    questions->answered_.push_back(window);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(questions->answer_, BN_CLICKED), 0);
    return TRUE;
}

std::vector<std::wstring> RecycleBinNames() {
    std::vector<std::wstring> names;
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) return names;
    LPITEMIDLIST binId = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &binId))) {
        IShellFolder* bin = nullptr;
        if (SUCCEEDED(
                desktop->BindToObject(binId, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&bin)))) {
            IEnumIDList* items = nullptr;
            if (bin->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                                 &items) == S_OK &&
                items) {
                LPITEMIDLIST item = nullptr;
                while (items->Next(1, &item, nullptr) == S_OK) {
                    STRRET text{};
                    wchar_t name[MAX_PATH] = {};
                    if (SUCCEEDED(bin->GetDisplayNameOf(item, SHGDN_INFOLDER, &text)) &&
                        SUCCEEDED(StrRetToBufW(&text, item, name, MAX_PATH)))
                        names.push_back(name);
                    CoTaskMemFree(item);
                }
                items->Release();
            }
            bin->Release();
        }
        CoTaskMemFree(binId);
    }
    desktop->Release();
    return names;
}

bool RecycleBinHolds(const std::wstring& name) {
    for (const std::wstring& held : RecycleBinNames())
        if (held == name) return true;
    return false;
}

} // namespace testing_support
