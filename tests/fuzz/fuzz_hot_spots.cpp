// The hot-spot scan over arbitrary panels. Input: picture width and height
// (2 bytes each), store slack (the store is width + slack texels wide, or with
// bit 7 set (slack & 127) + 1 narrower), screen width (float), then the
// picture's alpha bytes row by row (missing ones are 255). The picture is cut
// to the rows the bytes reach plus one, and to 2^17 store texels. The store
// holds exactly its rows, so any access outside it shows.
#include "fuzz_target.h"

#include "scene/hot_spots.h"

#include <cmath>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 9)
        return 0;
    const uint32_t width = data[0] | data[1] << 8, slack = data[4];
    uint32_t height = data[2] | data[3] << 8;
    float screenWidth;
    std::memcpy(&screenWidth, data + 5, sizeof screenWidth);
    const uint8_t *alpha = data + 9;
    const size_t alphaBytes = size - 9;
    uint32_t storeWidth = width + slack;
    if (slack & 0x80)
        storeWidth = width > (slack & 0x7F) ? width - (slack & 0x7F) - 1 : 0;
    if (width > 0 && height > alphaBytes / width + 1)
        height = uint32_t(alphaBytes / width + 1);
    if (storeWidth > 0 && uint64_t(storeWidth) * height > (1u << 17))
        height = (1u << 17) / storeWidth;

    // Colour bytes the scan must leave alone, then the alpha of the picture.
    std::vector<uint8_t> store(size_t(storeWidth) * height * 4);
    for (size_t i = 0; i < store.size(); ++i)
        store[i] = uint8_t(i * 131 + 7);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width && x < storeWidth; ++x) {
            const size_t n = size_t(y) * width + x;
            store[(size_t(y) * storeWidth + x) * 4 + 3] = n < alphaBytes ? alpha[n] : 255;
        }
    std::vector<uint8_t> expected = store;

    HotSpot out[kHotSpotCount];
    std::memset(static_cast<void *>(out), 0x5A, sizeof out);
    const int found = FindHotSpotRects(store.empty() ? nullptr : store.data(), width, height,
                                       storeWidth, screenWidth, out);
    FUZZ_CHECK(found >= 0 && found <= kHotSpotCount);
    if (store.empty() || storeWidth < width) {
        // Nothing to scan: no hot spots and the store untouched.
        FUZZ_CHECK(found == 0 && store == expected);
        return 0;
    }
    // The picture is opaque now; colours and the store's slack are untouched.
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            expected[(size_t(y) * storeWidth + x) * 4 + 3] = 255;
    FUZZ_CHECK(store == expected);
    // Rectangles lie inside the picture, in screen units.
    const float scale = screenWidth / 1024.0f;
    if (!(std::isfinite(scale) && scale > 1e-6f && scale < 1e6f))
        return 0;
    for (int i = 0; i < found; ++i) {
        FUZZ_CHECK(out[i].position.x >= 0.0f && out[i].position.y >= 0.0f);
        FUZZ_CHECK(out[i].size.x > 0.0f && out[i].size.y > 0.0f);
        FUZZ_CHECK(out[i].position.x + out[i].size.x <= float(width) * scale * 1.0001f);
        FUZZ_CHECK(out[i].position.y + out[i].size.y <= float(height) * scale * 1.0001f);
    }
    return 0;
}
