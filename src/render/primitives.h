#pragma once
#include "math/vector.h"
#include "render/packed_colour.h"
#include "render/vertex.h"

#include <cstdint>

class CTexture;

// Immediate-mode drawing. The 2D draws enter 2D mode by themselves; the 3D
// draws leave it (running the End2D steps on every call) and pass every
// position through the device's world matrix on the CPU. A null texture draws
// untextured with the vertex colours.

void DrawPrimitive2D(unsigned type, CTexture *texture, const Vertex2D *vertices, unsigned count);
void DrawPrimitive3D(unsigned type, CTexture *texture, const Vertex3D *vertices, unsigned count);
void DrawIndexedPrimitive3D(unsigned type, CTexture *texture, unsigned indexCount,
                            const uint16_t *indices, const Vertex3D *vertices);

// Rectangles: position is the top-left corner and size the extent, in pixels.
// Corner colours: c0 top-left, c1 top-right, c2 bottom-left, c3 bottom-right.
void DrawColouredQuad(const CVector2 &position, const CVector2 &size, PackedColour c0,
                      PackedColour c1, PackedColour c2, PackedColour c3);
void DrawTexturedQuadGradient(CTexture *texture, const CVector2 &position, const CVector2 &size,
                              PackedColour c0, PackedColour c1, PackedColour c2, PackedColour c3);
void DrawTexturedQuad(CTexture *texture, const CVector2 &position, const CVector2 &size,
                      PackedColour colour);
