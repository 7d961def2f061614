// Texture resources over arbitrary bytes, loaded as "TEXTURES" resource 1 the
// way the program loads its pictures (PNG, else the raw form). A texture that
// comes back has a whole power-of-two store and survives binding and release.
#include "fuzz_target.h"

#include "render/texture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    SetFuzzResource("TEXTURES", 1, data, size);
    CTexture *t = LoadTextureResource(1);
    if (!t)
        return 0;
    FUZZ_CHECK(t->pixels != nullptr && t->pixels == t->allocation);
    FUZZ_CHECK(t->bytesPerPixel == 4);
    FUZZ_CHECK((t->storeWidth & (t->storeWidth - 1)) == 0 && t->storeWidth != 0);
    FUZZ_CHECK((t->storeHeight & (t->storeHeight - 1)) == 0 && t->storeHeight != 0);
    FUZZ_CHECK(t->storeWidth >= t->width && t->storeHeight >= t->height);
    FUZZ_CHECK(t->storeWidth <= 16384 && t->storeHeight <= 16384);
    // Touch the last byte so a short store shows; the padding is unit-tested.
    const size_t texels = size_t(t->storeWidth) * t->storeHeight;
    volatile uint8_t last = t->pixels[texels * 4 - 1];
    (void)last;
    t->Bind();
    t->Bind();
    t->ReleasePixels();
    FUZZ_CHECK(t->pixels == nullptr);
    delete t;
    return 0;
}
