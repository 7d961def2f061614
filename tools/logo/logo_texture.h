#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Side of the square logo texture (pixels).
constexpr int kLogoTextureSize = 256;

// Paints the medallion's picture: a gold rim round a blue enamel face with
// turned grooves, and the title lettering in the middle. The picture's
// centre and edge meet the lathe's axis and outer radius through the
// model's planar texture coordinates. Returns RGBA rows, top row first,
// every alpha 255; empty when the fonts cannot be read.
std::vector<uint8_t> PaintLogoTexture(const std::string &fontDir);
