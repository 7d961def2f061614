#include "app/input.h"

#include <cstring>

InputState g_inputState;

void CopyInputToPrevious() {
    std::memcpy(g_inputState.prevKeys, g_inputState.keys, sizeof g_inputState.keys);
    g_inputState.prevLeftButton = g_inputState.leftButton;
    g_inputState.prevRightButton = g_inputState.rightButton;
    g_inputState.prevMiddleButton = g_inputState.middleButton;
    if (g_inputState.leftReleaseHeld) {
        g_inputState.leftButton = 0;
        g_inputState.leftReleaseHeld = 0;
    }
}

void ClearMouseButtons() {
    g_inputState.leftButton = g_inputState.middleButton = g_inputState.rightButton = 0;
    g_inputState.prevLeftButton = g_inputState.prevMiddleButton = g_inputState.prevRightButton = 0;
    g_inputState.leftReleaseHeld = 0;
}

void SetLeftButton(bool down) {
    InputState &in = g_inputState;
    if (down) {
        in.leftButton = 1;
        in.leftReleaseHeld = 0; // pressed again: the button is simply down
    } else if (in.leftButton && !in.prevLeftButton) {
        in.leftReleaseHeld = 1;
    } else {
        in.leftButton = 0;
    }
}
