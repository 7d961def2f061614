#include "render/bitmap_font.h"
#include "render/font_image.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A font with the proportions of the program's own: 'A' 32 wide, 'B' 20 wide,
// line height 57, spacing 3, space width 32. Code 'C' has no glyph.
class TextTest : public ::testing::Test {
  protected:
    TextTest() : m_image(128, 64, 128, 64) {
        m_image.Ink(4, 35, 0, 56);
        m_image.Ink(40, 59, 0, 56);
        m_font.reset(
            new CBitmapFont(m_image.Texture(), nullptr, "AB", 57.0f, 3.0f, 32.0f, kNoGapLimit));
    }
    CFontImage m_image;
    std::unique_ptr<CBitmapFont> m_font;
};

struct MeasureCase {
    const char *name;
    const char *text;
    float scale;
    float width, height;
};

class MeasureTest : public TextTest, public ::testing::WithParamInterface<MeasureCase> {};

TEST_P(MeasureTest, SizeIsTheWidestLineAndTheLastLineTop) {
    const MeasureCase &m = GetParam();
    CVector2 out(-1.0f, -1.0f);
    const CVector2 size = m_font->Measure(out, m.scale, m.text);
    EXPECT_FLOAT_EQ(size.x, m.width);
    EXPECT_FLOAT_EQ(size.y, m.height);
    EXPECT_EQ(out.x, size.x);
    EXPECT_EQ(out.y, size.y);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MeasureTest,
    ::testing::Values(MeasureCase{"one_letter", "A", 1, 35, 57},
                      MeasureCase{"letter_space_letter", "A A", 1, 105, 57},
                      MeasureCase{"letter_newline_letter", "A\nA", 1, 38, 57},
                      MeasureCase{"scale_two", "A", 2, 70, 114},
                      MeasureCase{"two_newlines", "A\n\nA", 1, 38, 114},
                      MeasureCase{"widest_line_wins", "AB\nA", 1, 58, 57},
                      MeasureCase{"missing_glyph_spacing_only", "ACA", 1, 73, 57},
                      MeasureCase{"empty", "", 1, 0, 57}, MeasureCase{"null", nullptr, 3, 0, 171}),
    [](const ::testing::TestParamInfo<MeasureCase> &info) { return std::string(info.param.name); });

TEST_F(TextTest, MeasureFFormatsBeforeMeasuring) {
    CVector2 formatted, plain;
    m_font->MeasureF(formatted, 1.0f, "%c%s%d", 'A', "B", 7); // '7' has no glyph
    m_font->Measure(plain, 1.0f, "AB7");
    EXPECT_FLOAT_EQ(formatted.x, plain.x);
    EXPECT_FLOAT_EQ(formatted.x, 35 + 23 + 3);
}

TEST_F(TextTest, FormattedTextIsCutTo2047Characters) {
    const std::string longText(3000, 'A');
    CVector2 size;
    m_font->MeasureF(size, 1.0f, "%s", longText.c_str());
    EXPECT_FLOAT_EQ(size.x, 2047.0f * 35.0f);
}

TEST_F(TextTest, PrintQuadsOfTwoLettersAtTenTwenty) {
    std::vector<Vertex2D> v(12);
    const PackedColour red = MakePackedColour(255, 0, 0, 255);
    ASSERT_EQ(m_font->BuildTextVertices(v.data(), CVector2(10, 20), red, 1.0f, "AB", 2), 12u);
    struct Expect {
        float x, y;
        int corner;
    };
    // Per glyph: bottom-left, top-left, bottom-right, top-left, bottom-right, top-right.
    const Expect a[6] = {{10, 77, 0}, {10, 20, 1}, {42, 77, 2},
                         {10, 20, 1}, {42, 77, 2}, {42, 20, 3}};
    const Expect b[6] = {{45, 77, 0}, {45, 20, 1}, {65, 77, 2},
                         {45, 20, 1}, {65, 77, 2}, {65, 20, 3}};
    for (int i = 0; i < 12; ++i) {
        const Expect &e = i < 6 ? a[i] : b[i - 6];
        const unsigned char c = i < 6 ? 'A' : 'B';
        EXPECT_FLOAT_EQ(v[i].x, e.x) << i;
        EXPECT_FLOAT_EQ(v[i].y, e.y) << i;
        EXPECT_FLOAT_EQ(v[i].u, m_font->corners[c][e.corner].x) << i;
        EXPECT_FLOAT_EQ(v[i].v, m_font->corners[c][e.corner].y) << i;
        EXPECT_EQ(v[i].colour, red) << i;
    }
    EXPECT_FLOAT_EQ(v[1].u, 4.0f / 128);
    EXPECT_FLOAT_EQ(v[0].v, 57.0f / 64);
}

TEST_F(TextTest, NewlineSpaceAndMissingGlyphsAddNoVertices) {
    std::vector<Vertex2D> v(5 * 6);
    const unsigned n = m_font->BuildTextVertices(v.data(), CVector2(0, 0), 0, 2.0f, "A\n C", 4);
    ASSERT_EQ(n, 6u);
    // Only 'A' is drawn; at scale 2 its quad is 64 x 114.
    EXPECT_FLOAT_EQ(v[5].x, 64.0f);
    EXPECT_FLOAT_EQ(v[0].y, 114.0f);
    const unsigned second = m_font->BuildTextVertices(v.data(), CVector2(5, 0), 0, 1.0f, "A\nA", 3);
    ASSERT_EQ(second, 12u);
    EXPECT_FLOAT_EQ(v[7].x, 5.0f + 3.0f); // next line starts one spacing right of x
    EXPECT_FLOAT_EQ(v[7].y, 57.0f);
}

TEST_F(TextTest, LengthLimitsTheCharactersRead) {
    std::vector<Vertex2D> v(6);
    EXPECT_EQ(m_font->BuildTextVertices(v.data(), CVector2(0, 0), 0, 1.0f, "AAAA", 1), 6u);
}

} // namespace
