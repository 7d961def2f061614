// The embedded logo drawn through the render device as the scene draws it.
#include "math/camera.h"
#include "model/logo_view.h"
#include "model/pmd_model.h"
#include "render/render_device.h"
#include "render/texture.h"
#include "support/gl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
// Where the scene puts the origin with the logo raised: 300 pixels right of
// the centre and 144 above the bottom edge (counted here from the top).
constexpr int kCentreX = kWidth / 2 + 300;
constexpr int kCentreY = kHeight - (kHeight / 2 - 240);
// Pixels per model unit at the origin's distance of 2 with a 60 degree view.
const float kFocal = float(kHeight) * 0.5f / std::tan(30.0f * 3.14159265f / 180.0f);

struct Box {
    int left = kWidth, top = kHeight, right = -1, bottom = -1;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

struct Rgba {
    int r, g, b, a;
};

Rgba PixelAt(const std::vector<uint8_t> &screen, int x, int y) {
    const uint8_t *p = &screen[(size_t(y) * kWidth + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

Box CoveredBox(const std::vector<uint8_t> &screen) {
    Box box;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Rgba c = PixelAt(screen, x, y);
            if (c.r + c.g + c.b == 0)
                continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    return box;
}

class LogoRender : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_gl.Ok()) << m_gl.Error();
        ASSERT_TRUE(InitRenderDevice(kWidth, kHeight));
        const int textures[] = {107};
        m_model.reset(LoadModelFromResource(113, textures, 1));
        ASSERT_TRUE(m_model);
        ASSERT_NE(m_model->Texture(0), nullptr);
    }
    void TearDown() override {
        m_model.reset();
        ShutdownRenderDevice();
    }

    // Screen point of a spot of the flat face given by its texture
    // coordinates, with the logo unturned (spin 0).
    void FacePoint(float u, float v, int *x, int *y) const {
        const float radius = m_model->GetBoundsMax().x;
        const float faceZ = m_model->Mesh(0).vertices[0].z;
        const float wx = (0.5f - u) * 2.0f * radius, wy = (0.5f - v) * 2.0f * radius;
        const float k = kFocal / (2.0f + faceZ);
        *x = int(std::lround(kCentreX - wx * k));
        *y = int(std::lround(kCentreY - wy * k));
    }

    Rgba Texel(float u, float v) const {
        const CTexture &t = *m_model->Texture(0);
        const uint8_t *p =
            t.pixels +
            (size_t(v * float(t.height)) * t.storeWidth + size_t(u * float(t.width))) * 4;
        return {p[0], p[1], p[2], p[3]};
    }

    CTestGLContext m_gl{kWidth, kHeight};
    CCamera m_camera{float(kWidth), float(kHeight)};
    std::unique_ptr<IPMDModel> m_model;
};

TEST_F(LogoRender, SpansTheDesignedSizeAtTheLogoPlace) {
    DrawLogoAsScene(*m_model, m_camera, 0.0f);
    const std::vector<uint8_t> screen = ReadScreen(kWidth, kHeight);
    SaveScreen("logo_scene_spin0.png", screen, kWidth, kHeight);
    const Box box = CoveredBox(screen);
    EXPECT_GE(box.Width(), 200);
    EXPECT_LE(box.Width(), 260);
    EXPECT_GE(box.Height(), 200);
    EXPECT_LE(box.Height(), 260);
    EXPECT_NEAR((box.left + box.right) / 2.0, kCentreX, 2.0);
    EXPECT_NEAR((box.top + box.bottom) / 2.0, kCentreY, 2.0);
}

TEST_F(LogoRender, SetsTheFrontShininessTo100) {
    glMateriali(GL_FRONT, GL_SHININESS, 3);
    DrawLogoAsScene(*m_model, m_camera, 0.0f);
    GLfloat shininess = 0.0f;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_EQ(shininess, 100.0f);
}

// Unlit, white vertices show the texture itself: face and rim texels appear
// where the planar mapping puts them, upright and not mirrored.
TEST_F(LogoRender, ShowsTheTextureUprightOnTheFace) {
    DrawLogoAsScene(*m_model, m_camera, 0.0f, false);
    const std::vector<uint8_t> screen = ReadScreen(kWidth, kHeight);
    SaveScreen("logo_unlit.png", screen, kWidth, kHeight);
    // Spots on the face above, beside and below the title, and on the
    // subtitle; the lettering makes the picture differ from its mirror image.
    const float spots[][2] = {
        {0.5f, 0.3f}, {0.27f, 0.5f}, {0.73f, 0.35f}, {0.5f, 0.78f}, {0.35f, 0.65f}};
    for (const auto &uv : spots) {
        int x, y;
        FacePoint(uv[0], uv[1], &x, &y);
        const Rgba want = Texel(uv[0], uv[1]);
        const Rgba got = PixelAt(screen, x, y);
        EXPECT_NEAR(got.r, want.r, 40) << "u " << uv[0] << " v " << uv[1];
        EXPECT_NEAR(got.g, want.g, 40) << "u " << uv[0] << " v " << uv[1];
        EXPECT_NEAR(got.b, want.b, 40) << "u " << uv[0] << " v " << uv[1];
    }
}

// Lit as in the scene, the enamel stays blue and the rim gold.
TEST_F(LogoRender, LitLogoKeepsItsColours) {
    DrawLogoAsScene(*m_model, m_camera, 0.0f);
    const std::vector<uint8_t> screen = ReadScreen(kWidth, kHeight);
    int x, y;
    FacePoint(0.5f, 0.3f, &x, &y);
    const Rgba face = PixelAt(screen, x, y);
    EXPECT_GT(face.b, face.r + 40);
    EXPECT_GT(face.b, 60);
    FacePoint(0.5f, 0.95f, &x, &y); // lower rim
    const Rgba rim = PixelAt(screen, x, y);
    EXPECT_GT(rim.r, rim.b + 40);
    EXPECT_GT(rim.g, rim.b);
    EXPECT_EQ(rim.a, 255);
}

TEST_F(LogoRender, RedVerticesMakeTheDrawnLogoRed) {
    m_model->SetVertexColour(MakePackedColour(255, 0, 0, 255));
    DrawLogoAsScene(*m_model, m_camera, 0.7f, false);
    const std::vector<uint8_t> screen = ReadScreen(kWidth, kHeight);
    int covered = 0, bright = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Rgba c = PixelAt(screen, x, y);
            if (c.r + c.g + c.b == 0)
                continue;
            ++covered;
            ASSERT_EQ(c.g, 0) << x << "," << y;
            ASSERT_EQ(c.b, 0) << x << "," << y;
            bright += c.r > 150;
        }
    EXPECT_GT(covered, 30000);
    EXPECT_GT(bright, covered / 3); // the gold rim and lettering keep their red
}

