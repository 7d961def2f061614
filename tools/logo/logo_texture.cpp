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

// Colour of the bare medallion (no lettering) at pixel (x, y) of the texture.
// The face is a small picture of the lake at dusk: violet sky with the moon
// above, an ember glow on the horizon, dark water with teal ripples below. The
// rim is turned copper, warm like the setting sun.
Rgb Medallion(float x, float y) {
    const float dx = (x - 128.0f) / 128.0f, dy = (y - 128.0f) / 128.0f;
    const float rf = std::sqrt(dx * dx + dy * dy);
    const Rgb copper = {240, 150, 62};
    const Rgb darkCopper = {110, 48, 30};
    if (rf >= kFaceEdge - 0.012f) {
        // Turned metal: faint concentric lines, a dark seam where the face meets the rim.
        const float lines = 0.95f + 0.05f * std::cos(rf * 2.0f * kPi * 18.0f);
        Rgb c = Scale(copper, lines);
        c = Mix(c, darkCopper, Band(rf, kFaceEdge - 0.012f, kFaceEdge + 0.01f));
        return c;
    }
    constexpr float kHorizon = 149.0f; // the water line, also the rule under the title
    Rgb c;
    if (y < kHorizon) {
        const float t = std::clamp((y - 30.0f) / (kHorizon - 30.0f), 0.0f, 1.0f);
        c = t < 0.75f ? Mix(Rgb{44, 28, 112}, Rgb{104, 52, 176}, t / 0.75f)
                      : Mix(Rgb{104, 52, 176}, Rgb{232, 118, 90}, (t - 0.75f) / 0.25f);
        // The full moon, high in the sky, with a soft halo.
        const float moon = std::hypot(x - 128.0f, y - 60.0f);
        c = Mix(c, Rgb{246, 240, 224}, std::clamp(14.5f - moon, 0.0f, 1.0f));
        c = Mix(c, Rgb{150, 200, 210}, 0.35f * std::exp(-std::max(0.0f, moon - 14.0f) / 8.0f));
    } else {
        const float t = std::clamp((y - kHorizon) / 60.0f, 0.0f, 1.0f);
        c = Mix(Rgb{92, 50, 150}, Rgb{34, 22, 96}, t);
        // Rings of teal ripples spreading from below the title.
        const float r = std::hypot(x - 128.0f, (y - 204.0f) * 2.6f);
        const float ring = std::pow(0.5f + 0.5f * std::cos(r * 0.42f), 8.0f) * std::exp(-r / 90.0f);
        c = Mix(c, Rgb{80, 210, 205}, 0.8f * ring);
    }
    // A thin copper inlay ring just inside the rim.
    c = Mix(c, copper, Band(rf, kInlay - 0.006f, kInlay + 0.006f));
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
    // The name in the display serif of the intro pictures, the line under it
    // in their condensed sans.
    const std::string serif = fontDir + "/DejaVuSerif-Bold.ttf";
    const std::string condensed = fontDir + "/DejaVuSansCondensed-Bold.ttf";

    CGlyphMask title(kN);
    if (!title.DrawTextFitted(serif, "ONDU", 72, 164.0f, 128.0f, 112.0f))
        return {};
    CGlyphMask subtitle(kN);
    if (!subtitle.DrawTextFitted(condensed, "MARROWLAKE", 18, 110.0f, 128.0f, 178.0f))
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
                    const Rgb m = Medallion(float(x) + (float(sx) + 0.5f) / 4.0f,
                                            float(y) + (float(sy) + 0.5f) / 4.0f);
                    c = {c.r + m.r / 16.0f, c.g + m.g / 16.0f, c.b + m.b / 16.0f};
                }

            // Title: soft shadow, dark violet outline, moonlit fill, cream above to teal below.
            c = Over(c, Rgb{8, 2, 20}, 0.75f * titleShadow.At(x - 2, y - 3));
            c = Over(c, Rgb{26, 8, 38}, titleEdge.At(x, y));
            const float shine = std::clamp((float(y) - 88.0f) / 50.0f, 0.0f, 1.0f);
            c = Over(c, Mix(Rgb{255, 246, 226}, Rgb{110, 214, 206}, shine), title.At(x, y));

            c = Over(c, Rgb{26, 8, 38}, subtitleEdge.At(x, y));
            c = Over(c, Rgb{255, 212, 140}, subtitle.At(x, y));

            uint8_t *p = &rgba[(size_t(y) * kN + x) * 4];
            p[0] = Byte(c.r);
            p[1] = Byte(c.g);
            p[2] = Byte(c.b);
            p[3] = 255;
        }
    }
    return rgba;
}
