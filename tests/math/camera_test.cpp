#include "math/camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectVector(const CVector3 &v, const CVector3 &want, const char *what) {
    EXPECT_NEAR(v.x, want.x, 1e-5f * (1 + std::fabs(want.x))) << what;
    EXPECT_NEAR(v.y, want.y, 1e-5f * (1 + std::fabs(want.y))) << what;
    EXPECT_NEAR(v.z, want.z, 1e-5f * (1 + std::fabs(want.z))) << what;
}

// Column-major matrix times point (w = 1).
CVector3 Apply(const CMatrix4 &m, const CVector3 &p) {
    return CVector3(m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
                    m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                    m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]);
}

// The view takes the eye to the origin, the target onto -z and the camera's
// right and up to x and y; right stays level and up points upwards.
TEST(CameraTest, ViewLooksFromTheEyeAtTheTargetUpright) {
    const struct {
        CVector3 eye, target;
    } cases[] = {
        {{0, 0, -2}, {0, 0, 0}},   {{0, 0, 5}, {0, 0, 0}},     {{3, 4, 5}, {0, 1, 0}},
        {{-10, 2, 7}, {1, -1, 2}}, {{0.5f, 0, -3}, {0, 0, 0}}, {{100, 50, 0}, {0, 0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.eye.x << " " << c.eye.y << " " << c.eye.z);
        CCamera camera(640, 480);
        camera.SetPosition(c.eye);
        camera.SetTarget(c.target);
        CVector3 forward = c.target.Subtract(c.eye);
        const float distance = forward.Normalise();
        ExpectVector(camera.forward, forward, "forward");
        ExpectVector(Apply(camera.view, c.eye), Vector3Zero, "eye");
        ExpectVector(Apply(camera.view, c.target), CVector3(0, 0, -distance), "target");
        ExpectVector(Apply(camera.view, c.eye.Add(camera.right)), Vector3UnitX, "right");
        ExpectVector(Apply(camera.view, c.eye.Add(camera.up)), Vector3UnitY, "up");
        EXPECT_NEAR(camera.right.y, 0.0f, 1e-6f);
        EXPECT_GT(camera.up.y, 0.0f);
    }
    // Behind the origin looking along +z, the camera's right is the world's -x.
    CCamera camera(800, 600);
    camera.SetPosition(CVector3(0, 0, -2));
    camera.SetTarget(Vector3Zero);
    ExpectVector(camera.right, CVector3(-1, 0, 0), "right");
}

// The projection is fixed at construction: 60 degrees, near 0.1, far 2000, the
// aspect of the size given. cot(30 degrees) = 1.7320508.
TEST(CameraTest, ProjectionIsThePerspectiveOfTheSizeGiven) {
    const struct {
        float width, height, x;
    } cases[] = {{1024, 768, 1.2990381f}, {800, 600, 1.2990381f}, {1000, 500, 0.8660254f}};
    for (const auto &c : cases) {
        const CMatrix4 want(c.x, 0, 0, 0, 0, 1.7320508f, 0, 0, 0, 0, -1.0001f, -1, 0, 0, -0.20001f,
                            0);
        const CCamera camera(c.width, c.height);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(camera.projection[i], want[i], 3e-7f * (1 + std::fabs(want[i])))
                << c.width << "x" << c.height << " element " << i;
    }
}

} // namespace
