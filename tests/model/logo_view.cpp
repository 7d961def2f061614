#include "model/logo_view.h"

#include "math/camera.h"
#include "model/model.h"
#include "common/png_write.h"
#include "render/render_device.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

void DrawLogoAsScene(CPMDModel &model, CCamera &camera, float spin, bool lit) {
    const int width = GetScreenWidth(), height = GetScreenHeight();
    const float s = GetScreenWidthF() * 0.0009765625f;
    ClearColourBuffer(0);
    ClearDepthBuffer(0.0f);
    End2D();
    const int offsetY = int(-240.0f * s); // the logo fully raised

    camera.SetPosition(CVector3(0.0f, 0.0f, -2.0f));
    camera.SetTarget(Vector3Zero);
    camera.Apply();

    CMatrix4 world = MatrixIdentity, step;
    world.Multiply(step.MakeRotationY(0.5f * std::sin(spin)));
    world.Multiply(step.MakeRotationZ(0.5f * std::sin(2.0f * spin)));
    world.Multiply(step.MakeScale(s));
    world.Multiply(step.MakeTranslation(0.0f, std::fabs(0.25f * std::sin(2.0f * spin)), 0.0f));
    SetMatrix(kMatrixWorld, world);

    if (lit) {
        EnableState(kStateLight0);
        EnableState(kStateLight1);
        EnableState(kStateLighting);
    }
    SetViewport(int(300.0f * s), offsetY, width, height);
    model.Render();
    DisableState(kStateLighting);
    SetViewport(0, 0, width, height);
}

std::vector<uint8_t> ReadScreen(int width, int height) {
    std::vector<uint8_t> bottomUp(size_t(width) * height * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<uint8_t> rows(bottomUp.size());
    const size_t stride = size_t(width) * 4;
    for (int y = 0; y < height; ++y)
        std::copy_n(&bottomUp[size_t(height - 1 - y) * stride], stride, &rows[size_t(y) * stride]);
    return rows;
}

bool SaveScreen(const std::string &path, const std::vector<uint8_t> &rgba, int width, int height) {
    // The clear leaves alpha 0; a picture for people to look at wants it opaque.
    std::vector<uint8_t> opaque = rgba;
    for (size_t i = 3; i < opaque.size(); i += 4)
        opaque[i] = 255;
    return WritePng(path, width, height, opaque);
}
