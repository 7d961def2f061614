// Records the GL calls of the panel scene for the replay benchmark: the
// start-up calls, then the calls of one frame after the warm-up, and that
// frame's pixels. Usage: scene_record <trace file> [--warmup 50]
#include "frame_clock.h"
#include "gl_record.h"
#include "panel_scene.h"

#include <GL/gl.h>

#include <cstdio>

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: scene_record <trace file> [--warmup 50]\n");
        return 2;
    }
    const int warmup = CountArg(argc, argv, "--warmup", 50);

    gltrace::Trace trace;
    trace.width = kBenchWidth;
    trace.height = kBenchHeight;
    RecordGlInto(&trace.setup);
    CTestbed *scene = OpenPanelScene();
    RecordGlInto(nullptr);
    if (!scene) {
        std::fprintf(stderr, "scene_record: no window\n");
        return 1;
    }
    PoseOnPanel(scene);
    for (int k = 0; k < warmup; ++k) {
        DrainMessages();
        StepAndRender();
        SwapAndFinish();
    }
    DrainMessages();
    RecordGlInto(&trace.frame);
    StepAndRender();
    RecordGlInto(nullptr);
    trace.pixels.resize(size_t(kBenchWidth) * kBenchHeight * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kBenchWidth, kBenchHeight, GL_RGBA, GL_UNSIGNED_BYTE, trace.pixels.data());
    SwapAndFinish();
    ClosePanelScene(scene);

    size_t uploads = 0, uploadBytes = 0;
    for (size_t k = 0; k < trace.frame.ops.size(); ++k)
        if (trace.frame.ops[k].code == gltrace::kTexImage2D) {
            ++uploads;
            uploadBytes += trace.frame.blobs[k].size();
        }
    if (!gltrace::Save(argv[1], trace)) {
        std::fprintf(stderr, "scene_record: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("record: setup-calls=%zu frame-calls=%zu frame-uploads=%zu upload-bytes=%zu\n",
                trace.setup.ops.size(), trace.frame.ops.size(), uploads, uploadBytes);
    return 0;
}
