#pragma once
#include <cmath>

// Small value types shared by every subsystem. All arithmetic is in 32-bit
// floats; nothing allocates or keeps state. Default construction leaves the
// components unset, so arrays of these can mirror GL and file layouts exactly.

class CVector2 {
  public:
    float x, y;

    CVector2() = default;
    constexpr CVector2(float x_, float y_) : x(x_), y(y_) {}

    constexpr CVector2 Add(const CVector2 &o) const { return CVector2(x + o.x, y + o.y); }
    constexpr CVector2 Scale(float s) const { return CVector2(x * s, y * s); }
};

class CVector3 {
  public:
    float x, y, z;

    CVector3() = default;
    constexpr CVector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    constexpr CVector3 Negate() const { return CVector3(-x, -y, -z); }
    constexpr CVector3 Add(const CVector3 &o) const { return CVector3(x + o.x, y + o.y, z + o.z); }
    // this - o: the receiver is the minuend.
    constexpr CVector3 Subtract(const CVector3 &o) const {
        return CVector3(x - o.x, y - o.y, z - o.z);
    }
    constexpr CVector3 Scale(float s) const { return CVector3(x * s, y * s, z * s); }

    // Scales to unit length and returns the length it had. A length not above the
    // smallest normal float (zero, denormal or NaN components) leaves the vector
    // unchanged and returns 0, so degenerate input never produces NaNs.
    float Normalise() {
        const float s = x * x + y * y + z * z;
        const float len = std::sqrt(s);
        if (!(len > 1.1754944e-38f))
            return 0.0f;
        const float inv = 1.0f / len;
        x *= inv;
        y *= inv;
        z *= inv;
        return len;
    }

    CVector3 Normalised() const {
        CVector3 v = *this;
        v.Normalise();
        return v;
    }

    // this x o, normalised: parallel or zero input gives the zero vector.
    CVector3 Cross(const CVector3 &o) const {
        CVector3 c(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
        c.Normalise();
        return c;
    }
};

class CColour {
  public:
    float r, g, b, a;

    CColour() = default;
    constexpr CColour(float r_, float g_, float b_, float a_) : r(r_), g(g_), b(b_), a(a_) {}
};

static_assert(sizeof(CVector2) == 8, "CVector2 is two floats");
static_assert(sizeof(CVector3) == 12, "CVector3 is three floats");
static_assert(sizeof(CColour) == 16, "CColour is four floats");

inline constexpr CVector3 Vector3Zero(0.0f, 0.0f, 0.0f);
inline constexpr CVector3 Vector3UnitZ(0.0f, 0.0f, 1.0f);
inline constexpr CVector3 Vector3UnitY(0.0f, 1.0f, 0.0f);
inline constexpr CVector3 Vector3UnitX(1.0f, 0.0f, 0.0f);
inline constexpr CColour ColourClear(0.0f, 0.0f, 0.0f, 0.0f);
inline constexpr CColour ColourWhite(1.0f, 1.0f, 1.0f, 1.0f);
inline constexpr CColour ColourHalf(0.5f, 0.5f, 0.5f, 0.5f);

// Rotations of a vector by -angle (radians) in the right-handed sense, that is
// clockwise seen from the positive axis. There is no rotation about X.
inline CVector3 RotateY(const CVector3 &v, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return CVector3(c * v.x - s * v.z, v.y, s * v.x + c * v.z);
}

inline CVector3 RotateZ(const CVector3 &v, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return CVector3(c * v.x + s * v.y, c * v.y - s * v.x, v.z);
}
