#pragma once
#include "app/process.h"
#include "app/renderable.h"

// Stand-in scene until the real one is wired in: registered like it (a process
// by construction, a renderable at layer 0) and draws a black frame.
class CPlaceholderScene : public CProcess, public CRenderable {
  public:
    CPlaceholderScene();
    ~CPlaceholderScene() override;

    void Process() override;
    void Render() override; // clears colour to 0 and depth to 0.0
};
