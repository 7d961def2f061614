// The scroll text over arbitrary texts: a scene built once over the program's
// font shows the input as side A's text, line after line, until it wraps to
// its start. Input: a control byte, then the text. Control bits 0-1: frame
// time 3 s (a line per frame), 1 s, 0.7 s or 7 s; bit 2: no text at all (a
// missing resource); bits 3-4: side-change fade 1, 0.5, 0 or -0.25; bits 5-7:
// seconds into the panel stage. After every frame the shown line ends inside
// the line buffer and the offset is inside the text.
#include "fuzz_target.h"

#include "app/input.h"
#include "app/timer_internal.h"
#include "render/render_device.h"
#include "scene/testbed.h"

#include <algorithm>

namespace {

CTestbed &Scene() {
    static CTestbed *scene = [] {
        InitRenderDevice(1024, 768);
        std::memset(&g_inputState, 0, sizeof g_inputState);
        return new CTestbed();
    }();
    return *scene;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const float kFrameTimes[4] = {3.0f, 1.0f, 0.7f, 7.0f};
    static const float kFades[4] = {1.0f, 0.5f, 0.0f, -0.25f};
    CTestbed &scene = Scene();
    FUZZ_CHECK(scene.m_font != nullptr); // the program's font image is linked in
    if (size < 1 || size - 1 > 0xFFFFFFFFu)
        return 0;
    const uint8_t control = data[0];
    const uint8_t *text = control & 4 ? nullptr : data + 1;
    const uint32_t textSize = text ? uint32_t(size - 1) : 0;
    scene.m_stage = 5; // the panel
    scene.m_stageTime = float(control >> 5);
    scene.m_paused = false;
    scene.m_switchPending = false;
    scene.m_switchFade = kFades[(control >> 3) & 3];
    scene.m_side = scene.m_shownSide = 0;
    scene.m_text[0] = text;
    scene.m_textSize[0] = textSize;
    scene.m_lineOffset = 0;
    scene.m_lineTime = 0.0f;

    size_t lines = 3;
    for (uint32_t i = 0; i < textSize; ++i)
        lines += text[i] == '\n' || text[i] == '\0';
    SetFrameTimeForTest(kFrameTimes[control & 3]);
    bool moved = false;
    for (size_t f = 0; f < std::min<size_t>(60000, 4 * lines); ++f) {
        scene.Process();
        const uint32_t offset = scene.m_lineOffset;
        FUZZ_CHECK(offset == 0 || offset < textSize);
        ResetFrameArena();
        scene.DrawScrollText();
        FUZZ_CHECK(std::memchr(g_scrollLine, '\0', sizeof g_scrollLine) != nullptr);
        if (offset != 0)
            moved = true;
        else if (moved)
            break; // wrapped to the start
    }
    scene.m_text[0] = nullptr;
    scene.m_textSize[0] = 0;
    return 0;
}
