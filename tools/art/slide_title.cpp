// Picture 102: the title over a lake at dusk. Sky, sun, moon and stars are
// painted first, then three layers of hills, then the water mirrors all of it
// with ripples, and the title goes over the sky last.
#include <algorithm>
#include <cmath>

#include "noise.h"
#include "pictures.h"
#include "scenery.h"
#include "shapes.h"
#include "text_style.h"

namespace {

constexpr int kHorizon = 492; // the water line (row)
constexpr float kSunX = 662.0f;
constexpr float kSunY = kHorizon - 4.0f;
constexpr float kSunRadius = 30.0f;

// The hills part in a valley where the sun goes down (1 elsewhere, low there).
float Valley(float x) {
    return 1.0f - 0.95f * std::exp(-std::pow((x - kSunX) / 165.0f, 2.0f));
}

// Height of a hill layer's ridge above the water line at column x (pixels).
float Ridge(float x, float base, float amplitude, float scale, uint32_t seed) {
    return (base + amplitude * Fbm(x / scale, 0.5f, 5, seed)) * Valley(x);
}

// The near shore: low ground with pine silhouettes.
float NearRidge(float x) {
    float top = 10.0f + 26.0f * Fbm(x / 160.0f, 3.5f, 4, 77);
    // Shore only at the sides: the middle opens onto the water.
    const float side = std::max(SmoothStep(330.0f, 120.0f, x), SmoothStep(760.0f, 980.0f, x));
    top *= side;
    float trees = top;
    const int cell = 11;
    const int c0 = static_cast<int>(std::floor(x / cell));
    for (int c = c0 - 3; c <= c0 + 3; ++c) {
        const float cx = (c + Hash01(c, 0, 91)) * cell;
        const float height = (14.0f + 34.0f * Hash01(c, 1, 91)) * side;
        if (height < 4.0f)
            continue;
        const float spread = std::fabs(x - cx) * 2.9f;
        trees = std::max(trees, top + height - spread);
    }
    return trees;
}

Colour SkyAt(const ArtKit &kit, float y) {
    const CArtConfig &p = kit.config;
    const std::vector<GradientStop> stops = {{0.0f, p.GetColour("dusk.zenith")},
                                             {0.32f, p.GetColour("dusk.high")},
                                             {0.66f, p.GetColour("dusk.mid")},
                                             {0.88f, p.GetColour("dusk.low")},
                                             {1.0f, p.GetColour("dusk.horizon")}};
    return GradientAt(stops, y / static_cast<float>(kHorizon));
}

void PaintSky(CCanvas &c, const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    std::vector<Colour> rows(kHorizon + 1);
    for (int y = 0; y <= kHorizon; ++y)
        rows[y] = SkyAt(kit, static_cast<float>(y));
    const Colour sunGlow = p.GetColour("dusk.sun_glow");
    const Colour cloudLit = p.GetColour("dusk.cloud_lit");
    const Colour cloudDark = p.GetColour("dusk.cloud_dark");
    for (int y = 0; y <= kHorizon; ++y)
        for (int x = 0; x < kPictureWidth; ++x) {
            Colour col = rows[y];
            // Wide warm light around the setting sun, flattened along the horizon.
            const float dx = (x - kSunX) / 3.2f, dy = (y - kSunY);
            const float d = std::hypot(dx, dy);
            col = Add(col, Scale(sunGlow, 0.55f * std::exp(-d / 95.0f)));
            // Thin streaks of cloud, lit from below near the horizon.
            if (y > 200 && y < 470) {
                const float band = SmoothStep(200.0f, 300.0f, y) * SmoothStep(470.0f, 400.0f, y);
                const float n = Fbm(x / 260.0f, y / 16.0f, 5, 5);
                const float cover = SmoothStep(0.52f, 0.72f, n) * band;
                if (cover > 0.0f) {
                    const float lit = Clamp01(0.3f + 0.9f * std::exp(-std::hypot(dx, dy) / 150.0f));
                    const Colour cloud = Mix(cloudDark, cloudLit, lit);
                    col = Mix(col, cloud, cover * 0.75f);
                }
            }
            c.Set(x, y, col);
        }
    DrawStars(c, 700, 1234, 360, 130, 0.95f);

    // A thin crescent moon high on the left.
    const float mx = 188.0f, my = 118.0f, mr = 21.0f;
    const Colour moon = p.GetColour("dusk.moon");
    for (int y = 38; y < 200; ++y)
        for (int x = 108; x < 270; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float disc = SdCircle(px, py, mx, my, mr);
            const float bite = SdCircle(px, py, mx + 9.0f, my - 5.0f, mr * 0.93f);
            const float a = Coverage(std::max(disc, -bite));
            c.Blend(x, y, moon, a);
            const float dist = std::max(0.0f, disc);
            c.AddLight(x, y, moon, 0.18f * std::exp(-dist / 14.0f));
        }

    // The sun, half sunk; its lower part is hidden behind the hills and water.
    const Colour sun = p.GetColour("dusk.sun");
    for (int y = static_cast<int>(kSunY - kSunRadius - 2); y <= kHorizon; ++y)
        for (int x = static_cast<int>(kSunX - kSunRadius - 2); x < kSunX + kSunRadius + 2; ++x) {
            const float d = SdCircle(x + 0.5f, y + 0.5f, kSunX, kSunY, kSunRadius);
            c.Blend(x, y, sun, Coverage(d));
        }
    AddRadialGlow(c, kSunX, kSunY, 22.0f, sunGlow, 0.9f);
}

void PaintHills(CCanvas &c, const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    const Colour far = p.GetColour("dusk.hill_far");
    const Colour mid = p.GetColour("dusk.hill_mid");
    const Colour nearC = p.GetColour("dusk.hill_near");
    const Colour haze = p.GetColour("dusk.horizon");
    const Colour rim = p.GetColour("dusk.sun_glow");
    for (int x = 0; x < kPictureWidth; ++x) {
        const float fx = x + 0.5f;
        const float farTop = kHorizon - Ridge(fx, 10.0f, 170.0f, 240.0f, 11);
        const float midTop = kHorizon - Ridge(fx, 6.0f, 80.0f, 150.0f, 23) *
                                            (0.35f + 0.65f * SmoothStep(420.0f, 40.0f, fx) +
                                             0.65f * SmoothStep(800.0f, 1010.0f, fx));
        const float nearTop = kHorizon - NearRidge(fx);
        const float sunLight = std::exp(-std::fabs(fx - kSunX) / 260.0f);
        for (int y = std::max(0, static_cast<int>(farTop) - 1); y < kHorizon; ++y) {
            const float fy = y + 0.5f;
            // Far hills: hazy, warmer near the bottom, with a lit rim.
            float a = Clamp01(fy - farTop + 0.5f);
            if (a > 0.0f) {
                const float depth = (fy - farTop) / std::max(1.0f, kHorizon - farTop);
                Colour col = Mix(far, haze, 0.35f * depth * depth + 0.1f);
                col = Add(col, Scale(rim, 0.55f * sunLight * std::exp(-(fy - farTop) / 3.0f)));
                col = Scale(col, 0.95f + 0.05f * Fbm(fx / 40.0f, fy / 20.0f, 3, 3));
                c.Blend(x, y, col, a);
            }
            a = Clamp01(fy - midTop + 0.5f);
            if (a > 0.0f) {
                Colour col = Mix(mid, haze, 0.12f * (fy - midTop) / 80.0f);
                col = Add(col, Scale(rim, 0.3f * sunLight * std::exp(-(fy - midTop) / 2.0f)));
                c.Blend(x, y, col, a);
            }
            a = Clamp01(fy - nearTop + 0.5f);
            if (a > 0.0f)
                c.Blend(x, y, nearC, a);
        }
    }
}

void PaintWater(CCanvas &c, const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    const Colour deep = p.GetColour("dusk.water_deep");
    const Colour glint = p.GetColour("dusk.sun");
    const Colour glow = p.GetColour("dusk.sun_glow");
    for (int y = kHorizon; y < kPictureHeight; ++y) {
        const float d = static_cast<float>(y - kHorizon) + 0.5f;
        const float t = d / static_cast<float>(kPictureHeight - kHorizon);
        // Waves grow towards the viewer; rows are squeezed with distance.
        const float amp = 0.6f + d * 0.05f;
        for (int x = 0; x < kPictureWidth; ++x) {
            const float fx = static_cast<float>(x);
            const float wave = Fbm(fx / (60.0f + d * 0.8f), d * d / 900.0f + d / 6.0f, 3, 41);
            const float sx = fx + (wave - 0.5f) * amp * 3.0f;
            const float sy =
                2.0f * kHorizon - static_cast<float>(y) - 1.0f + (wave - 0.5f) * amp * 1.5f;
            Colour col = c.Sample(sx, std::min(sy, static_cast<float>(kHorizon - 1)));
            // The mirror darkens with depth and tints towards the deep water.
            const float fresnel = 0.82f - 0.45f * t;
            col = Mix(deep, col, fresnel);
            // Ripple ridges catch the sky light.
            const float ridge = Fbm(fx / (30.0f + d), d / 2.2f, 2, 57);
            col = Scale(col, 0.85f + 0.3f * ridge);
            // Glitter on the path of the sun.
            const float path = std::exp(-std::fabs(fx - kSunX) / (14.0f + d * 0.55f));
            const float sparkle = std::pow(Clamp01(Fbm(fx / 5.0f, d / 1.6f, 2, 63)), 5.0f);
            col = Add(col, Scale(glint, path * sparkle * 9.0f * (1.0f - 0.6f * t)));
            col = Add(col, Scale(glow, path * 0.12f * (1.0f - t)));
            c.Set(x, y, col);
        }
    }
    // A faint bright seam where the water meets the land.
    for (int x = 0; x < kPictureWidth; ++x)
        c.AddLight(x, kHorizon, glow, 0.12f);
}

// Reeds in the near corners frame the view; some carry a bulrush head.
void PaintReeds(CCanvas &c, const ArtKit &kit) {
    const Colour reed = Scale(kit.config.GetColour("dusk.hill_near"), 0.7f);
    struct Blade {
        float x, height, lean;
        bool head;
    };
    std::vector<Blade> blades;
    for (int i = 0; i < 44; ++i) {
        const bool left = i < 22;
        const float u = Hash01(i, 7, 303);
        const float x = left ? u * u * 190.0f : kPictureWidth - u * u * 150.0f;
        const float height = (60.0f + 150.0f * Hash01(i, 8, 303)) * (1.0f - 0.6f * u);
        const float lean = (Hash01(i, 9, 303) - 0.5f) * 60.0f + (left ? 14.0f : -14.0f);
        blades.push_back(Blade{x, height, lean, Hash01(i, 10, 303) > 0.7f});
    }
    const int steps = 8;
    auto sd = [&](float px, float py) {
        float d = 1e9f;
        for (const Blade &b : blades) {
            if (std::fabs(px - b.x) > b.height * 0.5f + 40.0f ||
                py < kPictureHeight - b.height - 20.0f)
                continue;
            for (int k = 0; k < steps; ++k) {
                const float t0 = static_cast<float>(k) / steps,
                            t1 = static_cast<float>(k + 1) / steps;
                const float w = 3.4f * (1.0f - t0) + 0.6f;
                d = std::min(d, SdSegment(px, py, b.x + b.lean * t0 * t0,
                                          kPictureHeight + 4.0f - b.height * t0,
                                          b.x + b.lean * t1 * t1,
                                          kPictureHeight + 4.0f - b.height * t1, w));
            }
            if (b.head) {
                const float hx = b.x + b.lean * 0.72f,
                            hy = kPictureHeight + 4.0f - b.height * 0.85f;
                d = std::min(d, SdRoundRect(px, py, hx, hy, 4.0f, 13.0f, 4.0f));
            }
        }
        return d;
    };
    PaintShape(c, 0, kPictureHeight - 230, 250, kPictureHeight, sd,
               [&](int, int, float) { return reed; });
    PaintShape(c, kPictureWidth - 220, kPictureHeight - 230, kPictureWidth, kPictureHeight, sd,
               [&](int, int, float) { return reed; });
}

} // namespace

