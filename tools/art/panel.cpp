// Picture 106: the control deck, in the colours of the lake at night. A
// brushed violet metal deck with a glass strip for the scroll text, two
// speaker grilles, a transport dial whose three keys sit on one lit arc, a
// slanted rail of keys along the bottom rising to a neon sign of the group's
// name, and a bay where the 3D logo rises over a small moonlit lake. Each button's rectangle
// carries its own alpha mark (below 10); every other pixel is opaque. The program reads the marks
// to find the buttons.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "lake.h"
#include "noise.h"
#include "pictures.h"
#include "scenery.h"
#include "shapes.h"
#include "text_style.h"

namespace {

struct Button {
    int x, y, w, h;
    int mark;
    std::string icon;
    float cx() const { return x + w * 0.5f; }
    float cy() const { return y + h * 0.5f; }
};

std::vector<Button> LoadButtons(const CArtConfig &p) {
    std::vector<Button> buttons;
    for (int i = 0; p.Has("button." + std::to_string(i)); ++i) {
        const std::string key = "button." + std::to_string(i);
        const std::vector<float> v = p.GetNumbers(key);
        if (v.size() != 5)
            continue;
        buttons.push_back(Button{static_cast<int>(v[0]), static_cast<int>(v[1]),
                                 static_cast<int>(v[2]), static_cast<int>(v[3]),
                                 static_cast<int>(v[4]), p.GetText(key)});
    }
    return buttons;
}

// Engraved lettering: a dark cut with a light lower lip.
void Engrave(CCanvas &c, const CMask &ink, int cx, int cy, Colour face) {
    TextStyle lip;
    lip.fill = {{0.0f, Colour{0.6f, 0.62f, 0.68f}}};
    lip.opacity = 0.35f;
    DrawStyledText(c, ink, cx + 1, cy + 1, lip);
    TextStyle cut;
    cut.fill = {{0.0f, Colour{0.02f, 0.02f, 0.03f}}};
    cut.opacity = 0.8f;
    DrawStyledText(c, ink, cx - 1, cy - 1, cut);
    TextStyle top;
    top.fill = {{0.0f, face}, {1.0f, Scale(face, 0.8f)}};
    DrawStyledText(c, ink, cx, cy, top);
}

void PaintMetal(CCanvas &c, const CArtConfig &p) {
    const Colour light = p.GetColour("deck.metal_light");
    const Colour dark = p.GetColour("deck.metal_dark");
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x) {
            const float t = static_cast<float>(y) / kPictureHeight;
            Colour col = Mix(light, dark, t * 0.9f);
            // Brushing: noise stretched far along x; a soft diagonal sheen.
            const float brush = Fbm(x / 260.0f, y / 1.3f, 3, 13) - 0.5f;
            const float sheen = std::exp(-std::pow((x * 0.6f - y - 120.0f) / 260.0f, 2.0f));
            col = Scale(col, 1.0f + 0.22f * brush + 0.18f * sheen);
            c.Set(x, y, col);
        }
    // Bevelled rim: lit along the top and left, in shade along the bottom and right.
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x) {
            const int lit = std::min(x, y);
            const int shaded = std::min(kPictureWidth - 1 - x, kPictureHeight - 1 - y);
            if (lit < 3 && lit <= shaded)
                c.Set(x, y, Scale(c.Get(x, y), 1.5f - 0.12f * lit));
            else if (shaded < 3)
                c.Set(x, y, Scale(c.Get(x, y), 0.45f + 0.15f * shaded));
        }
}

