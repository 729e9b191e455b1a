#include "toolkit/timer.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"

using testing_support::Pump;
using testing_support::PumpUntil;
using testing_support::ScriptedDialogs;

namespace {

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override { tk::Application().Initialize(); }
};

TEST_F(TimerTest, TicksWhileEnabledAndStopsWhenDisabled) {
    tk::TTimer timer;
    timer.SetInterval(10);
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }, 3000));
    timer.SetEnabled(false);
    Pump(20); // a tick already queued may still come
    int stopped = ticks;
    Pump(100);
    EXPECT_EQ(ticks, stopped);
    // A zero interval keeps it stopped even when enabled.
    timer.SetInterval(0);
    timer.SetEnabled(true);
    Pump(100);
    EXPECT_EQ(ticks, stopped);
}

TEST_F(TimerTest, ThrowingHandlerShowsTheErrorBoxAndTheLoopGoesOn) {
    ScriptedDialogs dialogs;
    tk::TTimer timer;
    timer.SetInterval(10);
    int ticks = 0;
    timer.OnTimer = [&] {
        if (++ticks == 1) throw std::runtime_error("Zamanlayıcı hatası");
    };
    // The timer keeps ticking after the error, and other messages are handled.
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }, 3000));
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].kind, "message");
    EXPECT_EQ(dialogs.Calls()[0].text, "Zamanlayıcı hatası.");
    EXPECT_EQ(dialogs.Calls()[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
}

TEST_F(TimerTest, TimerFreedInsideItsOwnHandler) {
    auto timer = std::make_unique<tk::TTimer>();
    timer->SetInterval(10);
    int ticks = 0;
    timer->OnTimer = [&] {
        ++ticks;
        timer.reset();
    };
    ASSERT_TRUE(PumpUntil([&] { return !timer; }, 3000));
    Pump(60);
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, HandlerIsNotEnteredAgainWhileItRuns) {
    tk::TTimer timer;
    timer.SetInterval(5);
    int depth = 0, deepest = 0, ticks = 0;
    timer.OnTimer = [&] {
        ++ticks;
        ++depth;
        deepest = std::max(deepest, depth);
        if (ticks == 1) Pump(60); // a nested loop, as a modal box has
        --depth;
    };
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }, 3000));
    EXPECT_EQ(deepest, 1);
}

} // namespace
