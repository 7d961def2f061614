#include "text_style.h"

#include <algorithm>

Colour GradientAt(const std::vector<GradientStop> &stops, float t) {
    if (stops.empty())
        return Colour{1, 1, 1};
    if (t <= stops.front().position)
        return stops.front().colour;
    for (size_t i = 1; i < stops.size(); ++i) {
        const GradientStop &a = stops[i - 1];
        const GradientStop &b = stops[i];
        if (t < b.position) {
            const float span = b.position - a.position;
            return span > 0.0f ? Mix(a.colour, b.colour, (t - a.position) / span) : b.colour;
        }
    }
    return stops.back().colour;
}

namespace {

// Rows of the mask that hold ink, so the gradient spans the letters only.
void InkRows(const CMask &ink, int *top, int *bottom) {
    *top = ink.Height();
    *bottom = 0;
    for (int y = 0; y < ink.Height(); ++y)
        for (int x = 0; x < ink.Width(); ++x)
            if (ink.Get(x, y) > 0.02f) {
                *top = std::min(*top, y);
                *bottom = std::max(*bottom, y);
                break;
            }
    if (*bottom < *top) {
        *top = 0;
        *bottom = ink.Height();
    }
}

} // namespace

void DrawStyledText(CCanvas &canvas, const CMask &ink, int cx, int cy, const TextStyle &style) {
    const int ox = cx - ink.Width() / 2;
    const int oy = cy - ink.Height() / 2;
    const CMask body = style.outlineWidth > 0.0f ? ink.Expanded(style.outlineWidth) : ink;

    if (style.shadowOpacity > 0.0f) {
        const CMask shadow = body.Blurred(style.shadowBlur);
        const Colour c = style.shadow;
        PaintMask(canvas, shadow, ox + style.shadowDx, oy + style.shadowDy,
                  style.shadowOpacity * style.opacity, [c](int, int) { return c; });
    }
    if (style.glowRadius > 0 && style.glowAmount > 0.0f)
        AddMaskLight(canvas, body.Blurred(style.glowRadius), ox, oy, style.glow,
                     style.glowAmount * style.opacity);
    if (style.outlineWidth > 0.0f) {
        const Colour c = style.outline;
        PaintMask(canvas, body, ox, oy, style.opacity, [c](int, int) { return c; });
    }
    int top = 0, bottom = 0;
    InkRows(ink, &top, &bottom);
    const float span = std::max(1, bottom - top);
    const std::vector<GradientStop> &fill = style.fill;
    PaintMask(canvas, ink, ox, oy, style.opacity,
              [&](int, int y) { return GradientAt(fill, static_cast<float>(y - top) / span); });
}
