#pragma once
// Wall-clock and process CPU time (seconds) for the frame benchmarks.
#include <cstdlib>
#include <ctime>

inline double ClockSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct FrameTimes {
    double wall = 0.0; // seconds
    double cpu = 0.0;  // seconds of every thread of the process (the rasteriser's too)
};

// Runs `frame` n times and returns the time taken.
template <typename F> FrameTimes TimeFrames(int n, F frame) {
    const double wall0 = ClockSeconds(CLOCK_MONOTONIC);
    const double cpu0 = ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    for (int k = 0; k < n; ++k)
        frame();
    FrameTimes t;
    t.wall = ClockSeconds(CLOCK_MONOTONIC) - wall0;
    t.cpu = ClockSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
    return t;
}

// "--name value" from the command line as a positive count, else `fallback`.
inline int CountArg(int argc, char **argv, const char *name, int fallback) {
    for (int k = 1; k + 1 < argc; ++k) {
        const char *a = argv[k];
        const char *b = name;
        while (*a && *a == *b) {
            ++a;
            ++b;
        }
        if (*a == '\0' && *b == '\0') {
            char *end = nullptr;
            const long v = std::strtol(argv[k + 1], &end, 10);
            if (end && *end == '\0' && v > 0 && v < 10000000)
                return static_cast<int>(v);
        }
    }
    return fallback;
}
