#include "app/renderable.h"

#include "app/registry_internal.h"
#include "render/render_device.h"

#include <algorithm>

namespace {

struct RenderLayer {
    std::vector<CRenderable *> renderables;
    std::vector<RenderCallback> callbacks;
};

RenderLayer g_layers[kRenderLayerCount];

template <typename T> void MoveToEnd(std::vector<T> &list, T item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
    list.push_back(item);
}

} // namespace

CRenderable::~CRenderable() = default;

void AddRenderable(int layer, CRenderable *renderable) {
    MoveToEnd(g_layers[layer].renderables, renderable);
}

void AddRenderCallback(int layer, RenderCallback callback) {
    MoveToEnd(g_layers[layer].callbacks, callback);
}

void RemoveRenderCallback(int layer, RenderCallback callback) {
    std::vector<RenderCallback> &list = g_layers[layer].callbacks;
    list.erase(std::remove(list.begin(), list.end(), callback), list.end());
}

void RenderLayers() {
    ResetFrameArena();
    for (RenderLayer &layer : g_layers) {
        // Each list is walked once over the entries it held at the start, so
        // an entry that re-adds itself cannot make the pass endless.
        const size_t renderables = layer.renderables.size();
        for (size_t i = 0; i < renderables && i < layer.renderables.size(); ++i)
            layer.renderables[i]->Render();
        const size_t callbacks = layer.callbacks.size();
        for (size_t i = 0; i < callbacks && i < layer.callbacks.size(); ++i)
            layer.callbacks[i]();
    }
}

void ClearRenderLayers() {
    for (RenderLayer &layer : g_layers) {
        layer.renderables.clear();
        layer.callbacks.clear();
    }
}

const std::vector<CRenderable *> &LayerRenderables(int layer) {
    return g_layers[layer].renderables;
}

const std::vector<RenderCallback> &LayerCallbacks(int layer) {
    return g_layers[layer].callbacks;
}
