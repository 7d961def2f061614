#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CCamera;
class CPMDModel;

// Draws the model the way the scene draws its raised logo: cleared to
// transparent black, camera at (0, 0, -2) looking at the origin, the world
// matrix swinging by `spin`, lights 0 and 1 with lighting (unless `lit` is
// false), the viewport shifted right by 300 x S and down by 240 x S, where
// S = width / 1024. Leaves lighting off and the full viewport, as the scene.
void DrawLogoAsScene(CPMDModel &model, CCamera &camera, float spin, bool lit = true);

// The back buffer as RGBA rows, top row first.
std::vector<uint8_t> ReadScreen(int width, int height);

// Writes the screen rows to a PNG file; returns false on failure.
bool SaveScreen(const std::string &path, const std::vector<uint8_t> &rgba, int width, int height);
