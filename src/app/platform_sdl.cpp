// The SDL2 backend of the shell: message boxes, the main window with its GL
// context, the message pump, the buffer swap and the high-resolution counter.
#include "app/application.h"
#include "app/message_style.h"
#include "app/platform.h"
#include "app/platform_sdl_events.h"
#include "app/window.h"

#include <SDL.h>
#include <SDL_opengl.h>

namespace {

struct SdlWindowState {
    bool videoStarted = false;
    SDL_Window *window = nullptr;
    SDL_GLContext context = nullptr;
    SdlWindowPresence presence;
};

SdlWindowState g_sdl;

Uint32 BoxFlags(MessageLook look) {
    switch (look) {
    case MessageLook::kError:
        return SDL_MESSAGEBOX_ERROR;
    case MessageLook::kWarning:
        return SDL_MESSAGEBOX_WARNING;
    default:
        // SDL has no question look; the information look is the nearest.
        return SDL_MESSAGEBOX_INFORMATION;
    }
}

// The new context (current after creation) is double-buffered with at least
// depthBits of depth; more depth than asked is fine. Read from GL itself, with
// errors left by earlier calls cleared first.
bool HasSuitablePixelFormat(int depthBits) {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    GLboolean doubleBuffered = GL_FALSE;
    GLint depth = 0;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    return doubleBuffered == GL_TRUE && depth >= depthBits;
}

// Starting video holds the screen saver off; the window's state decides.
void ApplyScreenSaver() {
    if (HoldsOffScreenSaver(g_sdl.presence))
        SDL_DisableScreenSaver();
    else
        SDL_EnableScreenSaver();
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
    SDL_MessageBoxButtonData buttons[3] = {};
    for (int i = 0; i < layout.buttonCount; ++i) {
        buttons[i].buttonid = layout.buttons[i].answer;
        buttons[i].text = layout.buttons[i].text;
        if (layout.buttons[i].answer == layout.returnAnswer)
            buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (layout.buttons[i].answer == layout.escapeAnswer)
            buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    }
    SDL_MessageBoxData data = {};
    data.flags = BoxFlags(layout.look) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    data.window = nullptr;
    data.title = caption ? caption : "";
    data.message = text ? text : "";
    data.numbuttons = layout.buttonCount;
    data.buttons = buttons;
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0)
        return -1;
    // Closing the box without a button counts as Escape.
    return pressed < 0 ? layout.escapeAnswer : pressed;
}

bool CreateMainWindow(const char *title, int width, int height, int colourBits) {
    // Starting video stands where a window class would be registered.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        ShowMessage(kErrorCaption, kTextRegisterClass, kStyleOk | kStyleIconWarning);
        return false;
    }
    g_sdl.videoStarted = true;

    // SDL lists the primary display first.
    SDL_Rect rect;
    DisplayBounds bounds;
    const bool haveBounds = SDL_GetDisplayBounds(0, &rect) == 0;
    if (haveBounds)
        bounds = {rect.x, rect.y, rect.w, rect.h};
    const WindowOrigin origin = CentredWindowOrigin(haveBounds ? &bounds : nullptr, width, height);

    const int channelBits = colourBits >= 32 ? 8 : colourBits / 3;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channelBits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channelBits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channelBits);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, colourBits >= 32 ? 8 : 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);

    g_sdl.window = SDL_CreateWindow(title, origin.x, origin.y, width, height,
                                    SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (!g_sdl.window)
        return CreationFailed(kTextWindowCreation);

    g_sdl.context = SDL_GL_CreateContext(g_sdl.window);
    if (!g_sdl.context)
        return CreationFailed(kTextCreateContext);

    if (!HasSuitablePixelFormat(16))
        return CreationFailed(kTextPixelFormat);

    if (SDL_GL_MakeCurrent(g_sdl.window, g_sdl.context) != 0)
        return CreationFailed(kTextActivateContext);

    // Shown and focus come back as window events (PlatformPollMessage).
    g_sdl.presence = SdlWindowPresence();
    ApplyScreenSaver();
    SDL_ShowWindow(g_sdl.window);
    SDL_RaiseWindow(g_sdl.window);
    ResizeViewport(width, height);
    return true;
}

void DestroyMainWindow() {
    if (g_sdl.context) {
        if (SDL_GL_MakeCurrent(g_sdl.window, nullptr) != 0)
            ShutdownError(kTextReleaseCurrent);
        SDL_GL_DeleteContext(g_sdl.context);
        g_sdl.context = nullptr;
    }
    // This backend holds no separate device context.
    if (g_sdl.window) {
        SDL_DestroyWindow(g_sdl.window);
        g_sdl.window = nullptr;
    }
    if (g_sdl.videoStarted) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        g_sdl.videoStarted = false;
    }
}

bool PlatformPollMessage(WindowMessage *msg) {
    // Pump and take directly: SDL_PollEvent may report an empty queue once per
    // pump while events are still waiting, which would let a frame run early.
    SDL_PumpEvents();
    SDL_Event event;
    if (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) != 1)
        return false;
    if (FollowWindowPresence(event, &g_sdl.presence))
        ApplyScreenSaver();
    *msg = TranslateSdlEvent(event);
    return true;
}

void PlatformPostQuit() {
    SDL_Event event = {};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}

void PlatformCaptureMouse(bool capture) {
    SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
}

intptr_t PlatformDefaultWindowProc(const WindowMessage &) {
    return 0;
}

bool PlatformSwapBuffers() {
    if (!g_sdl.window)
        return false;
    SDL_GL_SwapWindow(g_sdl.window);
    return true;
}

int64_t PlatformCounter() {
    return static_cast<int64_t>(SDL_GetPerformanceCounter());
}

int64_t PlatformCounterFrequency() {
    return static_cast<int64_t>(SDL_GetPerformanceFrequency());
}
