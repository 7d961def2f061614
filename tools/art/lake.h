#pragma once
#include <cstdint>

#include "art_kit.h"
#include "canvas.h"

// The lake at dusk: the one landscape every picture of the disk is set in.
// Sky, sun, moon and stars first, then hills behind the far shore, then the
// water mirrors all of it with ripples, and the reeds of the near bank frame
// the view. Each picture chooses its hour and framing with a LakeView.
struct LakeView {
    int horizon = 492;   // row of the far water line
    float sunX = 662.0f; // the sun's centre; below the horizon it only glows
    float sunY = 488.0f;
    float sunRadius = 30.0f;
    float afterglow = 1.0f; // strength of the warm light around the sun
    float night = 0.0f;     // 0 = dusk, 1 = deep violet night: the warm band sinks
    float moonX = 188.0f, moonY = 118.0f, moonRadius = 21.0f;
    float moonBite = 0.93f;     // radius of the shadow that makes the crescent; 0 = full moon
    float moonPath = 0.0f;      // strength of the moon's teal path on the water
    float valleyWidth = 165.0f; // how wide the hills part where the sun sets
    float hillScale = 1.0f;     // height of the hills
    bool pines = true;          // pine woods on the near shores
    bool reeds = true;          // reeds in the near corners
    int stars = 700;
    uint32_t seed = 0;      // varies clouds and shores between pictures
    float ripplesX = -1.0f; // centre of rings of ripples on the water (none when < 0)
    float ripplesY = 0.0f;
    // Only this box is painted (left, top inclusive; right, bottom exclusive),
    // for pictures that show part of the view. The water mirrors rows above
    // the horizon, so the box must hold the rows its water reflects.
    int clipLeft = 0, clipTop = 0, clipRight = kPictureWidth, clipBottom = kPictureHeight;
};

void PaintLake(CCanvas &canvas, const ArtKit &kit, const LakeView &view);

// The reeds alone, for pictures that want them in front of other things.
void PaintReeds(CCanvas &canvas, const ArtKit &kit, uint32_t seed);
