// The page's program: the desktop main() turned inside out, since a page may
// not block. The size question is an HTML dialog whose answer starts the
// program; the frame loop is one animation frame at a time; quitting shows
// the end screen, as a page cannot close its tab.
//
// The pictures are decoded when first used: this build has no threads to
// decode them on while the question waits.
//
// The tracks stream in while the program runs (track_buffers.h): the program
// starts once side A can be read, and the sound output waits whenever the
// open track's download falls behind its reader.
#include "app/application.h"
#include "app/message_style.h"
#include "app/platform_web.h"
#include "app/process.h"
#include "audio/stream_player.h"
#include "audio/sound_output_web.h"
#include "audio/track_buffers.h"
#include "scene/testbed.h"

#include <emscripten.h>

#include <cstdint>

namespace {

CTestbed *g_scene = nullptr;
bool g_framesSeen = false;

// When the answer came and the first frame was drawn, and the time spent in
// each animation frame (performance.now milliseconds), kept on the module for
// the page test and the figures the page is measured by.
EM_JS(void, NoteAnswered, (), { Module.mlTimes = {answered: performance.now(), firstFrame: 0}; });
EM_JS(void, NoteFirstFrame, (), {
    if (Module.mlTimes) Module.mlTimes.firstFrame = performance.now();
});
EM_JS(void, NoteFrameWork, (double ms), {
    var s = Module.mlFrameWork || (Module.mlFrameWork = {count: 0, ms: 0, longest: 0});
    s.count++;
    s.ms += ms;
    if (ms > s.longest) s.longest = ms;
});

void Finish() {
    emscripten_cancel_main_loop();
    // As on the desktop: the scene leaves the process lists by itself.
    delete g_scene;
    g_scene = nullptr;
    // The music stops with the program, as the desktop's does at exit.
    ShutdownSound();
    ShutdownApplication();
    PlatformWebShowEndScreen();
}

// One animation frame: every waiting message, then one frame of the scene
// (RunFrame draws when no message waits and the window is active).
void AnimationFrame() {
    const double start = emscripten_get_now();
    while (PlatformWebMessagesWaiting()) {
        if (!RunFrame()) {
            Finish();
            return;
        }
    }
    if (!RunFrame()) {
        Finish();
        return;
    }
    NoteFrameWork(emscripten_get_now() - start);
    if (!g_framesSeen) {
        g_framesSeen = true;
        NoteFirstFrame();
    }
}

constexpr const char *kFirstTrack = "data/TrackA.mp3";
constexpr int kTrackPollMs = 50;

// Starts the program once side A can be read, as the scene opens it at once;
// until then it looks again every kTrackPollMs.
void StartWhenReadable(void *answerCode) {
    if (!TrackBufferStartable(kFirstTrack)) {
        emscripten_async_call(StartWhenReadable, answerCode, kTrackPollMs);
        return;
    }
    int width = 1024;
    int height = 768;
    if (static_cast<int>(reinterpret_cast<std::intptr_t>(answerCode)) == kAnswerYes) {
        width = 800;
        height = 600;
    }
    if (!InitApplication("Ondu - Marrowlake", width, height))
        return;
    g_scene = new CTestbed();
    // Not simulating an infinite loop: this returns to the browser.
    emscripten_set_main_loop(AnimationFrame, 0, 0);
}

void Answered(int answer) {
    NoteAnswered();
    StartWhenReadable(reinterpret_cast<void *>(static_cast<std::intptr_t>(answer)));
}

} // namespace

// The panel's buttons as this build found them: kHotSpotCount groups of x, y,
// width, height (screen pixels); null before the scene exists.
extern "C" EMSCRIPTEN_KEEPALIVE const float *ml_web_hot_spots() {
    static float spots[kHotSpotCount * 4];
    if (!g_scene)
        return nullptr;
    for (int i = 0; i < kHotSpotCount; ++i) {
        const HotSpot &h = g_scene->m_hotSpots[i];
        const float values[4] = {h.position.x, h.position.y, h.size.x, h.size.y};
        for (int k = 0; k < 4; ++k)
            spots[i * 4 + k] = values[k];
    }
    return spots;
}

int main() {
    SndOutputWebSetReadyCheck(TrackFilesReadable);
    PlatformWebAsk("Resolution", "Use 800x600?\n(default 1024x768)",
                   DecodeMessageStyle(kStyleYesNo | kStyleIconQuestion), Answered);
    // The runtime stays alive for the dialog's answer.
    return 0;
}
