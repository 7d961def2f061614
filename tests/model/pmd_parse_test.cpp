#include "memory/memory_tracker.h"
#include "model/model_file_builder.h"
#include "model/pmd_model.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Parses and expects rejection with no allocation left behind.
void ExpectRejected(const std::vector<uint8_t> &bytes, size_t size, const std::string &what) {
    const uint32_t live = GetLiveUnitCount();
    IPMDModel *model = IPMDModel::Parse(bytes.data(), size);
    EXPECT_EQ(model, nullptr) << what;
    delete model;
    EXPECT_EQ(GetLiveUnitCount(), live) << what << ": the rejected parse leaked";
}

TEST(PmdParse, UnmaterialledModelKeepsEveryField) {
    const CModelFileBuilder b = BuildUnmaterialledModel();
    size_t consumed = 0;
    std::unique_ptr<IPMDModel> model(IPMDModel::Parse(b.bytes.data(), b.bytes.size(), &consumed));
    ASSERT_TRUE(model);
    EXPECT_EQ(consumed, b.bytes.size());
    EXPECT_EQ(model->MaterialCount(), 0u);
    EXPECT_EQ(model->TextureCount(), 0u);
    ASSERT_EQ(model->MeshCount(), 1u);
    const CPMDMesh &mesh = model->Mesh(0);
    EXPECT_STREQ(mesh.name, "plain");
    EXPECT_EQ(mesh.vertexCount, 3u);
    EXPECT_EQ(mesh.primitiveCount, 2u);
    EXPECT_EQ(mesh.groupCount, 0u);
    EXPECT_EQ(mesh.vertices[1].x, 1.0f);
    EXPECT_EQ(mesh.vertices[2].y, 1.0f);
    const CPMDPrimitive &indexed = mesh.primitives[0];
    EXPECT_EQ(indexed.type, unsigned(kPrimTriangles));
    EXPECT_EQ(indexed.indexCount, 3u);
    EXPECT_EQ(indexed.vertexCount, 0u);
    EXPECT_EQ(indexed.indices[2], 2);
    const CPMDPrimitive &own = mesh.primitives[1];
    EXPECT_EQ(own.indexCount, 3u);
    EXPECT_EQ(own.vertexCount, 3u);
    EXPECT_EQ(own.indices[0], 2);
    EXPECT_EQ(own.vertices[1].x, 1.0f);
    EXPECT_EQ(own.vertices[1].z, 1.0f);
}

TEST(PmdParse, BoundsComeFromTheHeaderNotTheVertices) {
    const CModelFileBuilder b = BuildUnmaterialledModel();
    std::unique_ptr<IPMDModel> model(IPMDModel::Parse(b.bytes.data(), b.bytes.size()));
    ASSERT_TRUE(model);
    EXPECT_EQ(model->GetBoundsMin().x, -5.0f);
    EXPECT_EQ(model->GetBoundsMin().y, -6.0f);
    EXPECT_EQ(model->GetBoundsMin().z, -7.0f);
    EXPECT_EQ(model->GetBoundsMax().x, 5.0f);
    EXPECT_EQ(model->GetBoundsMax().y, 6.0f);
    EXPECT_EQ(model->GetBoundsMax().z, 7.0f);
}

TEST(PmdParse, MaterialledModelKeepsGroupsAndMaterialWords) {
    const CModelFileBuilder b = BuildMaterialledModel();
    size_t consumed = 0;
    std::unique_ptr<IPMDModel> model(IPMDModel::Parse(b.bytes.data(), b.bytes.size(), &consumed));
    ASSERT_TRUE(model);
    EXPECT_EQ(consumed, b.bytes.size());
    ASSERT_EQ(model->MaterialCount(), 2u);
    EXPECT_STREQ(model->Material(0).name, "first");
    EXPECT_STREQ(model->Material(1).textureFile, "texture.png");
    EXPECT_EQ(model->Material(1).ambient, 0xDEADBEEFu);
    EXPECT_EQ(model->Material(1).diffuse, 0u);
    EXPECT_EQ(model->Material(1).specular, 0xFFFFFFFFu);
    const CPMDMesh &mesh = model->Mesh(0);
    ASSERT_EQ(mesh.groupCount, 2u);
    EXPECT_EQ(mesh.groups[0].material, 0u);
    EXPECT_EQ(mesh.groups[1].material, 1u);
    const CPMDPrimitive &fan = mesh.groups[1].primitives[0];
    EXPECT_EQ(fan.type, unsigned(kPrimTriangleFan));
    EXPECT_EQ(fan.indexCount, 2u);
    EXPECT_EQ(fan.vertexCount, 4u);
    EXPECT_EQ(fan.vertices[3].x, 3.0f);
    EXPECT_EQ(fan.vertices[3].y, 2.0f);
}

