#include "render/bitmap_font.h"
#include "render/font_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Band height of the synthetic images (pixels).
constexpr float kH = 10.0f;

// The order string lives in a vector of exactly its length + 1, so a read
// past its NUL is caught by the address sanitizer.
struct Order {
    explicit Order(const char *s) : bytes(s, s + std::char_traits<char>::length(s) + 1) {}
    const char *c_str() const { return bytes.data(); }
    std::vector<char> bytes;
};

struct Glyph {
    char ch;
    float u; // pixel column of the cell's left edge
    float band;
    float width;
};

void ExpectGlyph(const CBitmapFont &font, const Glyph &g, float storeW, float storeH) {
    const unsigned char c = static_cast<unsigned char>(g.ch);
    ASSERT_TRUE(font.HasGlyph(c)) << "'" << g.ch << "'";
    EXPECT_FLOAT_EQ(font.origins[c].x, g.u / storeW) << "'" << g.ch << "'";
    EXPECT_FLOAT_EQ(font.origins[c].y, g.band * kH / storeH) << "'" << g.ch << "'";
    EXPECT_FLOAT_EQ(font.widths[c], g.width) << "'" << g.ch << "'";
}

void ExpectMissing(const CBitmapFont &font, const char *chars) {
    for (const char *p = chars; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        EXPECT_FALSE(font.HasGlyph(c)) << "'" << *p << "'";
        EXPECT_EQ(font.widths[c], 0.0f);
        EXPECT_EQ(font.origins[c].x, -1.0f);
        EXPECT_EQ(font.origins[c].y, -1.0f);
    }
}

CBitmapFont MakeFont(CFontImage &image, const char *order, uint32_t gapLimit = kNoGapLimit) {
    Order o(order);
    return CBitmapFont(image.Texture(), nullptr, o.c_str(), kH, 3.0f, 8.0f, gapLimit);
}

TEST(BitmapFont, NormalBandsGiveEachCharacterItsRun) {
    CFontImage image(64, 32, 64, 32);
    image.Ink(2, 5, 3, 9);   // A: ink need not reach the band top
    image.Ink(8, 10, 0, 0);  // B: one row is enough
    image.Ink(3, 6, 12, 18); // C in band 1
    CBitmapFont font(image.Texture(), nullptr, Order("AB\nC").c_str(), kH, 3.0f, 8.0f, kNoGapLimit);
    ExpectGlyph(font, {'A', 2, 0, 4}, 64, 32);
    ExpectGlyph(font, {'B', 8, 0, 3}, 64, 32);
    ExpectGlyph(font, {'C', 3, 1, 4}, 64, 32);
    ExpectMissing(font, "\n D");
    EXPECT_FLOAT_EQ(font.texelSize.x, 1.0f / 64);
    EXPECT_FLOAT_EQ(font.texelSize.y, 1.0f / 32);
    EXPECT_EQ(font.texture, image.Texture());
    EXPECT_EQ(font.lineHeight, kH);
    EXPECT_EQ(font.spacing, 3.0f);
    EXPECT_EQ(font.spaceWidth, 8.0f);
}

