// The hot-spot scan over arbitrary panels. Input layout:
//   2 bytes  picture width, 2 bytes picture height (little-endian; the
//            picture is cut to the rows the alpha bytes reach plus one, and
//            to kMaxTexels store texels)
//   1 byte   store slack: the store is width + slack texels wide; with bit 7
//            set it is (slack & 127) + 1 texels narrower instead
//   4 bytes  screen width (float, any bit pattern)
//   the rest the alpha bytes of the picture row by row; missing ones are 255.
// The store is allocated to exactly its rows, so any access outside it shows.
#include "fuzz_target.h"

#include "scene/hot_spots.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kHeaderBytes = 9;
constexpr uint64_t kMaxTexels = uint64_t(1) << 17;

// Colour bytes that the scan must never change.
uint8_t ColourByte(size_t i) {
    return uint8_t(i * 131 + 7);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < kHeaderBytes)
        return 0;
    const uint32_t width = uint32_t(data[0]) | uint32_t(data[1]) << 8;
    uint32_t height = uint32_t(data[2]) | uint32_t(data[3]) << 8;
    const uint8_t slack = data[4];
    float screenWidth;
    std::memcpy(&screenWidth, data + 5, sizeof screenWidth);
    const uint8_t *alpha = data + kHeaderBytes;
    const size_t alphaBytes = size - kHeaderBytes;

    uint32_t storeWidth = width + slack;
    if (slack & 0x80)
        storeWidth = width > uint32_t(slack & 0x7F) ? width - (slack & 0x7F) - 1 : 0;
    // Rows past the input are all opaque: one of them shows what they do.
    if (width > 0 && height > alphaBytes / width + 1)
        height = uint32_t(alphaBytes / width + 1);
    if (storeWidth > 0 && uint64_t(storeWidth) * height > kMaxTexels)
        height = uint32_t(kMaxTexels / storeWidth);

    // The store holds exactly `height` rows of storeWidth texels.
    const size_t texels = size_t(storeWidth) * height;
    std::vector<uint8_t> store(texels * 4);
    for (size_t i = 0; i < store.size(); ++i)
        store[i] = ColourByte(i);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width && x < storeWidth; ++x) {
            const size_t n = size_t(y) * width + x;
            store[(size_t(y) * storeWidth + x) * 4 + 3] = n < alphaBytes ? alpha[n] : 255;
        }
    const std::vector<uint8_t> before = store;

    HotSpot out[kHotSpotCount];
    std::memset(static_cast<void *>(out), 0x5A, sizeof out);
    const int found =
        FindHotSpotRects(store.empty() ? nullptr : store.data(), width, height, storeWidth,
                         screenWidth, out);
    FUZZ_CHECK(found >= 0 && found <= kHotSpotCount);
    for (int i = found; i < kHotSpotCount; ++i)
        FUZZ_CHECK(out[i].position.x == 0.0f && out[i].position.y == 0.0f &&
                   out[i].size.x == 0.0f && out[i].size.y == 0.0f);

    if (store.empty() || storeWidth < width) {
        // Nothing to scan: no hot spots and the store untouched.
        FUZZ_CHECK(found == 0);
        FUZZ_CHECK(store == before);
        return 0;
    }

    // The picture is opaque now; colours and the store's slack are untouched.
    std::vector<uint8_t> expected = before;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            expected[(size_t(y) * storeWidth + x) * 4 + 3] = 255;
    FUZZ_CHECK(store == expected);

    // Rectangles lie inside the picture, in screen units.
    const float scale = screenWidth / 1024.0f;
    if (std::isfinite(scale) && scale > 1e-6f && scale < 1e6f) {
        const float right = float(width) * scale * 1.0001f;
        const float bottom = float(height) * scale * 1.0001f;
        for (int i = 0; i < found; ++i) {
            FUZZ_CHECK(out[i].position.x >= 0.0f && out[i].position.y >= 0.0f);
            FUZZ_CHECK(out[i].size.x > 0.0f && out[i].size.y > 0.0f);
            FUZZ_CHECK(out[i].position.x + out[i].size.x <= right);
            FUZZ_CHECK(out[i].position.y + out[i].size.y <= bottom);
        }
    }
    return 0;
}
