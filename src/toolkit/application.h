// The application object: start-up of the platform parts, the message loop and
// the place where exceptions from handlers are shown.
#pragma once
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace tk {

class TForm;

class TApplication {
public:
    // Common controls, COM (OLE) on this thread, the window classes of the toolkit.
    void Initialize();
    void Finalize();

    HINSTANCE Instance() const { return instance_; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }

    // Runs the loop until the main form is closed (or Terminate). Each time the
    // queue empties, the idle step runs before the loop waits.
    void Run();
    // The idle step: OnIdle, then every action list updates its actions (cheap;
    // tests call it too).
    void Idle();
    // The program's own idle work, run before the actions update.
    std::function<void()> OnIdle;
    // Handles the messages waiting now; returns false once WM_QUIT was seen.
    bool ProcessMessages();
    // Handles messages until `done` says so or the timeout passes, with the idle
    // step whenever it waits; true when done.
    bool ProcessMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs);
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The error box for an exception that reached a window procedure.
    void ShowException(const std::exception& e);
    // Catches the current exception: EAbort silently, others in the error box.
    void HandleCurrentException();

    // Keyboard shortcuts of the form the key message is for (menus, actions).
    static bool PreTranslateKey(MSG& msg);

    // A message filter sees each message before it is dispatched and returns
    // true when it handled it (a modeless dialog's IsDialogMessage, ...).
    using MessageFilter = std::function<bool(MSG&)>;
    // Filters run in the order they were added, until one handles the message.
    // Returns the id that removes the filter again.
    int AddMessageFilter(MessageFilter filter);
    void RemoveMessageFilter(int id);
    // Shortcuts first, then the filters; true when the message was handled.
    // Every loop (the main one, modal ones) asks this before dispatching.
    bool PreTranslate(MSG& msg);

private:
    bool Dispatch(MSG& msg);
    struct Filter {
        int id;
        MessageFilter filter;
    };
    std::vector<Filter> filters_;
    int nextFilterId_ = 0;

    HINSTANCE instance_ = nullptr;
    std::string title_ = "velmora";
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool initialized_ = false;
    bool comInitialized_ = false;
};

TApplication& Application();

} // namespace tk