// A recessed panel: dark bevel above and left, light below.
template <typename Fill>
void Recess(CCanvas &c, float cx, float cy, float hw, float hh, float radius, Fill fill) {
    PaintShape(
        c, static_cast<int>(cx - hw - 4), static_cast<int>(cy - hh - 4),
        static_cast<int>(cx + hw + 5), static_cast<int>(cy + hh + 5),
        [&](float x, float y) {
            return SdRoundRect(x, y, cx, cy + 1.5f, hw + 1.5f, hh + 1.5f, radius + 1.5f);
        },
        [](int, int, float) {
            return Colour{0.55f, 0.57f, 0.62f};
        },
        0.5f);
    PaintShape(
        c, static_cast<int>(cx - hw - 4), static_cast<int>(cy - hh - 4),
        static_cast<int>(cx + hw + 5), static_cast<int>(cy + hh + 5),
        [&](float x, float y) {
            return SdRoundRect(x, y, cx, cy - 1.0f, hw + 1.0f, hh + 1.0f, radius + 1.0f);
        },
        [](int, int, float) {
            return Colour{0.01f, 0.01f, 0.02f};
        },
        0.9f);
    PaintShape(
        c, static_cast<int>(cx - hw - 2), static_cast<int>(cy - hh - 2),
        static_cast<int>(cx + hw + 3), static_cast<int>(cy + hh + 3),
        [&](float x, float y) { return SdRoundRect(x, y, cx, cy, hw, hh, radius); }, fill);
}

void PaintGlassStrip(CCanvas &c, const CArtConfig &p) {
    const Colour top = p.GetColour("deck.glass_top");
    const Colour bottom = p.GetColour("deck.glass_bottom");
    const std::vector<float> a = p.GetNumbers("area.text");
    if (a.size() != 4)
        return;
    const float y0 = a[1], height = a[3];
    Recess(c, a[0] + a[2] * 0.5f, y0 + height * 0.5f, a[2] * 0.5f, height * 0.5f, 10.0f,
           [&](int x, int y, float) {
               Colour col = Mix(top, bottom, Clamp01((y - y0) / height));
               // A broad faint reflection running across the glass.
               const float band =
                   std::exp(-std::pow((x * 0.35f + y * 1.0f - 260.0f) / 90.0f, 2.0f));
               col = Add(col, Scale(Colour{0.5f, 0.6f, 0.8f}, 0.035f * band));
               // Inner shadow under the upper lip of the frame.
               col = Scale(col, 1.0f - 0.5f * std::exp(-(y - y0) / 5.0f));
               return col;
           });
}

void PaintSpeaker(CCanvas &c, float cx, float cy, float radius) {
    // Chrome ring.
    PaintShape(
        c, static_cast<int>(cx - radius - 14), static_cast<int>(cy - radius - 14),
        static_cast<int>(cx + radius + 14), static_cast<int>(cy + radius + 14),
        [&](float x, float y) { return SdCircle(x, y, cx, cy, radius + 10.0f); },
        [&](int x, int y, float) {
            const float a = std::atan2(y - cy, x - cx);
            const float v = 0.32f + 0.22f * std::cos(2.0f * a + 0.7f) + 0.12f * std::sin(a);
            return Colour{v, v * 1.02f, v * 1.08f};
        });
    // Perforated grille over a dark cone with a faint lit dust cap.
    const float pitch = 7.0f;
    PaintShape(
        c, static_cast<int>(cx - radius - 2), static_cast<int>(cy - radius - 2),
        static_cast<int>(cx + radius + 2), static_cast<int>(cy + radius + 2),
        [&](float x, float y) { return SdCircle(x, y, cx, cy, radius); },
        [&](int x, int y, float d) {
            const float fx = x + 0.5f - cx, fy = y + 0.5f - cy;
            const float row = std::round(fy / (pitch * 0.866f));
            const float shift = (static_cast<int>(row) & 1) ? pitch * 0.5f : 0.0f;
            const float hx = fx - (std::round((fx - shift) / pitch) * pitch + shift);
            const float hy = fy - row * pitch * 0.866f;
            const float hole = Coverage(std::hypot(hx, hy) - 2.3f);
            const float r = std::hypot(fx, fy);
            const float behind =
                0.035f + 0.05f * std::exp(-r / 30.0f) + 0.02f * std::cos(r * 0.12f);
            const float metal = 0.16f + 0.06f * (-fy / radius);
            const float v = metal * (1.0f - hole) + behind * hole;
            const float inner = std::exp(d / 6.0f); // shadow under the ring
            return Scale(Colour{v, v * 1.03f, v * 1.1f}, 1.0f - 0.6f * inner);
        });
}

