// The web backend's GL subset, natively: matrix stacks and projections,
// the light model against a reference computed here in double precision,
// per-vertex work and primitive assembly.
#include "render/gl_subset/batch.h"
#include "render/gl_subset/lighting.h"
#include "render/gl_subset/matrix_stack.h"
#include "render/gl_subset/vertex_pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

CMatrix4 Translation(float x, float y, float z) {
    CMatrix4 m;
    return m.MakeTranslation(x, y, z);
}

// p through m, divided by w.
void Project(const CMatrix4 &m, float x, float y, float z, float out[3]) {
    float v[4];
    for (int r = 0; r < 4; ++r)
        v[r] = m.m[r] * x + m.m[4 + r] * y + m.m[8 + r] * z + m.m[12 + r];
    for (int k = 0; k < 3; ++k)
        out[k] = v[k] / v[3];
}

TEST(GlMatrixStack, PushPopAndLimits) {
    CGlMatrixStack stack(2);
    EXPECT_FALSE(stack.Pop()) << "underflow must leave the bottom matrix";
    stack.Load(Translation(1, 2, 3));
    ASSERT_TRUE(stack.Push());
    EXPECT_EQ(stack.Top().m[12], 1.0f) << "push copies the top";
    stack.LoadIdentity();
    EXPECT_FALSE(stack.Push()) << "capacity 2 exceeded";
    EXPECT_EQ(stack.Depth(), 2);
    ASSERT_TRUE(stack.Pop());
    EXPECT_EQ(stack.Top().m[13], 2.0f) << "pop restores the pushed matrix";

    CGlMatrixStack deep(1000);
    int pushes = 0;
    while (deep.Push())
        ++pushes;
    EXPECT_EQ(pushes, CGlMatrixStack::kMaxDepth - 1);
}

TEST(GlMatrixStack, MultiplyAppliesArgumentFirst) {
    // glTranslate then glScale: a vertex is scaled, then moved.
    CGlMatrixStack stack(4);
    stack.Multiply(Translation(10, 0, 0));
    CMatrix4 scale;
    scale.MakeScale(2.0f);
    stack.Multiply(scale);
    float p[3];
    Project(stack.Top(), 1, 1, 1, p);
    EXPECT_FLOAT_EQ(p[0], 12.0f);
    EXPECT_FLOAT_EQ(p[1], 2.0f);
}

TEST(GlProjection, CornersMapToTheUnitCube) {
    struct Case {
        const char *name;
        bool perspective;
        float l, r, b, t, n, f;
    };
    const Case cases[] = {
        {"ortho 2D", false, 0, 800, 600, 0, -1, 1},
        {"ortho off-centre", false, -3, 5, -2, 7, 0.5f, 40},
        {"frustum", true, -1, 1, -0.75f, 0.75f, 1, 100},
        {"frustum off-centre", true, -0.2f, 0.6f, -0.1f, 0.5f, 0.5f, 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CMatrix4 m;
        ASSERT_TRUE(c.perspective ? GlFrustumMatrix(c.l, c.r, c.b, c.t, c.n, c.f, &m)
                                  : GlOrthoMatrix(c.l, c.r, c.b, c.t, c.n, c.f, &m));
        // The near rectangle's corners, and for the frustum the far plane's
        // scaled corner, at the eye's -z.
        float lo[3], hi[3];
        Project(m, c.l, c.b, -c.n, lo);
        const float s = c.perspective ? c.f / c.n : 1.0f;
        Project(m, c.r * s, c.t * s, -c.f, hi);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(lo[k], -1, 1e-5) << "axis " << k;
            EXPECT_NEAR(hi[k], 1, 1e-4) << "axis " << k;
        }
    }
    CMatrix4 unused;
    EXPECT_FALSE(GlFrustumMatrix(-1, 1, -1, 1, 0, 10, &unused));
    EXPECT_FALSE(GlOrthoMatrix(1, 1, -1, 1, 0, 10, &unused));
    EXPECT_FALSE(GlPerspectiveMatrix(45, 4.0f / 3, 1, 1, &unused));
}

