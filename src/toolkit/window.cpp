#include "toolkit/window.h"

#include "toolkit/trace.h"

#include "toolkit/application.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tk {

namespace {
// Objects whose window CreateWindowFrom is making now, innermost last (a
// handler may create a control while its parent is being created).
std::vector<TWindow*>& PendingCreations() {
    static std::vector<TWindow*> pending;
    return pending;
}

// The classes RegisterWindowClass made: their windows start in Thunk.
std::unordered_set<std::string>& OwnClasses() {
    static std::unordered_set<std::string> classes;
    return classes;
}

bool IsOwnClass(const char* className) {
    // A class given by its atom is never one of ours.
    if (!className || IS_INTRESOURCE(className)) return false;
    return OwnClasses().count(className) != 0;
}

// HWND -> object. All windows live on the one UI thread; an in-process map is
// far cheaper than a window property, which under Wine is a server call.
std::unordered_map<HWND, TWindow*>& Objects() {
    static std::unordered_map<HWND, TWindow*> objects;
    return objects;
}
} // namespace

TWindow::~TWindow() {
    DestroyHandle();
}

TWindow* TWindow::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    auto it = Objects().find(hwnd);
    return it == Objects().end() ? nullptr : it->second;
}

void TWindow::RegisterWindowClass(const char* className, UINT classStyle, HCURSOR cursor, HBRUSH background) {
    if (IsOwnClass(className)) return;
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (GetClassInfoExA(instance, className, &existing)) {
        if (existing.lpfnWndProc == &TWindow::Thunk) OwnClasses().insert(className);
        return;
    }
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = &TWindow::Thunk;
    wc.hInstance = instance;
    wc.hCursor = cursor ? cursor : LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    // The program's own icon, also in its small size for captions.
    wc.hIcon = static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, 32, 32, 0));
    wc.hIconSm = static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, 16, 16, 0));
    if (RegisterClassExA(&wc)) OwnClasses().insert(className);
}

void TWindow::CreateWindowFrom(const WindowParams& p) {
    // A thread hook sees the window between its making and its first message
    // (WM_GETMINMAXINFO or WM_NCCREATE); the object is attached there, so a
    // platform control's creation-time messages already pass through the thunk.
    // A child of one of our own classes is attached by Thunk at WM_NCCREATE, its
    // first message: no hook (under Wine each hook set and removed costs
    // server calls, and the main window alone holds dozens of such children).
    PendingCreations().push_back(this);
    const bool needHook = !(IsOwnClass(p.className) && (p.style & WS_CHILD));
    HHOOK hook =
        needHook ? SetWindowsHookExA(WH_CBT, &TWindow::CreationHook, nullptr, GetCurrentThreadId()) : nullptr;
    TTraceWindowWork traced(p.className, WM_CREATE);
    HWND hwnd = CreateWindowExA(p.exStyle, p.className, p.text.c_str(), p.style, p.bounds.left, p.bounds.top,
                                p.bounds.right - p.bounds.left, p.bounds.bottom - p.bounds.top, p.parent,
                                reinterpret_cast<HMENU>(p.id), GetModuleHandleA(nullptr), this);
    if (hook) UnhookWindowsHookEx(hook);
    PendingCreations().pop_back();
    if (!hwnd) return;
    if (!handle_) AttachAndSubclass(hwnd); // no hook: late, but attached all the same
    if (p.font) SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(p.font), FALSE);
}

LRESULT CALLBACK TWindow::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && !PendingCreations().empty()) {
        TWindow* self = PendingCreations().back();
        auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
        // Only the window asked for: a control's own inner windows (a combo
        // box's edit and list) are made during its creation too.
        if (!self->handle_ && create && create->lpcs && create->lpcs->lpCreateParams == self)
            self->AttachAndSubclass(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void TWindow::AttachAndSubclass(HWND hwnd) {
    Attach(hwnd);
    auto thunk = reinterpret_cast<LONG_PTR>(&TWindow::Thunk);
    if (GetWindowLongPtrA(hwnd, GWLP_WNDPROC) != thunk)
        originalProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, thunk));
}

void TWindow::DestroyHandle() {
    if (handle_) DestroyWindow(handle_); // WM_NCDESTROY detaches
    handle_ = nullptr;
}

void TWindow::Attach(HWND hwnd) {
    handle_ = hwnd;
    Objects()[hwnd] = this;
}

void TWindow::Detach() {
    if (handle_) Objects().erase(handle_);
    handle_ = nullptr;
}

LRESULT TWindow::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (originalProc_) return CallWindowProcA(originalProc_, handle_, msg, wParam, lParam);
    return DefWindowProcA(handle_, msg, wParam, lParam);
}

LRESULT TWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(msg, wParam, lParam);
}

LRESULT CALLBACK TWindow::Thunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWindow* self = FromHandle(hwnd);
    if (!self && msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = static_cast<TWindow*>(cs->lpCreateParams);
        if (self) self->Attach(hwnd);
    }
    // A top-level window gets WM_GETMINMAXINFO before WM_NCCREATE.
    if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);

    LRESULT result = 0;
    try {
        TTraceWindowWork traced(hwnd, msg);
        result = self->WndProc(msg, wParam, lParam);
    } catch (...) {
        Application().HandleCurrentException();
        result = 0;
    }
    if (msg == WM_NCDESTROY) {
        WNDPROC original = self->originalProc_;
        self->Detach();
        self->originalProc_ = nullptr;
        if (original) SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        try {
            self->HandleDestroyed();
        } catch (...) {
            Application().HandleCurrentException();
        }
    }
    return result;
}

} // namespace tk
