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

// Lighting and shading are judged by the model's pixel tests; these are the
// settings 2D drawing and the reversed depth buffer rest on.
TEST_F(DeviceTest, InitSetsTheFixedFunctionStateAndSizes) {
    for (GLenum cap :
         {GL_SCISSOR_TEST, GL_ALPHA_TEST, GL_BLEND, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_CULL_FACE})
        EXPECT_TRUE(glIsEnabled(cap)) << std::hex << cap;
    for (GLenum cap : {GL_TEXTURE_2D, GL_LIGHTING, GL_LIGHT0, GL_LIGHT1})
        EXPECT_FALSE(glIsEnabled(cap)) << std::hex << cap;
    EXPECT_EQ(GetInt(GL_ALPHA_TEST_FUNC), GL_GREATER);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(GetInt(GL_DEPTH_FUNC), GL_GEQUAL);
    GLfloat f[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_DEPTH_RANGE, f);
    EXPECT_EQ(std::vector<float>(f, f + 2), std::vector<float>({1, 0})); // near 1, far 0
    glGetFloatv(GL_SCISSOR_BOX, f);
    EXPECT_EQ(std::vector<float>(f, f + 4), std::vector<float>({0, 0, kWidth, kHeight}));
    EXPECT_FALSE(IsIn2DMode());
    EXPECT_EQ(ToArray(GetWorldMatrix()), ToArray(MatrixIdentity));
    EXPECT_EQ(FrameArenaRemaining(), kFrameArenaSize);
    EXPECT_EQ(GetScreenWidth(), kWidth);
    EXPECT_EQ(GetScreenHeightF(), float(kHeight));
    // Sizes reach float through unsigned: -1 becomes 2^32.
    InitRenderDevice(-1, 600);
    EXPECT_EQ(GetScreenWidth(), -1);
    EXPECT_EQ(GetScreenHeight(), 600);
    EXPECT_EQ(GetScreenWidthF(), 4294967296.0f);
    EXPECT_EQ(GetScreenHeightF(), 600.0f);
}

