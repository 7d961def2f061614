#include "scene/testbed.h"

#include "app/application.h"
#include "app/input.h"
#include "app/timer.h"
#include "audio/stream_player.h"

namespace {

constexpr uint32_t kPanelStage = 5;
constexpr float kStageLength = 6.0f;    // seconds per intro picture
constexpr float kPanelTimeCap = 3.0f;   // panel stays at full opacity from here
constexpr float kHoldThreshold = 0.5f;  // seconds: shorter presses are clicks
constexpr int32_t kSeekStep = 8000;     // samples per frame while seeking
constexpr float kLinePeriod = 3.0f;     // seconds per scroll line

enum Button { kPlay, kPrevious, kNext, kLogo, kPause, kStop, kQuit };

} // namespace

void CTestbed::Process() {
    const float dt = GetFrameTime();
    m_stageTime += dt;

    if (m_stage < kPanelStage) {
        if (m_stageTime > kStageLength) {
            ++m_stage;
            m_stageTime -= kStageLength;
        }
        return;
    }

    if (m_stageTime > kPanelTimeCap)
        m_stageTime = kPanelTimeCap;

    const float mx = static_cast<float>(g_inputState.mouseX);
    const float my = static_cast<float>(g_inputState.mouseY);
    for (int i = 0; i < kButtons; ++i) {
        const HotSpot &h = m_hotSpots[i];
        if (!(h.position.x < mx && mx < h.position.x + h.size.x && h.position.y < my &&
              my < h.position.y + h.size.y))
            continue;
        if (!g_inputState.prevLeftButton) {
            m_holdTime[i] = 0.0f;
        } else if (g_inputState.leftButton) {
            m_holdTime[i] += dt;
            if (m_holdTime[i] > kHoldThreshold) {
                if (i == kPrevious)
                    SetStreamPosition(m_stream, GetStreamPosition(m_stream) - kSeekStep);
                else if (i == kNext)
                    SetStreamPosition(m_stream, GetStreamPosition(m_stream) + kSeekStep);
            }
        } else if (m_holdTime[i] < kHoldThreshold) {
            Click(i);
        }
    }

    if (m_switchPending) {
        m_switchFade -= dt;
        if (m_switchFade < 0.0f) {
            m_lineTime = 0.0f;
            m_lineOffset = 0;
            m_switchFade = 1.0f;
            m_switchPending = false;
            m_shownSide = m_side;
        }
    }

    if (m_paused)
        return;
    m_lineTime -= dt;
    if (m_lineTime <= 0.0f) {
        m_lineTime += kLinePeriod;
        AdvanceScrollLine();
    }
}

void CTestbed::Click(int button) {
    switch (button) {
    case kPlay:
        if (m_paused) {
            m_paused = false;
            ResumeStream(m_stream);
        } else if (!m_playing) {
            m_playing = true;
            PlayStream(m_stream, 1);
        }
        break;
    case kPrevious:
        if (--m_side < 0)
            m_side = kSides - 1;
        m_switchPending = true;
        SwitchSide();
        break;
    case kNext:
        if (++m_side == kSides)
            m_side = 0;
        m_switchPending = true;
        SwitchSide();
        break;
    case kLogo:
        m_logoOn = !m_logoOn;
        break;
    case kPause:
        if (m_playing) {
            if (!m_paused) {
                m_paused = true;
                PauseStream(m_stream);
            } else {
                m_paused = false;
                ResumeStream(m_stream);
            }
        }
        break;
    case kStop:
        if (m_playing) {
            m_paused = false;
            m_playing = false;
            StopStream(m_stream);
        }
        break;
    case kQuit:
        RequestQuit();
        break;
    }
}

// Moves to the start of the next line of the shown text; past the last line
// it wraps to the start with the line time cleared. Never reads outside the text.
void CTestbed::AdvanceScrollLine() {
    const uint8_t *text = m_text[m_shownSide];
    const uint32_t size = text ? m_textSize[m_shownSide] : 0;
    uint32_t offset = m_lineOffset;
    while (offset < size && text[offset] != '\n' && text[offset] != '\0')
        ++offset;
    ++offset;
    if (size == 0 || offset >= size - 1) {
        offset = 0;
        m_lineTime = 0.0f;
    }
    m_lineOffset = offset;
}
