#pragma once
#include "math/vector.h"
#include "render/packed_colour.h"
#include "render/vertex.h"

#include <cstddef>
#include <cstdint>

class CTexture;

// Gap limit value that lets glyphs start or continue at any distance.
constexpr uint32_t kNoGapLimit = 0xFFFFFFFFu;

// A proportional font cut from one RGBA image: glyphs sit in bands of
// lineHeight pixels on a transparent background, in the reading order of a
// glyph-order string (one line of the string per band). The font never owns
// its textures. Character codes are the unsigned bytes of the text.
class CBitmapFont {
  public:
    // Scans imageTexture's alpha for the glyphs named by `order` (see
    // BuildGlyphTable). Text is drawn with drawingTexture when one is given,
    // else with imageTexture. Sizes are in image pixels.
    CBitmapFont(CTexture *imageTexture, CTexture *drawingTexture, const char *order,
                float lineHeight, float spacing, float spaceWidth, uint32_t gapLimit);
    CBitmapFont(const CBitmapFont &) = delete;
    CBitmapFont &operator=(const CBitmapFont &) = delete;

    // Fills widths, origins, texelSize and corners from the font image in
    // `texture`. A glyph is a run of inked columns (alpha not 0) within the
    // current band that starts no more than gapLimit columns after the previous
    // glyph's end; each run ends at a transparent column and takes the character
    // at the current position of `order`. A newline in `order` moves to the next
    // band at the column after the previous glyph. The scan stops at the image's
    // right edge. A repeated character keeps its later glyph. Missing
    // characters get width 0 and origin (-1, -1).
    void BuildGlyphTable(const char *order, uint32_t gapLimit);

    // True when code c has a glyph.
    bool HasGlyph(unsigned char c) const { return origins[c].x != -1.0f; }

    // Size of `text` at `scale` (pixels): the widest line's advance, trailing
    // spacing included, and the larger of one line height and the last line's
    // top. Written to `size` and returned. A null text measures as empty.
    CVector2 Measure(CVector2 &size, float scale, const char *text) const;

    // Draws `text` with its first cell's top-left corner at `position` as one
    // triangle list from the frame vertex arena. Text longer than the arena has
    // room for this frame is cut to what fits.
    void Print(const CVector2 &position, PackedColour colour, float scale, const char *text) const;

    // printf-style forms: format into one shared 2048-byte buffer (text longer
    // than 2047 characters is cut), then Measure / Print it. Not reentrant.
    CVector2 MeasureF(CVector2 &size, float scale, const char *format, ...) const
        __attribute__((format(printf, 4, 5)));
    void PrintF(const CVector2 &position, PackedColour colour, float scale, const char *format,
                ...) const __attribute__((format(printf, 5, 6)));

    // Writes the six vertices of each glyph among the first `length` bytes of
    // text into `out`, which must hold length * 6 records. Returns the number
    // of records written. This is Print without the arena and the GL submit.
    unsigned BuildTextVertices(Vertex2D *out, const CVector2 &position, PackedColour colour,
                               float scale, const char *text, size_t length) const;

    CTexture *texture;        // drawn with; not owned
    float lineHeight;         // band height in image pixels; line advance at scale 1
    float spacing;            // advance added after every character
    float spaceWidth;         // advance of the space character
    float widths[256];        // glyph widths in image pixels; 0 when missing
    CVector2 origins[256];    // (u, v) of each glyph cell's top-left; (-1, -1) when missing
    CVector2 texelSize;       // (1 / store width, 1 / store height)
    CVector2 corners[256][4]; // bottom-left, top-left, bottom-right, top-right (u, v)
};
