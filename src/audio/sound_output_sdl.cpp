// SDL2 backend of the sound library's output. Audio starts as its own SDL
// subsystem so that its failure cannot take video down.
#include "audio/sound_output.h"

#include <SDL.h>

namespace {

struct OutputState {
    SDL_AudioDeviceID device = 0;
    SndMixFunction mix = nullptr;
    int bufferFrames = 0;
};

OutputState g_output;

void SDLCALL Fill(void *, Uint8 *stream, int length) {
    int frames = length / static_cast<int>(2 * sizeof(std::int16_t));
    g_output.mix(reinterpret_cast<std::int16_t *>(stream), frames);
}

} // namespace

bool SndOutputOpen(int rate, int bufferFrames, SndMixFunction mix) {
    if (g_output.device != 0 || mix == nullptr) {
        return false;
    }
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
    // No changes allowed: SDL converts if the hardware wants something else,
    // so the mixer always sees exactly the format it asked for.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        g_output.mix = nullptr;
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
