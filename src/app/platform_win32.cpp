// The Win32 backend of the shell: message boxes, the main window with its
// pixel format and WGL context, the message pump, the buffer swap and the
// performance counter. Window messages reach MainWindowProc unchanged: their
// codes and parameter packing are the neutral ones.
#include "app/application.h"
#include "app/message_style.h"
#include "app/platform.h"
#include "app/window.h"

#include <windows.h>

namespace {

constexpr const char *kClassName = "OpenGL";

struct Win32WindowState {
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
    // Window of the message being handled, for the default procedure; messages
    // arrive before CreateWindowEx has returned the handle.
    HWND dispatching = nullptr;
};

Win32WindowState g_win;

// The one pixel format description; the colour depth is filled in from the
// request.
PIXELFORMATDESCRIPTOR g_pixelFormat = {
    sizeof(PIXELFORMATDESCRIPTOR), // 40
    1,
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER, // 0x25
    PFD_TYPE_RGBA,
    0, // colour bits
    0, 0, 0, 0, 0, 0, // red, green, blue bits and shifts
    0, 0,             // alpha bits and shift
    0, 0, 0, 0, 0,    // accumulation
    16,               // depth bits
    0,                // stencil bits
    0,                // auxiliary buffers
    PFD_MAIN_PLANE,
    0,
    0, 0, 0};
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "pixel format description size");

// The style word a box layout was decoded from (buttons in the low nibble,
// icon in the next), so MessageBox gets the caller's own bits.
UINT StyleOf(const MessageBoxLayout &layout) {
    UINT buttons = MB_OK;
    if (layout.buttonCount == 2 && layout.buttons[0].answer == IDOK)
        buttons = MB_OKCANCEL;
    else if (layout.buttonCount == 3 && layout.buttons[0].answer == IDABORT)
        buttons = MB_ABORTRETRYIGNORE;
    else if (layout.buttonCount == 3 && layout.buttons[0].answer == IDYES)
        buttons = MB_YESNOCANCEL;
    else if (layout.buttonCount == 2 && layout.buttons[0].answer == IDYES)
        buttons = MB_YESNO;
    else if (layout.buttonCount == 2 && layout.buttons[0].answer == IDRETRY)
        buttons = MB_RETRYCANCEL;
    switch (layout.look) {
    case MessageLook::kError:
        return buttons | MB_ICONHAND;
    case MessageLook::kQuestion:
        return buttons | MB_ICONQUESTION;
    case MessageLook::kWarning:
        return buttons | MB_ICONEXCLAMATION;
    case MessageLook::kInformation:
        return buttons | MB_ICONASTERISK;
    default:
        return buttons;
    }
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND outer = g_win.dispatching;
    g_win.dispatching = window;
    const WindowMessage msg = {message, wParam, lParam};
    const LRESULT result = MainWindowProc(msg);
    g_win.dispatching = outer;
    return result;
}

// The primary monitor's rectangle; false when it cannot be read.
bool PrimaryDisplayBounds(DisplayBounds *out) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    const HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (!monitor || !GetMonitorInfoA(monitor, &info))
        return false;
    const RECT &r = info.rcMonitor;
    *out = {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
            static_cast<int>(r.bottom - r.top)};
    return true;
}

bool CreationFailed(const char *text) {
    DestroyMainWindow();
    ShowMessage(kErrorCaption, text, kStyleOk | kStyleIconWarning);
    return false;
}

void ShutdownError(const char *text) {
    ShowMessage(kShutdownErrorCaption, text, kStyleOk | kStyleIconInformation);
}

} // namespace

int PlatformMessageBox(const char *caption, const char *text, const MessageBoxLayout &layout) {
    const int answer = MessageBoxA(nullptr, text ? text : "", caption ? caption : "",
                                   StyleOf(layout));
    return answer == 0 ? -1 : answer;
}

