#pragma once
// The fixed-function matrix stacks of the GL subset the web backend draws
// with, and the projection matrices glFrustum, glOrtho and gluPerspective
// multiply in. Plain C++: no GL header, so it builds and is tested natively.
#include "math/matrix.h"

// One stack (model-view 32 deep, projection and texture 2, as GL's minimums).
// Overflow and underflow leave the stack as it was and report false, where
// GL would record GL_STACK_OVERFLOW or GL_STACK_UNDERFLOW.
class CGlMatrixStack {
  public:
    static constexpr int kMaxDepth = 32;

    // capacity is clamped to 1..kMaxDepth.
    explicit CGlMatrixStack(int capacity);

    const CMatrix4 &Top() const { return m_items[m_depth - 1]; }
    int Depth() const { return m_depth; }

    void Load(const CMatrix4 &m) { m_items[m_depth - 1] = m; }
    void LoadIdentity() { m_items[m_depth - 1] = MatrixIdentity; }
    // Top becomes Top x m: m applies to vertices first, as glMultMatrixf.
    void Multiply(const CMatrix4 &m);
    bool Push();
    bool Pop();

  private:
    CMatrix4 m_items[kMaxDepth];
    int m_depth = 1;
    int m_capacity;
};

// The matrices of glFrustum, glOrtho and gluPerspective (fovy in degrees).
// Degenerate arguments (zero width, height or depth; near or far not above 0
// for the perspective ones) return false and leave *out alone, as
// GL ignores the call with GL_INVALID_VALUE.
bool GlFrustumMatrix(float left, float right, float bottom, float top, float nearZ, float farZ,
                     CMatrix4 *out);
bool GlOrthoMatrix(float left, float right, float bottom, float top, float nearZ, float farZ,
                   CMatrix4 *out);
bool GlPerspectiveMatrix(float fovyDegrees, float aspect, float nearZ, float farZ, CMatrix4 *out);
