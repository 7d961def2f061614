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
        {{1, 1, 1}, std::sqrt(3.0f), {r3, r3, r3}},
        {{1e-18f, 0, 0}, 1e-18f, {1, 0, 0}}, // tiny, but its square is still normal
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

} // namespace
