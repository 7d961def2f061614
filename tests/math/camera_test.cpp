#include "math/camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectVector(const CVector3 &v, float x, float y, float z, const char *what) {
    EXPECT_NEAR(v.x, x, 1e-6f) << what;
    EXPECT_NEAR(v.y, y, 1e-6f) << what;
    EXPECT_NEAR(v.z, z, 1e-6f) << what;
}

// Column-major matrix times point (w = 1).
CVector3 Apply(const CMatrix4 &m, const CVector3 &p) {
    return CVector3(m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
                    m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                    m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]);
}

// The standard look-at view with up (0, 1, 0), column-major.
CMatrix4 ReferenceLookAt(const CVector3 &eye, const CVector3 &target) {
    CVector3 f = target.Subtract(eye);
    f.Normalise();
    const CVector3 up(0, 1, 0);
    CVector3 s(f.y * up.z - f.z * up.y, f.z * up.x - f.x * up.z, f.x * up.y - f.y * up.x);
    s.Normalise();
    const CVector3 u(s.y * f.z - s.z * f.y, s.z * f.x - s.x * f.z, s.x * f.y - s.y * f.x);
    CMatrix4 m(s.x, u.x, -f.x, 0, s.y, u.y, -f.y, 0, s.z, u.z, -f.z, 0, 0, 0, 0, 1);
    m[12] = -(s.x * eye.x + s.y * eye.y + s.z * eye.z);
    m[13] = -(u.x * eye.x + u.y * eye.y + u.z * eye.z);
    m[14] = f.x * eye.x + f.y * eye.y + f.z * eye.z;
    return m;
}

TEST(CameraTest, ConstructionSetsDefaultsAndProjection) {
    CCamera camera(1024, 768);
    ExpectVector(camera.position, 0, 0, 0, "position");
    ExpectVector(camera.target, 0, 0, 0, "target");
    ExpectVector(camera.forward, 0, 0, 0, "forward");
    ExpectVector(camera.up, 0, 0, 0, "up");
    ExpectVector(camera.right, 0, 0, 0, "right");
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(camera.view[i], MatrixIdentity[i]) << i;
    EXPECT_EQ(camera.fieldOfView, 60.0f);
    EXPECT_EQ(camera.nearPlane, 0.1f);
    EXPECT_EQ(camera.farPlane, 2000.0f);
    EXPECT_EQ(camera.width, 1024.0f);
    EXPECT_EQ(camera.height, 768.0f);
    const float k = 1.7320508f;
    EXPECT_NEAR(camera.projection[0], k / 1.3333334f, 1e-6f);
    EXPECT_NEAR(camera.projection[5], k, 1e-6f);
    EXPECT_NEAR(camera.projection[10], 2000.1f / -1999.9f, 1e-6f);
    EXPECT_EQ(camera.projection[11], -1.0f);
    EXPECT_NEAR(camera.projection[14], 400.0f / -1999.9f, 1e-6f);
    EXPECT_EQ(camera.projection[15], 0.0f);
}

TEST(CameraTest, LookingDownPositiveZFromBehind) {
    CCamera camera(800, 600);
    camera.SetPosition(CVector3(0, 0, -2));
    camera.SetTarget(CVector3(0, 0, 0));
    ExpectVector(camera.right, -1, 0, 0, "right");
    ExpectVector(camera.up, 0, 1, 0, "up");
    ExpectVector(camera.forward, 0, 0, 1, "forward");
    ExpectVector(Apply(camera.view, camera.target), 0, 0, -2, "target in camera space");
    ExpectVector(Apply(camera.view, camera.position), 0, 0, 0, "eye in camera space");
}

TEST(CameraTest, ViewMatchesTheStandardLookAt) {
    const struct {
        CVector3 eye, target;
    } cases[] = {
        {{0, 0, 5}, {0, 0, 0}},     {{3, 4, 5}, {0, 1, 0}},    {{-10, 2, 7}, {1, -1, 2}},
        {{0.5f, 0, -3}, {0, 0, 0}}, {{100, 50, 0}, {0, 0, 0}},
    };
    for (const auto &c : cases) {
        CCamera camera(640, 480);
        camera.SetPosition(c.eye);
        camera.SetTarget(c.target);
        const CMatrix4 expected = ReferenceLookAt(c.eye, c.target);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(camera.view[i], expected[i], 2e-4f * (1 + std::fabs(expected[i])))
                << "element " << i;
        CVector3 dir = c.target.Subtract(c.eye);
        dir.Normalise();
        ExpectVector(camera.forward, dir.x, dir.y, dir.z, "forward");
    }
}

TEST(CameraTest, DegenerateCamerasGiveZeroAxesWithoutFailing) {
    const struct {
        const char *name;
        CVector3 eye, target;
    } cases[] = {
        {"eye on target", {1, 2, 3}, {1, 2, 3}},
        {"looking straight down", {0, 5, 0}, {0, 0, 0}},
        {"looking straight up", {2, -1, 2}, {2, 9, 2}},
    };
    for (const auto &c : cases) {
        CCamera camera(100, 100);
        camera.SetPosition(c.eye);
        camera.SetTarget(c.target);
        ExpectVector(camera.right, 0, 0, 0, c.name);
        ExpectVector(camera.up, 0, 0, 0, c.name);
        for (int i = 0; i < 15; ++i)
            EXPECT_EQ(camera.view[i], 0.0f) << c.name << " element " << i;
        EXPECT_EQ(camera.view[15], 1.0f) << c.name;
        for (int i = 0; i < 16; ++i)
            EXPECT_FALSE(std::isnan(camera.view[i])) << c.name;
    }
}

TEST(CameraTest, SettersKeepTheProjection) {
    CCamera camera(1024, 768);
    const CMatrix4 before = camera.projection;
    camera.SetPosition(CVector3(1, 2, 3));
    camera.SetTarget(CVector3(-4, 0, 1));
    camera.Update();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(camera.projection[i], before[i]) << i;
}

} // namespace
