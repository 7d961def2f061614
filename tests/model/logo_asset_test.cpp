// The embedded logo: its file structure and its geometry.
#include "app/resources.h"
#include "memory/memory_tracker.h"
#include "model/pmd_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

namespace {

constexpr int kLogoModel = 113;
constexpr uint32_t kLogoBytes = 22480;

class LogoAsset : public ::testing::Test {
  protected:
    void SetUp() override {
        bytes = LoadResourceBytes(kLogoModel, &size);
        ASSERT_NE(bytes, nullptr);
        model.reset(IPMDModel::Parse(bytes, size, &consumed));
        ASSERT_TRUE(model);
    }
    const CPMDMesh &Mesh() const { return model->Mesh(0); }
    const CPMDPrimitive &Triangles() const { return Mesh().groups[0].primitives[0]; }

    const unsigned char *bytes = nullptr;
    uint32_t size = 0;
    size_t consumed = 0;
    std::unique_ptr<IPMDModel> model;
};

TEST_F(LogoAsset, HasTheShippedStructure) {
    EXPECT_EQ(size, kLogoBytes);
    EXPECT_EQ(consumed, kLogoBytes);
    ASSERT_EQ(model->MeshCount(), 1u);
    EXPECT_EQ(model->MaterialCount(), 1u);
    const CPMDMesh &mesh = Mesh();
    EXPECT_EQ(mesh.vertexCount, 370u);
    ASSERT_EQ(mesh.primitiveCount, 1u);
    ASSERT_EQ(mesh.groupCount, 1u);
    EXPECT_EQ(mesh.groups[0].material, 0u);
    ASSERT_EQ(mesh.groups[0].primitiveCount, 1u);
    for (const CPMDPrimitive *p : {&mesh.primitives[0], &mesh.groups[0].primitives[0]}) {
        EXPECT_EQ(p->type, unsigned(kPrimTriangles));
        EXPECT_EQ(p->indexCount, 2208u);
        EXPECT_EQ(p->vertexCount, 0u);
    }
    for (uint32_t i = 0; i < 2208; ++i)
        ASSERT_EQ(mesh.primitives[0].indices[i], mesh.groups[0].primitives[0].indices[i]) << i;
}

TEST_F(LogoAsset, BoundsAreTheVertexExtremes) {
    const CPMDMesh &mesh = Mesh();
    float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
    for (uint32_t i = 0; i < mesh.vertexCount; ++i) {
        const float p[3] = {mesh.vertices[i].x, mesh.vertices[i].y, mesh.vertices[i].z};
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::fmin(lo[k], p[k]);
            hi[k] = std::fmax(hi[k], p[k]);
        }
    }
    EXPECT_EQ(model->GetBoundsMin().x, lo[0]);
    EXPECT_EQ(model->GetBoundsMin().y, lo[1]);
    EXPECT_EQ(model->GetBoundsMin().z, lo[2]);
    EXPECT_EQ(model->GetBoundsMax().x, hi[0]);
    EXPECT_EQ(model->GetBoundsMax().y, hi[1]);
    EXPECT_EQ(model->GetBoundsMax().z, hi[2]);
}

// Drawn at S = 1 from 2 units away with a 60 degree field of view on 768
// rows, one model unit near the origin covers about 333 pixels; the logo
// must come out 200 to 260 pixels across.
TEST_F(LogoAsset, IsSizedForTheScene) {
    const float pixelsPerUnit = 384.0f / std::tan(30.0f * 3.14159265f / 180.0f) / 2.0f;
    const float width = (model->GetBoundsMax().x - model->GetBoundsMin().x) * pixelsPerUnit;
    const float height = (model->GetBoundsMax().y - model->GetBoundsMin().y) * pixelsPerUnit;
    EXPECT_GE(width, 200.0f);
    EXPECT_LE(width, 260.0f);
    EXPECT_GE(height, 200.0f);
    EXPECT_LE(height, 260.0f);
}

TEST_F(LogoAsset, VerticesAreWhiteWithUnitNormalsAndTextureCoordinatesInRange) {
    const CPMDMesh &mesh = Mesh();
    for (uint32_t i = 0; i < mesh.vertexCount; ++i) {
        const Vertex3D &v = mesh.vertices[i];
        EXPECT_EQ(v.colour, 0xFFFFFFFFu) << i;
        EXPECT_NEAR(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz, 1.0f, 1e-5f) << i;
        EXPECT_GE(v.u, 0.0f);
        EXPECT_LE(v.u, 1.0f);
        EXPECT_GE(v.v, 0.0f);
        EXPECT_LE(v.v, 1.0f);
    }
}

