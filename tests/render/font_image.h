#pragma once
#include "render/texture.h"

#include <cstdint>
#include <vector>

// A font image built in memory for glyph-table tests: a CTexture whose store
// is a test-owned vector of exactly storeWidth x storeHeight texels, so any
// read outside it is caught by the address sanitizer. Needs no GL context.
class CFontImage {
  public:
    CFontImage(uint32_t width, uint32_t height, uint32_t storeWidth, uint32_t storeHeight)
        : m_store(size_t(storeWidth) * storeHeight * 4, 0) {
        m_texture.width = width;
        m_texture.height = height;
        m_texture.storeWidth = storeWidth;
        m_texture.storeHeight = storeHeight;
        m_texture.bytesPerPixel = 4;
        m_texture.pixels = m_store.data();
    }
    ~CFontImage() { m_texture.pixels = nullptr; }

    // Sets columns x0..x1 (inclusive) of rows y0..y1 (inclusive) to opaque white.
    void Ink(uint32_t x0, uint32_t x1, uint32_t y0, uint32_t y1) {
        for (uint32_t y = y0; y <= y1; ++y)
            for (uint32_t x = x0; x <= x1; ++x)
                for (int i = 0; i < 4; ++i)
                    m_store[(size_t(y) * m_texture.storeWidth + x) * 4 + i] = 255;
    }

    CTexture *Texture() { return &m_texture; }

  private:
    std::vector<uint8_t> m_store;
    CTexture m_texture;
};
