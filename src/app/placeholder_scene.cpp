#include "app/placeholder_scene.h"

#include "render/render_device.h"

CPlaceholderScene::CPlaceholderScene() { AddRenderable(0, this); }

CPlaceholderScene::~CPlaceholderScene() = default;

void CPlaceholderScene::Process() {}

void CPlaceholderScene::Render() {
    ClearColourBuffer(0);
    ClearDepthBuffer(0.0f);
}
