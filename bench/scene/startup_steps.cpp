// Where the start-up time goes: the program's own start-up steps timed one by
// one (window and context, scene construction with the real stream player,
// the first and the second frame), without the size question.
// Usage: startup_steps   (needs DISPLAY; run beside a data/ folder of tracks)
#include "frame_clock.h"
#include "panel_scene.h"

#include "app/application.h"
#include "app/platform.h"
#include "app/process.h"
#include "app/renderable.h"
#include "app/timer.h"
#include "scene/testbed.h"

#include <cstdio>

int main() {
    const double t0 = ClockSeconds(CLOCK_MONOTONIC);
    const double c0 = ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    if (!InitApplication("Ondu - Marrowlake", kBenchWidth, kBenchHeight)) {
        std::fprintf(stderr, "startup_steps: no window\n");
        return 1;
    }
    const double t1 = ClockSeconds(CLOCK_MONOTONIC);
    const double c1 = ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    CTestbed *scene = new CTestbed();
    const double t2 = ClockSeconds(CLOCK_MONOTONIC);
    const double c2 = ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    double t[2], c[2];
    for (int k = 0; k < 2; ++k) {
        DrainMessages();
        UpdateFrameTimer();
        UpdateProcesses();
        RenderLayers();
        PlatformSwapBuffers();
        t[k] = ClockSeconds(CLOCK_MONOTONIC);
        c[k] = ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    }
    std::printf("startup-steps: window-ms=%.1f scene-ms=%.1f first-frame-ms=%.1f "
                "second-frame-ms=%.1f total-ms=%.1f\n",
                (t1 - t0) * 1e3, (t2 - t1) * 1e3, (t[0] - t2) * 1e3, (t[1] - t[0]) * 1e3,
                (t[0] - t0) * 1e3);
    std::printf("startup-steps-cpu: window-ms=%.1f scene-ms=%.1f first-frame-ms=%.1f "
                "second-frame-ms=%.1f total-ms=%.1f\n",
                (c1 - c0) * 1e3, (c2 - c1) * 1e3, (c[0] - c2) * 1e3, (c[1] - c[0]) * 1e3,
                (c[0] - c0) * 1e3);
    ClosePanelScene(scene);
    return 0;
}
