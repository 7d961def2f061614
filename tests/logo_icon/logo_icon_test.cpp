#include "icon_files.h"
#include "medallion_render.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

// A flat square of half-side `r` at depth z facing the camera (normal -z),
// textured as the logo is: u grows towards -x, v = 0 at the top (+y).
void AddSquare(IconMesh &mesh, float r, float z) {
    auto at = [&](float x, float y) {
        IconVertex v{x, y, z, 0.0f, 0.0f, -1.0f, 0.5f - x / (2 * r), 0.5f - y / (2 * r), {1, 1, 1, 1}};
        return v;
    };
    const IconVertex a = at(-r, -r), b = at(r, -r), c = at(r, r), d = at(-r, r);
    mesh.triangles.insert(mesh.triangles.end(), {a, b, c, a, c, d});
}

// 2x2 texels: red, green over blue, white (rows top first).
IconTexture Quadrants() {
    IconTexture t;
    t.width = t.height = 2;
    t.rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    return t;
}

IconTexture Flat(uint8_t r, uint8_t g, uint8_t b) {
    IconTexture t;
    t.width = t.height = 1;
    t.rgba = {r, g, b, 255};
    return t;
}

const uint8_t *Pixel(const std::vector<uint8_t> &image, int size, int x, int y) {
    return &image[(size_t(y) * size + x) * 4];
}

// 0 red, 1 green, 2 blue, 3 white (lit, so a light grey).
int Dominant(const uint8_t *p) {
    if (p[0] > 100 && p[0] == p[1] && p[1] == p[2])
        return 3;
    return p[0] > p[1] && p[0] > p[2] ? 0 : (p[1] > p[2] ? 1 : 2);
}

// The picture stands upright and unmirrored as the scene's camera sees it,
// on a transparent ground, the model filling the square.
TEST(RenderMedallion, ShowsTheTextureUprightOnATransparentGround) {
    IconMesh mesh;
    AddSquare(mesh, 0.3f, 0.0f);
    const int size = 64;
    const std::vector<uint8_t> image = RenderMedallion(mesh, Quadrants(), size, 2);
    ASSERT_EQ(image.size(), size_t(size * size * 4));
    struct Case {
        int x, y, colour;
    } cases[] = {{16, 16, 0}, {48, 16, 1}, {16, 48, 2}, {48, 48, 3}};
    for (const Case &c : cases) {
        const uint8_t *p = Pixel(image, size, c.x, c.y);
        EXPECT_EQ(p[3], 255) << c.x << "," << c.y;
        EXPECT_EQ(Dominant(p), c.colour) << c.x << "," << c.y << ": " << int(p[0]) << " "
                                         << int(p[1]) << " " << int(p[2]);
    }
    for (int corner : {0, size - 1})
        EXPECT_EQ(Pixel(image, size, corner, 0)[3], 0);
    int covered = 0;
    for (size_t i = 3; i < image.size(); i += 4)
        covered += image[i] > 0;
    EXPECT_GT(covered, size * size * 3 / 4) << "the model fills the square";
}

// The nearer surface wins whatever the drawing order.
TEST(RenderMedallion, NearerSurfaceHidesFartherInEitherOrder) {
    for (bool nearFirst : {true, false}) {
        IconMesh nearMesh, farMesh, mesh;
        AddSquare(nearMesh, 0.2f, -0.1f);
        AddSquare(farMesh, 0.3f, 0.1f);
        // The near square is red, the far one green: tint by vertex colour.
        for (IconVertex &v : farMesh.triangles)
            v.rgba[0] = v.rgba[2] = 0.0f;
        for (IconVertex &v : nearMesh.triangles)
            v.rgba[1] = v.rgba[2] = 0.0f;
        const IconMesh &first = nearFirst ? nearMesh : farMesh;
        const IconMesh &second = nearFirst ? farMesh : nearMesh;
        mesh.triangles = first.triangles;
        mesh.triangles.insert(mesh.triangles.end(), second.triangles.begin(), second.triangles.end());
        const std::vector<uint8_t> image = RenderMedallion(mesh, Flat(255, 255, 255), 32, 1);
        EXPECT_EQ(Dominant(Pixel(image, 32, 16, 16)), 0) << "near first: " << nearFirst;
        EXPECT_EQ(Dominant(Pixel(image, 32, 3, 16)), 1) << "near first: " << nearFirst;
    }
}

