#pragma once
// Deletes a scene together with what the program leaves to the end of a run
// (the font image and the logo model), for tests and benchmarks that build
// the scene more than once in one process.
#include "model/model.h"
#include "render/bitmap_font.h"
#include "render/texture.h"
#include "scene/testbed.h"

inline void DeleteTestbedAndLeftovers(CTestbed *scene) {
    CTexture *fontImage = scene && scene->m_font ? scene->m_font->texture : nullptr;
    delete scene;
    if (fontImage) {
        fontImage->ReleasePixels();
        delete fontImage;
    }
    delete g_logoModel;
    g_logoModel = nullptr;
}