// The front face is what the camera sees: the depth at the face's centre
// is that of the face nearest the camera, not of the back face behind it.
TEST_F(LogoRender, OutwardFacesAreFrontFacing) {
    DrawLogoAsScene(*m_model, m_camera, 0.0f);
    int x, y;
    FacePoint(0.5f, 0.3f, &x, &y);
    GLfloat depth = -1.0f;
    glReadPixels(x, kHeight - 1 - y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    const float faceZ = m_model->Mesh(0).vertices[0].z;
    const float backZ = m_model->Mesh(0).vertices[369].z;
    auto windowDepth = [&](float z) {
        const float eyeZ = -(2.0f + z);
        const float ndc = (m_camera.projection[10] * eyeZ + m_camera.projection[14]) / -eyeZ;
        return 1.0f - (ndc + 1.0f) * 0.5f; // depth range near 1, far 0
    };
    EXPECT_NEAR(depth, windowDepth(faceZ), 1e-4f);
    EXPECT_GT(std::fabs(depth - windowDepth(backZ)), 5e-4f);
}

// Pictures of a few moments of the swing, for people to look at.
TEST_F(LogoRender, SwingStaysInTheLowerRightArea) {
    for (float spin : {0.4f, 1.2f, 2.0f, 2.9f}) {
        DrawLogoAsScene(*m_model, m_camera, spin);
        const std::vector<uint8_t> screen = ReadScreen(kWidth, kHeight);
        char name[64];
        std::snprintf(name, sizeof name, "logo_scene_spin%.1f.png", spin);
        SaveScreen(name, screen, kWidth, kHeight);
        const Box box = CoveredBox(screen);
        EXPECT_GT(box.left, kWidth / 2) << spin;
        EXPECT_GT(box.top, kHeight / 3) << spin;
        EXPECT_GE(box.Width(), 150) << spin;
        EXPECT_LE(box.Width(), 300) << spin;
    }
}

} // namespace
