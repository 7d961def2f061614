// Picture 105: an invitation to listen. Sound rings from two ear cups
// interfere across the screen around a pair of neon headphones.
#include <algorithm>
#include <cmath>

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

void PaintRings(CCanvas &c, const CArtConfig &p) {
    const Colour back = p.GetColour("listen.back");
    const Colour ringA = p.GetColour("listen.ring_a");
    const Colour ringB = p.GetColour("listen.ring_b");
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x) {
            const float fx = x + 0.5f, fy = y + 0.5f;
            const float d1 = std::hypot(fx - (kCentreX - kCupX), fy - kCupY);
            const float d2 = std::hypot(fx - (kCentreX + kCupX), fy - kCupY);
            const float w1 =
                std::pow(0.5f + 0.5f * std::cos(d1 * 0.13f), 10.0f) * std::exp(-d1 / 420.0f);
            const float w2 =
                std::pow(0.5f + 0.5f * std::cos(d2 * 0.13f), 10.0f) * std::exp(-d2 / 420.0f);
            const float mixT = SmoothStep(-200.0f, 200.0f, fx - kCentreX);
            Colour col = Mix(back, Scale(back, 2.5f), fy / kPictureHeight);
            col = Add(col, Scale(ringA, 0.5f * w1 * (1.0f - 0.5f * mixT)));
            col = Add(col, Scale(ringB, 0.5f * w2 * (0.5f + 0.5f * mixT)));
            // Where both waves meet, a brighter interference lattice.
            col = Add(col, Scale(Mix(ringA, ringB, mixT), 0.6f * std::sqrt(w1 * w2)));
            c.Set(x, y, col);
        }
}

} // namespace

CCanvas PaintListen(const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    CCanvas c(kPictureWidth, kPictureHeight, Colour{0, 0, 0});
    PaintRings(c, p);
    const Colour neon = p.GetColour("listen.neon");

    // Glow behind the headphones, then the dark body with a neon rim.
    CMask shape(kPictureWidth, kPictureHeight);
    for (int y = 100; y < 440; ++y)
        for (int x = 300; x < 724; ++x)
            shape.Set(x, y, Coverage(SdHeadphones(x + 0.5f, y + 0.5f)));
    AddMaskLight(c, shape.Blurred(16), 0, 0, neon, 0.9f);
    PaintShape(c, 300, 100, 724, 440, SdHeadphones, [&](int x, int y, float d) {
        const float shade = 0.10f + 0.08f * (1.0f - (y - 150.0f) / 250.0f);
        Colour body{shade, shade * 0.9f, shade * 1.3f};
        // Neon line along the inside of the edge; a cushion ring on each cup.
        const float rim = std::exp(-std::fabs(d + 3.0f) / 1.4f);
        body = Add(body, Scale(neon, rim));
        const float cushion = std::min(std::fabs(SdRoundRect(x + 0.5f, y + 0.5f, kCentreX - kCupX,
                                                             kCupY, 14.0f, 40.0f, 12.0f)),
                                       std::fabs(SdRoundRect(x + 0.5f, y + 0.5f, kCentreX + kCupX,
                                                             kCupY, 14.0f, 40.0f, 12.0f)));
        body = Add(body, Scale(Colour{1.0f, 0.8f, 1.0f}, 0.7f * std::exp(-cushion / 1.2f)));
        return body;
    });

    TextStyle main;
    main.fill = {{0.0f, p.GetColour("listen.text_top")}, {1.0f, p.GetColour("listen.text_bottom")}};
    main.outline = Colour{0.02f, 0.02f, 0.08f};
    main.outlineWidth = 4.0f;
    main.glow = p.GetColour("listen.text_bottom");
    main.glowRadius = 16;
    main.glowAmount = 0.6f;
    main.shadowOpacity = 0.75f;
    main.shadowDx = 6;
    main.shadowDy = 7;
    main.shadowBlur = 4;
    const CMask words =
        kit.sansBold.RenderLine(DecodeUtf8(p.GetText("listen.main")), 84.0f, 6.0f, 50);
    DrawStyledText(c, words, 512, 540, main);

    TextStyle sub;
    sub.fill = {{0.0f, Colour{1.0f, 0.9f, 1.0f}}, {1.0f, Colour{0.9f, 0.75f, 0.95f}}};
    sub.glow = neon;
    sub.glowRadius = 8;
    sub.glowAmount = 0.4f;
    sub.shadowOpacity = 0.8f;
    sub.shadowDx = 2;
    sub.shadowDy = 3;
    sub.shadowBlur = 2;
    DrawStyledText(c, kit.serif.RenderLine(DecodeUtf8(p.GetText("listen.sub")), 36.0f, 3.0f, 20),
                   512, 628, sub);

    TextStyle footer;
    footer.fill = {{0.0f, Colour{0.55f, 0.65f, 0.8f}}, {1.0f, Colour{0.45f, 0.55f, 0.7f}}};
    DrawStyledText(c, kit.sans.RenderLine(DecodeUtf8(p.GetText("listen.footer")), 17.0f, 4.0f, 4),
                   512, 722, footer);
    ApplyVignette(c, 0.4f);
    return c;
}