TEST(RenderMedallion, NothingToDrawGivesATransparentImage) {
    IconMesh degenerate;
    AddSquare(degenerate, 0.0f, 0.0f);
    for (const IconMesh &mesh : {IconMesh{}, degenerate}) {
        const std::vector<uint8_t> image = RenderMedallion(mesh, Flat(255, 0, 0), 8, 2);
        ASSERT_EQ(image.size(), size_t(8 * 8 * 4));
        for (uint8_t byte : image)
            ASSERT_EQ(byte, 0);
    }
}

uint32_t U32(const std::vector<uint8_t> &b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

// The directory names every picture; small ones are bitmaps with the
// doubled height, bottom-up BGRA rows and an AND mask set where transparent;
// the 256-pixel one is the PNG file as it is.
TEST(EncodeIconFile, LaysOutDirectoryBitmapsAndPng) {
    // Per process: other checkouts may run this suite at the same time.
    const std::string png = testing::TempDir() + "/icon-256-" + std::to_string(getpid()) + ".png";
    const std::vector<uint8_t> pngBytes = {0x89, 'P', 'N', 'G', 1, 2, 3};
    FILE *f = std::fopen(png.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(pngBytes.data(), 1, pngBytes.size(), f);
    std::fclose(f);

    IconImage small{2, {10, 20, 30, 255, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}};
    IconImage large{256, std::vector<uint8_t>(256 * 256 * 4, 9)};
    const std::vector<uint8_t> ico = EncodeIconFile({small, large}, png);
    std::remove(png.c_str());
    ASSERT_GE(ico.size(), size_t(6 + 2 * 16));
    EXPECT_EQ(ico[2] | ico[3] << 8, 1); // icon
    EXPECT_EQ(ico[4] | ico[5] << 8, 2);
    EXPECT_EQ(ico[6], 2);
    EXPECT_EQ(ico[6 + 16], 0); // 256 is written as 0

    const uint32_t bmpSize = U32(ico, 6 + 8), bmp = U32(ico, 6 + 12);
    const uint32_t pngSize = U32(ico, 22 + 8), pngAt = U32(ico, 22 + 12);
    EXPECT_EQ(bmp, 6u + 2 * 16);
    EXPECT_EQ(pngAt, bmp + bmpSize);
    ASSERT_EQ(pngAt + pngSize, ico.size());
    EXPECT_EQ(std::vector<uint8_t>(ico.begin() + pngAt, ico.end()), pngBytes);

    EXPECT_EQ(U32(ico, bmp), 40u);
    EXPECT_EQ(U32(ico, bmp + 4), 2u);
    EXPECT_EQ(U32(ico, bmp + 8), 4u);
    const size_t rows = bmp + 40;
    // Bottom row first: pixel (0,1) is 1,2,3,4 stored as B,G,R,A.
    EXPECT_EQ(std::vector<uint8_t>(ico.begin() + rows, ico.begin() + rows + 4),
              (std::vector<uint8_t>{3, 2, 1, 4}));
    const size_t mask = rows + 2 * 2 * 4;
    EXPECT_EQ(bmpSize, 40u + 16 + 2 * 4);
    EXPECT_EQ(ico[mask], 0x00);     // bottom row: both opaque
    EXPECT_EQ(ico[mask + 4], 0x40); // top row: the second pixel transparent
}

TEST(EncodeIconFile, RefusesWhatAnIconCannotHold) {
    const std::string missing = testing::TempDir() + "/no-such-icon.png";
    std::remove(missing.c_str());
    struct Case {
        const char *what;
        IconImage image;
    } cases[] = {
        {"larger than 256", {257, std::vector<uint8_t>(257 * 257 * 4)}},
        {"pixels short of the size", {4, std::vector<uint8_t>(10)}},
        {"256 without its PNG", {256, std::vector<uint8_t>(256 * 256 * 4)}},
    };
    for (const Case &c : cases)
        EXPECT_TRUE(EncodeIconFile({c.image}, missing).empty()) << c.what;
}

} // namespace