bool CreateMainWindow(const char *title, int width, int height, int colourBits) {
    g_win.instance = GetModuleHandleA(nullptr);

    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC; // 35
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = g_win.instance;
    windowClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32517));     // IDI_WINLOGO
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = nullptr;
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass)) {
        ShowMessage(kErrorCaption, kTextRegisterClass, kStyleOk | kStyleIconWarning);
        return false;
    }

    RECT rect = {0, 0, width, height};
    AdjustWindowRectEx(&rect, WS_POPUP, FALSE, WS_EX_STATICEDGE);
    DisplayBounds bounds;
    const bool haveBounds = PrimaryDisplayBounds(&bounds);
    const WindowOrigin origin = CentredWindowOrigin(haveBounds ? &bounds : nullptr, width, height);

    g_win.window = CreateWindowExA(WS_EX_STATICEDGE, kClassName, title,
                                   WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, origin.x, origin.y,
                                   rect.right - rect.left, rect.bottom - rect.top, nullptr,
                                   nullptr, g_win.instance, nullptr);
    if (!g_win.window)
        return CreationFailed(kTextWindowCreation);

    g_win.deviceContext = GetDC(g_win.window);
    if (!g_win.deviceContext)
        return CreationFailed(kTextDeviceContext);

    g_pixelFormat.cColorBits = static_cast<BYTE>(colourBits);
    const int format = ChoosePixelFormat(g_win.deviceContext, &g_pixelFormat);
    if (format == 0)
        return CreationFailed(kTextPixelFormat);
    if (!SetPixelFormat(g_win.deviceContext, format, &g_pixelFormat))
        return CreationFailed(kTextSetPixelFormat);

    g_win.renderingContext = wglCreateContext(g_win.deviceContext);
    if (!g_win.renderingContext)
        return CreationFailed(kTextCreateContext);
    if (!wglMakeCurrent(g_win.deviceContext, g_win.renderingContext))
        return CreationFailed(kTextActivateContext);

    ShowWindow(g_win.window, SW_SHOW);
    SetForegroundWindow(g_win.window);
    SetFocus(g_win.window);
    ResizeViewport(width, height);
    return true;
}

void DestroyMainWindow() {
    if (g_win.renderingContext) {
        if (!wglMakeCurrent(nullptr, nullptr))
            ShutdownError(kTextReleaseCurrent);
        if (!wglDeleteContext(g_win.renderingContext))
            ShutdownError(kTextReleaseContext);
        g_win.renderingContext = nullptr;
    }
    if (g_win.deviceContext) {
        if (!ReleaseDC(g_win.window, g_win.deviceContext))
            ShutdownError(kTextReleaseDeviceContext);
        g_win.deviceContext = nullptr;
    }
    if (g_win.window) {
        if (!DestroyWindow(g_win.window))
            ShutdownError(kTextReleaseWindow);
        g_win.window = nullptr;
    }
    if (!UnregisterClassA(kClassName, g_win.instance))
        ShutdownError(kTextUnregisterClass);
    g_win.instance = nullptr;
}

bool PlatformPollMessage(WindowMessage *msg) {
    MSG native;
    if (!PeekMessageA(&native, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (native.message == WM_QUIT) {
        *msg = {kWmQuit, native.wParam, native.lParam};
        return true;
    }
    TranslateMessage(&native);
    DispatchMessageA(&native);
    // The window procedure has seen the message; the caller's pass through it
    // gets nothing more to do.
    *msg = {kWmNull, 0, 0};
    return true;
}

void PlatformPostQuit() {
    PostQuitMessage(0);
}

void PlatformCaptureMouse(bool capture) {
    if (capture)
        SetCapture(g_win.window);
    else
        ReleaseCapture();
}

intptr_t PlatformDefaultWindowProc(const WindowMessage &msg) {
    if (!g_win.dispatching)
        return 0;
    return DefWindowProcA(g_win.dispatching, msg.message, msg.wParam, msg.lParam);
}

bool PlatformSwapBuffers() {
    if (!g_win.deviceContext)
        return false;
    SwapBuffers(g_win.deviceContext);
    return true;
}

int64_t PlatformCounter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int64_t PlatformCounterFrequency() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}
