// SDL2 backend of the sound library's output. Audio starts as its own SDL
// subsystem so that its failure cannot take video down.
#include "audio/sound_output.h"

#include <SDL.h>

#include <atomic>
#include <chrono>

namespace {

// Written by the control thread only while no audio thread runs (before the
// device opens, after it is closed); the audio thread only reads it.
struct OutputState {
    SDL_AudioDeviceID device = 0;
    SndMixFunction mix = nullptr;
    int rate = 0;
    int bufferFrames = 0;
};

OutputState g_output;
std::atomic<std::uint32_t> g_underruns{0};

void SDLCALL Fill(void *, Uint8 *stream, int length) {
    const auto asked = std::chrono::steady_clock::now();
    int frames = length / static_cast<int>(2 * sizeof(std::int16_t));
    g_output.mix(reinterpret_cast<std::int16_t *>(stream), frames);
    // SDL asks for the next buffer while the device still plays the one before
    // it, so these samples are due when that one ends: one buffer's play time
    // after the request. Later than that, the device ran out.
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - asked;
    if (took.count() * g_output.rate > frames) {
        g_underruns.fetch_add(1, std::memory_order_relaxed);
    }
}

} // namespace

bool SndOutputOpen(int rate, int bufferFrames, SndMixFunction mix) {
    if (g_output.device != 0 || mix == nullptr) {
        return false;
    }
    g_underruns.store(0, std::memory_order_relaxed);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(bufferFrames);
    want.callback = Fill;
    SDL_AudioSpec have{};
    g_output.mix = mix;
    g_output.rate = rate;
    // No changes allowed: SDL converts if the hardware wants something else,
    // so the mixer always sees exactly the format it asked for.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        g_output = OutputState{};
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    g_output.device = device;
    g_output.bufferFrames = have.samples;
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void SndOutputClose() {
    if (g_output.device == 0) {
        return;
    }
    SDL_CloseAudioDevice(g_output.device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    g_output = OutputState{};
}

int SndOutputBufferFrames() {
    return g_output.bufferFrames;
}

std::uint32_t SndOutputUnderrunCount() {
    return g_underruns.load(std::memory_order_relaxed);
}
