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

// a.Multiply(b) applies a first: a translation followed by a quarter turn
// about z turns the translation too.
TEST(MatrixTest, MultiplyAppliesTheReceiverFirst) {
    CMatrix4 m = CMatrix4().MakeTranslation(1, 2, 3);
    EXPECT_EQ(&m.Multiply(CMatrix4().MakeRotationZ(1.5707964f)), &m);
    ExpectMatrixNear(m, CMatrix4(0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 2, -1, 3, 1), 1e-6f, "t r");
}

// diag(d, 1, 1): determinant d exactly; its adjugate is diag(1, d, d).
CMatrix4 Diagonal(float d) {
    return CMatrix4(d, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
}

// The camera's view covers the rotation case; these are the scale and singular
// ones, and the determinant's threshold 0.00001 (scaled only above it, either sign).
TEST(MatrixTest, InverseRotationCases) {
    CMatrix4 singular = MatrixIdentity;
    singular.SetXAxis(CVector3(1, 2, 3)).SetYAxis(CVector3(2, 4, 6)).SetZAxis(CVector3(0, 1, 1));
    const float at = 0.00001f, below = std::nextafter(at, 0.0f), above = std::nextafter(at, 1.0f);
    const CMatrix4 adjugateBelow(1, 0, 0, 0, 0, below, 0, 0, 0, 0, below, 0, 0, 0, 0, 1);
    const CMatrix4 adjugateAt(1, 0, 0, 0, 0, at, 0, 0, 0, 0, at, 0, 0, 0, 0, 1);
    const struct {
        const char *name;
        CMatrix4 in, out;
        float det;
    } cases[] = {
        {"scale", CMatrix4(2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 0, 0, 0, 1),
         CMatrix4(0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0, 0, 0, 0, 1), 64.0f},
        {"singular: the adjugate", singular,
         CMatrix4(-2, 1, 0, 0, -2, 1, 0, 0, 2, -1, 0, 0, 0, 0, 0, 1), 0.0f},
        {"just below the threshold: the adjugate", Diagonal(below), adjugateBelow, below},
        {"at the threshold: the adjugate", Diagonal(at), adjugateAt, at},
        {"just above the threshold: scaled", Diagonal(above), Diagonal(1 / above), above},
        {"negative, just above: scaled", Diagonal(-above), Diagonal(-1 / above), -above},
    };
    for (const auto &c : cases) {
        float det = -123.0f;
        const CMatrix4 n = c.in.InverseRotation(&det);
        EXPECT_EQ(det, c.det) << c.name;
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
        {CMatrix4().MakeTranslation(10, 20, 30), {1, 2, 3}, {11, 22, 33}},
        {m, {1, 0, 0}, {1 + 13, 5 + 14, 9 + 15}},
        {m, {0, 1, 0}, {2 + 13, 6 + 14, 10 + 15}},
        {m, {1, 1, 1}, {6 + 13, 18 + 14, 30 + 15}},
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
        // cot(fov / 2) / aspect, cot(fov / 2), (n + f) / (n - f), -1, 2nf / (n - f).
        {"perspective 90 1 1 3", Sequence(9, 9).MakePerspective(90, 1, 1, 3),
         CMatrix4(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -2, -1, 0, 0, -3, 0)},
        {"perspective 45 2 0.5 10", Sequence(9, 9).MakePerspective(45, 2, 0.5f, 10),
         CMatrix4(1.2071068f, 0, 0, 0, 0, 2.4142136f, 0, 0, 0, 0, -1.1052632f, -1, 0, 0,
                  -1.0526316f, 0)},
    };
    for (const auto &t : cases)
        ExpectMatrixNear(t.built, t.expected, 3e-7f, t.name);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(MatrixIdentity.m[i], cases[0].expected.m[i]);
}

} // namespace
