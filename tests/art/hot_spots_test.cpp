// The button scan over synthetic pictures: corners, runs, limits and edges.
#include <gtest/gtest.h>

#include <vector>

#include "scene/hot_spots.h"

namespace {

// An opaque RGBA store with blocks of alpha marks painted in.
struct Store {
    uint32_t imageWidth, imageHeight, storeWidth, storeHeight;
    std::vector<uint8_t> pixels;

    Store(uint32_t w, uint32_t h, uint32_t sw, uint32_t sh)
        : imageWidth(w), imageHeight(h), storeWidth(sw), storeHeight(sh),
          pixels(size_t(sw) * sh * 4, 0) {
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                SetAlpha(x, y, 255);
    }
    void SetAlpha(uint32_t x, uint32_t y, uint8_t a) {
        pixels[(size_t(y) * storeWidth + x) * 4 + 3] = a;
    }
    uint8_t Alpha(uint32_t x, uint32_t y) const {
        return pixels[(size_t(y) * storeWidth + x) * 4 + 3];
    }
    void Block(uint32_t x, uint32_t y, uint32_t w, uint32_t h, uint8_t a) {
        for (uint32_t j = y; j < y + h; ++j)
            for (uint32_t i = x; i < x + w; ++i)
                SetAlpha(i, j, a);
    }
    int Scan(float screenWidth, HotSpot out[kHotSpotCount]) {
        return FindHotSpotRects(pixels.data(), imageWidth, imageHeight, storeWidth, screenWidth,
                                out);
    }
};

void ExpectSpot(const HotSpot &s, float x, float y, float w, float h) {
    EXPECT_FLOAT_EQ(s.position.x, x);
    EXPECT_FLOAT_EQ(s.position.y, y);
    EXPECT_FLOAT_EQ(s.size.x, w);
    EXPECT_FLOAT_EQ(s.size.y, h);
}

struct BlockCase {
    const char *name;
    uint32_t x, y, w, h;
};

class SingleBlock : public testing::TestWithParam<BlockCase> {};

// A block anywhere in the picture, edges and corners included, gives its own
// rectangle: runs stop at the picture's border, never wrap into the next row.
TEST_P(SingleBlock, GivesItsRectangle) {
    const BlockCase &c = GetParam();
    Store s(40, 30, 64, 32);
    s.Block(c.x, c.y, c.w, c.h, 4);
    HotSpot out[kHotSpotCount];
    ASSERT_EQ(s.Scan(1024.0f, out), 1) << c.name;
    ExpectSpot(out[0], float(c.x), float(c.y), float(c.w), float(c.h));
}

INSTANTIATE_TEST_SUITE_P(
    Positions, SingleBlock,
    testing::Values(BlockCase{"middle", 10, 8, 6, 5}, BlockCase{"top-left", 0, 0, 3, 4},
                    BlockCase{"right edge", 35, 10, 5, 3}, BlockCase{"bottom edge", 12, 26, 4, 4},
                    BlockCase{"bottom-right", 37, 27, 3, 3}, BlockCase{"one pixel", 20, 15, 1, 1},
                    BlockCase{"full row", 0, 5, 40, 2}),
    [](const testing::TestParamInfo<BlockCase> &info) {
        std::string n = info.param.name;
        for (char &ch : n)
            if (ch == ' ' || ch == '-')
                ch = '_';
        return n;
    });

TEST(HotSpotScan, OrdersByRowThenColumnAndScales) {
    Store s(64, 48, 64, 64);
    s.Block(40, 4, 8, 6, 2);
    s.Block(4, 4, 6, 6, 3);
    s.Block(10, 20, 5, 7, 9);
    HotSpot out[kHotSpotCount];
    ASSERT_EQ(s.Scan(800.0f, out), 3);
    const float k = 0.78125f;
    ExpectSpot(out[0], 4 * k, 4 * k, 6 * k, 6 * k);
    ExpectSpot(out[1], 40 * k, 4 * k, 8 * k, 6 * k);
    ExpectSpot(out[2], 10 * k, 20 * k, 5 * k, 7 * k);
}

TEST(HotSpotScan, TopRowLengthAndLeftColumnGiveTheSize) {
    Store s(32, 32, 32, 32);
    s.Block(5, 5, 10, 1, 1); // long top row
    s.Block(5, 6, 4, 6, 1);  // shorter body
    HotSpot out[kHotSpotCount];
    ASSERT_EQ(s.Scan(1024.0f, out), 1);
    ExpectSpot(out[0], 5, 5, 10, 7);
}

TEST(HotSpotScan, TouchingBlocksNeedDifferentValues) {
    Store s(32, 16, 32, 16);
    s.Block(2, 2, 4, 4, 5);
    s.Block(6, 2, 4, 4, 6);  // touches on the right, other value: its own button
    s.Block(10, 2, 4, 4, 6); // continues the same value: part of the one before
    HotSpot out[kHotSpotCount];
    ASSERT_EQ(s.Scan(1024.0f, out), 2);
    ExpectSpot(out[0], 2, 2, 4, 4);
    ExpectSpot(out[1], 6, 2, 8, 4);
}

TEST(HotSpotScan, SameValueSeparatedByOpaquePixelsGivesTwo) {
    Store s(32, 16, 32, 16);
    s.Block(2, 2, 4, 4, 7);
    s.Block(7, 2, 4, 4, 7);
    HotSpot out[kHotSpotCount];
    ASSERT_EQ(s.Scan(1024.0f, out), 2);
    ExpectSpot(out[1], 7, 2, 4, 4);
}

TEST(HotSpotScan, ValuesOfTenAndAboveAreNotButtons) {
    Store s(16, 16, 16, 16);
    s.Block(2, 2, 4, 4, 10);
    s.Block(8, 8, 4, 4, 0); // zero is a mark
    HotSpot out[kHotSpotCount];
    ASSERT_EQ(s.Scan(1024.0f, out), 1);
    ExpectSpot(out[0], 8, 8, 4, 4);
}

TEST(HotSpotScan, StoresAtMostSevenAndClearsTheRest) {
    Store s(64, 8, 64, 8);
    for (uint32_t i = 0; i < 10; ++i)
        s.Block(2 + i * 6, 2, 3, 3, uint8_t(i % 10));
    HotSpot out[kHotSpotCount + 1];
    out[kHotSpotCount] = HotSpot{CVector2(-5, -5), CVector2(-5, -5)}; // guard past the end
    ASSERT_EQ(s.Scan(1024.0f, out), kHotSpotCount);
    ExpectSpot(out[6], 38, 2, 3, 3);
    ExpectSpot(out[kHotSpotCount], -5, -5, -5, -5);

    Store few(16, 16, 16, 16);
    few.Block(3, 3, 2, 2, 1);
    HotSpot cleared[kHotSpotCount];
    for (HotSpot &h : cleared)
        h = HotSpot{CVector2(9, 9), CVector2(9, 9)};
    ASSERT_EQ(few.Scan(1024.0f, cleared), 1);
    for (int i = 1; i < kHotSpotCount; ++i)
        ExpectSpot(cleared[i], 0, 0, 0, 0);
}

TEST(HotSpotScan, MakesThePictureOpaqueAndLeavesTheRestOfTheStore) {
    Store s(20, 10, 32, 16);
    s.Block(3, 3, 4, 4, 2);
    s.pixels[(3 * 32 + 3) * 4] = 77; // colour bytes stay
    s.SetAlpha(25, 2, 3);            // outside the picture, inside the store
    HotSpot out[kHotSpotCount];
    ASSERT_EQ(s.Scan(1024.0f, out), 1);
    for (uint32_t y = 0; y < 10; ++y)
        for (uint32_t x = 0; x < 20; ++x)
            ASSERT_EQ(s.Alpha(x, y), 255) << x << "," << y;
    EXPECT_EQ(s.pixels[(3 * 32 + 3) * 4], 77);
    EXPECT_EQ(s.Alpha(25, 2), 3);
    EXPECT_EQ(s.Alpha(0, 12), 0); // store rows below the picture untouched
    EXPECT_EQ(s.Scan(1024.0f, out), 0) << "a second scan finds nothing";
}

TEST(HotSpotScan, RefusesBadStoresWithoutTouchingThem) {
    HotSpot out[kHotSpotCount];
    for (HotSpot &h : out)
        h = HotSpot{CVector2(9, 9), CVector2(9, 9)};
    EXPECT_EQ(FindHotSpotRects(nullptr, 16, 16, 16, 1024.0f, out), 0);
    ExpectSpot(out[0], 0, 0, 0, 0);

    Store narrow(16, 4, 16, 4);
    narrow.Block(1, 1, 2, 2, 1);
    EXPECT_EQ(FindHotSpotRects(narrow.pixels.data(), 16, 4, 8, 1024.0f, out), 0);
    EXPECT_EQ(narrow.Alpha(1, 1), 1);

    EXPECT_EQ(FindHotSpotRects(narrow.pixels.data(), 0, 0, 16, 1024.0f, out), 0);
    EXPECT_EQ(FindHotSpotRects(narrow.pixels.data(), 16, 4, 16, 1024.0f, nullptr), 0);
}

} // namespace
