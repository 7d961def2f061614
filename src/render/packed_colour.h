#pragma once
#include <cstdint>

// The 32-bit colour word of all 2D drawing, text and clears: red in bits 0-7,
// green 8-15, blue 16-23, alpha 24-31, so its bytes read R, G, B, A in memory.
typedef uint32_t PackedColour;

constexpr PackedColour MakePackedColour(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return PackedColour(r) | PackedColour(g) << 8 | PackedColour(b) << 16 | PackedColour(a) << 24;
}
