// Picture 105: an invitation to listen. A pair of headphones hangs in the
// night sky around the rising moon, rimmed in ember light, and their sound
// spreads over the lake below as rings of teal ripples.
#include <algorithm>
#include <cmath>

#include "lake.h"
#include "pictures.h"
#include "scenery.h"
#include "shapes.h"
#include "text_style.h"

namespace {

constexpr float kCentreX = 512.0f;
constexpr float kCentreY = 290.0f;
constexpr float kBandRadius = 128.0f;
constexpr float kCupX = 132.0f; // distance of each cup's centre from the middle
constexpr float kCupY = 330.0f;

// The headphones as one signed distance: band arc plus two cups.
float SdHeadphones(float x, float y) {
    const float dx = x - kCentreX, dy = y - kCentreY;
    const float r = std::hypot(dx, dy);
    // Upper half of a ring, continued straight down to the cups.
    float band = dy <= 0.0f ? std::fabs(r - kBandRadius) - 9.0f
                            : std::min(SdSegment(x, y, kCentreX - kBandRadius, kCentreY,
                                                 kCentreX - kBandRadius, kCupY - 30.0f, 9.0f),
                                       SdSegment(x, y, kCentreX + kBandRadius, kCentreY,
                                                 kCentreX + kBandRadius, kCupY - 30.0f, 9.0f));
    const float cupL = SdRoundRect(x, y, kCentreX - kCupX, kCupY, 28.0f, 56.0f, 22.0f);
    const float cupR = SdRoundRect(x, y, kCentreX + kCupX, kCupY, 28.0f, 56.0f, 22.0f);
    return std::min(band, std::min(cupL, cupR));
}

} // namespace

CCanvas PaintListen(const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    CCanvas c(kPictureWidth, kPictureHeight, Colour{0, 0, 0});
    LakeView view;
    view.horizon = 500;
    view.sunX = 512.0f;
    view.sunY = 560.0f;
    view.afterglow = 0.5f;
    view.night = 0.7f;
    view.moonX = kCentreX;
    view.moonY = kCupY - 24.0f;
    view.moonRadius = 50.0f;
    view.moonBite = 0.0f;
    view.moonPath = 1.2f;
    view.hillScale = 0.6f;
    view.ripplesX = kCentreX;
    view.ripplesY = 640.0f;
    view.seed = 105;
    PaintLake(c, kit, view);
    const Colour ember = p.GetColour("dusk.sun_glow");
    const Colour teal = p.GetColour("dusk.teal");

    // Glow behind the headphones, then the dark body with an ember rim.
    // The mask covers the headphones and room for the glow's spread.
    constexpr int kGlowX = 236, kGlowY = 36;
    CMask shape(552, 468);
    for (int y = 100; y < 440; ++y)
        for (int x = 300; x < 724; ++x)
            shape.Set(x - kGlowX, y - kGlowY, Coverage(SdHeadphones(x + 0.5f, y + 0.5f)));
    AddMaskLight(c, shape.Blurred(16), kGlowX, kGlowY, ember, 0.5f);
    const Colour body = p.GetColour("font.outline");
    PaintShape(c, 300, 100, 724, 440, SdHeadphones, [&](int x, int y, float d) {
        Colour col = Scale(body, 1.2f + 0.6f * (1.0f - (y - 150.0f) / 250.0f));
        // Ember light along the inside of the edge; a teal cushion ring on each cup.
        col = Add(col, Scale(ember, std::exp(-std::fabs(d + 3.0f) / 1.4f)));
        const float cushion = std::min(std::fabs(SdRoundRect(x + 0.5f, y + 0.5f, kCentreX - kCupX,
                                                             kCupY, 14.0f, 40.0f, 12.0f)),
                                       std::fabs(SdRoundRect(x + 0.5f, y + 0.5f, kCentreX + kCupX,
                                                             kCupY, 14.0f, 40.0f, 12.0f)));
        return Add(col, Scale(teal, 0.8f * std::exp(-cushion / 1.2f)));
    });
    ApplyVignette(c, 0.35f);

    TextStyle main;
    main.fill = {{0.0f, p.GetColour("title.fill_top")},
                 {0.55f, p.GetColour("title.fill_mid")},
                 {1.0f, p.GetColour("title.fill_bottom")}};
    main.outline = p.GetColour("font.outline");
    main.outlineWidth = 4.0f;
    main.glow = ember;
    main.glowRadius = 16;
    main.glowAmount = 0.45f;
    main.shadowOpacity = 0.75f;
    main.shadowDx = 6;
    main.shadowDy = 7;
    main.shadowBlur = 4;
    const CMask words =
        kit.condensedBold.RenderLine(DecodeUtf8(p.GetText("listen.main")), 92.0f, 8.0f, 50);
    DrawStyledText(c, words, 512, 566, main);

    TextStyle sub;
    sub.fill = {{0.0f, Mix(teal, Colour{1, 1, 1}, 0.6f)}, {1.0f, Mix(teal, Colour{1, 1, 1}, 0.3f)}};
    sub.outline = p.GetColour("font.outline");
    sub.outlineWidth = 2.0f;
    sub.glow = teal;
    sub.glowRadius = 8;
    sub.glowAmount = 0.3f;
    sub.shadowOpacity = 0.9f;
    sub.shadowDx = 2;
    sub.shadowDy = 3;
    sub.shadowBlur = 2;
    DrawStyledText(c,
                   kit.serifItalic.RenderLine(DecodeUtf8(p.GetText("listen.sub")), 40.0f, 1.5f, 20),
                   512, 648, sub);

    // The footer reads at a glance: cream on a soft dark band.
    for (int y = 690; y < 746; ++y)
        for (int x = 0; x < kPictureWidth; ++x) {
            const float band = std::exp(-std::pow((y - 718.0f) / 18.0f, 2.0f)) *
                               std::exp(-std::pow((x - 512.0f) / 300.0f, 2.0f));
            c.Set(x, y, Scale(c.Get(x, y), 1.0f - 0.5f * band));
        }
    TextStyle footer;
    footer.fill = {{0.0f, p.GetColour("dusk.moon")},
                   {1.0f, Scale(p.GetColour("dusk.moon"), 0.88f)}};
    footer.shadowOpacity = 0.9f;
    footer.shadowDx = 2;
    footer.shadowDy = 2;
    footer.shadowBlur = 2;
    DrawStyledText(
        c, kit.condensedBold.RenderLine(DecodeUtf8(p.GetText("listen.footer")), 26.0f, 4.0f, 6),
        512, 718, footer);
    return c;
}
