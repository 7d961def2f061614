#include "render/packed_colour.h"
#include "render/png_colour_types.h"
#include "render/png_writer.h"
#include "render/render_device.h"
#include "render/render_internal.h"
#include "render/texture.h"
#include "support/gl_context.h"

#include "memory/memory_tracker.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

// Textures generate GL names, so every test here runs with a real context.
class TextureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_gl.Ok()) << m_gl.Error();
        InitRenderDevice(m_gl.Width(), m_gl.Height());
        ForgetLastBoundTexture();
    }
    void TearDown() override { ShutdownRenderDevice(); }
    CTestGLContext m_gl{64, 64};
};

uint32_t Texel(const CTexture &t, uint32_t x, uint32_t y) {
    const uint8_t *p = t.pixels + (size_t(y) * t.storeWidth + x) * 4;
    return MakePackedColour(p[0], p[1], p[2], p[3]);
}

std::unique_ptr<CTexture> Decode(const std::vector<uint8_t> &png) {
    return std::unique_ptr<CTexture>(DecodePngTexture(png.data(), int(png.size())));
}

// ---- Allocate -------------------------------------------------------------

struct AllocCase {
    uint32_t width, height, storeWidth, storeHeight;
};

class AllocateTest : public TextureTest, public ::testing::WithParamInterface<AllocCase> {};

