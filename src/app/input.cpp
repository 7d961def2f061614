#include "app/input.h"

#include <cstring>

InputState g_inputState;

void CopyInputToPrevious() {
    std::memcpy(g_inputState.prevKeys, g_inputState.keys, sizeof g_inputState.keys);
    g_inputState.prevLeftButton = g_inputState.leftButton;
    g_inputState.prevRightButton = g_inputState.rightButton;
    g_inputState.prevMiddleButton = g_inputState.middleButton;
}

void ClearMouseButtons() {
    g_inputState.leftButton = g_inputState.middleButton = g_inputState.rightButton = 0;
    g_inputState.prevLeftButton = g_inputState.prevMiddleButton = g_inputState.prevRightButton = 0;
}
