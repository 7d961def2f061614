#include "logo_mesh.h"

#include <cmath>

namespace {

// Profile of the medallion from the front pole round to the back pole, in
// units of the outer radius: (radius, z). The face is recessed between the
// raised rims, so the lettering sits in a shallow dish.
struct ProfilePoint {
    float r, z;
};

const ProfilePoint kProfile[kLogoRings + 2] = {
    {0.00f, -0.06f}, // front pole, centre of the face
    {0.76f, -0.06f}, // edge of the face
    {0.81f, -0.15f}, // inner wall of the front rim
    {0.90f, -0.18f}, // crown of the front rim
    {1.00f, -0.10f}, // outer bevel, front
    {1.00f, 0.10f},  // outer bevel, back
    {0.90f, 0.18f},  {0.81f, 0.15f}, {0.76f, 0.06f}, {0.00f, 0.06f}, // back pole
};

constexpr float kPi = 3.14159265358979f;

// Outward normal of the profile segment a -> b in the (r, z) plane.
void SegmentNormal(const ProfilePoint &a, const ProfilePoint &b, float *nr, float *nz) {
    const float dr = b.r - a.r;
    const float dz = b.z - a.z;
    const float len = std::sqrt(dr * dr + dz * dz);
    *nr = dz / len;
    *nz = -dr / len;
}

// Faces and their two rings keep the flat normal so the lettering is evenly
// lit; elsewhere the normals of the two neighbouring segments are averaged.
void ProfileNormal(int i, float *nr, float *nz) {
    if (i <= 1) {
        *nr = 0.0f;
        *nz = -1.0f;
        return;
    }
    if (i >= kLogoRings) {
        *nr = 0.0f;
        *nz = 1.0f;
        return;
    }
    float r0, z0, r1, z1;
    SegmentNormal(kProfile[i - 1], kProfile[i], &r0, &z0);
    SegmentNormal(kProfile[i], kProfile[i + 1], &r1, &z1);
    const float r = r0 + r1, z = z0 + z1;
    const float len = std::sqrt(r * r + z * z);
    *nr = r / len;
    *nz = z / len;
}

LogoVertex MakeVertex(float x, float y, float z, float nx, float ny, float nz) {
    LogoVertex v;
    // The camera looks along +z, so its right is the world's -x and its up
    // the world's +y; v = 0 is the image's top row. The back shows the same
    // picture mirrored and is never turned towards the camera.
    v.u = 0.5f - x / (2.0f * kLogoRadius);
    v.v = 0.5f - y / (2.0f * kLogoRadius);
    v.r = v.g = v.b = v.a = 255;
    v.nx = nx;
    v.ny = ny;
    v.nz = nz;
    v.x = x;
    v.y = y;
    v.z = z;
    return v;
}

uint16_t RingVertex(int ring, int segment) {
    return uint16_t(1 + (ring - 1) * kLogoSegments + (segment % kLogoSegments));
}

// Appends a triangle, turned so that it faces along the outward normal of
// its first vertex's surface (counter-clockwise seen from outside).
void AddTriangle(LogoMesh &mesh, uint16_t a, uint16_t b, uint16_t c) {
    const LogoVertex &p = mesh.vertices[a], &q = mesh.vertices[b], &s = mesh.vertices[c];
    const float ex = q.x - p.x, ey = q.y - p.y, ez = q.z - p.z;
    const float fx = s.x - p.x, fy = s.y - p.y, fz = s.z - p.z;
    const float cx = ey * fz - ez * fy, cy = ez * fx - ex * fz, cz = ex * fy - ey * fx;
    const float nx = p.nx + q.nx + s.nx, ny = p.ny + q.ny + s.ny, nz = p.nz + q.nz + s.nz;
    if (cx * nx + cy * ny + cz * nz < 0.0f) {
        const uint16_t t = b;
        b = c;
        c = t;
    }
    mesh.indices.push_back(a);
    mesh.indices.push_back(b);
    mesh.indices.push_back(c);
}

} // namespace

LogoMesh BuildLogoMesh() {
    LogoMesh mesh;
    mesh.vertices.push_back(MakeVertex(0.0f, 0.0f, kProfile[0].z * kLogoRadius, 0, 0, -1));
    for (int ring = 1; ring <= kLogoRings; ++ring) {
        float nr, nz;
        ProfileNormal(ring, &nr, &nz);
        for (int s = 0; s < kLogoSegments; ++s) {
            const float angle = 2.0f * kPi * float(s) / float(kLogoSegments);
            const float c = std::cos(angle), sn = std::sin(angle);
            const float r = kProfile[ring].r * kLogoRadius;
            mesh.vertices.push_back(
                MakeVertex(r * c, r * sn, kProfile[ring].z * kLogoRadius, nr * c, nr * sn, nz));
        }
    }
    mesh.vertices.push_back(
        MakeVertex(0.0f, 0.0f, kProfile[kLogoRings + 1].z * kLogoRadius, 0, 0, 1));
    const uint16_t back = uint16_t(mesh.vertices.size() - 1);

    for (int s = 0; s < kLogoSegments; ++s)
        AddTriangle(mesh, 0, RingVertex(1, s), RingVertex(1, s + 1));
    for (int ring = 1; ring < kLogoRings; ++ring) {
        for (int s = 0; s < kLogoSegments; ++s) {
            const uint16_t a = RingVertex(ring, s), b = RingVertex(ring, s + 1);
            const uint16_t c = RingVertex(ring + 1, s), d = RingVertex(ring + 1, s + 1);
            AddTriangle(mesh, a, c, b);
            AddTriangle(mesh, b, c, d);
        }
    }
    for (int s = 0; s < kLogoSegments; ++s)
        AddTriangle(mesh, back, RingVertex(kLogoRings, s + 1), RingVertex(kLogoRings, s));

    for (int k = 0; k < 3; ++k) {
        mesh.boundsMin[k] = 1e30f;
        mesh.boundsMax[k] = -1e30f;
    }
    for (const LogoVertex &v : mesh.vertices) {
        const float p[3] = {v.x, v.y, v.z};
        for (int k = 0; k < 3; ++k) {
            mesh.boundsMin[k] = std::fmin(mesh.boundsMin[k], p[k]);
            mesh.boundsMax[k] = std::fmax(mesh.boundsMax[k], p[k]);
        }
    }
    return mesh;
}
