// What the scene's Render hands to GL at both screen sizes: the scroll line's
// glyph records in the frame vertex arena, and the logo read back from the
// screen. Streams are the recorded ones of scene_test.cpp.
#include "app/process.h"
#include "app/renderable.h"
#include "app/timer_internal.h"
#include "model/pmd_model.h"
#include "render/bitmap_font.h"
#include "render/render_device.h"
#include "render/render_device_internal.h"
#include "render/texture.h"
#include "scene/testbed.h"
#include "support/gl_context.h"
#include "support/testbed_leftovers.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

class SceneDrawTest : public ::testing::TestWithParam<int> {
  protected:
    int Width() const { return GetParam(); }
    int Height() const { return GetParam() == 800 ? 600 : 768; }
    float S() const { return float(Width()) / 1024.0f; }

    void SetUp() override {
        m_gl = std::make_unique<CTestGLContext>(Width(), Height());
        ASSERT_TRUE(m_gl->Ok()) << m_gl->Error();
        InitRenderDevice(Width(), Height());
        scene = new CTestbed();
        // The panel at full opacity; the intro is not played.
        scene->m_stage = 5;
        scene->m_stageTime = 3.0f;
    }
    void TearDown() override {
        DeleteTestbedAndLeftovers(scene);
        ClearRenderLayers();
        ShutdownRenderDevice();
    }

    // A frame that moves nothing: the process step and the render pass at dt 0.
    void Frame() {
        SetFrameTimeForTest(0.0f);
        UpdateProcesses();
        RenderLayers();
    }
    // The back buffer, bottom row first, 4 bytes a pixel.
    std::vector<uint8_t> Screen() const {
        std::vector<uint8_t> screen(size_t(Width()) * Height() * 4);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, Width(), Height(), GL_RGBA, GL_UNSIGNED_BYTE, screen.data());
        return screen;
    }

    CTestbed *scene = nullptr;
    std::unique_ptr<CTestGLContext> m_gl;
};

// The line's top edge at 70 S, its measured width less 32 centred at S scale,
// the shadow drawn first 4 S right of and below it; alphas are the line's
// opacity times 255 and 128, truncated.
TEST_P(SceneDrawTest, ScrollLineIsCentredAtItsPlaceWithItsShadowFirst) {
    static const uint8_t text[] = "\nWide line\n";
    for (int i = 0; i < CTestbed::kSides; ++i) {
        scene->m_text[i] = text;
        scene->m_textSize[i] = sizeof text - 1;
    }
    scene->m_lineOffset = 1;
    const char *line = "Wide line";
    const size_t records = std::strlen(line) * 6; // six a byte, drawn or not
    const CBitmapFont &font = *scene->m_font;
    float measured = 0.0f;
    size_t drawn = 0; // records written: six a glyph, none for the space
    for (const char *c = line; *c; ++c) {
        ASSERT_TRUE(*c == ' ' || font.HasGlyph(uint8_t(*c))) << *c;
        measured += (*c == ' ' ? font.spaceWidth : font.widths[uint8_t(*c)]) + font.spacing;
        drawn += *c == ' ' ? 0 : 6;
    }
    const float s = S();
    const float x = (float(Width()) - (measured - 32.0f) * s) * 0.5f, y = 70.0f * s;

    const struct {
        float lineTime; // seconds left; opacity min(1, 2 sin(pi t / 3))
        uint32_t front, shadow;
    } cases[] = {{1.5f, 0xFFFFFFFFu, 0x80000000u}, {0.34146f, 0xB2FFFFFFu, 0x59000000u}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "line time " << c.lineTime);
        scene->m_lineTime = c.lineTime;
        Frame();
        ASSERT_STREQ(line, g_scrollLine);
        const auto *end = reinterpret_cast<const Vertex2D *>(FrameArenaCursor());
        const Vertex2D *front = end - records, *shadow = front - records;
        ASSERT_GE(reinterpret_cast<const uint8_t *>(shadow), FrameArenaBase());
        // Record 1 of a glyph is its top-left corner; record 0 its bottom-left.
        EXPECT_FLOAT_EQ(front[1].x, x);
        EXPECT_FLOAT_EQ(front[1].y, y);
        EXPECT_FLOAT_EQ(front[0].y - front[1].y, font.lineHeight * s);
        EXPECT_FLOAT_EQ(shadow[1].x, x + 4.0f * s);
        EXPECT_FLOAT_EQ(shadow[1].y, y + 4.0f * s);
        EXPECT_EQ(front[0].colour, c.front);
        EXPECT_EQ(shadow[0].colour, c.shadow);
        // The last glyph ends where the measured line ends, less the spacing after it.
        EXPECT_NEAR(front[drawn - 1].x, x + (measured - font.spacing) * s, 1e-3f);
    }
}

