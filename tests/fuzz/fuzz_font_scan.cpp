// The font scan over arbitrary 512 x 512 images. Input: line height (float),
// gap limit (uint32; both little-endian), n (1 byte: 0 takes the program's glyph order, else the
// next n bytes are the order, a NUL ending it early), then the image at one
// bit per texel (set = inked; rows top down, bit 0 first; missing bits are
// transparent): the scan only tells transparent from inked. The glyph table is
// then used the way text drawing uses it.
#include "fuzz_target.h"

#include "render/bitmap_font.h"
#include "render/render_device.h"
#include "render/texture.h"
#include "scene/testbed.h"

#include <string>
#include <vector>

namespace {

constexpr uint32_t kSide = 512;

CTexture &Image() {
    static CTexture *image = [] {
        CTexture *t = new CTexture;
        t->Allocate(1, kSide, kSide);
        return t;
    }();
    return *image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool deviceReady = InitRenderDevice(1024, 768);
    (void)deviceReady;
    if (size < 9 || size < 9 + size_t(data[8]))
        return 0;
    const size_t orderBytes = data[8];
    const std::string order =
        orderBytes == 0 ? std::string(kGlyphOrder)
                        : std::string(reinterpret_cast<const char *>(data + 9), orderBytes);
    const uint8_t *bits = data + 9 + orderBytes;
    const size_t bitBytes = size - 9 - orderBytes;
    CTexture &image = Image();
    for (size_t i = 0; i < size_t(kSide) * kSide; ++i) {
        uint8_t *texel = image.pixels + i * 4;
        texel[0] = texel[1] = texel[2] = 255;
        texel[3] = i / 8 < bitBytes && (bits[i / 8] >> (i % 8) & 1) ? 255 : 0;
    }
    float lineHeight;
    uint32_t gapLimit;
    std::memcpy(&lineHeight, data, 4);
    std::memcpy(&gapLimit, data + 4, 4);
    const CBitmapFont font(&image, nullptr, order.c_str(), lineHeight, 3.0f, 32.0f, gapLimit);
    FUZZ_CHECK(font.texture == &image);
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
    // Text drawing over the order itself.
    const std::string text = order.c_str();
    CVector2 measured;
    font.Measure(measured, 1.0f, text.c_str());
    std::vector<Vertex2D> vertices(text.size() * 6 + 1);
    FUZZ_CHECK(font.BuildTextVertices(vertices.data(), CVector2(0.0f, 0.0f), 0xFFFFFFFFu, 1.0f,
                                      text.c_str(), text.size()) <= text.size() * 6);
    ResetFrameArena();
    font.Print(CVector2(10.0f, 10.0f), 0xFFFFFFFFu, 0.5f, text.c_str());
    return 0;
}