TEST_P(AllocateTest, StoreIsPowerOfTwoAndZeroed) {
    const AllocCase &c = GetParam();
    CTexture t;
    ASSERT_TRUE(t.Allocate(1, c.width, c.height));
    EXPECT_EQ(t.width, c.width);
    EXPECT_EQ(t.height, c.height);
    EXPECT_EQ(t.storeWidth, c.storeWidth);
    EXPECT_EQ(t.storeHeight, c.storeHeight);
    EXPECT_EQ(t.bytesPerPixel, 4);
    EXPECT_EQ(t.format, 0x1908);
    EXPECT_NE(t.name, 0u);
    ASSERT_NE(t.pixels, nullptr);
    EXPECT_EQ(t.pixels, t.allocation);
    const size_t bytes = size_t(c.storeWidth) * c.storeHeight * 4;
    size_t nonZero = 0;
    for (size_t i = 0; i < bytes; ++i)
        nonZero += t.pixels[i] != 0;
    EXPECT_EQ(nonZero, 0u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, AllocateTest,
                         ::testing::Values(AllocCase{1024, 768, 1024, 1024},
                                           AllocCase{512, 512, 512, 512}, AllocCase{3, 1, 4, 1},
                                           AllocCase{0, 0, 1, 1}, AllocCase{1, 1, 1, 1},
                                           AllocCase{5, 129, 8, 256}));

TEST_F(TextureTest, AllocateRefusesOtherKindsAndAbsurdSizes) {
    CTexture t;
    EXPECT_FALSE(t.Allocate(2, 4, 4));
    EXPECT_EQ(t.allocation, nullptr);
    EXPECT_EQ(t.name, 0u);
    EXPECT_EQ(t.storeWidth, 1u);
    EXPECT_EQ(t.width, 4u);
    EXPECT_FALSE(t.Allocate(1, 0x80000001u, 1));
    EXPECT_EQ(t.allocation, nullptr);
}

TEST_F(TextureTest, ReleasePixelsFreesTheStoreButKeepsTheName) {
    const uint32_t before = GetLiveUnitCount();
    auto *t = new CTexture;
    ASSERT_TRUE(t->Allocate(1, 16, 16));
    const uint32_t name = t->name;
    t->ReleasePixels();
    EXPECT_EQ(t->allocation, nullptr);
    EXPECT_EQ(t->pixels, nullptr);
    EXPECT_EQ(t->name, name);
    delete t;
    EXPECT_EQ(GetLiveUnitCount(), before);
}

// ---- Upload cache ---------------------------------------------------------

TEST_F(TextureTest, BindingTheSameTextureTwiceUploadsOnce) {
    CTexture a;
    ASSERT_TRUE(a.Allocate(1, 4, 4));
    const uint32_t before = GetTextureUploadCount();
    a.Bind();
    a.Bind();
    EXPECT_EQ(GetTextureUploadCount() - before, 1u);
    EXPECT_EQ(GetLastBoundTexture(), &a);
}

TEST_F(TextureTest, AlternatingTexturesUploadEveryTime) {
    CTexture a, b;
    ASSERT_TRUE(a.Allocate(1, 4, 4));
    ASSERT_TRUE(b.Allocate(1, 4, 4));
    const uint32_t before = GetTextureUploadCount();
    a.Bind();
    b.Bind();
    a.Bind();
    EXPECT_EQ(GetTextureUploadCount() - before, 3u);
}

TEST_F(TextureTest, ReleasingOrDestroyingTheLastBoundClearsTheCache) {
    CTexture a;
    ASSERT_TRUE(a.Allocate(1, 4, 4));
    a.Bind();
    a.ReleasePixels();
    EXPECT_EQ(GetLastBoundTexture(), nullptr);

    // A texture built where the last-bound one lived must still upload.
    alignas(CTexture) unsigned char slot[sizeof(CTexture)];
    CTexture *first = new (slot) CTexture;
    ASSERT_TRUE(first->Allocate(1, 4, 4));
    first->Bind();
    first->~CTexture();
    EXPECT_EQ(GetLastBoundTexture(), nullptr);
    CTexture *second = new (slot) CTexture;
    ASSERT_TRUE(second->Allocate(1, 4, 4));
    const uint32_t before = GetTextureUploadCount();
    second->Bind();
    EXPECT_EQ(GetTextureUploadCount() - before, 1u);
    second->~CTexture();
}

TEST_F(TextureTest, DestroyingAnotherTextureKeepsTheCache) {
    CTexture a;
    ASSERT_TRUE(a.Allocate(1, 4, 4));
    {
        CTexture b;
        ASSERT_TRUE(b.Allocate(1, 4, 4));
        a.Bind();
    }
    EXPECT_EQ(GetLastBoundTexture(), &a);
}

// ---- PNG decoding ---------------------------------------------------------

struct Expected {
    uint32_t x, y, rgba;
};

struct DecodeCase {
    const char *name;
    PngPicture picture;
    uint32_t storeWidth, storeHeight;
    std::vector<Expected> texels;
};

class PngDecodeTest : public TextureTest, public ::testing::WithParamInterface<DecodeCase> {};

TEST_P(PngDecodeTest, TexelsFollowTheColourTypeTable) {
    const DecodeCase &c = GetParam();
    auto t = Decode(EncodePng(c.picture));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->width, c.picture.width);
    EXPECT_EQ(t->height, c.picture.height);
    EXPECT_EQ(t->storeWidth, c.storeWidth);
    EXPECT_EQ(t->storeHeight, c.storeHeight);
    for (const Expected &e : c.texels)
        EXPECT_EQ(Texel(*t, e.x, e.y), e.rgba)
            << "texel " << e.x << "," << e.y << std::hex << " got " << Texel(*t, e.x, e.y);
}

PngPicture Pic(int type, int depth, uint32_t w, uint32_t h, std::vector<uint16_t> samples,
               std::vector<uint8_t> palette = {}, std::vector<uint8_t> trns = {}) {
    PngPicture p;
    p.colourType = type;
    p.bitDepth = depth;
    p.width = w;
    p.height = h;
    p.samples = std::move(samples);
    p.palette = std::move(palette);
    p.trns = std::move(trns);
    return p;
}

constexpr uint32_t RGBA(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return MakePackedColour(r, g, b, a);
}

