#pragma once
#include "model/model.h"
#include "render/vertex.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CTexture;

// One primitive: either its own vertices (drawn in order; its indices are
// then kept but not drawn) or 16-bit indices into the mesh's shared vertices.
struct CPMDPrimitive {
    CPMDPrimitive() = default;
    ~CPMDPrimitive();
    CPMDPrimitive(const CPMDPrimitive &) = delete;
    CPMDPrimitive &operator=(const CPMDPrimitive &) = delete;

    uint32_t type = 0; // PrimitiveType code, 0 to 5
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
    Vertex3D *vertices = nullptr; // owned, vertexCount records
    uint16_t *indices = nullptr;  // owned, indexCount entries
};

// The primitives drawn with one material.
struct CPMDGroup {
    CPMDGroup() = default;
    ~CPMDGroup();
    CPMDGroup(const CPMDGroup &) = delete;
    CPMDGroup &operator=(const CPMDGroup &) = delete;

    uint32_t primitiveCount = 0;
    CPMDPrimitive *primitives = nullptr; // owned
    uint32_t material = 0;               // index into the materials and textures
};

struct CPMDMesh {
    CPMDMesh() = default;
    ~CPMDMesh();
    CPMDMesh(const CPMDMesh &) = delete;
    CPMDMesh &operator=(const CPMDMesh &) = delete;

    char name[80] = {};
    uint32_t vertexCount = 0;
    uint32_t primitiveCount = 0; // ungrouped primitives
    uint32_t groupCount = 0;
    Vertex3D *vertices = nullptr;        // owned, the shared vertices
    CPMDPrimitive *primitives = nullptr; // owned, drawn only by models without materials
    CPMDGroup *groups = nullptr;         // owned
};

// The 172-byte material record exactly as stored in the file.
struct CPMDMaterial {
    char name[80];
    char textureFile[80]; // as authored; textures come from the loader's id list
    uint32_t ambient;     // three words with no defined colour meaning
    uint32_t diffuse;
    uint32_t specular;
};
static_assert(sizeof(CPMDMaterial) == 172, "material record is 172 bytes");

// The model read from a model file (little-endian; layout in pmd_parse.cpp).
class IPMDModel : public CPMDModel {
  public:
    ~IPMDModel() override;
    IPMDModel(const IPMDModel &) = delete;
    IPMDModel &operator=(const IPMDModel &) = delete;

    // Builds a model from `size` bytes of a model file. Returns null, having
    // freed everything it built, when the bytes are truncated or inconsistent:
    // a count that runs past the end, an index at or past the mesh's shared
    // vertex count, a material index at or past a non-zero material count
    // (without materials the groups are never drawn), or a primitive type
    // above 5. Bytes after the material table are ignored;
    // `consumed` (when given) receives the offset where the table ended.
    // The model starts with no textures.
    static IPMDModel *Parse(const uint8_t *bytes, size_t size, size_t *consumed = nullptr);

    void Render() override;
    const CVector3 &GetBoundsMin() const override { return m_boundsMin; }
    const CVector3 &GetBoundsMax() const override { return m_boundsMax; }
    void SetVertexColour(PackedColour colour) override;

    // Appends the texture of the next material (null draws that material's
    // groups untextured). The model owns it from then on.
    void AddTexture(CTexture *texture) { m_textures.push_back(texture); }

    uint32_t MeshCount() const { return m_meshCount; }
    const CPMDMesh &Mesh(uint32_t i) const { return m_meshes[i]; }
    uint32_t MaterialCount() const { return m_materialCount; }
    const CPMDMaterial &Material(uint32_t i) const { return m_materials[i]; }
    size_t TextureCount() const { return m_textures.size(); }
    CTexture *Texture(size_t i) const { return m_textures[i]; }

  private:
    IPMDModel() = default;
    friend class CPMDReader;

    uint32_t m_meshCount = 0;
    CPMDMesh *m_meshes = nullptr; // owned
    uint32_t m_materialCount = 0;
    CPMDMaterial *m_materials = nullptr; // owned; none when the count is 0
    std::vector<CTexture *> m_textures;  // owned; entry i belongs to material i
    CVector3 m_boundsMin = Vector3Zero;
    CVector3 m_boundsMax = Vector3Zero;
};

// Loads the model file held in raw data resource `id` and, for each of its
// materials i, the texture of "TEXTURES" resource textureIds[i]. A material
// without an entry in the list (i >= textureCount) or whose texture is
// missing gets none and draws untextured. Returns null when the resource is
// missing or damaged; the caller owns the model.
IPMDModel *LoadModelFromResource(int id, const int *textureIds, size_t textureCount);

// Hands the material's state to GL before its groups are drawn: the front
// face's shininess 100. The three colour words are not passed on, as they
// hold no defined colours.
void ApplyModelMaterial(const CPMDMaterial &material);
