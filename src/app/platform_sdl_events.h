#pragma once
// SDL side of the message pump (backend only): SDL events to window messages.
#include "app/window_message.h"

#include <SDL.h>

// Virtual-key code of an SDL key, 0 when the key has none.
uint8_t VirtualKeyFromSdl(SDL_Keycode key);

// The window message an SDL event stands for; kWmNull for events the window
// does not handle. Keys pressed with Alt become system-key messages.
WindowMessage TranslateSdlEvent(const SDL_Event &event);
