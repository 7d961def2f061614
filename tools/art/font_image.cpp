// Picture 108: the scroll-text font. Each glyph is filled with a vertical
// gradient of the lake's dusk colours inside a dark outline, on a transparent
// ground, laid out band by band in the order of the glyph-order string. The
// program draws it with a white vertex colour (so these colours show) and its
// shadow pass in black. The font builder finds glyphs as runs of inked columns,
// so every glyph here is exactly one run: glyphs made of separate strokes (the
// double quote) are bridged with nearly invisible ink, and neighbours are kept
// apart by fully transparent columns.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "pictures.h"
#include "text_style.h"

namespace {

constexpr int kImageSize = 512;
constexpr int kBandHeight = 57;
// Alpha of the bridging ink: counts as ink, never shows.
constexpr float kFaintInk = 1.0f / 255.0f;
// Rows at the top and bottom of every band that stay clear, so filtered cells
// never bleed into the neighbouring band.
constexpr int kClearRows = 2;

float Quantise(float v) {
    return std::round(Clamp01(v) * 255.0f) / 255.0f;
}

// One glyph: fill coverage and outline coverage on the same grid, the grid
// padded by the outline width on every side.
struct GlyphInk {
    CMask fill;
    CMask body;    // fill grown by the outline
    int top = 0;   // grid top relative to the baseline (negative above it)
    int first = 0; // first and last column holding ink of the body
    int last = -1;
};

GlyphInk LoadGlyph(const CTypeface &face, unsigned char code, float size, float outline) {
    GlyphInk g;
    int left = 0, top = 0;
    const CMask ink = face.RenderGlyph(static_cast<char32_t>(code), size, &left, &top);
    const int pad = static_cast<int>(std::ceil(outline)) + 1;
    g.fill = CMask(ink.Width() + 2 * pad, ink.Height() + 2 * pad);
    for (int y = 0; y < ink.Height(); ++y)
        for (int x = 0; x < ink.Width(); ++x)
            g.fill.Set(x + pad, y + pad, ink.Get(x, y));
    g.top = top - pad;
    // The outline: the largest fill coverage within a disc of the outline's
    // radius, softened over its last pixel.
    const int reach = static_cast<int>(std::ceil(outline));
    g.body = CMask(g.fill.Width(), g.fill.Height());
    for (int y = 0; y < g.fill.Height(); ++y)
        for (int x = 0; x < g.fill.Width(); ++x) {
            float v = 0.0f;
            for (int dy = -reach; dy <= reach; ++dy)
                for (int dx = -reach; dx <= reach; ++dx) {
                    const float weight = Clamp01(outline + 0.5f - std::hypot(dx, dy));
                    v = std::max(v, weight * g.fill.Get(x + dx, y + dy));
                }
            g.body.Set(x, y, Quantise(v));
        }
    g.first = g.body.Width();
    for (int x = 0; x < g.body.Width(); ++x)
        for (int y = 0; y < g.body.Height(); ++y)
            if (g.body.Get(x, y) > 0.0f) {
                g.first = std::min(g.first, x);
                g.last = std::max(g.last, x);
                break;
            }
    return g;
}

} // namespace

CCanvas PaintFontImage(const ArtKit &kit, const std::string &glyphOrder) {
    const CArtConfig &p = kit.config;
    const Colour outlineColour = p.GetColour("font.outline");
    // Transparent texels carry the outline's colour, so filtering at a glyph's
    // edge darkens towards the outline instead of towards white.
    CCanvas c(kImageSize, kImageSize, outlineColour);
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x)
            c.SetAlpha(x, y, 0.0f);

    const std::vector<float> size = p.GetNumbers("font.size");
    const std::vector<float> baseline = p.GetNumbers("font.baseline");
    const std::vector<float> first = p.GetNumbers("font.first");
    const std::vector<float> gap = p.GetNumbers("font.gap");
    const std::vector<float> outline = p.GetNumbers("font.outline_width");
    const std::vector<float> cap = p.GetNumbers("font.cap_height");
    const std::vector<float> pad = p.GetNumbers("font.side_pad");
    const std::vector<float> fillRgb = p.GetNumbers("font.fill");
    if (size.empty() || baseline.empty() || first.empty() || gap.empty() || outline.empty() ||
        cap.empty() || pad.empty() || fillRgb.size() < 8)
        return c;
    // The fill is set along the cap height: 0 at the cap line, 1 on the
    // baseline, beyond 1 in the descenders; the same in every band.
    std::vector<GradientStop> fill;
    for (size_t i = 0; i + 3 < fillRgb.size(); i += 4)
        fill.push_back(
            GradientStop{fillRgb[i], Colour{fillRgb[i + 1] / 255.0f, fillRgb[i + 2] / 255.0f,
                                            fillRgb[i + 3] / 255.0f}});
    const int sidePad = static_cast<int>(pad[0]);
    const float gradientTop = baseline[0] - cap[0];
    const float gradientSpan = cap[0];

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
        const unsigned char code = static_cast<unsigned char>(glyphOrder[i]);
        const GlyphInk g = LoadGlyph(kit.condensedBold, code, size[0], outline[0]);
        if (g.last < g.first) {
            std::fprintf(stderr, "font has no ink for byte 0x%02x\n", code);
            continue;
        }
        const int bandTop = band * kBandHeight;
        const int bandEnd = std::min(kImageSize, bandTop + kBandHeight);
        int inkTop = g.body.Height(), inkBottom = -1;
        for (int y = 0; y < g.body.Height(); ++y)
            for (int x = g.first; x <= g.last; ++x)
                if (g.body.Get(x, y) > 0.0f) {
                    inkTop = std::min(inkTop, y);
                    inkBottom = std::max(inkBottom, y);
                }
        const int originY = bandTop + static_cast<int>(baseline[0]) + g.top;
        if (originY + inkTop < bandTop + kClearRows ||
            originY + inkBottom >= bandTop + kBandHeight - kClearRows)
            std::fprintf(stderr, "glyph 0x%02x leaves its band\n", code);
        for (int y = 0; y < g.body.Height(); ++y) {
            const int row = originY + y;
            if (row < bandTop + kClearRows || row >= bandEnd - kClearRows)
                continue;
            const Colour fillColour = GradientAt(
                fill, (static_cast<float>(row - bandTop) + 0.5f - gradientTop) / gradientSpan);
            for (int x = g.first; x <= g.last; ++x) {
                const float a = g.body.Get(x, y);
                if (a <= 0.0f)
                    continue;
                const int column = penX + sidePad + x - g.first;
                c.SetAlpha(column, row, a);
                c.Set(column, row, Mix(outlineColour, fillColour, Clamp01(g.fill.Get(x, y) / a)));
            }
        }
        // Every column from the left bearing to the right one must hold ink:
        // bridge empty columns (the bearings, and between strokes) with faint
        // ink on the glyph's middle row.
        const int width = g.last - g.first + 1 + 2 * sidePad;
        const int midRow = std::clamp(originY + (inkTop + inkBottom) / 2, bandTop + kClearRows,
                                      bandEnd - kClearRows - 1);
        for (int x = penX; x < penX + width; ++x) {
            bool inked = false;
            for (int y = bandTop; y < bandEnd; ++y)
                inked = inked || c.Alpha(x, y) > 0.0f;
            if (!inked)
                c.SetAlpha(x, midRow, kFaintInk);
        }
        penX += width + static_cast<int>(gap[0]);
    }
    return c;
}
