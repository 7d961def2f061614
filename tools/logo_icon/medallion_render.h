#pragma once
#include <cstdint>
#include <vector>

// The logo as the icon shows it: triangles in model space with their
// texture coordinates and normals, and the texture as RGBA rows.
struct IconVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;    // v = 0 is the texture's top row
    float rgba[4]; // vertex colour, 0 to 1, multiplies the texture
};

struct IconMesh {
    std::vector<IconVertex> triangles; // three vertices per triangle
};

struct IconTexture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba; // top row first
};

// Draws the medallion seen from the front, as the scene's camera sees it
// (looking along +z, so the picture's right is the model's -x), turned a
// little so its rim shows, lit from the upper left, on a transparent ground.
// The model fills the square but for a small margin. Every pixel is the mean
// of `samples` x `samples` sub-pixels, so the edges are smooth. Returns
// `size` x `size` RGBA rows (straight alpha), top row first.
std::vector<uint8_t> RenderMedallion(const IconMesh &mesh, const IconTexture &texture, int size,
                                     int samples);
