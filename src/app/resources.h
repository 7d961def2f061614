#pragma once
#include <cstdint>

// Read-only views of the resources bound into the executable. The bytes live
// as long as the program and are never copied or freed.

// Raw data resource `id` (only the low 16 bits count). Returns null when it is
// missing and then leaves *sizeOut untouched; sizeOut may be null.
const unsigned char *LoadResourceBytes(int id, uint32_t *sizeOut);

// Resource `id` of the named type (for example "TEXTURES"); the same contract.
const unsigned char *LoadTypedResourceBytes(int id, const char *typeName, uint32_t *sizeOut);
