// Texture resources over arbitrary bytes: the input is "TEXTURES" resource 1,
// loaded as the program loads its pictures (PNG, or else the raw form). A
// texture that comes back must have a whole store of the stated size with
// transparent black outside the image, and must survive binding and release.
#include "fuzz_resources.h"
#include "fuzz_target.h"

#include "render/texture.h"

namespace {

constexpr int kFuzzTextureId = 1;
// Stores above this many texels are not walked texel by texel (time only).
constexpr uint64_t kWalkLimit = uint64_t(1) << 22;

bool IsPowerOfTwo(uint32_t n) {
    return n != 0 && (n & (n - 1)) == 0;
}

void CheckTexture(const CTexture &t) {
    FUZZ_CHECK(t.pixels != nullptr && t.pixels == t.allocation);
    FUZZ_CHECK(t.bytesPerPixel == 4);
    FUZZ_CHECK(IsPowerOfTwo(t.storeWidth) && IsPowerOfTwo(t.storeHeight));
    FUZZ_CHECK(t.storeWidth >= t.width && t.storeHeight >= t.height);
    FUZZ_CHECK(t.storeWidth <= 16384 && t.storeHeight <= 16384);
    if (uint64_t(t.storeWidth) * t.storeHeight > kWalkLimit) {
        // Still touch the first and last byte so a short store shows.
        volatile uint8_t first = t.pixels[0];
        volatile uint8_t last = t.pixels[size_t(t.storeWidth) * t.storeHeight * 4 - 1];
        (void)first;
        (void)last;
        return;
    }
    for (uint32_t y = 0; y < t.storeHeight; ++y)
        for (uint32_t x = 0; x < t.storeWidth; ++x) {
            const uint8_t *texel = t.pixels + (size_t(y) * t.storeWidth + x) * 4;
            if (x >= t.width || y >= t.height)
                FUZZ_CHECK((texel[0] | texel[1] | texel[2] | texel[3]) == 0);
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    SetFuzzResource("TEXTURES", kFuzzTextureId, data, size);
    CTexture *texture = LoadTextureResource(kFuzzTextureId);
    // The same id under another type is a different resource.
    FUZZ_CHECK(LoadTextureResource(kFuzzTextureId + 1) == nullptr);
    if (texture) {
        CheckTexture(*texture);
        texture->Bind();
        texture->Bind();
        texture->ReleasePixels();
        FUZZ_CHECK(texture->pixels == nullptr);
        delete texture;
    }
    return 0;
}