CMask IconMask(const Button &b) {
    CMask m(b.w, b.h);
    const float cx = b.w * 0.5f, cy = b.h * 0.5f;
    const float s = std::min(b.w, b.h) / 40.0f; // icons are drawn for a 40 pixel key
    for (int y = 0; y < b.h; ++y)
        for (int x = 0; x < b.w; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            float d = 1e9f;
            if (b.icon == "play") {
                d = SdTriangle(px, py, cx - 8 * s, cy - 11 * s, cx - 8 * s, cy + 11 * s,
                               cx + 11 * s, cy);
            } else if (b.icon == "previous" || b.icon == "next") {
                const float dir = b.icon == "next" ? 1.0f : -1.0f;
                for (int k = 0; k < 2; ++k) {
                    const float o = (k == 0 ? -9.0f : 2.0f) * s;
                    const float tail = cx + dir * o;
                    const float tip = cx + dir * (o + 11.0f * s);
                    d = std::min(d,
                                 SdTriangle(px, py, tail, cy - 9 * s, tail, cy + 9 * s, tip, cy));
                }
                const float barX = cx + dir * 12.5f * s;
                d = std::min(d, SdRoundRect(px, py, barX, cy, 1.8f * s, 9 * s, 0.8f));
            } else if (b.icon == "pause") {
                d = std::min(SdRoundRect(px, py, cx - 6 * s, cy, 3.5f * s, 11 * s, 1.0f),
                             SdRoundRect(px, py, cx + 6 * s, cy, 3.5f * s, 11 * s, 1.0f));
            } else if (b.icon == "stop") {
                d = SdRoundRect(px, py, cx, cy, 9.5f * s, 9.5f * s, 2.0f);
            } else if (b.icon == "quit") {
                // Power symbol: an open ring and a stroke through its gap.
                const float r = std::hypot(px - cx, py - cy);
                const float ring = std::fabs(r - 10.5f * s) - 2.2f * s;
                const float angle = std::atan2(px - cx, -(py - cy)); // 0 at the top
                const float gap = std::fabs(angle) < 0.6f ? 1e9f : ring;
                const float stroke = SdSegment(px, py, cx, cy - 14 * s, cx, cy - 3 * s, 2.2f * s);
                d = std::min(gap, stroke);
            }
            m.Set(x, y, Coverage(d));
        }
    return m;
}

Colour LedColour(const CArtConfig &p, const std::string &icon) {
    if (icon == "play")
        return p.GetColour("deck.led_play");
    if (icon == "pause")
        return p.GetColour("deck.led_pause");
    if (icon == "stop")
        return p.GetColour("deck.led_stop");
    if (icon == "quit")
        return p.GetColour("deck.led_quit");
    return p.GetColour("deck.led_skip");
}

