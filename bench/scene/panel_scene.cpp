#include "panel_scene.h"

#include "app/application.h"
#include "app/input.h"
#include "app/platform.h"
#include "app/process.h"
#include "app/renderable.h"
#include "app/timer_internal.h"
#include "app/window_message.h"
#include "model/model.h"
#include "render/bitmap_font.h"
#include "render/texture.h"
#include "scene/testbed.h"
#include "support/testbed_leftovers.h"

#include <cstdint>

namespace {

// Offset of the first line of at least 24 bytes (a typical full line of the
// text), or 0 when there is none.
uint32_t LongLineOffset(const uint8_t *text, uint32_t size) {
    uint32_t start = 0;
    for (uint32_t k = 0; text && k < size; ++k) {
        if (text[k] != '\n')
            continue;
        if (k - start >= 24)
            return start;
        start = k + 1;
    }
    return 0;
}

} // namespace

CTestbed *OpenPanelScene() {
    if (!InitApplication("Ondu - Marrowlake", kBenchWidth, kBenchHeight))
        return nullptr;
    return new CTestbed();
}

void PoseOnPanel(CTestbed *scene) {
    scene->m_stage = 5;
    scene->m_stageTime = 3.0f;
    scene->m_logoOn = true;
    scene->m_logoSlide = 0.0f;
    scene->m_lineTime = 2.5f;
    scene->m_lineOffset = LongLineOffset(scene->m_text[0], scene->m_textSize[0]);
    scene->m_shownSide = 0;
    scene->m_switchPending = false;
    scene->m_switchFade = 1.0f;
}

void DrainMessages() {
    WindowMessage msg;
    while (PlatformPollMessage(&msg)) {
    }
}

void StepAndRender() {
    SetFrameTimeForTest(kBenchFrameTime);
    UpdateProcesses();
    RenderLayers();
}

void SwapAndFinish() {
    PlatformSwapBuffers();
    CopyInputToPrevious();
}

void ClosePanelScene(CTestbed *scene) {
    DeleteTestbedAndLeftovers(scene);
    ShutdownApplication();
}
