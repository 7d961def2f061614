#include "medallion_render.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The pose: turned about y, then tipped about x (radians).
constexpr float kYaw = 0.32f;
constexpr float kPitch = -0.22f;
constexpr float kMargin = 0.03f; // of the side, left clear on every edge

// Light direction (towards the light) and viewer, in view space where the
// camera looks along +z and the picture's right is -x.
constexpr float kLight[3] = {0.42f, 0.62f, -0.66f};
constexpr float kAmbient = 0.42f;
constexpr float kDiffuse = 0.72f;
constexpr float kSpecular = 0.45f;
constexpr float kShininess = 24.0f;

struct Vec3 {
    float x, y, z;
};

Vec3 Normalised(Vec3 v) {
    const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return len > 0.0f ? Vec3{v.x / len, v.y / len, v.z / len} : Vec3{0.0f, 0.0f, -1.0f};
}

Vec3 Posed(float x, float y, float z) {
    const float cy = std::cos(kYaw), sy = std::sin(kYaw);
    const float cp = std::cos(kPitch), sp = std::sin(kPitch);
    const float x1 = cy * x + sy * z, z1 = -sy * x + cy * z;
    return {x1, cp * y - sp * z1, sp * y + cp * z1};
}

// A posed vertex in sub-pixel coordinates: sx right, sy down, depth nearer
// when smaller.
struct ScreenVertex {
    float sx, sy, depth;
    Vec3 normal;
    float u, v;
    float rgba[4];
};

// Bilinear, clamped at the edges; texel centres at half-integers.
void Sample(const IconTexture &t, float u, float v, float out[4]) {
    if (t.width <= 0 || t.height <= 0) {
        out[0] = out[1] = out[2] = out[3] = 1.0f;
        return;
    }
    const float fx = std::clamp(u * float(t.width) - 0.5f, 0.0f, float(t.width - 1));
    const float fy = std::clamp(v * float(t.height) - 0.5f, 0.0f, float(t.height - 1));
    const int x0 = int(fx), y0 = int(fy);
    const int x1 = std::min(x0 + 1, t.width - 1), y1 = std::min(y0 + 1, t.height - 1);
    const float ax = fx - float(x0), ay = fy - float(y0);
    for (int c = 0; c < 4; ++c) {
        auto at = [&](int x, int y) { return float(t.rgba[(size_t(y) * t.width + x) * 4 + c]); };
        const float top = at(x0, y0) + (at(x1, y0) - at(x0, y0)) * ax;
        const float bottom = at(x0, y1) + (at(x1, y1) - at(x0, y1)) * ax;
        out[c] = (top + (bottom - top) * ay) / 255.0f;
    }
}

// Lit colour of a surface point: texture times vertex colour under ambient
// and diffuse light, plus a white highlight.
void Shade(const IconTexture &texture, const ScreenVertex &p, float out[4]) {
    float texel[4];
    Sample(texture, p.u, p.v, texel);
    const Vec3 n = Normalised(p.normal);
    const Vec3 l = Normalised({kLight[0], kLight[1], kLight[2]});
    const Vec3 h = Normalised({l.x, l.y, l.z - 1.0f}); // viewer along -z
    const float diffuse = std::max(0.0f, n.x * l.x + n.y * l.y + n.z * l.z);
    const float highlight =
        diffuse > 0.0f ? std::pow(std::max(0.0f, n.x * h.x + n.y * h.y + n.z * h.z), kShininess)
                       : 0.0f;
    for (int c = 0; c < 3; ++c)
        out[c] = std::min(1.0f, texel[c] * p.rgba[c] * (kAmbient + kDiffuse * diffuse) +
                                    kSpecular * highlight);
    out[3] = texel[3] * p.rgba[3];
}

} // namespace

