// Picture 101: the group presents. The lake after sunset: the last ember
// light on the horizon, a full moon laying a teal path across the water, and
// the group's name standing in the violet sky, moonlit, with "presents" in the
// italic of the same serif beneath it.
#include "lake.h"
#include "pictures.h"
#include "scenery.h"
#include "text_style.h"

CCanvas PaintPresents(const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    CCanvas c(kPictureWidth, kPictureHeight, Colour{0, 0, 0});
    LakeView view;
    view.horizon = 540;
    view.sunX = 300.0f;
    view.sunY = 580.0f; // already down: only its glow is left
    view.afterglow = 0.75f;
    view.night = 0.55f;
    view.moonX = 780.0f;
    view.moonY = 128.0f;
    view.moonRadius = 40.0f;
    view.moonBite = 0.0f;
    view.moonPath = 1.0f;
    view.valleyWidth = 220.0f;
    view.hillScale = 0.8f;
    view.stars = 900;
    view.seed = 101;
    PaintLake(c, kit, view);
    ApplyVignette(c, 0.4f);

    // The name: moonlight on the letters, cream above to teal below, cut by a
    // deep violet outline and haloed in teal.
    TextStyle name;
    name.fill = {{0.0f, p.GetColour("dusk.moon")},
                 {0.55f, Mix(p.GetColour("dusk.moon"), p.GetColour("dusk.teal"), 0.45f)},
                 {1.0f, Scale(p.GetColour("dusk.teal"), 0.75f)}};
    name.outline = p.GetColour("font.outline");
    name.outlineWidth = 5.0f;
    name.glow = p.GetColour("dusk.teal");
    name.glowRadius = 22;
    name.glowAmount = 0.55f;
    name.shadow = Colour{0.02f, 0.0f, 0.05f};
    name.shadowDx = 8;
    name.shadowDy = 10;
    name.shadowBlur = 6;
    name.shadowOpacity = 0.7f;
    const CMask group =
        kit.serifBold.RenderLine(DecodeUtf8(p.GetText("presents.group")), 210.0f, 26.0f, 80);
    DrawStyledText(c, group, 512, 300, name);

    // "presents": the same serif in italic, warm, like the last of the sun.
    TextStyle verb;
    verb.fill = {{0.0f, p.GetColour("title.fill_mid")}, {1.0f, p.GetColour("title.fill_bottom")}};
    verb.outline = p.GetColour("font.outline");
    verb.outlineWidth = 2.0f;
    verb.glow = p.GetColour("title.glow");
    verb.glowRadius = 10;
    verb.glowAmount = 0.45f;
    verb.shadowOpacity = 0.8f;
    verb.shadowDx = 3;
    verb.shadowDy = 4;
    verb.shadowBlur = 3;
    const CMask presents =
        kit.serifItalic.RenderLine(DecodeUtf8(p.GetText("presents.verb")), 62.0f, 4.0f, 30);
    DrawStyledText(c, presents, 512, 448, verb);

    TextStyle footer;
    footer.fill = {{0.0f, p.GetColour("dusk.moon")},
                   {1.0f, Scale(p.GetColour("dusk.moon"), 0.85f)}};
    footer.shadowOpacity = 0.9f;
    footer.shadowDx = 2;
    footer.shadowDy = 2;
    footer.shadowBlur = 2;
    const CMask foot =
        kit.condensedBold.RenderLine(DecodeUtf8(p.GetText("presents.footer")), 24.0f, 5.0f, 6);
    DrawStyledText(c, foot, 512, 716, footer);
    return c;
}
