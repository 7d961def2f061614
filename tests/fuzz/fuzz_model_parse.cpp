// The model format over arbitrary bytes: a model that parses keeps every
// promise of the parser (indices below the shared vertex count, material
// indices below a non-zero material count, types 0 to 5, nothing read past
// the end)
// and colours, draws and frees cleanly.
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool deviceReady = InitRenderDevice(1024, 768);
    (void)deviceReady;
    size_t consumed = 0;
    IPMDModel *model = IPMDModel::Parse(data, size, &consumed);
    if (!model)
        return 0;
    FUZZ_CHECK(consumed <= size);
    for (uint32_t m = 0; m < model->MeshCount(); ++m) {
        const CPMDMesh &mesh = model->Mesh(m);
        for (uint32_t p = 0; p < mesh.primitiveCount; ++p)
            CheckPrimitive(mesh.primitives[p], mesh.vertexCount);
        for (uint32_t g = 0; g < mesh.groupCount; ++g) {
            // Without materials the groups are never drawn; any index loads.
            FUZZ_CHECK(model->MaterialCount() == 0 ||
                       mesh.groups[g].material < model->MaterialCount());
            for (uint32_t p = 0; p < mesh.groups[g].primitiveCount; ++p)
                CheckPrimitive(mesh.groups[g].primitives[p], mesh.vertexCount);
        }
    }
    model->SetVertexColour(0xFF3366CCu);
    ResetFrameArena();
    model->Render();
    model->AddTexture(nullptr); // draws untextured
    model->Render();
    delete model;
    return 0;
}
