#include "model_file.h"

#include <cstring>

namespace {

constexpr uint32_t kTriangles = 3;
constexpr size_t kNameBytes = 80;

void PutU32(std::vector<uint8_t> &out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

void PutU16(std::vector<uint8_t> &out, uint16_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void PutFloat(std::vector<uint8_t> &out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    PutU32(out, bits);
}

void PutName(std::vector<uint8_t> &out, const char *name) {
    const size_t n = std::strlen(name);
    for (size_t i = 0; i < kNameBytes; ++i)
        out.push_back(i < n ? uint8_t(name[i]) : 0);
}

void PutVertex(std::vector<uint8_t> &out, const LogoVertex &v) {
    PutFloat(out, v.u);
    PutFloat(out, v.v);
    out.push_back(v.r);
    out.push_back(v.g);
    out.push_back(v.b);
    out.push_back(v.a);
    PutFloat(out, v.nx);
    PutFloat(out, v.ny);
    PutFloat(out, v.nz);
    PutFloat(out, v.x);
    PutFloat(out, v.y);
    PutFloat(out, v.z);
}

void PutTriangleList(std::vector<uint8_t> &out, const std::vector<uint16_t> &indices) {
    PutU32(out, kTriangles);
    PutU32(out, uint32_t(indices.size()));
    PutU32(out, 0); // no own vertices: the list indexes the shared ones
    for (uint16_t i : indices)
        PutU16(out, i);
}

} // namespace

std::vector<uint8_t> EncodeLogoModel(const LogoMesh &mesh) {
    std::vector<uint8_t> out;
    PutU32(out, 1); // meshes
    PutU32(out, 1); // materials
    for (float f : mesh.boundsMin)
        PutFloat(out, f);
    for (float f : mesh.boundsMax)
        PutFloat(out, f);

    PutName(out, "logo");
    PutU32(out, 1);                              // ungrouped primitives
    PutU32(out, uint32_t(mesh.vertices.size())); // shared vertices
    PutU32(out, 1);                              // material groups
    for (const LogoVertex &v : mesh.vertices)
        PutVertex(out, v);
    PutTriangleList(out, mesh.indices);
    PutU32(out, 0); // group: material 0
    PutU32(out, 1); // one primitive
    PutTriangleList(out, mesh.indices);

    PutName(out, "logo");
    PutName(out, "logo.png");
    // Ambient, diffuse and specular words: no colours are defined for them.
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    return out;
}
