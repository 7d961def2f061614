#pragma once
#include "render/vertex.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

// Writes model files field by field for tests, remembering where named
// fields start so that tests can damage exactly one of them.
class CModelFileBuilder {
  public:
    void U32(uint32_t value, const char *mark = nullptr) {
        Mark(mark);
        for (int i = 0; i < 4; ++i)
            bytes.push_back(uint8_t(value >> (8 * i)));
    }
    void U16(uint16_t value, const char *mark = nullptr) {
        Mark(mark);
        bytes.push_back(uint8_t(value));
        bytes.push_back(uint8_t(value >> 8));
    }
    void F32(float value) {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        U32(bits);
    }
    void Name(const char *name) {
        const size_t n = std::strlen(name);
        for (size_t i = 0; i < 80; ++i)
            bytes.push_back(i < n ? uint8_t(name[i]) : 0);
    }
    void Vertex(const Vertex3D &v) {
        const size_t at = bytes.size();
        bytes.resize(at + sizeof v);
        std::memcpy(&bytes[at], &v, sizeof v);
    }
    void Header(uint32_t meshes, uint32_t materials, const float min[3], const float max[3]) {
        U32(meshes, "meshes");
        U32(materials, "materials");
        for (int i = 0; i < 3; ++i)
            F32(min[i]);
        for (int i = 0; i < 3; ++i)
            F32(max[i]);
    }
    void Material(const char *name, uint32_t ambient, uint32_t diffuse, uint32_t specular) {
        Name(name);
        Name("texture.png");
        U32(ambient);
        U32(diffuse);
        U32(specular);
    }

    // Offset of a marked field; the first mark of a name wins.
    size_t At(const std::string &mark) const { return marks.at(mark); }
    void Overwrite32(size_t offset, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[offset + i] = uint8_t(value >> (8 * i));
    }
    void Overwrite16(size_t offset, uint16_t value) {
        bytes[offset] = uint8_t(value);
        bytes[offset + 1] = uint8_t(value >> 8);
    }

    std::vector<uint8_t> bytes;
    std::map<std::string, size_t> marks;

  private:
    void Mark(const char *mark) {
        if (mark)
            marks.emplace(mark, bytes.size());
    }
};

// A vertex with a recognisable position.
inline Vertex3D TestVertex(float x, float y, float z) {
    Vertex3D v;
    v.u = x;
    v.v = y;
    v.colour = 0xFFFFFFFFu;
    v.nx = 0.0f;
    v.ny = 0.0f;
    v.nz = -1.0f;
    v.x = x;
    v.y = y;
    v.z = z;
    return v;
}

// A model without materials: one mesh of 3 shared vertices, an indexed
// triangle (0, 1, 2) and a triangle with 3 own vertices beside indices
// (2, 1, 0). Header bounds (-5, -6, -7) to (5, 6, 7) differ from the vertices.
CModelFileBuilder BuildUnmaterialledModel();

// A model with two materials: one mesh of 4 shared vertices; ungrouped: a
// triangle of 3 own vertices beside indices (0, 1, 2); group 0 (material 0): an indexed triangle
// (1, 2, 3); group 1 (material 1): a triangle fan of 4 own vertices beside
// indices (3, 0). Marks name every count, type, index and material field.
CModelFileBuilder BuildMaterialledModel();
