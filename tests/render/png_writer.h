#pragma once
#include <cstdint>
#include <vector>

// Encodes test pictures as PNG files in memory with libpng.
struct PngPicture {
    int colourType = 6; // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    uint32_t width = 0;
    uint32_t height = 0;
    // One value per sample, row by row, at the picture's bit depth (palette
    // pictures hold one index per pixel).
    std::vector<uint16_t> samples;
    std::vector<uint8_t> palette; // R, G, B per entry
    std::vector<uint8_t> trns;    // palette alphas, or one gray/RGB key as 16-bit pairs
};

std::vector<uint8_t> EncodePng(const PngPicture &picture);

// Samples per pixel of a colour type (palette counts as one index).
int SamplesPerPixel(int colourType);
