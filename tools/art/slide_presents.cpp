// Picture 101: the group presents. A starfield with a faint nebula, a stack
// of copper bars caught mid-swing, and the group's name in chrome.
#include <algorithm>
#include <cmath>

#include "noise.h"
#include "pictures.h"
#include "scenery.h"
#include "text_style.h"

namespace {

void PaintSpace(CCanvas &c, const CArtConfig &p) {
    const Colour top = p.GetColour("space.top");
    const Colour bottom = p.GetColour("space.bottom");
    const Colour nebulaA = p.GetColour("space.nebula_a");
    const Colour nebulaB = p.GetColour("space.nebula_b");
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x) {
            Colour col = Mix(top, bottom, static_cast<float>(y) / kPictureHeight);
            // Domain-warped noise gives the nebula its wisps.
            const float wx = Fbm(x / 300.0f, y / 300.0f, 3, 7);
            const float wy = Fbm(x / 300.0f + 4.0f, y / 300.0f, 3, 8);
            const float n = Fbm(x / 220.0f + wx * 2.0f, y / 220.0f + wy * 2.0f, 5, 9);
            const float density = std::pow(SmoothStep(0.35f, 0.85f, n), 2.0f);
            const Colour neb = Mix(nebulaA, nebulaB, SmoothStep(0.3f, 0.7f, wx));
            col = Add(col, Scale(neb, density * 0.6f));
            c.Set(x, y, col);
        }
    DrawStars(c, 900, 4321, kPictureHeight, kPictureHeight, 1.0f);
}

// Horizontal raster bars, each shaded like a lit tube, drawn back to front.
void PaintCopperBars(CCanvas &c, const CArtConfig &p) {
    const std::vector<float> rgb = p.GetNumbers("copper.bars");
    const int count = static_cast<int>(rgb.size() / 3);
    struct Bar {
        float y, depth;
        Colour colour;
    };
    std::vector<Bar> bars;
    for (int i = 0; i < count; ++i) {
        const float phase = 0.9f * i;
        bars.push_back(
            Bar{368.0f + 128.0f * std::sin(phase), std::cos(phase),
                Colour{rgb[i * 3] / 255.0f, rgb[i * 3 + 1] / 255.0f, rgb[i * 3 + 2] / 255.0f}});
    }
    std::sort(bars.begin(), bars.end(),
              [](const Bar &a, const Bar &b) { return a.depth < b.depth; });
    for (const Bar &bar : bars) {
        const float half = 15.0f + 5.0f * bar.depth;
        const float light = 0.65f + 0.35f * bar.depth;
        for (int y = static_cast<int>(bar.y - half); y <= static_cast<int>(bar.y + half); ++y) {
            const float t = (y + 0.5f - bar.y) / half;
            if (std::fabs(t) > 1.0f)
                continue;
            const float shade = std::cos(t * 1.5707964f);
            Colour col = Scale(bar.colour, light * (0.45f + 0.75f * shade));
            col = Add(col, Scale(Colour{1, 1, 1}, 0.55f * std::pow(shade, 12.0f) * light));
            for (int x = 0; x < kPictureWidth; ++x) {
                // The bars fade towards the sides of the screen.
                const float edge = SmoothStep(0.0f, 220.0f, x) * SmoothStep(1024.0f, 804.0f, x);
                c.Blend(x, y, col, 0.88f * (0.25f + 0.75f * edge));
            }
        }
    }
}

} // namespace

CCanvas PaintPresents(const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    CCanvas c(kPictureWidth, kPictureHeight, Colour{0, 0, 0});
    PaintSpace(c, p);
    PaintCopperBars(c, p);
    ApplyScanlines(c, 0.12f);

    TextStyle chrome;
    chrome.fill = {{0.0f, p.GetColour("chrome.sky")},
                   {0.47f, p.GetColour("chrome.white")},
                   {0.5f, p.GetColour("chrome.earth")},
                   {0.62f, Mix(p.GetColour("chrome.earth"), p.GetColour("chrome.sand"), 0.5f)},
                   {1.0f, p.GetColour("chrome.sand")}};
    chrome.outline = Colour{0.03f, 0.02f, 0.08f};
    chrome.outlineWidth = 5.0f;
    chrome.glow = p.GetColour("presents.glow");
    chrome.glowRadius = 20;
    chrome.glowAmount = 0.7f;
    chrome.shadow = Colour{0, 0, 0};
    chrome.shadowDx = 10;
    chrome.shadowDy = 12;
    chrome.shadowBlur = 6;
    chrome.shadowOpacity = 0.75f;
    const CMask group =
        kit.sansBold.RenderLine(DecodeUtf8(p.GetText("presents.group")), 220.0f, 22.0f, 80);
    DrawStyledText(c, group, 512, 360, chrome);

    TextStyle verb;
    verb.fill = {{0.0f, Colour{1.0f, 1.0f, 1.0f}}, {1.0f, Colour{0.8f, 0.82f, 1.0f}}};
    verb.glow = p.GetColour("presents.glow");
    verb.glowRadius = 8;
    verb.glowAmount = 0.5f;
    verb.shadowOpacity = 0.8f;
    verb.shadowDx = 3;
    verb.shadowDy = 4;
    verb.shadowBlur = 3;
    const CMask presents =
        kit.serif.RenderLine(DecodeUtf8(p.GetText("presents.verb")), 50.0f, 12.0f, 30);
    DrawStyledText(c, presents, 512, 560, verb);

    TextStyle footer;
    footer.fill = {{0.0f, Colour{0.55f, 0.6f, 0.8f}}, {1.0f, Colour{0.45f, 0.5f, 0.7f}}};
    const CMask foot =
        kit.sans.RenderLine(DecodeUtf8(p.GetText("presents.footer")), 17.0f, 4.0f, 4);
    DrawStyledText(c, foot, 512, 722, footer);
    return c;
}
