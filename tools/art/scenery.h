#pragma once
#include <cstdint>

#include "canvas.h"

// Backdrop pieces shared by several pictures.

// Scatters `count` stars over rows [0, yMax); they fade out from yFadeStart
// to yMax. Positions and brightness come from `seed`.
void DrawStars(CCanvas &canvas, int count, uint32_t seed, int yMax, int yFadeStart,
               float brightness);

// Adds a round light: amount * colour * exp(-distance / falloff).
void AddRadialGlow(CCanvas &canvas, float cx, float cy, float falloff, Colour colour, float amount);

// Darkens towards the corners; strength 0 = none.
void ApplyVignette(CCanvas &canvas, float strength);

// Darkens every other row slightly, like a monitor's scanlines.
void ApplyScanlines(CCanvas &canvas, float depth);
