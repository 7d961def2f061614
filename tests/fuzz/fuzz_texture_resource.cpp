// Texture resources over arbitrary bytes, loaded as "TEXTURES" resource 1 the
// way the program loads its pictures (PNG, else the raw form). A texture that
// comes back has a whole power-of-two store, transparent black outside the
// image, and survives binding and release.
#include "fuzz_target.h"

#include "render/texture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    SetFuzzResource("TEXTURES", 1, data, size);
    // The same bytes under another id are no resource.
    FUZZ_CHECK(LoadTextureResource(2) == nullptr);
    CTexture *t = LoadTextureResource(1);
    if (!t)
        return 0;
    FUZZ_CHECK(t->pixels != nullptr && t->pixels == t->allocation);
    FUZZ_CHECK(t->bytesPerPixel == 4);
    FUZZ_CHECK((t->storeWidth & (t->storeWidth - 1)) == 0 && t->storeWidth != 0);
    FUZZ_CHECK((t->storeHeight & (t->storeHeight - 1)) == 0 && t->storeHeight != 0);
    FUZZ_CHECK(t->storeWidth >= t->width && t->storeHeight >= t->height);
    FUZZ_CHECK(t->storeWidth <= 16384 && t->storeHeight <= 16384);
    const size_t texels = size_t(t->storeWidth) * t->storeHeight;
    if (texels > (size_t(1) << 22)) {
        // Too many to walk in time: touch the last byte so a short store shows.
        volatile uint8_t last = t->pixels[texels * 4 - 1];
        (void)last;
    } else {
        for (size_t i = 0; i < texels; ++i) {
            const uint8_t *texel = t->pixels + i * 4;
            if (i % t->storeWidth >= t->width || i / t->storeWidth >= t->height)
                FUZZ_CHECK((texel[0] | texel[1] | texel[2] | texel[3]) == 0);
        }
    }
    t->Bind();
    t->Bind();
    t->ReleasePixels();
    FUZZ_CHECK(t->pixels == nullptr);
    delete t;
    return 0;
}
