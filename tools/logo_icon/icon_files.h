#pragma once
#include "medallion_render.h"

#include <cstdint>
#include <string>
#include <vector>

// Reads the logo model file and collects the triangles of every group
// (triangle lists, strips and fans; points and lines have no area), each
// vertex with its group's texture. Empty when the file is missing or damaged.
IconMesh ReadLogoMesh(const std::string &path);

// Reads a PNG file as RGBA rows; width 0 when it cannot be read.
IconTexture ReadTexture(const std::string &path);

// One picture of an icon file: `size` x `size` RGBA rows, top row first.
struct IconImage {
    int size;
    std::vector<uint8_t> rgba;
};

// Lays the pictures out as a Windows icon file: pictures of 256 pixels are
// stored as the PNG file `png256` holds, smaller ones as 32-bit bitmaps with
// an AND mask. Empty when a picture is larger than 256 or its PNG is missing.
std::vector<uint8_t> EncodeIconFile(const std::vector<IconImage> &images, const std::string &png256);
