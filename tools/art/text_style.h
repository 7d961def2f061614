#pragma once
#include <vector>

#include "canvas.h"

// Display lettering effects: gradient fill, outline, glow and drop shadow.

struct GradientStop {
    float position; // 0 = top of the ink, 1 = bottom
    Colour colour;
};

// Colour of a vertical gradient at t (0..1). Two stops at the same position
// make a hard edge, as in chrome lettering.
Colour GradientAt(const std::vector<GradientStop> &stops, float t);

struct TextStyle {
    std::vector<GradientStop> fill;
    Colour outline{0, 0, 0};
    float outlineWidth = 0.0f; // pixels; 0 = none
    Colour glow{0, 0, 0};
    int glowRadius = 0; // 0 = none
    float glowAmount = 0.0f;
    Colour shadow{0, 0, 0};
    int shadowDx = 0, shadowDy = 0;
    int shadowBlur = 0;
    float shadowOpacity = 0.0f; // 0 = none
    float opacity = 1.0f;
};

// Draws ink (a mask from CTypeface::RenderLine, padded enough for the glow)
// with its centre at (cx, cy). Order: shadow, glow, outline, fill.
void DrawStyledText(CCanvas &canvas, const CMask &ink, int cx, int cy, const TextStyle &style);
