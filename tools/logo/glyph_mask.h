#pragma once
#include <string>
#include <vector>

// A square coverage map (0 to 1 per pixel) for lettering and its effects.
class CGlyphMask {
  public:
    explicit CGlyphMask(int size) : m_size(size), m_cover(size_t(size) * size, 0.0f) {}

    int Size() const { return m_size; }
    float At(int x, int y) const {
        if (x < 0 || y < 0 || x >= m_size || y >= m_size)
            return 0.0f;
        return m_cover[size_t(y) * m_size + x];
    }

    // Rasterises `text` with the font file at `pixelSize`, centred on column
    // centreX with the capital letters' vertical middle on row middleY.
    // Returns false when the font cannot be read.
    bool DrawText(const std::string &fontPath, const std::string &text, int pixelSize,
                  float centreX, float middleY);
    // Rasterises at the largest size whose line is at most maxWidth pixels.
    bool DrawTextFitted(const std::string &fontPath, const std::string &text, int maxPixelSize,
                        float maxWidth, float centreX, float middleY);

    // The mask grown by `radius` pixels (maximum over a disc).
    CGlyphMask Dilated(int radius) const;
    // The mask smoothed by a box of (2 * radius + 1) pixels, twice.
    CGlyphMask Blurred(int radius) const;

  private:
    float &Ref(int x, int y) { return m_cover[size_t(y) * m_size + x]; }

    int m_size;
    std::vector<float> m_cover;
};
