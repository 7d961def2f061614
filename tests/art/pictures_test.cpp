// Form of the embedded pictures: sizes, RGBA, and opacity where it is required.
#include <gtest/gtest.h>

#include "decoded_png.h"

namespace {

struct PictureCase {
    int id;
    uint32_t width, height;
    bool opaque; // every pixel alpha 255
};

class PictureForm : public testing::TestWithParam<PictureCase> {};

TEST_P(PictureForm, HasItsSizeAndAlpha) {
    const PictureCase &c = GetParam();
    DecodedPng png;
    ASSERT_TRUE(DecodeTextureResource(c.id, &png)) << "picture " << c.id;
    EXPECT_EQ(png.width, c.width);
    EXPECT_EQ(png.height, c.height);
    EXPECT_TRUE(png.hasAlphaChannel);
    if (!c.opaque)
        return;
    uint32_t translucent = 0;
    for (uint32_t y = 0; y < png.height; ++y)
        for (uint32_t x = 0; x < png.width; ++x)
            translucent += png.Alpha(x, y) != 255;
    EXPECT_EQ(translucent, 0u) << "picture " << c.id;
}

INSTANTIATE_TEST_SUITE_P(
    Embedded, PictureForm,
    testing::Values(PictureCase{101, 1024, 768, true}, PictureCase{102, 1024, 768, true},
                    PictureCase{103, 1024, 768, true}, PictureCase{104, 1024, 768, true},
                    PictureCase{105, 1024, 768, true}, PictureCase{106, 1024, 768, false},
                    PictureCase{108, 512, 512, false}));

// The intro pictures are shown over black: none may be (nearly) all black,
// and no two may be the same picture.
TEST(PictureContent, IntroPicturesAreDistinctAndNotBlank) {
    std::vector<std::vector<uint8_t>> seen;
    for (int id = 101; id <= 105; ++id) {
        DecodedPng png;
        ASSERT_TRUE(DecodeTextureResource(id, &png));
        uint64_t sum = 0;
        for (size_t i = 0; i < png.rgba.size(); i += 4)
            sum += png.rgba[i] + png.rgba[i + 1] + png.rgba[i + 2];
        EXPECT_GT(sum / (png.rgba.size() / 4), 40u) << "picture " << id << " is too dark";
        for (const std::vector<uint8_t> &other : seen)
            EXPECT_NE(other, png.rgba) << "picture " << id;
        seen.push_back(png.rgba);
    }
}

} // namespace
