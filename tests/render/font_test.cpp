#include "render/bitmap_font.h"
#include "render/texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// A font image in memory: a CTexture whose store is a vector of exactly
// 64 x storeHeight texels, so the address sanitizer catches any read outside.
class CFontImage {
  public:
    CFontImage(uint32_t width, uint32_t storeHeight) : m_store(size_t(64) * storeHeight * 4, 0) {
        m_texture.width = width;
        m_texture.height = m_texture.storeHeight = storeHeight;
        m_texture.storeWidth = 64;
        m_texture.bytesPerPixel = 4;
        m_texture.pixels = m_store.data();
    }
    ~CFontImage() { m_texture.pixels = nullptr; }
    // Columns x0..x1 of rows y0..y1 (inclusive, cut to the store) become opaque white.
    void Ink(uint32_t x0, uint32_t x1, uint32_t y0, uint32_t y1) {
        for (uint32_t y = y0; y <= std::min(y1, m_texture.storeHeight - 1); ++y)
            std::fill(m_store.begin() + (y * 64 + x0) * 4, m_store.begin() + (y * 64 + x1 + 1) * 4,
                      255);
    }
    CTexture *Texture() { return &m_texture; }

  private:
    std::vector<uint8_t> m_store;
    CTexture m_texture;
};

// Pictures are drawn in bands of 10 rows, '|' between bands, one character per
// column. Ink: '#' fills the column's band, a digit d only the band's row d.
// Glyphs: a run of one character is that character's cell.
struct FontCase {
    const char *name;
    const char *order;
    const char *ink;
    const char *glyphs;
    const char *missing = ""; // codes that must have no glyph
    uint32_t gapLimit = kNoGapLimit;
    float lineHeight = 10.0f;
    uint32_t width = 64, storeHeight = 32;
};

class BitmapFontTest : public ::testing::TestWithParam<FontCase> {};

TEST_P(BitmapFontTest, GlyphTableFollowsTheInk) {
    const FontCase &c = GetParam();
    CFontImage image(c.width, c.storeHeight);
    uint32_t band = 0, x = 0;
    for (const char *p = c.ink; *p; ++p, ++x) {
        if (*p == '|') {
            ++band;
            x = uint32_t(-1);
        } else if (*p == '#') {
            image.Ink(x, x, band * 10, band * 10 + 9);
        } else if (*p >= '0' && *p <= '9') {
            image.Ink(x, x, band * 10 + uint32_t(*p - '0'), band * 10 + uint32_t(*p - '0'));
        }
    }
    // The order string is held in exactly its own bytes: no reading past its NUL.
    std::vector<char> order;
    if (c.order)
        order.assign(c.order, c.order + std::char_traits<char>::length(c.order) + 1);
    const CBitmapFont font(image.Texture(), nullptr, c.order ? order.data() : nullptr, c.lineHeight,
                           3.0f, 8.0f, c.gapLimit);
    band = 0;
    x = 0;
    for (const char *p = c.glyphs; *p;) {
        if (*p == '|') {
            ++band;
            x = 0;
            ++p;
            continue;
        }
        const char *end = p;
        while (*end == *p)
            ++end;
        const unsigned char ch = static_cast<unsigned char>(*p);
        const float width = float(end - p), u0 = float(x) / 64, u1 = (float(x) + width) / 64;
        const float v0 = band * c.lineHeight / c.storeHeight;
        const float v1 = (band + 1) * c.lineHeight / c.storeHeight;
        x += uint32_t(end - p);
        p = end;
        if (ch == ' ')
            continue;
        SCOPED_TRACE(std::string("glyph ") + char(ch));
        ASSERT_TRUE(font.HasGlyph(ch));
        EXPECT_FLOAT_EQ(font.widths[ch], width);
        EXPECT_FLOAT_EQ(font.origins[ch].x, u0);
        EXPECT_FLOAT_EQ(font.origins[ch].y, v0);
        // Bottom-left, top-left, bottom-right, top-right.
        const float corners[4][2] = {{u0, v1}, {u0, v0}, {u1, v1}, {u1, v0}};
        for (int k = 0; k < 4; ++k) {
            EXPECT_FLOAT_EQ(font.corners[ch][k].x, corners[k][0]) << "corner " << k;
            EXPECT_FLOAT_EQ(font.corners[ch][k].y, corners[k][1]) << "corner " << k;
        }
    }
    for (const char *p = c.missing; *p; ++p) {
        const unsigned char ch = static_cast<unsigned char>(*p);
        EXPECT_FALSE(font.HasGlyph(ch)) << "'" << *p << "'";
        EXPECT_EQ(font.widths[ch], 0.0f);
        EXPECT_EQ(font.origins[ch].y, -1.0f);
    }
    EXPECT_FALSE(font.HasGlyph(0));
}

