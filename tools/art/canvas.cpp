#include "canvas.h"

#include <algorithm>
#include <cmath>

Colour Mix(const Colour &a, const Colour &b, float t) {
    return Colour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Scale(const Colour &c, float s) {
    return Colour{c.r * s, c.g * s, c.b * s};
}

Colour Add(const Colour &a, const Colour &b) {
    return Colour{a.r + b.r, a.g + b.g, a.b + b.b};
}

float Clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

float SmoothStep(float edge0, float edge1, float v) {
    const float t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

CCanvas::CCanvas(int width, int height, Colour fill)
    : m_width(width), m_height(height), m_rgb(static_cast<size_t>(width) * height, fill),
      m_alpha(static_cast<size_t>(width) * height, 1.0f) {}

Colour CCanvas::GetClamped(int x, int y) const {
    x = std::clamp(x, 0, m_width - 1);
    y = std::clamp(y, 0, m_height - 1);
    return m_rgb[Index(x, y)];
}

Colour CCanvas::Sample(float x, float y) const {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const float tx = x - fx;
    const float ty = y - fy;
    const Colour top = Mix(GetClamped(ix, iy), GetClamped(ix + 1, iy), tx);
    const Colour bottom = Mix(GetClamped(ix, iy + 1), GetClamped(ix + 1, iy + 1), tx);
    return Mix(top, bottom, ty);
}

void CCanvas::Set(int x, int y, Colour c) {
    if (Inside(x, y))
        m_rgb[Index(x, y)] = c;
}

void CCanvas::Blend(int x, int y, Colour c, float a) {
    if (!Inside(x, y))
        return;
    a = Clamp01(a);
    Colour &dst = m_rgb[Index(x, y)];
    dst = Mix(dst, c, a);
}

void CCanvas::AddLight(int x, int y, Colour c, float amount) {
    if (!Inside(x, y))
        return;
    Colour &dst = m_rgb[Index(x, y)];
    dst = Add(dst, Scale(c, amount));
}

std::vector<uint8_t> CCanvas::ToRgba8() const {
    // 4x4 Bayer matrix, values centred on zero, in 1/255 steps.
    static const float kBayer[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    std::vector<uint8_t> out(static_cast<size_t>(m_width) * m_height * 4);
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            const float d = (kBayer[y & 3][x & 3] + 0.5f) / 16.0f;
            const Colour c = m_rgb[Index(x, y)];
            uint8_t *p = &out[Index(x, y) * 4];
            p[0] = static_cast<uint8_t>(std::floor(Clamp01(c.r) * 254.999f + d));
            p[1] = static_cast<uint8_t>(std::floor(Clamp01(c.g) * 254.999f + d));
            p[2] = static_cast<uint8_t>(std::floor(Clamp01(c.b) * 254.999f + d));
            p[3] = static_cast<uint8_t>(std::lround(Clamp01(m_alpha[Index(x, y)]) * 255.0f));
        }
    }
    return out;
}

CMask::CMask(int width, int height)
    : m_width(width), m_height(height), m_values(static_cast<size_t>(width) * height, 0.0f) {}

float CMask::Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0.0f;
    return m_values[static_cast<size_t>(y) * m_width + x];
}

void CMask::Set(int x, int y, float v) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    m_values[static_cast<size_t>(y) * m_width + x] = v;
}

void CMask::Max(int x, int y, float v) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    float &dst = m_values[static_cast<size_t>(y) * m_width + x];
    dst = std::max(dst, v);
}

namespace {

// One box pass along a line of n values spaced `stride` apart; zero outside.
void BoxPass(const float *src, float *dst, int n, int stride, int radius) {
    const float inv = 1.0f / static_cast<float>(2 * radius + 1);
    float sum = 0.0f;
    for (int i = 0; i < radius && i < n; ++i)
        sum += src[i * stride];
    for (int i = 0; i < n; ++i) {
        if (i + radius < n)
            sum += src[(i + radius) * stride];
        if (i - radius - 1 >= 0)
            sum -= src[(i - radius - 1) * stride];
        dst[i * stride] = sum * inv;
    }
}

} // namespace

CMask CMask::Blurred(int radius) const {
    CMask out = *this;
    if (radius <= 0 || m_width == 0 || m_height == 0)
        return out;
    std::vector<float> tmp(m_values.size());
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < m_height; ++y)
            BoxPass(&out.m_values[static_cast<size_t>(y) * m_width],
                    &tmp[static_cast<size_t>(y) * m_width], m_width, 1, radius);
        for (int x = 0; x < m_width; ++x)
            BoxPass(&tmp[static_cast<size_t>(x)], &out.m_values[static_cast<size_t>(x)], m_height,
                    m_width, radius);
    }
    return out;
}

CMask CMask::Expanded(float radius) const {
    const int r = std::max(1, static_cast<int>(std::lround(radius * 0.6f)));
    CMask out = Blurred(r);
    for (float &v : out.m_values)
        v = SmoothStep(0.02f, 0.25f, v);
    for (size_t i = 0; i < out.m_values.size(); ++i)
        out.m_values[i] = std::max(out.m_values[i], m_values[i]);
    return out;
}

void AddMaskLight(CCanvas &canvas, const CMask &mask, int ox, int oy, Colour colour, float amount) {
    for (int y = 0; y < mask.Height(); ++y)
        for (int x = 0; x < mask.Width(); ++x) {
            const float a = mask.Get(x, y);
            if (a > 0.0f)
                canvas.AddLight(ox + x, oy + y, colour, a * amount);
        }
}
