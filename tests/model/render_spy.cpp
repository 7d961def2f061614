#include "model/render_spy.h"

#include "model/pmd_model.h"
#include "render/primitives.h"
#include "render/render_device.h"
#include "render/texture.h"

#include <algorithm>

RenderSpy &Spy() {
    static RenderSpy spy;
    return spy;
}

void DrawPrimitive3D(unsigned type, CTexture *texture, const Vertex3D *vertices, unsigned count) {
    SpyCall c{SpyCall::kDraw};
    c.type = type;
    c.texture = texture;
    c.count = count;
    c.vertices = vertices;
    Spy().calls.push_back(c);
}

void DrawIndexedPrimitive3D(unsigned type, CTexture *texture, unsigned indexCount,
                            const uint16_t *indices, const Vertex3D *vertices) {
    SpyCall c{SpyCall::kIndexedDraw};
    c.type = type;
    c.texture = texture;
    c.count = indexCount;
    c.indices = indices;
    c.vertices = vertices;
    Spy().calls.push_back(c);
}

void DisableState(unsigned code) {
    SpyCall c{SpyCall::kDisable};
    c.state = code;
    Spy().calls.push_back(c);
}

void ApplyModelMaterial(const CPMDMaterial &material) {
    SpyCall c{SpyCall::kMaterial};
    c.materialWords[0] = material.ambient;
    c.materialWords[1] = material.diffuse;
    c.materialWords[2] = material.specular;
    Spy().calls.push_back(c);
}

CTexture::~CTexture() {
    ++Spy().texturesDeleted;
}

void CTexture::ReleasePixels() {
    ++Spy().texturesReleased;
}

// A texture whose GL name is the resource id it was asked for.
CTexture *LoadTextureResource(int id) {
    Spy().loadedTextureIds.push_back(id);
    const auto &missing = Spy().missingTextureIds;
    if (std::find(missing.begin(), missing.end(), id) != missing.end())
        return nullptr;
    CTexture *texture = new CTexture;
    texture->name = uint32_t(id);
    return texture;
}
