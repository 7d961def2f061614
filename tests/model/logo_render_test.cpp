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

// Unlit, white vertices show the texture itself, upright and not mirrored, at
// the designed size at the logo's place.
TEST(LogoRender, ShowsTheTextureUprightAtTheLogoPlace) {
    CTestGLContext gl(kWidth, kHeight);
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    ASSERT_TRUE(InitRenderDevice(kWidth, kHeight));
    const int textures[] = {107};
    std::unique_ptr<IPMDModel> model(LoadModelFromResource(113, textures, 1));
    ASSERT_TRUE(model && model->Texture(0));

    // As the scene: cleared to transparent black, camera at (0, 0, -2) on the
    // origin, the viewport shifted right 300 and down 240.
    ClearColourBuffer(0);
    ClearDepthBuffer(0.0f);
    End2D();
    CCamera camera(kWidth, kHeight);
    camera.SetPosition(CVector3(0.0f, 0.0f, -2.0f));
    camera.SetTarget(Vector3Zero);
    camera.Apply();
    SetMatrix(kMatrixWorld, MatrixIdentity);
    SetViewport(300, -240, kWidth, kHeight);
    model->Render();
    SetViewport(0, 0, kWidth, kHeight);

    std::vector<uint8_t> screen(size_t(kWidth) * kHeight * 4); // bottom row first
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, screen.data());
    auto pixel = [&](int x, int y) { return &screen[(size_t(kHeight - 1 - y) * kWidth + x) * 4]; };
    int left = kWidth, top = kHeight, right = -1, bottom = -1;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (const uint8_t *c = pixel(x, y); c[0] + c[1] + c[2] > 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_TRUE(right - left >= 199 && right - left <= 259) << right - left + 1;
    EXPECT_TRUE(bottom - top >= 199 && bottom - top <= 259) << bottom - top + 1;
    EXPECT_NEAR((left + right) / 2.0, kCentreX, 2.0);
    EXPECT_NEAR((top + bottom) / 2.0, kCentreY, 2.0);

    // Pixels per unit on the flat face: focal length over its distance.
    const float focal = kHeight * 0.5f / std::tan(30.0f * 3.14159265f / 180.0f);
    const float k = 2.0f * model->GetBoundsMax().x * focal / (2.0f + model->Mesh(0).vertices[0].z);
    const CTexture &t = *model->Texture(0);
    for (const auto &[u, v] :
         {std::pair(0.5f, 0.3f), {0.27f, 0.5f}, {0.73f, 0.35f}, {0.5f, 0.78f}, {0.35f, 0.65f}}) {
        SCOPED_TRACE(testing::Message() << "u " << u << " v " << v);
        const uint8_t *want =
            t.pixels +
            (size_t(v * float(t.height)) * t.storeWidth + size_t(u * float(t.width))) * 4;
        const uint8_t *got = pixel(int(std::lround(kCentreX - (0.5f - u) * k)),
                                   int(std::lround(kCentreY - (0.5f - v) * k)));
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(got[i], want[i], 40) << "channel " << i;
    }
    model.reset();
    ShutdownRenderDevice();
}

} // namespace
