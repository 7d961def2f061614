#include "glyph_mask.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

namespace {

// Width of the line in pixels (advances, kerning ignored) at the face's size.
float LineWidth(FT_Face face, const std::string &text) {
    float width = 0.0f;
    for (unsigned char ch : text) {
        if (FT_Load_Char(face, ch, FT_LOAD_DEFAULT) != 0)
            continue;
        width += float(face->glyph->advance.x) / 64.0f;
    }
    return width;
}

} // namespace

bool CGlyphMask::DrawTextFitted(const std::string &fontPath, const std::string &text,
                                int maxPixelSize, float maxWidth, float centreX, float middleY) {
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    FT_Face face;
    if (FT_New_Face(library, fontPath.c_str(), 0, &face) != 0) {
        FT_Done_FreeType(library);
        return false;
    }
    int size = maxPixelSize;
    for (; size > 4; --size) {
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
        if (LineWidth(face, text) <= maxWidth)
            break;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return DrawText(fontPath, text, size, centreX, middleY);
}

bool CGlyphMask::DrawText(const std::string &fontPath, const std::string &text, int pixelSize,
                          float centreX, float middleY) {
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    FT_Face face;
    if (FT_New_Face(library, fontPath.c_str(), 0, &face) != 0) {
        FT_Done_FreeType(library);
        return false;
    }
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize));

    // The capital height, taken from 'H', centres the line vertically.
    float capHeight = float(pixelSize) * 0.7f;
    if (FT_Load_Char(face, 'H', FT_LOAD_DEFAULT) == 0)
        capHeight = float(face->glyph->metrics.height) / 64.0f;
    const float width = LineWidth(face, text);
    float penX = std::round(centreX - width * 0.5f);
    const int baseline = int(std::lround(middleY + capHeight * 0.5f));

    for (unsigned char ch : text) {
        if (FT_Load_Char(face, ch, FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot g = face->glyph;
        const FT_Bitmap &bm = g->bitmap;
        const int left = int(penX) + g->bitmap_left;
        const int top = baseline - g->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row) {
            for (unsigned col = 0; col < bm.width; ++col) {
                const int x = left + int(col), y = top + int(row);
                if (x < 0 || y < 0 || x >= m_size || y >= m_size)
                    continue;
                const float c = float(bm.buffer[row * bm.pitch + col]) / 255.0f;
                Ref(x, y) = std::max(Ref(x, y), c);
            }
        }
        penX += float(g->advance.x) / 64.0f;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return true;
}

CGlyphMask CGlyphMask::Dilated(int radius) const {
    CGlyphMask out(m_size);
    for (int y = 0; y < m_size; ++y)
        for (int x = 0; x < m_size; ++x) {
            float best = 0.0f;
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx)
                    if (dx * dx + dy * dy <= radius * radius + radius)
                        best = std::max(best, At(x + dx, y + dy));
            out.Ref(x, y) = best;
        }
    return out;
}

CGlyphMask CGlyphMask::Blurred(int radius) const {
    CGlyphMask a = *this;
    const float n = float(2 * radius + 1);
    for (int pass = 0; pass < 2; ++pass) {
        CGlyphMask h(m_size);
        for (int y = 0; y < m_size; ++y)
            for (int x = 0; x < m_size; ++x) {
                float s = 0.0f;
                for (int d = -radius; d <= radius; ++d)
                    s += a.At(x + d, y);
                h.Ref(x, y) = s / n;
            }
        for (int y = 0; y < m_size; ++y)
            for (int x = 0; x < m_size; ++x) {
                float s = 0.0f;
                for (int d = -radius; d <= radius; ++d)
                    s += h.At(x, y + d);
                a.Ref(x, y) = s / n;
            }
    }
    return a;
}
