// The real window and context on the display (./test.sh provides Xvfb).
#include "app/message_internal.h"
#include "app/window.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

// The viewport, a perspective of its aspect (45 degrees: 1 / tan 22.5 = 2.414)
// and an identity model view.
void ExpectViewport(int width, int height) {
    GLint viewport[4] = {};
    GLfloat p[16], m[16];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4),
              (std::vector<GLint>{0, 0, width, height}));
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    EXPECT_NEAR(p[5], 2.41421, 1e-5);
    EXPECT_NEAR(p[0] * width / height, 2.41421, 1e-5);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(std::vector<GLfloat>(m, m + 16),
              (std::vector<GLfloat>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
}

TEST(WindowTest, CreatesADoubleBufferedContextWithItsViewportAndCanBeMadeAgain) {
    DisableMessageBoxesForTest();
    ASSERT_TRUE(CreateMainWindow("first", 320, 240, 32));
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
    DestroyMainWindow();
    DestroyMainWindow(); // nothing held: nothing to report
    ASSERT_TRUE(CreateMainWindow("second", 128, 96, 32));
    ExpectViewport(128, 96);
    DestroyMainWindow();
}

} // namespace
