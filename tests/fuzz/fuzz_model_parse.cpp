// The model format over arbitrary bytes: a model that parses must keep every
// promise the parser makes (indices below the shared vertex count, material
// indices below the material count, primitive types 0 to 5, nothing consumed
// past the end), and must colour, draw and free cleanly.
#include "fuzz_target.h"

#include "model/pmd_model.h"
#include "render/render_device.h"

namespace {

void CheckPrimitive(const CPMDPrimitive &p, uint32_t sharedCount) {
    FUZZ_CHECK(p.type <= 5);
    FUZZ_CHECK((p.indexCount == 0) == (p.indices == nullptr));
    FUZZ_CHECK((p.vertexCount == 0) == (p.vertices == nullptr));
    for (uint32_t i = 0; i < p.indexCount; ++i)
        FUZZ_CHECK(p.indices[i] < sharedCount);
}

void CheckModel(const IPMDModel &model) {
    for (uint32_t m = 0; m < model.MeshCount(); ++m) {
        const CPMDMesh &mesh = model.Mesh(m);
        for (uint32_t p = 0; p < mesh.primitiveCount; ++p)
            CheckPrimitive(mesh.primitives[p], mesh.vertexCount);
        for (uint32_t g = 0; g < mesh.groupCount; ++g) {
            const CPMDGroup &group = mesh.groups[g];
            FUZZ_CHECK(group.material < model.MaterialCount());
            for (uint32_t p = 0; p < group.primitiveCount; ++p)
                CheckPrimitive(group.primitives[p], mesh.vertexCount);
        }
    }
    FUZZ_CHECK(model.TextureCount() == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool deviceReady = InitRenderDevice(1024, 768);
    (void)deviceReady;

    size_t consumed = 0;
    IPMDModel *model = IPMDModel::Parse(data, size, &consumed);
    if (!model)
        return 0;
    FUZZ_CHECK(consumed <= size);
    CheckModel(*model);
    model->SetVertexColour(0xFF3366CCu);
    ResetFrameArena();
    model->Render();
    // A material without a texture entry draws untextured.
    model->AddTexture(nullptr);
    model->Render();
    delete model;

    // The bytes the table ended at are all a parse needs.
    IPMDModel *again = IPMDModel::Parse(data, consumed);
    FUZZ_CHECK(again != nullptr);
    delete again;
    return 0;
}
