#pragma once
#include <algorithm>
#include <cmath>

#include "canvas.h"

// Signed distances (pixels, negative inside) of simple shapes, and painting
// of any such shape with one pixel of anti-aliasing.

// Length of (x, y): the plain square root, several times faster than
// std::hypot, whose overflow care these pixel distances never need.
inline float Length(float x, float y) {
    return std::sqrt(x * x + y * y);
}

inline float SdCircle(float px, float py, float cx, float cy, float r) {
    return Length(px - cx, py - cy) - r;
}

// Rectangle centred at (cx, cy) with half sizes hw, hh and corner radius r.
inline float SdRoundRect(float px, float py, float cx, float cy, float hw, float hh, float r) {
    const float qx = std::fabs(px - cx) - hw + r;
    const float qy = std::fabs(py - cy) - hh + r;
    const float ox = std::max(qx, 0.0f);
    const float oy = std::max(qy, 0.0f);
    return Length(ox, oy) + std::min(std::max(qx, qy), 0.0f) - r;
}

// Distance to the segment a-b, minus half the stroke width.
inline float SdSegment(float px, float py, float ax, float ay, float bx, float by,
                       float halfWidth) {
    const float dx = bx - ax, dy = by - ay;
    const float len2 = dx * dx + dy * dy;
    float t = len2 > 0.0f ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    return Length(px - ax - t * dx, py - ay - t * dy) - halfWidth;
}

// Triangle a, b, c (any winding).
inline float SdTriangle(float px, float py, float ax, float ay, float bx, float by, float cx,
                        float cy) {
    auto edge = [&](float x0, float y0, float x1, float y1) {
        const float ex = x1 - x0, ey = y1 - y0;
        const float len = Length(ex, ey);
        return len > 0.0f ? ((px - x0) * ey - (py - y0) * ex) / len : 0.0f;
    };
    float d0 = edge(ax, ay, bx, by), d1 = edge(bx, by, cx, cy), d2 = edge(cx, cy, ax, ay);
    // Make the inside negative whatever the winding.
    const float area = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
    if (area < 0.0f) {
        d0 = -d0;
        d1 = -d1;
        d2 = -d2;
    }
    return std::max(d0, std::max(d1, d2));
}

inline float Coverage(float signedDistance) {
    return Clamp01(0.5f - signedDistance);
}

// Paints over the box [x0, x1) x [y0, y1): coverage from sd(x, y) at pixel
// centres, colour from shade(x, y, sd).
template <typename Sd, typename Shade>
void PaintShape(CCanvas &canvas, int x0, int y0, int x1, int y1, Sd sd, Shade shade,
                float opacity = 1.0f) {
    for (int y = std::max(0, y0); y < std::min(canvas.Height(), y1); ++y)
        for (int x = std::max(0, x0); x < std::min(canvas.Width(), x1); ++x) {
            const float d = sd(x + 0.5f, y + 0.5f);
            const float a = Coverage(d) * opacity;
            if (a > 0.0f)
                canvas.Blend(x, y, shade(x, y, d), a);
        }
}
