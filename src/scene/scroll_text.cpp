#include "scene/testbed.h"

#include "render/bitmap_font.h"
#include "render/render_device.h"

#include <cmath>

namespace {

constexpr float kDesignWidthFactor = 0.0009765625f; // 1/1024
constexpr float kCentringCorrection = 32.0f;
constexpr float kLineTop = 70.0f;
constexpr float kShadowOffset = 4.0f;
constexpr float kPi = 3.1415927f;
constexpr float kPictureFadeRate = 0.16666667f;
constexpr size_t kLineCapacity = sizeof g_scrollLine - 1;

// Alpha byte from an opacity in [0, 1]: the scaled value truncated toward zero.
PackedColour WithAlpha(PackedColour rgb, float opacity, float scale) {
    const int32_t alpha = static_cast<int32_t>(opacity * scale);
    return rgb | static_cast<uint32_t>(alpha) << 24;
}

} // namespace

void CTestbed::DrawScrollText() {
    if (!m_font)
        return;
    const uint8_t *text = m_text[m_shownSide];
    const uint32_t size = text ? m_textSize[m_shownSide] : 0;
    const uint32_t start = m_lineOffset;

    const float screenWidth = GetScreenWidthF();
    const float s = screenWidth * kDesignWidthFactor;
    const float angle = m_stageTime * kPi * kPictureFadeRate;
    const float panelOpacity = std::fabs(std::sin(angle));

    // Cut the line into the buffer and measure it one character at a time; a
    // line longer than the buffer is cut, and only what is kept is measured.
    float width = 0.0f;
    size_t length = 0;
    if (start < size && text[start] != '\n') {
        uint32_t j = start;
        do {
            if (length < kLineCapacity) {
                const char one[2] = {static_cast<char>(text[j]), '\0'};
                g_scrollLine[length++] = one[0];
                CVector2 measured;
                m_font->MeasureF(measured, 1.0f, "%s", one);
                width += measured.x;
            }
            ++j;
        } while (j < size && text[j] != '\n');
    }
    g_scrollLine[length] = '\0';

    const float scaledWidth = (width - kCentringCorrection) * s;

    const float lineAngle = m_lineTime / 3.0f * kPi;
    const float b = std::sin(lineAngle);
    const float g = m_switchFade * panelOpacity;
    // Held in [0, 1]: after a long stall the line time stays negative while the
    // lines catch up, one a frame, and a negative fade would wrap the alpha
    // byte to nearly opaque every other frame.
    const float fade = 2.0f * b * g;
    const float x = fade < 0.0f ? 0.0f : (fade < 1.0f ? fade : 1.0f);

    const PackedColour main = WithAlpha(0x00FFFFFFu, x, 255.0f);
    const PackedColour shadow = WithAlpha(0x00000000u, x, 128.0f);
    const CVector2 position((screenWidth - scaledWidth) * 0.5f, kLineTop * s);

    m_font->PrintF(CVector2(position.x + kShadowOffset * s, position.y + kShadowOffset * s),
                   shadow, s, "%s", g_scrollLine);
    m_font->PrintF(position, main, s, "%s", g_scrollLine);
}
