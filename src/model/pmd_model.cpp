#include "model/pmd_model.h"

#include "render/primitives.h"
#include "render/render_device.h"
#include "render/texture.h"

CPMDPrimitive::~CPMDPrimitive() {
    delete[] vertices;
    delete[] indices;
}

CPMDGroup::~CPMDGroup() {
    delete[] primitives;
}

CPMDMesh::~CPMDMesh() {
    delete[] vertices;
    delete[] primitives;
    delete[] groups;
}

IPMDModel::~IPMDModel() {
    for (CTexture *texture : m_textures) {
        if (texture) {
            texture->ReleasePixels();
            delete texture;
        }
    }
    m_textures.clear();
    delete[] m_meshes;
    delete[] m_materials;
}

namespace {

// Own vertices win over indices: a primitive that has both draws only its vertices.
void DrawModelPrimitive(const CPMDPrimitive &primitive, CTexture *texture, const Vertex3D *shared) {
    if (primitive.vertexCount > 0)
        DrawPrimitive3D(primitive.type, texture, primitive.vertices, primitive.vertexCount);
    else
        DrawIndexedPrimitive3D(primitive.type, texture, primitive.indexCount, primitive.indices,
                               shared);
}

void ColourVertices(Vertex3D *vertices, uint32_t count, PackedColour colour) {
    for (uint32_t i = 0; i < count; ++i)
        vertices[i].colour = colour;
}

void ColourOwnVertices(CPMDPrimitive *primitives, uint32_t count, PackedColour colour) {
    for (uint32_t i = 0; i < count; ++i)
        ColourVertices(primitives[i].vertices, primitives[i].vertexCount, colour);
}

} // namespace

// Without materials the ungrouped primitives are drawn untextured; with
// materials only the groups are drawn, each with its material's texture.
void IPMDModel::Render() {
    if (m_materialCount == 0) {
        DisableState(kStateTexture2D);
        for (uint32_t m = 0; m < m_meshCount; ++m) {
            const CPMDMesh &mesh = m_meshes[m];
            for (uint32_t p = 0; p < mesh.primitiveCount; ++p)
                DrawModelPrimitive(mesh.primitives[p], nullptr, mesh.vertices);
        }
        return;
    }
    for (uint32_t m = 0; m < m_meshCount; ++m) {
        const CPMDMesh &mesh = m_meshes[m];
        for (uint32_t g = 0; g < mesh.groupCount; ++g) {
            const CPMDGroup &group = mesh.groups[g];
            // The parser guarantees material < m_materialCount.
            CTexture *texture =
                group.material < m_textures.size() ? m_textures[group.material] : nullptr;
            ApplyModelMaterial(m_materials[group.material]);
            for (uint32_t p = 0; p < group.primitiveCount; ++p)
                DrawModelPrimitive(group.primitives[p], texture, mesh.vertices);
        }
    }
}

void IPMDModel::SetVertexColour(PackedColour colour) {
    for (uint32_t m = 0; m < m_meshCount; ++m) {
        CPMDMesh &mesh = m_meshes[m];
        ColourVertices(mesh.vertices, mesh.vertexCount, colour);
        if (m_materialCount > 0) {
            for (uint32_t g = 0; g < mesh.groupCount; ++g)
                ColourOwnVertices(mesh.groups[g].primitives, mesh.groups[g].primitiveCount, colour);
        } else {
            ColourOwnVertices(mesh.primitives, mesh.primitiveCount, colour);
        }
    }
}
