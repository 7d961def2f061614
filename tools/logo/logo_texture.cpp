#include "logo_texture.h"

#include "glyph_mask.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kN = kLogoTextureSize;
constexpr float kPi = 3.14159265f;
// Radii as fractions of the outer radius; they follow the lathe profile.
constexpr float kFaceEdge = 0.76f;
constexpr float kInlay = 0.70f;

struct Rgb {
    float r, g, b;
};

Rgb Mix(const Rgb &a, const Rgb &b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(const Rgb &a, float s) {
    return {a.r * s, a.g * s, a.b * s};
}

float Band(float x, float from, float to) {
    return (x >= from && x < to) ? 1.0f : 0.0f;
}

// Colour of the bare medallion (no lettering) at a radius given as a
// fraction of the outer radius.
Rgb Medallion(float rf) {
    const Rgb gold = {236, 184, 78};
    const Rgb darkGold = {120, 78, 28};
    if (rf >= kFaceEdge - 0.012f) {
        // Turned metal: faint concentric lines, a dark seam where the face meets the rim.
        const float lines = 0.95f + 0.05f * std::cos(rf * 2.0f * kPi * 18.0f);
        Rgb c = Scale(gold, lines);
        c = Mix(c, darkGold, Band(rf, kFaceEdge - 0.012f, kFaceEdge + 0.01f));
        return c;
    }
    const float t = std::pow(rf / kFaceEdge, 1.4f);
    Rgb c = Mix(Rgb{64, 92, 210}, Rgb{20, 24, 96}, t);
    // Grooves of a record, three pixels apart, between the label and the inlay.
    if (rf > 0.14f && rf < kInlay - 0.02f) {
        const float g = 0.5f + 0.5f * std::cos(rf * 128.0f * 2.0f * kPi / 3.0f);
        c = Scale(c, 0.88f + 0.12f * g);
    }
    // A thin gold inlay ring just inside the rim.
    c = Mix(c, gold, Band(rf, kInlay - 0.006f, kInlay + 0.006f));
    return c;
}

Rgb Over(const Rgb &under, const Rgb &over, float alpha) {
    return Mix(under, over, std::clamp(alpha, 0.0f, 1.0f));
}

uint8_t Byte(float v) {
    return uint8_t(std::clamp(std::lround(v), 0L, 255L));
}

} // namespace

std::vector<uint8_t> PaintLogoTexture(const std::string &fontDir) {
    const std::string bold = fontDir + "/DejaVuSans-Bold.ttf";

    CGlyphMask title(kN);
    if (!title.DrawTextFitted(bold, "ONDU", 72, 164.0f, 128.0f, 116.0f))
        return {};
    CGlyphMask subtitle(kN);
    if (!subtitle.DrawTextFitted(bold, "MARROWLAKE", 16, 104.0f, 128.0f, 166.0f))
        return {};
    const CGlyphMask titleEdge = title.Dilated(2);
    const CGlyphMask titleShadow = title.Dilated(2).Blurred(2);
    const CGlyphMask subtitleEdge = subtitle.Dilated(1);

    std::vector<uint8_t> rgba(size_t(kN) * kN * 4);
    for (int y = 0; y < kN; ++y) {
        for (int x = 0; x < kN; ++x) {
            // Four by four samples smooth the ring edges.
            Rgb c = {0, 0, 0};
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const float dx = (float(x) + (float(sx) + 0.5f) / 4.0f - 128.0f) / 128.0f;
                    const float dy = (float(y) + (float(sy) + 0.5f) / 4.0f - 128.0f) / 128.0f;
                    const Rgb m = Medallion(std::sqrt(dx * dx + dy * dy));
                    c = {c.r + m.r / 16.0f, c.g + m.g / 16.0f, c.b + m.b / 16.0f};
                }

            // Separator line between title and subtitle.
            if (y >= 147 && y <= 148 && x >= 70 && x < 186) {
                const float fade = std::min(1.0f, std::min(float(x - 70), float(185 - x)) / 12.0f);
                c = Over(c, Rgb{236, 184, 78}, fade);
            }

            // Title: soft shadow, dark outline, gold fill lighter at the top.
            c = Over(c, Rgb{4, 4, 20}, 0.75f * titleShadow.At(x - 2, y - 3));
            c = Over(c, Rgb{12, 10, 40}, titleEdge.At(x, y));
            const float shine = std::clamp((float(y) - 92.0f) / 48.0f, 0.0f, 1.0f);
            c = Over(c, Mix(Rgb{255, 236, 150}, Rgb{226, 150, 40}, shine), title.At(x, y));

            c = Over(c, Rgb{12, 10, 40}, subtitleEdge.At(x, y));
            c = Over(c, Rgb{248, 238, 212}, subtitle.At(x, y));

            uint8_t *p = &rgba[(size_t(y) * kN + x) * 4];
            p[0] = Byte(c.r);
            p[1] = Byte(c.g);
            p[2] = Byte(c.b);
            p[3] = 255;
        }
    }
    return rgba;
}
