#pragma once
#include <string>

#include "canvas.h"

// Lettering with FreeType: renders text into coverage masks.

// Decodes UTF-8 into code points; malformed bytes are taken as Latin-1.
std::u32string DecodeUtf8(const std::string &text);

class CTypeface {
  public:
    // Opens a font file; Ok() tells whether it worked.
    explicit CTypeface(const std::string &path);
    ~CTypeface();
    CTypeface(const CTypeface &) = delete;
    CTypeface &operator=(const CTypeface &) = delete;

    bool Ok() const { return m_face != nullptr; }

    // Renders a line of text at `pixelSize` pixels per em with `tracking`
    // extra pixels between letters. The mask holds the ink's bounding box
    // plus `pad` empty pixels on every side. *baseline (may be null) gets the
    // baseline's row in the mask.
    CMask RenderLine(const std::u32string &text, float pixelSize, float tracking, int pad,
                     int *baseline = nullptr) const;

    // Renders one glyph into its own tight mask (empty for blank glyphs).
    // *left and *top get the ink's offset from the pen position on the
    // baseline (top is negative above the baseline).
    CMask RenderGlyph(char32_t code, float pixelSize, int *left, int *top) const;

  private:
    void *m_library = nullptr; // FT_Library
    void *m_face = nullptr;    // FT_Face
};
