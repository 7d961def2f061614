#include "math/vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

void ExpectVector(const CVector3 &v, float x, float y, float z, const char *what) {
    EXPECT_FLOAT_EQ(v.x, x) << what;
    EXPECT_FLOAT_EQ(v.y, y) << what;
    EXPECT_FLOAT_EQ(v.z, z) << what;
}

TEST(VectorTest, NormaliseReturnsLengthAndScalesToUnit) {
    const struct {
        CVector3 in;
        float length;
        CVector3 out;
    } cases[] = {
        {{3, 0, 4}, 5.0f, {0.6f, 0.0f, 0.8f}},
        {{0, -2, 0}, 2.0f, {0, -1, 0}},
        {{1, 1, 1},
         std::sqrt(3.0f),
         {1 / std::sqrt(3.0f), 1 / std::sqrt(3.0f), 1 / std::sqrt(3.0f)}},
        {{1e-18f, 0, 0}, 1e-18f, {1, 0, 0}}, // tiny, but its square is still normal
        {{-7, 24, 0}, 25.0f, {-0.28f, 0.96f, 0}},
    };
    for (const auto &c : cases) {
        CVector3 v = c.in;
        EXPECT_FLOAT_EQ(v.Normalise(), c.length);
        ExpectVector(v, c.out.x, c.out.y, c.out.z, "normalised");
    }
}

TEST(VectorTest, DegenerateVectorsStayUnchangedAndReturnZero) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float denormal = std::numeric_limits<float>::denorm_min();
    const CVector3 cases[] = {
        {0, 0, 0}, {denormal, 0, 0}, {1e-39f, -1e-39f, 0}, {nan, 1, 1}, {1, nan, 0}, {0, 0, nan},
    };
    for (const CVector3 &c : cases) {
        CVector3 v = c;
        EXPECT_EQ(v.Normalise(), 0.0f);
        // Bitwise: NaN components must stay exactly as they were.
        EXPECT_EQ(0, std::memcmp(&v, &c, sizeof v));
        const CVector3 copy = c.Normalised();
        EXPECT_EQ(0, std::memcmp(&copy, &c, sizeof copy));
    }
}

TEST(VectorTest, NormalisedCopyLeavesTheOriginal) {
    const CVector3 v(0, 3, 4);
    const CVector3 n = v.Normalised();
    ExpectVector(n, 0, 0.6f, 0.8f, "copy");
    ExpectVector(v, 0, 3, 4, "original");
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
    for (const auto &c : cases) {
        const CVector3 r = c.a.Cross(c.b);
        ExpectVector(r, c.expected.x, c.expected.y, c.expected.z, "cross");
    }
}

TEST(VectorTest, ArithmeticIsComponentWiseWithReceiverAsMinuend) {
    const CVector3 a(1, 2, 3), b(10, 20, 30);
    const CVector3 sum = a.Add(b), diff = a.Subtract(b), scaled = a.Scale(-2), neg = a.Negate();
    ExpectVector(sum, 11, 22, 33, "add");
    ExpectVector(diff, -9, -18, -27, "subtract");
    ExpectVector(scaled, -2, -4, -6, "scale");
    ExpectVector(neg, -1, -2, -3, "negate");
    const CVector2 p(1.5f, -2), q(0.5f, 4);
    EXPECT_EQ(p.Add(q).x, 2.0f);
    EXPECT_EQ(p.Add(q).y, 2.0f);
    EXPECT_EQ(p.Scale(2).x, 3.0f);
    EXPECT_EQ(p.Scale(2).y, -4.0f);
}

TEST(VectorTest, NamedConstants) {
    ExpectVector(Vector3Zero, 0, 0, 0, "zero");
    ExpectVector(Vector3UnitX, 1, 0, 0, "x");
    ExpectVector(Vector3UnitY, 0, 1, 0, "y");
    ExpectVector(Vector3UnitZ, 0, 0, 1, "z");
    const CColour colours[] = {ColourClear, ColourWhite, ColourHalf};
    const float values[] = {0.0f, 1.0f, 0.5f};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(colours[i].r, values[i]);
        EXPECT_EQ(colours[i].g, values[i]);
        EXPECT_EQ(colours[i].b, values[i]);
        EXPECT_EQ(colours[i].a, values[i]);
    }
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
    for (const auto &c : cases) {
        const CVector3 r = c.aboutY ? RotateY(c.in, c.angle) : RotateZ(c.in, c.angle);
        EXPECT_NEAR(r.x, c.out.x, 1e-6f);
        EXPECT_NEAR(r.y, c.out.y, 1e-6f);
        EXPECT_NEAR(r.z, c.out.z, 1e-6f);
    }
}

} // namespace
