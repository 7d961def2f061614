// The geometry of the embedded logo model.
#include "app/resources.h"
#include "model/pmd_model.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <utility>

namespace {

// Closed and consistently wound: every directed edge appears once and its
// reverse once, the enclosed volume is positive (counter-clockwise faces point
// outwards), and each triangle's winding agrees with its vertices' normals.
TEST(LogoAsset, IsAClosedSurfaceWoundOutwards) {
    uint32_t size = 0;
    const unsigned char *bytes = LoadResourceBytes(113, &size);
    ASSERT_NE(bytes, nullptr);
    const std::unique_ptr<IPMDModel> model(IPMDModel::Parse(bytes, size));
    ASSERT_TRUE(model && model->MeshCount() == 1 && model->Mesh(0).groupCount == 1);
    const CPMDMesh &mesh = model->Mesh(0);
    const CPMDPrimitive &tri = mesh.groups[0].primitives[0];
    ASSERT_EQ(mesh.vertexCount, 370u);
    ASSERT_EQ(tri.indexCount, 3u * 736);
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
    for (const auto &[edge, count] : edges) {
        const auto reverse = edges.find({edge.second, edge.first});
        EXPECT_TRUE(count == 1 && reverse != edges.end() && reverse->second == 1)
            << "edge " << edge.first << "-" << edge.second << " is not shared by two triangles";
    }
    EXPECT_EQ(edges.size(), size_t(3 * 736)); // V - E + F = 370 - 1104 + 736 = 2
    EXPECT_GT(volume, 0.0);
}

} // namespace
