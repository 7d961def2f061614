// Picture 104: the credits. A striped sun sinks behind a glowing
// perspective grid; the roles stand on a pane of dark glass in front.
#include <algorithm>
#include <cmath>

#include "pictures.h"
#include "scenery.h"
#include "shapes.h"
#include "text_style.h"

namespace {

constexpr float kHorizon = 470.0f;

void PaintBackdrop(CCanvas &c, const CArtConfig &p) {
    const Colour skyTop = p.GetColour("credits.sky_top");
    const Colour skyLow = p.GetColour("credits.sky_low");
    const Colour sunTop = p.GetColour("credits.sun_top");
    const Colour sunBottom = p.GetColour("credits.sun_bottom");
    const Colour grid = p.GetColour("credits.grid");
    const float sunX = 512.0f, sunY = 380.0f, sunR = 190.0f;
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x) {
            const float fx = x + 0.5f, fy = y + 0.5f;
            Colour col;
            if (fy < kHorizon) {
                col = Mix(skyTop, skyLow, std::pow(fy / kHorizon, 1.6f));
                // The sun, cut by widening gaps towards its bottom.
                const float d = SdCircle(fx, fy, sunX, sunY, sunR);
                const float t = Clamp01((fy - (sunY - sunR)) / (2.0f * sunR));
                const float stripe = std::fmod(fy - (sunY - sunR), 22.0f);
                const float gapSize = 22.0f * SmoothStep(0.45f, 1.0f, t) * 0.7f;
                const float inStripe = stripe > gapSize ? 1.0f : 0.0f;
                col = Mix(col, Mix(sunTop, sunBottom, t), Coverage(d) * inStripe);
                col = Add(col, Scale(sunBottom, 0.35f * std::exp(-std::max(0.0f, d) / 60.0f)));
            } else {
                // Floor: perspective grid lines, brighter close to the horizon glow.
                const float depth = fy - kHorizon;
                const float z = 180.0f / depth;
                const float u = (fx - 512.0f) * z / 40.0f;
                const float v = z * 8.0f;
                const float du = z / 40.0f, dv = 8.0f * 180.0f / (depth * depth);
                const float lu = std::fabs(u - std::round(u)) / std::max(du, 1e-4f);
                const float lv = std::fabs(v - std::round(v)) / std::max(dv, 1e-4f);
                const float line = std::max(Clamp01(1.5f - lu), Clamp01(1.2f - lv * 0.7f));
                const float fade = SmoothStep(0.0f, 40.0f, depth);
                col = Mix(Colour{0.02f, 0.0f, 0.05f}, skyLow, 0.4f * std::exp(-depth / 40.0f));
                col = Add(col, Scale(grid, line * (0.35f + 0.65f * fade)));
                col = Add(col, Scale(grid, 0.25f * std::exp(-depth / 18.0f)));
            }
            c.Set(x, y, col);
        }
    DrawStars(c, 320, 77, 300, 150, 0.8f);
}

} // namespace

CCanvas PaintCredits(const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    CCanvas c(kPictureWidth, kPictureHeight, Colour{0, 0, 0});
    PaintBackdrop(c, p);

    // Dark glass pane with a thin lit frame.
    const float px = 512.0f, py = 420.0f, hw = 330.0f, hh = 238.0f;
    const Colour frame = p.GetColour("credits.role");
    PaintShape(
        c, 0, 0, kPictureWidth, kPictureHeight,
        [&](float x, float y) { return SdRoundRect(x, y, px, py, hw, hh, 18.0f); },
        [](int, int y, float) {
            return Colour{0.01f, 0.0f, 0.04f + 0.02f * y / 768.0f};
        },
        0.72f);
    PaintShape(
        c, 0, 0, kPictureWidth, kPictureHeight,
        [&](float x, float y) {
            return std::fabs(SdRoundRect(x, y, px, py, hw, hh, 18.0f)) - 1.0f;
        },
        [&](int, int, float) { return frame; }, 0.8f);

    TextStyle heading;
    heading.fill = {{0.0f, Colour{1, 1, 1}},
                    {0.5f, p.GetColour("credits.role")},
                    {1.0f, Scale(p.GetColour("credits.role"), 0.6f)}};
    heading.outline = Colour{0.02f, 0.0f, 0.06f};
    heading.outlineWidth = 3.0f;
    heading.glow = p.GetColour("credits.role");
    heading.glowRadius = 14;
    heading.glowAmount = 0.6f;
    heading.shadowOpacity = 0.7f;
    heading.shadowDx = 4;
    heading.shadowDy = 5;
    heading.shadowBlur = 3;
    const CMask title =
        kit.sansBold.RenderLine(DecodeUtf8(p.GetText("credits.heading")), 64.0f, 16.0f, 40);
    DrawStyledText(c, title, 512, 108, heading);

    const std::vector<std::string> roles = p.GetTexts("credits.roles");
    const std::vector<std::string> lines = p.GetTexts("credits.lines");
    TextStyle role;
    role.fill = {{0.0f, p.GetColour("credits.role")},
                 {1.0f, Scale(p.GetColour("credits.role"), 0.75f)}};
    role.glow = p.GetColour("credits.role");
    role.glowRadius = 6;
    role.glowAmount = 0.45f;
    TextStyle line;
    line.fill = {{0.0f, p.GetColour("credits.text")},
                 {1.0f, Scale(p.GetColour("credits.text"), 0.82f)}};
    line.shadowOpacity = 0.8f;
    line.shadowDx = 2;
    line.shadowDy = 2;
    line.shadowBlur = 1;
    for (size_t i = 0; i < roles.size() && i < lines.size(); ++i) {
        const int y = 232 + static_cast<int>(i) * 86;
        DrawStyledText(c, kit.sansBold.RenderLine(DecodeUtf8(roles[i]), 20.0f, 7.0f, 16), 512, y,
                       role);
        DrawStyledText(c, kit.serif.RenderLine(DecodeUtf8(lines[i]), 30.0f, 0.5f, 6), 512, y + 34,
                       line);
    }
    ApplyVignette(c, 0.3f);
    return c;
}
