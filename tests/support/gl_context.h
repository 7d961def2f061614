#pragma once
#include <cstdint>

// A hidden window with a real OpenGL compatibility context, for tests that
// read pixels back. Needs an X display (./test.sh starts a private Xvfb).
class CTestGLContext {
  public:
    CTestGLContext(int width, int height);
    ~CTestGLContext();
    CTestGLContext(const CTestGLContext &) = delete;
    CTestGLContext &operator=(const CTestGLContext &) = delete;

    // False when no context could be made; the reason is in Error().
    bool Ok() const { return m_context != nullptr; }
    const char *Error() const { return m_error; }

    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // The back buffer's pixel at column x, row y counted from the top, as
    // bytes R, G, B, A in the low to high bytes of the result.
    uint32_t ReadPixel(int x, int y) const;
    void Swap();

  private:
    void *m_window = nullptr;
    void *m_context = nullptr;
    int m_width;
    int m_height;
    char m_error[256] = {};
};
