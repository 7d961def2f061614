#include "render/bitmap_font.h"
#include "render/packed_colour.h"
#include "render/png_writer.h"
#include "render/primitives.h"
#include "render/render_device.h"
#include "render/render_internal.h"
#include "render/texture.h"
#include "support/gl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr PackedColour kBackground = MakePackedColour(10, 20, 30, 255);
constexpr PackedColour kRed = MakePackedColour(255, 0, 0, 255);
constexpr PackedColour kGreen = MakePackedColour(0, 255, 0, 255);
constexpr PackedColour kBlue = MakePackedColour(0, 0, 255, 255);
constexpr PackedColour kWhite = MakePackedColour(255, 255, 255, 255);
constexpr PackedColour kYellow = MakePackedColour(255, 255, 0, 255);

// Pixels read back from a 1024 x 768 window (the program's default size).
class DrawTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_gl.Ok()) << m_gl.Error();
        InitRenderDevice(m_gl.Width(), m_gl.Height());
        ForgetLastBoundTexture();
        ResetFrameArena();
        ClearColourBuffer(kBackground);
    }
    void TearDown() override { ShutdownRenderDevice(); }

    // Colour RGB of pixel (x, y from the top); alpha is ignored.
    PackedColour Pixel(int x, int y) const { return m_gl.ReadPixel(x, y) & 0xFFFFFF; }

    CTestGLContext m_gl{1024, 768};
};

::testing::AssertionResult Near(PackedColour got, PackedColour want, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int g = int(got >> shift & 0xFF), w = int(want >> shift & 0xFF);
        if (std::abs(g - w) > tolerance)
            return ::testing::AssertionFailure()
                   << std::hex << "got 0x" << got << " want 0x" << want;
    }
    return ::testing::AssertionSuccess();
}

#define EXPECT_PIXEL(x, y, colour, tol) EXPECT_TRUE(Near(Pixel(x, y), (colour)&0xFFFFFF, tol))

// A 1024 x 768 picture in quadrants, red, green / blue, white, with a yellow
// texel at its top-left corner, decoded through the PNG path.
std::unique_ptr<CTexture> QuadrantPicture() {
    PngPicture p;
    p.width = 1024;
    p.height = 768;
    p.samples.resize(size_t(1024) * 768 * 4);
    for (uint32_t y = 0; y < 768; ++y)
        for (uint32_t x = 0; x < 1024; ++x) {
            PackedColour c = y < 384 ? (x < 512 ? kRed : kGreen) : (x < 512 ? kBlue : kWhite);
            if (x == 0 && y == 0)
                c = kYellow;
            uint16_t *s = &p.samples[(size_t(y) * 1024 + x) * 4];
            for (int i = 0; i < 4; ++i)
                s[i] = uint16_t(c >> (8 * i) & 0xFF);
        }
    const std::vector<uint8_t> png = EncodePng(p);
    return std::unique_ptr<CTexture>(DecodePngTexture(png.data(), int(png.size())));
}

