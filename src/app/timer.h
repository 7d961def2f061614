#pragma once
#include <cstdint>

// Measures the time between readings of a monotonic counter.
class CTimer {
  public:
    typedef int64_t (*CounterFn)();

    // Reads the platform counter; its frequency is taken now.
    CTimer();
    // Reads the given counter with the given ticks per second.
    CTimer(CounterFn counter, int64_t frequency);

    // The current reading becomes the last one.
    void Start();
    // Seconds since the last Start or Update (0 when the counter went back or the
    // frequency is unusable); the current reading becomes the last one.
    float Update();

  private:
    CounterFn m_counter;
    int64_t m_frequency;
    int64_t m_last;
};

// The frame time: the program's one timer, stepped once per frame.
void StartFrameTimer();  // start the timer; frame time 0
void UpdateFrameTimer(); // frame time = the timer's update
float GetFrameTime();    // duration of the last frame (seconds)
