#pragma once
// The one borderless GL window of the program. The backend (app/platform.h)
// implements creation and release; failures are shown in message boxes.

// Creates the window of the given client size centred on the desktop, with a
// double-buffered RGBA context of colourBits and a 16-bit depth buffer made
// current, and sets the first viewport. On failure shows the step's message
// (caption "ERROR"), releases what was made and returns false.
bool CreateMainWindow(const char *title, int width, int height, int colourBits);
// Releases context, window and video, reporting each failure (caption
// "SHUTDOWN ERROR") and going on with the next step.
void DestroyMainWindow();
// Viewport and a 45 degree perspective for the client size; height 0 counts as 1.
void ResizeViewport(int width, int height);

// A display's rectangle in desktop pixels; the primary display need not have
// its top-left corner at 0, 0.
struct DisplayBounds {
    int x, y, width, height;
};
struct WindowOrigin {
    int x, y;
};

// Top-left corner, in desktop pixels, of a window whose client area is width x
// height, centred on the display: halves rounded towards minus infinity, so a
// window larger than the display overhangs both of its edges evenly. Without
// bounds (null: they could not be read) the window goes to the desktop's
// top-left corner, where at least part of it shows.
inline WindowOrigin CentredWindowOrigin(const DisplayBounds *display, int width, int height) {
    if (!display)
        return {0, 0};
    return {display->x + ((display->width - width) >> 1),
            display->y + ((display->height - height) >> 1)};
}

// Fixed texts of the window's failure boxes.
constexpr const char *kErrorCaption = "ERROR";
constexpr const char *kShutdownErrorCaption = "SHUTDOWN ERROR";
constexpr const char *kTextRegisterClass = "Failed to register the window class.";
constexpr const char *kTextWindowCreation = "Window creation error.";
constexpr const char *kTextDeviceContext = "Can't create a GL device context.";
constexpr const char *kTextPixelFormat = "Can't find a suitable PixelFormat.";
constexpr const char *kTextSetPixelFormat = "Can't set the PixelFormat.";
constexpr const char *kTextCreateContext = "Can't create a GL rendering context.";
constexpr const char *kTextActivateContext = "Can't activate the GL rendering context.";
constexpr const char *kTextReleaseCurrent = "Release of DC and RC failed.";
constexpr const char *kTextReleaseContext = "Release rendering vontext failed.";
constexpr const char *kTextReleaseDeviceContext = "Release device context failed.";
constexpr const char *kTextReleaseWindow = "Could not release hWnd.";
constexpr const char *kTextUnregisterClass = "Could not unregister class.";
