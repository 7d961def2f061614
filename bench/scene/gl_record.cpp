// The __wrap_ side of the linker's --wrap: each wrapper notes its call when a
// stream is set and then calls the real entry point.
#include "gl_record.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

namespace {

struct RecorderState {
    gltrace::Stream *stream = nullptr;
    int unpackAlignment = 4; // GL's initial value
};

RecorderState g_recorder;

gltrace::Op &Note(uint32_t code) {
    gltrace::Stream &s = *g_recorder.stream;
    s.ops.emplace_back();
    s.blobs.emplace_back();
    gltrace::Op &op = s.ops.back();
    std::memset(&op, 0, sizeof op);
    op.code = code;
    return op;
}

bool On() {
    return g_recorder.stream != nullptr;
}

// Bytes glTexImage2D reads for an unsigned-byte image; 0 for other types.
size_t ImageBytes(GLsizei width, GLsizei height, GLenum format, GLenum type) {
    if (type != GL_UNSIGNED_BYTE || width <= 0 || height <= 0)
        return 0;
    size_t channels = 0;
    switch (format) {
    case GL_RGBA:
    case GL_BGRA:
        channels = 4;
        break;
    case GL_RGB:
    case GL_BGR:
        channels = 3;
        break;
    case GL_LUMINANCE_ALPHA:
        channels = 2;
        break;
    case GL_ALPHA:
    case GL_LUMINANCE:
    case GL_RED:
        channels = 1;
        break;
    default:
        return 0;
    }
    const size_t align = static_cast<size_t>(g_recorder.unpackAlignment);
    const size_t row = (size_t(width) * channels + align - 1) / align * align;
    return row * size_t(height - 1) + size_t(width) * channels;
}

} // namespace

void RecordGlInto(gltrace::Stream *stream) {
    g_recorder.stream = stream;
}

extern "C" {

#define ML_REAL(ret, name, params) ret __real_##name params;
ML_REAL(void, glAlphaFunc, (GLenum, GLclampf))
ML_REAL(void, glBegin, (GLenum))
ML_REAL(void, glBindTexture, (GLenum, GLuint))
ML_REAL(void, glBlendFunc, (GLenum, GLenum))
ML_REAL(void, glClear, (GLbitfield))
ML_REAL(void, glClearColor, (GLclampf, GLclampf, GLclampf, GLclampf))
ML_REAL(void, glClearDepth, (GLclampd))
ML_REAL(void, glColor4ub, (GLubyte, GLubyte, GLubyte, GLubyte))
ML_REAL(void, glDepthFunc, (GLenum))
ML_REAL(void, glDepthMask, (GLboolean))
ML_REAL(void, glDepthRange, (GLclampd, GLclampd))
ML_REAL(void, glDisable, (GLenum))
ML_REAL(void, glEnable, (GLenum))
ML_REAL(void, glEnd, ())
ML_REAL(void, glFrontFace, (GLenum))
ML_REAL(void, glGenTextures, (GLsizei, GLuint *))
ML_REAL(void, glHint, (GLenum, GLenum))
ML_REAL(void, glLightfv, (GLenum, GLenum, const GLfloat *))
ML_REAL(void, glLoadIdentity, ())
ML_REAL(void, glLoadMatrixf, (const GLfloat *))
ML_REAL(void, glMateriali, (GLenum, GLenum, GLint))
ML_REAL(void, glMatrixMode, (GLenum))
ML_REAL(void, glNormal3f, (GLfloat, GLfloat, GLfloat))
ML_REAL(void, glOrtho, (GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble))
ML_REAL(void, gluPerspective, (GLdouble, GLdouble, GLdouble, GLdouble))
ML_REAL(void, glPixelStorei, (GLenum, GLint))
ML_REAL(void, glPopMatrix, ())
ML_REAL(void, glPushMatrix, ())
ML_REAL(void, glScissor, (GLint, GLint, GLsizei, GLsizei))
ML_REAL(void, glShadeModel, (GLenum))
ML_REAL(void, glTexCoord2f, (GLfloat, GLfloat))
ML_REAL(void, glTexImage2D,
        (GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const GLvoid *))
ML_REAL(void, glTexParameterf, (GLenum, GLenum, GLfloat))
ML_REAL(void, glVertex2f, (GLfloat, GLfloat))
ML_REAL(void, glVertex3f, (GLfloat, GLfloat, GLfloat))
ML_REAL(void, glViewport, (GLint, GLint, GLsizei, GLsizei))
#undef ML_REAL

// Calls whose arguments are all GLenum/GLint-sized integers.
#define ML_WRAP_I1(name, code, T0)                                                                 \
    void __wrap_##name(T0 a0) {                                                                    \
        if (On())                                                                                  \
            Note(gltrace::code).arg.i[0] = static_cast<int32_t>(a0);                               \
        __real_##name(a0);                                                                         \
    }
