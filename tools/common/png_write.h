#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes 8-bit RGBA rows (top row first) as a PNG file. Fixed compression
// settings, so equal pixels give equal files. Returns false when the file
// cannot be written or the size does not match the data.
bool WritePng(const std::string &path, int width, int height, const std::vector<uint8_t> &rgba);
