#include "render/bitmap_font.h"

#include "render/primitives.h"
#include "render/render_device.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Shared by MeasureF and PrintF; holds the latest formatted text.
char s_formatBuffer[2048];

constexpr size_t kVerticesPerGlyph = 6;

const char *Format(const char *format, va_list args) {
    if (!format) {
        s_formatBuffer[0] = '\0';
        return s_formatBuffer;
    }
    // vsnprintf cuts text longer than the buffer and always terminates it.
    if (std::vsnprintf(s_formatBuffer, sizeof s_formatBuffer, format, args) < 0)
        s_formatBuffer[0] = '\0';
    return s_formatBuffer;
}

} // namespace

CVector2 CBitmapFont::Measure(CVector2 &size, float scale, const char *text) const {
    size = CVector2(0.0f, scale * lineHeight);
    CVector2 pen(0.0f, 0.0f);
    if (!text)
        return size;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
        const unsigned char c = *p;
        if (c == '\n') {
            pen.x = 0.0f;
            pen.y += scale * lineHeight;
        } else if (c == ' ') {
            pen.x += scale * spaceWidth;
        } else if (HasGlyph(c)) {
            pen.x += scale * widths[c];
        }
        pen.x += scale * spacing;
        if (pen.x > size.x)
            size.x = pen.x;
        if (pen.y > size.y)
            size.y = pen.y;
    }
    return size;
}

unsigned CBitmapFont::BuildTextVertices(Vertex2D *out, const CVector2 &position,
                                        PackedColour colour, float scale, const char *text,
                                        size_t length) const {
    unsigned count = 0;
    CVector2 pen = position;
    const float gh = scale * lineHeight;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            pen.x = position.x;
            pen.y += gh;
        } else if (c == ' ') {
            pen.x += scale * spaceWidth;
        } else if (HasGlyph(c)) {
            const float gw = scale * widths[c];
            const CVector2 *uv = corners[c];
            Vertex2D *v = out + count;
            v[0] = {uv[0].x, uv[0].y, colour, pen.x, pen.y + gh, 0.0f};
            v[1] = {uv[1].x, uv[1].y, colour, pen.x, pen.y, 0.0f};
            v[2] = {uv[2].x, uv[2].y, colour, pen.x + gw, pen.y + gh, 0.0f};
            v[3] = v[1];
            v[4] = v[2];
            v[5] = {uv[3].x, uv[3].y, colour, pen.x + gw, pen.y, 0.0f};
            count += kVerticesPerGlyph;
            pen.x += gw;
        }
        pen.x += scale * spacing;
    }
    return count;
}

void CBitmapFont::Print(const CVector2 &position, PackedColour colour, float scale,
                        const char *text) const {
    size_t length = text ? std::strlen(text) : 0;
    // Every character takes its six records, drawn or not; cut the text to what
    // the arena still holds so nothing is written past it.
    const size_t room = FrameArenaRemaining() / (kVerticesPerGlyph * sizeof(Vertex2D));
    if (length > room)
        length = room;
    Vertex2D *vertices = nullptr;
    AllocFrameVertices(int(length * kVerticesPerGlyph), &vertices);
    unsigned count = 0;
    if (vertices)
        count = BuildTextVertices(vertices, position, colour, scale, text, length);
    DrawPrimitive2D(kPrimTriangles, texture, vertices, count);
}

CVector2 CBitmapFont::MeasureF(CVector2 &size, float scale, const char *format, ...) const {
    va_list args;
    va_start(args, format);
    const char *text = Format(format, args);
    va_end(args);
    return Measure(size, scale, text);
}

void CBitmapFont::PrintF(const CVector2 &position, PackedColour colour, float scale,
                         const char *format, ...) const {
    va_list args;
    va_start(args, format);
    const char *text = Format(format, args);
    va_end(args);
    Print(position, colour, scale, text);
}
