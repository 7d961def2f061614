// The font scan over arbitrary 512 x 512 images. Input layout:
//   4 bytes  line height (float, little-endian, any bit pattern)
//   4 bytes  gap limit
//   1 byte   n: 0 uses the program's glyph order, else the next n bytes are
//            the order (a NUL among them ends it early)
//   the rest the image, one bit per texel (set = inked), rows top to bottom,
//            bit 0 of each byte first; missing bits are transparent.
// The scan only tells transparent from inked texels, so one bit per texel
// reaches every image it can tell apart. Afterwards the glyph table is used
// the way text drawing uses it.
#include "fuzz_target.h"

#include "render/bitmap_font.h"
#include "render/render_device.h"
#include "render/texture.h"
#include "scene/testbed.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kSide = 512;
constexpr size_t kHeaderBytes = 9;

uint32_t ReadLE32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

CTexture &Image() {
    static CTexture *image = [] {
        CTexture *t = new CTexture;
        t->Allocate(1, kSide, kSide);
        return t;
    }();
    return *image;
}

void Paint(CTexture &image, const uint8_t *bits, size_t bitBytes) {
    const size_t texels = size_t(kSide) * kSide;
    for (size_t i = 0; i < texels; ++i) {
        const bool inked = i / 8 < bitBytes && (bits[i / 8] >> (i % 8) & 1);
        uint8_t *texel = image.pixels + i * 4;
        texel[0] = texel[1] = texel[2] = 255;
        texel[3] = inked ? 255 : 0;
    }
}

void CheckFont(const CBitmapFont &font) {
    for (int c = 0; c < 256; ++c) {
        if (!font.HasGlyph(static_cast<unsigned char>(c))) {
            FUZZ_CHECK(font.widths[c] == 0.0f);
            continue;
        }
        // A glyph is a run of columns inside the image.
        FUZZ_CHECK(font.widths[c] >= 1.0f && font.widths[c] <= float(kSide));
        FUZZ_CHECK(font.origins[c].x >= 0.0f && font.origins[c].x < 1.0f);
        FUZZ_CHECK(font.origins[c].x + font.widths[c] * font.texelSize.x <= 1.0f);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool deviceReady = InitRenderDevice(1024, 768);
    (void)deviceReady;
    if (size < kHeaderBytes)
        return 0;
    float lineHeight;
    std::memcpy(&lineHeight, data, sizeof lineHeight);
    const uint32_t gapLimit = ReadLE32(data + 4);
    const size_t orderBytes = data[8];
    if (size < kHeaderBytes + orderBytes)
        return 0;
    const std::string order =
        orderBytes == 0
            ? std::string(kGlyphOrder)
            : std::string(reinterpret_cast<const char *>(data + kHeaderBytes), orderBytes);
    const uint8_t *bits = data + kHeaderBytes + orderBytes;
    const size_t bitBytes = size - kHeaderBytes - orderBytes;

    CTexture &image = Image();
    Paint(image, bits, bitBytes);
    const CBitmapFont font(&image, nullptr, order.c_str(), lineHeight, 3.0f, 32.0f, gapLimit);
    FUZZ_CHECK(font.texture == &image);
    CheckFont(font);

    // Use the table as text drawing does, over the order itself.
    const std::string text = order.c_str();
    CVector2 measured;
    font.Measure(measured, 1.0f, text.c_str());
    std::vector<Vertex2D> vertices(text.size() * 6 + 1);
    const unsigned count =
        font.BuildTextVertices(vertices.data(), CVector2(0.0f, 0.0f), 0xFFFFFFFFu, 1.0f,
                               text.c_str(), text.size());
    FUZZ_CHECK(count <= text.size() * 6);
    ResetFrameArena();
    font.Print(CVector2(10.0f, 10.0f), 0xFFFFFFFFu, 0.5f, text.c_str());
    return 0;
}
