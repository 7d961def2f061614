#include "scenery.h"

#include <algorithm>
#include <cmath>

#include "noise.h"

void DrawStars(CCanvas &canvas, int count, uint32_t seed, int yMax, int yFadeStart,
               float brightness) {
    const int w = canvas.Width();
    for (int i = 0; i < count; ++i) {
        const float sx = Hash01(i, 1, seed) * static_cast<float>(w);
        const float sy = Hash01(i, 2, seed) * static_cast<float>(yMax);
        const float level = Hash01(i, 3, seed);
        const float fade =
            1.0f - SmoothStep(static_cast<float>(yFadeStart), static_cast<float>(yMax), sy);
        // Most stars are faint; a few are bright with a soft halo.
        const float b = brightness * fade * (0.15f + 0.85f * level * level * level);
        const float tint = Hash01(i, 4, seed);
        const Colour c = tint < 0.3f   ? Colour{0.75f, 0.85f, 1.0f}
                         : tint < 0.5f ? Colour{1.0f, 0.9f, 0.75f}
                                       : Colour{1.0f, 1.0f, 1.0f};
        const float radius = 0.6f + 1.4f * level * level;
        const int reach = static_cast<int>(std::ceil(radius * 3.0f));
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx) {
                const int px = static_cast<int>(sx) + dx;
                const int py = static_cast<int>(sy) + dy;
                const float ddx = static_cast<float>(px) + 0.5f - sx;
                const float ddy = static_cast<float>(py) + 0.5f - sy;
                const float d2 = (ddx * ddx + ddy * ddy) / (radius * radius);
                canvas.AddLight(px, py, c, b * std::exp(-d2 * 1.5f));
            }
        // Bright stars get a faint cross of light.
        if (level > 0.93f)
            for (int k = 3; k < 12; ++k) {
                const float a = b * 0.35f * (1.0f - static_cast<float>(k) / 12.0f);
                canvas.AddLight(static_cast<int>(sx) + k, static_cast<int>(sy), c, a);
                canvas.AddLight(static_cast<int>(sx) - k, static_cast<int>(sy), c, a);
                canvas.AddLight(static_cast<int>(sx), static_cast<int>(sy) + k, c, a);
                canvas.AddLight(static_cast<int>(sx), static_cast<int>(sy) - k, c, a);
            }
    }
}

void AddRadialGlow(CCanvas &canvas, float cx, float cy, float falloff, Colour colour,
                   float amount) {
    // Beyond this distance the light is below 0.001 and adds nothing.
    if (amount <= 0.001f || falloff <= 0.0f)
        return;
    const float reach = falloff * std::log(amount / 0.001f) + 1.0f;
    const int x0 = std::max(0, static_cast<int>(cx - reach));
    const int x1 = std::min(canvas.Width(), static_cast<int>(cx + reach) + 1);
    const int y0 = std::max(0, static_cast<int>(cy - reach));
    const int y1 = std::min(canvas.Height(), static_cast<int>(cy + reach) + 1);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const float d =
                std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy);
            const float a = amount * std::exp(-d / falloff);
            if (a > 0.001f)
                canvas.AddLight(x, y, colour, a);
        }
}

void ApplyVignette(CCanvas &canvas, float strength) {
    const float cx = canvas.Width() * 0.5f, cy = canvas.Height() * 0.5f;
    const float norm = 1.0f / std::hypot(cx, cy);
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            const float d = std::hypot(x - cx, y - cy) * norm;
            const float k = 1.0f - strength * d * d;
            canvas.Set(x, y, Scale(canvas.Get(x, y), std::max(0.0f, k)));
        }
}

void ApplyScanlines(CCanvas &canvas, float depth) {
    for (int y = 1; y < canvas.Height(); y += 2)
        for (int x = 0; x < canvas.Width(); ++x)
            canvas.Set(x, y, Scale(canvas.Get(x, y), 1.0f - depth));
}
