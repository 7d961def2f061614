#pragma once
#include "app/window_message.h"

#include <cstdint>

// What the shell needs from the platform. One backend file implements all of
// it (platform_sdl.cpp on Linux, platform_win32.cpp on Windows,
// platform_web.cpp in the page) together with CreateMainWindow and
// DestroyMainWindow of app/window.h. No platform types cross this interface.

struct MessageBoxLayout;

// Shows a modal box without owner window; returns the answer code of the button
// pressed, or -1 when no box could be shown.
int PlatformMessageBox(const char *caption, const char *text, const MessageBoxLayout &layout);

// Takes at most one pending message without waiting; false when none was waiting.
bool PlatformPollMessage(WindowMessage *msg);
// Queues a kWmQuit message, taken by a later PlatformPollMessage.
void PlatformPostQuit();
// Keeps mouse input coming to the window while a button is held.
void PlatformCaptureMouse(bool capture);
// Handling of the messages the window procedure does not handle itself.
intptr_t PlatformDefaultWindowProc(const WindowMessage &msg);
// Shows the back buffer of the main window; false when there is no window.
bool PlatformSwapBuffers();

// Monotonic high-resolution counter and its ticks per second.
int64_t PlatformCounter();
int64_t PlatformCounterFrequency();
