#include "scene/hot_spots.h"

#include <cstddef>

namespace {

// Alpha values below this mark button pixels.
constexpr uint8_t kButtonAlphaLimit = 10;

uint8_t AlphaAt(const uint8_t *pixels, uint32_t storeWidth, uint32_t x, uint32_t y) {
    return pixels[(static_cast<size_t>(y) * storeWidth + x) * 4 + 3];
}

} // namespace

int FindHotSpotRects(uint8_t *pixels, uint32_t imageWidth, uint32_t imageHeight,
                     uint32_t storeWidth, float screenWidth, HotSpot out[kHotSpotCount]) {
    if (out == nullptr)
        return 0;
    for (int i = 0; i < kHotSpotCount; ++i)
        out[i] = HotSpot{CVector2(0.0f, 0.0f), CVector2(0.0f, 0.0f)};
    if (pixels == nullptr || storeWidth < imageWidth)
        return 0;

    const float scale = screenWidth * 0.0009765625f;
    int found = 0;
    for (uint32_t y = 0; y < imageHeight && found < kHotSpotCount; ++y) {
        for (uint32_t x = 0; x < imageWidth && found < kHotSpotCount; ++x) {
            const uint8_t a = AlphaAt(pixels, storeWidth, x, y);
            if (a >= kButtonAlphaLimit)
                continue;
            if (x > 0 && AlphaAt(pixels, storeWidth, x - 1, y) == a)
                continue;
            if (y > 0 && AlphaAt(pixels, storeWidth, x, y - 1) == a)
                continue;
            uint32_t width = 1;
            while (x + width < imageWidth && AlphaAt(pixels, storeWidth, x + width, y) == a)
                ++width;
            uint32_t height = 1;
            while (y + height < imageHeight && AlphaAt(pixels, storeWidth, x, y + height) == a)
                ++height;
            const float fx = static_cast<float>(x) * scale;
            const float fy = static_cast<float>(y) * scale;
            const float fw = static_cast<float>(width) * scale;
            const float fh = static_cast<float>(height) * scale;
            out[found] = HotSpot{CVector2(fx, fy), CVector2(fw, fh)};
            ++found;
        }
    }

    for (uint32_t y = 0; y < imageHeight; ++y)
        for (uint32_t x = 0; x < imageWidth; ++x)
            pixels[(static_cast<size_t>(y) * storeWidth + x) * 4 + 3] = 255;
    return found;
}
