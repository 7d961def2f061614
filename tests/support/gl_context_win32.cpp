// The test GL context on Windows: a hidden popup window with a WGL context.
#include "support/gl_context.h"

#include <GL/gl.h>
#include <windows.h>

#include <cstdio>

static constexpr const char *kClassName = "MarrowlakeTestGL";

CTestGLContext::CTestGLContext(int width, int height) : m_width(width), m_height(height) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    // Every context after the first finds the class registered.
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        std::snprintf(m_error, sizeof m_error, "window class: %lu", GetLastError());
        return;
    }
    HWND window = CreateWindowExA(0, kClassName, "gl test", WS_POPUP, 0, 0, width, height, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window) {
        std::snprintf(m_error, sizeof m_error, "window: %lu", GetLastError());
        return;
    }
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cAlphaBits = 8;
    pfd.cDepthBits = 16;
    pfd.cStencilBits = 8;
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(dc, &pfd);
    HGLRC context = nullptr;
    if (format != 0 && SetPixelFormat(dc, format, &pfd))
        context = wglCreateContext(dc);
    if (!context || !wglMakeCurrent(dc, context)) {
        std::snprintf(m_error, sizeof m_error, "context: %lu", GetLastError());
        if (context)
            wglDeleteContext(context);
        ReleaseDC(window, dc);
        DestroyWindow(window);
        return;
    }
    m_window = window;
    m_context = context;
    glViewport(0, 0, width, height);
}

CTestGLContext::~CTestGLContext() {
    HWND window = static_cast<HWND>(m_window);
    if (m_context) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(static_cast<HGLRC>(m_context));
    }
    if (window)
        DestroyWindow(window);
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
    if (m_window) {
        HWND window = static_cast<HWND>(m_window);
        HDC dc = GetDC(window);
        SwapBuffers(dc);
        ReleaseDC(window, dc);
    }
}
