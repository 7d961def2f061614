#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes 8-bit RGBA rows (top row first) as a PNG file. Returns false on any
// file or encoder error.
bool WriteRgbaPng(const std::string &path, const std::vector<uint8_t> &rgba, int width, int height);