TEST(GlProjection, PerspectiveEqualsTheMatchingFrustum) {
    const float fovy = 45.0f, aspect = 800.0f / 600.0f, n = 0.1f, f = 100.0f;
    const double top = n * std::tan(fovy * M_PI / 360.0);
    CMatrix4 p, q;
    ASSERT_TRUE(GlPerspectiveMatrix(fovy, aspect, n, f, &p));
    ASSERT_TRUE(GlFrustumMatrix(float(-top * aspect), float(top * aspect), float(-top), float(top),
                                n, f, &q));
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(p.m[i], q.m[i], 1e-4 * (1 + std::fabs(q.m[i]))) << "element " << i;
}

// GL 1.1's lighting equation, written from its definition in doubles; the
// inputs are the floats the code under test is given.
struct RefLight {
    float ambient[3], diffuse[3], specular[3], position[4];
};
void ReferenceLight(const float sceneAmbient[3], const float matAmbient[3],
                    const float matDiffuse[3], double matSpecular, double shininess,
                    const std::vector<RefLight> &lights, const float v[3], const float n[3],
                    double out[3]) {
    for (int k = 0; k < 3; ++k)
        out[k] = double(matAmbient[k]) * sceneAmbient[k];
    for (const RefLight &l : lights) {
        double L[3];
        for (int k = 0; k < 3; ++k)
            L[k] =
                l.position[3] == 0 ? l.position[k] : double(l.position[k]) / l.position[3] - v[k];
        const double len = std::sqrt(L[0] * L[0] + L[1] * L[1] + L[2] * L[2]);
        for (double &x : L)
            x /= len;
        const double nl = n[0] * L[0] + n[1] * L[1] + n[2] * L[2];
        double h[3] = {L[0], L[1], L[2] + 1};
        const double hl = std::sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]);
        const double nh = (n[0] * h[0] + n[1] * h[1] + n[2] * h[2]) / hl;
        const double spec = nl > 0 && nh > 0 ? std::pow(nh, shininess) : 0;
        for (int k = 0; k < 3; ++k)
            out[k] += double(l.ambient[k]) * matAmbient[k] +
                      std::max(nl, 0.0) * l.diffuse[k] * matDiffuse[k] +
                      spec * l.specular[k] * matSpecular;
    }
    for (int k = 0; k < 3; ++k)
        out[k] = std::min(1.0, std::max(0.0, out[k]));
}

TEST(GlLighting, MatchesTheReferenceEquation) {
    // The program's two lights (eye coordinates under an identity
    // model-view), and a directional light; materials with and without
    // specular, normals facing towards, across and away from the lights.
    const std::vector<RefLight> programLights = {
        {{0.5, 0.5, 0.5}, {0.8, 0.8, 0.8}, {2.5, 2.5, 2.5}, {0, 10, 10, 1}},
        {{0.5, 0.5, 0.5}, {0.5, 0.5, 0.5}, {1.0, 0.5, 0.5}, {0, 10, -10, 1}},
    };
    const std::vector<RefLight> directional = {
        {{0.1, 0.0, 0.0}, {0.3, 0.9, 0.6}, {1, 1, 1}, {1, 2, 2, 0}},
    };
    struct Case {
        const char *name;
        const std::vector<RefLight> *lights;
        double specular;
        double shininess;
        float v[3], n[3];
    };
    const Case cases[] = {
        {"front, no specular", &programLights, 0.0, 100, {0, 0, -5}, {0, 0, 1}},
        {"front, specular", &programLights, 0.7, 100, {0, 0, -5}, {0, 0.6, 0.8}},
        {"tilted, low shininess", &programLights, 0.4, 5, {1, -2, -8}, {0.6, 0.8, 0}},
        {"facing away", &programLights, 0.9, 10, {0, 0, -5}, {0, -1, 0}},
        {"directional", &directional, 0.5, 20, {3, 3, -3}, {0.48, 0.6, 0.64}},
        {"long normal", &directional, 0.0, 0, {0, 0, 0}, {0, 0, 3}},
    };
    const float sceneAmbient[3] = {0.2f, 0.2f, 0.2f}; // the default light model's
    const float matAmbient[3] = {0.2f, 0.3f, 0.1f};
    const float matDiffuse[3] = {0.8f, 0.6f, 0.4f};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        GlLightModel model = GlDefaultLightModel();
        const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        for (size_t i = 0; i < c.lights->size(); ++i) {
            const RefLight &r = (*c.lights)[i];
            GlLight &l = model.lights[i];
            l.enabled = true;
            std::copy_n(r.ambient, 3, l.ambient);
            std::copy_n(r.diffuse, 3, l.diffuse);
            std::copy_n(r.specular, 3, l.specular);
            GlSetLightPosition(&l, r.position, identity);
        }
        std::copy_n(matAmbient, 3, model.material.ambient);
        std::copy_n(matDiffuse, 3, model.material.diffuse);
        std::fill_n(model.material.specular, 3, float(c.specular));
        model.material.diffuse[3] = 0.75f;
        model.material.shininess = float(c.shininess);
        float got[4];
        GlLightVertex(model, c.v, c.n, got);
        double ref[3];
        ReferenceLight(sceneAmbient, matAmbient, matDiffuse, c.specular, c.shininess, *c.lights,
                       c.v, c.n, ref);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(got[k], ref[k], 1e-4) << "channel " << k;
        EXPECT_FLOAT_EQ(got[3], 0.75f) << "alpha is the material's diffuse alpha";
    }
}

