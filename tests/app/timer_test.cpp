#include "app/timer.h"
#include "app/timer_internal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

int64_t g_now = 0;
int64_t FakeCounter() {
    return g_now;
}

TEST(TimerTest, UpdateReturnsSecondsSinceStartThenSinceLastUpdate) {
    CTimer timer(FakeCounter, 1000);
    g_now = 5000;
    timer.Start();
    g_now = 5250;
    EXPECT_FLOAT_EQ(timer.Update(), 0.25f);
    g_now = 5260;
    EXPECT_FLOAT_EQ(timer.Update(), 0.01f);
    EXPECT_EQ(timer.Update(), 0.0f);
}

TEST(TimerTest, ElapsedTicksConvertToFloatSeconds) {
    const struct {
        int64_t frequency, ticks;
        float seconds;
    } cases[] = {
        {1000000000, 16666667, 0.016666667f},
        {3579545, 3579545 * 60, 60.0f}, // a long pause comes out as one long frame
        {10000000, 1, 1e-7f},
        {1, 86400, 86400.0f},
    };
    for (const auto &c : cases) {
        CTimer timer(FakeCounter, c.frequency);
        g_now = 100;
        timer.Start();
        g_now = 100 + c.ticks;
        EXPECT_FLOAT_EQ(timer.Update(), c.seconds) << c.frequency << " " << c.ticks;
    }
}

TEST(TimerTest, CounterGoingBackYieldsZeroAndBecomesTheNewReading) {
    CTimer timer(FakeCounter, 1000);
    g_now = 10000;
    timer.Start();
    g_now = 9000;
    EXPECT_EQ(timer.Update(), 0.0f);
    g_now = 9500;
    EXPECT_FLOAT_EQ(timer.Update(), 0.5f);
}

TEST(TimerTest, ExtremeReadingsNeitherTrapNorGoNegative) {
    CTimer timer(FakeCounter, 1000);
    g_now = std::numeric_limits<int64_t>::max();
    timer.Start();
    g_now = std::numeric_limits<int64_t>::min();
    const float wrapped = timer.Update();
    EXPECT_GE(wrapped, 0.0f);
    g_now = std::numeric_limits<int64_t>::max();
    EXPECT_GE(timer.Update(), 0.0f);
}

TEST(TimerTest, UnusableFrequencyGivesZero) {
    for (int64_t frequency : {int64_t(0), int64_t(-5)}) {
        CTimer timer(FakeCounter, frequency);
        g_now = 0;
        timer.Start();
        g_now = 1000;
        EXPECT_EQ(timer.Update(), 0.0f);
    }
}

TEST(TimerTest, PlatformCounterMovesForward) {
    CTimer timer;
    timer.Start();
    float elapsed = 0.0f;
    for (int i = 0; i < 10000000 && elapsed == 0.0f; ++i)
        elapsed = timer.Update();
    EXPECT_GT(elapsed, 0.0f);
    EXPECT_LT(elapsed, 1.0f);
}

TEST(FrameTimerTest, StartZeroesFrameTimeAndTestHookSetsIt) {
    SetFrameTimeForTest(0.5f);
    EXPECT_EQ(GetFrameTime(), 0.5f);
    StartFrameTimer();
    EXPECT_EQ(GetFrameTime(), 0.0f);
    UpdateFrameTimer();
    EXPECT_GE(GetFrameTime(), 0.0f);
    EXPECT_LT(GetFrameTime(), 10.0f);
}

} // namespace