std::vector<uint8_t> RenderMedallion(const IconMesh &mesh, const IconTexture &texture, int size,
                                     int samples) {
    std::vector<uint8_t> out(size_t(size) * size * 4, 0);
    if (size <= 0 || samples <= 0 || mesh.triangles.size() < 3)
        return out;

    // Fit the posed model's outline into the square.
    std::vector<Vec3> posed;
    posed.reserve(mesh.triangles.size());
    float minX = std::numeric_limits<float>::max(), maxX = -minX, minY = minX, maxY = -minX;
    for (const IconVertex &v : mesh.triangles) {
        const Vec3 p = Posed(v.x, v.y, v.z);
        posed.push_back(p);
        minX = std::min(minX, -p.x), maxX = std::max(maxX, -p.x);
        minY = std::min(minY, -p.y), maxY = std::max(maxY, -p.y);
    }
    const int side = size * samples;
    const float extent = std::max(maxX - minX, maxY - minY);
    if (!(extent > 0.0f))
        return out;
    const float scale = float(side) * (1.0f - 2.0f * kMargin) / extent;
    const float offsetX = 0.5f * float(side) - scale * 0.5f * (minX + maxX);
    const float offsetY = 0.5f * float(side) - scale * 0.5f * (minY + maxY);

    std::vector<float> colour(size_t(side) * side * 4, 0.0f); // premultiplied
    std::vector<float> depth(size_t(side) * side, std::numeric_limits<float>::max());
    for (size_t t = 0; t + 2 < mesh.triangles.size(); t += 3) {
        ScreenVertex s[3];
        for (int k = 0; k < 3; ++k) {
            const IconVertex &v = mesh.triangles[t + k];
            const Vec3 p = posed[t + k];
            s[k].sx = offsetX - scale * p.x;
            s[k].sy = offsetY - scale * p.y;
            s[k].depth = p.z;
            s[k].normal = Posed(v.nx, v.ny, v.nz);
            s[k].u = v.u;
            s[k].v = v.v;
            std::copy(v.rgba, v.rgba + 4, s[k].rgba);
        }
        const float area = (s[1].sx - s[0].sx) * (s[2].sy - s[0].sy) -
                           (s[2].sx - s[0].sx) * (s[1].sy - s[0].sy);
        if (std::fabs(area) < 1e-12f)
            continue;
        const int x0 = std::max(0, int(std::floor(std::min({s[0].sx, s[1].sx, s[2].sx}))));
        const int x1 = std::min(side - 1, int(std::ceil(std::max({s[0].sx, s[1].sx, s[2].sx}))));
        const int y0 = std::max(0, int(std::floor(std::min({s[0].sy, s[1].sy, s[2].sy}))));
        const int y1 = std::min(side - 1, int(std::ceil(std::max({s[0].sy, s[1].sy, s[2].sy}))));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const float px = float(x) + 0.5f, py = float(y) + 0.5f;
                float w[3];
                for (int k = 0; k < 3; ++k) {
                    const ScreenVertex &a = s[(k + 1) % 3], &b = s[(k + 2) % 3];
                    w[k] = ((b.sx - a.sx) * (py - a.sy) - (px - a.sx) * (b.sy - a.sy)) / area;
                }
                if (w[0] < 0.0f || w[1] < 0.0f || w[2] < 0.0f)
                    continue;
                const size_t at = size_t(y) * side + x;
                const float z = w[0] * s[0].depth + w[1] * s[1].depth + w[2] * s[2].depth;
                if (!(z < depth[at]))
                    continue;
                depth[at] = z;
                ScreenVertex p;
                p.normal = {0.0f, 0.0f, 0.0f};
                p.u = p.v = 0.0f;
                std::fill(p.rgba, p.rgba + 4, 0.0f);
                for (int k = 0; k < 3; ++k) {
                    p.normal.x += w[k] * s[k].normal.x;
                    p.normal.y += w[k] * s[k].normal.y;
                    p.normal.z += w[k] * s[k].normal.z;
                    p.u += w[k] * s[k].u;
                    p.v += w[k] * s[k].v;
                    for (int c = 0; c < 4; ++c)
                        p.rgba[c] += w[k] * s[k].rgba[c];
                }
                float lit[4];
                Shade(texture, p, lit);
                for (int c = 0; c < 3; ++c)
                    colour[at * 4 + c] = lit[c] * lit[3];
                colour[at * 4 + 3] = lit[3];
            }
        }
    }

    // Box filter down to the icon's pixels, back to straight alpha.
    const float cells = float(samples * samples);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float sum[4] = {0.0f, 0.0f, 0.0f, 0.0f};
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx) {
                    const size_t at = (size_t(y * samples + sy) * side + x * samples + sx) * 4;
                    for (int c = 0; c < 4; ++c)
                        sum[c] += colour[at + c];
                }
            uint8_t *px = &out[(size_t(y) * size + x) * 4];
            const float alpha = sum[3] / cells;
            for (int c = 0; c < 3; ++c)
                px[c] = alpha > 0.0f ? uint8_t(std::lround(std::min(1.0f, sum[c] / sum[3]) * 255.0f))
                                     : 0;
            px[3] = uint8_t(std::lround(std::min(1.0f, alpha) * 255.0f));
        }
    }
    return out;
}
