#pragma once
// Primitive assembly of the GL subset: what glBegin .. glEnd gives, turned
// into independent point, line and triangle lists, so everything drawn under
// the same GL state is one WebGL draw per list. Plain C++, tested natively.
#include "render/gl_subset/vertex_pipeline.h"

#include <vector>

// The glBegin modes the program uses, with GL's values.
enum GlPrimitive : unsigned {
    kGlPoints = 0x0000,
    kGlLines = 0x0001,
    kGlLineStrip = 0x0003,
    kGlTriangles = 0x0004,
    kGlTriangleStrip = 0x0005,
    kGlTriangleFan = 0x0006,
};

class CGlBatch {
  public:
    // Starts a primitive; false (and nothing started) for an unknown mode or
    // while one is open, where GL records an error.
    bool Begin(unsigned mode);
    // Adds a vertex of the open primitive; ignored outside Begin .. End.
    void Add(const GlVertexOut &v);
    // Closes the primitive: its complete points, lines or triangles join the
    // lists; a trailing incomplete one is dropped, as GL does. False when
    // none was open.
    bool End();
    bool Open() const { return m_open; }

    // Lists since the last Clear, in order; strips keep GL's winding (every
    // second strip triangle is emitted as (n+1, n, n+2)).
    const std::vector<GlVertexOut> &Points() const { return m_points; }
    const std::vector<GlVertexOut> &Lines() const { return m_lines; }
    const std::vector<GlVertexOut> &Triangles() const { return m_triangles; }
    bool Empty() const { return m_points.empty() && m_lines.empty() && m_triangles.empty(); }
    void Clear();

  private:
    unsigned m_mode = kGlPoints;
    bool m_open = false;
    std::vector<GlVertexOut> m_pending; // vertices of the open primitive
    std::vector<GlVertexOut> m_points;
    std::vector<GlVertexOut> m_lines;
    std::vector<GlVertexOut> m_triangles;
};
