#include "app/timer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

int64_t g_now = 0;
int64_t FakeCounter() {
    return g_now;
}

// Each row starts the timer at the first reading, then updates at the others.
TEST(TimerTest, UpdateGivesSecondsSinceTheLastReading) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    const struct {
        int64_t frequency;
        std::vector<int64_t> readings;
        std::vector<float> seconds;
    } cases[] = {
        {1000, {5000, 5250, 5260, 5260}, {0.25f, 0.01f, 0.0f}},
        {3579545, {100, 100 + 3579545 * 60}, {60.0f}}, // a long pause is one long frame
        {1000, {10000, 9000, 9500}, {0.0f, 0.5f}},     // backward: 0, and the new reading counts
        {1000, {kMax, kMin, kMax}, {0.001f, 0.0f}},    // extremes neither trap nor go negative
        {0, {0, 1000}, {0.0f}},                        // unusable frequency
    };
    for (const auto &c : cases) {
        CTimer timer(FakeCounter, c.frequency);
        g_now = c.readings[0];
        timer.Start();
        for (size_t i = 1; i < c.readings.size(); ++i) {
            g_now = c.readings[i];
            EXPECT_FLOAT_EQ(timer.Update(), c.seconds[i - 1]) << c.frequency << " " << g_now;
        }
    }
}

} // namespace