TEST(PmdParse, EveryTypeCodeUpToFiveIsAccepted) {
    for (uint32_t type = 0; type <= 5; ++type) {
        CModelFileBuilder b = BuildMaterialledModel();
        b.Overwrite32(b.At("type"), type);
        b.Overwrite32(b.At("fan type"), type);
        std::unique_ptr<IPMDModel> model(IPMDModel::Parse(b.bytes.data(), b.bytes.size()));
        ASSERT_TRUE(model) << "type " << type;
        EXPECT_EQ(model->Mesh(0).primitives[0].type, type);
    }
}

TEST(PmdParse, BytesAfterTheMaterialTableAreIgnored) {
    CModelFileBuilder b = BuildMaterialledModel();
    const size_t end = b.bytes.size();
    b.bytes.resize(end + 7, 0xAB);
    size_t consumed = 0;
    std::unique_ptr<IPMDModel> model(IPMDModel::Parse(b.bytes.data(), b.bytes.size(), &consumed));
    ASSERT_TRUE(model);
    EXPECT_EQ(consumed, end);
}

TEST(PmdParse, EmptyModelWithoutMeshesOrMaterialsLoads) {
    CModelFileBuilder b;
    const float zero[3] = {0, 0, 0};
    b.Header(0, 0, zero, zero);
    std::unique_ptr<IPMDModel> model(IPMDModel::Parse(b.bytes.data(), b.bytes.size()));
    ASSERT_TRUE(model);
    EXPECT_EQ(model->MeshCount(), 0u);
}

TEST(PmdParse, NullBytesAreRejected) {
    EXPECT_EQ(IPMDModel::Parse(nullptr, 100), nullptr);
}

struct Damage {
    const char *what;
    const char *field;
    uint32_t value;
    bool sixteenBits;
};

// Each entry breaks one field of the materialled model; none may load.
const Damage kDamages[] = {
    {"mesh count past the end", "meshes", 2, false},
    {"huge mesh count", "meshes", 0xFFFFFFFFu, false},
    {"material count past the end", "materials", 3, false},
    {"huge material count", "materials", 0xFFFFFFFFu, false},
    {"group material past a shrunk table", "materials", 1, false},
    {"ungrouped primitive count past the end", "A", 0x10000, false},
    {"huge ungrouped primitive count", "A", 0xFFFFFFFFu, false},
    {"huge shared vertex count", "V", 0xFFFFFFFFu, false},
    {"vertex count whose byte size wraps 32 bits", "V", 0x071C71C8u, false},
    {"huge group count", "G", 0xFFFFFFFFu, false},
    {"type code 6", "type", 6, false},
    {"type code 0xFFFFFFFF", "type", 0xFFFFFFFFu, false},
    {"group type code 7", "group type", 7, false},
    {"huge index count", "I", 0xFFFFFFFFu, false},
    {"index count whose byte size wraps 32 bits", "I", 0x80000001u, false},
    {"huge own vertex count", "N", 0xFFFFFFFFu, false},
    {"own vertices past the end", "fan N", 5, false},
    {"index equal to the shared vertex count", "index", 4, true},
    {"index 0xFFFF", "index", 0xFFFF, true},
    {"group index past the shared vertices", "group index", 4, true},
    {"unused index of an own-vertex primitive past the shared vertices", "fan index", 9, true},
    {"material index equal to the material count", "material", 2, false},
    {"huge material index", "material 1", 0xFFFFFFFFu, false},
    {"huge group primitive count", "P", 0xFFFFFFFFu, false},
    {"group primitive count past the end", "P 1", 2, false},
};

TEST(PmdParse, DamagedFilesAreRejectedWithoutLeaks) {
    for (const Damage &d : kDamages) {
        CModelFileBuilder b = BuildMaterialledModel();
        if (d.sixteenBits)
            b.Overwrite16(b.At(d.field), uint16_t(d.value));
        else
            b.Overwrite32(b.At(d.field), d.value);
        ExpectRejected(b.bytes, b.bytes.size(), d.what);
    }
}

TEST(PmdParse, EveryTruncationIsRejectedWithoutLeaks) {
    for (const CModelFileBuilder &b : {BuildMaterialledModel(), BuildUnmaterialledModel()}) {
        const uint32_t live = GetLiveUnitCount();
        for (size_t size = 0; size < b.bytes.size(); ++size) {
            IPMDModel *model = IPMDModel::Parse(b.bytes.data(), size);
            EXPECT_EQ(model, nullptr) << "prefix of " << size << " bytes";
            delete model;
        }
        EXPECT_EQ(GetLiveUnitCount(), live);
    }
}

TEST(PmdParse, ParsedModelReleasesEverythingItAllocated) {
    const CModelFileBuilder b = BuildMaterialledModel();
    const uint32_t live = GetLiveUnitCount();
    IPMDModel *model = IPMDModel::Parse(b.bytes.data(), b.bytes.size());
    ASSERT_NE(model, nullptr);
    EXPECT_GT(GetLiveUnitCount(), live);
    delete model;
    EXPECT_EQ(GetLiveUnitCount(), live);
}

} // namespace
