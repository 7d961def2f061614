#include "lake.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "noise.h"
#include "scenery.h"
#include "shapes.h"
#include "text_style.h"

namespace {

struct Palette {
    std::vector<GradientStop> sky;
    Colour sun, sunGlow, moon, moonLight, cloudLit, cloudDark;
    Colour hillFar, hillMid, land, haze, waterDeep;
};

Palette LoadPalette(const CArtConfig &p) {
    Palette k;
    k.sky = {{0.0f, p.GetColour("dusk.zenith")},
             {0.32f, p.GetColour("dusk.high")},
             {0.66f, p.GetColour("dusk.mid")},
             {0.88f, p.GetColour("dusk.low")},
             {1.0f, p.GetColour("dusk.horizon")}};
    k.sun = p.GetColour("dusk.sun");
    k.sunGlow = p.GetColour("dusk.sun_glow");
    k.moon = p.GetColour("dusk.moon");
    k.moonLight = p.GetColour("dusk.teal");
    k.cloudLit = p.GetColour("dusk.cloud_lit");
    k.cloudDark = p.GetColour("dusk.cloud_dark");
    k.hillFar = p.GetColour("dusk.hill_far");
    k.hillMid = p.GetColour("dusk.hill_mid");
    k.land = p.GetColour("dusk.hill_near");
    k.haze = p.GetColour("dusk.horizon");
    k.waterDeep = p.GetColour("dusk.water_deep");
    return k;
}

// The hills part in a valley where the sun goes down (1 elsewhere, low there).
float Valley(const LakeView &v, float x) {
    return 1.0f - 0.95f * std::exp(-std::pow((x - v.sunX) / v.valleyWidth, 2.0f));
}

// Height of a hill layer's ridge above the water line at column x (pixels).
float Ridge(const LakeView &v, float x, float base, float amplitude, float scale, uint32_t seed) {
    return (base + amplitude * Fbm(x / scale, 0.5f, 5, seed + v.seed)) * Valley(v, x) * v.hillScale;
}

// Where the near shores are: 1 at the sides of the picture, 0 in the middle
// where the view opens onto the water.
float NearSide(float x) {
    return std::max(SmoothStep(330.0f, 120.0f, x), SmoothStep(760.0f, 980.0f, x));
}

// Ground of the near shore above the water line (pixels), and how far the
// bank reaches into the water below it: a crooked line, never a ruler.
float GroundHeight(const LakeView &v, float x) {
    return (6.0f + 24.0f * Fbm(x / 160.0f, 3.5f, 4, 77 + v.seed)) * NearSide(x);
}
float BankDepth(const LakeView &v, float x) {
    const float side = NearSide(x);
    return side * side * (5.0f + 30.0f * Fbm(x / 70.0f, 9.5f, 4, 78 + v.seed)) +
           3.0f * Fbm(x / 23.0f, 1.5f, 2, 79 + v.seed) * side;
}

// A pine: a thin spire over irregular drooping tiers of branches with ragged
// tips, each tree and each side of it a little different.
struct Pine {
    float x, base, height;
    uint32_t id;
};

float PineCoverage(const Pine &t, float px, float py) {
    const float u = (t.base - py) / t.height; // 0 at the foot, 1 at the tip
    if (u < 0.0f || u > 1.0f)
        return 0.0f;
    const float dx = px - t.x;
    const float side = dx < 0.0f ? 0.0f : 1.0f;
    const float tiers = 5.0f + 4.0f * Hash01(static_cast<int32_t>(t.id), 5, 611);
    const float k = u * tiers + 0.6f * ValueNoise(u * 3.0f, side * 7.0f + t.id, 612);
    const float f = k - std::floor(k);
    // Each tier is widest at its drooping lower edge and tucks in above it.
    const float tier = 0.52f + 0.48f * std::pow(1.0f - f, 1.6f);
    const float ragged = 0.75f + 0.5f * ValueNoise(py / 2.2f, t.id * 3.0f + side * 11.0f, 613);
    const float taper = std::pow(1.0f - u, 1.1f);
    float half = t.height * 0.27f * taper * tier * ragged;
    if (u > 0.82f)
        half = std::max(half, 0.9f * (1.0f - u) / 0.18f); // the spire
    if (u < 0.12f)
        half = std::max(half * SmoothStep(0.02f, 0.12f, u), 1.4f); // trunk at the foot
    return Clamp01(half - std::fabs(dx) + 0.5f);
}

std::vector<Pine> PlantPines(const LakeView &v) {
    std::vector<Pine> pines;
    const float cell = 12.0f;
    for (int c = 0; c * cell < kPictureWidth + cell; ++c) {
        const float x = (c + Hash01(c, 0, 91 + v.seed)) * cell;
        const float side = NearSide(x);
        if (side < 0.15f || Hash01(c, 3, 91 + v.seed) < 0.15f)
            continue;
        const float height = (22.0f + 70.0f * std::pow(Hash01(c, 1, 91 + v.seed), 1.3f)) * side;
        pines.push_back(
            Pine{x, v.horizon - GroundHeight(v, x) + 3.0f, height, static_cast<uint32_t>(c)});
    }
    // Back to front: the small trees stand behind.
    std::sort(pines.begin(), pines.end(),
              [](const Pine &a, const Pine &b) { return a.height < b.height; });
    return pines;
}

void PaintSky(CCanvas &c, const LakeView &v, const Palette &k) {
    const int h = v.horizon;
    std::vector<Colour> rows(h + 1);
    // At night the warm band sinks to the horizon and the violet takes the sky.
    const float sink = 1.0f + 2.5f * v.night;
    for (int y = 0; y <= h; ++y)
        rows[y] = GradientAt(k.sky, std::pow(static_cast<float>(y) / h, sink));
    for (int y = std::max(0, v.clipTop); y <= std::min(h, v.clipBottom - 1); ++y)
        for (int x = v.clipLeft; x < v.clipRight; ++x) {
            Colour col = rows[y];
            // Wide warm light around the sun, flattened along the horizon.
            const float dx = (x - v.sunX) / 3.2f, dy = (y - v.sunY);
            const float d = Length(dx, dy);
            col = Add(col, Scale(k.sunGlow, 0.55f * v.afterglow * std::exp(-d / 95.0f)));
            // Thin streaks of cloud, lit from below near the sun.
            const float cloudTop = h - 290.0f, cloudBottom = h - 22.0f;
            if (y > cloudTop && y < cloudBottom) {
                const float band = SmoothStep(cloudTop, cloudTop + 100.0f, y) *
                                   SmoothStep(cloudBottom, cloudBottom - 70.0f, y);
                const float n = Fbm(x / 260.0f, y / 16.0f, 5, 5 + v.seed);
                const float cover = SmoothStep(0.52f, 0.72f, n) * band;
                if (cover > 0.0f) {
                    const float lit =
                        Clamp01(0.2f + 0.9f * v.afterglow * std::exp(-Length(dx, dy) / 150.0f));
                    col = Mix(col, Mix(k.cloudDark, k.cloudLit, lit), cover * 0.75f);
                }
            }
            c.Set(x, y, col);
        }
    DrawStars(c, v.stars, 1234 + v.seed, static_cast<int>(h * 0.75f), static_cast<int>(h * 0.27f),
              0.95f);

    // The moon: a crescent (or full) disc with a soft cool halo.
    const float mr = v.moonRadius;
    const Colour halo = Mix(k.moon, k.moonLight, 0.5f);
    for (int y = static_cast<int>(v.moonY - mr * 4); y < v.moonY + mr * 4; ++y)
        for (int x = static_cast<int>(v.moonX - mr * 4); x < v.moonX + mr * 4; ++x) {
            if (!c.Inside(x, y))
                continue;
            const float px = x + 0.5f, py = y + 0.5f;
            const float disc = SdCircle(px, py, v.moonX, v.moonY, mr);
            float shape = disc;
            if (v.moonBite > 0.0f)
                shape = std::max(disc, -SdCircle(px, py, v.moonX + mr * 0.43f, v.moonY - mr * 0.24f,
                                                 mr * v.moonBite));
            const float cover = Coverage(shape);
            if (cover > 0.0f) {
                // The full moon shows faint seas.
                const float seas = v.moonBite > 0.0f ? 1.0f
                                                     : 0.8f + 0.2f * Fbm(px / (mr * 0.45f),
                                                                         py / (mr * 0.45f), 3, 401);
                c.Blend(x, y, Scale(k.moon, seas), cover);
            }
            c.AddLight(x, y, halo, 0.2f * std::exp(-std::max(0.0f, disc) / (mr * 0.7f)));
        }

    // The sun, half sunk; its lower part is hidden behind the hills and water.
    if (v.sunY - v.sunRadius < h) {
        for (int y = static_cast<int>(v.sunY - v.sunRadius - 2); y <= h; ++y)
            for (int x = static_cast<int>(v.sunX - v.sunRadius - 2); x < v.sunX + v.sunRadius + 2;
                 ++x) {
                const float d = SdCircle(x + 0.5f, y + 0.5f, v.sunX, v.sunY, v.sunRadius);
                c.Blend(x, y, k.sun, Coverage(d));
            }
    }
    AddRadialGlow(c, v.sunX, v.sunY, 22.0f, k.sunGlow, 0.9f * v.afterglow);
}

// Far and middle hills, backlit: the sun is behind them, so their faces are
// in shade, hazed towards the water; only the ridge line catches a thread of
// light near the sun.
void PaintHills(CCanvas &c, const LakeView &v, const Palette &k) {
    const int h = v.horizon;
    for (int x = v.clipLeft; x < v.clipRight; ++x) {
        const float fx = x + 0.5f;
        const float farTop = h - Ridge(v, fx, 10.0f, 170.0f, 240.0f, 11);
        const float midTop = h - Ridge(v, fx, 6.0f, 80.0f, 150.0f, 23) *
                                     (0.35f + 0.65f * SmoothStep(420.0f, 40.0f, fx) +
                                      0.65f * SmoothStep(800.0f, 1010.0f, fx));
        const float sunLight = v.afterglow * std::exp(-std::fabs(fx - v.sunX) / 200.0f);
        for (int y = std::max(v.clipTop, static_cast<int>(farTop) - 1); y < h; ++y) {
            const float fy = y + 0.5f;
            float a = Clamp01(fy - farTop + 0.5f);
            if (a > 0.0f) {
                // Mist lies on the water: the hills' feet fade into the haze.
                const float foot = SmoothStep(h - 40.0f, h + 2.0f, fy);
                Colour col = Mix(k.hillFar, Mix(k.hillFar, k.haze, 0.45f), foot);
                col =
                    Scale(col, 0.8f - 0.25f * sunLight + 0.06f * Fbm(fx / 40.0f, fy / 20.0f, 3, 3));
                col =
                    Add(col, Scale(k.sunGlow, 0.45f * sunLight * std::exp(-(fy - farTop) / 0.9f)));
                c.Blend(x, y, col, a);
            }
            a = Clamp01(fy - midTop + 0.5f);
            if (a > 0.0f) {
                const float foot = SmoothStep(h - 25.0f, h + 2.0f, fy);
                Colour col = Mix(k.hillMid, Mix(k.hillMid, k.haze, 0.25f), foot);
                col = Add(col, Scale(k.sunGlow, 0.3f * sunLight * std::exp(-(fy - midTop) / 0.8f)));
                c.Blend(x, y, col, a);
            }
        }
    }
}

// The near shores above the water line: ground and pines, in silhouette.
void PaintNearShore(CCanvas &c, const LakeView &v, const Palette &k) {
    const int h = v.horizon;
    const std::vector<Pine> pines = v.pines ? PlantPines(v) : std::vector<Pine>{};
    for (int y = std::max(v.clipTop, h - 110); y < h; ++y)
        for (int x = v.clipLeft; x < v.clipRight; ++x) {
            const float fx = x + 0.5f, fy = y + 0.5f;
            if (NearSide(fx) <= 0.0f)
                continue;
            float a = Clamp01(fy - (h - GroundHeight(v, fx)) + 0.5f);
            for (const Pine &t : pines)
                if (std::fabs(fx - t.x) < t.height * 0.4f)
                    a = std::max(a, PineCoverage(t, fx, fy));
            if (a > 0.0f)
                c.Blend(x, y, k.land, a);
        }
}

// The bank of the near shore where it reaches into the water.
void PaintBank(CCanvas &c, const LakeView &v, const Palette &k) {
    const int h = v.horizon;
    const Colour rim = Mix(k.land, k.haze, 0.18f);
    for (int x = v.clipLeft; x < v.clipRight; ++x) {
        const float depth = BankDepth(v, x + 0.5f);
        if (depth <= 0.05f)
            continue;
        for (int y = h; y < std::min(v.clipBottom, h + static_cast<int>(depth) + 2); ++y) {
            const float a = Clamp01(h + depth - (y + 0.5f) + 0.5f);
            // A faint lit lip where the bank meets the water.
            const float lip = std::exp(-std::fabs(h + depth - (y + 0.5f)) / 1.2f);
            c.Blend(x, y, Mix(k.land, rim, lip), a);
        }
    }
}

void PaintWater(CCanvas &c, const LakeView &v, const Palette &k) {
    const int h = v.horizon;
    const float span = static_cast<float>(kPictureHeight - h);
    for (int y = h; y < v.clipBottom; ++y) {
        const float d = static_cast<float>(y - h) + 0.5f;
        const float t = d / span;
        // Waves grow towards the viewer; rows are squeezed with distance.
        const float amp = 0.6f + d * 0.05f;
        for (int x = v.clipLeft; x < v.clipRight; ++x) {
            const float fx = static_cast<float>(x);
            float wave = Fbm(fx / (60.0f + d * 0.8f), d * d / 900.0f + d / 6.0f, 3, 41 + v.seed);
            float ring = 0.0f;
            if (v.ripplesX >= 0.0f) {
                // Rings of ripples, flattened by the low view over the water.
                const float r = Length(fx - v.ripplesX, (y - v.ripplesY) * 3.6f);
                ring = std::pow(0.5f + 0.5f * std::cos(r * 0.075f), 6.0f) * std::exp(-r / 520.0f);
                wave += 0.5f * ring * std::sin(r * 0.075f);
            }
            const float sx = fx + (wave - 0.5f) * amp * 3.0f;
            const float sy = 2.0f * h - static_cast<float>(y) - 1.0f + (wave - 0.5f) * amp * 1.5f;
            Colour col = c.Sample(sx, std::clamp(sy, 0.0f, static_cast<float>(h - 1)));
            // The mirror darkens with depth and tints towards the deep water.
            col = Mix(k.waterDeep, col, 0.82f - 0.45f * t);
            // Ripple ridges catch the teal light of the sky.
            const float ridge = Fbm(fx / (30.0f + d), d / 2.2f, 2, 57 + v.seed);
            col = Scale(col, 0.85f + 0.3f * ridge);
            col =
                Add(col, Scale(k.moonLight, 0.06f * SmoothStep(0.55f, 0.8f, ridge) + 0.5f * ring));
            // Glints: short horizontal strokes of light, stretching with nearness.
            const float glintNoise = Fbm(fx / (3.0f + d * 0.35f), d / 0.75f, 2, 63 + v.seed);
            const float glint = std::pow(SmoothStep(0.56f, 0.86f, glintNoise), 2.0f);
            const float sunPath =
                v.afterglow * std::exp(-std::fabs(fx - v.sunX) / (14.0f + d * 0.55f));
            col = Add(col, Scale(k.sun, sunPath * glint * 2.6f * (1.0f - 0.5f * t)));
            col = Add(col, Scale(k.sunGlow, sunPath * 0.12f * (1.0f - t)));
            if (v.moonPath > 0.0f) {
                const float moonPath = std::exp(-std::fabs(fx - v.moonX) / (10.0f + d * 0.4f));
                col = Add(col, Scale(k.moonLight, v.moonPath * moonPath * (0.08f + 1.6f * glint)));
            }
            c.Set(x, y, col);
        }
    }
    // A faint bright seam where the water meets the far shore.
    for (int x = v.clipLeft; x < v.clipRight; ++x)
        c.AddLight(x, h, k.sunGlow, 0.1f * v.afterglow);
}

} // namespace

