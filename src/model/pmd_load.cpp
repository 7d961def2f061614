#include "model/pmd_model.h"

#include "app/resources.h"
#include "render/texture.h"

IPMDModel *LoadModelFromResource(int id, const int *textureIds, size_t textureCount) {
    uint32_t size = 0;
    const unsigned char *bytes = LoadResourceBytes(id, &size);
    if (!bytes)
        return nullptr;
    IPMDModel *model = IPMDModel::Parse(bytes, size);
    if (!model)
        return nullptr;
    for (uint32_t i = 0; i < model->MaterialCount(); ++i) {
        CTexture *texture = nullptr;
        if (textureIds && i < textureCount)
            texture = LoadTextureResource(textureIds[i]);
        model->AddTexture(texture);
    }
    return model;
}
