// The GL 1.1 entry points the program calls, over WebGL 1, for the browser
// build. State that WebGL lacks (matrix stacks, lighting, immediate mode,
// alpha test, texture enable) is kept here; vertices are transformed and lit
// on the CPU (vertex_pipeline.h) and drawn in batches that last until a
// state change that would alter how they draw.
//
// The GL 1.1 header is not included: it would clash with WebGL's. The
// functions are declared here with its signatures, and the GL 1.1 values
// WebGL has no name for are spelled out.
#include "render/gl_subset/batch.h"
#include "render/gl_subset/lighting.h"
#include "render/gl_subset/matrix_stack.h"
#include "render/gl_subset/vertex_pipeline.h"

#include <webgl/webgl1.h>

#include <cstddef>
#include <vector>

typedef double GLdouble;
typedef double GLclampd;

namespace {

constexpr GLenum kGlAlphaTest = 0x0BC0;
constexpr GLenum kGlLighting = 0x0B50;
constexpr GLenum kGlLight0 = 0x4000;
constexpr GLenum kGlTexture2D = 0x0DE1;
constexpr GLenum kGlModelView = 0x1700;
constexpr GLenum kGlProjection = 0x1701;
constexpr GLenum kGlTexture = 0x1702;
constexpr GLenum kGlAmbient = 0x1200;
constexpr GLenum kGlDiffuse = 0x1201;
constexpr GLenum kGlSpecular = 0x1202;
constexpr GLenum kGlPosition = 0x1203;
constexpr GLenum kGlShininess = 0x1601;
constexpr GLenum kGlPerspectiveCorrectionHint = 0x0C50;

const char *const kVertexShader = R"(
attribute vec4 aClip;
attribute vec4 aColour;
attribute vec2 aTexCoord;
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
    gl_Position = aClip;
    gl_PointSize = 1.0;
    vColour = aColour;
    vTexCoord = aTexCoord;
}
)";

// Texture modulation and the alpha test (GL_GREATER only, what the program
// asks for; other functions pass everything).
const char *const kFragmentShader = R"(
precision mediump float;
uniform sampler2D uTexture;
uniform bool uTextured;
uniform bool uAlphaTest;
uniform float uAlphaRef;
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
    vec4 c = vColour;
    if (uTextured)
        c *= texture2D(uTexture, vTexCoord);
    if (uAlphaTest && !(c.a > uAlphaRef))
        discard;
    gl_FragColor = c;
}
)";

constexpr GLenum kGlGreater = 0x0204;

enum PrimitiveClass { kClassNone, kClassPoints, kClassLines, kClassTriangles };

struct WebGlState {
    bool ready = false;
    GLuint program = 0;
    GLuint buffer = 0;
    GLint clipAttrib = -1, colourAttrib = -1, texAttrib = -1;
    GLint texturedUniform = -1, alphaTestUniform = -1, alphaRefUniform = -1;

    CGlMatrixStack modelView{32};
    CGlMatrixStack projection{2};
    CGlMatrixStack texture{2};
    CGlMatrixStack *current = &modelView;

    GlLightModel lightModel = GlDefaultLightModel();
    bool lighting = false;
    bool textured = false;
    bool alphaTest = false;
    GLenum alphaFunc = 0x0207; // GL_ALWAYS
    float alphaRef = 0.0f;
    bool mirrorDepth = false;

    GlVertexInput input{};
    GlVertexState vertexState{};
    CGlBatch batch;
    PrimitiveClass batchClass = kClassNone;
    std::vector<float> upload;
};
WebGlState g_gl;

GLuint Compile(GLenum type, const char *source) {
    GLuint shader = emscripten_glCreateShader(type);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    return shader;
}

// The shader and buffer, made on first use in the context current then.
void EnsureReady() {
    if (g_gl.ready)
        return;
    g_gl.ready = true;
    GLuint program = emscripten_glCreateProgram();
    emscripten_glAttachShader(program, Compile(GL_VERTEX_SHADER, kVertexShader));
    emscripten_glAttachShader(program, Compile(GL_FRAGMENT_SHADER, kFragmentShader));
    emscripten_glLinkProgram(program);
    emscripten_glUseProgram(program);
    g_gl.program = program;
    g_gl.clipAttrib = emscripten_glGetAttribLocation(program, "aClip");
    g_gl.colourAttrib = emscripten_glGetAttribLocation(program, "aColour");
    g_gl.texAttrib = emscripten_glGetAttribLocation(program, "aTexCoord");
    g_gl.texturedUniform = emscripten_glGetUniformLocation(program, "uTextured");
    g_gl.alphaTestUniform = emscripten_glGetUniformLocation(program, "uAlphaTest");
    g_gl.alphaRefUniform = emscripten_glGetUniformLocation(program, "uAlphaRef");
    emscripten_glUniform1i(emscripten_glGetUniformLocation(program, "uTexture"), 0);
    emscripten_glGenBuffers(1, &g_gl.buffer);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, g_gl.buffer);
    constexpr GLsizei stride = sizeof(GlVertexOut);
    emscripten_glEnableVertexAttribArray(GLuint(g_gl.clipAttrib));
    emscripten_glVertexAttribPointer(GLuint(g_gl.clipAttrib), 4, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void *>(offsetof(GlVertexOut, clip)));
    emscripten_glEnableVertexAttribArray(GLuint(g_gl.colourAttrib));
    emscripten_glVertexAttribPointer(GLuint(g_gl.colourAttrib), 4, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void *>(offsetof(GlVertexOut, colour)));
    emscripten_glEnableVertexAttribArray(GLuint(g_gl.texAttrib));
    emscripten_glVertexAttribPointer(GLuint(g_gl.texAttrib), 2, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void *>(offsetof(GlVertexOut, texCoord)));
}

