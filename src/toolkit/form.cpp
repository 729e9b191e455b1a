#include "toolkit/form.h"

#include "toolkit/application.h"
#include "toolkit/dialogs.h"
#include "toolkit/menus.h"

namespace tk {

namespace {
const char* const kFormClass = "VelmoraForm";
}

TForm::TForm(const Params& p) : font_(MakeFont(p.fontName, p.fontPoints)), position_(p.position) {
    RegisterWindowClass(kFormClass, CS_DBLCLKS, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    int width = p.width, height = p.height;
    if (p.clientWidth > 0 && p.clientHeight > 0) {
        RECT frame{0, 0, p.clientWidth, p.clientHeight};
        AdjustWindowRectEx(&frame, p.style, FALSE, p.exStyle);
        width = frame.right - frame.left;
        height = frame.bottom - frame.top;
    }
    int left = p.left, top = p.top;
    if (p.position != TPosition::poDesigned) {
        RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        TForm* main = Application().MainForm();
        if (p.position == TPosition::poMainFormCenter && main && main->Handle()) GetWindowRect(main->Handle(), &area);
        left = area.left + (area.right - area.left - width) / 2;
        top = area.top + (area.bottom - area.top - height) / 2;
    }
    WindowParams wp;
    wp.parent = p.owner;
    wp.className = kFormClass;
    wp.style = p.style & ~WS_VISIBLE;
    wp.exStyle = p.exStyle;
    wp.bounds = RECT{left, top, left + width, top + height};
    wp.text = p.caption;
    wp.font = font_.get(); // what the form's controls take unless given their own
    CreateControl(nullptr, wp);
}

TForm::~TForm() {
    if (Application().MainForm() == this) Application().SetMainForm(nullptr);
}

void TForm::SetMenu(TMainMenu* menu) {
    menu_ = menu;
    if (Handle()) {
        ::SetMenu(Handle(), menu ? menu->Handle() : nullptr);
        DrawMenuBar(Handle());
    }
}

void TForm::Show() {
    if (!Handle()) return;
    // The main form may have moved since this form was made.
    if (position_ == TPosition::poMainFormCenter && !IsWindowVisible(Handle())) {
        TForm* main = Application().MainForm();
        if (main && main != this && main->Handle()) {
            RECT area, own;
            GetWindowRect(main->Handle(), &area);
            GetWindowRect(Handle(), &own);
            const int w = own.right - own.left, h = own.bottom - own.top;
            SetWindowPos(Handle(), nullptr, area.left + (area.right - area.left - w) / 2,
                         area.top + (area.bottom - area.top - h) / 2, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    UpdateWindow(Handle());
}

void TForm::Hide() {
    if (Handle()) ShowWindow(Handle(), SW_HIDE);
}

void TForm::Close() {
    if (modal_) {
        if (modalResult_ == 0) modalResult_ = IDCANCEL;
        return;
    }
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(canClose);
    if (!canClose) return;
    TCloseAction action = Application().MainForm() == this ? TCloseAction::caFree : TCloseAction::caHide;
    if (OnClose) OnClose(action);
    if (action == TCloseAction::caNone) return;
    if (Application().MainForm() == this) {
        Hide();
        Application().Terminate();
    } else {
        Hide();
    }
}

int TForm::ShowModal() {
    return CurrentDialogs().ShowModal(*this);
}

int TForm::RunModalLoop() {
    modalResult_ = 0;
    modal_ = true;
    HWND owner = Application().MainForm() ? Application().MainForm()->Handle() : nullptr;
    if (owner && owner != Handle()) EnableWindow(owner, FALSE);
    Show();
    MSG msg;
    while (modalResult_ == 0) {
        // The actions follow while a modal form runs, as in the main loop.
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            Application().Idle();
            if (modalResult_ == 0) WaitMessage();
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            modalResult_ = IDCANCEL;
            break;
        }
        if (!Application().PreTranslate(msg) && !IsDialogMessageA(Handle(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    modal_ = false;
    if (owner && owner != Handle()) EnableWindow(owner, TRUE);
    Hide();
    if (owner) SetActiveWindow(owner);
    return modalResult_;
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (OnMessage) {
        LRESULT result = 0;
        if (OnMessage(msg, wParam, lParam, result)) return result;
    }
    switch (msg) {
    case WM_SHOWWINDOW:
        if (wParam && OnShow) OnShow();
        break;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_COMMAND:
        // Menu commands (pop-up menus run their items themselves).
        if (lParam == 0 && HIWORD(wParam) == 0) {
            if (TMenuItem* item = TMenuItem::FromCommand(LOWORD(wParam))) {
                item->Click();
                return 0;
            }
        }
        break;
    case WM_DESTROY:
        if (OnDestroy) OnDestroy();
        break;
    case WM_PAINT:
        if (OnPaint) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(Handle(), &ps);
            OnPaint(dc);
            EndPaint(Handle(), &ps);
            return 0;
        }
        break;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

} // namespace tk
