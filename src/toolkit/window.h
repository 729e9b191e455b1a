// Base of every window the program wraps: the C++ object is found from the HWND
// (recorded at WM_NCCREATE for our own classes and when a platform control is
// subclassed, forgotten at WM_NCDESTROY). The thunk catches every exception.
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
    // Creates a window of one of our classes (attached at WM_NCCREATE) or a
    // platform control (subclassed right after creation).
    void CreateWindowFrom(const WindowParams& params);
    void DestroyHandle();
    // Messages the object handles; the default passes them on.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Called when the window is gone (WM_NCDESTROY).
    virtual void HandleDestroyed() {}

private:
    static LRESULT CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Attach(HWND hwnd);
    void Detach();

    HWND handle_ = nullptr;
    WNDPROC originalProc_ = nullptr; // set for subclassed platform controls
};

} // namespace tk
