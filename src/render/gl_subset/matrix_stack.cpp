#include "render/gl_subset/matrix_stack.h"

#include <cmath>

CGlMatrixStack::CGlMatrixStack(int capacity)
    : m_capacity(capacity < 1 ? 1 : capacity > kMaxDepth ? kMaxDepth : capacity) {
    m_items[0] = MatrixIdentity;
}

void CGlMatrixStack::Multiply(const CMatrix4 &m) {
    CMatrix4 product = m;
    product.Multiply(Top());
    Load(product);
}

bool CGlMatrixStack::Push() {
    if (m_depth >= m_capacity)
        return false;
    m_items[m_depth] = m_items[m_depth - 1];
    ++m_depth;
    return true;
}

bool CGlMatrixStack::Pop() {
    if (m_depth <= 1)
        return false;
    --m_depth;
    return true;
}

bool GlFrustumMatrix(float l, float r, float b, float t, float n, float f, CMatrix4 *out) {
    if (n <= 0.0f || f <= 0.0f || l == r || b == t || n == f)
        return false;
    *out = CMatrix4(2 * n / (r - l), 0, 0, 0,
                    0, 2 * n / (t - b), 0, 0,
                    (r + l) / (r - l), (t + b) / (t - b), -(f + n) / (f - n), -1,
                    0, 0, -2 * f * n / (f - n), 0);
    return true;
}

bool GlOrthoMatrix(float l, float r, float b, float t, float n, float f, CMatrix4 *out) {
    if (l == r || b == t || n == f)
        return false;
    *out = CMatrix4(2 / (r - l), 0, 0, 0,
                    0, 2 / (t - b), 0, 0,
                    0, 0, -2 / (f - n), 0,
                    -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1);
    return true;
}

bool GlPerspectiveMatrix(float fovy, float aspect, float n, float f, CMatrix4 *out) {
    const float half = fovy * 3.14159265358979f / 360.0f;
    const float s = std::sin(half);
    if (n <= 0.0f || f <= 0.0f || n == f || aspect == 0.0f || s == 0.0f)
        return false;
    const float cot = std::cos(half) / s;
    *out = CMatrix4(cot / aspect, 0, 0, 0,
                    0, cot, 0, 0,
                    0, 0, -(f + n) / (f - n), -1,
                    0, 0, -2 * f * n / (f - n), 0);
    return true;
}
