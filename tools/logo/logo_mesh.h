#pragma once
#include <cstdint>
#include <vector>

// The logo as a closed lathe: a medallion turned about the z axis whose front
// face (towards -z, where the scene's camera stands) carries the texture.
struct LogoVertex {
    float u, v;
    uint8_t r, g, b, a;
    float nx, ny, nz;
    float x, y, z;
};

struct LogoMesh {
    std::vector<LogoVertex> vertices;
    std::vector<uint16_t> indices; // triangle list, outward faces counter-clockwise
    float boundsMin[3];
    float boundsMax[3];
};

// Segments around the axis and rings between the two poles.
constexpr int kLogoSegments = 46;
constexpr int kLogoRings = 8;
// Outer radius of the medallion (model units).
constexpr float kLogoRadius = 0.36f;

LogoMesh BuildLogoMesh();
