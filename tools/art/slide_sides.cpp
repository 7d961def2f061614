// Picture 103: a music disk in four sides. Four records lie over a backdrop
// of raster bars, each with its side letter on the label and its track title
// beneath.
#include <algorithm>
#include <cmath>

#include "noise.h"
#include "pictures.h"
#include "scenery.h"
#include "shapes.h"
#include "text_style.h"

namespace {

constexpr float kRecordY = 372.0f;
constexpr float kRecordRadius = 102.0f;
constexpr float kLabelRadius = 38.0f;

void PaintBackdrop(CCanvas &c, const CArtConfig &p) {
    const Colour a = p.GetColour("sides.back_a");
    const Colour b = p.GetColour("sides.back_b");
    const std::vector<float> labels = p.GetNumbers("sides.label");
    for (int y = 0; y < kPictureHeight; ++y) {
        const float fy = static_cast<float>(y);
        // Slow plasma of interfering sines for the base colour.
        for (int x = 0; x < kPictureWidth; ++x) {
            const float fx = static_cast<float>(x);
            const float v = std::sin(fx * 0.011f + std::sin(fy * 0.013f) * 2.0f) +
                            std::sin(fy * 0.017f - fx * 0.004f) +
                            std::sin(std::hypot(fx - 700.0f, fy - 200.0f) * 0.02f);
            c.Set(x, y, Mix(a, b, 0.5f + 0.25f * v));
        }
    }
    // Thin copper lines in the four label colours sweep across.
    for (int i = 0; i < 24; ++i) {
        const int k = i % 4;
        const Colour col{labels[k * 3] / 255.0f, labels[k * 3 + 1] / 255.0f,
                         labels[k * 3 + 2] / 255.0f};
        const float yc = 40.0f + i * 30.0f + 10.0f * std::sin(i * 1.7f);
        for (int y = static_cast<int>(yc) - 4; y <= static_cast<int>(yc) + 4; ++y) {
            const float t = (y + 0.5f - yc) / 4.0f;
            const float shade = std::max(0.0f, 1.0f - t * t);
            for (int x = 0; x < kPictureWidth; ++x) {
                const float sweep = 0.5f + 0.5f * std::sin(x * 0.006f + i * 0.9f);
                c.AddLight(x, y, col, 0.16f * shade * sweep);
            }
        }
    }
    ApplyScanlines(c, 0.15f);
}

void PaintRecord(CCanvas &c, const ArtKit &kit, float cx, Colour label, const std::string &letter) {
    // Soft shadow under the record.
    PaintShape(
        c, static_cast<int>(cx - 130), static_cast<int>(kRecordY - 110), static_cast<int>(cx + 140),
        static_cast<int>(kRecordY + 150),
        [&](float x, float y) {
            return SdCircle(x, y, cx + 8, kRecordY + 12, kRecordRadius) / 14.0f;
        },
        [](int, int, float) {
            return Colour{0, 0, 0};
        },
        0.55f);
    const int x0 = static_cast<int>(cx - kRecordRadius - 2),
              x1 = static_cast<int>(cx + kRecordRadius + 2);
    const int y0 = static_cast<int>(kRecordY - kRecordRadius - 2),
              y1 = static_cast<int>(kRecordY + kRecordRadius + 2);
    PaintShape(
        c, x0, y0, x1, y1,
        [&](float x, float y) { return SdCircle(x, y, cx, kRecordY, kRecordRadius); },
        [&](int x, int y, float) {
            const float dx = x + 0.5f - cx, dy = y + 0.5f - kRecordY;
            const float r = std::hypot(dx, dy);
            const float angle = std::atan2(dy, dx);
            if (r < kLabelRadius) {
                // Paper label with a faint print texture, darker at the rim.
                const float grain = 0.92f + 0.08f * Fbm(x / 3.0f, y / 3.0f, 2, 17);
                Colour col =
                    Scale(label, grain * (1.0f - 0.25f * SmoothStep(30.0f, kLabelRadius, r)));
                if (r < 3.2f)
                    col = Colour{0.02f, 0.02f, 0.03f}; // spindle hole
                return col;
            }
            // Vinyl: fine grooves, a plain lead-in band and two sheens of light.
            const float groove = 0.5f + 0.5f * std::sin(r * 2.7f);
            const bool band = (r > 62.0f && r < 64.5f) || (r > 82.0f && r < 84.0f);
            const float sheen = std::pow(std::fabs(std::cos(angle - 0.8f)), 14.0f);
            float v = 0.05f + 0.025f * groove + (band ? 0.03f : 0.0f) +
                      0.33f * sheen * (0.6f + 0.4f * groove);
            if (r > kRecordRadius - 3.0f)
                v += 0.08f; // bevelled edge
            return Colour{v, v, v * 1.08f};
        });
    TextStyle style;
    style.fill = {{0.0f, Colour{0.08f, 0.06f, 0.12f}}, {1.0f, Colour{0.02f, 0.02f, 0.05f}}};
    const CMask mark = kit.sansBold.RenderLine(DecodeUtf8(letter), 27.0f, 0.0f, 2);
    DrawStyledText(c, mark, static_cast<int>(cx), static_cast<int>(kRecordY) - 20, style);
}

} // namespace