void DrawList(GLenum mode, const std::vector<GlVertexOut> &list) {
    if (list.empty())
        return;
    emscripten_glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(list.size() * sizeof(GlVertexOut)),
                            list.data(), GL_STREAM_DRAW);
    emscripten_glDrawArrays(mode, 0, GLsizei(list.size()));
}

// Draws what the batch holds under the state in force now.
void Flush() {
    if (g_gl.batch.Empty())
        return;
    EnsureReady();
    emscripten_glUniform1i(g_gl.texturedUniform, g_gl.textured ? 1 : 0);
    emscripten_glUniform1i(g_gl.alphaTestUniform,
                           g_gl.alphaTest && g_gl.alphaFunc == kGlGreater ? 1 : 0);
    emscripten_glUniform1f(g_gl.alphaRefUniform, g_gl.alphaRef);
    DrawList(GL_TRIANGLES, g_gl.batch.Triangles());
    DrawList(GL_LINES, g_gl.batch.Lines());
    DrawList(GL_POINTS, g_gl.batch.Points());
    g_gl.batch.Clear();
    g_gl.batchClass = kClassNone;
}

PrimitiveClass ClassOf(GLenum mode) {
    switch (mode) {
    case kGlPoints:
        return kClassPoints;
    case kGlLines:
    case kGlLineStrip:
        return kClassLines;
    default:
        return kClassTriangles;
    }
}

bool IsPowerOfTwo(GLsizei v) { return v > 0 && (v & (v - 1)) == 0; }

} // namespace

// Called by the web platform backend before it presents the frame.
void FlushWebGlBatch() { Flush(); }

extern "C" {

void glEnable(GLenum cap) {
    if (cap == kGlLighting) {
        g_gl.lighting = true;
    } else if (cap >= kGlLight0 && cap < kGlLight0 + kGlLightCount) {
        g_gl.lightModel.lights[cap - kGlLight0].enabled = true;
    } else {
        Flush();
        if (cap == kGlTexture2D)
            g_gl.textured = true;
        else if (cap == kGlAlphaTest)
            g_gl.alphaTest = true;
        else
            emscripten_glEnable(cap);
    }
}

void glDisable(GLenum cap) {
    if (cap == kGlLighting) {
        g_gl.lighting = false;
    } else if (cap >= kGlLight0 && cap < kGlLight0 + kGlLightCount) {
        g_gl.lightModel.lights[cap - kGlLight0].enabled = false;
    } else if (cap >= kGlLight0 && cap < kGlLight0 + 8) {
        // Lights beyond the subset's are never on.
    } else {
        Flush();
        if (cap == kGlTexture2D)
            g_gl.textured = false;
        else if (cap == kGlAlphaTest)
            g_gl.alphaTest = false;
        else
            emscripten_glDisable(cap);
    }
}

void glMatrixMode(GLenum mode) {
    if (mode == kGlModelView)
        g_gl.current = &g_gl.modelView;
    else if (mode == kGlProjection)
        g_gl.current = &g_gl.projection;
    else if (mode == kGlTexture)
        g_gl.current = &g_gl.texture;
}

void glLoadIdentity() { g_gl.current->LoadIdentity(); }

void glLoadMatrixf(const GLfloat *m) {
    CMatrix4 matrix;
    for (int i = 0; i < 16; ++i)
        matrix.m[i] = m[i];
    g_gl.current->Load(matrix);
}

void glPushMatrix() { g_gl.current->Push(); }
void glPopMatrix() { g_gl.current->Pop(); }

void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    CMatrix4 m;
    if (GlOrthoMatrix(float(l), float(r), float(b), float(t), float(n), float(f), &m))
        g_gl.current->Multiply(m);
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble n, GLdouble f) {
    CMatrix4 m;
    if (GlPerspectiveMatrix(float(fovy), float(aspect), float(n), float(f), &m))
        g_gl.current->Multiply(m);
}

void glBegin(GLenum mode) {
    const PrimitiveClass cls = ClassOf(mode);
    if (g_gl.batchClass != kClassNone && g_gl.batchClass != cls)
        Flush(); // keep the drawing order between points, lines and triangles
    if (!g_gl.batch.Begin(mode))
        return;
    g_gl.batchClass = cls;
    // The matrices and lights cannot change before glEnd.
    g_gl.vertexState.modelView = g_gl.modelView.Top();
    g_gl.vertexState.projection = g_gl.projection.Top();
    g_gl.vertexState.texture = g_gl.texture.Top();
    g_gl.vertexState.lighting = g_gl.lighting ? &g_gl.lightModel : nullptr;
    g_gl.vertexState.mirrorDepth = g_gl.mirrorDepth;
}

