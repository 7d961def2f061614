#pragma once
#include <cstdint>

class CTexture;

// Decoding into a texture's store without touching GL, so it may run on any
// thread. A texture made here has no GL name yet: whoever hands it on gives it
// one on the GL thread (LoadTextureResource does).

// A PNG whose 8-bit signature was already checked; null on any error.
// (png_decode.cpp with libpng, png_decode_wic.cpp on Windows.)
CTexture *DecodePngStore(const uint8_t *bytes, int size);

// A "TEXTURES" resource body: a PNG, or else the raw form; null when damaged.
CTexture *DecodeTextureStore(const uint8_t *bytes, uint32_t size);

// The texture prefetched for `id`, waiting for the worker if it is still busy;
// null when `id` was not prefetched, was taken already or failed to decode.
// The caller owns the result.
CTexture *TakePrefetchedTexture(int id);
