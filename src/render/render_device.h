#pragma once
#include "math/matrix.h"
#include "render/packed_colour.h"
#include "render/vertex.h"

#include <cstddef>
#include <cstdint>

// The render device: the one owner of OpenGL state. Module-level state with
// free functions, used on the GL thread only, after InitRenderDevice.

// Matrix slots of SetMatrix.
enum MatrixSlot : unsigned {
    kMatrixProjection = 0,
    kMatrixModelView = 1,
    kMatrixWorld = 2, // kept by the device, applied on the CPU to 3D draws
    kMatrixTexture = 3,
};

// Capability codes of EnableState / DisableState; other codes do nothing.
enum StateCode : unsigned {
    kStateAlphaTest = 0,
    kStateDepthTest = 1,
    kStateBlend = 2,
    kStateCullFace = 3,
    kStateTexture2D = 4,
    kStateLighting = 5,
    kStateLight0 = 6,
    kStateLight1 = 7,
    kStateLight2 = 8,
    kStateLight3 = 9,
};

// Filter codes of SetTextureFilter (0 nearest, 1 linear, 2-5 the mipmap modes).
enum FilterCode : unsigned {
    kFilterNearest = 0,
    kFilterLinear = 1,
    kFilterNearestMipmapNearest = 2,
    kFilterLinearMipmapNearest = 3,
    kFilterNearestMipmapLinear = 4,
    kFilterLinearMipmapLinear = 5,
};

// Bytes in the frame vertex arena.
constexpr size_t kFrameArenaSize = 0x40000;

// Sets the whole fixed-function state for a client area of width x height
// pixels and allocates the frame vertex arena. Always returns true.
bool InitRenderDevice(int width, int height);
// Frees the frame vertex arena; no GL state is undone.
void ShutdownRenderDevice();

int GetScreenWidth();
int GetScreenHeight();
float GetScreenWidthF();
float GetScreenHeightF();
bool IsIn2DMode();

// Frame vertex arena: a bump allocator reset once per render pass. Records live
// until the next reset. A request that does not fit in what is left is refused:
// it returns null and takes nothing, so no draw can write past the arena.
void ResetFrameArena();
void *AllocFrameBytes(size_t bytes);
// Takes count Vertex2D records: *out receives the first one (null when refused);
// returns the new cursor (null when refused).
void *AllocFrameVertices(int count, Vertex2D **out);
// Bytes still free in the arena this frame.
size_t FrameArenaRemaining();

void ClearColourBuffer(PackedColour colour);
void ClearDepthBuffer(float depth);

// Screen-space 2D mode: pixel units, origin top-left, y downward. Begin2D does
// nothing when already in 2D mode; End2D always pops and enables depth test and
// culling (the pops are ignored by GL outside 2D mode).
void Begin2D();
void End2D();

void SetMatrix(unsigned slot, const CMatrix4 &matrix);
// The world matrix applied to 3D draws.
const CMatrix4 &GetWorldMatrix();

void EnableState(unsigned code);
void DisableState(unsigned code);
void SetTextureFilter(unsigned minCode, unsigned magCode);
void SetViewport(int x, int y, int width, int height);
