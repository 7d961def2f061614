#include "math/matrix.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Column-major product a x b, the reading GL uses.
CMatrix4 ColumnMajorProduct(const CMatrix4 &a, const CMatrix4 &b) {
    CMatrix4 r;
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a.m[4 * k + row] * b.m[4 * c + k];
            r.m[4 * c + row] = sum;
        }
    return r;
}

CMatrix4 Sequence(float start, float step) {
    CMatrix4 m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = start + step * i;
    return m;
}

void ExpectMatrixNear(const CMatrix4 &a, const CMatrix4 &b, float tolerance, const char *what) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tolerance) << what << " element " << i;
}

TEST(MatrixTest, ConstructorTakesStorageOrderAndIdentityIsDiagonal) {
    const CMatrix4 m(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m[i], float(i));
    CMatrix4 id = m;
    id.SetIdentity();
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(id.m[i], i % 5 == 0 ? 1.0f : 0.0f);
        EXPECT_EQ(MatrixIdentity.m[i], id.m[i]);
    }
}

TEST(MatrixTest, MultiplyAppliesTheReceiverFirst) {
    const struct {
        CMatrix4 a, b;
    } cases[] = {
        {Sequence(1, 1), Sequence(-3, 0.5f)},
        {Sequence(0.25f, -0.125f), MatrixIdentity},
        {MatrixIdentity, Sequence(2, 3)},
        {CMatrix4().MakeRotationZ(0.3f), CMatrix4().MakeTranslation(1, 2, 3)},
    };
    for (const auto &c : cases) {
        CMatrix4 r = c.a;
        CMatrix4 &returned = r.Multiply(c.b);
        EXPECT_EQ(&returned, &r);
        ExpectMatrixNear(r, ColumnMajorProduct(c.b, c.a), 1e-3f, "B x A");
    }
}

TEST(MatrixTest, TranslationTimesRotationCarriesTheRotatedTranslation) {
    CMatrix4 t;
    t.MakeTranslation(1, 2, 3);
    CMatrix4 r;
    r.MakeRotationZ(1.5707964f);
    CMatrix4 m = t;
    m.Multiply(r);
    // Column-major R x t: x' = c*x + s*y, y' = -s*x + c*y.
    EXPECT_NEAR(m[12], 2.0f, 1e-6f);
    EXPECT_NEAR(m[13], -1.0f, 1e-6f);
    EXPECT_NEAR(m[14], 3.0f, 1e-6f);
    EXPECT_EQ(m[15], 1.0f);
    for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10})
        EXPECT_NEAR(m[i], r[i], 1e-7f) << i;
}

TEST(MatrixTest, InverseRotationCases) {
    CMatrix4 rotation;
    rotation.MakeRotationY(0.8f).Multiply(CMatrix4().MakeRotationZ(-1.3f));
    rotation.SetTranslation(CVector3(5, 6, 7));
    CMatrix4 transposed = MatrixIdentity;
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            transposed.m[4 * c + r] = rotation.m[4 * r + c];

    CMatrix4 scale;
    scale.MakeScale(2);
    scale[5] = 4;
    scale[10] = 8;
    CMatrix4 inverseScale;
    inverseScale.MakeScale(0.5f);
    inverseScale[5] = 0.25f;
    inverseScale[10] = 0.125f;

    CMatrix4 singular = MatrixIdentity;
    singular.SetXAxis(CVector3(1, 2, 3)).SetYAxis(CVector3(2, 4, 6)).SetZAxis(CVector3(0, 1, 1));
    CMatrix4 adjugate(-2, 1, 0, 0, -2, 1, 0, 0, 2, -1, 0, 0, 0, 0, 0, 1);

    CMatrix4 tiny;
    tiny.MakeScale(0.01f); // det 1e-6: at or below the threshold
    CMatrix4 tinyAdjugate;
    tinyAdjugate.MakeScale(0.0001f);

    const struct {
        const char *name;
        CMatrix4 in, out;
        float det;
    } cases[] = {
        {"rotation", rotation, transposed, 1.0f},
        {"scale", scale, inverseScale, 64.0f},
        {"singular", singular, adjugate, 0.0f},
        {"tiny", tiny, tinyAdjugate, 1e-6f},
        {"identity", MatrixIdentity, MatrixIdentity, 1.0f},
    };
    for (const auto &c : cases) {
        float det = -123.0f;
        const CMatrix4 n = c.in.InverseRotation(&det);
        EXPECT_NEAR(det, c.det, 1e-5f * (1 + std::fabs(c.det))) << c.name;
        ExpectMatrixNear(n, c.out, 1e-6f, c.name);
        const CMatrix4 again = c.in.InverseRotation();
        ExpectMatrixNear(again, n, 0.0f, c.name);
    }
}

TEST(MatrixTest, TransformPointUsesRowsOfTheStoredThreeByThree) {
    const CMatrix4 m = Sequence(1, 1); // m[i] = i + 1
    const struct {
        CMatrix4 m;
        CVector3 in, out;
    } cases[] = {
        {MatrixIdentity, {1.5f, -2, 3}, {1.5f, -2, 3}},
        {CMatrix4().MakeTranslation(10, 20, 30), {1, 2, 3}, {11, 22, 33}},
        {m, {1, 0, 0}, {1 + 13, 5 + 14, 9 + 15}},
        {m, {0, 1, 0}, {2 + 13, 6 + 14, 10 + 15}},
        {m, {1, 1, 1}, {6 + 13, 18 + 14, 30 + 15}},
        {CMatrix4().MakeScale(3), {1, -2, 4}, {3, -6, 12}},
    };
    for (const auto &c : cases) {
        const CVector3 r = c.m.TransformPoint(c.in);
        EXPECT_FLOAT_EQ(r.x, c.out.x);
        EXPECT_FLOAT_EQ(r.y, c.out.y);
        EXPECT_FLOAT_EQ(r.z, c.out.z);
    }
}

