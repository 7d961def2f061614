#include "render/gl_subset/batch.h"

bool CGlBatch::Begin(unsigned mode) {
    if (m_open)
        return false;
    switch (mode) {
    case kGlPoints:
    case kGlLines:
    case kGlLineStrip:
    case kGlTriangles:
    case kGlTriangleStrip:
    case kGlTriangleFan:
        break;
    default:
        return false;
    }
    m_mode = mode;
    m_open = true;
    m_pending.clear();
    return true;
}

void CGlBatch::Add(const GlVertexOut &v) {
    if (m_open)
        m_pending.push_back(v);
}

bool CGlBatch::End() {
    if (!m_open)
        return false;
    m_open = false;
    const std::vector<GlVertexOut> &v = m_pending;
    const size_t n = v.size();
    switch (m_mode) {
    case kGlPoints:
        m_points.insert(m_points.end(), v.begin(), v.end());
        break;
    case kGlLines:
        m_lines.insert(m_lines.end(), v.begin(), v.begin() + static_cast<long>(n - n % 2));
        break;
    case kGlLineStrip:
        for (size_t i = 1; i < n; ++i) {
            m_lines.push_back(v[i - 1]);
            m_lines.push_back(v[i]);
        }
        break;
    case kGlTriangles:
        m_triangles.insert(m_triangles.end(), v.begin(), v.begin() + static_cast<long>(n - n % 3));
        break;
    case kGlTriangleStrip:
        for (size_t i = 2; i < n; ++i) {
            const bool odd = (i % 2) == 1;
            m_triangles.push_back(v[odd ? i - 1 : i - 2]);
            m_triangles.push_back(v[odd ? i - 2 : i - 1]);
            m_triangles.push_back(v[i]);
        }
        break;
    case kGlTriangleFan:
        for (size_t i = 2; i < n; ++i) {
            m_triangles.push_back(v[0]);
            m_triangles.push_back(v[i - 1]);
            m_triangles.push_back(v[i]);
        }
        break;
    }
    m_pending.clear();
    return true;
}

void CGlBatch::Clear() {
    m_points.clear();
    m_lines.clear();
    m_triangles.clear();
}
