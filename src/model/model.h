#pragma once
#include "math/vector.h"
#include "render/packed_colour.h"

// A drawable 3D model. The scene holds the logo through this interface.
class CPMDModel {
  public:
    virtual ~CPMDModel() = default;
    // Draws the whole model with the current GL state and matrices.
    virtual void Render() = 0;
    // The bounding box as the model file states it (model units).
    virtual const CVector3 &GetBoundsMin() const = 0;
    virtual const CVector3 &GetBoundsMax() const = 0;
    // Stores `colour` into the colour word of every vertex that can be drawn.
    virtual void SetVertexColour(PackedColour colour) = 0;
};
