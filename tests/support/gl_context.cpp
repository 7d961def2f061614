#include "support/gl_context.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdio>

CTestGLContext::CTestGLContext(int width, int height) : m_width(width), m_height(height) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::snprintf(m_error, sizeof m_error, "video: %s", SDL_GetError());
        return;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_Window *window = SDL_CreateWindow("gl test", 0, 0, width, height,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN |
                                              SDL_WINDOW_BORDERLESS);
    if (!window) {
        std::snprintf(m_error, sizeof m_error, "window: %s", SDL_GetError());
        return;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        std::snprintf(m_error, sizeof m_error, "context: %s", SDL_GetError());
        SDL_DestroyWindow(window);
        return;
    }
    SDL_GL_MakeCurrent(window, context);
    m_window = window;
    m_context = context;
    glViewport(0, 0, width, height);
}

CTestGLContext::~CTestGLContext() {
    if (m_context)
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(m_context));
    if (m_window)
        SDL_DestroyWindow(static_cast<SDL_Window *>(m_window));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

uint32_t CTestGLContext::ReadPixel(int x, int y) const {
    uint8_t rgba[4] = {};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, m_height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return uint32_t(rgba[0]) | uint32_t(rgba[1]) << 8 | uint32_t(rgba[2]) << 16 |
           uint32_t(rgba[3]) << 24;
}

void CTestGLContext::Swap() {
    if (m_window)
        SDL_GL_SwapWindow(static_cast<SDL_Window *>(m_window));
}
