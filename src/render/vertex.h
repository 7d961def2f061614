#pragma once
#include "render/packed_colour.h"

#include <cstddef>

// Immediate-mode vertex records. Their layouts are fixed: Vertex2D is what the
// frame vertex arena hands out, Vertex3D is read byte for byte from model files.

struct Vertex2D {
    float u, v;          // texture coordinates; v = 0 is the store's top row
    PackedColour colour; // bytes R, G, B, A
    float x, y;          // pixels from the top-left corner, y downward
    float z;             // not sent to GL
};

struct Vertex3D {
    float u, v;
    PackedColour colour;
    float nx, ny, nz; // unit normal, sent as stored
    float x, y, z;    // model-space position
};

static_assert(sizeof(Vertex2D) == 24, "Vertex2D is 24 bytes");
static_assert(offsetof(Vertex2D, colour) == 8 && offsetof(Vertex2D, x) == 12 &&
                  offsetof(Vertex2D, z) == 20,
              "Vertex2D layout");
static_assert(sizeof(Vertex3D) == 36, "Vertex3D is 36 bytes");
static_assert(offsetof(Vertex3D, colour) == 8 && offsetof(Vertex3D, nx) == 12 &&
                  offsetof(Vertex3D, x) == 24,
              "Vertex3D layout");

// Primitive type codes shared by the array draws; a code above 5 draws nothing.
enum PrimitiveType : unsigned {
    kPrimPoints = 0,
    kPrimLines = 1,
    kPrimLineStrip = 2,
    kPrimTriangles = 3,
    kPrimTriangleStrip = 4,
    kPrimTriangleFan = 5,
};
