#include "memory/memory_tracker.h"
#include "render/packed_colour.h"
#include "render/png_writer.h"
#include "render/render_device.h"
#include "render/render_internal.h"
#include "render/texture.h"
#include "render/texture_prefetch.h"
#include "support/gl_context.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

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

constexpr uint32_t RGBA(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return MakePackedColour(r, g, b, a);
}
constexpr uint32_t Gray(uint8_t v) {
    return RGBA(v, v, v, 255);
}

// Checks the image size and every texel of the store: `image` (row by row,
// all zero when empty) inside the image, transparent black outside it.
void ExpectTexels(const CTexture *t, uint32_t width, uint32_t height,
                  const std::vector<uint32_t> &image) {
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->width, width);
    ASSERT_EQ(t->height, height);
    ASSERT_TRUE(t->storeWidth >= width && t->storeHeight >= height);
    for (uint32_t y = 0; y < t->storeHeight; ++y)
        for (uint32_t x = 0; x < t->storeWidth; ++x) {
            const uint8_t *p = t->pixels + (size_t(y) * t->storeWidth + x) * 4;
            const bool inside = x < width && y < height && !image.empty();
            ASSERT_EQ(MakePackedColour(p[0], p[1], p[2], p[3]), inside ? image[y * width + x] : 0)
                << "texel " << x << "," << y;
        }
}

TEST_F(TextureTest, AllocateTakesSidesUpTo16384AndOnlyKind1) {
    CTexture t;
    ASSERT_TRUE(t.Allocate(1, 16384, 3));
    EXPECT_NE(t.name, 0u);
    ExpectTexels(&t, 16384, 3, {});
    EXPECT_EQ(t.storeHeight, 4u);
    for (uint32_t side : {16385u, 0x80000001u}) {
        EXPECT_FALSE(t.Allocate(1, side, 1));
        EXPECT_FALSE(t.Allocate(1, 1, side));
        EXPECT_EQ(t.allocation, nullptr);
    }
    CTexture other;
    EXPECT_FALSE(other.Allocate(2, 4, 4));
    EXPECT_EQ(other.allocation, nullptr);
    EXPECT_EQ(other.name, 0u);
}

// A bind uploads only when GL holds another store. A store that goes away
// (released or destroyed) must never be taken for the upload of a later
// texture at the same address.
TEST_F(TextureTest, BindUploadsOnlyWhenAnotherStoreWasBoundSince) {
    const uint32_t live = GetLiveUnitCount();
    CTexture a, b;
    ASSERT_TRUE(a.Allocate(1, 4, 4));
    ASSERT_TRUE(b.Allocate(1, 4, 4));
    const uint32_t before = GetTextureUploadCount();
    a.Bind();
    a.Bind(); // GL still holds a's store
    EXPECT_EQ(GetTextureUploadCount() - before, 1u);
    b.Bind();
    a.Bind();
    EXPECT_EQ(GetTextureUploadCount() - before, 3u);
    {
        CTexture other;
        ASSERT_TRUE(other.Allocate(1, 4, 4));
    }
    EXPECT_EQ(GetLastBoundTexture(), &a);
    const uint32_t name = a.name;
    a.ReleasePixels();
    EXPECT_EQ(GetLastBoundTexture(), nullptr);
    EXPECT_EQ(a.pixels, nullptr);
    EXPECT_EQ(a.name, name);

    alignas(CTexture) unsigned char slot[sizeof(CTexture)];
    CTexture *first = new (slot) CTexture;
    ASSERT_TRUE(first->Allocate(1, 4, 4));
    first->Bind();
    first->~CTexture();
    EXPECT_EQ(GetLastBoundTexture(), nullptr);
    CTexture *second = new (slot) CTexture;
    ASSERT_TRUE(second->Allocate(1, 4, 4));
    const uint32_t uploads = GetTextureUploadCount();
    second->Bind();
    EXPECT_EQ(GetTextureUploadCount() - uploads, 1u);
    second->~CTexture();
    b.ReleasePixels();
    EXPECT_EQ(GetLiveUnitCount(), live);
}

std::unique_ptr<CTexture> Decode(const std::vector<uint8_t> &png) {
    return std::unique_ptr<CTexture>(DecodePngTexture(png.data(), int(png.size())));
}

struct DecodeCase {
    const char *name;
    PngPicture picture;
    std::vector<uint32_t> texels;
};

class PngDecodeTest : public TextureTest, public ::testing::WithParamInterface<DecodeCase> {};

// Without alpha (and for gray+alpha, whose alpha is dropped) pure black is
// transparent; colour keys in tRNS are not applied.
TEST_P(PngDecodeTest, TexelsFollowTheColourTypeTable) {
    const DecodeCase &c = GetParam();
    ExpectTexels(Decode(EncodePng(c.picture)).get(), c.picture.width, c.picture.height, c.texels);
}

