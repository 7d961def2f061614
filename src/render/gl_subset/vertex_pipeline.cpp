#include "render/gl_subset/vertex_pipeline.h"

namespace {

void Transform4(const CMatrix4 &m, const float v[4], float out[4]) {
    for (int r = 0; r < 4; ++r)
        out[r] = m.m[r] * v[0] + m.m[4 + r] * v[1] + m.m[8 + r] * v[2] + m.m[12 + r] * v[3];
}

} // namespace

GlVertexOut GlProcessVertex(const GlVertexState &state, const GlVertexInput &in) {
    GlVertexOut out;
    const float object[4] = {in.position[0], in.position[1], in.position[2], 1.0f};
    float eye[4];
    Transform4(state.modelView, object, eye);
    Transform4(state.projection, eye, out.clip);
    if (state.mirrorDepth)
        out.clip[2] = -out.clip[2];

    if (state.lighting) {
        // Normals go through the inverse transpose of the model-view's 3x3.
        const CMatrix4 inverse = state.modelView.InverseRotation();
        float normal[3];
        for (int i = 0; i < 3; ++i)
            normal[i] = inverse.m[4 * i] * in.normal[0] + inverse.m[4 * i + 1] * in.normal[1] +
                        inverse.m[4 * i + 2] * in.normal[2];
        const float eyePosition[3] = {eye[0] / eye[3], eye[1] / eye[3], eye[2] / eye[3]};
        GlLightVertex(*state.lighting, eyePosition, normal, out.colour);
    } else {
        for (int k = 0; k < 4; ++k)
            out.colour[k] = in.colour[k];
    }

    const float st[4] = {in.texCoord[0], in.texCoord[1], 0.0f, 1.0f};
    float t[4];
    Transform4(state.texture, st, t);
    const float q = t[3] != 0.0f ? t[3] : 1.0f;
    out.texCoord[0] = t[0] / q;
    out.texCoord[1] = t[1] / q;
    return out;
}