const FontCase kFontCases[] = {
    {"one_row_of_ink_is_enough", "AB\nC", "  9999  000|   5555", "  AAAA  BBB|   CCCC", "\n D"},
    {"later_bands_start_at_column_1", "A\nB", "####|####", "AAAA| BBB"},
    {"band_short_of_glyphs_stops_the_scan", "ABC\nD", "  ####  ###|   ####", "  AAAA  BBB", "CD"},
    // The newline takes effect before the real B.
    {"transparent_gap_splits_a_glyph", "AB\nC", "  ## ##   ###|   ####", "  AA BB|   CCCC"},
    // With gap limit 4 after A's end at column 5.
    {"gap_at_limit", "AB\nC", "  ###    #| ###", "  AAA    B| CCC", "", 4},
    {"gap_beyond_limit", "AB\nC", "  ###          ###| ###", "  AAA", "BC", 4},
    {"glyph_cut_at_the_limit", "AB\nC", "  ###  ######| ###", "  AAA  BBB| CCC", "", 4},
    {"gap_limit_from_the_band_start", "A", "      ###", "", "A", 4},
    {"no_gap_limit", "AB", "  ###               ####", "  AAA               BBBB"},
    {"repeated_character_keeps_the_later_glyph", "ABA", "  ##  ###  #####", "      BBB  AAAAA"},
    {"glyph_open_at_the_right_edge", "AB", "  ####  ##", "  AAAA", "B", kNoGapLimit, 10, 10},
    {"columns_right_of_the_image", "AB", "  ####   ##", "  AAAA", "B", kNoGapLimit, 10, 9},
    // Band 1 reaches past a store 16 rows high.
    {"rows_below_the_store", "A\nB", "  ####|   55", "  AAAA|   BB", "", kNoGapLimit, 10, 64, 16},
    {"trailing_newline", "A\n", "  ####|   ####", "  AAAA"},
    // Band 1 starts at row trunc(10.5) = 10; origins use 10.5 itself.
    {"fractional_line_height", "A\nB", "  ####|  0000", "  AAAA|  BBBB", "", kNoGapLimit, 10.5f},
    {"codes_above_127", "\xA3\xFF", "  #### ##", "  \xA3\xA3\xA3\xA3 \xFF\xFF"},
    {"no_ink", "A", "", "", "A"},
    {"empty_order", "", "  ####", "", "A"},
    {"null_order", nullptr, "  ####", "", "A"},
    {"zero_line_height", "A", "  ####", "", "A", kNoGapLimit, 0.0f},
};

INSTANTIATE_TEST_SUITE_P(Cases, BitmapFontTest, ::testing::ValuesIn(kFontCases),
                         [](const ::testing::TestParamInfo<FontCase> &info) {
                             return std::string(info.param.name);
                         });

// A font with the proportions of the program's own: 'A' 32 wide, 'B' 20 wide,
// line height 57, spacing 3, space width 32. Code 'C' has no glyph.
class TextTest : public ::testing::Test {
  protected:
    TextTest() : m_image(64, 64) {
        m_image.Ink(4, 35, 0, 56);
        m_image.Ink(40, 59, 0, 56);
        m_font.reset(
            new CBitmapFont(m_image.Texture(), nullptr, "AB", 57.0f, 3.0f, 32.0f, kNoGapLimit));
    }
    CFontImage m_image;
    std::unique_ptr<CBitmapFont> m_font;
};

TEST_F(TextTest, SizeIsTheWidestLineAndTheLastLineTop) {
    const struct {
        const char *text;
        float scale, width, height;
    } cases[] = {{"A", 1, 35, 57},   {"A A", 1, 105, 57},    {"A\nA", 1, 38, 57},
                 {"A", 2, 70, 114},  {"A\n\nA", 1, 38, 114}, {"AB\nA", 1, 58, 57},
                 {"ACA", 1, 73, 57}, {"", 1, 0, 57},         {nullptr, 3, 0, 171}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text ? c.text : "null");
        CVector2 out(-1.0f, -1.0f);
        const CVector2 size = m_font->Measure(out, c.scale, c.text);
        EXPECT_FLOAT_EQ(size.x, c.width);
        EXPECT_FLOAT_EQ(size.y, c.height);
        EXPECT_EQ(out.x, size.x);
        EXPECT_EQ(out.y, size.y);
    }
    CVector2 size;
    m_font->MeasureF(size, 1.0f, "%s", std::string(3000, 'A').c_str()); // cut to 2047
    EXPECT_FLOAT_EQ(size.x, 2047.0f * 35.0f);
}

} // namespace
