// Picture 108: the scroll-text font. White glyphs whose alpha is their
// coverage, on a transparent ground, laid out band by band in the order of the
// glyph-order string. The font builder finds glyphs as runs of inked columns,
// so every glyph here is exactly one run: glyphs made of separate strokes
// (the double quote) are bridged with nearly invisible ink, and neighbours are
// kept apart by fully transparent columns.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "pictures.h"

namespace {

constexpr int kImageSize = 512;
constexpr int kBandHeight = 57;
// Alpha of the bridging and bearing ink: counts as ink, never shows.
constexpr float kFaintInk = 1.0f / 255.0f;

struct GlyphInk {
    CMask ink;     // tight ink, 8-bit quantised coverage
    int top = 0;   // ink top relative to the baseline
    int first = 0; // first and last inked column of the mask
    int last = -1;
};

float Quantise(float v) {
    return std::round(Clamp01(v) * 255.0f) / 255.0f;
}

GlyphInk LoadGlyph(const CTypeface &face, unsigned char code, float size) {
    GlyphInk g;
    int left = 0;
    g.ink = face.RenderGlyph(static_cast<char32_t>(code), size, &left, &g.top);
    for (int y = 0; y < g.ink.Height(); ++y)
        for (int x = 0; x < g.ink.Width(); ++x)
            g.ink.Set(x, y, Quantise(g.ink.Get(x, y)));
    g.first = g.ink.Width();
    for (int x = 0; x < g.ink.Width(); ++x)
        for (int y = 0; y < g.ink.Height(); ++y)
            if (g.ink.Get(x, y) > 0.0f) {
                g.first = std::min(g.first, x);
                g.last = std::max(g.last, x);
                break;
            }
    return g;
}

} // namespace

CCanvas PaintFontImage(const ArtKit &kit, const std::string &glyphOrder) {
    const CArtConfig &p = kit.config;
    CCanvas c(kImageSize, kImageSize, Colour{1, 1, 1});
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x)
            c.SetAlpha(x, y, 0.0f);

    const std::string faceName = p.GetText("font.face");
    const std::vector<float> size = p.GetNumbers("font.size");
    const std::vector<float> baseline = p.GetNumbers("font.baseline");
    const std::vector<float> first = p.GetNumbers("font.first");
    const std::vector<float> gap = p.GetNumbers("font.gap");
    const std::vector<float> pad = p.GetNumbers("font.side_pad");
    if (size.empty() || baseline.empty() || first.empty() || gap.empty() || pad.empty())
        return c;
    const CTypeface &face = faceName == "DejaVuSans.ttf" ? kit.sans : kit.sansBold;
    const int sidePad = static_cast<int>(pad[0]);

    int band = 0;
    int penX = static_cast<int>(first[0]);
    for (size_t i = 0; i <= glyphOrder.size(); ++i) {
        if (i == glyphOrder.size() || glyphOrder[i] == '\n') {
            if (penX - static_cast<int>(gap[0]) > kImageSize)
                std::fprintf(stderr, "font band %d is %d columns wide\n", band, penX);
            ++band;
            penX = static_cast<int>(first[0]);
            continue;
        }
        const GlyphInk g = LoadGlyph(face, static_cast<unsigned char>(glyphOrder[i]), size[0]);
        if (g.last < g.first) {
            std::fprintf(stderr, "font has no ink for byte 0x%02x\n",
                         static_cast<unsigned char>(glyphOrder[i]));
            continue;
        }
        const int bandTop = band * kBandHeight;
        const int originY = bandTop + static_cast<int>(baseline[0]) + g.top;
        if (originY < bandTop || originY + g.ink.Height() > bandTop + kBandHeight)
            std::fprintf(stderr, "glyph 0x%02x leaves its band\n",
                         static_cast<unsigned char>(glyphOrder[i]));
        const int inkX = penX + sidePad;
        const int width = g.last - g.first + 1;
        for (int y = 0; y < g.ink.Height(); ++y)
            for (int x = g.first; x <= g.last; ++x) {
                const float a = g.ink.Get(x, y);
                if (a > 0.0f)
                    c.SetAlpha(inkX + x - g.first, originY + y, a);
            }
        // Every column from the left bearing to the right one must hold ink:
        // bridge empty columns (between strokes, and the bearings) with faint
        // ink on the glyph's middle row.
        const int midRow = std::clamp(originY + g.ink.Height() / 2, bandTop,
                                      std::min(kImageSize, bandTop + kBandHeight) - 1);
        for (int x = penX; x < inkX + width + sidePad; ++x) {
            bool inked = false;
            for (int y = bandTop; y < std::min(kImageSize, bandTop + kBandHeight); ++y)
                inked = inked || c.Alpha(x, y) > 0.0f;
            if (!inked)
                c.SetAlpha(x, midRow, kFaintInk);
        }
        penX = inkX + width + sidePad + static_cast<int>(gap[0]);
    }
    return c;
}
