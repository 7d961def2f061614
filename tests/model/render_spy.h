#pragma once
#include "render/vertex.h"

#include <cstdint>
#include <vector>

class CTexture;

// Stands in for the render device, primitive drawing, texture loading and
// the GL material call, so the model's walks can be checked without GL.
struct SpyCall {
    enum Kind { kDraw, kIndexedDraw, kDisable, kMaterial } kind;
    unsigned type = 0;
    CTexture *texture = nullptr;
    unsigned count = 0; // vertices or indices
    const Vertex3D *vertices = nullptr;
    const uint16_t *indices = nullptr;
    unsigned state = 0;             // kDisable
    uint32_t materialWords[3] = {}; // kMaterial: ambient, diffuse, specular
};

struct RenderSpy {
    std::vector<SpyCall> calls;
    std::vector<int> loadedTextureIds;  // ids asked of LoadTextureResource
    std::vector<int> missingTextureIds; // ids for which it returns null
    int texturesReleased = 0;           // ReleasePixels calls
    int texturesDeleted = 0;
};

// Cleared by each test fixture.
RenderSpy &Spy();
