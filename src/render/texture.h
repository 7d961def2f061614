#pragma once
#include <cstdint>

// An RGBA pixel store sized up to powers of two and kept in main memory, plus
// its GL texture name. Row 0 of the store is the top row of the image; texels
// outside the image are transparent black. The store is uploaded again at
// every bind that follows a bind of another texture.
class CTexture {
  public:
    CTexture() = default;
    ~CTexture(); // clears the last-bound cache if it points here
    CTexture(const CTexture &) = delete;
    CTexture &operator=(const CTexture &) = delete;

    // Sizes and zeroes the store and generates the GL name. Only kind 1 (RGBA)
    // exists: any other kind returns false having allocated nothing.
    bool Allocate(int kind, uint32_t width, uint32_t height);
    // Allocate without the GL name, so any thread may call it.
    bool AllocateStore(int kind, uint32_t width, uint32_t height);
    // Frees the store; the GL name stays.
    void ReleasePixels();
    // Makes this the current 2D texture and enables texturing; uploads the store
    // unless this texture was the last one bound.
    void Bind();

    uint32_t name = 0;      // GL texture name, 0 until Allocate
    int bytesPerPixel = 0;  // 4
    int format = 0;         // GL_RGBA
    uint32_t width = 0;     // image size in pixels
    uint32_t height = 0;
    uint32_t storeWidth = 0; // powers of two not below the image size (1 for 0 or 1)
    uint32_t storeHeight = 0;
    uint8_t *pixels = nullptr;     // R, G, B, A per texel, rows of storeWidth texels
    uint8_t *allocation = nullptr; // the owned block; null after ReleasePixels
};

// Builds a texture from "TEXTURES" resource `id`: a PNG, or else the raw form
// (4 unread bytes, width, height, then width x height RGBA texels). Returns
// null when the resource is missing or damaged; the caller owns the result
// and disposes of it with ReleasePixels and delete.
CTexture *LoadTextureResource(int id);

// Decodes a PNG held in memory whose 8-byte signature was already checked.
// Returns null on any decoding error, leaving nothing allocated.
CTexture *DecodePngTexture(const uint8_t *bytes, int size);
