#include "icon_files.h"

#include "model/pmd_model.h"

#include <png.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

std::vector<uint8_t> ReadBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

IconVertex FromModel(const Vertex3D &v) {
    IconVertex out;
    out.x = v.x, out.y = v.y, out.z = v.z;
    out.nx = v.nx, out.ny = v.ny, out.nz = v.nz;
    out.u = v.u, out.v = v.v;
    for (int c = 0; c < 4; ++c)
        out.rgba[c] = float((v.colour >> (8 * c)) & 0xFFu) / 255.0f;
    return out;
}

// Appends a primitive's triangles; indices past the shared vertices were
// already refused by the parser.
void AddPrimitive(IconMesh &mesh, const CPMDPrimitive &p, const CPMDMesh &owner) {
    const bool own = p.vertexCount > 0;
    const uint32_t count = own ? p.vertexCount : p.indexCount;
    auto vertex = [&](uint32_t i) {
        return FromModel(own ? p.vertices[i] : owner.vertices[p.indices[i]]);
    };
    for (uint32_t i = 0; i + 2 < count; ++i) {
        uint32_t a, b, c;
        if (p.type == kPrimTriangles) {
            if (i % 3 != 0)
                continue;
            a = i, b = i + 1, c = i + 2;
        } else if (p.type == kPrimTriangleStrip) {
            a = i, b = (i % 2) ? i + 2 : i + 1, c = (i % 2) ? i + 1 : i + 2;
        } else if (p.type == kPrimTriangleFan) {
            a = 0, b = i + 1, c = i + 2;
        } else {
            return;
        }
        mesh.triangles.push_back(vertex(a));
        mesh.triangles.push_back(vertex(b));
        mesh.triangles.push_back(vertex(c));
    }
}

void PutU16(std::vector<uint8_t> &out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutU32(std::vector<uint8_t> &out, uint32_t v) {
    PutU16(out, v & 0xFFFFu);
    PutU16(out, v >> 16);
}

// BITMAPINFOHEADER with the doubled height of icon bitmaps, BGRA rows bottom
// up, then the AND mask (1 = transparent), rows padded to 32 bits.
std::vector<uint8_t> IconBitmap(const IconImage &image) {
    std::vector<uint8_t> out;
    const int n = image.size;
    const uint32_t maskRow = uint32_t((n + 31) / 32 * 4);
    PutU32(out, 40);
    PutU32(out, uint32_t(n));
    PutU32(out, uint32_t(2 * n));
    PutU16(out, 1);
    PutU16(out, 32);
    PutU32(out, 0); // BI_RGB
    PutU32(out, uint32_t(n * n * 4) + maskRow * uint32_t(n));
    for (int i = 0; i < 4; ++i)
        PutU32(out, 0);
    for (int y = n - 1; y >= 0; --y)
        for (int x = 0; x < n; ++x) {
            const uint8_t *p = &image.rgba[(size_t(y) * n + x) * 4];
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskRow, 0);
        for (int x = 0; x < n; ++x)
            if (image.rgba[(size_t(y) * n + x) * 4 + 3] == 0)
                row[size_t(x / 8)] |= uint8_t(0x80u >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

} // namespace

IconMesh ReadLogoMesh(const std::string &path) {
    IconMesh mesh;
    const std::vector<uint8_t> bytes = ReadBytes(path);
    std::unique_ptr<IPMDModel> model(IPMDModel::Parse(bytes.data(), bytes.size()));
    if (!model)
        return mesh;
    for (uint32_t m = 0; m < model->MeshCount(); ++m) {
        const CPMDMesh &owner = model->Mesh(m);
        for (uint32_t g = 0; g < owner.groupCount; ++g)
            for (uint32_t p = 0; p < owner.groups[g].primitiveCount; ++p)
                AddPrimitive(mesh, owner.groups[g].primitives[p], owner);
    }
    return mesh;
}

IconTexture ReadTexture(const std::string &path) {
    IconTexture texture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return texture;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return texture;
    }
    texture.width = int(image.width);
    texture.height = int(image.height);
    texture.rgba = std::move(rgba);
    return texture;
}

std::vector<uint8_t> EncodeIconFile(const std::vector<IconImage> &images, const std::string &png256) {
    std::vector<std::vector<uint8_t>> bodies;
    for (const IconImage &image : images) {
        if (image.size <= 0 || image.size > 256 ||
            image.rgba.size() != size_t(image.size) * image.size * 4)
            return {};
        bodies.push_back(image.size == 256 ? ReadBytes(png256) : IconBitmap(image));
        if (bodies.back().empty())
            return {};
    }
    std::vector<uint8_t> out;
    PutU16(out, 0);
    PutU16(out, 1); // icon
    PutU16(out, uint32_t(images.size()));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(uint8_t(images[i].size & 0xFF)); // 0 stands for 256
        out.push_back(uint8_t(images[i].size & 0xFF));
        out.push_back(0); // no palette
        out.push_back(0);
        PutU16(out, 1);  // planes
        PutU16(out, 32); // bits per pixel
        PutU32(out, uint32_t(bodies[i].size()));
        PutU32(out, offset);
        offset += uint32_t(bodies[i].size());
    }
    for (const std::vector<uint8_t> &body : bodies)
        out.insert(out.end(), body.begin(), body.end());
    return out;
}
