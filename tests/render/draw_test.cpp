#include "render/bitmap_font.h"
#include "render/packed_colour.h"
#include "render/png_writer.h"
#include "render/primitives.h"
#include "render/render_device.h"
#include "render/render_internal.h"
#include "render/texture.h"
#include "support/gl_context.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr PackedColour kBackground = MakePackedColour(10, 20, 30, 255);
constexpr PackedColour kRed = MakePackedColour(255, 0, 0, 255);
constexpr PackedColour kGreen = MakePackedColour(0, 255, 0, 255);
constexpr PackedColour kBlue = MakePackedColour(0, 0, 255, 255);
constexpr PackedColour kWhite = MakePackedColour(255, 255, 255, 255);
constexpr PackedColour kYellow = MakePackedColour(255, 255, 0, 255);

struct Probe {
    int x, y; // from the top-left
    PackedColour colour;
    int tolerance = 0; // per channel
};

// Pixels read back from the program's default 1024 x 768 window. Font: 'A' 32
// wide at column 4, 'B' 20 at column 40, line height 57, spacing 3, space 32.
class DrawTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_gl.Ok()) << m_gl.Error();
        InitRenderDevice(m_gl.Width(), m_gl.Height());
        ForgetLastBoundTexture();
        ClearColourBuffer(kBackground);
        ASSERT_TRUE(m_fontImage.Allocate(1, 128, 64));
        for (uint32_t y = 0; y < 57; ++y)
            for (uint32_t x = 0; x < 128; ++x)
                if ((x >= 4 && x <= 35) || (x >= 40 && x <= 59))
                    for (int i = 0; i < 4; ++i)
                        m_fontImage.pixels[(y * 128 + x) * 4 + i] = 255;
        m_font.reset(new CBitmapFont(&m_fontImage, nullptr, "AB", 57.0f, 3.0f, 32.0f, kNoGapLimit));
    }
    void TearDown() override { ShutdownRenderDevice(); }

    void ExpectPixels(const std::vector<Probe> &probes) const {
        for (const Probe &p : probes) {
            const PackedColour got = m_gl.ReadPixel(p.x, p.y);
            for (int shift = 0; shift < 24; shift += 8)
                EXPECT_NEAR(int(got >> shift & 0xFF), int(p.colour >> shift & 0xFF), p.tolerance)
                    << "pixel " << p.x << "," << p.y << std::hex << " got 0x" << got;
        }
    }
    static size_t ArenaUsed() { return kFrameArenaSize - FrameArenaRemaining(); }

    CTestGLContext m_gl{1024, 768};
    CTexture m_fontImage;
    std::unique_ptr<CBitmapFont> m_font;
};

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
            for (int i = 0; i < 4; ++i)
                p.samples[(size_t(y) * 1024 + x) * 4 + i] = uint16_t(c >> (8 * i) & 0xFF);
        }
    const std::vector<uint8_t> png = EncodePng(p);
    return std::unique_ptr<CTexture>(DecodePngTexture(png.data(), int(png.size())));
}

// Then an untextured quad over it: texturing must be off for it.
TEST_F(DrawTest, PictureShowsUprightUnderAFlatQuad) {
    auto picture = QuadrantPicture();
    ASSERT_NE(picture, nullptr);
    DrawTexturedQuad(picture.get(), CVector2(0, 0), CVector2(1024, 1024), kWhite);
    ExpectPixels({{0, 0, kYellow, 2}, {1, 0, kRed, 2}, {256, 100, kRed}, {1023, 0, kGreen, 2}});
    ExpectPixels(
        {{768, 200, kGreen}, {0, 767, kBlue, 2}, {256, 600, kBlue}, {1023, 767, kWhite, 2}});
    const PackedColour flat = MakePackedColour(200, 100, 50, 255);
    DrawTexturedQuad(nullptr, CVector2(100, 100), CVector2(50, 40), flat);
    ExpectPixels({{100, 100, flat}, {149, 139, flat}, {150, 120, kRed}, {125, 140, kRed}});
    EXPECT_EQ(ArenaUsed(), 2 * 96u);

    // Alpha 0 draws nothing, whatever the texture.
    const PackedColour clear = MakePackedColour(255, 255, 255, 0);
    DrawTexturedQuad(picture.get(), CVector2(0, 0), CVector2(1024, 1024), clear);
    DrawTexturedQuad(nullptr, CVector2(0, 0), CVector2(100, 100), clear);
    DrawColouredQuad(CVector2(0, 0), CVector2(100, 100), clear, clear, clear, clear);
    ExpectPixels({{50, 50, kRed}, {600, 600, kWhite}, {125, 120, flat}});
}

// Every character takes 144 bytes of the arena, drawn or not.
TEST_F(DrawTest, PrintDrawsTheGlyphsAtTheirPlaces) {
    m_font->Print(CVector2(10, 20), kRed, 1.0f, "AB"); // A x 10-42, B x 45-65, y 20-77
    ExpectPixels({{12, 22, kRed}, {40, 75, kRed}, {43, 40, kBackground}, {55, 40, kRed}});
    ExpectPixels({{67, 40, kBackground}, {20, 78, kBackground}, {20, 18, kBackground}});
    m_font->PrintF(CVector2(0, 100), kBlue, 2.0f, "%c", 'A'); // 64 x 114
    ExpectPixels(
        {{2, 102, kBlue}, {62, 212, kBlue}, {66, 150, kBackground}, {30, 216, kBackground}});
    m_font->Print(CVector2(500, 500), kRed, 1.0f, "");
    m_font->Print(CVector2(500, 500), kRed, 1.0f, nullptr);
    ExpectPixels({{510, 510, kBackground}});
    EXPECT_EQ(ArenaUsed(), 3 * 144u);
}

// Records are 4-byte aligned as long as every request is a multiple of 4.
TEST_F(DrawTest, DrawsThatFindNoRoomInTheArenaAreDropped) {
    ASSERT_NE(AllocFrameBytes(FrameArenaRemaining() - 92), nullptr);   // 92 bytes left
    DrawTexturedQuad(nullptr, CVector2(0, 0), CVector2(50, 50), kRed); // needs 96
    ExpectPixels({{25, 25, kBackground}});
    DrawColouredQuad(CVector2(0, 0), CVector2(50, 50), kRed, kRed, kRed, kRed); // 64 fits
    ExpectPixels({{25, 25, kRed}});
    EXPECT_EQ(FrameArenaRemaining(), 28u);

    // Text is cut to the characters the arena still holds.
    ResetFrameArena();
    ASSERT_NE(AllocFrameBytes(FrameArenaRemaining() - (3 * 144 + 100)), nullptr);
    m_font->Print(CVector2(0, 300), kRed, 1.0f, "AAAAA");
    EXPECT_EQ(FrameArenaRemaining(), 100u);
    m_font->Print(CVector2(0, 400), kRed, 1.0f, "A"); // no room for one
    EXPECT_EQ(FrameArenaRemaining(), 100u);
    ExpectPixels(
        {{2 * 35 + 10, 320, kRed}, {3 * 35 + 10, 320, kBackground}, {10, 420, kBackground}});
}

} // namespace
