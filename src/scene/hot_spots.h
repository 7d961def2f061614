#pragma once
#include <cstdint>

#include "math/vector.h"

// One clickable button of the control panel, in screen pixels (origin at the
// top-left corner of the window, y downward).
struct HotSpot {
    CVector2 position; // top-left corner
    CVector2 size;     // width, height
};

constexpr int kHotSpotCount = 7;

// Recovers the panel's buttons from the alpha channel of its RGBA pixel store
// and then makes the picture opaque.
//
// A button is a solid block of one alpha value below 10; its top-left pixel
// differs in alpha from its left and upper neighbours (a missing neighbour at
// the picture's edge counts as different). Its width is the run of that value
// along its top row, its height the run down its left column, both clipped to
// the picture. Corners are taken row by row, left to right; at most
// kHotSpotCount are stored, scaled by screenWidth / 1024.
//
// pixels: 4 bytes per pixel, rows of storeWidth pixels, at least imageHeight
// rows. All kHotSpotCount entries of out are zeroed first. Afterwards the alpha
// byte of every picture pixel is 255; store pixels right of the picture are
// left alone. Returns the number of hot spots stored (0 for null pixels or a
// store narrower than the picture, which is then not touched).
int FindHotSpotRects(uint8_t *pixels, uint32_t imageWidth, uint32_t imageHeight,
                     uint32_t storeWidth, float screenWidth, HotSpot out[kHotSpotCount]);
