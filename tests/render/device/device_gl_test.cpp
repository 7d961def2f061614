// The render device's GL state on a real context (./test.sh provides Xvfb).
#include "render/render_device.h"
#include "render/render_device_internal.h"
#include "support/gl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

typedef std::array<GLfloat, 16> Matrix;

Matrix GetMatrix(GLenum which) {
    Matrix m;
    glGetFloatv(which, m.data());
    return m;
}

GLint GetInt(GLenum which) {
    GLint v = 0;
    glGetIntegerv(which, &v);
    return v;
}

const CMatrix4 kSomeProjection(1.5f, 0, 0, 0, 0, 2.5f, 0, 0, 0, 0, -1.0f, -1, 0, 0, -0.2f, 0);
const CMatrix4 kSomeModelView(0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 3, -4, -5, 1);

Matrix ToArray(const CMatrix4 &m) {
    Matrix a;
    for (int i = 0; i < 16; ++i)
        a[i] = m.m[i];
    return a;
}

class DeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        context.reset(new CTestGLContext(kWidth, kHeight));
        ASSERT_TRUE(context->Ok()) << context->Error();
        ASSERT_TRUE(InitRenderDevice(kWidth, kHeight));
    }
    void TearDown() override {
        ShutdownRenderDevice();
        context.reset();
    }
    std::unique_ptr<CTestGLContext> context;
};

