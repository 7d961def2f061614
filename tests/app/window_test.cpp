// The real window and context on the display (./test.sh provides Xvfb).
#include "app/message_internal.h"
#include "app/window.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectPerspective(double aspect) {
    const double f = 1.0 / std::tan(45.0 * 0.5 * M_PI / 180.0);
    const double n = static_cast<double>(0.1f), far = 100.0;
    const double expected[16] = {f / aspect,
                                 0,
                                 0,
                                 0,
                                 0,
                                 f,
                                 0,
                                 0,
                                 0,
                                 0,
                                 (far + n) / (n - far),
                                 -1,
                                 0,
                                 0,
                                 2 * far * n / (n - far),
                                 0};
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m[i], expected[i], 1e-5 * (1.0 + std::fabs(expected[i]))) << "element " << i;
}

void ExpectIdentityModelView() {
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << "element " << i;
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override { DisableMessageBoxesForTest(); }
    void TearDown() override { DestroyMainWindow(); }
};

TEST_F(WindowTest, CreatesCurrentDoubleBufferedContextWithFirstViewport) {
    ASSERT_TRUE(CreateMainWindow("window test", 320, 240, 32));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 320);
    EXPECT_EQ(viewport[3], 240);
    ExpectPerspective(320.0 / 240.0);
    ExpectIdentityModelView();
    GLint depthBits = 0, redBits = 0, alphaBits = 0;
    GLboolean doubleBuffer = GL_FALSE;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetIntegerv(GL_RED_BITS, &redBits);
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffer);
    EXPECT_GE(depthBits, 16);
    EXPECT_EQ(redBits, 8);
    EXPECT_EQ(alphaBits, 8);
    EXPECT_EQ(doubleBuffer, GL_TRUE);
}

TEST_F(WindowTest, ResizeViewportTakesZeroHeightAsOne) {
    ASSERT_TRUE(CreateMainWindow("window test", 200, 100, 32));
    ResizeViewport(100, 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 100);
    EXPECT_EQ(viewport[3], 1);
    ExpectPerspective(100.0);
    ExpectIdentityModelView();
}

TEST_F(WindowTest, WindowCanBeMadeAgainAfterRelease) {
    ASSERT_TRUE(CreateMainWindow("first", 64, 64, 32));
    DestroyMainWindow();
    DestroyMainWindow(); // nothing held: nothing to report
    ASSERT_TRUE(CreateMainWindow("second", 128, 96, 32));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 128);
    EXPECT_EQ(viewport[3], 96);
}

TEST(WindowPlacementTest, CentresWithArithmeticShift) {
    const struct {
        int desktop, window, origin;
    } cases[] = {
        {1280, 1024, 128}, {1024, 768, 128}, {1280, 800, 240}, {801, 800, 0},
        {800, 1024, -112}, {799, 800, -1},   {0, 1, -1},       {1023, 800, 111},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CentredWindowOrigin(c.desktop, c.window), c.origin)
            << c.desktop << " " << c.window;
}

} // namespace
