#pragma once
#include <cstdint>
#include <vector>

enum PngColourType { kPngGray = 0, kPngRgb = 2, kPngPalette = 3, kPngGrayAlpha = 4, kPngRgba = 6 };

// A test picture to encode as a PNG file in memory (zlib only, so builds
// without libpng can make their test pictures too).
struct PngPicture {
    int colourType = kPngRgba;
    int bitDepth = 8;
    uint32_t width = 0;
    uint32_t height = 0;
    // One value per sample, row by row, at the picture's bit depth (palette
    // pictures hold one index per pixel).
    std::vector<uint16_t> samples = {};
    std::vector<uint8_t> palette = {}; // R, G, B per entry
    std::vector<uint8_t> trns = {};    // tRNS chunk data, written as given
};

std::vector<uint8_t> EncodePng(const PngPicture &picture);