TEST_F(DeviceTest, InitEnablesAndDisablesTheListedCapabilities) {
    const struct {
        GLenum cap;
        bool on;
    } cases[] = {
        {GL_SCISSOR_TEST, true}, {GL_ALPHA_TEST, true},   {GL_BLEND, true},
        {GL_DEPTH_TEST, true},   {GL_STENCIL_TEST, true}, {GL_CULL_FACE, true},
        {GL_TEXTURE_2D, false},  {GL_LIGHTING, false},    {GL_LIGHT0, false},
        {GL_LIGHT1, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(glIsEnabled(c.cap), c.on ? GL_TRUE : GL_FALSE) << std::hex << c.cap;
}

TEST_F(DeviceTest, InitSetsFunctionsRangesAndHints) {
    EXPECT_EQ(GetInt(GL_ALPHA_TEST_FUNC), GL_GREATER);
    GLfloat alphaRef = -1.0f;
    glGetFloatv(GL_ALPHA_TEST_REF, &alphaRef);
    EXPECT_EQ(alphaRef, 0.0f);
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(GetInt(GL_DEPTH_FUNC), GL_GEQUAL);
    GLfloat range[2] = {-1, -1};
    glGetFloatv(GL_DEPTH_RANGE, range);
    EXPECT_EQ(range[0], 1.0f);
    EXPECT_EQ(range[1], 0.0f);
    GLboolean depthMask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_EQ(depthMask, GL_TRUE);
    EXPECT_EQ(GetInt(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_EQ(GetInt(GL_FRONT_FACE), GL_CCW);
    EXPECT_EQ(GetInt(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_EQ(GetInt(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
    EXPECT_EQ(GetInt(GL_STENCIL_FUNC), GL_ALWAYS);
    GLint box[4] = {};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[0], 0);
    EXPECT_EQ(box[1], 0);
    EXPECT_EQ(box[2], kWidth);
    EXPECT_EQ(box[3], kHeight);
}

TEST_F(DeviceTest, InitSetsBothLights) {
    const struct {
        GLenum light, parameter;
        GLfloat value[4];
    } cases[] = {
        {GL_LIGHT0, GL_AMBIENT, {0.5f, 0.5f, 0.5f, 1.0f}},
        {GL_LIGHT0, GL_DIFFUSE, {0.8f, 0.8f, 0.8f, 1.0f}},
        {GL_LIGHT0, GL_SPECULAR, {2.5f, 2.5f, 2.5f, 1.0f}},
        {GL_LIGHT0, GL_POSITION, {0.0f, 10.0f, 10.0f, 1.0f}},
        {GL_LIGHT1, GL_AMBIENT, {0.5f, 0.5f, 0.5f, 0.5f}},
        {GL_LIGHT1, GL_DIFFUSE, {0.5f, 0.5f, 0.5f, 0.5f}},
        {GL_LIGHT1, GL_SPECULAR, {1.0f, 0.5f, 0.5f, 0.5f}},
        {GL_LIGHT1, GL_POSITION, {0.0f, 10.0f, -10.0f, 1.0f}},
    };
    for (const auto &c : cases) {
        GLfloat v[4] = {-9, -9, -9, -9};
        glGetLightfv(c.light, c.parameter, v);
        for (int i = 0; i < 4; ++i)
            EXPECT_FLOAT_EQ(v[i], c.value[i]) << std::hex << c.light << " " << c.parameter;
    }
}

TEST_F(DeviceTest, InitKeepsSizesWorldMatrixAndArena) {
    EXPECT_EQ(GetScreenWidth(), kWidth);
    EXPECT_EQ(GetScreenHeight(), kHeight);
    EXPECT_EQ(GetScreenWidthF(), float(kWidth));
    EXPECT_EQ(GetScreenHeightF(), float(kHeight));
    EXPECT_FALSE(IsIn2DMode());
    EXPECT_EQ(ToArray(GetWorldMatrix()), ToArray(MatrixIdentity));
    ASSERT_NE(FrameArenaBase(), nullptr);
    EXPECT_EQ(FrameArenaCursor(), FrameArenaBase());
    EXPECT_EQ(FrameArenaRemaining(), kFrameArenaSize);
    Vertex2D *first = nullptr;
    EXPECT_EQ(AllocFrameVertices(4, &first), FrameArenaBase() + 96);
    EXPECT_EQ(reinterpret_cast<const unsigned char *>(first), FrameArenaBase());
}

TEST_F(DeviceTest, SizesConvertToFloatAsUnsignedValues) {
    InitRenderDevice(-1, 600);
    EXPECT_EQ(GetScreenWidth(), -1);
    EXPECT_EQ(GetScreenWidthF(), 4294967296.0f);
    EXPECT_EQ(GetScreenHeightF(), 600.0f);
    while (glGetError() != GL_NO_ERROR) {
    }
}

TEST_F(DeviceTest, Begin2DTwiceThenEnd2DRestoresThe3DMatricesExactly) {
    SetMatrix(kMatrixProjection, kSomeProjection);
    SetMatrix(kMatrixModelView, kSomeModelView);
    Begin2D();
    EXPECT_TRUE(IsIn2DMode());
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(GetInt(GL_MATRIX_MODE), GL_MODELVIEW);
    const Matrix ortho = GetMatrix(GL_PROJECTION_MATRIX);
    const Matrix expectedOrtho = {
        2.0f / kWidth, 0, 0, 0, 0, -2.0f / kHeight, 0, 0, 0, 0, -1, 0, -1, 1, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(ortho[i], expectedOrtho[i]) << i;
    EXPECT_EQ(GetMatrix(GL_MODELVIEW_MATRIX), ToArray(MatrixIdentity));
    Begin2D();
    EXPECT_EQ(GetInt(GL_PROJECTION_STACK_DEPTH), 2);
    EXPECT_EQ(GetInt(GL_MODELVIEW_STACK_DEPTH), 2);
    End2D();
    EXPECT_FALSE(IsIn2DMode());
    EXPECT_EQ(GetMatrix(GL_PROJECTION_MATRIX), ToArray(kSomeProjection));
    EXPECT_EQ(GetMatrix(GL_MODELVIEW_MATRIX), ToArray(kSomeModelView));
    EXPECT_EQ(GetInt(GL_PROJECTION_STACK_DEPTH), 1);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DeviceTest, End2DOutside2DLeavesMatricesAndEnablesDepthAndCulling) {
    SetMatrix(kMatrixProjection, kSomeProjection);
    SetMatrix(kMatrixModelView, kSomeModelView);
    DisableState(kStateDepthTest);
    DisableState(kStateCullFace);
    End2D();
    while (glGetError() != GL_NO_ERROR) {
    }
    EXPECT_EQ(GetMatrix(GL_PROJECTION_MATRIX), ToArray(kSomeProjection));
    EXPECT_EQ(GetMatrix(GL_MODELVIEW_MATRIX), ToArray(kSomeModelView));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(IsIn2DMode());
}

TEST_F(DeviceTest, ClearColourBufferReadsBack) {
    const PackedColour cases[] = {
        MakePackedColour(255, 0, 0, 255),  0,           MakePackedColour(0x20, 0x40, 0x80, 0xFF),
        MakePackedColour(0, 255, 0, 0x80), 0xFFFFFFFFu,
    };
    for (PackedColour colour : cases) {
        ClearColourBuffer(colour);
        EXPECT_EQ(context->ReadPixel(0, 0), colour) << std::hex << colour;
        EXPECT_EQ(context->ReadPixel(kWidth - 1, kHeight - 1), colour) << std::hex << colour;
    }
    GLfloat clear[4];
    ClearColourBuffer(MakePackedColour(255, 0, 0, 255));
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 1.0f);
    EXPECT_EQ(clear[1], 0.0f);
    EXPECT_EQ(clear[2], 0.0f);
    EXPECT_EQ(clear[3], 1.0f);
}

TEST_F(DeviceTest, ClearDepthBufferReadsBack) {
    for (float depth : {0.0f, 1.0f, 0.5f}) {
        ClearDepthBuffer(depth);
        GLfloat read = -1.0f;
        glReadPixels(3, 3, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &read);
        EXPECT_NEAR(read, depth, 1e-4) << depth;
    }
}

TEST_F(DeviceTest, StateCodesReachTheirCapabilities) {
    const GLenum caps[] = {GL_ALPHA_TEST, GL_DEPTH_TEST, GL_BLEND,  GL_CULL_FACE, GL_TEXTURE_2D,
                           GL_LIGHTING,   GL_LIGHT0,     GL_LIGHT1, GL_LIGHT2,    GL_LIGHT3};
    for (unsigned code = 0; code < 10; ++code) {
        EnableState(code);
        EXPECT_TRUE(glIsEnabled(caps[code])) << code;
        DisableState(code);
        EXPECT_FALSE(glIsEnabled(caps[code])) << code;
        EnableState(code);
        EXPECT_TRUE(glIsEnabled(caps[code])) << code;
    }
}

TEST_F(DeviceTest, UnknownStateCodesDoNothing) {
    const GLenum watched[] = {GL_ALPHA_TEST, GL_DEPTH_TEST, GL_BLEND,        GL_CULL_FACE,
                              GL_TEXTURE_2D, GL_LIGHTING,   GL_LIGHT0,       GL_LIGHT1,
                              GL_LIGHT2,     GL_LIGHT3,     GL_SCISSOR_TEST, GL_STENCIL_TEST,
                              GL_FOG,        GL_NORMALIZE};
    GLboolean before[14];
    for (int i = 0; i < 14; ++i)
        before[i] = glIsEnabled(watched[i]);
    for (unsigned code : {10u, 11u, 255u, 0xFFFFFFFFu}) {
        EnableState(code);
        DisableState(code);
        for (int i = 0; i < 14; ++i)
            EXPECT_EQ(glIsEnabled(watched[i]), before[i]) << code << " " << i;
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

TEST_F(DeviceTest, MatrixSlotsLoadTheirStacksInStorageOrder) {
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
}

TEST_F(DeviceTest, WorldSlotAndUnknownSlotsTouchNoGLState) {
    SetMatrix(kMatrixProjection, kSomeProjection);
    SetMatrix(kMatrixModelView, MatrixIdentity);
    const Matrix projection = GetMatrix(GL_PROJECTION_MATRIX);
    const Matrix modelView = GetMatrix(GL_MODELVIEW_MATRIX);
    const Matrix texture = GetMatrix(GL_TEXTURE_MATRIX);
    SetMatrix(kMatrixWorld, kSomeModelView);
    EXPECT_EQ(ToArray(GetWorldMatrix()), ToArray(kSomeModelView));
    SetMatrix(4, kSomeProjection);
    SetMatrix(0xFFFFFFFFu, kSomeProjection);
    EXPECT_EQ(ToArray(GetWorldMatrix()), ToArray(kSomeModelView));
    EXPECT_EQ(GetMatrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(GetMatrix(GL_MODELVIEW_MATRIX), modelView);
    EXPECT_EQ(GetMatrix(GL_TEXTURE_MATRIX), texture);
    EXPECT_EQ(GetInt(GL_MATRIX_MODE), GL_MODELVIEW);
}

TEST_F(DeviceTest, SetViewportReachesGL) {
    SetViewport(3, 4, 20, 10);
    GLint v[4] = {};
    glGetIntegerv(GL_VIEWPORT, v);
    EXPECT_EQ(v[0], 3);
    EXPECT_EQ(v[1], 4);
    EXPECT_EQ(v[2], 20);
    EXPECT_EQ(v[3], 10);
}

} // namespace