#define ML_WRAP_I2(name, code, T0, T1)                                                             \
    void __wrap_##name(T0 a0, T1 a1) {                                                             \
        if (On()) {                                                                                \
            gltrace::Op &op = Note(gltrace::code);                                                 \
            op.arg.i[0] = static_cast<int32_t>(a0);                                                \
            op.arg.i[1] = static_cast<int32_t>(a1);                                                \
        }                                                                                          \
        __real_##name(a0, a1);                                                                     \
    }
#define ML_WRAP_I4(name, code, T)                                                                  \
    void __wrap_##name(T a0, T a1, GLsizei a2, GLsizei a3) {                                       \
        if (On()) {                                                                                \
            gltrace::Op &op = Note(gltrace::code);                                                 \
            op.arg.i[0] = a0;                                                                      \
            op.arg.i[1] = a1;                                                                      \
            op.arg.i[2] = a2;                                                                      \
            op.arg.i[3] = a3;                                                                      \
        }                                                                                          \
        __real_##name(a0, a1, a2, a3);                                                             \
    }
#define ML_WRAP_0(name, code)                                                                      \
    void __wrap_##name() {                                                                         \
        if (On())                                                                                  \
            Note(gltrace::code);                                                                   \
        __real_##name();                                                                           \
    }

ML_WRAP_I1(glBegin, kBegin, GLenum)
ML_WRAP_I1(glClear, kClear, GLbitfield)
ML_WRAP_I1(glDepthFunc, kDepthFunc, GLenum)
ML_WRAP_I1(glDepthMask, kDepthMask, GLboolean)
ML_WRAP_I1(glDisable, kDisable, GLenum)
ML_WRAP_I1(glEnable, kEnable, GLenum)
ML_WRAP_I1(glFrontFace, kFrontFace, GLenum)
ML_WRAP_I1(glMatrixMode, kMatrixMode, GLenum)
ML_WRAP_I1(glShadeModel, kShadeModel, GLenum)
ML_WRAP_I2(glBindTexture, kBindTexture, GLenum, GLuint)
ML_WRAP_I2(glBlendFunc, kBlendFunc, GLenum, GLenum)
ML_WRAP_I2(glHint, kHint, GLenum, GLenum)
ML_WRAP_I4(glScissor, kScissor, GLint)
ML_WRAP_I4(glViewport, kViewport, GLint)
ML_WRAP_0(glEnd, kEnd)
ML_WRAP_0(glLoadIdentity, kLoadIdentity)
ML_WRAP_0(glPopMatrix, kPopMatrix)
ML_WRAP_0(glPushMatrix, kPushMatrix)

void __wrap_glPixelStorei(GLenum pname, GLint value) {
    if (pname == GL_UNPACK_ALIGNMENT && (value == 1 || value == 2 || value == 4 || value == 8))
        g_recorder.unpackAlignment = value;
    if (On()) {
        gltrace::Op &op = Note(gltrace::kPixelStorei);
        op.arg.i[0] = static_cast<int32_t>(pname);
        op.arg.i[1] = value;
    }
    __real_glPixelStorei(pname, value);
}

void __wrap_glMateriali(GLenum face, GLenum pname, GLint value) {
    if (On()) {
        gltrace::Op &op = Note(gltrace::kMateriali);
        op.arg.i[0] = static_cast<int32_t>(face);
        op.arg.i[1] = static_cast<int32_t>(pname);
        op.arg.i[2] = value;
    }
    __real_glMateriali(face, pname, value);
}

void __wrap_glAlphaFunc(GLenum func, GLclampf ref) {
    if (On()) {
        gltrace::Op &op = Note(gltrace::kAlphaFunc);
        op.arg.i[0] = static_cast<int32_t>(func);
        op.arg.f[1] = ref;
    }
    __real_glAlphaFunc(func, ref);
}

void __wrap_glTexParameterf(GLenum target, GLenum pname, GLfloat value) {
    if (On()) {
        gltrace::Op &op = Note(gltrace::kTexParameterf);
        op.arg.i[0] = static_cast<int32_t>(target);
        op.arg.i[1] = static_cast<int32_t>(pname);
        op.arg.f[2] = value;
    }
    __real_glTexParameterf(target, pname, value);
}

void __wrap_glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    if (On()) {
        gltrace::Op &op = Note(gltrace::kClearColor);
        op.arg.f[0] = r;
        op.arg.f[1] = g;
        op.arg.f[2] = b;
        op.arg.f[3] = a;
    }
    __real_glClearColor(r, g, b, a);
}

void __wrap_glClearDepth(GLclampd depth) {
    if (On())
        Note(gltrace::kClearDepth).arg.d[0] = depth;
    __real_glClearDepth(depth);
}

