// Picture 104: the credits. The sun sets on the right of the lake while the
// crew's roles and handles stand on a pane of dark violet glass in the sky to
// its left, clear of the sun and of the horizon's glow.
#include <algorithm>
#include <cmath>

#include "lake.h"
#include "pictures.h"
#include "scenery.h"
#include "shapes.h"
#include "text_style.h"

namespace {

constexpr float kPaneX = 330.0f, kPaneY = 318.0f; // centre of the glass pane
constexpr float kPaneHalfW = 262.0f, kPaneHalfH = 222.0f;

// Centre x for a mask whose left (or right) edge should stand at x.
int FromLeft(const CMask &m, int x) {
    return x + m.Width() / 2;
}
int FromRight(const CMask &m, int x) {
    return x - m.Width() / 2;
}

} // namespace

CCanvas PaintCredits(const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    CCanvas c(kPictureWidth, kPictureHeight, Colour{0, 0, 0});
    LakeView view;
    view.horizon = 590;
    view.sunX = 830.0f;
    view.sunY = 580.0f;
    view.sunRadius = 34.0f;
    view.valleyWidth = 140.0f;
    view.moonX = 930.0f;
    view.moonY = 90.0f;
    view.moonRadius = 17.0f;
    view.seed = 104;
    PaintLake(c, kit, view);
    ApplyVignette(c, 0.3f);

    // Dark glass with a thin teal frame.
    const Colour frame = p.GetColour("dusk.teal");
    const Colour glass = p.GetColour("font.outline");
    PaintShape(
        c, 0, 0, kPictureWidth, kPictureHeight,
        [&](float x, float y) {
            return SdRoundRect(x, y, kPaneX + 6, kPaneY + 9, kPaneHalfW, kPaneHalfH, 18.0f) / 10.0f;
        },
        [](int, int, float) {
            return Colour{0, 0, 0};
        },
        0.45f);
    PaintShape(
        c, 0, 0, kPictureWidth, kPictureHeight,
        [&](float x, float y) {
            return SdRoundRect(x, y, kPaneX, kPaneY, kPaneHalfW, kPaneHalfH, 18.0f);
        },
        [&](int, int y, float) { return Scale(glass, 0.8f + 0.3f * (y - 96.0f) / 444.0f); }, 0.82f);
    PaintShape(
        c, 0, 0, kPictureWidth, kPictureHeight,
        [&](float x, float y) {
            return std::fabs(SdRoundRect(x, y, kPaneX, kPaneY, kPaneHalfW, kPaneHalfH, 18.0f)) -
                   0.8f;
        },
        [&](int, int, float) { return frame; }, 0.7f);

    TextStyle heading;
    heading.fill = {{0.0f, p.GetColour("title.fill_top")},
                    {0.55f, p.GetColour("title.fill_mid")},
                    {1.0f, p.GetColour("title.fill_bottom")}};
    heading.outline = p.GetColour("title.outline");
    heading.outlineWidth = 3.0f;
    heading.glow = p.GetColour("title.glow");
    heading.glowRadius = 12;
    heading.glowAmount = 0.4f;
    const CMask title =
        kit.serifBold.RenderLine(DecodeUtf8(p.GetText("credits.heading")), 62.0f, 2.0f, 40);
    DrawStyledText(c, title, static_cast<int>(kPaneX), 150, heading);

    // Role on the left in small teal capitals, handle on the right in the
    // warm italic: two faces, two voices, meeting at one column.
    const std::vector<std::string> roles = p.GetTexts("credits.roles");
    const std::vector<std::string> handles = p.GetTexts("credits.lines");
    TextStyle role;
    role.fill = {{0.0f, Mix(frame, Colour{1, 1, 1}, 0.35f)}, {1.0f, frame}};
    TextStyle handle;
    handle.fill = {{0.0f, p.GetColour("title.fill_top")}, {1.0f, p.GetColour("title.fill_mid")}};
    handle.glow = p.GetColour("title.glow");
    handle.glowRadius = 6;
    handle.glowAmount = 0.25f;
    const int column = 300;
    for (size_t i = 0; i < roles.size() && i < handles.size(); ++i) {
        const int y = 236 + static_cast<int>(i) * 64;
        const CMask r = kit.condensedBold.RenderLine(DecodeUtf8(roles[i]), 19.0f, 3.5f, 4);
        // The masks' padding keeps both columns clear of the rule between them.
        DrawStyledText(c, r, FromRight(r, column - 14), y + 3, role);
        const CMask h = kit.serifItalic.RenderLine(DecodeUtf8(handles[i]), 38.0f, 0.5f, 14);
        DrawStyledText(c, h, FromLeft(h, column), y, handle);
    }
    // A rule between the two columns.
    PaintShape(
        c, column - 2, 214, column + 2, 510,
        [&](float x, float y) { return SdSegment(x, y, column, 216.0f, column, 506.0f, 0.6f); },
        [&](int, int, float) { return frame; }, 0.5f);

    TextStyle footer;
    footer.fill = {{0.0f, p.GetColour("dusk.moon")},
                   {1.0f, Scale(p.GetColour("dusk.moon"), 0.85f)}};
    footer.shadowOpacity = 0.9f;
    footer.shadowDx = 2;
    footer.shadowDy = 2;
    footer.shadowBlur = 2;
    DrawStyledText(
        c, kit.serifItalic.RenderLine(DecodeUtf8(p.GetText("credits.footer")), 30.0f, 1.0f, 6), 512,
        690, footer);
    return c;
}
