#include "toolkit/timer.h"

#include <unordered_map>

#include "toolkit/application.h"

namespace tk {

namespace {
// Thread timers are told apart by the id SetTimer gives them.
std::unordered_map<UINT_PTR, TTimer*>& Timers() {
    static std::unordered_map<UINT_PTR, TTimer*> timers;
    return timers;
}
} // namespace

TTimer::~TTimer() {
    *alive_ = false;
    enabled_ = false;
    Update();
}

void TTimer::SetInterval(UINT milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update();
}

void TTimer::Update() {
    if (id_) {
        KillTimer(nullptr, id_);
        Timers().erase(id_);
        id_ = 0;
    }
    if (enabled_ && interval_ > 0) {
        id_ = SetTimer(nullptr, 0, interval_, &TTimer::TimerProc);
        if (id_) Timers()[id_] = this;
    }
}

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Timers().find(id);
    if (it != Timers().end()) it->second->Fire();
}

void TTimer::Fire() {
    if (running_ || !OnTimer) return;
    std::shared_ptr<bool> alive = alive_;
    running_ = true;
    auto handler = OnTimer; // the handler may free the timer
    try {
        handler();
    } catch (...) {
        Application().HandleCurrentException();
    }
    // The handler (or the error box's loop) may have freed the timer.
    if (*alive) running_ = false;
}

} // namespace tk