void __wrap_glDepthRange(GLclampd nearValue, GLclampd farValue) {
    if (On()) {
        gltrace::Op &op = Note(gltrace::kDepthRange);
        op.arg.d[0] = nearValue;
        op.arg.d[1] = farValue;
    }
    __real_glDepthRange(nearValue, farValue);
}

void __wrap_glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) {
    if (On()) {
        gltrace::Op &op = Note(gltrace::kColor4ub);
        op.arg.ub[0] = r;
        op.arg.ub[1] = g;
        op.arg.ub[2] = b;
        op.arg.ub[3] = a;
    }
    __real_glColor4ub(r, g, b, a);
}

void __wrap_glTexCoord2f(GLfloat s, GLfloat t) {
    if (On()) {
        gltrace::Op &op = Note(gltrace::kTexCoord2f);
        op.arg.f[0] = s;
        op.arg.f[1] = t;
    }
    __real_glTexCoord2f(s, t);
}

void __wrap_glVertex2f(GLfloat x, GLfloat y) {
    if (On()) {
        gltrace::Op &op = Note(gltrace::kVertex2f);
        op.arg.f[0] = x;
        op.arg.f[1] = y;
    }
    __real_glVertex2f(x, y);
}

void __wrap_glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (On()) {
        gltrace::Op &op = Note(gltrace::kVertex3f);
        op.arg.f[0] = x;
        op.arg.f[1] = y;
        op.arg.f[2] = z;
    }
    __real_glVertex3f(x, y, z);
}

void __wrap_glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    if (On()) {
        gltrace::Op &op = Note(gltrace::kNormal3f);
        op.arg.f[0] = x;
        op.arg.f[1] = y;
        op.arg.f[2] = z;
    }
    __real_glNormal3f(x, y, z);
}

void __wrap_glLightfv(GLenum light, GLenum pname, const GLfloat *params) {
    if (On()) {
        gltrace::Op &op = Note(gltrace::kLightfv);
        op.arg.i[0] = static_cast<int32_t>(light);
        op.arg.i[1] = static_cast<int32_t>(pname);
        // Every parameter the program sets has at most four values.
        const int count = (pname == GL_SPOT_DIRECTION) ? 3
                          : (pname == GL_AMBIENT || pname == GL_DIFFUSE || pname == GL_SPECULAR ||
                             pname == GL_POSITION)
                              ? 4
                              : 1;
        for (int k = 0; k < count && params; ++k)
            op.arg.f[2 + k] = params[k];
    }
    __real_glLightfv(light, pname, params);
}

void __wrap_glLoadMatrixf(const GLfloat *m) {
    if (On() && m)
        std::memcpy(Note(gltrace::kLoadMatrixf).arg.f, m, 16 * sizeof(GLfloat));
    __real_glLoadMatrixf(m);
}

void __wrap_glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (On()) {
        gltrace::Op &op = Note(gltrace::kOrtho);
        const GLdouble v[6] = {l, r, b, t, n, f};
        std::memcpy(op.arg.d, v, sizeof v);
    }
    __real_glOrtho(l, r, b, t, n, f);
}

void __wrap_gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    if (On()) {
        gltrace::Op &op = Note(gltrace::kPerspective);
        op.arg.d[0] = fovy;
        op.arg.d[1] = aspect;
        op.arg.d[2] = zNear;
        op.arg.d[3] = zFar;
    }
    __real_gluPerspective(fovy, aspect, zNear, zFar);
}

void __wrap_glGenTextures(GLsizei n, GLuint *names) {
    __real_glGenTextures(n, names);
    if (On()) {
        gltrace::Op &op = Note(gltrace::kGenTextures);
        op.arg.i[0] = n;
        for (GLsizei k = 0; k < n && k < 8 && names; ++k)
            op.arg.i[1 + k] = static_cast<int32_t>(names[k]);
    }
}

void __wrap_glTexImage2D(GLenum target, GLint level, GLint internal, GLsizei width, GLsizei height,
                         GLint border, GLenum format, GLenum type, const GLvoid *pixels) {
    if (On()) {
        const size_t bytes = pixels ? ImageBytes(width, height, format, type) : 0;
        gltrace::Op &op = Note(gltrace::kTexImage2D);
        const int32_t v[8] = {static_cast<int32_t>(target),
                              level,
                              internal,
                              width,
                              height,
                              border,
                              static_cast<int32_t>(format),
                              static_cast<int32_t>(type)};
        std::memcpy(op.arg.i, v, sizeof v);
        op.blobBytes = static_cast<uint32_t>(bytes);
        const uint8_t *p = static_cast<const uint8_t *>(pixels);
        if (bytes)
            g_recorder.stream->blobs.back().assign(p, p + bytes);
    }
    __real_glTexImage2D(target, level, internal, width, height, border, format, type, pixels);
}

} // extern "C"