void PaintKey(CCanvas &c, const CArtConfig &p, const Button &b) {
    const float hw = b.w * 0.5f, hh = b.h * 0.5f;
    const Colour face = p.GetColour("deck.key_face");
    const Colour led = LedColour(p, b.icon);
    // Bezel: a dark well a few pixels wider than the key, with a lit lip.
    Recess(c, b.cx(), b.cy(), hw + 5.0f, hh + 5.0f, 12.0f, [&](int, int, float) {
        return Colour{0.02f, 0.02f, 0.025f};
    });
    // Coloured light spilling from under the key into the well.
    CMask spill(b.w + 24, b.h + 24);
    for (int y = 0; y < spill.Height(); ++y)
        for (int x = 0; x < spill.Width(); ++x)
            spill.Set(x, y,
                      Coverage(SdRoundRect(x + 0.5f, y + 0.5f, spill.Width() * 0.5f,
                                           spill.Height() * 0.5f, hw, hh, 9.0f)));
    AddMaskLight(c, spill.Blurred(3), b.x - 12, b.y - 12, led, 0.25f);
    // The key cap fills its rectangle: domed face, bevelled edge.
    PaintShape(
        c, b.x, b.y, b.x + b.w, b.y + b.h,
        [&](float x, float y) { return SdRoundRect(x, y, b.cx(), b.cy(), hw, hh, 8.0f); },
        [&](int x, int y, float d) {
            const float ty = (y + 0.5f - b.y) / b.h;
            const float tx = (x + 0.5f - b.x) / b.w;
            Colour col = Scale(face, 1.25f - 0.45f * ty);
            const float edge = std::exp(d / 2.0f); // 1 at the rim, fading inwards
            col = Add(col, Scale(Colour{1, 1, 1}, edge * 0.22f * (1.0f - ty) * (1.1f - tx)));
            col = Scale(col, 1.0f - edge * 0.35f * ty);
            // A glossy spot on the upper half.
            const float gloss = std::exp(-std::pow((ty - 0.22f) / 0.12f, 2.0f)) *
                                std::exp(-std::pow((tx - 0.4f) / 0.3f, 2.0f));
            return Add(col, Scale(Colour{1, 1, 1}, 0.08f * gloss));
        });
    // The lit icon with its glow on the cap.
    const CMask icon = IconMask(b);
    AddMaskLight(c, icon.Blurred(3), b.x, b.y, led, 0.9f);
    PaintMask(c, icon, b.x, b.y, 1.0f, [&](int, int) { return Mix(led, Colour{1, 1, 1}, 0.45f); });
}

