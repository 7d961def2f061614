#include "app/input.h"
#include "app/platform.h"
#include "app/shell_state.h"
#include "app/window_message.h"

namespace {

void SetButton(uint8_t *button, bool down) {
    *button = down ? 1 : 0;
    PlatformCaptureMouse(down);
}

} // namespace

intptr_t MainWindowProc(const WindowMessage &msg) {
    InputState &in = g_inputState;
    switch (msg.message) {
    case kWmActivate:
        // Only minimising stops the frames; losing the focus does not.
        SetAppActive(((msg.wParam >> 16) & 0xFFFF) == 0);
        return 0;
    case kWmSysCommand:
        if (msg.wParam == kSysCommandScreenSave || msg.wParam == kSysCommandMonitorPower)
            return 0;
        return PlatformDefaultWindowProc(msg);
    case kWmClose:
        PlatformPostQuit();
        return 0;
    case kWmKeyDown:
    case kWmKeyUp:
        if (msg.wParam < sizeof in.keys)
            in.keys[msg.wParam] = msg.message == kWmKeyDown ? 1 : 0;
        return 0;
    case kWmMouseMove:
        in.mouseX = static_cast<int32_t>(static_cast<uint32_t>(msg.lParam) & 0xFFFF);
        in.mouseY = static_cast<int32_t>((static_cast<uint32_t>(msg.lParam) >> 16) & 0xFFFF);
        return 0;
    case kWmLButtonDown:
    case kWmLButtonUp:
        // The capture follows the button itself, a held-back release or not.
        SetLeftButton(msg.message == kWmLButtonDown);
        PlatformCaptureMouse(msg.message == kWmLButtonDown);
        return 0;
    case kWmRButtonDown:
    case kWmRButtonUp:
        SetButton(&in.rightButton, msg.message == kWmRButtonDown);
        return 0;
    case kWmMButtonDown:
    case kWmMButtonUp:
        SetButton(&in.middleButton, msg.message == kWmMButtonDown);
        return 0;
    case kWmMouseWheel:
        return 0;
    default:
        return PlatformDefaultWindowProc(msg);
    }
}
