#pragma once
#include <cstdint>

// A window message in the platform-neutral form the window procedure reads.
// Codes and parameter packing follow the classic desktop window messages, so a
// native backend can pass its own messages through unchanged.
struct WindowMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

enum WindowMessageCode : uint32_t {
    kWmNull = 0x0000,
    kWmActivate = 0x0006, // wParam: low word active state, high word minimised flag
    kWmClose = 0x0010,    // the window is asked to close
    kWmQuit = 0x0012,     // ends the frame loop
    kWmKeyDown = 0x0100,  // wParam: virtual-key code
    kWmKeyUp = 0x0101,
    kWmSysKeyDown = 0x0104, // keys pressed with Alt
    kWmSysKeyUp = 0x0105,
    kWmSysCommand = 0x0112, // wParam: command
    kWmMouseMove = 0x0200,  // lParam: x in the low word, y in the high word
    kWmLButtonDown = 0x0201,
    kWmLButtonUp = 0x0202,
    kWmRButtonDown = 0x0204,
    kWmRButtonUp = 0x0205,
    kWmMButtonDown = 0x0207,
    kWmMButtonUp = 0x0208,
    kWmMouseWheel = 0x020A,
};

constexpr uintptr_t kActivateInactive = 0;
constexpr uintptr_t kActivateActive = 1;
constexpr uintptr_t kSysCommandScreenSave = 0xF140;
constexpr uintptr_t kSysCommandMonitorPower = 0xF170;

// Client coordinates packed as two 16-bit words (negative values wrap).
constexpr intptr_t PackMousePosition(int x, int y) {
    return static_cast<intptr_t>(static_cast<uint32_t>(static_cast<uint16_t>(x)) |
                                 static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16);
}

constexpr uintptr_t PackActivate(uintptr_t state, bool minimised) {
    return state | (minimised ? uintptr_t(1) << 16 : 0);
}

// Handles one message: writes the input state and the active flag, posts the
// quit on a close request. Returns the message result.
intptr_t MainWindowProc(const WindowMessage &msg);
