// The shell's own boxes during a file operation (its confirmations are not
// the program's and do not go through the dialogs seam), answered by a test,
// and a look into the recycle bin.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// While it lives, every dialog box this thread shows is answered with the
// given command (IDYES, IDNO, IDCANCEL) and its caption recorded. A thread
// timer does it, so it runs inside the shell's own modal loop.
class ShellQuestions {
public:
    explicit ShellQuestions(int answer);
    ~ShellQuestions();
    ShellQuestions(const ShellQuestions&) = delete;
    ShellQuestions& operator=(const ShellQuestions&) = delete;

    void SetAnswer(int answer) { answer_ = answer; }
    const std::vector<std::string>& Captions() const { return captions_; }
    void Clear() { captions_.clear(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK Visit(HWND window, LPARAM self);

    int answer_;
    UINT_PTR timer_ = 0;
    std::vector<std::string> captions_;
    std::vector<HWND> answered_;
};

// The names of the recycle bin's items as the shell shows them (wide, since
// the bin keeps names the code page cannot spell).
std::vector<std::wstring> RecycleBinNames();
bool RecycleBinHolds(const std::wstring& name);

} // namespace testing_support
