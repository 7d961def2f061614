#include "render/bitmap_font.h"

#include "render/texture.h"

#include <cstring>

namespace {

// Alpha of the texel at column x, row y of the store; rows and columns outside
// the store (or a store that is gone) read as transparent.
uint8_t StoreAlpha(const CTexture &t, uint32_t x, uint64_t y) {
    if (!t.pixels || x >= t.storeWidth || y >= t.storeHeight)
        return 0;
    return t.pixels[(size_t(y) * t.storeWidth + x) * 4 + 3];
}

// True when column x holds a non-transparent texel in the band of `height`
// rows (a float, scanned while y < height) starting at rowTop.
bool ColumnHasInk(const CTexture &t, uint32_t x, uint64_t rowTop, float height) {
    for (uint64_t y = 0; float(y) < height; ++y) {
        if (rowTop + y >= t.storeHeight)
            return false; // everything below reads as transparent
        if (StoreAlpha(t, x, rowTop + y) != 0)
            return true;
    }
    return false;
}

} // namespace

CBitmapFont::CBitmapFont(CTexture *imageTexture, CTexture *drawingTexture, const char *order,
                         float lineHeight_, float spacing_, float spaceWidth_, uint32_t gapLimit)
    : texture(imageTexture), lineHeight(lineHeight_), spacing(spacing_), spaceWidth(spaceWidth_) {
    BuildGlyphTable(order, gapLimit);
    if (drawingTexture)
        texture = drawingTexture;
}

void CBitmapFont::BuildGlyphTable(const char *order, uint32_t gapLimit) {
    for (int c = 0; c < 256; ++c) {
        widths[c] = 0.0f;
        origins[c] = CVector2(-1.0f, -1.0f);
        for (CVector2 &corner : corners[c])
            corner = CVector2(0.0f, 0.0f);
    }
    texelSize = CVector2(0.0f, 0.0f);
    if (!texture)
        return;
    const CTexture &image = *texture;
    texelSize = CVector2(1.0f / float(image.storeWidth ? image.storeWidth : 1),
                         1.0f / float(image.storeHeight ? image.storeHeight : 1));
    if (!order)
        return;

    const size_t length = std::strlen(order);
    const float h = lineHeight;
    // Band tops step by the truncated line height; stored v origins use h itself.
    const uint64_t bandStep =
        h >= 4294967296.0f ? uint64_t(1) << 32 : (h >= 1.0f ? uint64_t(h) : 0);
    const uint32_t imageWidth = image.width;
    size_t k = 0;
    uint32_t row = 0;
    uint64_t rowTop = 0;
    bool inGlyph = false;
    uint32_t glyphStart = 0;
    uint32_t previousEnd = 0;

    for (uint32_t x = 0; x < imageWidth; ++x) {
        if (k >= length)
            break; // never read past the terminating NUL
        const unsigned char ch = static_cast<unsigned char>(order[k]);
        const bool ink = ColumnHasInk(image, x, rowTop, h);
        if (ink && x - previousEnd <= gapLimit) {
            if (!inGlyph) {
                glyphStart = x;
                inGlyph = true;
            }
        } else if (inGlyph) {
            inGlyph = false;
            widths[ch] = float(x - glyphStart);
            origins[ch] = CVector2(float(glyphStart) * texelSize.x, float(row) * h * texelSize.y);
            previousEnd = x;
            ++k;
        }
        if (k == length)
            break;
        if (ch == '\n') {
            ++row;
            ++k;
            glyphStart = previousEnd = 0;
            inGlyph = false;
            rowTop = bandStep * row;
            x = 0; // the loop steps on to column 1 before the next scan
        }
    }

    for (int c = 0; c < 256; ++c) {
        if (origins[c].x == -1.0f)
            continue;
        const float gu = origins[c].x, gv = origins[c].y;
        const float du = texelSize.x * widths[c];
        const float dv = texelSize.y * h;
        corners[c][0] = CVector2(gu, gv + dv);
        corners[c][1] = CVector2(gu, gv);
        corners[c][2] = CVector2(gu + du, gv + dv);
        corners[c][3] = CVector2(gu + du, gv);
    }
}
