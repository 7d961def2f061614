// Reading the model file. All integers are unsigned 32-bit little-endian,
// floats IEEE 32-bit little-endian; records follow each other without gaps:
//
//   header (32 bytes): mesh count, material count, bounds min xyz, bounds max xyz
//   per mesh: name[80], ungrouped primitive count A, shared vertex count V,
//             group count G, then V vertices (36 bytes each, the Vertex3D
//             record), A primitives, G groups
//   primitive: type, index count I, own vertex count N, I uint16 indices,
//              N vertices
//   group: material index, primitive count P, P primitives
//   material table: material count records of 172 bytes, ending the file
//
// Every count is checked against the bytes that remain before anything is
// allocated for it, so a damaged file can neither read past its end nor ask
// for more memory than a few times its own size.
#include "model/pmd_model.h"

#include <cstring>

namespace {

constexpr size_t kHeaderBytes = 32;
constexpr size_t kMeshHeadBytes = 92;
constexpr size_t kVertexBytes = 36;
constexpr size_t kPrimitiveHeadBytes = 12;
constexpr size_t kGroupHeadBytes = 8;
constexpr size_t kMaterialBytes = 172;
constexpr uint32_t kLastPrimitiveType = 5;

static_assert(sizeof(Vertex3D) == kVertexBytes, "vertices are copied as stored");

// An array of n records from the tracked array allocator; none for n = 0.
template <typename T> T *NewArray(uint32_t n) {
    return n > 0 ? new T[n] : nullptr;
}

} // namespace

// A cursor over the file bytes; every read fails instead of passing the end.
class CPMDReader {
  public:
    CPMDReader(const uint8_t *bytes, size_t size) : m_bytes(bytes), m_size(size) {}

    size_t Position() const { return m_pos; }

    bool ReadModel(IPMDModel &model) {
        uint32_t meshCount, materialCount;
        if (!U32(&meshCount) || !U32(&materialCount) || !Floats(&model.m_boundsMin.x, 3) ||
            !Floats(&model.m_boundsMax.x, 3))
            return false;
        if (!Fits(meshCount, kMeshHeadBytes) ||
            !Fits(materialCount, kMaterialBytes, size_t(meshCount) * kMeshHeadBytes))
            return false;
        model.m_meshes = NewArray<CPMDMesh>(meshCount);
        model.m_meshCount = meshCount;
        for (uint32_t i = 0; i < meshCount; ++i)
            if (!ReadMesh(model.m_meshes[i], materialCount))
                return false;
        if (!Fits(materialCount, kMaterialBytes))
            return false;
        if (materialCount > 0) {
            model.m_materials = NewArray<CPMDMaterial>(materialCount);
            model.m_materialCount = materialCount;
            Bytes(model.m_materials, size_t(materialCount) * kMaterialBytes);
        }
        return true;
    }

  private:
    size_t Remaining() const { return m_size - m_pos; }

    // True when `count` records of `bytes` each, after `reserved` further
    // bytes, fit in what remains.
    bool Fits(uint32_t count, size_t bytes, size_t reserved = 0) const {
        if (reserved > Remaining())
            return false;
        return count <= (Remaining() - reserved) / bytes;
    }

    bool Bytes(void *out, size_t n) {
        if (n > Remaining())
            return false;
        if (n > 0)
            std::memcpy(out, m_bytes + m_pos, n);
        m_pos += n;
        return true;
    }

    bool U32(uint32_t *out) {
        uint8_t b[4];
        if (!Bytes(b, 4))
            return false;
        *out = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }

    // Floats and vertex records are copied as stored: the host is little-endian.
    bool Floats(float *out, size_t count) { return Bytes(out, count * sizeof(float)); }

    bool Vertices(Vertex3D **out, uint32_t count) {
        if (!Fits(count, kVertexBytes))
            return false;
        *out = NewArray<Vertex3D>(count);
        return Bytes(*out, size_t(count) * kVertexBytes);
    }

    bool ReadMesh(CPMDMesh &mesh, uint32_t materialCount) {
        uint32_t primitiveCount, vertexCount, groupCount;
        if (!Bytes(mesh.name, sizeof mesh.name) || !U32(&primitiveCount) || !U32(&vertexCount) ||
            !U32(&groupCount))
            return false;
        if (!Vertices(&mesh.vertices, vertexCount))
            return false;
        mesh.vertexCount = vertexCount;

        if (!Fits(primitiveCount, kPrimitiveHeadBytes))
            return false;
        mesh.primitives = NewArray<CPMDPrimitive>(primitiveCount);
        mesh.primitiveCount = primitiveCount;
        for (uint32_t i = 0; i < primitiveCount; ++i)
            if (!ReadPrimitive(mesh.primitives[i], vertexCount))
                return false;

        if (!Fits(groupCount, kGroupHeadBytes))
            return false;
        mesh.groups = NewArray<CPMDGroup>(groupCount);
        mesh.groupCount = groupCount;
        for (uint32_t i = 0; i < groupCount; ++i)
            if (!ReadGroup(mesh.groups[i], vertexCount, materialCount))
                return false;
        return true;
    }

    bool ReadGroup(CPMDGroup &group, uint32_t sharedCount, uint32_t materialCount) {
        uint32_t material, primitiveCount;
        if (!U32(&material) || !U32(&primitiveCount))
            return false;
        // A model without materials never draws its groups, so their material
        // index is only checked against a table that is there.
        if (materialCount > 0 && material >= materialCount)
            return false;
        group.material = material;
        if (!Fits(primitiveCount, kPrimitiveHeadBytes))
            return false;
        group.primitives = NewArray<CPMDPrimitive>(primitiveCount);
        group.primitiveCount = primitiveCount;
        for (uint32_t i = 0; i < primitiveCount; ++i)
            if (!ReadPrimitive(group.primitives[i], sharedCount))
                return false;
        return true;
    }

    bool ReadPrimitive(CPMDPrimitive &primitive, uint32_t sharedCount) {
        uint32_t type, indexCount, vertexCount;
        if (!U32(&type) || !U32(&indexCount) || !U32(&vertexCount))
            return false;
        if (type > kLastPrimitiveType)
            return false;
        primitive.type = type;

        if (!Fits(indexCount, sizeof(uint16_t)))
            return false;
        primitive.indices = NewArray<uint16_t>(indexCount);
        primitive.indexCount = indexCount;
        for (uint32_t i = 0; i < indexCount; ++i) {
            const uint16_t index = uint16_t(m_bytes[m_pos] | m_bytes[m_pos + 1] << 8);
            m_pos += 2;
            if (index >= sharedCount)
                return false;
            primitive.indices[i] = index;
        }

        if (!Vertices(&primitive.vertices, vertexCount))
            return false;
        primitive.vertexCount = vertexCount;
        return true;
    }

    const uint8_t *m_bytes;
    size_t m_size;
    size_t m_pos = 0;
};

IPMDModel *IPMDModel::Parse(const uint8_t *bytes, size_t size, size_t *consumed) {
    if (!bytes || size < kHeaderBytes)
        return nullptr;
    IPMDModel *model = new IPMDModel;
    CPMDReader reader(bytes, size);
    if (!reader.ReadModel(*model)) {
        delete model;
        return nullptr;
    }
    if (consumed)
        *consumed = reader.Position();
    return model;
}
