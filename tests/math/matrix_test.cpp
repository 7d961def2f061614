#include "math/matrix.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

CMatrix4 Sequence(float start, float step) {
    CMatrix4 m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = start + step * i;
    return m;
}

void ExpectMatrixNear(const CMatrix4 &a, const CMatrix4 &b, float tolerance, const char *what) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tolerance * (1 + std::fabs(b.m[i])))
            << what << " element " << i;
}

// a.Multiply(b) is b x a in GL's column-major reading: a applies first.
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
        CMatrix4 r = c.a, product;
        EXPECT_EQ(&r.Multiply(c.b), &r);
        for (int col = 0; col < 4; ++col)
            for (int row = 0; row < 4; ++row) {
                product.m[4 * col + row] = 0.0f;
                for (int k = 0; k < 4; ++k)
                    product.m[4 * col + row] += c.b.m[4 * k + row] * c.a.m[4 * col + k];
            }
        ExpectMatrixNear(r, product, 1e-6f, "b x a");
    }
    // A translation followed by a quarter turn about z: the translation turns too.
    CMatrix4 m = CMatrix4().MakeTranslation(1, 2, 3);
    m.Multiply(CMatrix4().MakeRotationZ(1.5707964f));
    ExpectMatrixNear(m, CMatrix4(0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 2, -1, 3, 1), 1e-6f, "t r");
}

TEST(MatrixTest, InverseRotationCases) {
    CMatrix4 rotation;
    rotation.MakeRotationY(0.8f).Multiply(CMatrix4().MakeRotationZ(-1.3f));
    rotation.SetTranslation(CVector3(5, 6, 7));
    CMatrix4 transposed = MatrixIdentity;
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            transposed.m[4 * c + r] = rotation.m[4 * r + c];
    CMatrix4 singular = MatrixIdentity;
    singular.SetXAxis(CVector3(1, 2, 3)).SetYAxis(CVector3(2, 4, 6)).SetZAxis(CVector3(0, 1, 1));
    const struct {
        const char *name;
        CMatrix4 in, out;
        float det;
    } cases[] = {
        {"rotation", rotation, transposed, 1.0f},
        {"scale", CMatrix4(2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 0, 0, 0, 1),
         CMatrix4(0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0, 0, 0, 0, 1), 64.0f},
        {"singular: the adjugate", singular,
         CMatrix4(-2, 1, 0, 0, -2, 1, 0, 0, 2, -1, 0, 0, 0, 0, 0, 1), 0.0f},
        {"det 1e-6, at the threshold: the adjugate", CMatrix4().MakeScale(0.01f),
         CMatrix4().MakeScale(0.0001f), 1e-6f},
        {"identity", MatrixIdentity, MatrixIdentity, 1.0f},
    };
    for (const auto &c : cases) {
        float det = -123.0f;
        const CMatrix4 n = c.in.InverseRotation(&det);
        EXPECT_NEAR(det, c.det, 1e-5f * (1 + std::fabs(c.det))) << c.name;
        ExpectMatrixNear(n, c.out, 1e-6f, c.name);
        ExpectMatrixNear(c.in.InverseRotation(), n, 0.0f, c.name);
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
        EXPECT_TRUE(r.x == c.out.x && r.y == c.out.y && r.z == c.out.z) << r.x << " " << r.y;
    }
}

TEST(TransformTest, BuildersOverwriteAllElements) {
    const float c = std::cos(0.5f), s = std::sin(0.5f);
    const struct {
        const char *name;
        CMatrix4 built, expected;
    } cases[] = {
        {"identity", Sequence(9, 9).SetIdentity(),
         CMatrix4(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1)},
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
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(MatrixIdentity.m[i], cases[0].expected.m[i]);
}

// Points on the near plane at the top of the view land on NDC (., 1, -1);
// points on the far plane at the right edge on (1, ., 1).
TEST(TransformTest, PerspectiveMapsTheFrustumOntoTheUnitCube) {
    const struct {
        float fov, aspect, n, f;
    } cases[] = {{60, 1024.0f / 768.0f, 0.1f, 2000}, {45, 1, 1, 10}, {90, 0.5f, 0.01f, 100}};
    for (const auto &c : cases) {
        const CMatrix4 p = Sequence(7, 1).MakePerspective(c.fov, c.aspect, c.n, c.f);
        const float t = std::tan(c.fov * 3.14159265f / 360.0f);
        for (const CVector3 &e :
             {CVector3(0, t * c.n, -c.n), CVector3(c.aspect * t * c.f, 0, -c.f)}) {
            float clip[4];
            for (int r = 0; r < 4; ++r)
                clip[r] = p.m[r] * e.x + p.m[4 + r] * e.y + p.m[8 + r] * e.z + p.m[12 + r];
            const bool atNear = e.z == -c.n;
            EXPECT_NEAR(clip[atNear ? 1 : 0] / clip[3], 1.0f, 1e-4f) << c.fov;
            EXPECT_NEAR(clip[atNear ? 0 : 1] / clip[3], 0.0f, 1e-4f) << c.fov;
            EXPECT_NEAR(clip[2] / clip[3], atNear ? -1.0f : 1.0f, 1e-4f) << c.fov;
        }
    }
}

} // namespace
