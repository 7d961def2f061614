#pragma once
#include <cstdint>

// Raw input as the window procedure last saw it, plus the state at the end of
// the previous frame. Written only between frames, so stable during one.
struct InputState {
    uint8_t keys[256];      // 1 while the key of that virtual-key code is down
    uint8_t prevKeys[256];  // keys at the end of the previous frame
    int32_t mouseX, mouseY; // client pixels, y downward; 0-65535 (-1 reads 65535)
    uint8_t leftButton, middleButton, rightButton;
    uint8_t prevLeftButton, prevMiddleButton, prevRightButton;
    uint8_t leftReleaseHeld; // 1 while a release waits for the end-of-frame copy
};

extern InputState g_inputState;

// End of frame: the previous-frame fields take the current values; then a
// held-back release of the left button takes effect.
void CopyInputToPrevious();
// Start-up: the three buttons, their previous-frame copies and a held-back
// release become 0.
void ClearMouseButtons();
// The left button went down (true) or up. A release that comes before any
// frame has seen its press (a quick click between two frames) is held back
// until the end-of-frame copy, so one frame sees the press and the next the
// click.
void SetLeftButton(bool down);

// A click completes in the frame where the left button was down at the end of
// the previous frame and is up now.
inline bool IsLeftClickReleased(const InputState &state) {
    return state.prevLeftButton != 0 && state.leftButton == 0;
}
