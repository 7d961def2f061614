#include "app/platform_sdl_events.h"

namespace {

struct KeyMapping {
    SDL_Keycode key;
    uint8_t virtualKey;
};

const KeyMapping kKeys[] = {
    {SDLK_BACKSPACE, 0x08},    {SDLK_TAB, 0x09},         {SDLK_CLEAR, 0x0C},
    {SDLK_RETURN, 0x0D},       {SDLK_KP_ENTER, 0x0D},    {SDLK_LSHIFT, 0x10},
    {SDLK_RSHIFT, 0x10},       {SDLK_LCTRL, 0x11},       {SDLK_RCTRL, 0x11},
    {SDLK_LALT, 0x12},         {SDLK_RALT, 0x12},        {SDLK_PAUSE, 0x13},
    {SDLK_CAPSLOCK, 0x14},     {SDLK_ESCAPE, 0x1B},      {SDLK_SPACE, 0x20},
    {SDLK_PAGEUP, 0x21},       {SDLK_PAGEDOWN, 0x22},    {SDLK_END, 0x23},
    {SDLK_HOME, 0x24},         {SDLK_LEFT, 0x25},        {SDLK_UP, 0x26},
    {SDLK_RIGHT, 0x27},        {SDLK_DOWN, 0x28},        {SDLK_SELECT, 0x29},
    {SDLK_EXECUTE, 0x2B},      {SDLK_PRINTSCREEN, 0x2C}, {SDLK_INSERT, 0x2D},
    {SDLK_DELETE, 0x2E},       {SDLK_HELP, 0x2F},        {SDLK_LGUI, 0x5B},
    {SDLK_RGUI, 0x5C},         {SDLK_APPLICATION, 0x5D}, {SDLK_SLEEP, 0x5F},
    {SDLK_KP_0, 0x60},         {SDLK_KP_1, 0x61},        {SDLK_KP_2, 0x62},
    {SDLK_KP_3, 0x63},         {SDLK_KP_4, 0x64},        {SDLK_KP_5, 0x65},
    {SDLK_KP_6, 0x66},         {SDLK_KP_7, 0x67},        {SDLK_KP_8, 0x68},
    {SDLK_KP_9, 0x69},         {SDLK_KP_MULTIPLY, 0x6A}, {SDLK_KP_PLUS, 0x6B},
    {SDLK_KP_MINUS, 0x6D},     {SDLK_KP_PERIOD, 0x6E},   {SDLK_KP_DIVIDE, 0x6F},
    {SDLK_NUMLOCKCLEAR, 0x90}, {SDLK_SCROLLLOCK, 0x91},  {SDLK_SEMICOLON, 0xBA},
    {SDLK_EQUALS, 0xBB},       {SDLK_PLUS, 0xBB},        {SDLK_COMMA, 0xBC},
    {SDLK_MINUS, 0xBD},        {SDLK_PERIOD, 0xBE},      {SDLK_SLASH, 0xBF},
    {SDLK_BACKQUOTE, 0xC0},    {SDLK_LEFTBRACKET, 0xDB}, {SDLK_BACKSLASH, 0xDC},
    {SDLK_RIGHTBRACKET, 0xDD}, {SDLK_QUOTE, 0xDE},
};

uint32_t ButtonMessage(uint8_t button, bool down) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        return down ? kWmLButtonDown : kWmLButtonUp;
    case SDL_BUTTON_RIGHT:
        return down ? kWmRButtonDown : kWmRButtonUp;
    case SDL_BUTTON_MIDDLE:
        return down ? kWmMButtonDown : kWmMButtonUp;
    default:
        return kWmNull;
    }
}

} // namespace

uint8_t VirtualKeyFromSdl(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z)
        return static_cast<uint8_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9)
        return static_cast<uint8_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return static_cast<uint8_t>(0x70 + (key - SDLK_F1));
    if (key >= SDLK_F13 && key <= SDLK_F24)
        return static_cast<uint8_t>(0x7C + (key - SDLK_F13));
    for (const KeyMapping &m : kKeys)
        if (m.key == key)
            return m.virtualKey;
    return 0;
}

WindowMessage TranslateSdlEvent(const SDL_Event &event) {
    WindowMessage msg = {kWmNull, 0, 0};
    switch (event.type) {
    case SDL_QUIT:
        msg.message = kWmQuit;
        break;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            msg.message = kWmClose;
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            msg.message = kWmActivate;
            msg.wParam = PackActivate(kActivateInactive, true);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            msg.message = kWmActivate;
            msg.wParam = PackActivate(kActivateActive, false);
            break;
        default:
            break;
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const uint8_t vk = VirtualKeyFromSdl(event.key.keysym.sym);
        if (vk == 0)
            break;
        const bool down = event.type == SDL_KEYDOWN;
        if (event.key.keysym.mod & KMOD_ALT)
            msg.message = down ? kWmSysKeyDown : kWmSysKeyUp;
        else
            msg.message = down ? kWmKeyDown : kWmKeyUp;
        msg.wParam = vk;
        break;
    }
    case SDL_MOUSEMOTION:
        msg.message = kWmMouseMove;
        msg.lParam = PackMousePosition(event.motion.x, event.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        msg.message = ButtonMessage(event.button.button, event.type == SDL_MOUSEBUTTONDOWN);
        msg.lParam = PackMousePosition(event.button.x, event.button.y);
        break;
    case SDL_MOUSEWHEEL:
        msg.message = kWmMouseWheel;
        break;
    default:
        break;
    }
    return msg;
}

bool FollowWindowPresence(const SDL_Event &event, SdlWindowPresence *presence) {
    if (event.type != SDL_WINDOWEVENT)
        return false;
    const SdlWindowPresence before = *presence;
    switch (event.window.event) {
    case SDL_WINDOWEVENT_SHOWN:
        presence->shown = true;
        break;
    case SDL_WINDOWEVENT_HIDDEN:
        presence->shown = false;
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        presence->minimised = true;
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        presence->minimised = false;
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        presence->focused = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        presence->focused = false;
        break;
    default:
        return false;
    }
    return before.shown != presence->shown || before.minimised != presence->minimised ||
           before.focused != presence->focused;
}
