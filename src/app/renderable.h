#pragma once
// Objects and plain functions drawn once per frame, in three ordered layers.
// The layers hold pointers they do not own; layer numbers are 0 to 2.

class CRenderable {
  public:
    CRenderable() = default;
    CRenderable(const CRenderable &) = delete;
    CRenderable &operator=(const CRenderable &) = delete;

    // Destroying a renderable does not unregister it: clear the layers first.
    virtual ~CRenderable();
    // Draws the object. Must not destroy any renderable.
    virtual void Render() = 0;
};

typedef void (*RenderCallback)();

constexpr int kRenderLayerCount = 3;

// Appends the renderable to the layer, removing any earlier entry of it there.
void AddRenderable(int layer, CRenderable *renderable);
// Appends the function to the layer's callbacks, removing any earlier entry.
void AddRenderCallback(int layer, RenderCallback callback);
// Removes every entry of the function from the layer's callbacks.
void RemoveRenderCallback(int layer, RenderCallback callback);
// The render pass: resets the frame vertex arena, then for layers 0, 1, 2 draws
// every renderable, then calls every callback, each in list order.
void RenderLayers();
// Empties every layer without touching the objects.
void ClearRenderLayers();
