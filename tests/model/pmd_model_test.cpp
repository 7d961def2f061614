// Parsing model files, and the model's drawing walks, vertex colouring and
// resource loading checked against stand-ins for the render calls.
#include "memory/memory_tracker.h"
#include "model/pmd_model.h"
#include "render/primitives.h"
#include "render/render_device.h"
#include "render/texture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// Model files written field by field; a mark remembers where a named field
// starts so a test can damage exactly that field.
struct CModelFile {
    std::vector<uint8_t> bytes;
    std::map<std::string, size_t> marks;

    void Put(const void *data, size_t size, const std::string &mark = "") {
        if (!mark.empty())
            marks.emplace(mark, bytes.size());
        const uint8_t *p = static_cast<const uint8_t *>(data);
        bytes.insert(bytes.end(), p, p + size);
    }
    void U32(uint32_t value, const std::string &mark = "") { Put(&value, 4, mark); }
    void Name(const char *name) {
        char field[80] = {};
        std::strncpy(field, name, sizeof field - 1);
        Put(field, sizeof field);
    }
    void Vertex(float x, float y, float z) {
        const Vertex3D v{x, y, 0xFFFFFFFFu, 0.0f, 0.0f, -1.0f, x, y, z};
        Put(&v, sizeof v);
    }
    // Own vertex i sits at (i, 2, 1). Marks "<tag> type", "<tag> I", "<tag> N"
    // and "<tag> index" (the first index).
    void Primitive(const std::string &tag, uint32_t type, std::initializer_list<uint16_t> indices,
                   uint32_t ownVertices) {
        U32(type, tag + " type");
        U32(uint32_t(indices.size()), tag + " I");
        U32(ownVertices, tag + " N");
        for (uint16_t index : indices)
            Put(&index, 2, tag + " index");
        for (uint32_t i = 0; i < ownVertices; ++i)
            Vertex(float(i), 2.0f, 1.0f);
    }
    void Material(const char *name, uint32_t ambient, uint32_t diffuse, uint32_t specular) {
        Name(name);
        Name("texture.png");
        for (uint32_t word : {ambient, diffuse, specular})
            U32(word);
    }
    // Overwrites the marked field: an index is 16 bits, every other field 32.
    void Set(const std::string &mark, uint32_t value) {
        const bool index = mark.size() >= 5 && mark.compare(mark.size() - 5, 5, "index") == 0;
        std::memcpy(&bytes[marks.at(mark)], &value, index ? 2 : 4);
    }
};

// One mesh of 4 shared vertices at (i % 2, i / 2, 0) with two ungrouped
// triangles: "tri" (0, 1, 2) and "own", 3 own vertices beside indices
// (2, 1, 0). With materials, groups for material 0 ("group": triangle
// (1, 2, 3)) and material 1 ("fan": 4 own vertices beside indices (3, 0)) and
// two material records. The header bounds are not the vertices' extremes.
// withGroups without materials: the same groups, no material table.
CModelFile BuildModel(bool withMaterials, bool withGroups = false) {
    withGroups = withGroups || withMaterials;
    CModelFile b;
    b.U32(1, "meshes");
    b.U32(withMaterials ? 2 : 0, "materials");
    const float bounds[6] = {-5, -6, -7, 5, 6, 7};
    b.Put(bounds, sizeof bounds);
    b.Name("mesh");
    b.U32(2, "A");
    b.U32(4, "V");
    b.U32(withGroups ? 2 : 0, "G");
    for (int i = 0; i < 4; ++i)
        b.Vertex(float(i % 2), float(i / 2), 0.0f);
    b.Primitive("tri", kPrimTriangles, {0, 1, 2}, 0);
    b.Primitive("own", kPrimTriangles, {2, 1, 0}, 3);
    if (withGroups) {
        b.U32(0, "material");
        b.U32(1, "P");
        b.Primitive("group", kPrimTriangles, {1, 2, 3}, 0);
        b.U32(1, "material 1");
        b.U32(1, "P 1");
        b.Primitive("fan", kPrimTriangleFan, {3, 0}, 4);
    }
    if (withMaterials) {
        b.Material("first", 0x11111111u, 0x22222222u, 0x33333333u);
        b.Material("second", 0xDEADBEEFu, 0u, 0xFFFFFFFFu);
    }
    return b;
}

