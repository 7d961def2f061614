// Picture 102: the title over the lake at dusk, the sun setting between the
// hills and a young moon over the pines.
#include "lake.h"
#include "pictures.h"
#include "scenery.h"
#include "text_style.h"

CCanvas PaintTitle(const ArtKit &kit) {
    const CArtConfig &p = kit.config;
    CCanvas c(kPictureWidth, kPictureHeight, Colour{0, 0, 0});
    LakeView view;
    view.moonPath = 0.35f;
    PaintLake(c, kit, view);
    ApplyVignette(c, 0.45f);

    TextStyle title;
    title.fill = {{0.0f, p.GetColour("title.fill_top")},
                  {0.55f, p.GetColour("title.fill_mid")},
                  {1.0f, p.GetColour("title.fill_bottom")}};
    title.outline = p.GetColour("title.outline");
    title.outlineWidth = 4.0f;
    title.glow = p.GetColour("title.glow");
    title.glowRadius = 16;
    title.glowAmount = 0.55f;
    title.shadow = Colour{0.02f, 0.0f, 0.05f};
    title.shadowDx = 6;
    title.shadowDy = 8;
    title.shadowBlur = 5;
    title.shadowOpacity = 0.7f;
    const CMask name =
        kit.serifBold.RenderLine(DecodeUtf8(p.GetText("title.name")), 132.0f, 3.0f, 60);
    DrawStyledText(c, name, 512, 214, title);

    TextStyle byline;
    byline.fill = {{0.0f, Colour{0.95f, 0.88f, 0.95f}}, {1.0f, Colour{0.85f, 0.72f, 0.85f}}};
    byline.glow = p.GetColour("title.glow");
    byline.glowRadius = 6;
    byline.glowAmount = 0.35f;
    byline.shadowOpacity = 0.6f;
    byline.shadowDx = 2;
    byline.shadowDy = 3;
    byline.shadowBlur = 2;
    const CMask by =
        kit.serifItalic.RenderLine(DecodeUtf8(p.GetText("title.byline")), 34.0f, 2.0f, 20);
    DrawStyledText(c, by, 512, 306, byline);
    return c;
}
