#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Float pictures the generators paint into before they are written as 8-bit
// PNGs. Colour channels are display values in 0..1 (no gamma handling).

struct Colour {
    float r, g, b;
};

Colour Mix(const Colour &a, const Colour &b, float t);
Colour Scale(const Colour &c, float s);
Colour Add(const Colour &a, const Colour &b);
float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float v);

// An RGB picture plus an alpha plane (1 = opaque).
class CCanvas {
  public:
    CCanvas(int width, int height, Colour fill);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }

    Colour Get(int x, int y) const { return m_rgb[Index(x, y)]; }
    // Clamped read: coordinates outside the picture read the nearest edge pixel.
    Colour GetClamped(int x, int y) const;
    // Bilinear read at fractional coordinates, clamped at the edges.
    Colour Sample(float x, float y) const;
    void Set(int x, int y, Colour c);
    // Paints c over the pixel with coverage a (0..1); outside pixels are ignored.
    void Blend(int x, int y, Colour c, float a);
    // Adds light: the pixel gains c * amount.
    void AddLight(int x, int y, Colour c, float amount);

    // Alpha plane access; outside pixels read 0 and ignore writes.
    float Alpha(int x, int y) const { return Inside(x, y) ? m_alpha[Index(x, y)] : 0.0f; }
    void SetAlpha(int x, int y, float a) {
        if (Inside(x, y))
            m_alpha[Index(x, y)] = a;
    }

    // 8-bit RGBA rows, top row first. Gradients get a fixed ordered dither so
    // slow ramps do not band; the result is the same on every run.
    std::vector<uint8_t> ToRgba8() const;

  private:
    size_t Index(int x, int y) const { return static_cast<size_t>(y) * m_width + x; }

    int m_width;
    int m_height;
    std::vector<Colour> m_rgb;
    std::vector<float> m_alpha;
};

// A coverage plane (0..1), used for lettering, shapes and their glows.
class CMask {
  public:
    CMask() = default;
    CMask(int width, int height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    float Get(int x, int y) const;   // 0 outside
    void Set(int x, int y, float v); // ignored outside
    void Max(int x, int y, float v); // keeps the larger value
    float *Row(int y) { return &m_values[static_cast<size_t>(y) * m_width]; }

    // Gaussian-like blur: three box passes of the given radius in each direction.
    CMask Blurred(int radius) const;
    // Grows the shape by about `radius` pixels with a soft edge.
    CMask Expanded(float radius) const;

  private:
    int m_width = 0;
    int m_height = 0;
    std::vector<float> m_values;
};

// Paints a mask onto the canvas with its top-left at (ox, oy). The colour of
// each pixel comes from `shade` (mask-local coordinates), times `opacity`.
template <typename Shade>
void PaintMask(CCanvas &canvas, const CMask &mask, int ox, int oy, float opacity, Shade shade) {
    for (int y = 0; y < mask.Height(); ++y) {
        for (int x = 0; x < mask.Width(); ++x) {
            const float a = mask.Get(x, y) * opacity;
            if (a > 0.0f)
                canvas.Blend(ox + x, oy + y, shade(x, y), a);
        }
    }
}

// Adds a mask as light (glows): pixel += colour * mask * amount.
void AddMaskLight(CCanvas &canvas, const CMask &mask, int ox, int oy, Colour colour, float amount);
