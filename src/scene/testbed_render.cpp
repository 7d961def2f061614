#include "scene/testbed.h"

#include "app/timer.h"
#include "math/camera.h"
#include "model/pmd_model.h"
#include "render/primitives.h"
#include "render/render_device.h"
#include "render/texture.h"

#include <cmath>

namespace {

constexpr float kDesignWidthFactor = 0.0009765625f; // 1/1024
constexpr float kPi = 3.1415927f;
constexpr float kPictureFadeRate = 0.16666667f;
constexpr float kSpinRate = 4.0f;        // radians of swing phase per second
constexpr float kSwing = 0.5f;           // radians
constexpr float kBounce = 0.25f;         // world units
constexpr float kLogoShiftX = 300.0f;    // design pixels right of the centre
constexpr float kRaisedOffset = -240.0f; // viewport y when raised, design pixels
constexpr float kSlideDepth = -200.0f;

} // namespace

void CTestbed::Render() {
    const float s = GetScreenWidthF() * kDesignWidthFactor;

    ClearColourBuffer(0);
    ClearDepthBuffer(0.0f);

    if (CTexture *picture = m_stage < kPictures ? m_textures[m_stage] : nullptr) {
        const float angle = m_stageTime * kPi * kPictureFadeRate;
        const float opacity = std::fabs(std::sin(angle));
        const uint32_t alpha = static_cast<uint32_t>(static_cast<int32_t>(opacity * 255.0f));
        const CVector2 size(static_cast<float>(picture->storeWidth) * s,
                            static_cast<float>(picture->storeHeight) * s);
        DrawTexturedQuad(picture, CVector2(0.0f, 0.0f), size, 0x00FFFFFFu | alpha << 24);
    }

    if (m_stage >= 5)
        DrawScrollText();

    End2D();
    RenderLogo(s);
}

// Raises, swings and lowers the logo in the lower right; advances the slide
// and, while the logo shows, its spin.
void CTestbed::RenderLogo(float s) {
    // The viewport follows the slide as the previous frame left it.
    const float slideAngle = m_logoSlide * kPi;
    const float slideCurve = std::cos(slideAngle);
    const int offsetY = static_cast<int>((kRaisedOffset - (slideCurve - 1.0f) * kSlideDepth) * s);

    const float dt = GetFrameTime();
    if (m_logoOn) {
        m_logoSlide = (m_logoSlide - dt > 0.0f) ? m_logoSlide - dt : 0.0f;
    } else {
        m_logoSlide = (m_logoSlide + dt >= 1.0f) ? 1.0f : m_logoSlide + dt;
    }
    if (!(m_logoSlide < 1.0f))
        return;

    if (g_camera) {
        g_camera->SetPosition(CVector3(0.0f, 0.0f, -2.0f));
        g_camera->SetTarget(CVector3(0.0f, 0.0f, 0.0f));
        g_camera->Apply();
    }

    g_logoSpin += GetFrameTime() * kSpinRate;

    const float swing = kSwing * std::sin(g_logoSpin);
    const float doubleSpin = 2.0f * g_logoSpin;
    const float tilt = kSwing * std::sin(doubleSpin);
    const float lift = std::fabs(kBounce * std::sin(doubleSpin));
    CMatrix4 world = MatrixIdentity;
    CMatrix4 step;
    world.Multiply(step.MakeRotationY(swing));
    world.Multiply(step.MakeRotationZ(tilt));
    world.Multiply(step.MakeScale(s));
    world.Multiply(step.MakeTranslation(0.0f, lift, 0.0f));
    SetMatrix(kMatrixWorld, world);

    EnableState(kStateLight0);
    EnableState(kStateLight1);
    EnableState(kStateLighting);
    const int width = GetScreenWidth();
    const int height = GetScreenHeight();
    SetViewport(static_cast<int>(kLogoShiftX * s), offsetY, width, height);
    if (g_logoModel)
        g_logoModel->Render();
    DisableState(kStateLighting);
    SetViewport(0, 0, width, height);
}