void PaintSign(CCanvas &c, const ArtKit &kit, const Button &b) {
    const CArtConfig &p = kit.config;
    const Colour neon = p.GetColour("deck.sign_neon");
    const Colour board = p.GetColour("deck.sign_face");
    // Shadow of the board on the deck.
    PaintShape(
        c, b.x - 10, b.y - 6, b.x + b.w + 16, b.y + b.h + 18,
        [&](float x, float y) {
            return SdRoundRect(x, y, b.cx() + 5, b.cy() + 7, b.w * 0.5f, b.h * 0.5f, 6.0f) / 6.0f;
        },
        [](int, int, float) {
            return Colour{0, 0, 0};
        },
        0.6f);
    // Enamel board with a neon tube along its border.
    PaintShape(
        c, b.x, b.y, b.x + b.w, b.y + b.h,
        [&](float x, float y) {
            return SdRoundRect(x, y, b.cx(), b.cy(), b.w * 0.5f, b.h * 0.5f, 6.0f);
        },
        [&](int x, int y, float d) {
            Colour col = Scale(board, 1.2f - 0.5f * (y + 0.5f - b.y) / b.h);
            const float tube = std::exp(-std::fabs(d + 4.5f) / 1.1f);
            const float halo = std::exp(-std::fabs(d + 4.5f) / 4.0f);
            col = Add(col, Scale(neon, 0.35f * halo));
            col = Add(col, Scale(Mix(neon, Colour{1, 1, 1}, 0.5f), tube));
            // Four screws.
            for (int k = 0; k < 4; ++k) {
                const float sx = b.x + ((k & 1) ? b.w - 9.0f : 9.0f);
                const float sy = b.y + ((k & 2) ? b.h - 9.0f : 9.0f);
                const float sd = SdCircle(x + 0.5f, y + 0.5f, sx, sy, 2.6f);
                col = Mix(col, Colour{0.55f, 0.55f, 0.6f}, Coverage(sd));
            }
            return col;
        });
    // The group's name in neon serif capitals beside a crescent moon: the sign
    // raises the group's logo.
    const CMask word =
        kit.serifBold.RenderLine(DecodeUtf8(p.GetText("panel.sign")), 19.0f, 1.5f, 10);
    const int wx = static_cast<int>(b.cx()) + 13, wy = static_cast<int>(b.cy()) + 1;
    CMask moon(30, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            moon.Set(x, y,
                     Coverage(std::max(SdCircle(x + 0.5f, y + 0.5f, 15.0f, 15.0f, 8.5f),
                                       -SdCircle(x + 0.5f, y + 0.5f, 19.0f, 12.5f, 7.5f))));
    const int mx = b.x + 6, my = static_cast<int>(b.cy()) - 15;
    AddMaskLight(c, word.Blurred(4), wx - word.Width() / 2, wy - word.Height() / 2, neon, 1.0f);
    AddMaskLight(c, moon.Blurred(3), mx, my, p.GetColour("deck.ring"), 0.8f);
    TextStyle lit;
    lit.fill = {{0.0f, Colour{1.0f, 0.95f, 0.88f}}, {1.0f, Mix(neon, Colour{1, 1, 1}, 0.5f)}};
    DrawStyledText(c, word, wx, wy, lit);
    PaintMask(c, moon, mx, my, 1.0f, [&](int, int) { return p.GetColour("dusk.moon"); });
}

// The dial: a dish centred on the circle through the play, previous and next
// keys, with a lit groove along that circle so the three keys read as beads
// on one arc.
struct Dial {
    float cx = 503.0f, cy = 334.0f, arc = 60.0f;
};

Dial FindDial(const std::vector<Button> &buttons) {
    std::vector<const Button *> keys;
    for (const Button &b : buttons)
        if (b.icon == "play" || b.icon == "previous" || b.icon == "next")
            keys.push_back(&b);
    Dial dial;
    if (keys.size() != 3)
        return dial;
    const float ax = keys[0]->cx(), ay = keys[0]->cy(), bx = keys[1]->cx(), by = keys[1]->cy(),
                cx = keys[2]->cx(), cy = keys[2]->cy();
    const float d = 2.0f * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
    if (std::fabs(d) < 1e-3f)
        return dial;
    const float a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    dial.cx = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d;
    dial.cy = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
    dial.arc = std::hypot(ax - dial.cx, ay - dial.cy);
    return dial;
}

void PaintTransportWell(CCanvas &c, const CArtConfig &p, const Dial &dial) {
    const float cx = dial.cx, cy = dial.cy, r = 136.0f;
    const Colour ring = p.GetColour("deck.ring");
    const Colour metal = p.GetColour("deck.metal_light");
    PaintShape(
        c, static_cast<int>(cx - r - 30), static_cast<int>(cy - r - 30),
        static_cast<int>(cx + r + 30), static_cast<int>(cy + r + 30),
        [&](float x, float y) { return SdCircle(x, y, cx, cy, r + 12.0f); },
        [&](int x, int y, float) {
            const float a = std::atan2(y - cy, x - cx);
            return Scale(metal, 1.25f + 0.65f * std::cos(a + 2.2f));
        });
    PaintShape(
        c, static_cast<int>(cx - r - 2), static_cast<int>(cy - r - 2), static_cast<int>(cx + r + 2),
        static_cast<int>(cy + r + 2), [&](float x, float y) { return SdCircle(x, y, cx, cy, r); },
        [&](int x, int y, float d) {
            const float fx = x + 0.5f - cx, fy = y + 0.5f - cy;
            const float rr = std::hypot(fx, fy);
            // Dark dish with fine circular machining and a lit ring at its rim.
            const float v = 0.9f + 0.35f * (fy / r) + 0.15f * std::sin(rr * 1.9f);
            Colour col = Scale(p.GetColour("deck.glass_top"), v);
            col = Add(col, Scale(ring, 0.8f * std::exp(-std::fabs(d + 5.0f) / 1.6f)));
            col = Add(col, Scale(ring, 0.14f * std::exp(-std::fabs(d + 5.0f) / 14.0f)));
            // The groove the keys ride on.
            const float groove = std::fabs(rr - dial.arc);
            col = Scale(col, 1.0f - 0.6f * std::exp(-groove / 5.0f));
            col = Add(col, Scale(ring, 0.55f * std::exp(-std::fabs(groove - 5.0f) / 1.0f)));
            return col;
        });
}

// The bay where the logo rises: a window onto the lake at night, a full moon
// over the water, set in a recess.
void PaintLogoBay(CCanvas &c, const ArtKit &kit) {
    const std::vector<float> a = kit.config.GetNumbers("area.logo");
    if (a.size() != 4)
        return;
    const float cx = a[0] + a[2] * 0.5f, cy = a[1] + a[3] * 0.5f;
    CCanvas lake(kPictureWidth, kPictureHeight, Colour{0, 0, 0});
    LakeView view;
    view.horizon = 430;
    view.sunX = 512.0f;
    view.sunY = 470.0f;
    view.afterglow = 0.45f;
    view.night = 0.8f;
    view.moonX = 512.0f;
    view.moonY = 250.0f;
    view.moonRadius = 34.0f;
    view.moonBite = 0.0f;
    view.moonPath = 1.2f;
    view.hillScale = 0.6f;
    view.stars = 260;
    view.reeds = false;
    view.seed = 106;
    // The window shows the middle of that view, scaled down; only that part
    // (and a margin for the ripples) is painted.
    const float scale = 2.2f, ox = 512.0f - a[2] * 0.5f * scale,
                oy = view.horizon - 0.6f * a[3] * scale;
    view.clipLeft = std::max(0, static_cast<int>(ox) - 16);
    view.clipRight = std::min(kPictureWidth, static_cast<int>(ox + a[2] * scale) + 16);
    view.clipTop = std::max(0, static_cast<int>(oy) - 16);
    view.clipBottom = std::min(kPictureHeight, static_cast<int>(oy + a[3] * scale) + 16);
    PaintLake(lake, kit, view);
    Recess(c, cx, cy, a[2] * 0.5f, a[3] * 0.5f, 16.0f, [&](int x, int y, float d) {
        const Colour col =
            lake.Sample(ox + (x + 0.5f - a[0]) * scale, oy + (y + 0.5f - a[1]) * scale);
        // Darker towards the frame, deepest under its upper lip.
        return Scale(col, (0.75f - 0.6f * std::exp(d / 6.0f)) *
                              (1.0f - 0.35f * std::exp(-(y - a[1]) / 18.0f)));
    });
}

// A slotted screw head sunk into the deck.
void PaintScrew(CCanvas &c, float cx, float cy, float angle) {
    PaintShape(
        c, static_cast<int>(cx - 9), static_cast<int>(cy - 9), static_cast<int>(cx + 10),
        static_cast<int>(cy + 10), [&](float x, float y) { return SdCircle(x, y, cx, cy, 7.0f); },
        [&](int x, int y, float d) {
            const float fx = x + 0.5f - cx, fy = y + 0.5f - cy;
            float v = 0.5f - 0.25f * (fx + fy) / 7.0f -
                      0.2f * std::exp(d / 1.2f) * (fx + fy > 0 ? 1.0f : -0.6f);
            const float slot = std::fabs(fx * std::sin(angle) - fy * std::cos(angle));
            if (slot < 1.3f)
                v = 0.08f;
            return Colour{v, v, v * 1.05f};
        });
}

void PaintVents(CCanvas &c) {
    for (int i = 0; i < 6; ++i) {
        const float y = 500.0f + i * 22.0f;
        Recess(c, 545.0f, y, 110.0f, 3.0f, 3.0f, [](int, int, float) {
            return Colour{0.015f, 0.015f, 0.02f};
        });
    }
}

void PaintNameplate(CCanvas &c, const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    const float cx = 215.0f, cy = 560.0f;
    PaintShape(
        c, 30, 500, 400, 620,
        [&](float x, float y) {
            return SdRoundRect(x, y, cx + 3, cy + 4, 168.0f, 44.0f, 8.0f) / 4.0f;
        },
        [](int, int, float) {
            return Colour{0, 0, 0};
        },
        0.5f);
    PaintShape(
        c, 30, 500, 400, 620,
        [&](float x, float y) { return SdRoundRect(x, y, cx, cy, 168.0f, 44.0f, 8.0f); },
        [&](int x, int y, float d) {
            const float brush = Fbm(x / 180.0f, y / 1.1f, 2, 31) - 0.5f;
            const float t = (y + 0.5f - (cy - 44.0f)) / 88.0f;
            float v = 0.62f - 0.22f * t + 0.12f * brush;
            v += 0.25f * std::exp(d / 1.5f) * (1.0f - t) - 0.2f * std::exp(d / 1.5f) * t;
            return Colour{v * 0.97f, v * 0.95f, v * 0.9f};
        });
    // Deep cuts in the plate, filled with the lake's violet: the name in the
    // display serif, the line under it in tracked condensed capitals.
    const Colour ink = p.GetColour("font.outline");
    Engrave(c, kit.serifBold.RenderLine(DecodeUtf8(p.GetText("title.name")), 42.0f, 1.0f, 4),
            static_cast<int>(cx), static_cast<int>(cy) - 8, ink);
    Engrave(c, kit.condensedBold.RenderLine(DecodeUtf8(p.GetText("sides.bottom")), 16.0f, 6.0f, 2),
            static_cast<int>(cx), static_cast<int>(cy) + 26, ink);
}

// The line through the centres of the bottom keys and the sign: they step up
// from left to right, so they sit on a rail that rises the same way.
struct Rail {
    float x0 = 0.0f, y0 = 0.0f, slope = 0.0f;
    float At(float x) const { return y0 + slope * (x - x0); }
};

Rail FitRail(const std::vector<Button> &buttons) {
    float n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Button &b : buttons)
        if (b.icon == "quit" || b.icon == "stop" || b.icon == "pause" || b.icon == "sign") {
            n += 1.0f;
            sx += b.cx();
            sy += b.cy();
            sxx += b.cx() * b.cx();
            sxy += b.cx() * b.cy();
        }
    Rail rail;
    if (n < 2.0f || sxx * n - sx * sx < 1.0f)
        return rail;
    rail.x0 = sx / n;
    rail.y0 = sy / n;
    rail.slope = (sxy * n - sx * sy) / (sxx * n - sx * sx);
    return rail;
}

