// The model's drawing walks, vertex colouring and resource loading, checked
// against the stand-in render calls of render_spy.cpp.
#include "memory/memory_tracker.h"
#include "model/model_file_builder.h"
#include "model/pmd_model.h"
#include "model/render_spy.h"
#include "render/render_device.h"
#include "render/texture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class ModelWalk : public ::testing::Test {
  protected:
    void SetUp() override { Spy() = RenderSpy(); }

    static std::unique_ptr<IPMDModel> Parse(const CModelFileBuilder &b) {
        return std::unique_ptr<IPMDModel>(IPMDModel::Parse(b.bytes.data(), b.bytes.size()));
    }
};

TEST_F(ModelWalk, WithoutMaterialsDrawsUngroupedPrimitivesUntextured) {
    auto model = Parse(BuildUnmaterialledModel());
    ASSERT_TRUE(model);
    model->Render();
    const auto &calls = Spy().calls;
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].kind, SpyCall::kDisable);
    EXPECT_EQ(calls[0].state, unsigned(kStateTexture2D));

    const CPMDMesh &mesh = model->Mesh(0);
    EXPECT_EQ(calls[1].kind, SpyCall::kIndexedDraw);
    EXPECT_EQ(calls[1].type, unsigned(kPrimTriangles));
    EXPECT_EQ(calls[1].texture, nullptr);
    EXPECT_EQ(calls[1].count, 3u);
    EXPECT_EQ(calls[1].indices, mesh.primitives[0].indices);
    EXPECT_EQ(calls[1].vertices, mesh.vertices);

    // Own vertices beside indices: only the vertices are drawn.
    EXPECT_EQ(calls[2].kind, SpyCall::kDraw);
    EXPECT_EQ(calls[2].texture, nullptr);
    EXPECT_EQ(calls[2].count, 3u);
    EXPECT_EQ(calls[2].vertices, mesh.primitives[1].vertices);
}

TEST_F(ModelWalk, WithMaterialsDrawsOnlyTheGroupsWithTheirTextures) {
    auto model = Parse(BuildMaterialledModel());
    ASSERT_TRUE(model);
    CTexture *first = new CTexture;
    CTexture *second = new CTexture;
    model->AddTexture(first);
    model->AddTexture(second);
    model->Render();

    const auto &calls = Spy().calls;
    const CPMDMesh &mesh = model->Mesh(0);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].kind, SpyCall::kMaterial);
    EXPECT_EQ(calls[0].materialWords[0], 0x11111111u);
    EXPECT_EQ(calls[1].kind, SpyCall::kIndexedDraw);
    EXPECT_EQ(calls[1].texture, first);
    EXPECT_EQ(calls[1].indices, mesh.groups[0].primitives[0].indices);
    EXPECT_EQ(calls[1].vertices, mesh.vertices);
    EXPECT_EQ(calls[2].kind, SpyCall::kMaterial);
    EXPECT_EQ(calls[2].materialWords[0], 0xDEADBEEFu);
    EXPECT_EQ(calls[3].kind, SpyCall::kDraw);
    EXPECT_EQ(calls[3].type, unsigned(kPrimTriangleFan));
    EXPECT_EQ(calls[3].texture, second);
    EXPECT_EQ(calls[3].count, 4u);
    EXPECT_EQ(calls[3].vertices, mesh.groups[1].primitives[0].vertices);
}

TEST_F(ModelWalk, GroupsWithoutATextureDrawUntextured) {
    auto model = Parse(BuildMaterialledModel());
    ASSERT_TRUE(model);
    CTexture *first = new CTexture;
    model->AddTexture(first); // the second material has no entry at all
    model->Render();
    const auto &calls = Spy().calls;
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[1].texture, first);
    EXPECT_EQ(calls[3].texture, nullptr);
}

TEST_F(ModelWalk, SetVertexColourWithoutMaterialsReachesUngroupedOwnVertices) {
    auto model = Parse(BuildUnmaterialledModel());
    ASSERT_TRUE(model);
    const PackedColour red = MakePackedColour(255, 0, 0, 255);
    model->SetVertexColour(red);
    const CPMDMesh &mesh = model->Mesh(0);
    for (uint32_t i = 0; i < mesh.vertexCount; ++i)
        EXPECT_EQ(mesh.vertices[i].colour, red);
    for (uint32_t i = 0; i < mesh.primitives[1].vertexCount; ++i)
        EXPECT_EQ(mesh.primitives[1].vertices[i].colour, red);
}

