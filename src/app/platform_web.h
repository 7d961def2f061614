#pragma once
// What only the page's start-up needs from the web backend (platform_web.cpp)
// beyond app/platform.h: a page may not block, so its question is answered
// through a callback, and the frame loop runs one frame per animation frame.

struct MessageBoxLayout;

// Shows the box as an HTML dialog over the page; answered(code) runs once a
// button, Return or Escape answers it. The click is also the user gesture
// that lets the page start audio.
void PlatformWebAsk(const char *caption, const char *text, const MessageBoxLayout &layout,
                    void (*answered)(int answer));

// True while window messages wait to be taken by PlatformPollMessage.
bool PlatformWebMessagesWaiting();

// Replaces the canvas with the end screen a page shows where a desktop
// program would close its window.
void PlatformWebShowEndScreen();