void PaintRail(CCanvas &c, const CArtConfig &p, const Rail &rail) {
    const Colour metal = p.GetColour("deck.metal_light");
    const Colour ring = p.GetColour("deck.ring");
    const float x0 = 44.0f, x1 = 668.0f, above = 52.0f, below = 36.0f, round = 14.0f;
    const float norm = 1.0f / std::sqrt(1.0f + rail.slope * rail.slope);
    // Signed distance to the slanted plate: a band along the rail, round corners.
    auto sd = [&](float x, float y) {
        const float across = (y - rail.At(x)) * norm; // positive below the line
        const float band = std::max(across - below, -above - across) + round;
        const float along = std::max(x0 - x, x - x1) + round;
        return std::min(std::max(along, band), 0.0f) +
               std::hypot(std::max(along, 0.0f), std::max(band, 0.0f)) - round;
    };
    PaintShape(
        c, 30, 600, 690, kPictureHeight, [&](float x, float y) { return sd(x - 4, y - 6) / 6.0f; },
        [](int, int, float) {
            return Colour{0, 0, 0};
        },
        0.5f);
    PaintShape(c, 30, 600, 690, kPictureHeight, sd, [&](int x, int y, float d) {
        const float across = ((y + 0.5f) - rail.At(x + 0.5f)) * norm;
        const float t = (across + above) / (above + below);
        Colour col = Scale(metal, 1.5f - 0.6f * t);
        const float brush = Fbm(x / 200.0f, (y - rail.slope * x) / 1.2f, 2, 71) - 0.5f;
        col = Scale(col, 1.0f + 0.2f * brush);
        // Lit upper bevel, shaded lower one, and a thin teal inlay along the rail.
        col = Scale(col, 1.0f + 0.6f * std::exp(d / 1.5f) * (t < 0.5f ? 1.0f : -0.8f));
        return Add(col, Scale(ring, 0.5f * std::exp(-std::fabs(across - below + 8.0f) / 0.9f)));
    });
}

} // namespace

