// The geometry of the embedded logo model.
#include "app/resources.h"
#include "model/pmd_model.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <utility>

namespace {

class LogoAsset : public ::testing::Test {
  protected:
    void SetUp() override {
        uint32_t size = 0;
        const unsigned char *bytes = LoadResourceBytes(113, &size);
        ASSERT_NE(bytes, nullptr);
        model.reset(IPMDModel::Parse(bytes, size));
        ASSERT_TRUE(model);
        ASSERT_EQ(model->MeshCount(), 1u);
        ASSERT_EQ(Mesh().groupCount, 1u);
        ASSERT_EQ(Mesh().groups[0].primitiveCount, 1u);
        ASSERT_EQ(Mesh().vertexCount, 370u);
    }
    const CPMDMesh &Mesh() const { return model->Mesh(0); }
    const CPMDPrimitive &Triangles() const { return Mesh().groups[0].primitives[0]; }

    std::unique_ptr<IPMDModel> model;
};

// White, unit normals, texture coordinates in range. The camera stands at
// z = -2 looking along +z, so its right is the world's -x: across the front
// face u must grow towards -x and v (0 = the picture's top) towards -y.
TEST_F(LogoAsset, VerticesShowThePictureUprightOnTheFront) {
    const CPMDMesh &mesh = Mesh();
    const float radius = model->GetBoundsMax().x;
    int front = 0;
    for (uint32_t i = 0; i < mesh.vertexCount; ++i) {
        const Vertex3D &v = mesh.vertices[i];
        EXPECT_EQ(v.colour, 0xFFFFFFFFu) << i;
        EXPECT_NEAR(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz, 1.0f, 1e-5f) << i;
        EXPECT_TRUE(v.u >= 0.0f && v.u <= 1.0f && v.v >= 0.0f && v.v <= 1.0f) << i;
        if (v.nz > -0.99f)
            continue;
        ++front;
        EXPECT_NEAR(v.u, 0.5f - v.x / (2.0f * radius), 1e-5f) << i;
        EXPECT_NEAR(v.v, 0.5f - v.y / (2.0f * radius), 1e-5f) << i;
    }
    EXPECT_GT(front, 46); // the front pole and at least one full ring
}

// Closed and consistently wound: every directed edge appears once and its
// reverse once, the enclosed volume is positive (counter-clockwise faces point
// outwards), and each triangle's winding agrees with its vertices' normals.
TEST_F(LogoAsset, IsAClosedSurfaceWoundOutwards) {
    const CPMDMesh &mesh = Mesh();
    const CPMDPrimitive &tri = Triangles();
    std::map<std::pair<int, int>, int> edges;
    double volume = 0.0;
    for (uint32_t t = 0; t < tri.indexCount; t += 3) {
        const int a = tri.indices[t], b = tri.indices[t + 1], c = tri.indices[t + 2];
        ASSERT_TRUE(a != b && b != c && a != c) << "degenerate triangle " << t / 3;
        ++edges[{a, b}];
        ++edges[{b, c}];
        ++edges[{c, a}];
        const Vertex3D &p = mesh.vertices[a], &q = mesh.vertices[b], &r = mesh.vertices[c];
        const CVector3 e(q.x - p.x, q.y - p.y, q.z - p.z), f(r.x - p.x, r.y - p.y, r.z - p.z);
        const CVector3 n(e.y * f.z - e.z * f.y, e.z * f.x - e.x * f.z, e.x * f.y - e.y * f.x);
        EXPECT_GT(n.x * (p.nx + q.nx + r.nx) + n.y * (p.ny + q.ny + r.ny) +
                      n.z * (p.nz + q.nz + r.nz),
                  0.0f)
            << "triangle " << t / 3 << " faces against its normals";
        volume += (double(p.x) * n.x + double(p.y) * n.y + double(p.z) * n.z) / 6.0;
    }
    for (const auto &e : edges) {
        EXPECT_EQ(e.second, 1) << "edge " << e.first.first << "-" << e.first.second;
        const auto reverse = edges.find({e.first.second, e.first.first});
        EXPECT_TRUE(reverse != edges.end() && reverse->second == 1)
            << "edge " << e.first.first << "-" << e.first.second << " has no one neighbour";
    }
    EXPECT_EQ(edges.size(), size_t(3 * 736)); // V - E + F = 370 - 1104 + 736 = 2
    EXPECT_GT(volume, 0.0);
}

} // namespace
