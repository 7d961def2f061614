// The real window and context on the display (./test.sh provides Xvfb).
#include "app/message_internal.h"
#include "app/window.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Viewport, a 45 degree perspective of the viewport's aspect, identity model view.
void ExpectViewport(int width, int height) {
    GLint viewport[4] = {}, mode = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4),
              (std::vector<GLint>{0, 0, width, height}));
    GLfloat p[16], m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    const double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
    EXPECT_NEAR(p[0], f * height / width, 1e-5 * f);
    EXPECT_NEAR(p[5], f, 1e-5 * f);
    EXPECT_NEAR(p[10], -100.1 / 99.9, 1e-5);
    EXPECT_NEAR(p[14], -20.0 / 99.9, 1e-5);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << "element " << i;
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
    ExpectViewport(320, 240);
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
    ResizeViewport(100, 0); // height 0 counts as 1
    ExpectViewport(100, 1);
}

TEST_F(WindowTest, WindowCanBeMadeAgainAfterRelease) {
    ASSERT_TRUE(CreateMainWindow("first", 64, 64, 32));
    DestroyMainWindow();
    DestroyMainWindow(); // nothing held: nothing to report
    ASSERT_TRUE(CreateMainWindow("second", 128, 96, 32));
    ExpectViewport(128, 96);
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