std::unique_ptr<IPMDModel> Parse(const CModelFile &b, size_t *consumed = nullptr) {
    return std::unique_ptr<IPMDModel>(IPMDModel::Parse(b.bytes.data(), b.bytes.size(), consumed));
}

// Field values the walks below do not show; trailing bytes are left unread.
TEST(PmdParse, KeepsEveryFieldAndFreesItAll) {
    CModelFile b = BuildModel(true);
    const size_t end = b.bytes.size();
    b.bytes.resize(end + 7, 0xAB);
    const uint32_t live = GetLiveUnitCount();
    size_t consumed = 0;
    std::unique_ptr<IPMDModel> model = Parse(b, &consumed);
    ASSERT_TRUE(model);
    EXPECT_EQ(consumed, end);
    EXPECT_EQ(model->GetBoundsMin().z, -7.0f); // the header's, not the vertices'
    EXPECT_EQ(model->GetBoundsMax().y, 6.0f);
    ASSERT_EQ(model->MeshCount(), 1u);
    const CPMDMesh &mesh = model->Mesh(0);
    EXPECT_STREQ(mesh.name, "mesh");
    EXPECT_EQ(mesh.vertices[2].y, 1.0f);
    EXPECT_EQ(mesh.primitives[0].indices[2], 2);
    EXPECT_EQ(mesh.groups[1].primitives[0].vertices[3].x, 3.0f);
    ASSERT_EQ(model->MaterialCount(), 2u);
    EXPECT_STREQ(model->Material(1).name, "second");
    EXPECT_STREQ(model->Material(1).textureFile, "texture.png");
    EXPECT_EQ(model->Material(1).specular, 0xFFFFFFFFu);
    model.reset();
    EXPECT_EQ(GetLiveUnitCount(), live);
}

TEST(PmdParse, AcceptsEveryTypeCodeAndAnEmptyModel) {
    for (uint32_t type = 0; type <= 5; ++type) {
        CModelFile b = BuildModel(true);
        b.Set("tri type", type);
        b.Set("fan type", type);
        std::unique_ptr<IPMDModel> model = Parse(b);
        ASSERT_TRUE(model) << "type " << type;
        EXPECT_EQ(model->Mesh(0).primitives[0].type, type);
    }
    CModelFile b = BuildModel(true);
    b.Set("meshes", 0);
    b.Set("materials", 0);
    b.bytes.resize(32); // the header alone
    std::unique_ptr<IPMDModel> model = Parse(b);
    ASSERT_TRUE(model);
    EXPECT_EQ(model->MeshCount(), 0u);
}

// Each row breaks one field of the model with materials; none may load.
struct Damage {
    const char *field;
    uint32_t value;
    const char *what;
};
const Damage kDamages[] = {
    {"meshes", 2, "mesh count past the end"},
    {"meshes", 0xFFFFFFFFu, "huge mesh count"},
    {"materials", 3, "material count past the end"},
    {"materials", 0xFFFFFFFFu, "huge material count"},
    {"materials", 1, "group material past a shrunk table"},
    {"A", 0x10000, "ungrouped primitive count past the end"},
    {"A", 0xFFFFFFFFu, "huge ungrouped primitive count"},
    {"V", 0xFFFFFFFFu, "huge shared vertex count"},
    {"V", 0x071C71C8u, "vertex count whose byte size wraps 32 bits"},
    {"G", 0xFFFFFFFFu, "huge group count"},
    {"tri type", 6, "type code 6"},
    {"tri type", 0xFFFFFFFFu, "type code 0xFFFFFFFF"},
    {"group type", 7, "group type code 7"},
    {"tri I", 0xFFFFFFFFu, "huge index count"},
    {"tri I", 0x80000001u, "index count whose byte size wraps 32 bits"},
    {"own N", 0xFFFFFFFFu, "huge own vertex count"},
    {"fan N", 5, "own vertices past the end"},
    {"tri index", 4, "index equal to the shared vertex count"},
    {"tri index", 0xFFFF, "index 0xFFFF"},
    {"group index", 4, "group index past the shared vertices"},
    {"fan index", 9, "unused index of an own-vertex primitive past the shared vertices"},
    {"material", 2, "material index equal to the material count"},
    {"material 1", 0xFFFFFFFFu, "huge material index"},
    {"P", 0xFFFFFFFFu, "huge group primitive count"},
    {"P 1", 2, "group primitive count past the end"},
};