TEST(TransformTest, BuildersOverwriteAllElements) {
    const float c = std::cos(0.5f), s = std::sin(0.5f);
    const struct {
        const char *name;
        CMatrix4 built, expected;
    } cases[] = {
        {"translation", Sequence(9, 9).MakeTranslation(1, 2, 3),
         CMatrix4(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1)},
        {"scale", Sequence(9, 9).MakeScale(2.5f),
         CMatrix4(2.5f, 0, 0, 0, 0, 2.5f, 0, 0, 0, 0, 2.5f, 0, 0, 0, 0, 1)},
        {"rotation y", Sequence(9, 9).MakeRotationY(0.5f),
         CMatrix4(c, 0, s, 0, 0, 1, 0, 0, -s, 0, c, 0, 0, 0, 0, 1)},
        {"rotation z", Sequence(9, 9).MakeRotationZ(0.5f),
         CMatrix4(c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1)},
    };
    for (const auto &t : cases)
        ExpectMatrixNear(t.built, t.expected, 1e-7f, t.name);
}

// The GL rotation of `degrees` about a unit axis, column-major.
CMatrix4 GlRotation(float degrees, float x, float y, float z) {
    const double a = degrees * M_PI / 180.0, c = std::cos(a), s = std::sin(a), t = 1 - c;
    return CMatrix4(float(t * x * x + c), float(t * x * y + s * z), float(t * x * z - s * y), 0,
                    float(t * x * y - s * z), float(t * y * y + c), float(t * y * z + s * x), 0,
                    float(t * x * z + s * y), float(t * y * z - s * x), float(t * z * z + c), 0, 0,
                    0, 0, 1);
}

TEST(TransformTest, RotationsEqualGlRotationOfMinusAngle) {
    for (float angle : {0.0f, 0.3f, -1.2f, 1.5707964f, 3.0f, 7.5f}) {
        const float degrees = float(-angle * 180.0 / M_PI);
        ExpectMatrixNear(CMatrix4().MakeRotationY(angle), GlRotation(degrees, 0, 1, 0), 1e-5f, "y");
        ExpectMatrixNear(CMatrix4().MakeRotationZ(angle), GlRotation(degrees, 0, 0, 1), 1e-5f, "z");
    }
}

TEST(TransformTest, RotationZQuarterTurnMapsXToMinusY) {
    const CMatrix4 r = CMatrix4().MakeRotationZ(1.5707964f);
    // Column-major use: the image of X is the first column.
    EXPECT_NEAR(r[0], 0.0f, 1e-7f);
    EXPECT_NEAR(r[1], -1.0f, 1e-7f);
    EXPECT_NEAR(r[2], 0.0f, 1e-7f);
}

TEST(TransformTest, PerspectiveMatchesTheStandardProjection) {
    const struct {
        float fov, aspect, n, f;
    } cases[] = {{60, 1024.0f / 768.0f, 0.1f, 2000}, {45, 1, 1, 10}, {90, 0.5f, 0.01f, 100}};
    for (const auto &c : cases) {
        const CMatrix4 p = Sequence(7, 1).MakePerspective(c.fov, c.aspect, c.n, c.f);
        const double k = 1.0 / std::tan(c.fov * M_PI / 360.0);
        const CMatrix4 expected(float(k / c.aspect), 0, 0, 0, 0, float(k), 0, 0, 0, 0,
                                (c.n + c.f) / (c.n - c.f), -1, 0, 0, 2 * c.n * c.f / (c.n - c.f),
                                0);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(p[i], expected[i], 1e-5f * (1 + std::fabs(expected[i]))) << i;
    }
}

TEST(TransformTest, SettersChangeOnlyTheirOwnFourElements) {
    const struct {
        int first;
        float w;
        void (*set)(CMatrix4 &, const CVector3 &);
    } cases[] = {
        {0, 0, [](CMatrix4 &m, const CVector3 &v) { m.SetXAxis(v); }},
        {4, 0, [](CMatrix4 &m, const CVector3 &v) { m.SetYAxis(v); }},
        {8, 0, [](CMatrix4 &m, const CVector3 &v) { m.SetZAxis(v); }},
        {12, 1, [](CMatrix4 &m, const CVector3 &v) { m.SetTranslation(v); }},
    };
    for (const auto &c : cases) {
        CMatrix4 m = Sequence(100, 1);
        c.set(m, CVector3(-1, -2, -3));
        for (int i = 0; i < 16; ++i) {
            float expected = 100.0f + i;
            if (i >= c.first && i < c.first + 3)
                expected = -1.0f - (i - c.first);
            else if (i == c.first + 3)
                expected = c.w;
            EXPECT_EQ(m[i], expected) << c.first << " " << i;
        }
    }
    CMatrix4 t = CMatrix4().MakeTranslation(4, 5, 6);
    t.SetXAxis(CVector3(0, 1, 0));
    EXPECT_EQ(t[12], 4.0f);
    EXPECT_EQ(t[13], 5.0f);
    EXPECT_EQ(t[14], 6.0f);
}

} // namespace
