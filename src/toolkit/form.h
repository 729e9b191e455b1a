// Top-level windows: the program's forms. A form owns the controls placed on it
// (as members of the derived class); it is created hidden and shown by Show.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "toolkit/control.h"
#include "toolkit/gdi.h"

namespace tk {

class TMainMenu;
class TActionList;

// poMainFormCenter centres on the application's main form (on the screen while there is none).
enum class TPosition { poDesigned, poScreenCenter, poDesktopCenter, poMainFormCenter };
enum class TCloseAction { caNone, caHide, caFree };

class TForm : public TControl {
public:
    struct Params {
        std::string caption;
        int width = 400, height = 300;
        // When set, the client area's size; the window's size follows from the style.
        int clientWidth = 0, clientHeight = 0;
        TPosition position = TPosition::poDesigned;
        int left = CW_USEDEFAULT, top = CW_USEDEFAULT;
        std::string fontName = "MS Sans Serif";
        int fontPoints = 8;
        DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
        DWORD exStyle = 0;
        HWND owner = nullptr;
    };
    explicit TForm(const Params& params);
    ~TForm() override;

    HFONT Font() const { return font_.get(); }
    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& caption) { SetText(caption); }

    void Show();
    void Hide();
    // Asks OnCloseQuery and OnClose; hides or destroys the window. The main form's
    // close ends the application's loop.
    void Close();
    // Shows the form modal through the dialogs seam (a test scripts the
    // answer); returns the modal result.
    int ShowModal();
    // The nested loop itself, until ModalResult is set: the seam's real
    // implementation calls it, nothing else does.
    int RunModalLoop();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }

    // The window's main menu and action list (not owned).
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);
    TActionList* Actions() const { return actions_; }
    void SetActions(TActionList* actions) { actions_ = actions; }

    std::function<void()> OnShow;
    std::function<void(TCloseAction&)> OnClose;
    std::function<void(bool&)> OnCloseQuery;
    std::function<void()> OnDestroy;
    std::function<void(HDC)> OnPaint;
    // Messages the form's owner wants to see first; return true when handled.
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> OnMessage;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    FontHandle font_;
    TMainMenu* menu_ = nullptr;
    TActionList* actions_ = nullptr;
    bool modal_ = false;
    int modalResult_ = 0;
    TPosition position_;
};

} // namespace tk
