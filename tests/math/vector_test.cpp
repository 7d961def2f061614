#include "math/vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

void ExpectVector(const CVector3 &v, const CVector3 &want, float tolerance = 1e-6f) {
    EXPECT_NEAR(v.x, want.x, tolerance);
    EXPECT_NEAR(v.y, want.y, tolerance);
    EXPECT_NEAR(v.z, want.z, tolerance);
}

// Degenerate vectors (zero, denormal squares, NaN) return 0 and stay bitwise
// as they were; Normalised() leaves its receiver alone.
TEST(VectorTest, NormaliseReturnsTheLengthAndScalesToUnit) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float r3 = 1 / std::sqrt(3.0f);
    const struct {
        CVector3 in;
        float length;
        CVector3 out;
    } cases[] = {
        {{3, 0, 4}, 5.0f, {0.6f, 0.0f, 0.8f}},
        {{0, -2, 0}, 2.0f, {0, -1, 0}},
        {{1, 1, 1}, std::sqrt(3.0f), {r3, r3, r3}},
        {{1e-18f, 0, 0}, 1e-18f, {1, 0, 0}}, // tiny, but its square is still normal
        {{-7, 24, 0}, 25.0f, {-0.28f, 0.96f, 0}},
        {{0, 0, 0}, 0.0f, {0, 0, 0}},
        {{std::numeric_limits<float>::denorm_min(), 0, 0}, 0.0f, {}},
        {{1e-39f, -1e-39f, 0}, 0.0f, {}},
        {{nan, 1, 1}, 0.0f, {}},
        {{1, nan, 0}, 0.0f, {}},
        {{0, 0, nan}, 0.0f, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.x << " " << c.in.y << " " << c.in.z);
        const CVector3 copy = c.in.Normalised();
        CVector3 v = c.in;
        EXPECT_FLOAT_EQ(v.Normalise(), c.length);
        EXPECT_EQ(0, std::memcmp(&v, &copy, sizeof v));
        if (c.length == 0.0f)
            EXPECT_EQ(0, std::memcmp(&v, &c.in, sizeof v));
        else
            ExpectVector(v, c.out);
    }
}

TEST(VectorTest, CrossProductIsNormalisedAndDegenerateGivesZero) {
    const struct {
        CVector3 a, b, expected;
    } cases[] = {
        {Vector3UnitX, Vector3UnitY, Vector3UnitZ}, {Vector3UnitY, Vector3UnitZ, Vector3UnitX},
        {Vector3UnitZ, Vector3UnitX, Vector3UnitY}, {Vector3UnitY, Vector3UnitX, {0, 0, -1}},
        {{2, 0, 0}, {0, 3, 0}, {0, 0, 1}},          {{1, 2, 3}, {2, 4, 6}, {0, 0, 0}},
        {{1, 2, 3}, Vector3Zero, {0, 0, 0}},        {Vector3UnitX, {-5, 0, 0}, {0, 0, 0}},
    };
    for (const auto &c : cases)
        ExpectVector(c.a.Cross(c.b), c.expected);
}

TEST(VectorTest, ArithmeticIsComponentWiseWithReceiverAsMinuend) {
    const CVector3 a(1, 2, 3), b(10, 20, 30);
    ExpectVector(a.Add(b), {11, 22, 33});
    ExpectVector(a.Subtract(b), {-9, -18, -27});
    ExpectVector(a.Scale(-2), {-2, -4, -6});
    ExpectVector(a.Negate(), {-1, -2, -3});
    const CVector2 p(1.5f, -2), q(0.5f, 4);
    EXPECT_TRUE(p.Add(q).x == 2.0f && p.Add(q).y == 2.0f);
    EXPECT_TRUE(p.Scale(2).x == 3.0f && p.Scale(2).y == -4.0f);
}

TEST(VectorTest, RotationsTurnByMinusAngle) {
    const float half = 1.5707964f;
    const struct {
        bool aboutY;
        CVector3 in;
        float angle;
        CVector3 out;
    } cases[] = {
        {true, Vector3UnitX, half, {0, 0, 1}},   {true, Vector3UnitZ, half, {-1, 0, 0}},
        {true, Vector3UnitY, 0.7f, {0, 1, 0}},   {true, {1, 2, 3}, 0.0f, {1, 2, 3}},
        {false, Vector3UnitX, half, {0, -1, 0}}, {false, Vector3UnitY, half, {1, 0, 0}},
        {false, Vector3UnitZ, 1.1f, {0, 0, 1}},  {false, {2, 0, 5}, 3.1415927f, {-2, 0, 5}},
    };
    for (const auto &c : cases)
        ExpectVector(c.aboutY ? RotateY(c.in, c.angle) : RotateZ(c.in, c.angle), c.out);
}

} // namespace