// End2D outside 2D mode keeps the matrices (GL ignores the pops) but still
// enables depth test and culling; Begin2D twice pushes once.
TEST_F(DeviceTest, Begin2DAndEnd2DRestoreThe3DStateExactly) {
    SetMatrix(kMatrixProjection, kSomeProjection);
    SetMatrix(kMatrixModelView, kSomeModelView);
    auto expect3D = [] {
        EXPECT_FALSE(IsIn2DMode());
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_CULL_FACE));
        EXPECT_EQ(GetMatrix(GL_PROJECTION_MATRIX), ToArray(kSomeProjection));
        EXPECT_EQ(GetMatrix(GL_MODELVIEW_MATRIX), ToArray(kSomeModelView));
        EXPECT_EQ(GetInt(GL_PROJECTION_STACK_DEPTH), 1);
    };
    DisableState(kStateDepthTest);
    DisableState(kStateCullFace);
    End2D();
    while (glGetError() != GL_NO_ERROR) {
    }
    expect3D();

    Begin2D();
    EXPECT_TRUE(IsIn2DMode());
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST) || glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(GetInt(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(GetMatrix(GL_MODELVIEW_MATRIX), ToArray(MatrixIdentity));
    const Matrix ortho = GetMatrix(GL_PROJECTION_MATRIX);
    const Matrix pixels = {
        2.0f / kWidth, 0, 0, 0, 0, -2.0f / kHeight, 0, 0, 0, 0, -1, 0, -1, 1, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(ortho[i], pixels[i]) << i;
    Begin2D();
    EXPECT_EQ(GetInt(GL_PROJECTION_STACK_DEPTH), 2);
    EXPECT_EQ(GetInt(GL_MODELVIEW_STACK_DEPTH), 2);
    End2D();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    expect3D();
}

TEST_F(DeviceTest, ClearsReadBack) {
    const PackedColour colours[] = {MakePackedColour(255, 0, 0, 255), 0,
                                    MakePackedColour(0x20, 0x40, 0x80, 0xFF),
                                    MakePackedColour(0, 255, 0, 0x80), 0xFFFFFFFFu};
    for (PackedColour colour : colours) {
        ClearColourBuffer(colour);
        EXPECT_EQ(m_gl.ReadPixel(0, 0), colour) << std::hex << colour;
        EXPECT_EQ(m_gl.ReadPixel(kWidth - 1, kHeight - 1), colour) << std::hex << colour;
    }
    for (float depth : {0.0f, 1.0f, 0.5f}) {
        ClearDepthBuffer(depth);
        GLfloat read = -1.0f;
        glReadPixels(3, 3, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &read);
        EXPECT_NEAR(read, depth, 1e-4) << depth;
    }
}

// Codes 0-9 reach their capabilities; any other code changes nothing.
TEST_F(DeviceTest, StateCodesReachTheirCapabilitiesOnly) {
    const GLenum caps[] = {GL_ALPHA_TEST,   GL_DEPTH_TEST,   GL_BLEND,  GL_CULL_FACE, GL_TEXTURE_2D,
                           GL_LIGHTING,     GL_LIGHT0,       GL_LIGHT1, GL_LIGHT2,    GL_LIGHT3,
                           GL_SCISSOR_TEST, GL_STENCIL_TEST, GL_FOG,    GL_NORMALIZE};
    for (unsigned code = 0; code < 10; ++code) {
        EnableState(code);
        EXPECT_TRUE(glIsEnabled(caps[code])) << code;
        DisableState(code);
        EXPECT_FALSE(glIsEnabled(caps[code])) << code;
    }
    GLboolean before[14];
    for (int i = 0; i < 14; ++i)
        before[i] = glIsEnabled(caps[i]);
    for (unsigned code : {10u, 11u, 255u, 0xFFFFFFFFu}) {
        EnableState(code);
        DisableState(code);
        for (int i = 0; i < 14; ++i)
            EXPECT_EQ(glIsEnabled(caps[i]), before[i]) << code << " " << i;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DeviceTest, TextureFilterCodesReachTheBoundTexture) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const struct {
        unsigned minCode, magCode;
        GLint min, mag; // expected afterwards
    } cases[] = {
        {1, 1, GL_LINEAR, GL_LINEAR},
        {0, 0, GL_NEAREST, GL_NEAREST},
        {2, 1, GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR},
        {3, 0, GL_LINEAR_MIPMAP_NEAREST, GL_NEAREST},
        {4, 6, GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST},
        {5, 1, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
        {7, 7, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
        {6, 0, GL_LINEAR_MIPMAP_LINEAR, GL_NEAREST},
        {0xFFFFFFFFu, 1, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
    };
    for (const auto &c : cases) {
        SetTextureFilter(c.minCode, c.magCode);
        GLint min = 0, mag = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        EXPECT_EQ(min, c.min) << c.minCode << "," << c.magCode;
        EXPECT_EQ(mag, c.mag) << c.minCode << "," << c.magCode;
    }
    glDeleteTextures(1, &texture);
}

// GL slots load their stacks in storage order; the world slot is kept by the
// device alone and unknown slots are ignored.
TEST_F(DeviceTest, MatrixSlotsAndViewport) {
    const struct {
        unsigned slot;
        GLenum query, mode;
    } cases[] = {
        {kMatrixProjection, GL_PROJECTION_MATRIX, GL_PROJECTION},
        {kMatrixModelView, GL_MODELVIEW_MATRIX, GL_MODELVIEW},
        {kMatrixTexture, GL_TEXTURE_MATRIX, GL_TEXTURE},
    };
    for (const auto &c : cases) {
        SetMatrix(c.slot, kSomeModelView);
        EXPECT_EQ(GetMatrix(c.query), ToArray(kSomeModelView)) << c.slot;
        EXPECT_EQ(GetInt(GL_MATRIX_MODE), GLint(c.mode)) << c.slot;
    }
    const Matrix projection = GetMatrix(GL_PROJECTION_MATRIX);
    const Matrix modelView = GetMatrix(GL_MODELVIEW_MATRIX);
    const Matrix texture = GetMatrix(GL_TEXTURE_MATRIX);
    SetMatrix(kMatrixWorld, kSomeProjection);
    EXPECT_EQ(ToArray(GetWorldMatrix()), ToArray(kSomeProjection));
    SetMatrix(4, kSomeModelView);
    SetMatrix(0xFFFFFFFFu, kSomeModelView);
    EXPECT_EQ(ToArray(GetWorldMatrix()), ToArray(kSomeProjection));
    EXPECT_EQ(GetMatrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(GetMatrix(GL_MODELVIEW_MATRIX), modelView);
    EXPECT_EQ(GetMatrix(GL_TEXTURE_MATRIX), texture);
    EXPECT_EQ(GetInt(GL_MATRIX_MODE), GL_TEXTURE);
    SetViewport(3, 4, 20, 10);
    GLint v[4] = {};
    glGetIntegerv(GL_VIEWPORT, v);
    EXPECT_EQ(std::vector<GLint>(v, v + 4), std::vector<GLint>({3, 4, 20, 10}));
}

} // namespace