TEST(GlLighting, DisabledLightsAndPositionThroughModelView) {
    GlLightModel model = GlDefaultLightModel();
    const float normal[3] = {0, 0, 1}, at[3] = {0, 0, 0};
    float rgba[4];
    GlLightVertex(model, at, normal, rgba);
    EXPECT_NEAR(rgba[0], 0.04f, 1e-6) << "only scene ambient x material ambient";

    // A light on +x moved by a model-view that turns +x into +z.
    CMatrix4 turn;
    turn.SetIdentity().MakeRotationY(float(M_PI) / 2);
    const float p[4] = {1, 0, 0, 0};
    GlSetLightPosition(&model.lights[0], p, turn.m);
    float tx[3];
    Project(turn, 1, 0, 0, tx);
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(model.lights[0].position[k], tx[k], 1e-6);
}

TEST(GlVertexPipeline, TransformsDepthMirrorTextureAndNormals) {
    GlVertexState state{};
    state.modelView = Translation(1, 0, -4);
    ASSERT_TRUE(GlPerspectiveMatrix(90, 1, 1, 10, &state.projection));
    state.texture.SetIdentity().m[12] = 0.5f; // shifts s by a half
    GlVertexInput in{};                       // at the origin
    in.colour[0] = 0.25f;
    in.colour[3] = 0.5f;
    in.texCoord[0] = 0.25f;
    GlVertexOut a = GlProcessVertex(state, in);
    EXPECT_NEAR(a.clip[0] / a.clip[3], 0.25f, 1e-6); // x 1 at depth 4 over tan 45
    EXPECT_FLOAT_EQ(a.texCoord[0], 0.75f);
    EXPECT_FLOAT_EQ(a.colour[0], 0.25f) << "unlit vertices keep their colour";
    EXPECT_FLOAT_EQ(a.colour[3], 0.5f);
    state.mirrorDepth = true;
    GlVertexOut b = GlProcessVertex(state, in);
    EXPECT_FLOAT_EQ(b.clip[2], -a.clip[2]);
    EXPECT_FLOAT_EQ(b.clip[3], a.clip[3]);

    // A normal under a non-uniform scale goes through the inverse
    // transpose: a 45 degree surface squashed in x tilts its normal towards
    // +x, and the directional light along +x then lights it more.
    GlLightModel model = GlDefaultLightModel();
    model.lights[0].enabled = true;
    model.lights[0].position[0] = 1;
    model.lights[0].position[2] = 0;
    state.lighting = &model;
    state.mirrorDepth = false;
    state.modelView.SetIdentity().m[0] = 0.5f;
    in.normal[0] = in.normal[1] = float(M_SQRT1_2);
    GlVertexOut lit = GlProcessVertex(state, in);
    // Eye normal (2, 1, 0) / sqrt2 unnormalised: n.L = sqrt2, so diffuse clamps.
    EXPECT_FLOAT_EQ(lit.colour[0], 1.0f);
    in.normal[0] = float(M_SQRT1_2) / 4;
    lit = GlProcessVertex(state, in);
    EXPECT_NEAR(lit.colour[0], 0.04f + 0.8f * float(M_SQRT1_2) / 2, 1e-6);

    // A shear x += y keeps the planes y = c horizontal, so their normal
    // stays +y and a light along -x grazes them; the inverse without the
    // transpose would tilt the normal into that light.
    state.modelView.SetIdentity().m[4] = 1.0f;
    model.lights[0].position[0] = -1;
    in.normal[0] = 0;
    in.normal[1] = 1;
    lit = GlProcessVertex(state, in);
    EXPECT_NEAR(lit.colour[0], 0.04f, 1e-6);
}

