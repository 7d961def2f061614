#pragma once
// SDL side of the message pump (backend only): SDL events to window messages.
#include "app/window_message.h"

#include <SDL.h>

// Virtual-key code of an SDL key, 0 when the key has none.
uint8_t VirtualKeyFromSdl(SDL_Keycode key);

// The window message an SDL event stands for; kWmNull for events the window
// does not handle. Keys pressed with Alt become system-key messages.
WindowMessage TranslateSdlEvent(const SDL_Event &event);

// What the window events last said of the main window.
struct SdlWindowPresence {
    bool shown = false;
    bool minimised = false;
    bool focused = false;
};

// Follows one event into the presence; true when it changed the presence.
bool FollowWindowPresence(const SDL_Event &event, SdlWindowPresence *presence);

// The screen saver is held off only while the window is shown, not minimised
// and active (holds the input focus), as a native window that swallows the
// screen-saver command while active.
inline bool HoldsOffScreenSaver(const SdlWindowPresence &p) {
    return p.shown && !p.minimised && p.focused;
}
