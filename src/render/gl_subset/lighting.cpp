#include "render/gl_subset/lighting.h"

#include <cmath>

namespace {

void Set4(float *out, float a, float b, float c, float d) {
    out[0] = a;
    out[1] = b;
    out[2] = c;
    out[3] = d;
}

float Dot3(const float *a, const float *b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Unit vector along v; the zero vector stays zero.
void Normalise3(float *v) {
    const float length = std::sqrt(Dot3(v, v));
    if (length > 0.0f)
        for (int i = 0; i < 3; ++i)
            v[i] /= length;
}

float Clamp01(float v) { return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v; }

} // namespace

GlLightModel GlDefaultLightModel() {
    GlLightModel model{};
    Set4(model.ambient, 0.2f, 0.2f, 0.2f, 1.0f);
    for (int i = 0; i < kGlLightCount; ++i) {
        GlLight &light = model.lights[i];
        light.enabled = false;
        Set4(light.ambient, 0, 0, 0, 1);
        const float c = i == 0 ? 1.0f : 0.0f;
        Set4(light.diffuse, c, c, c, 1);
        Set4(light.specular, c, c, c, 1);
        Set4(light.position, 0, 0, 1, 0);
    }
    GlMaterial &m = model.material;
    Set4(m.ambient, 0.2f, 0.2f, 0.2f, 1.0f);
    Set4(m.diffuse, 0.8f, 0.8f, 0.8f, 1.0f);
    Set4(m.specular, 0, 0, 0, 1);
    Set4(m.emission, 0, 0, 0, 1);
    m.shininess = 0.0f;
    return model;
}

void GlSetLightPosition(GlLight *light, const float p[4], const float m[16]) {
    for (int r = 0; r < 4; ++r)
        light->position[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r] * p[3];
}

void GlLightVertex(const GlLightModel &model, const float eyePosition[3], const float n[3],
                   float rgba[4]) {
    const GlMaterial &mat = model.material;
    float c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = mat.emission[k] + mat.ambient[k] * model.ambient[k];
    for (const GlLight &light : model.lights) {
        if (!light.enabled)
            continue;
        // Direction to the light: towards a point light, or along a
        // directional light's vector.
        float toLight[3];
        for (int k = 0; k < 3; ++k)
            toLight[k] = light.position[3] != 0.0f
                             ? light.position[k] / light.position[3] - eyePosition[k]
                             : light.position[k];
        Normalise3(toLight);
        const float diffuse = Dot3(n, toLight);
        float specular = 0.0f;
        if (diffuse > 0.0f) {
            // Half vector with the viewer at infinity along +z.
            float half[3] = {toLight[0], toLight[1], toLight[2] + 1.0f};
            Normalise3(half);
            const float nh = Dot3(n, half);
            if (nh > 0.0f)
                specular = mat.shininess == 0.0f ? 1.0f : std::pow(nh, mat.shininess);
        }
        const float lambert = diffuse > 0.0f ? diffuse : 0.0f;
        for (int k = 0; k < 3; ++k)
            c[k] += light.ambient[k] * mat.ambient[k] + lambert * light.diffuse[k] * mat.diffuse[k] +
                    specular * light.specular[k] * mat.specular[k];
    }
    for (int k = 0; k < 3; ++k)
        rgba[k] = Clamp01(c[k]);
    rgba[3] = Clamp01(mat.diffuse[3]);
}
