#include "app/input.h"
#include "app/shell_state.h"
#include "app/window_message.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

WindowMessage Msg(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
    return WindowMessage{message, wParam, lParam};
}

// From one start state, each row's messages must make exactly the row's change.
TEST(InputTest, MessagesWriteOnlyTheirOwnField) {
    const WindowMessage lDown = Msg(kWmLButtonDown), lUp = Msg(kWmLButtonUp);
    const WindowMessage mDown = Msg(kWmMButtonDown), mUp = Msg(kWmMButtonUp);
    const WindowMessage rDown = Msg(kWmRButtonDown), rUp = Msg(kWmRButtonUp);
    const auto activate = [](uintptr_t s, bool minimised) {
        return Msg(kWmActivate, PackActivate(s, minimised));
    };
    const auto move = [](int x, int y) { return Msg(kWmMouseMove, 0, PackMousePosition(x, y)); };
    void (*const none)(InputState &) = [](InputState &) {};
    const struct {
        const char *name;
        std::vector<WindowMessage> messages;
        void (*change)(InputState &);
        bool active = true; // minimising and restoring: app_run_frame_test
    } cases[] = {
        {"key down", {Msg(kWmKeyDown, 0x41)}, [](InputState &s) { s.keys[0x41] = 1; }},
        {"key up", {Msg(kWmKeyUp, 0x73)}, [](InputState &s) { s.keys[0x73] = 0; }},
        {"system keys", {Msg(kWmSysKeyDown, 0x41), Msg(kWmSysKeyUp, 0x73)}, none},
        {"key code outside the table",
         {Msg(kWmKeyDown, 256), Msg(kWmKeyDown, ~uintptr_t(0))},
         none},
        {"left", {lDown}, [](InputState &s) { s.leftButton = 1; }},
        {"middle", {mDown}, [](InputState &s) { s.middleButton = 1; }},
        {"right", {rDown}, [](InputState &s) { s.rightButton = 1; }},
        {"all down and up: the left release waits for the frame's end",
         {lDown, mDown, rDown, lUp, mUp, rUp},
         [](InputState &s) { s.leftButton = s.leftReleaseHeld = 1; }},
        {"wheel and buttons keep the pointer",
         {Msg(kWmMouseWheel, 120u << 16, PackMousePosition(30, 40)),
          Msg(kWmLButtonDown, 0, PackMousePosition(30, 40))},
         [](InputState &s) { s.leftButton = 1; }},
        {"move", {move(799, 20)}, [](InputState &s) { s.mouseX = 799; }},
        {"negative x reads as a word", {move(-1, 20)}, [](InputState &s) { s.mouseX = 65535; }},
        {"minimised while active", {activate(kActivateActive, true)}, none, false},
        {"screen saver",
         {Msg(kWmSysCommand, kSysCommandScreenSave), Msg(kWmSysCommand, kSysCommandMonitorPower)},
         none},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::memset(&g_inputState, 0, sizeof g_inputState);
        SetAppActive(true);
        g_inputState.keys[0x73] = 1;
        g_inputState.mouseX = 10;
        g_inputState.mouseY = 20;
        InputState expected;
        std::memcpy(&expected, &g_inputState, sizeof expected);
        c.change(expected);
        for (const WindowMessage &m : c.messages)
            EXPECT_EQ(MainWindowProc(m), 0);
        EXPECT_EQ(0, std::memcmp(&expected, &g_inputState, sizeof expected));
        EXPECT_EQ(c.active, IsAppActive());
    }
}

// One frame = the messages dispatched before it, then the end-of-frame copy.
TEST(InputTest, AClickCompletesInTheFrameOfTheRelease) {
    const struct {
        const char *name;
        std::vector<std::vector<uint32_t>> frames; // button messages per frame
        std::vector<bool> clickSeen;               // per frame, before its copy
    } cases[] = {
        {"press then release", {{kWmLButtonDown}, {kWmLButtonUp}, {}}, {false, true, false}},
        {"press and release between frames",
         {{kWmLButtonDown, kWmLButtonUp}, {}, {}},
         {false, true, false}},
        {"press, release and press between frames",
         {{kWmLButtonDown, kWmLButtonUp, kWmLButtonDown}, {}, {kWmLButtonUp}},
         {false, false, true}},
        {"right button is no click", {{kWmRButtonDown}, {kWmRButtonUp}}, {false, false}},
        {"release without press", {{kWmLButtonUp}}, {false}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::memset(&g_inputState, 0, sizeof g_inputState);
        for (size_t f = 0; f < c.frames.size(); ++f) {
            for (uint32_t m : c.frames[f])
                MainWindowProc(Msg(m));
            EXPECT_EQ(IsLeftClickReleased(g_inputState), c.clickSeen[f]) << "frame " << f;
            CopyInputToPrevious();
        }
    }
    // Start-up drops a held-back release with the buttons.
    std::memset(&g_inputState, 0, sizeof g_inputState);
    MainWindowProc(Msg(kWmLButtonDown));
    MainWindowProc(Msg(kWmLButtonUp));
    ClearMouseButtons();
    MainWindowProc(Msg(kWmLButtonDown));
    CopyInputToPrevious();
    EXPECT_EQ(g_inputState.leftButton, 1);
}

} // namespace
