// The SDL translation of the backend; runs without a display.
#include "app/platform_sdl_events.h"

#include <gtest/gtest.h>

namespace {

TEST(SdlKeyTest, MapsKeysToVirtualKeyCodes) {
    const struct {
        SDL_Keycode key;
        int vk;
    } cases[] = {
        {SDLK_a, 0x41},           {SDLK_m, 0x4D},         {SDLK_z, 0x5A},
        {SDLK_0, 0x30},           {SDLK_9, 0x39},         {SDLK_F1, 0x70},
        {SDLK_F4, 0x73},          {SDLK_F12, 0x7B},       {SDLK_F13, 0x7C},
        {SDLK_F24, 0x87},         {SDLK_LEFT, 0x25},      {SDLK_UP, 0x26},
        {SDLK_RIGHT, 0x27},       {SDLK_DOWN, 0x28},      {SDLK_SPACE, 0x20},
        {SDLK_RETURN, 0x0D},      {SDLK_KP_ENTER, 0x0D},  {SDLK_ESCAPE, 0x1B},
        {SDLK_TAB, 0x09},         {SDLK_BACKSPACE, 0x08}, {SDLK_LSHIFT, 0x10},
        {SDLK_RSHIFT, 0x10},      {SDLK_LCTRL, 0x11},     {SDLK_RALT, 0x12},
        {SDLK_HOME, 0x24},        {SDLK_END, 0x23},       {SDLK_PAGEUP, 0x21},
        {SDLK_PAGEDOWN, 0x22},    {SDLK_INSERT, 0x2D},    {SDLK_DELETE, 0x2E},
        {SDLK_KP_0, 0x60},        {SDLK_KP_9, 0x69},      {SDLK_KP_PLUS, 0x6B},
        {SDLK_COMMA, 0xBC},       {SDLK_MINUS, 0xBD},     {SDLK_PERIOD, 0xBE},
        {SDLK_SLASH, 0xBF},       {SDLK_SEMICOLON, 0xBA}, {SDLK_QUOTE, 0xDE},
        {SDLK_BACKQUOTE, 0xC0},   {SDLK_UNKNOWN, 0},      {SDLK_AUDIOPLAY, 0},
        {SDLK_PRINTSCREEN, 0x2C}, {SDLK_EXCLAIM, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(VirtualKeyFromSdl(c.key), c.vk) << SDL_GetKeyName(c.key);
}

SDL_Event WindowEvent(Uint8 what) {
    SDL_Event e = {};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    return e;
}

SDL_Event KeyEvent(Uint32 type, SDL_Keycode key, Uint16 mod) {
    SDL_Event e = {};
    e.type = type;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    return e;
}

SDL_Event ButtonEvent(Uint32 type, Uint8 button, int x, int y) {
    SDL_Event e = {};
    e.type = type;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    return e;
}

TEST(SdlEventTest, TranslatesEventsToWindowMessages) {
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    SDL_Event motion = {};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = -1;
    motion.motion.y = 70000;
    SDL_Event wheel = {};
    wheel.type = SDL_MOUSEWHEEL;
    SDL_Event text = {};
    text.type = SDL_TEXTINPUT;
    const struct {
        const char *name;
        SDL_Event event;
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    } cases[] = {
        {"quit", quit, kWmQuit, 0, 0},
        {"close", WindowEvent(SDL_WINDOWEVENT_CLOSE), kWmClose, 0, 0},
        {"minimised", WindowEvent(SDL_WINDOWEVENT_MINIMIZED), kWmActivate, 0x10000, 0},
        {"restored", WindowEvent(SDL_WINDOWEVENT_RESTORED), kWmActivate, 1, 0},
        {"focus lost", WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), kWmNull, 0, 0},
        {"focus gained", WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), kWmNull, 0, 0},
        {"exposed", WindowEvent(SDL_WINDOWEVENT_EXPOSED), kWmNull, 0, 0},
        {"key a", KeyEvent(SDL_KEYDOWN, SDLK_a, KMOD_NONE), kWmKeyDown, 0x41, 0},
        {"key a up", KeyEvent(SDL_KEYUP, SDLK_a, KMOD_NONE), kWmKeyUp, 0x41, 0},
        {"shift+a", KeyEvent(SDL_KEYDOWN, SDLK_a, KMOD_LSHIFT | KMOD_NUM), kWmKeyDown, 0x41, 0},
        {"alt+f4", KeyEvent(SDL_KEYDOWN, SDLK_F4, KMOD_LALT), kWmSysKeyDown, 0x73, 0},
        {"altgr+q up", KeyEvent(SDL_KEYUP, SDLK_q, KMOD_RALT), kWmSysKeyUp, 0x51, 0},
        {"unmapped key", KeyEvent(SDL_KEYDOWN, SDLK_AUDIOPLAY, KMOD_NONE), kWmNull, 0, 0},
        {"motion", motion, kWmMouseMove, 0, PackMousePosition(-1, 70000)},
        {"left down", ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 3, 4), kWmLButtonDown, 0,
         PackMousePosition(3, 4)},
        {"left up", ButtonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 3, 4), kWmLButtonUp, 0,
         PackMousePosition(3, 4)},
        {"right down", ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 0, 0), kWmRButtonDown, 0,
         0},
        {"right up", ButtonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 0, 0), kWmRButtonUp, 0, 0},
        {"middle down", ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 0, 0), kWmMButtonDown,
         0, 0},
        {"middle up", ButtonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 0, 0), kWmMButtonUp, 0, 0},
        {"x1 button", ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 0, 0), kWmNull, 0, 0},
        {"wheel", wheel, kWmMouseWheel, 0, 0},
        {"text", text, kWmNull, 0, 0},
    };
    for (const auto &c : cases) {
        const WindowMessage m = TranslateSdlEvent(c.event);
        EXPECT_EQ(m.message, c.message) << c.name;
        EXPECT_EQ(m.wParam, c.wParam) << c.name;
        EXPECT_EQ(m.lParam, c.lParam) << c.name;
    }
}

TEST(SdlEventTest, MotionPackingReadsBackAsUnsignedWords) {
    EXPECT_EQ(PackMousePosition(-1, 0), 0xFFFF);
    EXPECT_EQ(PackMousePosition(0, -1), static_cast<intptr_t>(0xFFFF0000u));
    EXPECT_EQ(PackMousePosition(800, 600), 800 | (600 << 16));
}

} // namespace