TEST(PmdParse, RejectsDamagedAndTruncatedFilesWithoutLeaks) {
    const uint32_t live = GetLiveUnitCount();
    EXPECT_EQ(IPMDModel::Parse(nullptr, 100), nullptr);
    for (const Damage &d : kDamages) {
        CModelFile b = BuildModel(true);
        b.Set(d.field, d.value);
        EXPECT_FALSE(Parse(b)) << d.what;
    }
    for (bool withMaterials : {false, true}) {
        const CModelFile b = BuildModel(withMaterials);
        for (size_t size = 0; size < b.bytes.size(); ++size)
            EXPECT_EQ(IPMDModel::Parse(b.bytes.data(), size), nullptr) << "prefix of " << size;
    }
    EXPECT_EQ(GetLiveUnitCount(), live);
}

// What the stand-ins below saw.
struct SpyCall {
    enum Kind { kDraw, kIndexedDraw, kDisable, kMaterial } kind;
    uint32_t word = 0; // kDisable: the state; kMaterial: the ambient word
    unsigned type = 0;
    const CTexture *texture = nullptr;
    unsigned count = 0; // vertices or indices
    const Vertex3D *vertices = nullptr;
    const uint16_t *indices = nullptr;
    bool operator==(const SpyCall &o) const {
        return kind == o.kind && type == o.type && texture == o.texture && count == o.count &&
               vertices == o.vertices && indices == o.indices && word == o.word;
    }
};
struct RenderSpy {
    std::vector<SpyCall> calls;
    std::vector<int> loadedTextureIds; // asked of LoadTextureResource; 999 is missing
    int texturesReleased = 0;
    int texturesDeleted = 0;
} s_spy;

} // namespace

void DrawPrimitive3D(unsigned type, CTexture *texture, const Vertex3D *vertices, unsigned count) {
    s_spy.calls.push_back({SpyCall::kDraw, 0, type, texture, count, vertices});
}
void DrawIndexedPrimitive3D(unsigned type, CTexture *texture, unsigned indexCount,
                            const uint16_t *indices, const Vertex3D *vertices) {
    s_spy.calls.push_back({SpyCall::kIndexedDraw, 0, type, texture, indexCount, vertices, indices});
}
void DisableState(unsigned code) {
    s_spy.calls.push_back({SpyCall::kDisable, code});
}
void ApplyModelMaterial(const CPMDMaterial &material) {
    s_spy.calls.push_back({SpyCall::kMaterial, material.ambient});
}
CTexture::~CTexture() {
    ++s_spy.texturesDeleted;
}
void CTexture::ReleasePixels() {
    ++s_spy.texturesReleased;
}
// A texture whose GL name is the resource id it was asked for.
CTexture *LoadTextureResource(int id) {
    s_spy.loadedTextureIds.push_back(id);
    if (id == 999)
        return nullptr;
    CTexture *texture = new CTexture;
    texture->name = uint32_t(id);
    return texture;
}

