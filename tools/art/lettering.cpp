#include "lettering.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>
#include <cmath>

std::u32string DecodeUtf8(const std::string &text) {
    std::u32string out;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t code = c;
        if (c >= 0xF0 && c < 0xF8) {
            extra = 3;
            code = c & 0x07;
        } else if (c >= 0xE0) {
            extra = c < 0xF0 ? 2 : 0;
            code = c & 0x0F;
        } else if (c >= 0xC0) {
            extra = 1;
            code = c & 0x1F;
        }
        bool ok = extra > 0;
        for (int k = 1; ok && k <= extra; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                ok = false;
            else
                code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        if (ok) {
            out.push_back(code);
            i += static_cast<size_t>(extra) + 1;
        } else {
            out.push_back(c);
            ++i;
        }
    }
    return out;
}

CTypeface::CTypeface(const std::string &path) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return;
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        FT_Done_FreeType(library);
        return;
    }
    m_library = library;
    m_face = face;
}

CTypeface::~CTypeface() {
    if (m_face != nullptr)
        FT_Done_Face(static_cast<FT_Face>(m_face));
    if (m_library != nullptr)
        FT_Done_FreeType(static_cast<FT_Library>(m_library));
}

namespace {

struct PlacedGlyph {
    CMask ink;
    int x, y; // top-left of the ink relative to the line's origin on the baseline
};

bool LoadGlyph(FT_Face face, char32_t code, float pixelSize) {
    if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(pixelSize * 64.0f)), 72,
                         72) != 0)
        return false;
    // Unhinted outlines keep display lettering smooth and true to the design.
    return FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) == 0;
}

CMask CopyBitmap(const FT_Bitmap &bitmap) {
    CMask mask(static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows));
    for (unsigned y = 0; y < bitmap.rows; ++y) {
        const unsigned char *row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        for (unsigned x = 0; x < bitmap.width; ++x)
            mask.Set(static_cast<int>(x), static_cast<int>(y), row[x] / 255.0f);
    }
    return mask;
}

} // namespace

CMask CTypeface::RenderGlyph(char32_t code, float pixelSize, int *left, int *top) const {
    FT_Face face = static_cast<FT_Face>(m_face);
    *left = 0;
    *top = 0;
    if (face == nullptr || !LoadGlyph(face, code, pixelSize))
        return CMask();
    *left = face->glyph->bitmap_left;
    *top = -face->glyph->bitmap_top;
    return CopyBitmap(face->glyph->bitmap);
}

CMask CTypeface::RenderLine(const std::u32string &text, float pixelSize, float tracking, int pad,
                            int *baseline) const {
    FT_Face face = static_cast<FT_Face>(m_face);
    std::vector<PlacedGlyph> glyphs;
    float pen = 0.0f;
    FT_UInt previous = 0;
    for (char32_t code : text) {
        if (face == nullptr || !LoadGlyph(face, code, pixelSize))
            continue;
        const FT_UInt index = FT_Get_Char_Index(face, code);
        if (previous != 0 && index != 0 && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            if (FT_Get_Kerning(face, previous, index, FT_KERNING_UNFITTED, &kern) == 0)
                pen += static_cast<float>(kern.x) / 64.0f;
        }
        previous = index;
        PlacedGlyph g{CopyBitmap(face->glyph->bitmap),
                      static_cast<int>(std::lround(pen)) + face->glyph->bitmap_left,
                      -face->glyph->bitmap_top};
        if (g.ink.Width() > 0 && g.ink.Height() > 0)
            glyphs.push_back(std::move(g));
        pen += static_cast<float>(face->glyph->advance.x) / 64.0f + tracking;
    }
    if (glyphs.empty()) {
        if (baseline != nullptr)
            *baseline = pad;
        return CMask(2 * pad + 1, 2 * pad + 1);
    }
    int minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN;
    for (const PlacedGlyph &g : glyphs) {
        minX = std::min(minX, g.x);
        minY = std::min(minY, g.y);
        maxX = std::max(maxX, g.x + g.ink.Width());
        maxY = std::max(maxY, g.y + g.ink.Height());
    }
    CMask out(maxX - minX + 2 * pad, maxY - minY + 2 * pad);
    for (const PlacedGlyph &g : glyphs)
        for (int y = 0; y < g.ink.Height(); ++y)
            for (int x = 0; x < g.ink.Width(); ++x) {
                const int ox = g.x - minX + pad + x;
                const int oy = g.y - minY + pad + y;
                out.Set(ox, oy, std::min(1.0f, out.Get(ox, oy) + g.ink.Get(x, y)));
            }
    if (baseline != nullptr)
        *baseline = pad - minY;
    return out;
}
