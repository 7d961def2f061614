// The button scan over synthetic pictures: corners, runs, limits and edges.
#include <gtest/gtest.h>

#include <vector>

#include "scene/hot_spots.h"

namespace {

struct Block {
    uint32_t x, y, w, h;
    uint8_t alpha;
};

struct Rect {
    float x, y, w, h;
};

// An opaque 40x30 picture in a 64x32 RGBA store, with blocks of alpha marks painted in.
constexpr uint32_t kWidth = 40, kHeight = 30, kStoreWidth = 64;

std::vector<uint8_t> Store(const std::vector<Block> &blocks) {
    std::vector<uint8_t> pixels(kStoreWidth * 32 * 4, 0);
    std::vector<Block> all{{0, 0, kWidth, kHeight, 255}};
    all.insert(all.end(), blocks.begin(), blocks.end());
    for (const Block &b : all)
        for (uint32_t y = b.y; y < b.y + b.h; ++y)
            for (uint32_t x = b.x; x < b.x + b.w; ++x)
                pixels[(y * kStoreWidth + x) * 4 + 3] = b.alpha;
    return pixels;
}

uint8_t Alpha(const std::vector<uint8_t> &pixels, uint32_t x, uint32_t y) {
    return pixels[(y * kStoreWidth + x) * 4 + 3];
}

void ExpectSpot(const HotSpot &s, const Rect &r) {
    EXPECT_FLOAT_EQ(s.position.x, r.x);
    EXPECT_FLOAT_EQ(s.position.y, r.y);
    EXPECT_FLOAT_EQ(s.size.x, r.w);
    EXPECT_FLOAT_EQ(s.size.y, r.h);
}

TEST(HotSpotScan, FindsTheMarkedRectanglesAndMakesThePictureOpaque) {
    const struct {
        const char *name;
        std::vector<Block> blocks;
        float screenWidth;
        std::vector<Rect> expected; // at 1024
    } cases[] = {
        {"top-left corner", {{0, 0, 3, 4, 4}}, 1024, {{0, 0, 3, 4}}},
        {"bottom-right corner", {{37, 27, 3, 3, 4}}, 1024, {{37, 27, 3, 3}}},
        {"one pixel", {{20, 15, 1, 1, 4}}, 1024, {{20, 15, 1, 1}}},
        {"full row does not wrap", {{0, 5, 40, 2, 4}}, 1024, {{0, 5, 40, 2}}},
        {"L shape: top row, left column", {{5, 5, 9, 1, 1}, {5, 6, 4, 6, 1}}, 1024, {{5, 5, 9, 7}}},
        {"new value",
         {{1, 1, 2, 2, 5}, {3, 1, 2, 2, 6}, {5, 1, 2, 2, 6}},
         1024,
         {{1, 1, 2, 2}, {3, 1, 4, 2}}},
        {"apart", {{2, 2, 2, 2, 7}, {5, 2, 2, 2, 7}}, 1024, {{2, 2, 2, 2}, {5, 2, 2, 2}}},
        {"10 and up are no marks, 0 is", {{2, 2, 4, 4, 10}, {8, 8, 4, 4, 0}}, 1024, {{8, 8, 4, 4}}},
        {"row then column, at 800",
         {{25, 4, 8, 6, 2}, {4, 4, 6, 6, 3}, {10, 20, 5, 7, 9}},
         800,
         {{4, 4, 6, 6}, {25, 4, 8, 6}, {10, 20, 5, 7}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> pixels = Store(c.blocks);
        HotSpot out[kHotSpotCount];
        for (HotSpot &h : out)
            h = HotSpot{CVector2(9, 9), CVector2(9, 9)};
        ASSERT_EQ(FindHotSpotRects(pixels.data(), kWidth, kHeight, kStoreWidth, c.screenWidth, out),
                  int(c.expected.size()));
        const float k = c.screenWidth / 1024.0f;
        for (size_t i = 0; i < kHotSpotCount; ++i) {
            const Rect e = i < c.expected.size() ? c.expected[i] : Rect{0, 0, 0, 0};
            ExpectSpot(out[i], {e.x * k, e.y * k, e.w * k, e.h * k});
        }
        for (uint32_t y = 0; y < kHeight; ++y)
            for (uint32_t x = 0; x < kWidth; ++x)
                ASSERT_EQ(Alpha(pixels, x, y), 255) << x << "," << y;
        EXPECT_EQ(Alpha(pixels, 50, 2), 0) << "the store right of the picture is left alone";
        EXPECT_EQ(Alpha(pixels, 0, 31), 0) << "the store below the picture is left alone";
    }
}

TEST(HotSpotScan, StoresNoMoreThanSeven) {
    std::vector<Block> ten;
    for (uint32_t i = 0; i < 10; ++i)
        ten.push_back({1 + i * 4, 2, 3, 3, uint8_t(i)});
    std::vector<uint8_t> pixels = Store(ten);
    HotSpot out[kHotSpotCount + 1];
    out[kHotSpotCount] = HotSpot{CVector2(-5, -5), CVector2(-5, -5)}; // guard past the end
    ASSERT_EQ(FindHotSpotRects(pixels.data(), kWidth, kHeight, kStoreWidth, 1024, out),
              kHotSpotCount);
    ExpectSpot(out[6], {25, 2, 3, 3});
    ExpectSpot(out[kHotSpotCount], {-5, -5, -5, -5});
}

TEST(HotSpotScan, RefusesBadStoresWithoutTouchingThem) {
    HotSpot out[kHotSpotCount];
    out[0] = HotSpot{CVector2(9, 9), CVector2(9, 9)};
    EXPECT_EQ(FindHotSpotRects(nullptr, 16, 16, 16, 1024, out), 0);
    ExpectSpot(out[0], {0, 0, 0, 0});

    std::vector<uint8_t> pixels = Store({{1, 1, 2, 2, 1}});
    EXPECT_EQ(FindHotSpotRects(pixels.data(), kWidth, kHeight, 32, 1024, out), 0) << "narrow";
    EXPECT_EQ(Alpha(pixels, 1, 1), 1);
    EXPECT_EQ(FindHotSpotRects(pixels.data(), 0, 0, kStoreWidth, 1024, out), 0);
    EXPECT_EQ(FindHotSpotRects(pixels.data(), kWidth, kHeight, kStoreWidth, 1024, nullptr), 0);
}

} // namespace
