#pragma once
#include "math/vector.h"

#include <cmath>
#include <initializer_list>

// 4x4 matrix in OpenGL's column-major order: element 4*c + r is row r of
// column c; elements 0-3 are the image of the X axis, 4-7 of Y, 8-11 of Z and
// 12-14 the translation. Handed to glLoadMatrixf as it stands.
class CMatrix4 {
  public:
    float m[16];

    CMatrix4() = default;
    constexpr CMatrix4(float m0, float m1, float m2, float m3, float m4, float m5, float m6,
                       float m7, float m8, float m9, float m10, float m11, float m12, float m13,
                       float m14, float m15)
        : m{m0, m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12, m13, m14, m15} {}

    float &operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }

    CMatrix4 &SetIdentity() {
        for (int i = 0; i < 16; ++i)
            m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
        return *this;
    }

    // Replaces this matrix A with B x A (column-major reading): A's transform
    // applies first, the argument's second. `b` must not be this matrix.
    CMatrix4 &Multiply(const CMatrix4 &b) {
        float r[16];
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                r[4 * i + j] = m[4 * i + 0] * b.m[j] + m[4 * i + 1] * b.m[4 + j] +
                               m[4 * i + 2] * b.m[8 + j] + m[4 * i + 3] * b.m[12 + j];
        for (int i = 0; i < 16; ++i)
            m[i] = r[i];
        return *this;
    }

    // Inverse of the upper-left 3x3 through its adjugate; the translation is
    // dropped. When |det| is not above 0.00001 the adjugate is returned
    // unscaled. The determinant is stored in *det when det is given.
    CMatrix4 InverseRotation(float *det = nullptr) const {
        CMatrix4 n;
        n.m[0] = m[10] * m[5] - m[9] * m[6];
        n.m[1] = m[9] * m[2] - m[1] * m[10];
        n.m[2] = m[1] * m[6] - m[2] * m[5];
        n.m[4] = m[8] * m[6] - m[10] * m[4];
        n.m[5] = m[0] * m[10] - m[8] * m[2];
        n.m[6] = m[2] * m[4] - m[6] * m[0];
        n.m[8] = m[9] * m[4] - m[8] * m[5];
        n.m[9] = m[8] * m[1] - m[9] * m[0];
        n.m[10] = m[0] * m[5] - m[1] * m[4];
        n.m[3] = n.m[7] = n.m[11] = n.m[12] = n.m[13] = n.m[14] = 0.0f;
        n.m[15] = 1.0f;
        const float d = n.m[0] * m[0] + n.m[4] * m[1] + n.m[8] * m[2];
        if (std::fabs(d) > 0.00001f) {
            const float inv = 1.0f / d;
            for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10})
                n.m[i] *= inv;
        }
        if (det)
            *det = d;
        return n;
    }

    // Rows of the result use elements 0-2, 4-6 and 8-10 (the 3x3 read
    // transposed), plus the translation column.
    CVector3 TransformPoint(const CVector3 &v) const {
        return CVector3(m[0] * v.x + m[1] * v.y + m[2] * v.z + m[12],
                        m[4] * v.x + m[5] * v.y + m[6] * v.z + m[13],
                        m[8] * v.x + m[9] * v.y + m[10] * v.z + m[14]);
    }

    // Builders: each overwrites all sixteen elements. Angles in radians.
    CMatrix4 &MakeTranslation(float x, float y, float z) {
        SetIdentity();
        m[12] = x;
        m[13] = y;
        m[14] = z;
        return *this;
    }

    CMatrix4 &MakeScale(float s) {
        for (float &e : m)
            e = 0.0f;
        m[0] = m[5] = m[10] = s;
        m[15] = 1.0f;
        return *this;
    }

    // Rotation matrices turn by -angle, like the vector rotations.
    CMatrix4 &MakeRotationY(float angle) {
        return SetAxes(RotateY(Vector3UnitX, angle), RotateY(Vector3UnitY, angle),
                       RotateY(Vector3UnitZ, angle));
    }

    CMatrix4 &MakeRotationZ(float angle) {
        return SetAxes(RotateZ(Vector3UnitX, angle), RotateZ(Vector3UnitY, angle),
                       RotateZ(Vector3UnitZ, angle));
    }

    // The standard perspective projection; fov is the vertical field of view in degrees.
    CMatrix4 &MakePerspective(float fovDegrees, float aspect, float nearZ, float farZ) {
        const float t = fovDegrees * 0.5f * 0.017453292f;
        const float k = std::cos(t) / std::sin(t);
        for (float &e : m)
            e = 0.0f;
        m[0] = k / aspect;
        m[5] = k;
        m[10] = (nearZ + farZ) / (nearZ - farZ);
        m[11] = -1.0f;
        m[14] = 2.0f * nearZ * farZ / (nearZ - farZ);
        return *this;
    }

    // Setters change only their own four elements.
    CMatrix4 &SetXAxis(const CVector3 &v) { return SetColumn(0, v, 0.0f); }
    CMatrix4 &SetYAxis(const CVector3 &v) { return SetColumn(4, v, 0.0f); }
    CMatrix4 &SetZAxis(const CVector3 &v) { return SetColumn(8, v, 0.0f); }
    CMatrix4 &SetTranslation(const CVector3 &v) { return SetColumn(12, v, 1.0f); }

  private:
    CMatrix4 &SetColumn(int first, const CVector3 &v, float w) {
        m[first] = v.x;
        m[first + 1] = v.y;
        m[first + 2] = v.z;
        m[first + 3] = w;
        return *this;
    }

    CMatrix4 &SetAxes(const CVector3 &x, const CVector3 &y, const CVector3 &z) {
        SetXAxis(x);
        SetYAxis(y);
        SetZAxis(z);
        return SetTranslation(Vector3Zero);
    }
};

static_assert(sizeof(CMatrix4) == 64, "CMatrix4 is sixteen floats");

inline constexpr CMatrix4 MatrixIdentity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
