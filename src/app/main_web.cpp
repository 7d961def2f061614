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
#include "audio/sound_output_web.h"
#include "audio/track_buffers.h"
#include "scene/testbed.h"

#include <emscripten.h>

#include <cstdint>

namespace {

CProcess *g_scene = nullptr;

void Finish() {
    emscripten_cancel_main_loop();
    // As on the desktop: the scene leaves the process lists by itself.
    delete g_scene;
    g_scene = nullptr;
    ShutdownApplication();
    PlatformWebShowEndScreen();
}

// One animation frame: every waiting message, then one frame of the scene
// (RunFrame draws when no message waits and the window is active).
void AnimationFrame() {
    while (PlatformWebMessagesWaiting()) {
        if (!RunFrame()) {
            Finish();
            return;
        }
    }
    if (!RunFrame())
        Finish();
}

constexpr const char *kFirstTrack = "data/TrackA.mp3";
constexpr int kTrackPollMs = 50;

void Answered(int answer);

void AnsweredLater(void *answer) {
    Answered(static_cast<int>(reinterpret_cast<std::intptr_t>(answer)));
}

void Answered(int answer) {
    // The scene opens side A at once: wait until it can be read.
    if (!TrackBufferStartable(kFirstTrack)) {
        emscripten_async_call(AnsweredLater,
                              reinterpret_cast<void *>(static_cast<std::intptr_t>(answer)),
                              kTrackPollMs);
        return;
    }
    int width = 1024;
    int height = 768;
    if (answer == kAnswerYes) {
        width = 800;
        height = 600;
    }
    if (!InitApplication("Ondu - Marrowlake", width, height))
        return;
    g_scene = new CTestbed();
    // Not simulating an infinite loop: Answered returns to the click handler.
    emscripten_set_main_loop(AnimationFrame, 0, 0);
}

} // namespace

int main() {
    SndOutputWebSetReadyCheck(TrackFilesReadable);
    PlatformWebAsk("Resolution", "Use 800x600?\n(default 1024x768)",
                   DecodeMessageStyle(kStyleYesNo | kStyleIconQuestion), Answered);
    // The runtime stays alive for the dialog's answer.
    return 0;
}
