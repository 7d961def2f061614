#include "render/primitives.h"

#include "math/matrix.h"
#include "render/render_device.h"
#include "render/texture.h"

#include <GL/gl.h>

namespace {

constexpr GLenum kGLPrimitive[] = {GL_POINTS,    GL_LINES,          GL_LINE_STRIP,
                                   GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN};
constexpr unsigned kPrimitiveCount = sizeof kGLPrimitive / sizeof kGLPrimitive[0];

// The coloured quad's record in the frame vertex arena (16 bytes).
struct ColourVertex {
    PackedColour colour;
    float x, y, z;
};
static_assert(sizeof(ColourVertex) == 16, "coloured quad record is 16 bytes");

void UseTexture(CTexture *texture) {
    if (texture)
        texture->Bind();
    else
        glDisable(GL_TEXTURE_2D);
}

void SendColour(PackedColour c) {
    glColor4ub(GLubyte(c), GLubyte(c >> 8), GLubyte(c >> 16), GLubyte(c >> 24));
}

void Send2D(const Vertex2D &v) {
    glTexCoord2f(v.u, v.v);
    SendColour(v.colour);
    glVertex2f(v.x, v.y);
}

void Send3D(const Vertex3D &v, const CMatrix4 &world) {
    const CVector3 p = world.TransformPoint(CVector3(v.x, v.y, v.z));
    glTexCoord2f(v.u, v.v);
    glNormal3f(v.nx, v.ny, v.nz);
    SendColour(v.colour);
    glVertex3f(p.x, p.y, p.z);
}

} // namespace

void DrawPrimitive2D(unsigned type, CTexture *texture, const Vertex2D *vertices, unsigned count) {
    Begin2D();
    UseTexture(texture);
    if (type >= kPrimitiveCount)
        return;
    glBegin(kGLPrimitive[type]);
    for (unsigned i = 0; i < count; ++i)
        Send2D(vertices[i]);
    glEnd();
}

void DrawPrimitive3D(unsigned type, CTexture *texture, const Vertex3D *vertices, unsigned count) {
    End2D();
    UseTexture(texture);
    if (type >= kPrimitiveCount)
        return;
    const CMatrix4 &world = GetWorldMatrix();
    glBegin(kGLPrimitive[type]);
    for (unsigned i = 0; i < count; ++i)
        Send3D(vertices[i], world);
    glEnd();
}

void DrawIndexedPrimitive3D(unsigned type, CTexture *texture, unsigned indexCount,
                            const uint16_t *indices, const Vertex3D *vertices) {
    End2D();
    UseTexture(texture);
    if (type >= kPrimitiveCount)
        return;
    const CMatrix4 &world = GetWorldMatrix();
    glBegin(kGLPrimitive[type]);
    for (unsigned i = 0; i < indexCount; ++i)
        Send3D(vertices[indices[i]], world);
    glEnd();
}

void DrawColouredQuad(const CVector2 &position, const CVector2 &size, PackedColour c0,
                      PackedColour c1, PackedColour c2, PackedColour c3) {
    ColourVertex *q = static_cast<ColourVertex *>(AllocFrameBytes(4 * sizeof(ColourVertex)));
    if (!q)
        return; // the arena is full this frame: the quad is not drawn
    const float x = position.x, y = position.y, w = size.x, h = size.y;
    q[0] = {c0, x, y, 0.0f};
    q[1] = {c1, x + w, y, 0.0f};
    q[2] = {c2, x, y + h, 0.0f};
    q[3] = {c3, x + w, y + h, 0.0f};
    Begin2D();
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < 4; ++i) {
        SendColour(q[i].colour);
        glVertex2f(q[i].x, q[i].y);
    }
    glEnd();
}

void DrawTexturedQuadGradient(CTexture *texture, const CVector2 &position, const CVector2 &size,
                              PackedColour c0, PackedColour c1, PackedColour c2, PackedColour c3) {
    Vertex2D *q = nullptr;
    AllocFrameVertices(4, &q);
    if (!q)
        return; // the arena is full this frame: the quad is not drawn
    const float x = position.x, y = position.y, w = size.x, h = size.y;
    q[0] = {0.0f, 0.0f, c0, x, y, 0.0f};
    q[1] = {0.0f, 1.0f, c2, x, y + h, 0.0f};
    q[2] = {1.0f, 0.0f, c1, x + w, y, 0.0f};
    q[3] = {1.0f, 1.0f, c3, x + w, y + h, 0.0f};
    Begin2D();
    UseTexture(texture);
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < 4; ++i)
        Send2D(q[i]);
    glEnd();
}

void DrawTexturedQuad(CTexture *texture, const CVector2 &position, const CVector2 &size,
                      PackedColour colour) {
    DrawTexturedQuadGradient(texture, position, size, colour, colour, colour, colour);
}
