#include "toolkit/application.h"

#include "toolkit/trace.h"

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>

#include "toolkit/dialogs.h"
#include "toolkit/exceptions.h"
#include "toolkit/form.h"
#include "toolkit/actions.h"
#include "toolkit/menus.h"

namespace tk {

TApplication& Application() {
    static TApplication application;
    return application;
}

void TApplication::Initialize() {
    terminated_ = false;
    if (initialized_) return;
    initialized_ = true;
    instance_ = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES |
                                             ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    // The shell's drag and drop, links and clipboard need OLE on the UI thread.
    comInitialized_ = SUCCEEDED(OleInitialize(nullptr));
    LoadLibraryA("riched20.dll");
    terminated_ = false;
}

void TApplication::Finalize() {
    if (comInitialized_) OleUninitialize();
    comInitialized_ = false;
    initialized_ = false;
}

bool TApplication::Dispatch(MSG& msg) {
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return false;
    }
    if (!PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

bool TApplication::PreTranslateKey(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    auto* form = dynamic_cast<TForm*>(TWindow::FromHandle(root));
    if (!form) return false;
    return ResolveShortCut(*form, GetFocus(), ShortCutFromKey(msg.wParam));
}

int TApplication::AddMessageFilter(MessageFilter filter) {
    filters_.push_back({++nextFilterId_, std::move(filter)});
    return nextFilterId_;
}

void TApplication::RemoveMessageFilter(int id) {
    std::erase_if(filters_, [id](const Filter& f) { return f.id == id; });
}

bool TApplication::PreTranslate(MSG& msg) {
    try {
        if (PreTranslateKey(msg)) return true;
        // A filter may add or remove filters (a dialog closing): walk a copy,
        // skipping those removed meanwhile.
        if (filters_.empty()) return false;
        std::vector<Filter> snapshot = filters_;
        for (Filter& f : snapshot) {
            bool present =
                std::any_of(filters_.begin(), filters_.end(), [&](const Filter& g) { return g.id == f.id; });
            if (present && f.filter(msg)) return true;
        }
    } catch (...) {
        HandleCurrentException();
        return true;
    }
    return false;
}

void TApplication::Run() {
    MSG msg;
    while (!terminated_) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            Dispatch(msg);
            continue;
        }
        Idle();
        TraceFirstIdle();
        // Returns at once for anything posted since the peek, the idle step's own paints included.
        if (!terminated_) WaitMessage();
    }
}

void TApplication::Idle() {
    try {
        if (OnIdle) OnIdle();
        UpdateActionLists();
    } catch (...) {
        HandleCurrentException();
    }
}

bool TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!Dispatch(msg)) return false;
    }
    return !terminated_;
}

bool TApplication::ProcessMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        ProcessMessages();
        if (done()) return true;
        if (terminated_ || GetTickCount() - start >= timeoutMs) return false;
        Idle();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void TApplication::Terminate() {
    terminated_ = true;
    PostQuitMessage(0);
}

void TApplication::ShowException(const std::exception& e) {
    std::string text = e.what();
    if (!text.empty() && text.back() != '.') text += '.';
    HWND owner = GetActiveWindow();
    ShowMessageBox(owner, text, title_, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleCurrentException() {
    try {
        throw;
    } catch (const EAbort&) {
        // silent by design
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        ShowException(Exception("Unknown error"));
    }
}

} // namespace tk