CCanvas PaintSides(const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    CCanvas c(kPictureWidth, kPictureHeight, Colour{0, 0, 0});
    PaintBackdrop(c, p);
    const std::vector<float> labels = p.GetNumbers("sides.label");
    const std::vector<std::string> letters = p.GetTexts("sides.letters");
    const std::vector<std::string> titles = p.GetTexts("sides.titles");
    const Colour text = p.GetColour("sides.text");
    for (size_t i = 0; i < 4 && i < letters.size() && i < titles.size() && labels.size() >= 12;
         ++i) {
        const float cx = 158.0f + 236.0f * static_cast<float>(i);
        const Colour label{labels[i * 3] / 255.0f, labels[i * 3 + 1] / 255.0f,
                           labels[i * 3 + 2] / 255.0f};
        PaintRecord(c, kit, cx, label, letters[i]);

        TextStyle side;
        side.fill = {{0.0f, label}, {1.0f, Scale(label, 0.8f)}};
        side.glow = label;
        side.glowRadius = 6;
        side.glowAmount = 0.4f;
        const CMask sideMark =
            kit.sansBold.RenderLine(DecodeUtf8("SIDE " + letters[i]), 18.0f, 5.0f, 18);
        DrawStyledText(c, sideMark, static_cast<int>(cx), 508, side);

        // Titles shrink until they fit their column.
        float size = 21.0f;
        CMask name = kit.serif.RenderLine(DecodeUtf8(titles[i]), size, 0.5f, 6);
        while (name.Width() > 230 && size > 12.0f) {
            size -= 1.0f;
            name = kit.serif.RenderLine(DecodeUtf8(titles[i]), size, 0.5f, 6);
        }
        TextStyle titleStyle;
        titleStyle.fill = {{0.0f, text}, {1.0f, Scale(text, 0.85f)}};
        titleStyle.shadowOpacity = 0.8f;
        titleStyle.shadowDx = 2;
        titleStyle.shadowDy = 2;
        titleStyle.shadowBlur = 1;
        DrawStyledText(c, name, static_cast<int>(cx), 540, titleStyle);
    }

    TextStyle big;
    big.fill = {{0.0f, Colour{1, 1, 1}},
                {0.6f, Colour{0.85f, 0.88f, 1.0f}},
                {1.0f, Colour{0.6f, 0.55f, 0.9f}}};
    big.outline = Colour{0.05f, 0.02f, 0.1f};
    big.outlineWidth = 3.0f;
    big.glow = Colour{0.6f, 0.4f, 1.0f};
    big.glowRadius = 14;
    big.glowAmount = 0.5f;
    big.shadowOpacity = 0.7f;
    big.shadowDx = 5;
    big.shadowDy = 6;
    big.shadowBlur = 4;
    const CMask top = kit.serifBold.RenderLine(DecodeUtf8(p.GetText("sides.top")), 76.0f, 2.0f, 50);
    DrawStyledText(c, top, 512, 150, big);
    const CMask bottom =
        kit.sansBold.RenderLine(DecodeUtf8(p.GetText("sides.bottom")), 60.0f, 8.0f, 50);
    DrawStyledText(c, bottom, 512, 660, big);
    ApplyVignette(c, 0.35f);
    return c;
}