const DecodeCase kDecodeCases[] = {
    {"gray8",
     Pic(PNG_COLOR_TYPE_GRAY, 8, 3, 1, {0, 1, 200}),
     4,
     1,
     {{0, 0, RGBA(0, 0, 0, 0)},
      {1, 0, RGBA(1, 1, 1, 255)},
      {2, 0, RGBA(200, 200, 200, 255)},
      {3, 0, 0}}},
    {"gray16",
     Pic(PNG_COLOR_TYPE_GRAY, 16, 3, 1, {0x0000, 0x0080, 0xFF00}),
     4,
     1,
     {{0, 0, 0}, {1, 0, 0}, {2, 0, RGBA(255, 255, 255, 255)}}},
    {"gray4",
     Pic(PNG_COLOR_TYPE_GRAY, 4, 3, 1, {0, 1, 15}),
     4,
     1,
     {{0, 0, 0}, {1, 0, RGBA(17, 17, 17, 255)}, {2, 0, RGBA(255, 255, 255, 255)}}},
    {"gray8_key",
     Pic(PNG_COLOR_TYPE_GRAY, 8, 2, 1, {9, 200}, {}, {0, 200}),
     2,
     1,
     {{0, 0, RGBA(9, 9, 9, 255)}, {1, 0, RGBA(200, 200, 200, 255)}}},
    {"rgb8",
     Pic(PNG_COLOR_TYPE_RGB, 8, 3, 2,
         {0, 0, 0, 0, 0, 1, 10, 20, 30, 255, 0, 0, 0, 255, 0, 0, 0, 0}),
     4,
     2,
     {{0, 0, RGBA(0, 0, 0, 0)},
      {1, 0, RGBA(0, 0, 1, 255)},
      {2, 0, RGBA(10, 20, 30, 255)},
      {0, 1, RGBA(255, 0, 0, 255)},
      {1, 1, RGBA(0, 255, 0, 255)},
      {2, 1, 0}}},
    {"rgb16",
     Pic(PNG_COLOR_TYPE_RGB, 16, 1, 1, {0x1234, 0x5678, 0x9ABC}),
     1,
     1,
     {{0, 0, RGBA(0x12, 0x56, 0x9A, 255)}}},
    {"palette4",
     Pic(PNG_COLOR_TYPE_PALETTE, 4, 3, 1, {0, 1, 2}, {0, 0, 0, 255, 0, 0, 1, 2, 3}),
     4,
     1,
     {{0, 0, 0}, {1, 0, RGBA(255, 0, 0, 255)}, {2, 0, RGBA(1, 2, 3, 255)}}},
    {"palette4_trns",
     Pic(PNG_COLOR_TYPE_PALETTE, 4, 2, 1, {0, 1}, {0, 0, 0, 40, 50, 60}, {128, 7}),
     2,
     1,
     {{0, 0, RGBA(0, 0, 0, 128)}, {1, 0, RGBA(40, 50, 60, 7)}}},
    {"gray_alpha8",
     Pic(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 3, 1, {0, 255, 50, 0, 80, 100}),
     4,
     1,
     {{0, 0, 0}, {1, 0, RGBA(50, 50, 50, 255)}, {2, 0, RGBA(80, 80, 80, 255)}}},
    {"gray_alpha16",
     Pic(PNG_COLOR_TYPE_GRAY_ALPHA, 16, 1, 1, {0xAB00, 0x1000}),
     1,
     1,
     {{0, 0, RGBA(0xAB, 0xAB, 0xAB, 255)}}},
    {"rgba8",
     Pic(PNG_COLOR_TYPE_RGB_ALPHA, 8, 2, 1, {0, 0, 0, 255, 10, 20, 30, 40}),
     2,
     1,
     {{0, 0, RGBA(0, 0, 0, 255)}, {1, 0, RGBA(10, 20, 30, 40)}}},
    {"rgba16",
     Pic(PNG_COLOR_TYPE_RGB_ALPHA, 16, 1, 1, {0x1100, 0x2200, 0x3300, 0x0000}),
     1,
     1,
     {{0, 0, RGBA(0x11, 0x22, 0x33, 0)}}},
};

