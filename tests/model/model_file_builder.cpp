#include "model/model_file_builder.h"

namespace {

const float kMin[3] = {-5.0f, -6.0f, -7.0f};
const float kMax[3] = {5.0f, 6.0f, 7.0f};

} // namespace

CModelFileBuilder BuildUnmaterialledModel() {
    CModelFileBuilder b;
    b.Header(1, 0, kMin, kMax);
    b.Name("plain");
    b.U32(2); // ungrouped primitives
    b.U32(3); // shared vertices
    b.U32(0); // groups
    b.Vertex(TestVertex(0, 0, 0));
    b.Vertex(TestVertex(1, 0, 0));
    b.Vertex(TestVertex(0, 1, 0));
    b.U32(kPrimTriangles);
    b.U32(3);
    b.U32(0);
    b.U16(0);
    b.U16(1);
    b.U16(2);
    b.U32(kPrimTriangles);
    b.U32(3);
    b.U32(3);
    b.U16(2);
    b.U16(1);
    b.U16(0);
    b.Vertex(TestVertex(0, 0, 1));
    b.Vertex(TestVertex(1, 0, 1));
    b.Vertex(TestVertex(0, 1, 1));
    return b;
}

CModelFileBuilder BuildMaterialledModel() {
    CModelFileBuilder b;
    b.Header(1, 2, kMin, kMax);
    b.Name("two materials");
    b.U32(1, "A");
    b.U32(4, "V");
    b.U32(2, "G");
    for (int i = 0; i < 4; ++i)
        b.Vertex(TestVertex(float(i), float(i % 2), 0));
    // Ungrouped primitive.
    b.U32(kPrimTriangles, "type");
    b.U32(3, "I");
    b.U32(3, "N");
    b.U16(0, "index");
    b.U16(1);
    b.U16(2);
    for (int i = 0; i < 3; ++i)
        b.Vertex(TestVertex(float(i), 5.0f, 5.0f));
    // Group 0.
    b.U32(0, "material");
    b.U32(1, "P");
    b.U32(kPrimTriangles, "group type");
    b.U32(3, "group I");
    b.U32(0);
    b.U16(1, "group index");
    b.U16(2);
    b.U16(3);
    // Group 1: own vertices beside two indices.
    b.U32(1, "material 1");
    b.U32(1, "P 1");
    b.U32(kPrimTriangleFan, "fan type");
    b.U32(2, "fan I");
    b.U32(4, "fan N");
    b.U16(3, "fan index");
    b.U16(0);
    for (int i = 0; i < 4; ++i)
        b.Vertex(TestVertex(float(i), 2.0f, 1.0f));
    b.marks.emplace("material table", b.bytes.size());
    b.Material("first", 0x11111111u, 0x22222222u, 0x33333333u);
    b.Material("second", 0xDEADBEEFu, 0u, 0xFFFFFFFFu);
    return b;
}