// The camera stands at z = -2 looking along +z, so its right is the world's
// -x and its up the world's +y: across the face, u must grow towards -x and
// v (0 = the picture's top) towards -y.
TEST_F(LogoAsset, PictureFacesTheCameraUpright) {
    const CPMDMesh &mesh = Mesh();
    const float radius = model->GetBoundsMax().x;
    int front = 0;
    for (uint32_t i = 0; i < mesh.vertexCount; ++i) {
        const Vertex3D &v = mesh.vertices[i];
        if (v.nz > -0.99f)
            continue;
        ++front;
        EXPECT_NEAR(v.u, 0.5f - v.x / (2.0f * radius), 1e-5f) << i;
        EXPECT_NEAR(v.v, 0.5f - v.y / (2.0f * radius), 1e-5f) << i;
    }
    EXPECT_GT(front, 46); // the front pole and at least one full ring
}

// Closed and consistently wound: every directed edge appears once and its
// reverse once, and the enclosed volume is positive, so counter-clockwise
// faces point outwards.
TEST_F(LogoAsset, IsAClosedSurfaceWoundOutwards) {
    const CPMDMesh &mesh = Mesh();
    const CPMDPrimitive &tri = Triangles();
    ASSERT_EQ(tri.indexCount % 3, 0u);
    std::map<std::pair<int, int>, int> edges;
    double volume = 0.0;
    for (uint32_t t = 0; t < tri.indexCount; t += 3) {
        const int a = tri.indices[t], b = tri.indices[t + 1], c = tri.indices[t + 2];
        ASSERT_TRUE(a != b && b != c && a != c) << "degenerate triangle " << t / 3;
        ++edges[{a, b}];
        ++edges[{b, c}];
        ++edges[{c, a}];
        const Vertex3D &p = mesh.vertices[a], &q = mesh.vertices[b], &r = mesh.vertices[c];
        volume += (double(p.x) * (double(q.y) * r.z - double(q.z) * r.y) -
                   double(p.y) * (double(q.x) * r.z - double(q.z) * r.x) +
                   double(p.z) * (double(q.x) * r.y - double(q.y) * r.x)) /
                  6.0;
    }
    for (const auto &e : edges) {
        EXPECT_EQ(e.second, 1) << "edge " << e.first.first << "-" << e.first.second;
        const auto reverse = edges.find({e.first.second, e.first.first});
        ASSERT_NE(reverse, edges.end())
            << "edge " << e.first.first << "-" << e.first.second << " has one triangle";
        EXPECT_EQ(reverse->second, 1);
    }
    EXPECT_EQ(edges.size(), size_t(3 * 736)); // V - E + F = 370 - 1104 + 736 = 2
    EXPECT_GT(volume, 0.0);
}

// Every triangle's own winding agrees with its vertices' normals.
TEST_F(LogoAsset, TrianglesFaceAlongTheirNormals) {
    const CPMDMesh &mesh = Mesh();
    const CPMDPrimitive &tri = Triangles();
    for (uint32_t t = 0; t < tri.indexCount; t += 3) {
        const Vertex3D &p = mesh.vertices[tri.indices[t]], &q = mesh.vertices[tri.indices[t + 1]],
                       &r = mesh.vertices[tri.indices[t + 2]];
        const float ex = q.x - p.x, ey = q.y - p.y, ez = q.z - p.z;
        const float fx = r.x - p.x, fy = r.y - p.y, fz = r.z - p.z;
        const float cx = ey * fz - ez * fy, cy = ez * fx - ex * fz, cz = ex * fy - ey * fx;
        const float nx = p.nx + q.nx + r.nx, ny = p.ny + q.ny + r.ny, nz = p.nz + q.nz + r.nz;
        EXPECT_GT(cx * nx + cy * ny + cz * nz, 0.0f) << "triangle " << t / 3;
    }
}

TEST_F(LogoAsset, EveryTruncationIsRejectedWithoutLeaks) {
    const uint32_t live = GetLiveUnitCount();
    for (uint32_t n = 0; n < size; ++n) {
        IPMDModel *truncated = IPMDModel::Parse(bytes, n);
        ASSERT_EQ(truncated, nullptr) << "prefix of " << n << " bytes";
    }
    EXPECT_EQ(GetLiveUnitCount(), live);
}

TEST_F(LogoAsset, TextureResourceIsAPng) {
    uint32_t textureSize = 0;
    const unsigned char *png = LoadTypedResourceBytes(107, "TEXTURES", &textureSize);
    ASSERT_NE(png, nullptr);
    ASSERT_GT(textureSize, 33u);
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    EXPECT_EQ(std::memcmp(png, signature, 8), 0);
    // IHDR: 256 x 256, 8 bits, colour type 6 (RGBA).
    auto be32 = [&](int at) {
        return uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 |
               uint32_t(png[at + 3]);
    };
    EXPECT_EQ(be32(16), 256u);
    EXPECT_EQ(be32(20), 256u);
    EXPECT_EQ(png[24], 8);
    EXPECT_EQ(png[25], 6);
}

} // namespace
