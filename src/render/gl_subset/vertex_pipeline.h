#pragma once
// Per-vertex work of the GL subset, done on the CPU so the shader only
// interpolates: position to clip coordinates, the light model, the texture
// matrix. Plain C++, tested natively.
#include "math/matrix.h"
#include "render/gl_subset/lighting.h"

// What glTexCoord2f, glNormal3f, glColor4ub and glVertex3f last gave.
struct GlVertexInput {
    float position[3];
    float normal[3];
    float colour[4]; // 0..1
    float texCoord[2];
};

// One vertex as the shader takes it.
struct GlVertexOut {
    float clip[4];
    float colour[4];
    float texCoord[2];
};

struct GlVertexState {
    CMatrix4 modelView;
    CMatrix4 projection;
    CMatrix4 texture;
    const GlLightModel *lighting; // null while GL_LIGHTING is off
    // glDepthRange with near above far, which WebGL refuses: the clip z is
    // mirrored instead, which gives the same window depth under (far, near).
    bool mirrorDepth;
};

GlVertexOut GlProcessVertex(const GlVertexState &state, const GlVertexInput &in);
