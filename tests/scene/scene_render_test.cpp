#include "scene/scene_fixture.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

namespace {

using RenderTest = SceneTest;

uint8_t Channel(uint32_t pixel, int i) { return static_cast<uint8_t>(pixel >> (8 * i)); }

// Stands in for the logo and records the GL state it is drawn with.
class CSpyModel : public CPMDModel {
  public:
    void Render() override {
        ++draws;
        glGetIntegerv(GL_VIEWPORT, viewport);
        lit = glIsEnabled(GL_LIGHTING) == GL_TRUE;
    }
    const CVector3 &GetBoundsMin() const override { return Vector3Zero; }
    const CVector3 &GetBoundsMax() const override { return Vector3Zero; }
    void SetVertexColour(PackedColour) override {}

    int draws = 0;
    GLint viewport[4] = {};
    bool lit = false;
};

class LogoTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        delete g_logoModel;
        g_logoModel = spy = new CSpyModel();
    }
    CSpyModel *spy = nullptr;
};

void RenderOnce(CTestbed *scene, float dt) {
    SetFrameTimeForTest(dt);
    ResetFrameArena();
    scene->Render();
}

TEST_P(RenderTest, IntroPicturesFadeWithTheStageTime) {
    if (Width() != 1024)
        GTEST_SKIP() << "texel-exact comparison needs one texel per pixel";
    CTexture *picture = scene->m_textures[2];
    ASSERT_NE(nullptr, picture);
    scene->m_stage = 2;
    const struct {
        float stageTime;
        int alpha;
    } cases[] = {{3.0f, 255}, {1.0f, 127}, {0.0f, 0}};
    for (const auto &c : cases) {
        scene->m_stageTime = c.stageTime;
        RenderOnce(scene, 0.0f);
        for (int y : {10, 384, 700}) {
            const int x = 3 * y / 4 + 17;
            const uint8_t *texel = picture->pixels + (y * picture->storeWidth + x) * 4;
            const uint32_t pixel = m_gl->ReadPixel(x, y);
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(texel[k] * c.alpha / 255.0, Channel(pixel, k), 1.5)
                    << "time " << c.stageTime << " at " << x << "," << y;
        }
    }
}

TEST_P(RenderTest, ThePanelIsOpaqueOnceItHasFadedIn) {
    scene->m_stage = 5;
    scene->m_stageTime = 3.0f;
    scene->m_text[0] = nullptr; // no scroll text over the picture
    RenderOnce(scene, 0.0f);
    CTexture *panel = scene->m_textures[5];
    ASSERT_NE(nullptr, panel);
    const float s = Width() / 1024.0f;
    // Inside the play button, whose alpha marked it before the scan.
    const int px = 500, py = 270;
    const uint8_t *texel = panel->pixels + (py * panel->storeWidth + px) * 4;
    EXPECT_EQ(255, texel[3]);
    if (Width() == 1024) {
        const uint32_t pixel = m_gl->ReadPixel(px, py);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(texel[k], Channel(pixel, k));
    } else {
        const uint32_t pixel = m_gl->ReadPixel(int(px * s), int(py * s));
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(texel[k], Channel(pixel, k), 24);
    }
}

// A flat grey panel makes the white line and its black shadow measurable.
class ScrollTextTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        CTexture *grey = new CTexture();
        ASSERT_TRUE(grey->Allocate(1, 1024, 768));
        for (uint32_t i = 0; i < 1024u * 768u; ++i) {
            const uint32_t y = i / 1024, x = i % 1024;
            uint8_t *t = grey->pixels + (y * grey->storeWidth + x) * 4;
            t[0] = t[1] = t[2] = kGrey;
            t[3] = 255;
        }
        scene->m_textures[5]->ReleasePixels();
        delete scene->m_textures[5];
        scene->m_textures[5] = grey;
        scene->m_stage = 5;
        scene->m_stageTime = 3.0f;
        scene->m_shownSide = 0;
        scene->m_lineTime = 1.5f;
        const uint8_t *text = scene->m_text[0];
        ASSERT_NE(nullptr, text);
        uint32_t o = 0;
        while (o < scene->m_textSize[0] && text[o] != '\n')
            ++o;
        scene->m_lineOffset = o + 1; // the first line with words
    }

    struct Band {
        int brightest = 0, darkest = 255, firstBright = -1, firstDark = -1;
    };
    Band Measure() {
        Band b;
        const int bottom = int(160 * Width() / 1024.0f);
        for (int y = 0; y < bottom; ++y)
            for (int x = 0; x < Width(); x += 1) {
                const int v = Channel(m_gl->ReadPixel(x, y), 1);
                b.brightest = std::max(b.brightest, v);
                b.darkest = std::min(b.darkest, v);
                if (v > kGrey + 8 && b.firstBright < 0)
                    b.firstBright = y;
                if (v < kGrey - 8 && b.firstDark < 0)
                    b.firstDark = y;
            }
        return b;
    }

    static constexpr uint8_t kGrey = 100;
};

