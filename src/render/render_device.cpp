#include "render/render_device.h"

#include "render/render_device_internal.h"

#include <GL/gl.h>

namespace {

struct RenderDeviceState {
    int width = 0;
    int height = 0;
    float widthF = 0.0f;
    float heightF = 0.0f;
    bool in2D = false;
    CMatrix4 world = MatrixIdentity;
    unsigned char *arenaBase = nullptr;
    unsigned char *arenaCursor = nullptr;
};

RenderDeviceState g_device;

const GLenum kStateCaps[] = {
    GL_ALPHA_TEST, GL_DEPTH_TEST, GL_BLEND,  GL_CULL_FACE, GL_TEXTURE_2D,
    GL_LIGHTING,   GL_LIGHT0,     GL_LIGHT1, GL_LIGHT2,    GL_LIGHT3,
};

const GLenum kFilters[] = {
    GL_NEAREST,
    GL_LINEAR,
    GL_NEAREST_MIPMAP_NEAREST,
    GL_LINEAR_MIPMAP_NEAREST,
    GL_NEAREST_MIPMAP_LINEAR,
    GL_LINEAR_MIPMAP_LINEAR,
};

struct LightSetting {
    GLenum light;
    GLenum parameter;
    GLfloat value[4];
};

// Both lights are positional and fixed in eye space (given under an identity
// model-view). Lighting itself stays off until the scene turns it on.
const LightSetting kLights[] = {
    {GL_LIGHT0, GL_AMBIENT, {0.5f, 0.5f, 0.5f, 1.0f}},
    {GL_LIGHT0, GL_DIFFUSE, {0.8f, 0.8f, 0.8f, 1.0f}},
    {GL_LIGHT0, GL_SPECULAR, {2.5f, 2.5f, 2.5f, 1.0f}},
    {GL_LIGHT0, GL_POSITION, {0.0f, 10.0f, 10.0f, 1.0f}},
    {GL_LIGHT1, GL_AMBIENT, {0.5f, 0.5f, 0.5f, 0.5f}},
    {GL_LIGHT1, GL_DIFFUSE, {0.5f, 0.5f, 0.5f, 0.5f}},
    {GL_LIGHT1, GL_SPECULAR, {1.0f, 0.5f, 0.5f, 0.5f}},
    {GL_LIGHT1, GL_POSITION, {0.0f, 10.0f, -10.0f, 1.0f}},
};

constexpr unsigned kStateCount = sizeof kStateCaps / sizeof kStateCaps[0];
constexpr unsigned kFilterCount = sizeof kFilters / sizeof kFilters[0];

} // namespace

void CreateFrameArena() {
    delete[] g_device.arenaBase;
    g_device.arenaBase = new unsigned char[kFrameArenaSize];
    g_device.arenaCursor = g_device.arenaBase;
}

void DestroyFrameArena() {
    delete[] g_device.arenaBase;
    g_device.arenaBase = nullptr;
    g_device.arenaCursor = nullptr;
}

const unsigned char *FrameArenaBase() {
    return g_device.arenaBase;
}
const unsigned char *FrameArenaCursor() {
    return g_device.arenaCursor;
}

bool InitRenderDevice(int width, int height) {
    g_device.width = width;
    g_device.height = height;
    // Converted as unsigned values, like the window size they come from.
    g_device.widthF = static_cast<float>(static_cast<unsigned>(width));
    g_device.heightF = static_cast<float>(static_cast<unsigned>(height));
    g_device.in2D = false;
    CreateFrameArena();

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glScissor(0, 0, width, height);
    glEnable(GL_SCISSOR_TEST);
    // Fully transparent texels are discarded and write no depth.
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnable(GL_ALPHA_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    // Reversed depth: near maps to 1, far to 0, cleared to 0.
    glDepthFunc(GL_GEQUAL);
    glDepthRange(1.0, 0.0);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glEnable(GL_STENCIL_TEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    for (const LightSetting &l : kLights)
        glLightfv(l.light, l.parameter, l.value);
    g_device.world = MatrixIdentity;
    return true;
}

void ShutdownRenderDevice() {
    DestroyFrameArena();
}

int GetScreenWidth() {
    return g_device.width;
}
int GetScreenHeight() {
    return g_device.height;
}
float GetScreenWidthF() {
    return g_device.widthF;
}
float GetScreenHeightF() {
    return g_device.heightF;
}
bool IsIn2DMode() {
    return g_device.in2D;
}

void ResetFrameArena() {
    g_device.arenaCursor = g_device.arenaBase;
}

size_t FrameArenaRemaining() {
    if (!g_device.arenaBase)
        return 0;
    return kFrameArenaSize - static_cast<size_t>(g_device.arenaCursor - g_device.arenaBase);
}

void *AllocFrameBytes(size_t bytes) {
    if (!g_device.arenaBase || bytes > FrameArenaRemaining())
        return nullptr;
    // Records are floats and colour words: keep every block 4-byte aligned
    // (the arena size is a multiple of 4, so the rounded size still fits).
    bytes = (bytes + 3) & ~size_t(3);
    unsigned char *block = g_device.arenaCursor;
    g_device.arenaCursor += bytes;
    return block;
}

void *AllocFrameVertices(int count, Vertex2D **out) {
    void *block = nullptr;
    if (count >= 0)
        block = AllocFrameBytes(static_cast<size_t>(count) * sizeof(Vertex2D));
    if (out)
        *out = static_cast<Vertex2D *>(block);
    return block ? g_device.arenaCursor : nullptr;
}

void ClearColourBuffer(PackedColour colour) {
    glClearColor(static_cast<float>(colour & 0xFF) / 255.0f,
                 static_cast<float>((colour >> 8) & 0xFF) / 255.0f,
                 static_cast<float>((colour >> 16) & 0xFF) / 255.0f,
                 static_cast<float>(colour >> 24) / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void ClearDepthBuffer(float depth) {
    glClearDepth(depth);
    glClear(GL_DEPTH_BUFFER_BIT);
}

void Begin2D() {
    if (g_device.in2D)
        return;
    g_device.in2D = true;
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, g_device.widthF, g_device.heightF, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void End2D() {
    // Outside 2D mode the stacks hold one matrix each and GL ignores the pops.
    g_device.in2D = false;
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
}

void SetMatrix(unsigned slot, const CMatrix4 &matrix) {
    switch (slot) {
    case kMatrixProjection:
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(matrix.m);
        break;
    case kMatrixModelView:
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(matrix.m);
        break;
    case kMatrixWorld:
        g_device.world = matrix;
        break;
    case kMatrixTexture:
        glMatrixMode(GL_TEXTURE);
        glLoadMatrixf(matrix.m);
        break;
    default:
        break;
    }
}

const CMatrix4 &GetWorldMatrix() {
    return g_device.world;
}

void EnableState(unsigned code) {
    if (code < kStateCount)
        glEnable(kStateCaps[code]);
}

void DisableState(unsigned code) {
    if (code < kStateCount)
        glDisable(kStateCaps[code]);
}

void SetTextureFilter(unsigned minCode, unsigned magCode) {
    if (minCode < kFilterCount)
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                        static_cast<GLfloat>(kFilters[minCode]));
    if (magCode < kFilterCount)
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                        static_cast<GLfloat>(kFilters[magCode]));
}

void SetViewport(int x, int y, int width, int height) {
    glViewport(x, y, width, height);
}
