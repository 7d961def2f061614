// Frame cost of the music-disk scene on the panel: the real scene, the real
// render path and the program's window, N frames of process step, render pass
// and swap. Usage: scene_frames [--frames 2000] [--warmup 50]
#include "frame_clock.h"
#include "panel_scene.h"

#include "memory/memory_tracker.h"
#include "scene/testbed.h"

#include <cstdio>
#include <cstring>

namespace {

// Kept out of line so a profiler can collect exactly the measured frames
// (valgrind --toggle-collect=MeasuredSceneFrames).
__attribute__((noinline)) FrameTimes MeasuredSceneFrames(int frames) {
    return TimeFrames(frames, [] {
        DrainMessages();
        StepAndRender();
        SwapAndFinish();
    });
}

} // namespace

int main(int argc, char **argv) {
    const int frames = CountArg(argc, argv, "--frames", 2000);
    const int warmup = CountArg(argc, argv, "--warmup", 50);
    CTestbed *scene = OpenPanelScene();
    if (!scene) {
        std::fprintf(stderr, "scene_frames: no window\n");
        return 1;
    }
    PoseOnPanel(scene);
    // The first frames compile the driver's shaders for each new state.
    TimeFrames(warmup, [] {
        DrainMessages();
        StepAndRender();
        SwapAndFinish();
    });
    const FrameTimes t = MeasuredSceneFrames(frames);
    std::printf("scene: frames=%d ms-per-frame=%.3f cpu-ms-per-frame=%.3f line-chars=%zu "
                "live-bytes=%llu live-blocks=%u\n",
                frames, t.wall * 1000.0 / frames, t.cpu * 1000.0 / frames,
                std::strlen(g_scrollLine), static_cast<unsigned long long>(GetLiveBytes()),
                GetLiveUnitCount());
    // The figures only count for the pose they claim.
    const bool posed = scene->m_stage == 5 && scene->m_logoSlide == 0.0f && g_scrollLine[0] != '\0';
    if (!posed)
        std::fprintf(stderr, "scene_frames: the scene left the pose (stage %u, logo %.2f)\n",
                     scene->m_stage, scene->m_logoSlide);
    ClosePanelScene(scene);
    return posed ? 0 : 1;
}
