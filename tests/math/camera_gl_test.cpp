// The camera loads its matrices into GL (./test.sh provides Xvfb).
#include "math/camera.h"
#include "render/render_device.h"
#include "support/gl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

TEST(CameraGlTest, ApplyLoadsViewThenProjectionAndLeavesProjectionMode) {
    CTestGLContext context(32, 32);
    ASSERT_TRUE(context.Ok()) << context.Error();
    ASSERT_TRUE(InitRenderDevice(32, 32));
    CCamera camera(1024, 768);
    camera.SetPosition(CVector3(3, 4, 5));
    camera.SetTarget(CVector3(0, 1, 0));
    camera.Apply();
    GLfloat modelView[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(modelView[i], camera.view[i]) << i;
        EXPECT_EQ(projection[i], camera.projection[i]) << i;
    }
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    ShutdownRenderDevice();
}

} // namespace