void glEnd() { g_gl.batch.End(); }

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!g_gl.batch.Open())
        return;
    g_gl.input.position[0] = x;
    g_gl.input.position[1] = y;
    g_gl.input.position[2] = z;
    g_gl.batch.Add(GlProcessVertex(g_gl.vertexState, g_gl.input));
}

void glVertex2f(GLfloat x, GLfloat y) { glVertex3f(x, y, 0.0f); }

void glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) {
    g_gl.input.colour[0] = r / 255.0f;
    g_gl.input.colour[1] = g / 255.0f;
    g_gl.input.colour[2] = b / 255.0f;
    g_gl.input.colour[3] = a / 255.0f;
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    g_gl.input.normal[0] = x;
    g_gl.input.normal[1] = y;
    g_gl.input.normal[2] = z;
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    g_gl.input.texCoord[0] = s;
    g_gl.input.texCoord[1] = t;
}

void glLightfv(GLenum light, GLenum pname, const GLfloat *v) {
    if (light < kGlLight0 || light >= kGlLight0 + kGlLightCount)
        return;
    GlLight &l = g_gl.lightModel.lights[light - kGlLight0];
    float *target = pname == kGlAmbient    ? l.ambient
                    : pname == kGlDiffuse  ? l.diffuse
                    : pname == kGlSpecular ? l.specular
                                           : nullptr;
    if (target) {
        for (int i = 0; i < 4; ++i)
            target[i] = v[i];
    } else if (pname == kGlPosition) {
        GlSetLightPosition(&l, v, g_gl.modelView.Top().m);
    }
}

void glMateriali(GLenum, GLenum pname, GLint value) {
    if (pname == kGlShininess && value >= 0 && value <= 128)
        g_gl.lightModel.material.shininess = float(value);
}

void glAlphaFunc(GLenum func, GLclampf ref) {
    Flush();
    g_gl.alphaFunc = func;
    g_gl.alphaRef = ref < 0.0f ? 0.0f : ref > 1.0f ? 1.0f : ref;
}

// Smooth shading and perspective-correct texturing are all WebGL does.
void glShadeModel(GLenum) {}
void glHint(GLenum target, GLenum mode) {
    if (target != kGlPerspectiveCorrectionHint)
        emscripten_glHint(target, mode);
}

void glDepthRange(GLclampd n, GLclampd f) {
    Flush();
    g_gl.mirrorDepth = n > f;
    if (g_gl.mirrorDepth)
        emscripten_glDepthRangef(GLfloat(f), GLfloat(n));
    else
        emscripten_glDepthRangef(GLfloat(n), GLfloat(f));
}

void glClearDepth(GLclampd depth) { emscripten_glClearDepthf(GLfloat(depth)); }

void glClear(GLbitfield mask) {
    Flush();
    emscripten_glClear(mask);
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    emscripten_glClearColor(r, g, b, a);
}
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    Flush();
    emscripten_glViewport(x, y, w, h);
}
void glScissor(GLint x, GLint y, GLsizei w, GLsizei h) {
    Flush();
    emscripten_glScissor(x, y, w, h);
}
void glBlendFunc(GLenum s, GLenum d) {
    Flush();
    emscripten_glBlendFunc(s, d);
}
void glDepthFunc(GLenum f) {
    Flush();
    emscripten_glDepthFunc(f);
}
void glDepthMask(GLboolean m) {
    Flush();
    emscripten_glDepthMask(m);
}
void glFrontFace(GLenum mode) {
    Flush();
    emscripten_glFrontFace(mode);
}

void glGenTextures(GLsizei n, GLuint *names) { emscripten_glGenTextures(n, names); }
void glBindTexture(GLenum target, GLuint name) {
    Flush();
    emscripten_glBindTexture(target, name);
}
void glTexParameterf(GLenum target, GLenum pname, GLfloat value) {
    Flush();
    emscripten_glTexParameterf(target, pname, value);
}
void glPixelStorei(GLenum pname, GLint value) { emscripten_glPixelStorei(pname, value); }

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei w, GLsizei h,
                  GLint border, GLenum format, GLenum type, const void *pixels) {
    Flush();
    // WebGL 1 samples a texture whose sides are not powers of two only when
    // it is clamped; GL 1.1's repeat is kept where WebGL allows it.
    const GLfloat wrap = IsPowerOfTwo(w) && IsPowerOfTwo(h) ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    emscripten_glTexParameterf(target, GL_TEXTURE_WRAP_S, wrap);
    emscripten_glTexParameterf(target, GL_TEXTURE_WRAP_T, wrap);
    emscripten_glTexImage2D(target, level, internalFormat, w, h, border, format, type, pixels);
}

} // extern "C"