CCanvas PaintPanel(const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    CCanvas c(kPictureWidth, kPictureHeight, Colour{0, 0, 0});
    const std::vector<Button> buttons = LoadButtons(p);
    const Dial dial = FindDial(buttons);
    const Rail rail = FitRail(buttons);
    PaintMetal(c, p);
    PaintGlassStrip(c, p);
    PaintSpeaker(c, 200.0f, 322.0f, 118.0f);
    PaintSpeaker(c, 822.0f, 310.0f, 112.0f);
    PaintTransportWell(c, p, dial);
    PaintVents(c);
    PaintNameplate(c, kit);
    // Console strip along the bottom.
    const Colour metal = p.GetColour("deck.metal_dark");
    PaintShape(
        c, 0, 640, kPictureWidth, kPictureHeight, [](float, float y) { return 652.0f - y; },
        [&](int, int y, float d) {
            return Scale(metal, 1.1f - 0.4f * (y - 652.0f) / 116.0f + (d > -2.0f ? 1.2f : 0.0f));
        });
    PaintRail(c, p, rail);
    PaintLogoBay(c, kit);
    PaintScrew(c, 14.0f, 14.0f, 0.4f);
    PaintScrew(c, 1009.0f, 14.0f, 1.1f);
    PaintScrew(c, 14.0f, 630.0f, 2.0f);
    PaintScrew(c, 1009.0f, 630.0f, 0.7f);

    const Colour engrave = p.GetColour("deck.engrave");
    Engrave(c, kit.serifBold.RenderLine(DecodeUtf8(p.GetText("panel.brand")), 28.0f, 6.0f, 4), 80,
            27, engrave);
    Engrave(c, kit.condensedBold.RenderLine(DecodeUtf8(p.GetText("panel.model")), 15.0f, 3.0f, 4),
            790, 28, engrave);

    const std::vector<std::string> labels = p.GetTexts("panel.labels");
    for (size_t i = 0; i < buttons.size(); ++i) {
        const Button &b = buttons[i];
        if (b.icon == "sign")
            PaintSign(c, kit, b);
        else
            PaintKey(c, p, b);
        if (i >= labels.size())
            continue;
        const CMask label = kit.condensedBold.RenderLine(DecodeUtf8(labels[i]), 13.0f, 2.5f, 2);
        // Above the key on the rail, following its rise; on the dial, play's
        // label above it, previous and next below theirs, inside the groove's
        // circle and clear of the dish's lit rim.
        int lx = static_cast<int>(b.cx());
        int ly = static_cast<int>(std::lround(rail.At(b.cx()) - b.h * 0.5f - 14.0f));
        if (b.icon == "play")
            ly = b.y - 14;
        else if (b.icon == "previous" || b.icon == "next")
            ly = b.y + b.h + 13;
        Engrave(c, label, lx, ly, engrave);
    }

    // The alpha marks: opaque everywhere, each button's block one value.
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x)
            c.SetAlpha(x, y, 1.0f);
    for (const Button &b : buttons)
        for (int y = b.y; y < b.y + b.h; ++y)
            for (int x = b.x; x < b.x + b.w; ++x)
                c.SetAlpha(x, y, static_cast<float>(b.mark) / 255.0f);
    return c;
}