void PaintReeds(CCanvas &c, const ArtKit &kit, uint32_t seed) {
    const Colour reed = Scale(kit.config.GetColour("dusk.hill_near"), 0.7f);
    struct Blade {
        float x, height, lean;
        bool head;
    };
    std::vector<Blade> blades;
    for (int i = 0; i < 44; ++i) {
        const bool left = i < 22;
        const float u = Hash01(i, 7, 303 + seed);
        const float x = left ? u * u * 190.0f : kPictureWidth - u * u * 150.0f;
        const float height = (60.0f + 150.0f * Hash01(i, 8, 303 + seed)) * (1.0f - 0.6f * u);
        const float lean = (Hash01(i, 9, 303 + seed) - 0.5f) * 60.0f + (left ? 14.0f : -14.0f);
        blades.push_back(Blade{x, height, lean, Hash01(i, 10, 303 + seed) > 0.7f});
    }
    const int steps = 8;
    auto sd = [&](float px, float py) {
        float d = 1e9f;
        for (const Blade &b : blades) {
            // The blade bends from its foot at x towards x + lean; skip it
            // when the pixel is clearly outside that span.
            if (px < std::min(b.x, b.x + b.lean) - 12.0f ||
                px > std::max(b.x, b.x + b.lean) + 12.0f || py < kPictureHeight - b.height - 20.0f)
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

void PaintLake(CCanvas &c, const ArtKit &kit, const LakeView &view) {
    const Palette k = LoadPalette(kit.config);
    PaintSky(c, view, k);
    PaintHills(c, view, k);
    PaintNearShore(c, view, k);
    PaintWater(c, view, k);
    PaintBank(c, view, k);
    if (view.reeds)
        PaintReeds(c, kit, view.seed);
}
