#include "app/application.h"
#include "app/process.h"
#include "app/shell_hooks.h"
#include "audio/stream_player.h"
#include "render/texture_prefetch.h"

#include <cstring>

#include "scene/testbed.h"

namespace {

char g_title[257];

} // namespace

int main(int, char **) {
    int width = 1024;
    int height = 768;
    const int answer = ShowMessage("Resolution", "Use 800x600?\n(default 1024x768)",
                                   kStyleYesNo | kStyleIconQuestion);
    if (GetShellHooks().questionAnswered)
        GetShellHooks().questionAnswered();
    if (answer == kAnswerYes) {
        width = 800;
        height = 600;
    }
    // The pictures decode while the window and its GL context are made. Not
    // before the question: SDL shows its box from a forked child, and a fork
    // while another thread allocates can leave the child's allocator locked.
    PrefetchTestbedTextures();
    // A box shown from here on (a failed window, say) waits for the decoding.
    SetBeforeMessageBox(WaitTexturePrefetch);
    std::strncpy(g_title, "Ondu - Marrowlake", sizeof g_title - 1);
    g_title[sizeof g_title - 1] = '\0';
    if (!InitApplication(g_title, width, height)) {
        FinishTexturePrefetch();
        return 0;
    }

    CTestbed *testbed = new CTestbed();
    if (GetShellHooks().sceneCreated)
        GetShellHooks().sceneCreated(testbed);
    CProcess *scene = testbed;
    FinishTexturePrefetch();
    while (RunFrame()) {
    }
    // The scene leaves the process lists by itself; its layer entry goes with
    // the teardown, and no render pass runs in between.
    delete scene;
    scene = nullptr;
    // The scene leaves its stream open. End it and the sound library here, so
    // that no audio or decoder thread is still running while the process
    // exits and its static objects are destroyed (a process that ends over
    // the waveOut and decoder threads crashes under Wine).
    ShutdownSound();
    ShutdownApplication();
    return 0;
}
