#pragma once
// GL 1.1's per-vertex light model for the web backend's GL subset: what
// fixed-function GL computes for a lit vertex without colour material, with
// a non-local viewer, one-sided lighting, no attenuation and no spot lights
// (everything the program sets). Plain C++, tested natively.

constexpr int kGlLightCount = 4;

struct GlLight {
    bool enabled;
    float ambient[4];
    float diffuse[4];
    float specular[4];
    // Eye coordinates, as glLightfv stores it after the model-view; w 0
    // means a directional light.
    float position[4];
};

struct GlMaterial {
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float emission[4];
    float shininess; // 0..128
};

struct GlLightModel {
    float ambient[4]; // the scene's ambient light
    GlLight lights[kGlLightCount];
    GlMaterial material;
};

// GL's initial state: light 0 white diffuse and specular, the others dark,
// all at (0, 0, 1, 0) and disabled; material ambient 0.2, diffuse 0.8.
GlLightModel GlDefaultLightModel();

// Stores a light position given in object coordinates as glLightfv does:
// through the model-view matrix (column-major, 16 floats).
void GlSetLightPosition(GlLight *light, const float objectPosition[4], const float modelView[16]);

// The colour of a vertex at eyePosition with eyeNormal (both eye
// coordinates; the normal is used as given, GL_NORMALIZE being off), each
// component clamped to 0..1; alpha is the material's diffuse alpha.
void GlLightVertex(const GlLightModel &model, const float eyePosition[3], const float eyeNormal[3],
                   float rgba[4]);
