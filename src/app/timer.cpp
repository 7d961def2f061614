#include "app/timer.h"

#include "app/platform.h"
#include "app/timer_internal.h"

CTimer::CTimer() : CTimer(PlatformCounter, PlatformCounterFrequency()) {}

CTimer::CTimer(CounterFn counter, int64_t frequency)
    : m_counter(counter), m_frequency(frequency), m_last(0) {}

void CTimer::Start() {
    m_last = m_counter();
}

float CTimer::Update() {
    const int64_t now = m_counter();
    // Wrapping difference: a counter that jumps back gives a negative value.
    const int64_t elapsed =
        static_cast<int64_t>(static_cast<uint64_t>(now) - static_cast<uint64_t>(m_last));
    m_last = now;
    if (m_frequency <= 0)
        return 0.0f;
    const float seconds =
        static_cast<float>(static_cast<double>(elapsed) / static_cast<double>(m_frequency));
    return seconds < 0.0f ? 0.0f : seconds;
}

namespace {

struct FrameTimerState {
    CTimer timer;
    float frameTime = 0.0f;
};

FrameTimerState g_frameTimer;

} // namespace

void StartFrameTimer() {
    g_frameTimer.timer.Start();
    g_frameTimer.frameTime = 0.0f;
}

void UpdateFrameTimer() {
    g_frameTimer.frameTime = g_frameTimer.timer.Update();
}

float GetFrameTime() {
    return g_frameTimer.frameTime;
}

void SetFrameTimeForTest(float seconds) {
    g_frameTimer.frameTime = seconds;
}
