// The scroll text over arbitrary texts: a scene built once over the program's
// font shows the input as side A's text, line after line, until the text
// wraps to its start. Input layout: one control byte, then the text.
//   bits 0-1  frame time: 3 s (a line per frame), 1 s, 0.7 s or 7 s
//   bit 2     no text at all (a missing resource) instead of the bytes
//   bits 3-4  side-change fade: 1, 0.5, 0 or -0.25
//   bits 5-7  seconds into the panel stage, 0 to 7
// After every frame the shown line must be the text's current line, cut to
// the line buffer, and the line offset must stay inside the text.
#include "fuzz_target.h"

#include "app/input.h"
#include "app/timer_internal.h"
#include "render/render_device.h"
#include "scene/testbed.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr float kFrameTimes[4] = {3.0f, 1.0f, 0.7f, 7.0f};
constexpr float kFades[4] = {1.0f, 0.5f, 0.0f, -0.25f};
constexpr uint32_t kPanelStage = 5;
constexpr size_t kMaxFrames = 60000;

CTestbed &Scene() {
    static CTestbed *scene = [] {
        InitRenderDevice(1024, 768);
        std::memset(&g_inputState, 0, sizeof g_inputState);
        return new CTestbed();
    }();
    return *scene;
}

// The line DrawScrollText must show for the text at `start`.
void CheckShownLine(const uint8_t *text, uint32_t size, uint32_t start) {
    size_t length = 0;
    if (text && start < size && text[start] != '\n') {
        uint32_t j = start;
        while (j < size && text[j] != '\n') {
            ++j;
            ++length;
        }
    }
    if (length > sizeof g_scrollLine - 1)
        length = sizeof g_scrollLine - 1;
    FUZZ_CHECK(length == 0 || std::memcmp(g_scrollLine, text + start, length) == 0);
    FUZZ_CHECK(g_scrollLine[length] == '\0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    CTestbed &scene = Scene();
    FUZZ_CHECK(scene.m_font != nullptr); // the program's font image is linked in
    if (size < 1 || size - 1 > 0xFFFFFFFFu)
        return 0;
    const uint8_t control = data[0];
    const bool missing = control & 4;
    const uint8_t *text = missing ? nullptr : data + 1;
    const uint32_t textSize = missing ? 0 : uint32_t(size - 1);

    scene.m_stage = kPanelStage;
    scene.m_stageTime = float(control >> 5);
    scene.m_paused = false;
    scene.m_switchPending = false;
    scene.m_switchFade = kFades[(control >> 3) & 3];
    scene.m_side = scene.m_shownSide = 0;
    scene.m_text[0] = text;
    scene.m_textSize[0] = textSize;
    scene.m_lineOffset = 0;
    scene.m_lineTime = 0.0f;

    size_t newlines = 0;
    for (uint32_t i = 0; i < textSize; ++i)
        newlines += text[i] == '\n' || text[i] == '\0';
    const float dt = kFrameTimes[control & 3];
    const size_t frames = std::min(kMaxFrames, 4 * (newlines + 3));
    SetFrameTimeForTest(dt);
    bool moved = false;
    for (size_t f = 0; f < frames; ++f) {
        scene.Process();
        const uint32_t offset = scene.m_lineOffset;
        FUZZ_CHECK(offset == 0 || offset < textSize);
        ResetFrameArena();
        scene.DrawScrollText();
        CheckShownLine(text, textSize, offset);
        if (offset != 0)
            moved = true;
        else if (moved)
            break; // wrapped to the start
    }

    scene.m_text[0] = nullptr;
    scene.m_textSize[0] = 0;
    return 0;
}
