// The embedded control deck: its alpha marks give exactly the seven buttons.
#include <gtest/gtest.h>

#include "decoded_png.h"
#include "scene/hot_spots.h"

namespace {

struct Button {
    uint32_t x, y, w, h;
    uint8_t mark;
};

// Corner, size and alpha mark of each button, in scan order.
const Button kButtons[kHotSpotCount] = {
    {481, 249, 52, 54, 1},  // play
    {445, 337, 50, 53, 3},  // previous side
    {513, 364, 49, 56, 4},  // next side
    {529, 687, 110, 46, 7}, // logo sign board
    {309, 699, 49, 46, 7},  // pause
    {197, 703, 46, 46, 6},  // stop
    {87, 706, 46, 45, 5},   // quit
};

class EmbeddedPanel : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(DecodeTextureResource(106, &m_panel)); }
    DecodedPng m_panel;
};

TEST_F(EmbeddedPanel, MarksAreSolidBlocksAndEverythingElseIsOpaque) {
    ASSERT_EQ(m_panel.width, 1024u);
    ASSERT_EQ(m_panel.height, 768u);
    std::vector<int> owner(size_t(1024) * 768, -1);
    for (int i = 0; i < kHotSpotCount; ++i) {
        const Button &b = kButtons[i];
        for (uint32_t y = b.y; y < b.y + b.h; ++y)
            for (uint32_t x = b.x; x < b.x + b.w; ++x)
                owner[size_t(y) * 1024 + x] = i;
    }
    uint32_t wrong = 0;
    for (uint32_t y = 0; y < 768; ++y)
        for (uint32_t x = 0; x < 1024; ++x) {
            const int i = owner[size_t(y) * 1024 + x];
            const uint8_t a = m_panel.Alpha(x, y);
            if (i >= 0 ? a != kButtons[i].mark : a < 220)
                ++wrong;
        }
    EXPECT_EQ(wrong, 0u);
    for (uint32_t x = 0; x < 1024; ++x) {
        EXPECT_GE(m_panel.Alpha(x, 0), 10);
        EXPECT_GE(m_panel.Alpha(x, 767), 10);
    }
    for (uint32_t y = 0; y < 768; ++y) {
        EXPECT_GE(m_panel.Alpha(0, y), 10);
        EXPECT_GE(m_panel.Alpha(1023, y), 10);
    }
}

class PanelScan : public EmbeddedPanel, public testing::WithParamInterface<float> {};

TEST_P(PanelScan, GivesTheSevenButtonsScaledToTheScreen) {
    const float screenWidth = GetParam();
    const float k = screenWidth * 0.0009765625f;
    HotSpot spots[kHotSpotCount];
    ASSERT_EQ(FindHotSpotRects(m_panel.rgba.data(), m_panel.width, m_panel.height, m_panel.width,
                               screenWidth, spots),
              kHotSpotCount);
    for (int i = 0; i < kHotSpotCount; ++i) {
        const Button &b = kButtons[i];
        EXPECT_FLOAT_EQ(spots[i].position.x, float(b.x) * k) << "button " << i;
        EXPECT_FLOAT_EQ(spots[i].position.y, float(b.y) * k) << "button " << i;
        EXPECT_FLOAT_EQ(spots[i].size.x, float(b.w) * k) << "button " << i;
        EXPECT_FLOAT_EQ(spots[i].size.y, float(b.h) * k) << "button " << i;
    }
    uint32_t translucent = 0;
    for (uint32_t y = 0; y < m_panel.height; ++y)
        for (uint32_t x = 0; x < m_panel.width; ++x)
            translucent += m_panel.Alpha(x, y) != 255;
    EXPECT_EQ(translucent, 0u);
}

INSTANTIATE_TEST_SUITE_P(ScreenWidths, PanelScan, testing::Values(1024.0f, 800.0f));

TEST_F(EmbeddedPanel, HotSpotZeroAt800MatchesTheWorkedExample) {
    HotSpot spots[kHotSpotCount];
    ASSERT_EQ(FindHotSpotRects(m_panel.rgba.data(), 1024, 768, 1024, 800.0f, spots), kHotSpotCount);
    EXPECT_FLOAT_EQ(spots[0].position.x, 375.78125f);
    EXPECT_FLOAT_EQ(spots[0].position.y, 194.53125f);
    EXPECT_FLOAT_EQ(spots[0].size.x, 40.625f);
    EXPECT_FLOAT_EQ(spots[0].size.y, 42.1875f);
}

// The keys must show: each button's pixels are not one flat colour.
TEST_F(EmbeddedPanel, ButtonsArePaintedWhereTheirMarksAre) {
    for (int i = 0; i < kHotSpotCount; ++i) {
        const Button &b = kButtons[i];
        int lo = 255 * 3, hi = 0;
        for (uint32_t y = b.y; y < b.y + b.h; ++y)
            for (uint32_t x = b.x; x < b.x + b.w; ++x) {
                const uint8_t *p = &m_panel.rgba[(size_t(y) * 1024 + x) * 4];
                const int v = p[0] + p[1] + p[2];
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        EXPECT_GT(hi - lo, 150) << "button " << i << " shows no icon";
    }
}

} // namespace
