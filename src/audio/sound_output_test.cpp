// The test output device: a thread of its own asks the mixer for buffers
// like a sound card, paced in real time unless held or unpaced, and keeps
// every frame it was given while paced or held.
// Linked only into the sound library's tests and benchmarks, so the gate
// that holds it costs the program nothing.
#include "audio/sound_output_test.h"
#include "audio/sound_output.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct TestDevice {
    std::mutex mutex;
    std::condition_variable wake;
    bool refuse = false;
    bool open = false;
    bool hold = false;
    bool paced = true;
    bool inFlight = false; // the mixer is filling a buffer
    std::int64_t granted = 0;
    SndMixFunction mix = nullptr;
    int rate = 0;
    int bufferFrames = 0;
    std::uint64_t mixed = 0;
    double mixSeconds = 0.0;
    std::vector<std::int16_t> capture;
    std::thread thread; // control thread only
};

TestDevice g_device;

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void Run() {
    std::unique_lock<std::mutex> lock(g_device.mutex);
    const int frames = g_device.bufferFrames;
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(frames) / g_device.rate));
    std::vector<std::int16_t> buffer(static_cast<std::size_t>(frames) * 2);
    Clock::time_point due = Clock::now();
    while (g_device.open) {
        if (g_device.hold) {
            if (g_device.granted <= 0) {
                g_device.wake.wait(lock);
                continue;
            }
            g_device.granted -= frames;
        } else if (g_device.paced && Clock::now() < due) {
            g_device.wake.wait_until(lock, due);
            continue;
        }
        g_device.inFlight = true;
        SndMixFunction mix = g_device.mix;
        lock.unlock();
        double before = ThreadCpuSeconds();
        mix(buffer.data(), frames);
        double spent = ThreadCpuSeconds() - before;
        lock.lock();
        if (g_device.paced || g_device.hold) {
            g_device.capture.insert(g_device.capture.end(), buffer.begin(), buffer.end());
        }
        g_device.mixed += static_cast<std::uint64_t>(frames);
        g_device.mixSeconds += spent;
        g_device.inFlight = false;
        due = Clock::now() + period;
        g_device.wake.notify_all();
    }
}

} // namespace

bool SndOutputOpen(int rate, int bufferFrames, SndMixFunction mix) {
    std::lock_guard<std::mutex> lock(g_device.mutex);
    if (g_device.open || mix == nullptr || rate <= 0 || bufferFrames <= 0) {
        return false;
    }
    g_device.hold = false;
    g_device.paced = true;
    g_device.inFlight = false;
    g_device.granted = 0;
    g_device.mixed = 0;
    g_device.mixSeconds = 0.0;
    g_device.capture.clear();
    if (g_device.refuse) {
        return false;
    }
    g_device.mix = mix;
    g_device.rate = rate;
    g_device.bufferFrames = bufferFrames;
    g_device.open = true;
    g_device.thread = std::thread(Run);
    return true;
}

void SndOutputClose() {
    {
        std::lock_guard<std::mutex> lock(g_device.mutex);
        if (!g_device.open) {
            return;
        }
        g_device.open = false;
        g_device.wake.notify_all();
    }
    g_device.thread.join();
    std::lock_guard<std::mutex> lock(g_device.mutex);
    g_device.mix = nullptr;
    g_device.bufferFrames = 0;
}

int SndOutputBufferFrames() {
    std::lock_guard<std::mutex> lock(g_device.mutex);
    return g_device.bufferFrames;
}

// A held device never asks before the mixer is done, and an unheld one waits
// for it: nothing ever runs out here.
std::uint32_t SndOutputUnderrunCount() {
    return 0;
}

void SndTestHoldOutput(bool hold) {
    std::unique_lock<std::mutex> lock(g_device.mutex);
    g_device.hold = hold;
    g_device.granted = 0;
    g_device.wake.notify_all();
    // Once held, no buffer is half-mixed: the next request lands on a boundary.
    g_device.wake.wait(lock, [] { return !g_device.hold || !g_device.inFlight || !g_device.open; });
}

void SndTestPaceOutput(bool paced) {
    std::lock_guard<std::mutex> lock(g_device.mutex);
    g_device.paced = paced;
    g_device.wake.notify_all();
}

std::uint64_t SndTestAdvance(int frames) {
    std::unique_lock<std::mutex> lock(g_device.mutex);
    if (!g_device.open) {
        return g_device.mixed;
    }
    std::uint64_t target = g_device.mixed + static_cast<std::uint64_t>(std::max(frames, 0));
    g_device.granted = std::max<std::int64_t>(g_device.granted, 0) + frames;
    g_device.wake.notify_all();
    g_device.wake.wait(lock, [target] {
        return !g_device.open ||
               (g_device.mixed >= target && (!g_device.hold || !g_device.inFlight));
    });
    return g_device.mixed;
}

std::uint64_t SndTestFramesMixed() {
    std::lock_guard<std::mutex> lock(g_device.mutex);
    return g_device.mixed;
}

std::vector<std::int16_t> SndTestCapture() {
    std::lock_guard<std::mutex> lock(g_device.mutex);
    return g_device.capture;
}

double SndTestMixCpuSeconds() {
    std::lock_guard<std::mutex> lock(g_device.mutex);
    return g_device.mixSeconds;
}

void SndTestRefuseOpen(bool refuse) {
    std::lock_guard<std::mutex> lock(g_device.mutex);
    g_device.refuse = refuse;
}
