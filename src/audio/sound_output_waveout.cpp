// waveOut backend of the sound library's output: a few device buffers kept in
// flight by a thread of the library's own, refilled from the mixer as the
// device hands each one back.
#include "audio/sound_output.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Buffers queued on the device at once.
constexpr int kBufferCount = 3;

struct OutputState {
    HWAVEOUT device = nullptr;
    HANDLE done = nullptr; // signalled by the device for each finished buffer
    SndMixFunction mix = nullptr;
    int bufferFrames = 0;
    std::vector<std::int16_t> samples[kBufferCount];
    WAVEHDR headers[kBufferCount] = {};
    std::atomic<bool> stopping{false};
    std::thread thread;
};

OutputState g_output;
std::atomic<std::uint32_t> g_underruns{0};

void Refill(WAVEHDR &header, std::vector<std::int16_t> &samples) {
    g_output.mix(samples.data(), g_output.bufferFrames);
    header.dwFlags &= ~WHDR_DONE;
    waveOutWrite(g_output.device, &header, sizeof header);
}

void Run() {
    // Media Foundation decodes on this thread.
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    for (int i = 0; i < kBufferCount; ++i)
        Refill(g_output.headers[i], g_output.samples[i]);
    while (!g_output.stopping.load()) {
        WaitForSingleObject(g_output.done, 100);
        // Every buffer handed back: the device has played all it had and
        // waits for samples the mixer has not made yet.
        bool dry = true;
        for (const WAVEHDR &header : g_output.headers)
            dry = dry && (header.dwFlags & WHDR_DONE) != 0;
        if (dry && !g_output.stopping.load())
            g_underruns.fetch_add(1, std::memory_order_relaxed);
        for (int i = 0; i < kBufferCount && !g_output.stopping.load(); ++i) {
            if (g_output.headers[i].dwFlags & WHDR_DONE)
                Refill(g_output.headers[i], g_output.samples[i]);
        }
    }
    CoUninitialize();
}

void ReleaseDevice() {
    waveOutReset(g_output.device);
    for (WAVEHDR &header : g_output.headers) {
        if (header.dwFlags & WHDR_PREPARED)
            waveOutUnprepareHeader(g_output.device, &header, sizeof header);
        header = WAVEHDR{};
    }
    waveOutClose(g_output.device);
    CloseHandle(g_output.done);
    g_output.device = nullptr;
    g_output.done = nullptr;
    g_output.mix = nullptr;
    g_output.bufferFrames = 0;
    for (auto &samples : g_output.samples)
        samples.clear();
}

} // namespace

bool SndOutputOpen(int rate, int bufferFrames, SndMixFunction mix) {
    if (g_output.device != nullptr || mix == nullptr || bufferFrames <= 0)
        return false;
    g_underruns.store(0, std::memory_order_relaxed);
    g_output.done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!g_output.done)
        return false;
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = DWORD(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = DWORD(rate) * 4;
    if (waveOutOpen(&g_output.device, WAVE_MAPPER, &format, DWORD_PTR(g_output.done), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        CloseHandle(g_output.done);
        g_output.done = nullptr;
        g_output.device = nullptr;
        return false;
    }
    g_output.mix = mix;
    g_output.bufferFrames = bufferFrames;
    for (int i = 0; i < kBufferCount; ++i) {
        g_output.samples[i].assign(size_t(bufferFrames) * 2, 0);
        WAVEHDR &header = g_output.headers[i];
        header = WAVEHDR{};
        header.lpData = reinterpret_cast<LPSTR>(g_output.samples[i].data());
        header.dwBufferLength = DWORD(bufferFrames) * 4;
        if (waveOutPrepareHeader(g_output.device, &header, sizeof header) != MMSYSERR_NOERROR) {
            ReleaseDevice();
            return false;
        }
    }
    g_output.stopping.store(false);
    g_output.thread = std::thread(Run);
    return true;
}

void SndOutputClose() {
    if (g_output.device == nullptr)
        return;
    g_output.stopping.store(true);
    SetEvent(g_output.done);
    if (g_output.thread.joinable())
        g_output.thread.join();
    ReleaseDevice();
}

int SndOutputBufferFrames() {
    return g_output.bufferFrames;
}

std::uint32_t SndOutputUnderrunCount() {
    return g_underruns.load(std::memory_order_relaxed);
}