GlVertexOut Tagged(int i) {
    GlVertexOut v{};
    v.texCoord[0] = float(i);
    return v;
}
std::vector<int> Tags(const std::vector<GlVertexOut> &list) {
    std::vector<int> tags;
    for (const GlVertexOut &v : list)
        tags.push_back(int(v.texCoord[0]));
    return tags;
}

TEST(GlBatch, AssemblesEveryModeIntoLists) {
    struct Case {
        const char *name;
        unsigned mode;
        int count;
        std::vector<int> points, lines, triangles;
    };
    const Case cases[] = {
        {"points", kGlPoints, 3, {0, 1, 2}, {}, {}},
        {"lines, odd vertex dropped", kGlLines, 5, {}, {0, 1, 2, 3}, {}},
        {"line strip", kGlLineStrip, 4, {}, {0, 1, 1, 2, 2, 3}, {}},
        {"line strip of one", kGlLineStrip, 1, {}, {}, {}},
        {"triangles, partial dropped", kGlTriangles, 8, {}, {}, {0, 1, 2, 3, 4, 5}},
        {"strip keeps winding", kGlTriangleStrip, 5, {}, {}, {0, 1, 2, 2, 1, 3, 2, 3, 4}},
        {"fan", kGlTriangleFan, 5, {}, {}, {0, 1, 2, 0, 2, 3, 0, 3, 4}},
        {"fan of two", kGlTriangleFan, 2, {}, {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CGlBatch batch;
        ASSERT_TRUE(batch.Begin(c.mode));
        for (int i = 0; i < c.count; ++i)
            batch.Add(Tagged(i));
        ASSERT_TRUE(batch.End());
        EXPECT_EQ(Tags(batch.Points()), c.points);
        EXPECT_EQ(Tags(batch.Lines()), c.lines);
        EXPECT_EQ(Tags(batch.Triangles()), c.triangles);
    }
}

TEST(GlBatch, PrimitivesAccumulateUntilClearedAndMisuseIsIgnored) {
    CGlBatch batch;
    batch.Add(Tagged(9)); // outside Begin .. End
    EXPECT_FALSE(batch.End());
    EXPECT_FALSE(batch.Begin(0x0007)) << "quads are not part of the subset";
    ASSERT_TRUE(batch.Begin(kGlTriangles));
    EXPECT_FALSE(batch.Begin(kGlLines)) << "nested Begin";
    for (int i = 0; i < 3; ++i)
        batch.Add(Tagged(i));
    batch.End();
    batch.Begin(kGlTriangleFan);
    for (int i = 10; i < 14; ++i)
        batch.Add(Tagged(i));
    batch.End();
    EXPECT_EQ(Tags(batch.Triangles()), (std::vector<int>{0, 1, 2, 10, 11, 12, 10, 12, 13}));
    batch.Clear();
    EXPECT_TRUE(batch.Empty());
}

} // namespace
