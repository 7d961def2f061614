#pragma once
#include "art_kit.h"
#include "canvas.h"

// The painters of the embedded pictures. Each returns a finished picture.

CCanvas PaintPresents(const ArtKit &kit); // 101: the group presents
CCanvas PaintTitle(const ArtKit &kit);    // 102: the title over the lake at dusk
CCanvas PaintSides(const ArtKit &kit);    // 103: a music disk in four sides
CCanvas PaintCredits(const ArtKit &kit);  // 104: the production's credits
CCanvas PaintListen(const ArtKit &kit);   // 105: headphones on
CCanvas PaintPanel(const ArtKit &kit);    // 106: the control deck, buttons marked in alpha
CCanvas PaintFontImage(const ArtKit &kit, const std::string &glyphOrder); // 108
