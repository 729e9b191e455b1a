// Base of every window the program wraps: the C++ object is found from the HWND
// (recorded while CreateWindowEx runs, before the window's first message, and
// forgotten at WM_NCDESTROY). The thunk catches every exception.
#pragma once
#include <windows.h>

#include <string>

namespace tk {

struct WindowParams {
    HWND parent = nullptr;
    const char* className = nullptr;
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    RECT bounds{0, 0, 0, 0};
    std::string text;
    UINT_PTR id = 0;
    HFONT font = nullptr;
};

class TWindow {
public:
    TWindow() = default;
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    virtual ~TWindow();

    HWND Handle() const { return handle_; }
    static TWindow* FromHandle(HWND hwnd);

    // Registers one of our own window classes, once; the class procedure is the thunk.
    static void RegisterWindowClass(const char* className, UINT classStyle = CS_DBLCLKS,
                                    HCURSOR cursor = nullptr, HBRUSH background = nullptr);

protected:
    // Creates a window of one of our classes or a platform control. Either is
    // attached (a platform control also subclassed) before its first message, so
    // creation-time messages such as an owner-drawn combo box's WM_MEASUREITEM
    // reach the object.
    void CreateWindowFrom(const WindowParams& params);
    // True for a platform control, whose procedure is not ours.
    bool IsSubclassed() const { return originalProc_ != nullptr; }
    void DestroyHandle();
    // Messages the object handles; the default passes them on.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Called when the window is gone (WM_NCDESTROY).
    virtual void HandleDestroyed() {}

private:
    static LRESULT CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
    void Attach(HWND hwnd);
    void AttachAndSubclass(HWND hwnd);
    void Detach();

    HWND handle_ = nullptr;
    WNDPROC originalProc_ = nullptr; // set for subclassed platform controls
};

} // namespace tk
