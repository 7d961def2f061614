#pragma once
#include "app/process.h"
#include "app/renderable.h"

#include <vector>

// Read access to the registries for tests.
const std::vector<CProcess *> &PendingProcesses();
const std::vector<CProcess *> &ActiveProcesses();
const std::vector<CRenderable *> &LayerRenderables(int layer);
const std::vector<RenderCallback> &LayerCallbacks(int layer);