TEST_P(ScrollTextTest, FullOpacityIsWhiteOverAHalfBlackShadow) {
    RenderOnce(scene, 0.0f);
    const Band b = Measure();
    EXPECT_NEAR(255, b.brightest, 2);
    EXPECT_NEAR(kGrey * (1 - 128 / 255.0), b.darkest, 2);
    const float s = Width() / 1024.0f;
    EXPECT_GE(b.firstBright, int(70 * s));
    EXPECT_LE(b.firstBright, int(70 * s + 25 * s));
    EXPECT_NEAR(b.firstBright + 4 * s, b.firstDark, 2.5);
}

TEST_P(ScrollTextTest, HalfOpacityHalvesBothAlphas) {
    scene->m_switchFade = 0.25f; // 2 x 1 x 0.25 = 0.5
    RenderOnce(scene, 0.0f);
    const Band b = Measure();
    EXPECT_NEAR(kGrey + (255 - kGrey) * 127 / 255.0, b.brightest, 2);
    EXPECT_NEAR(kGrey * (1 - 64 / 255.0), b.darkest, 2);
}

TEST_P(ScrollTextTest, AnEmptyLineDrawsNothing) {
    scene->m_lineOffset = 0; // the text starts with an empty line
    RenderOnce(scene, 0.0f);
    const Band b = Measure();
    EXPECT_EQ(kGrey, b.brightest);
    EXPECT_EQ(kGrey, b.darkest);
}

TEST_P(ScrollTextTest, APercentSignPrintsAsItself) {
    static const uint8_t text[] = "\r\n%s%n%d\r\n";
    scene->m_text[0] = text;
    scene->m_textSize[0] = sizeof text - 1;
    scene->m_lineOffset = 2;
    RenderOnce(scene, 0.0f);
    EXPECT_EQ(0, std::strcmp("%s%n%d\r", g_scrollLine));
    EXPECT_GT(Measure().brightest, kGrey + 100);
}

TEST_P(ScrollTextTest, AnOverLongLineIsCutToTheBuffer) {
    std::vector<uint8_t> text(3000, 'I');
    scene->m_text[0] = text.data();
    scene->m_textSize[0] = static_cast<uint32_t>(text.size());
    scene->m_lineOffset = 0;
    RenderOnce(scene, 0.0f);
    EXPECT_EQ(1023u, std::strlen(g_scrollLine));
}

TEST_P(LogoTest, RaisedLogoViewportIsShiftedRightAndDown) {
    scene->m_logoOn = true;
    scene->m_logoSlide = 0.0f;
    RenderOnce(scene, 0.016f);
    ASSERT_EQ(1, spy->draws);
    const int x = Width() == 1024 ? 300 : 234;
    const int y = Width() == 1024 ? -240 : -187;
    EXPECT_EQ(x, spy->viewport[0]);
    EXPECT_EQ(y, spy->viewport[1]);
    EXPECT_EQ(Width(), spy->viewport[2]);
    EXPECT_EQ(Height(), spy->viewport[3]);
    EXPECT_TRUE(spy->lit);

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(0, viewport[0]);
    EXPECT_EQ(0, viewport[1]);
    EXPECT_EQ(Width(), viewport[2]);
    EXPECT_EQ(Height(), viewport[3]);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
}

TEST_P(LogoTest, TheFirstFrameAfterSwitchingOnUsesTheLoweredOffset) {
    scene->m_logoOn = true;
    RenderOnce(scene, 0.01f);
    ASSERT_EQ(1, spy->draws);
    EXPECT_EQ(Width() == 1024 ? -640 : -500, spy->viewport[1]);
    EXPECT_FLOAT_EQ(0.99f, scene->m_logoSlide);
}

TEST_P(LogoTest, AHiddenLogoIsNotDrawnAndKeepsItsSpin) {
    g_logoSpin = 1.25f;
    RenderOnce(scene, 0.5f);
    EXPECT_EQ(0, spy->draws);
    EXPECT_EQ(1.25f, g_logoSpin);
    scene->m_logoOn = true;
    RenderOnce(scene, 0.25f);
    EXPECT_EQ(1, spy->draws);
    EXPECT_FLOAT_EQ(2.25f, g_logoSpin);
    scene->m_logoOn = false; // sinks again, drawn until it is down
    RenderOnce(scene, 0.2f);
    EXPECT_EQ(2, spy->draws);
    RenderOnce(scene, 0.5f);
    EXPECT_EQ(2, spy->draws);
    EXPECT_EQ(1.0f, scene->m_logoSlide);
}

INSTANTIATE_TEST_SUITE_P(Screens, RenderTest, ::testing::Values(1024, 800));
INSTANTIATE_TEST_SUITE_P(Screens, ScrollTextTest, ::testing::Values(1024, 800));
INSTANTIATE_TEST_SUITE_P(Screens, LogoTest, ::testing::Values(1024, 800));

} // namespace