// Raised and unturned, the logo stands around the origin's place in the
// shifted viewport, (W / 2 + 300 S, H / 2 + 240 S) from the top-left, at S
// scale, upright and not mirrored; Render restores the viewport and lighting.
TEST_P(SceneDrawTest, LogoRaisedStandsAtItsPlaceUpright) {
    const auto *model = dynamic_cast<const IPMDModel *>(g_logoModel);
    ASSERT_TRUE(model && model->Texture(0));
    Frame();
    const std::vector<uint8_t> panel = Screen();
    scene->m_logoOn = true;
    scene->m_logoSlide = 0.0f;
    g_logoSpin = 0.0f;
    Frame();
    const std::vector<uint8_t> shot = Screen();

    const int w = Width(), h = Height();
    auto at = [&](const std::vector<uint8_t> &screen, int x, int y) {
        return &screen[(size_t(h - 1 - y) * w + x) * 4]; // y counted from the top
    };
    int left = w, top = h, right = -1, bottom = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (std::memcmp(at(panel, x, y), at(shot, x, y), 3) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    const float s = S();
    // The viewport's offsets are truncated toward zero.
    const float centreX = float(w / 2 + int(300.0f * s)), centreY = float(h / 2 - int(-240.0f * s));
    // Pixels per model unit on the flat face: focal length over its distance.
    const float focal = h * 0.5f / std::tan(30.0f * 3.14159265f / 180.0f);
    const float k = s * focal / (2.0f + s * model->Mesh(0).vertices[0].z);
    const float side = 2.0f * model->GetBoundsMax().x * k;
    EXPECT_NEAR((left + right) / 2.0f, centreX, 2.0f);
    EXPECT_NEAR((top + bottom) / 2.0f, centreY, 2.0f);
    EXPECT_NEAR(right - left + 1, side, 0.05f * side);
    EXPECT_NEAR(bottom - top + 1, side, 0.05f * side);

    // Lit, the face shows the texture's pattern: over the big lettering, its
    // brightness follows the texture's at the same place (about 0.7 at 1024,
    // 0.63 at 800, where filtering softens the outline), not at the place
    // mirrored left to right or top to bottom (about 0.1).
    const CTexture &t = *model->Texture(0);
    auto correlation = [&](bool mirrorU, bool mirrorV) {
        std::vector<float> a, b;
        for (float v = 0.36f; v <= 0.5f; v += 0.01f)
            for (float u = 0.18f; u <= 0.82f; u += 0.01f) {
                const float tu = mirrorU ? 1.0f - u : u, tv = mirrorV ? 1.0f - v : v;
                const uint8_t *want =
                    t.pixels + (size_t(tv * t.height) * t.storeWidth + size_t(tu * t.width)) * 4;
                const uint8_t *got = at(shot, int(std::lround(centreX - (0.5f - u) * side)),
                                        int(std::lround(centreY - (0.5f - v) * side)));
                a.push_back(float(want[0] + want[1] + want[2]));
                b.push_back(float(got[0] + got[1] + got[2]));
            }
        const float n = float(a.size());
        float ma = 0, mb = 0, ab = 0, aa = 0, bb = 0;
        for (size_t i = 0; i < a.size(); ++i)
            ma += a[i] / n, mb += b[i] / n;
        for (size_t i = 0; i < a.size(); ++i) {
            ab += (a[i] - ma) * (b[i] - mb);
            aa += (a[i] - ma) * (a[i] - ma);
            bb += (b[i] - mb) * (b[i] - mb);
        }
        return ab / std::sqrt(aa * bb);
    };
    const float upright = correlation(false, false);
    EXPECT_GT(upright, 0.5f);
    EXPECT_LT(correlation(true, false), 0.35f) << upright;
    EXPECT_LT(correlation(false, true), 0.35f) << upright;

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_TRUE(viewport[0] == 0 && viewport[1] == 0 && viewport[2] == w && viewport[3] == h);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

INSTANTIATE_TEST_SUITE_P(Screens, SceneDrawTest, ::testing::Values(1024, 800));

} // namespace
