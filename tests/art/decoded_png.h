#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// An embedded picture decoded to 8-bit RGBA rows, for checking its content.
struct DecodedPng {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba; // width * height * 4 bytes, top row first
    bool hasAlphaChannel = false;

    uint8_t Alpha(uint32_t x, uint32_t y) const { return rgba[(size_t(y) * width + x) * 4 + 3]; }
};

// Decodes "TEXTURES" resource `id`. Returns false when it is missing or not a PNG.
bool DecodeTextureResource(int id, DecodedPng *out);