TEST_F(ModelWalk, SetVertexColourWithMaterialsReachesGroupVerticesOnly) {
    auto model = Parse(BuildMaterialledModel());
    ASSERT_TRUE(model);
    const PackedColour green = MakePackedColour(0, 255, 0, 128);
    model->SetVertexColour(green);
    const CPMDMesh &mesh = model->Mesh(0);
    for (uint32_t i = 0; i < mesh.vertexCount; ++i)
        EXPECT_EQ(mesh.vertices[i].colour, green);
    const CPMDPrimitive &fan = mesh.groups[1].primitives[0];
    for (uint32_t i = 0; i < fan.vertexCount; ++i)
        EXPECT_EQ(fan.vertices[i].colour, green);
    const CPMDPrimitive &ungrouped = mesh.primitives[0];
    ASSERT_EQ(ungrouped.vertexCount, 3u);
    for (uint32_t i = 0; i < ungrouped.vertexCount; ++i)
        EXPECT_EQ(ungrouped.vertices[i].colour, 0xFFFFFFFFu);
}

TEST_F(ModelWalk, ShippedModelDrawsOneIndexedListWithTheTextureOfMaterialZero) {
    const int textures[] = {107};
    std::unique_ptr<IPMDModel> model(LoadModelFromResource(113, textures, 1));
    ASSERT_TRUE(model);
    ASSERT_EQ(Spy().loadedTextureIds, std::vector<int>{107});
    ASSERT_EQ(model->TextureCount(), 1u);
    ASSERT_NE(model->Texture(0), nullptr);
    EXPECT_EQ(model->Texture(0)->name, 107u);

    model->Render();
    const auto &calls = Spy().calls;
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].kind, SpyCall::kMaterial);
    EXPECT_EQ(calls[1].kind, SpyCall::kIndexedDraw);
    EXPECT_EQ(calls[1].type, unsigned(kPrimTriangles));
    EXPECT_EQ(calls[1].count, 2208u);
    EXPECT_EQ(calls[1].texture, model->Texture(0));
    EXPECT_EQ(calls[1].vertices, model->Mesh(0).vertices);
}

TEST_F(ModelWalk, DestructionReleasesEveryTexture) {
    const int textures[] = {107};
    IPMDModel *model = LoadModelFromResource(113, textures, 1);
    ASSERT_NE(model, nullptr);
    delete model;
    EXPECT_EQ(Spy().texturesReleased, 1);
    EXPECT_EQ(Spy().texturesDeleted, 1);
}

TEST_F(ModelWalk, ShortTextureListLeavesTheMaterialUntextured) {
    std::unique_ptr<IPMDModel> model(LoadModelFromResource(113, nullptr, 0));
    ASSERT_TRUE(model);
    EXPECT_TRUE(Spy().loadedTextureIds.empty());
    ASSERT_EQ(model->TextureCount(), 1u);
    EXPECT_EQ(model->Texture(0), nullptr);
    model->Render();
    ASSERT_EQ(Spy().calls.size(), 2u);
    EXPECT_EQ(Spy().calls[1].texture, nullptr);
}

TEST_F(ModelWalk, MissingTextureResourceLeavesTheMaterialUntextured) {
    Spy().missingTextureIds = {999};
    const int textures[] = {999};
    std::unique_ptr<IPMDModel> model(LoadModelFromResource(113, textures, 1));
    ASSERT_TRUE(model);
    EXPECT_EQ(model->Texture(0), nullptr);
}

TEST_F(ModelWalk, MissingModelResourceGivesNoModel) {
    const uint32_t live = GetLiveUnitCount();
    const int textures[] = {107};
    EXPECT_EQ(LoadModelFromResource(4242, textures, 1), nullptr);
    EXPECT_TRUE(Spy().loadedTextureIds.empty());
    EXPECT_EQ(GetLiveUnitCount(), live);
}

TEST_F(ModelWalk, ShippedModelTurnsRedEverywhere) {
    std::unique_ptr<IPMDModel> model(LoadModelFromResource(113, nullptr, 0));
    ASSERT_TRUE(model);
    const PackedColour red = MakePackedColour(255, 0, 0, 255);
    model->SetVertexColour(red);
    const CPMDMesh &mesh = model->Mesh(0);
    for (uint32_t i = 0; i < mesh.vertexCount; ++i)
        ASSERT_EQ(mesh.vertices[i].colour, red) << i;
}

} // namespace