namespace {

// Untextured, and of a primitive with own vertices beside indices only the
// vertices. Groups load (their material indices name no table) but are not drawn.
TEST(ModelWalk, WithoutMaterialsDrawsTheUngroupedPrimitives) {
    for (bool withGroups : {false, true}) {
        SCOPED_TRACE(withGroups ? "with groups" : "without groups");
        s_spy = RenderSpy();
        const CModelFile b = BuildModel(false, withGroups);
        size_t consumed = 0;
        auto model = Parse(b, &consumed);
        ASSERT_TRUE(model);
        EXPECT_EQ(consumed, b.bytes.size());
        EXPECT_EQ(model->MaterialCount(), 0u);
        EXPECT_EQ(model->Mesh(0).groupCount, withGroups ? 2u : 0u);
        model->Render();
        const CPMDMesh &m = model->Mesh(0);
        const std::vector<SpyCall> expected = {
            {SpyCall::kDisable, kStateTexture2D},
            {SpyCall::kIndexedDraw, 0, kPrimTriangles, nullptr, 3, m.vertices,
             m.primitives[0].indices},
            {SpyCall::kDraw, 0, kPrimTriangles, nullptr, 3, m.primitives[1].vertices}};
        EXPECT_EQ(s_spy.calls, expected);
    }
}

// Each group after its material; a material without a texture entry untextured.
TEST(ModelWalk, WithMaterialsDrawsOnlyTheGroupsWithTheirTextures) {
    for (int textures : {2, 1}) {
        SCOPED_TRACE(textures);
        s_spy = RenderSpy();
        auto model = Parse(BuildModel(true));
        ASSERT_TRUE(model);
        CTexture *first = new CTexture, *second = textures == 2 ? new CTexture : nullptr;
        model->AddTexture(first);
        if (second)
            model->AddTexture(second);
        model->Render();
        const CPMDMesh &m = model->Mesh(0);
        const std::vector<SpyCall> expected = {
            {SpyCall::kMaterial, 0x11111111u},
            {SpyCall::kIndexedDraw, 0, kPrimTriangles, first, 3, m.vertices,
             m.groups[0].primitives[0].indices},
            {SpyCall::kMaterial, 0xDEADBEEFu},
            {SpyCall::kDraw, 0, kPrimTriangleFan, second, 4, m.groups[1].primitives[0].vertices}};
        EXPECT_EQ(s_spy.calls, expected);
    }
}

// The shipped model draws one indexed list with the texture of its material
// and releases it; missing resources leave the material untextured or give no model.
TEST(ModelWalk, LoadsTheTexturesOfItsMaterialsFromResources) {
    const struct {
        int model;
        std::vector<int> textures; // ids handed to the loader
        std::vector<int> asked;    // texture ids asked for
    } cases[] = {
        {113, {107}, {107}},
        {113, {}, {}},       // a short texture list
        {113, {999}, {999}}, // a texture resource that is not there
        {4242, {107}, {}},   // no model resource
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(&c - cases);
        s_spy = RenderSpy();
        const uint32_t live = GetLiveUnitCount();
        std::unique_ptr<IPMDModel> model(
            LoadModelFromResource(c.model, c.textures.data(), c.textures.size()));
        EXPECT_EQ(s_spy.loadedTextureIds, c.asked);
        if (c.model == 4242) {
            EXPECT_FALSE(model);
            EXPECT_EQ(GetLiveUnitCount(), live);
            continue;
        }
        ASSERT_TRUE(model);
        ASSERT_EQ(model->TextureCount(), 1u);
        const CTexture *texture = model->Texture(0);
        EXPECT_EQ(texture ? texture->name : 0u, c.asked == std::vector<int>{107} ? 107u : 0u);
        model->Render();
        ASSERT_EQ(s_spy.calls.size(), 2u);
        EXPECT_EQ(s_spy.calls[1], (SpyCall{SpyCall::kIndexedDraw, 0, kPrimTriangles, texture, 2208,
                                           model->Mesh(0).vertices, s_spy.calls[1].indices}));
        model.reset();
        EXPECT_EQ(s_spy.texturesReleased, texture ? 1 : 0);
        EXPECT_EQ(s_spy.texturesDeleted, texture ? 1 : 0);
    }
}

} // namespace