INSTANTIATE_TEST_SUITE_P(ColourTypes, PngDecodeTest, ::testing::ValuesIn(kDecodeCases),
                         [](const ::testing::TestParamInfo<DecodeCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(TextureTest, LargePictureFillsTheTopOfItsStore) {
    PngPicture p;
    p.width = 1024;
    p.height = 768;
    p.samples.resize(size_t(1024) * 768 * 4);
    for (uint32_t y = 0; y < 768; ++y)
        for (uint32_t x = 0; x < 1024; ++x) {
            uint16_t *s = &p.samples[(size_t(y) * 1024 + x) * 4];
            s[0] = uint16_t(x & 0xFF);
            s[1] = uint16_t(y & 0xFF);
            s[2] = uint16_t((x >> 8) | (y >> 8) << 4);
            s[3] = 255;
        }
    auto t = Decode(EncodePng(p));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->storeWidth, 1024u);
    EXPECT_EQ(t->storeHeight, 1024u);
    for (uint32_t y : {0u, 1u, 300u, 767u})
        for (uint32_t x : {0u, 5u, 513u, 1023u})
            EXPECT_EQ(Texel(*t, x, y),
                      RGBA(uint8_t(x), uint8_t(y), uint8_t((x >> 8) | (y >> 8) << 4), 255))
                << x << "," << y;
    EXPECT_EQ(Texel(*t, 0, 768), 0u);
    EXPECT_EQ(Texel(*t, 1023, 1023), 0u);
}

std::vector<uint8_t> SmallRgbaPng() {
    return EncodePng(Pic(PNG_COLOR_TYPE_RGB_ALPHA, 8, 2, 2,
                         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
}

// Byte offset of a chunk's data within a PNG file.
size_t ChunkData(const std::vector<uint8_t> &png, const char *type) {
    for (size_t i = 8; i + 8 <= png.size();) {
        const uint32_t len =
            uint32_t(png[i]) << 24 | png[i + 1] << 16 | png[i + 2] << 8 | png[i + 3];
        if (std::memcmp(&png[i + 4], type, 4) == 0)
            return i + 8;
        i += 12 + len;
    }
    return 0;
}

// Rewrites a chunk's CRC so that libpng reaches the checks of its contents.
void FixCrc(std::vector<uint8_t> &png, const char *type) {
    const size_t data = ChunkData(png, type);
    const size_t start = data - 4;
    const uint32_t len = uint32_t(png[start - 4]) << 24 | png[start - 3] << 16 |
                         png[start - 2] << 8 | png[start - 1];
    const uint32_t crc = uint32_t(crc32(0, &png[start], len + 4));
    for (int i = 0; i < 4; ++i)
        png[data + len + i] = uint8_t(crc >> (24 - 8 * i));
}

struct DamageCase {
    const char *name;
    void (*damage)(std::vector<uint8_t> &);
};

class DamagedPngTest : public TextureTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedPngTest, YieldsNoneAndLeaksNothing) {
    std::vector<uint8_t> png = SmallRgbaPng();
    ASSERT_NE(Decode(png), nullptr); // the undamaged file decodes
    GetParam().damage(png);
    const uint32_t before = GetLiveUnitCount();
    CTexture *t = DecodePngTexture(png.data(), int(png.size()));
    EXPECT_EQ(t, nullptr);
    delete t;
    EXPECT_EQ(GetLiveUnitCount(), before);
}

const DamageCase kDamageCases[] = {
    {"idat_crc", [](std::vector<uint8_t> &p) { p[ChunkData(p, "IDAT") + 2] ^= 0x5A; }},
    {"truncated_in_idat", [](std::vector<uint8_t> &p) { p.resize(ChunkData(p, "IDAT") + 3); }},
    {"truncated_in_header", [](std::vector<uint8_t> &p) { p.resize(20); }},
    {"signature_only", [](std::vector<uint8_t> &p) { p.resize(8); }},
    {"no_end_chunk", [](std::vector<uint8_t> &p) { p.resize(p.size() - 12); }},
    {"zero_width",
     [](std::vector<uint8_t> &p) {
         std::memset(&p[ChunkData(p, "IHDR")], 0, 4);
         FixCrc(p, "IHDR");
     }},
    {"bad_colour_type",
     [](std::vector<uint8_t> &p) {
         p[ChunkData(p, "IHDR") + 9] = 5;
         FixCrc(p, "IHDR");
     }},
    {"huge_size",
     [](std::vector<uint8_t> &p) {
         // 100000 x 100000: refused before any row is allocated.
         const size_t d = ChunkData(p, "IHDR");
         const uint8_t big[8] = {0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0};
         std::memcpy(&p[d], big, 8);
         FixCrc(p, "IHDR");
     }},
};

INSTANTIATE_TEST_SUITE_P(Damage, DamagedPngTest, ::testing::ValuesIn(kDamageCases),
                         [](const ::testing::TestParamInfo<DamageCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(TextureTest, DecodeRejectsNullAndShortInput) {
    EXPECT_EQ(DecodePngTexture(nullptr, 100), nullptr);
    const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    EXPECT_EQ(DecodePngTexture(sig, 7), nullptr);
    EXPECT_EQ(DecodePngTexture(sig, -5), nullptr);
}

// ---- Resources ------------------------------------------------------------

TEST_F(TextureTest, RawResourceFillsTexelsInOrder) {
    std::unique_ptr<CTexture> t(LoadTextureResource(201));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->width, 2u);
    EXPECT_EQ(t->height, 2u);
    EXPECT_EQ(t->storeWidth, 2u);
    EXPECT_EQ(Texel(*t, 0, 0), RGBA(255, 0, 0, 255));
    EXPECT_EQ(Texel(*t, 1, 0), RGBA(0, 255, 0, 255));
    EXPECT_EQ(Texel(*t, 0, 1), RGBA(0, 0, 255, 255));
    EXPECT_EQ(Texel(*t, 1, 1), RGBA(255, 255, 255, 128));
}

TEST_F(TextureTest, RawResourceWithNoTexelsGivesAOneTexelStore) {
    std::unique_ptr<CTexture> t(LoadTextureResource(208));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->width, 0u);
    EXPECT_EQ(t->storeWidth, 1u);
    EXPECT_EQ(Texel(*t, 0, 0), 0u);
}

TEST_F(TextureTest, PngResourceDecodes) {
    std::unique_ptr<CTexture> t(LoadTextureResource(205));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(Texel(*t, 0, 0), RGBA(255, 128, 0, 255));
    EXPECT_EQ(Texel(*t, 1, 0), RGBA(0, 128, 128, 64));
}

struct RefusedCase {
    const char *name;
    int id;
};

class RefusedResourceTest : public TextureTest,
                            public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedResourceTest, YieldsNoneAndLeaksNothing) {
    const uint32_t before = GetLiveUnitCount();
    CTexture *t = LoadTextureResource(GetParam().id);
    EXPECT_EQ(t, nullptr);
    delete t;
    EXPECT_EQ(GetLiveUnitCount(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Resources, RefusedResourceTest,
    ::testing::Values(RefusedCase{"raw_shorter_than_header_claims", 202},
                      RefusedCase{"raw_shorter_than_12_bytes", 203},
                      RefusedCase{"raw_sizes_overflow", 204}, RefusedCase{"damaged_png", 206},
                      RefusedCase{"truncated_png", 207}, RefusedCase{"other_type_only", 209},
                      RefusedCase{"unknown_id", 999}),
    [](const ::testing::TestParamInfo<RefusedCase> &info) { return std::string(info.param.name); });

} // namespace
