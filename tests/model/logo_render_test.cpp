// The embedded logo drawn through the render device as the scene draws it
// raised and unturned.
#include "math/camera.h"
#include "model/pmd_model.h"
#include "render/render_device.h"
#include "render/texture.h"
#include "support/gl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
// Where the scene puts the origin with the logo raised: 300 pixels right of
// the centre and 144 above the bottom edge (counted here from the top).
constexpr int kCentreX = kWidth / 2 + 300;
constexpr int kCentreY = kHeight - (kHeight / 2 - 240);

struct Rgba {
    int r, g, b, a;
};

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

    // Cleared to transparent black, camera at (0, 0, -2) on the origin, lights
    // 0 and 1 unless unlit, the viewport shifted right 300 and down 240; then
    // the back buffer is read (bottom row first).
    void Draw(bool lit) {
        ClearColourBuffer(0);
        ClearDepthBuffer(0.0f);
        End2D();
        m_camera.SetPosition(CVector3(0.0f, 0.0f, -2.0f));
        m_camera.SetTarget(Vector3Zero);
        m_camera.Apply();
        SetMatrix(kMatrixWorld, MatrixIdentity);
        if (lit) {
            EnableState(kStateLight0);
            EnableState(kStateLight1);
            EnableState(kStateLighting);
        }
        SetViewport(300, -240, kWidth, kHeight);
        m_model->Render();
        DisableState(kStateLighting);
        SetViewport(0, 0, kWidth, kHeight);
        m_screen.resize(size_t(kWidth) * kHeight * 4);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, m_screen.data());
    }

    Rgba Pixel(int x, int y) const { // from the top left
        const uint8_t *p = &m_screen[(size_t(kHeight - 1 - y) * kWidth + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }

    // The screen point of a spot of the flat face given by its texture
    // coordinates: pixels per unit = focal length / distance to the face.
    std::pair<int, int> FacePoint(float u, float v) const {
        const float focal = kHeight * 0.5f / std::tan(30.0f * 3.14159265f / 180.0f);
        const float k =
            2.0f * m_model->GetBoundsMax().x * focal / (2.0f + m_model->Mesh(0).vertices[0].z);
        return {int(std::lround(kCentreX - (0.5f - u) * k)),
                int(std::lround(kCentreY - (0.5f - v) * k))};
    }
    Rgba FacePixel(float u, float v) const {
        const auto [x, y] = FacePoint(u, v);
        return Pixel(x, y);
    }

    CTestGLContext m_gl{kWidth, kHeight};
    CCamera m_camera{float(kWidth), float(kHeight)};
    std::unique_ptr<IPMDModel> m_model;
    std::vector<uint8_t> m_screen;
};

// Lit: the designed size at the logo's place, the enamel blue, the rim gold,
// the front shininess 100, and the front face nearest the camera.
TEST_F(LogoRender, LitLogoSitsAtItsPlaceWithItsColours) {
    glMateriali(GL_FRONT, GL_SHININESS, 3);
    Draw(true);
    int left = kWidth, top = kHeight, right = -1, bottom = -1;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (const Rgba c = Pixel(x, y); c.r + c.g + c.b > 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_TRUE(right - left >= 199 && right - left <= 259) << right - left + 1;
    EXPECT_TRUE(bottom - top >= 199 && bottom - top <= 259) << bottom - top + 1;
    EXPECT_NEAR((left + right) / 2.0, kCentreX, 2.0);
    EXPECT_NEAR((top + bottom) / 2.0, kCentreY, 2.0);
    const Rgba face = FacePixel(0.5f, 0.3f), rim = FacePixel(0.5f, 0.95f);
    EXPECT_TRUE(face.b > face.r + 40 && face.b > 60) << face.r << " " << face.b;
    EXPECT_TRUE(rim.r > rim.b + 40 && rim.g > rim.b) << rim.r << " " << rim.g << " " << rim.b;
    EXPECT_EQ(rim.a, 255);
    GLfloat shininess = 0.0f;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_EQ(shininess, 100.0f);

    GLfloat depth = -1.0f;
    const auto [x, y] = FacePoint(0.5f, 0.3f);
    glReadPixels(x, kHeight - 1 - y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    auto windowDepth = [&](float z) {
        const float eyeZ = -(2.0f + z);
        const float ndc = (m_camera.projection[10] * eyeZ + m_camera.projection[14]) / -eyeZ;
        return 1.0f - (ndc + 1.0f) * 0.5f; // depth range near 1, far 0
    };
    const float faceZ = m_model->Mesh(0).vertices[0].z, backZ = m_model->Mesh(0).vertices[369].z;
    EXPECT_NEAR(depth, windowDepth(faceZ), 1e-4f);
    EXPECT_GT(std::fabs(depth - windowDepth(backZ)), 5e-4f);
}

// Unlit, white vertices show the texture itself, upright and not mirrored:
// spots on the face around the title and on the subtitle.
TEST_F(LogoRender, ShowsTheTextureUprightOnTheFace) {
    Draw(false);
    const CTexture &t = *m_model->Texture(0);
    for (const auto &[u, v] :
         {std::pair(0.5f, 0.3f), {0.27f, 0.5f}, {0.73f, 0.35f}, {0.5f, 0.78f}, {0.35f, 0.65f}}) {
        SCOPED_TRACE(testing::Message() << "u " << u << " v " << v);
        const size_t texel =
            size_t(v * float(t.height)) * t.storeWidth + size_t(u * float(t.width));
        const Rgba got = FacePixel(u, v);
        EXPECT_NEAR(got.r, t.pixels[texel * 4], 40);
        EXPECT_NEAR(got.g, t.pixels[texel * 4 + 1], 40);
        EXPECT_NEAR(got.b, t.pixels[texel * 4 + 2], 40);
    }
}

} // namespace