// Pictures: colour type, bit depth, width, height, samples[, palette[, tRNS]].
const DecodeCase kDecodeCases[] = {
    {"gray8", {kPngGray, 8, 3, 1, {0, 1, 200}}, {0, Gray(1), Gray(200)}},
    {"gray16", {kPngGray, 16, 3, 1, {0x0000, 0x0080, 0xFF00}}, {0, 0, Gray(255)}},
    {"gray8_key", {kPngGray, 8, 2, 1, {9, 200}, {}, {0, 200}}, {Gray(9), Gray(200)}},
    {"rgb8",
     {kPngRgb, 8, 2, 2, {0, 0, 0, 0, 0, 1, 10, 20, 30, 255, 0, 0}},
     {0, RGBA(0, 0, 1, 255), RGBA(10, 20, 30, 255), RGBA(255, 0, 0, 255)}},
    {"palette4",
     {kPngPalette, 4, 3, 1, {0, 1, 2}, {0, 0, 0, 255, 0, 0, 1, 2, 3}},
     {0, RGBA(255, 0, 0, 255), RGBA(1, 2, 3, 255)}},
    {"palette4_trns",
     {kPngPalette, 4, 2, 1, {0, 1}, {0, 0, 0, 40, 50, 60}, {128, 7}},
     {RGBA(0, 0, 0, 128), RGBA(40, 50, 60, 7)}},
    {"gray_alpha8", {kPngGrayAlpha, 8, 3, 1, {0, 255, 50, 0, 80, 100}}, {0, Gray(50), Gray(80)}},
    {"rgba8",
     {kPngRgba, 8, 2, 1, {0, 0, 0, 255, 10, 20, 30, 40}},
     {RGBA(0, 0, 0, 255), RGBA(10, 20, 30, 40)}},
};

INSTANTIATE_TEST_SUITE_P(ColourTypes, PngDecodeTest, ::testing::ValuesIn(kDecodeCases),
                         [](const ::testing::TestParamInfo<DecodeCase> &info) {
                             return std::string(info.param.name);
                         });

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

// Rewrites the header's 13 bytes from `at` on and mends its CRC, so that the
// decoder reaches the checks of its contents.
void PatchHeader(std::vector<uint8_t> &png, size_t at, std::vector<uint8_t> bytes) {
    const size_t data = ChunkData(png, "IHDR");
    std::memcpy(&png[data + at], bytes.data(), bytes.size());
    const uint32_t crc = uint32_t(crc32(0, &png[data - 4], 13 + 4));
    for (int i = 0; i < 4; ++i)
        png[data + 13 + i] = uint8_t(crc >> (24 - 8 * i));
}

// The undamaged file decodes; every damaged copy yields none, leaving nothing allocated.
TEST_F(TextureTest, DamagedPngYieldsNoneAndLeaksNothing) {
    const std::vector<uint8_t> good = EncodePng({kPngRgba, 8, 2, 2, std::vector<uint16_t>(16, 9)});
    ASSERT_NE(Decode(good), nullptr);
    const struct {
        const char *name;
        void (*damage)(std::vector<uint8_t> &);
    } cases[] = {
        {"truncated_in_idat", [](std::vector<uint8_t> &p) { p.resize(ChunkData(p, "IDAT") + 3); }},
        {"signature_only", [](std::vector<uint8_t> &p) { p.resize(8); }},
        {"no_end_chunk", [](std::vector<uint8_t> &p) { p.resize(p.size() - 12); }},
        {"zero_width",
         [](std::vector<uint8_t> &p) {
             PatchHeader(p, 0, {0, 0, 0, 0});
         }},
        {"bad_colour_type", [](std::vector<uint8_t> &p) { PatchHeader(p, 9, {5}); }},
        // 100000 x 100000: refused before any row is allocated.
        {"huge_size",
         [](std::vector<uint8_t> &p) {
             PatchHeader(p, 0, {0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0});
         }},
    };
    for (const auto &c : cases) {
        std::vector<uint8_t> png = good;
        c.damage(png);
        const uint32_t before = GetLiveUnitCount();
        CTexture *t = DecodePngTexture(png.data(), int(png.size()));
        EXPECT_EQ(t, nullptr) << c.name;
        delete t;
        EXPECT_EQ(GetLiveUnitCount(), before) << c.name;
    }
    const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    EXPECT_EQ(DecodePngTexture(nullptr, 100), nullptr);
    EXPECT_EQ(DecodePngTexture(sig, 7), nullptr);
    EXPECT_EQ(DecodePngTexture(sig, -5), nullptr);
}

// Resources made by data/make_data.py, decoded on the spot and prefetched.
TEST_F(TextureTest, ResourcesLoadOrYieldNoneAndLeakNothing) {
    for (bool prefetch : {false, true}) {
        SCOPED_TRACE(prefetch ? "prefetched" : "on the spot");
        const uint32_t before = GetLiveUnitCount();
        // 201 twice: the second copy is never taken.
        const int ids[] = {201, 208, 205, 202, 206, 999, 201};
        if (prefetch)
            PrefetchTextureResources(ids, int(sizeof ids / sizeof ids[0]));
        {
            std::unique_ptr<CTexture> raw(LoadTextureResource(201)),
                empty(LoadTextureResource(208));
            ExpectTexels(raw.get(), 2, 2,
                         {RGBA(255, 0, 0, 255), RGBA(0, 255, 0, 255), RGBA(0, 0, 255, 255),
                          RGBA(255, 255, 255, 128)});
            ExpectTexels(empty.get(), 0, 0, {}); // a header and no texels
            std::unique_ptr<CTexture> png(LoadTextureResource(205));
            ExpectTexels(png.get(), 2, 1, {RGBA(255, 128, 0, 255), RGBA(0, 128, 128, 64)});
            EXPECT_TRUE(raw->name != 0 && png->name != 0 && raw->name != png->name);
        }
        // Raw: body shorter than its header claims, under 12 bytes, sizes that
        // overflow; PNG: damaged, truncated; an RCDATA resource only; no resource.
        for (int id : {202, 203, 204, 206, 207, 209, 999}) {
            CTexture *t = LoadTextureResource(id);
            EXPECT_EQ(t, nullptr) << id;
            delete t;
        }
        const uint32_t held = GetLiveUnitCount();
        FinishTexturePrefetch();
        EXPECT_EQ(held > GetLiveUnitCount(), prefetch); // the untaken copy goes here
        EXPECT_EQ(GetLiveUnitCount(), before);
    }
}

} // namespace