TEST_F(DrawTest, FullWindowPictureShowsUpright) {
    auto picture = QuadrantPicture();
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(picture->storeHeight, 1024u);
    DrawTexturedQuad(picture.get(), CVector2(0, 0), CVector2(1024, 1024), kWhite);
    EXPECT_PIXEL(0, 0, kYellow, 2);
    EXPECT_PIXEL(1, 0, kRed, 2);
    EXPECT_PIXEL(256, 100, kRed, 0);
    EXPECT_PIXEL(1023, 0, kGreen, 2);
    EXPECT_PIXEL(768, 200, kGreen, 0);
    EXPECT_PIXEL(0, 767, kBlue, 2);
    EXPECT_PIXEL(256, 600, kBlue, 0);
    EXPECT_PIXEL(1023, 767, kWhite, 2);
    EXPECT_TRUE(IsIn2DMode());
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(DrawTest, StoreChangesReachGLAtTheNextUpload) {
    CTexture a, b;
    ASSERT_TRUE(a.Allocate(1, 1, 1));
    ASSERT_TRUE(b.Allocate(1, 1, 1));
    a.pixels[0] = 255, a.pixels[3] = 255; // red
    b.pixels[2] = 255, b.pixels[3] = 255; // blue
    DrawTexturedQuad(&a, CVector2(0, 0), CVector2(64, 64), kWhite);
    EXPECT_PIXEL(32, 32, kRed, 0);
    a.pixels[0] = 0, a.pixels[1] = 255; // now green, not yet uploaded
    DrawTexturedQuad(&a, CVector2(0, 0), CVector2(64, 64), kWhite);
    EXPECT_PIXEL(32, 32, kRed, 0);
    DrawTexturedQuad(&b, CVector2(64, 0), CVector2(64, 64), kWhite);
    DrawTexturedQuad(&a, CVector2(0, 0), CVector2(64, 64), kWhite);
    EXPECT_PIXEL(32, 32, kGreen, 0);
    EXPECT_PIXEL(96, 32, kBlue, 0);
}

TEST_F(DrawTest, AlphaZeroDrawsNothing) {
    const PackedColour clear = MakePackedColour(255, 255, 255, 0);
    DrawTexturedQuad(nullptr, CVector2(0, 0), CVector2(100, 100), clear);
    DrawColouredQuad(CVector2(0, 0), CVector2(100, 100), clear, clear, clear, clear);
    auto picture = QuadrantPicture();
    ASSERT_NE(picture, nullptr);
    DrawTexturedQuad(picture.get(), CVector2(0, 0), CVector2(1024, 1024), clear);
    EXPECT_PIXEL(50, 50, kBackground, 0);
    EXPECT_PIXEL(600, 600, kBackground, 0);
}

TEST_F(DrawTest, QuadWithoutTextureDrawsTheFlatColour) {
    auto picture = QuadrantPicture();
    ASSERT_NE(picture, nullptr);
    DrawTexturedQuad(picture.get(), CVector2(0, 0), CVector2(1024, 1024), kWhite);
    const PackedColour flat = MakePackedColour(200, 100, 50, 255);
    DrawTexturedQuad(nullptr, CVector2(100, 100), CVector2(50, 40), flat);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_PIXEL(100, 100, flat, 0);
    EXPECT_PIXEL(149, 139, flat, 0);
    EXPECT_PIXEL(125, 120, flat, 0);
    EXPECT_PIXEL(150, 120, kRed, 0); // just right of the quad
    EXPECT_PIXEL(125, 140, kRed, 0); // just below it
}

TEST_F(DrawTest, HalfAlphaBlendsOverTheBackground) {
    DrawTexturedQuad(nullptr, CVector2(0, 0), CVector2(10, 10), MakePackedColour(250, 0, 0, 128));
    // 250 * 128/255 + 10 * 127/255 = 130.5; 20 * 127/255 = 10; 30 * 127/255 = 15
    EXPECT_PIXEL(5, 5, MakePackedColour(130, 10, 15, 0), 2);
}

struct CornerCase {
    const char *name;
    bool textured; // DrawTexturedQuadGradient rather than DrawColouredQuad
};

class CornerTest : public DrawTest, public ::testing::WithParamInterface<CornerCase> {};

TEST_P(CornerTest, CornerColoursLandOnTheirCorners) {
    const CVector2 pos(100, 100), size(200, 100);
    if (GetParam().textured)
        DrawTexturedQuadGradient(nullptr, pos, size, kRed, kGreen, kBlue, kWhite);
    else
        DrawColouredQuad(pos, size, kRed, kGreen, kBlue, kWhite);
    EXPECT_PIXEL(100, 100, kRed, 6);
    EXPECT_PIXEL(299, 100, kGreen, 6);
    EXPECT_PIXEL(100, 199, kBlue, 6);
    EXPECT_PIXEL(299, 199, kWhite, 6);
    EXPECT_PIXEL(99, 150, kBackground, 0);
    EXPECT_PIXEL(300, 150, kBackground, 0);
    EXPECT_PIXEL(200, 99, kBackground, 0);
    EXPECT_PIXEL(200, 200, kBackground, 0);
}

INSTANTIATE_TEST_SUITE_P(Quads, CornerTest,
                         ::testing::Values(CornerCase{"coloured", false},
                                           CornerCase{"textured_gradient", true}),
                         [](const ::testing::TestParamInfo<CornerCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(DrawTest, QuadsTakeTheirRecordsFromTheArena) {
    const size_t before = FrameArenaRemaining();
    DrawColouredQuad(CVector2(0, 0), CVector2(4, 4), kRed, kRed, kRed, kRed);
    EXPECT_EQ(before - FrameArenaRemaining(), 64u);
    DrawTexturedQuad(nullptr, CVector2(0, 0), CVector2(4, 4), kRed);
    EXPECT_EQ(before - FrameArenaRemaining(), 64u + 96u);
}

TEST_F(DrawTest, QuadsAreNotDrawnWhenTheArenaRefuses) {
    // Records are 4-byte aligned as long as every request is a multiple of 4.
    ASSERT_NE(AllocFrameBytes(FrameArenaRemaining() - 92), nullptr); // 92 bytes left
    DrawTexturedQuad(nullptr, CVector2(0, 0), CVector2(50, 50), kRed);
    EXPECT_PIXEL(25, 25, kBackground, 0);
    DrawColouredQuad(CVector2(0, 0), CVector2(50, 50), kRed, kRed, kRed, kRed); // 64 fits
    EXPECT_PIXEL(25, 25, kRed, 0);
    DrawColouredQuad(CVector2(0, 0), CVector2(50, 50), kBlue, kBlue, kBlue, kBlue); // 28 left
    EXPECT_PIXEL(25, 25, kRed, 0);
    EXPECT_EQ(FrameArenaRemaining(), 28u);
}

// ---- 3D submission, captured with GL feedback -------------------------------

struct FeedbackPoint {
    float x, y;
};

// Runs draw() in feedback mode and returns the window positions of the points
// it submitted (GL_3D records; identity projection over a 1024 x 768 viewport).
template <typename F> std::vector<FeedbackPoint> CapturePoints(F draw) {
    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint n = glRenderMode(GL_RENDER);
    std::vector<FeedbackPoint> points;
    for (GLint i = 0; i + 3 < n; i += 4) {
        if (buffer[i] != GLfloat(GL_POINT_TOKEN))
            break;
        points.push_back({buffer[i + 1], buffer[i + 2]});
    }
    return points;
}

Vertex3D Vertex(float x, float y, float z, float nx, float ny, float nz) {
    return Vertex3D{0.25f, 0.75f, kGreen, nx, ny, nz, x, y, z};
}

TEST_F(DrawTest, WorldMatrixMovesPositionsButNotNormals) {
    CMatrix4 world;
    world.MakeRotationZ(1.5707964f);
    world[12] = 0.5f; // then a translation by (0.5, 0, 0)
    SetMatrix(kMatrixWorld, world);
    const Vertex3D v = Vertex(0, 0, 0, 0.0f, 1.0f, 0.0f);
    const auto points = CapturePoints([&] { DrawPrimitive3D(kPrimPoints, nullptr, &v, 1); });
    ASSERT_EQ(points.size(), 1u);
    // Object origin + 0.5 in x: window x = (0.5 + 1) / 2 * 1024.
    EXPECT_NEAR(points[0].x, 768.0f, 0.01f);
    EXPECT_NEAR(points[0].y, 384.0f, 0.01f);
    GLfloat normal[4], tex[4];
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, tex);
    EXPECT_FLOAT_EQ(normal[0], 0.0f);
    EXPECT_FLOAT_EQ(normal[1], 1.0f); // as stored, not rotated
    EXPECT_FLOAT_EQ(normal[2], 0.0f);
    EXPECT_FLOAT_EQ(tex[0], 0.25f);
    EXPECT_FLOAT_EQ(tex[1], 0.75f);
}

TEST_F(DrawTest, IndexedDrawSubmitsVerticesInIndexOrder) {
    CMatrix4 world;
    world.MakeTranslation(0.0f, 0.25f, 0.0f);
    SetMatrix(kMatrixWorld, world);
    const Vertex3D v[4] = {Vertex(-0.75f, 0, 0, 0, 0, 1), Vertex(-0.25f, 0, 0, 0, 0, 1),
                           Vertex(0.25f, 0, 0, 0, 0, 1), Vertex(0.75f, 0, 0, 0, 0, 1)};
    const uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    const auto points =
        CapturePoints([&] { DrawIndexedPrimitive3D(kPrimPoints, nullptr, 6, indices, v); });
    ASSERT_EQ(points.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(points[i].x, (v[indices[i]].x + 1.0f) * 512.0f, 0.01f) << i;
        EXPECT_NEAR(points[i].y, 1.25f * 384.0f, 0.01f) << i;
    }
}

TEST_F(DrawTest, ThreeDDrawsLeaveTwoDModeEveryTime) {
    Begin2D();
    ASSERT_TRUE(IsIn2DMode());
    const Vertex3D v = Vertex(0, 0, 0, 0, 0, 1);
    DrawPrimitive3D(kPrimPoints, nullptr, &v, 1);
    EXPECT_FALSE(IsIn2DMode());
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glDisable(GL_CULL_FACE);
    const uint16_t index = 0;
    DrawIndexedPrimitive3D(kPrimPoints, nullptr, 1, &index, &v);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(DrawTest, TwoDPrimitiveIsDrawnInScreenPixels) {
    const Vertex2D tri[3] = {
        {0, 0, kBlue, 10, 10, 0}, {0, 0, kBlue, 110, 10, 0}, {0, 0, kBlue, 10, 110, 0}};
    DrawPrimitive2D(kPrimTriangles, nullptr, tri, 3);
    EXPECT_PIXEL(20, 20, kBlue, 0);
    EXPECT_PIXEL(100, 100, kBackground, 0);
    DrawPrimitive2D(kPrimTriangles, nullptr, nullptr, 0); // nothing to draw
    DrawPrimitive2D(6, nullptr, tri, 3);                  // no such primitive
    EXPECT_PIXEL(100, 100, kBackground, 0);
}

// ---- Text -------------------------------------------------------------------

// A real texture font: 'A' 32 wide at column 4, 'B' 20 wide at column 40,
// line height 57, spacing 3, space width 32.
class PrintTest : public DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        ASSERT_TRUE(m_image.Allocate(1, 128, 64));
        for (uint32_t y = 0; y < 57; ++y)
            for (uint32_t x = 0; x < 128; ++x)
                if ((x >= 4 && x <= 35) || (x >= 40 && x <= 59))
                    for (int i = 0; i < 4; ++i)
                        m_image.pixels[(y * 128 + x) * 4 + i] = 255;
        m_font.reset(new CBitmapFont(&m_image, nullptr, "AB", 57.0f, 3.0f, 32.0f, kNoGapLimit));
    }
    CTexture m_image;
    std::unique_ptr<CBitmapFont> m_font;
};

TEST_F(PrintTest, TwoLettersAtTenTwenty) {
    m_font->Print(CVector2(10, 20), kRed, 1.0f, "AB");
    EXPECT_PIXEL(12, 22, kRed, 0); // inside A (x 10-42, y 20-77)
    EXPECT_PIXEL(40, 75, kRed, 0);
    EXPECT_PIXEL(43, 40, kBackground, 0); // the spacing between A and B
    EXPECT_PIXEL(55, 40, kRed, 0);        // inside B (x 45-65)
    EXPECT_PIXEL(67, 40, kBackground, 0);
    EXPECT_PIXEL(20, 78, kBackground, 0); // below the line
    EXPECT_PIXEL(20, 18, kBackground, 0); // above it
    EXPECT_EQ(kFrameArenaSize - FrameArenaRemaining(), 2u * 6 * 24);
}

TEST_F(PrintTest, PrintSubmitsOneTriangleListOfTheGlyphs) {
    std::vector<GLfloat> buffer(1024);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    m_font->Print(CVector2(10, 20), kRed, 1.0f, "A B\nC");
    const GLint n = glRenderMode(GL_RENDER);
    int triangles = 0;
    float minX = 1e9f, maxX = -1e9f;
    for (GLint i = 0; i < n;) {
        ASSERT_EQ(buffer[i], GLfloat(GL_POLYGON_TOKEN));
        ASSERT_EQ(buffer[i + 1], 3.0f);
        for (int k = 0; k < 3; ++k) {
            minX = std::min(minX, buffer[i + 2 + 2 * k]);
            maxX = std::max(maxX, buffer[i + 2 + 2 * k]);
        }
        i += 8;
        ++triangles;
    }
    EXPECT_EQ(triangles, 4); // A and B; space, newline and C draw nothing
    EXPECT_FLOAT_EQ(minX, 10.0f);
    EXPECT_FLOAT_EQ(maxX, 10.0f + 35 + 35 + 20); // B follows A and the space, each with spacing
    EXPECT_EQ(kFrameArenaSize - FrameArenaRemaining(), 5u * 6 * 24);
}

TEST_F(PrintTest, ScaleAndColourApply) {
    m_font->PrintF(CVector2(0, 100), kBlue, 2.0f, "%c", 'A');
    EXPECT_PIXEL(2, 102, kBlue, 0);
    EXPECT_PIXEL(62, 212, kBlue, 0); // 64 x 114 at scale 2
    EXPECT_PIXEL(66, 150, kBackground, 0);
    EXPECT_PIXEL(30, 216, kBackground, 0);
}

TEST_F(PrintTest, TextLongerThanTheArenaIsCutToWhatFits) {
    const size_t room = 3 * 6 * 24 + 100; // three characters and a bit
    ASSERT_NE(AllocFrameBytes(FrameArenaRemaining() - room), nullptr);
    m_font->Print(CVector2(0, 300), kRed, 1.0f, "AAAAA");
    EXPECT_EQ(FrameArenaRemaining(), 100u);
    EXPECT_PIXEL(2 * 35 + 10, 320, kRed, 0);          // third glyph
    EXPECT_PIXEL(3 * 35 + 10, 320, kBackground, 0);   // fourth: cut
    m_font->Print(CVector2(0, 400), kRed, 1.0f, "A"); // no room for one
    EXPECT_EQ(FrameArenaRemaining(), 100u);
    EXPECT_PIXEL(10, 420, kBackground, 0);
}

TEST_F(PrintTest, EmptyTextDrawsNothingAndTakesNothing) {
    m_font->Print(CVector2(0, 0), kRed, 1.0f, "");
    m_font->Print(CVector2(0, 0), kRed, 1.0f, nullptr);
    EXPECT_EQ(FrameArenaRemaining(), kFrameArenaSize);
    EXPECT_PIXEL(10, 10, kBackground, 0);
}

TEST_F(PrintTest, FontDoesNotOwnItsTexture) {
    m_font.reset();
    EXPECT_NE(m_image.allocation, nullptr);
    EXPECT_EQ(m_image.pixels[(10 * 128 + 10) * 4 + 3], 255);
}

} // namespace
