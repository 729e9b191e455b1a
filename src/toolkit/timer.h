// TTimer: OnTimer every Interval milliseconds while Enabled. The handler runs
// inside the exception barrier like any window procedure: an exception shows
// the error box and the timer goes on.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

namespace tk {

class TTimer {
public:
    TTimer() = default;
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    UINT Interval() const { return interval_; }
    // 0 stops the timer (it keeps its Enabled state).
    void SetInterval(UINT milliseconds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // Runs on the thread's message loop; while it runs (and while its error box
    // is up) the timer's own ticks are skipped, never stacked.
    std::function<void()> OnTimer;

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
    void Update();
    void Fire();

    UINT interval_ = 1000;
    bool enabled_ = true;
    bool running_ = false;
    UINT_PTR id_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace tk