TEST(BitmapFont, CornersAreBottomLeftTopLeftBottomRightTopRight) {
    CFontImage image(64, 32, 64, 32);
    image.Ink(2, 5, 0, 9);
    image.Ink(8, 10, 0, 9);
    image.Ink(3, 6, 10, 19);
    CBitmapFont font = MakeFont(image, "AB\nC");
    const unsigned char c = 'C';
    const float u0 = 3.0f / 64, u1 = 7.0f / 64, v0 = 10.0f / 32, v1 = 20.0f / 32;
    const float expect[4][2] = {{u0, v1}, {u0, v0}, {u1, v1}, {u1, v0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(font.corners[c][i].x, expect[i][0]) << i;
        EXPECT_FLOAT_EQ(font.corners[c][i].y, expect[i][1]) << i;
    }
}

TEST(BitmapFont, ColumnZeroOfLaterBandsIsNeverExamined) {
    CFontImage image(64, 32, 64, 32);
    image.Ink(0, 3, 0, 9);   // A at column 0 of band 0 is found
    image.Ink(0, 3, 10, 19); // B from column 0 of band 1 is seen from column 1
    CBitmapFont font = MakeFont(image, "A\nB");
    ExpectGlyph(font, {'A', 0, 0, 4}, 64, 32);
    ExpectGlyph(font, {'B', 1, 1, 3}, 64, 32);
}

TEST(BitmapFont, TouchingGlyphsMergeAndShiftTheLine) {
    CFontImage image(64, 32, 64, 32);
    image.Ink(2, 5, 0, 9);
    image.Ink(6, 8, 0, 9); // touches A
    image.Ink(12, 14, 0, 9);
    image.Ink(3, 6, 10, 19);
    CBitmapFont font = MakeFont(image, "ABC\nD");
    ExpectGlyph(font, {'A', 2, 0, 7}, 64, 32);  // the merged run
    ExpectGlyph(font, {'B', 12, 0, 3}, 64, 32); // the glyph drawn for C
    ExpectMissing(font, "CD");                  // the scan ends at the right edge
}

TEST(BitmapFont, BandWithFewerGlyphsThanItsLineStopsTheScan) {
    CFontImage image(64, 32, 64, 32);
    image.Ink(2, 5, 0, 9);
    image.Ink(8, 10, 0, 9);
    image.Ink(3, 6, 10, 19);
    CBitmapFont font = MakeFont(image, "ABC\nD");
    ExpectGlyph(font, {'A', 2, 0, 4}, 64, 32);
    ExpectGlyph(font, {'B', 8, 0, 3}, 64, 32);
    ExpectMissing(font, "CD");
}

TEST(BitmapFont, TransparentGapSplitsAGlyphIntoTwoRuns) {
    CFontImage image(64, 32, 64, 32);
    image.Ink(2, 3, 0, 9); // A drawn as two strokes
    image.Ink(5, 6, 0, 9);
    image.Ink(10, 12, 0, 9); // B, never reached: the newline takes effect first
    image.Ink(3, 6, 10, 19);
    CBitmapFont font = MakeFont(image, "AB\nC");
    ExpectGlyph(font, {'A', 2, 0, 2}, 64, 32);
    ExpectGlyph(font, {'B', 5, 0, 2}, 64, 32);
    ExpectGlyph(font, {'C', 3, 1, 4}, 64, 32);
}

struct GapCase {
    const char *name;
    uint32_t gapLimit;
    uint32_t bStart, bEnd; // B's inked columns
    bool bFound;
    float bWidth;
    bool cFound;
};

class BitmapFontGap : public ::testing::TestWithParam<GapCase> {};

TEST_P(BitmapFontGap, GapLimitBoundsWhereAGlyphStartsOrContinues) {
    const GapCase &g = GetParam();
    CFontImage image(64, 32, 64, 32);
    image.Ink(2, 4, 0, 9); // A ends at column 5
    image.Ink(g.bStart, g.bEnd, 0, 9);
    image.Ink(1, 3, 10, 19); // C, within the limit from the band start
    CBitmapFont font = MakeFont(image, "AB\nC", g.gapLimit);
    ExpectGlyph(font, {'A', 2, 0, 3}, 64, 32);
    if (g.bFound)
        ExpectGlyph(font, {'B', float(g.bStart), 0, g.bWidth}, 64, 32);
    else
        ExpectMissing(font, "B");
    if (g.cFound)
        ExpectGlyph(font, {'C', 1, 1, 3}, 64, 32);
    else
        ExpectMissing(font, "C");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BitmapFontGap,
    ::testing::Values(GapCase{"within", 4, 8, 9, true, 2, true},
                      GapCase{"at_limit", 4, 9, 9, true, 1, true},
                      GapCase{"too_far", 4, 20, 22, false, 0, false},
                      GapCase{"continues_past_limit", 4, 7, 12, true, 3, true},
                      GapCase{"no_limit", kNoGapLimit, 40, 50, true, 11, true}),
    [](const ::testing::TestParamInfo<GapCase> &info) { return std::string(info.param.name); });

TEST(BitmapFont, GapLimitAlsoAppliesToTheFirstGlyph) {
    CFontImage image(64, 32, 64, 32);
    image.Ink(6, 8, 0, 9); // 6 columns from the band start
    CBitmapFont font = MakeFont(image, "A", 4);
    ExpectMissing(font, "A");
}

TEST(BitmapFont, RepeatedCharacterKeepsTheLaterGlyph) {
    CFontImage image(64, 32, 64, 32);
    image.Ink(2, 3, 0, 9);
    image.Ink(6, 8, 0, 9);
    image.Ink(11, 15, 0, 9);
    CBitmapFont font = MakeFont(image, "ABA");
    ExpectGlyph(font, {'A', 11, 0, 5}, 64, 32);
    ExpectGlyph(font, {'B', 6, 0, 3}, 64, 32);
}

TEST(BitmapFont, CharacterMissingFromTheImageStaysMissing) {
    CFontImage image(64, 32, 64, 32);
    image.Ink(2, 5, 0, 9);
    CBitmapFont font = MakeFont(image, "AB");
    ExpectGlyph(font, {'A', 2, 0, 4}, 64, 32);
    ExpectMissing(font, "B");
}

TEST(BitmapFont, GlyphOpenAtTheRightEdgeGetsNothing) {
    CFontImage image(64, 32, 64, 32);
    image.Ink(2, 5, 0, 9);
    image.Ink(60, 63, 0, 9);
    CBitmapFont font = MakeFont(image, "AB");
    ExpectGlyph(font, {'A', 2, 0, 4}, 64, 32);
    ExpectMissing(font, "B");
}

TEST(BitmapFont, ColumnsRightOfTheImageWidthAreNotScanned) {
    CFontImage image(40, 32, 64, 32); // image narrower than its store
    image.Ink(2, 5, 0, 9);
    image.Ink(45, 50, 0, 9);
    CBitmapFont font = MakeFont(image, "AB");
    ExpectMissing(font, "B");
}

TEST(BitmapFont, RowsBelowTheStoreReadAsTransparent) {
    // Band 1 covers rows 10-19 of a store 16 rows high.
    CFontImage image(32, 16, 32, 16);
    image.Ink(2, 5, 0, 9);
    image.Ink(3, 4, 15, 15); // the store's last row
    CBitmapFont font = MakeFont(image, "A\nB");
    ExpectGlyph(font, {'A', 2, 0, 4}, 32, 16);
    ExpectGlyph(font, {'B', 3, 1, 2}, 32, 16);
    const unsigned char b = 'B';
    EXPECT_FLOAT_EQ(font.corners[b][0].y, 20.0f / 16); // cells reach past the store
}

TEST(BitmapFont, TrailingNewlineReadsNothingPastTheString) {
    CFontImage image(64, 32, 64, 32);
    image.Ink(2, 5, 0, 9);
    image.Ink(3, 6, 10, 19); // a run in band 1 with no character for it
    CBitmapFont font = MakeFont(image, "A\n");
    ExpectGlyph(font, {'A', 2, 0, 4}, 64, 32);
    EXPECT_FALSE(font.HasGlyph(0));
}

TEST(BitmapFont, BandTopsTruncateAFractionalLineHeightButOriginsDoNot) {
    CFontImage image(64, 32, 64, 32);
    image.Ink(2, 5, 0, 9);
    image.Ink(20, 23, 10, 10); // row 10: inside band 1 only when it starts at trunc(10.5)
    CBitmapFont font(image.Texture(), nullptr, Order("A\nB").c_str(), 10.5f, 1.0f, 4.0f,
                     kNoGapLimit);
    const unsigned char b = 'B';
    ASSERT_TRUE(font.HasGlyph(b));
    EXPECT_FLOAT_EQ(font.origins[b].y, 10.5f / 32);
    EXPECT_FLOAT_EQ(font.corners[b][0].y, 21.0f / 32);
}

TEST(BitmapFont, EmptyAndDegenerateInputsGiveAnEmptyFont) {
    CFontImage image(64, 32, 64, 32);
    image.Ink(2, 5, 0, 9);
    const CBitmapFont noInk(CFontImage(64, 32, 64, 32).Texture(), nullptr, "A", kH, 1, 1,
                            kNoGapLimit);
    ExpectMissing(noInk, "A");
    const CBitmapFont emptyOrder = MakeFont(image, "");
    ExpectMissing(emptyOrder, "A");
    const CBitmapFont zeroHeight(image.Texture(), nullptr, "A", 0.0f, 1, 1, kNoGapLimit);
    ExpectMissing(zeroHeight, "A");
    const CBitmapFont nullOrder(image.Texture(), nullptr, nullptr, kH, 1, 1, kNoGapLimit);
    ExpectMissing(nullOrder, "A");
    const CBitmapFont noTexture(nullptr, nullptr, "A", kH, 1, 1, kNoGapLimit);
    ExpectMissing(noTexture, "A");
}

TEST(BitmapFont, DrawingTextureReplacesTheImageAfterTheScan) {
    CFontImage image(64, 32, 64, 32);
    CFontImage drawing(8, 8, 8, 8); // blank: scanning it would find nothing
    image.Ink(2, 5, 0, 9);
    CBitmapFont font(image.Texture(), drawing.Texture(), "A", kH, 1, 1, kNoGapLimit);
    EXPECT_EQ(font.texture, drawing.Texture());
    ExpectGlyph(font, {'A', 2, 0, 4}, 64, 32);
    EXPECT_FLOAT_EQ(font.texelSize.x, 1.0f / 64);
}

TEST(BitmapFont, CodesAbove127AreTableEntries) {
    CFontImage image(64, 32, 64, 32);
    image.Ink(2, 5, 0, 9);
    image.Ink(8, 9, 0, 9);
    CBitmapFont font = MakeFont(image, "\xA3\xFF");
    ExpectGlyph(font, {'\xA3', 2, 0, 4}, 64, 32);
    ExpectGlyph(font, {'\xFF', 8, 0, 2}, 64, 32);
}

} // namespace
