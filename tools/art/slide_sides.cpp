// Picture 103: a music disk on four sides. Four records float over the lake
// at the blue hour like four moons, each with its side letter on the label
// and its track title beneath, all titles set at one size.
#include <algorithm>
#include <cmath>

#include "lake.h"
#include "noise.h"
#include "pictures.h"
#include "scenery.h"
#include "shapes.h"
#include "text_style.h"

namespace {

constexpr float kRecordY = 372.0f;
constexpr float kRecordRadius = 102.0f;
constexpr float kLabelRadius = 42.0f;

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
                // The spindle hole with a pressed ring round it, kept clear of the letter.
                if (r < 4.0f)
                    col = Colour{0.02f, 0.02f, 0.03f};
                else if (r < 7.5f)
                    col = Scale(col, 0.85f + 0.1f * (r - 4.0f) / 3.5f);
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
    const CMask mark = kit.serifBold.RenderLine(DecodeUtf8(letter), 24.0f, 0.0f, 2);
    DrawStyledText(c, mark, static_cast<int>(cx), static_cast<int>(kRecordY) - 22, style);
}

} // namespace

CCanvas PaintSides(const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    CCanvas c(kPictureWidth, kPictureHeight, Colour{0, 0, 0});
    LakeView view;
    view.horizon = 600;
    view.sunX = 840.0f;
    view.sunY = 626.0f;
    view.afterglow = 0.55f;
    view.night = 0.4f;
    view.moonX = 120.0f;
    view.moonY = 70.0f;
    view.moonRadius = 16.0f;
    view.moonPath = 0.6f;
    view.hillScale = 0.7f;
    view.pines = false; // the titles stand where the woods would be
    view.seed = 103;
    PaintLake(c, kit, view);
    // A veil of dusk over the middle so the records and titles read.
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x) {
            const float band = std::exp(-std::pow((y - kRecordY - 60.0f) / 200.0f, 2.0f));
            c.Set(x, y, Scale(c.Get(x, y), 1.0f - 0.45f * band));
        }

    const std::vector<float> labels = p.GetNumbers("sides.label");
    const std::vector<std::string> letters = p.GetTexts("sides.letters");
    const std::vector<std::string> titles = p.GetTexts("sides.titles");
    const Colour text = p.GetColour("sides.text");
    const size_t count = std::min({letters.size(), titles.size(), labels.size() / 3, size_t{4}});
    // One size for every title: the largest at which the longest fits its column.
    float size = 22.0f;
    for (; size > 12.0f; size -= 1.0f) {
        bool fits = true;
        for (size_t i = 0; i < count; ++i)
            fits = fits &&
                   kit.serifItalic.RenderLine(DecodeUtf8(titles[i]), size, 0.5f, 6).Width() <= 228;
        if (fits)
            break;
    }
    for (size_t i = 0; i < count; ++i) {
        const float cx = 158.0f + 236.0f * static_cast<float>(i);
        const Colour label{labels[i * 3] / 255.0f, labels[i * 3 + 1] / 255.0f,
                           labels[i * 3 + 2] / 255.0f};
        PaintRecord(c, kit, cx, label, letters[i]);

        TextStyle side;
        side.fill = {{0.0f, Mix(label, Colour{1, 1, 1}, 0.3f)}, {1.0f, label}};
        side.glow = label;
        side.glowRadius = 6;
        side.glowAmount = 0.4f;
        side.shadowOpacity = 0.8f;
        side.shadowDx = 2;
        side.shadowDy = 2;
        side.shadowBlur = 2;
        const CMask sideMark =
            kit.condensedBold.RenderLine(DecodeUtf8("SIDE " + letters[i]), 20.0f, 5.0f, 18);
        DrawStyledText(c, sideMark, static_cast<int>(cx), 508, side);

        TextStyle titleStyle;
        titleStyle.fill = {{0.0f, text}, {1.0f, Scale(text, 0.85f)}};
        titleStyle.shadowOpacity = 0.9f;
        titleStyle.shadowDx = 2;
        titleStyle.shadowDy = 2;
        titleStyle.shadowBlur = 2;
        DrawStyledText(c, kit.serifItalic.RenderLine(DecodeUtf8(titles[i]), size, 0.5f, 6),
                       static_cast<int>(cx), 542, titleStyle);
    }

    // "a music disk" in the display serif with the dusk fill; "on four sides"
    // in tracked condensed capitals lit teal, as on a record sleeve.
    TextStyle big;
    big.fill = {{0.0f, p.GetColour("title.fill_top")},
                {0.55f, p.GetColour("title.fill_mid")},
                {1.0f, p.GetColour("title.fill_bottom")}};
    big.outline = p.GetColour("title.outline");
    big.outlineWidth = 3.5f;
    big.glow = p.GetColour("title.glow");
    big.glowRadius = 14;
    big.glowAmount = 0.45f;
    big.shadowOpacity = 0.7f;
    big.shadowDx = 5;
    big.shadowDy = 6;
    big.shadowBlur = 4;
    const CMask top = kit.serifBold.RenderLine(DecodeUtf8(p.GetText("sides.top")), 84.0f, 2.0f, 50);
    DrawStyledText(c, top, 512, 140, big);

    TextStyle sleeve;
    sleeve.fill = {{0.0f, Mix(p.GetColour("dusk.teal"), Colour{1, 1, 1}, 0.55f)},
                   {1.0f, p.GetColour("dusk.teal")}};
    sleeve.outline = p.GetColour("font.outline");
    sleeve.outlineWidth = 2.5f;
    sleeve.glow = p.GetColour("dusk.teal");
    sleeve.glowRadius = 10;
    sleeve.glowAmount = 0.4f;
    sleeve.shadowOpacity = 0.7f;
    sleeve.shadowDx = 3;
    sleeve.shadowDy = 4;
    sleeve.shadowBlur = 3;
    const CMask bottom =
        kit.condensedBold.RenderLine(DecodeUtf8(p.GetText("sides.bottom")), 44.0f, 14.0f, 40);
    DrawStyledText(c, bottom, 512, 236, sleeve);
    ApplyVignette(c, 0.35f);
    return c;
}