CCanvas PaintTitle(const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    CCanvas c(kPictureWidth, kPictureHeight, Colour{0, 0, 0});
    PaintSky(c, kit);
    PaintHills(c, kit);
    PaintWater(c, kit);
    PaintReeds(c, kit);
    ApplyVignette(c, 0.45f);

    TextStyle title;
    title.fill = {{0.0f, p.GetColour("title.fill_top")},
                  {0.55f, p.GetColour("title.fill_mid")},
                  {1.0f, p.GetColour("title.fill_bottom")}};
    title.outline = p.GetColour("title.outline");
    title.outlineWidth = 4.0f;
    title.glow = p.GetColour("title.glow");
    title.glowRadius = 16;
    title.glowAmount = 0.55f;
    title.shadow = Colour{0.02f, 0.0f, 0.05f};
    title.shadowDx = 6;
    title.shadowDy = 8;
    title.shadowBlur = 5;
    title.shadowOpacity = 0.7f;
    const CMask name =
        kit.serifBold.RenderLine(DecodeUtf8(p.GetText("title.name")), 132.0f, 3.0f, 60);
    DrawStyledText(c, name, 512, 214, title);

    TextStyle byline;
    byline.fill = {{0.0f, Colour{0.95f, 0.88f, 0.95f}}, {1.0f, Colour{0.85f, 0.72f, 0.85f}}};
    byline.glow = p.GetColour("title.glow");
    byline.glowRadius = 6;
    byline.glowAmount = 0.35f;
    byline.shadowOpacity = 0.6f;
    byline.shadowDx = 2;
    byline.shadowDy = 3;
    byline.shadowBlur = 2;
    const CMask by = kit.serif.RenderLine(DecodeUtf8(p.GetText("title.byline")), 28.0f, 6.0f, 20);
    DrawStyledText(c, by, 512, 306, byline);
    return c;
}
