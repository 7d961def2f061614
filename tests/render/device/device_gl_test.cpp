// The render device's GL state on a real context (./test.sh provides Xvfb).
#include "render/render_device.h"
#include "render/render_device_internal.h"
#include "support/gl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

typedef std::array<GLfloat, 16> Matrix;

Matrix GetMatrix(GLenum which) {
    Matrix m;
    glGetFloatv(which, m.data());
    return m;
}

Matrix ToArray(const CMatrix4 &m) {
    Matrix a;
    for (int i = 0; i < 16; ++i)
        a[i] = m.m[i];
    return a;
}

GLint GetInt(GLenum which) {
    GLint v = 0;
    glGetIntegerv(which, &v);
    return v;
}

const CMatrix4 kSomeProjection(1.5f, 0, 0, 0, 0, 2.5f, 0, 0, 0, 0, -1.0f, -1, 0, 0, -0.2f, 0);
const CMatrix4 kSomeModelView(0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 3, -4, -5, 1);

class DeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_gl.Ok()) << m_gl.Error();
        ASSERT_TRUE(InitRenderDevice(kWidth, kHeight));
    }
    void TearDown() override { ShutdownRenderDevice(); }
    CTestGLContext m_gl{kWidth, kHeight};
};

// The settings 2D drawing and the reversed depth buffer rest on.
TEST_F(DeviceTest, InitSetsTheFixedFunctionState) {
    for (GLenum cap :
         {GL_SCISSOR_TEST, GL_ALPHA_TEST, GL_BLEND, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_CULL_FACE})
        EXPECT_TRUE(glIsEnabled(cap)) << std::hex << cap;
    for (GLenum cap : {GL_TEXTURE_2D, GL_LIGHTING, GL_LIGHT0, GL_LIGHT1})
        EXPECT_FALSE(glIsEnabled(cap)) << std::hex << cap;
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(GetInt(GL_DEPTH_FUNC), GL_GEQUAL);
    GLfloat f[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_DEPTH_RANGE, f);
    EXPECT_EQ(std::vector<float>(f, f + 2), std::vector<float>({1, 0})); // near 1, far 0
    glGetFloatv(GL_SCISSOR_BOX, f);
    EXPECT_EQ(std::vector<float>(f, f + 4), std::vector<float>({0, 0, kWidth, kHeight}));
}

// Begin2D twice pushes once, so one End2D restores the 3D state.
TEST_F(DeviceTest, Begin2DAndEnd2DRestoreThe3DStateExactly) {
    SetMatrix(kMatrixProjection, kSomeProjection);
    SetMatrix(kMatrixModelView, kSomeModelView);
    Begin2D();
    EXPECT_TRUE(IsIn2DMode());
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST) || glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(GetInt(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(GetMatrix(GL_MODELVIEW_MATRIX), ToArray(MatrixIdentity));
    Begin2D();
    EXPECT_EQ(GetInt(GL_PROJECTION_STACK_DEPTH), 2);
    EXPECT_EQ(GetInt(GL_MODELVIEW_STACK_DEPTH), 2);
    End2D();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_FALSE(IsIn2DMode());
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(GetMatrix(GL_PROJECTION_MATRIX), ToArray(kSomeProjection));
    EXPECT_EQ(GetMatrix(GL_MODELVIEW_MATRIX), ToArray(kSomeModelView));
    EXPECT_EQ(GetInt(GL_PROJECTION_STACK_DEPTH), 1);
}

// Codes 0-9 reach their capabilities.
TEST_F(DeviceTest, StateCodesReachTheirCapabilities) {
    const GLenum caps[] = {GL_ALPHA_TEST, GL_DEPTH_TEST, GL_BLEND,  GL_CULL_FACE, GL_TEXTURE_2D,
                           GL_LIGHTING,   GL_LIGHT0,     GL_LIGHT1, GL_LIGHT2,    GL_LIGHT3};
    for (unsigned code = 0; code < 10; ++code) {
        EnableState(code);
        EXPECT_TRUE(glIsEnabled(caps[code])) << code;
        DisableState(code);
        EXPECT_FALSE(glIsEnabled(caps[code])) << code;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
