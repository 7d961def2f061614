#include "app/input.h"
#include "app/shell_state.h"
#include "app/window_message.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class InputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::memset(&g_inputState, 0, sizeof g_inputState);
        SetAppActive(true);
    }
};

WindowMessage Msg(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
    return WindowMessage{message, wParam, lParam};
}

TEST_F(InputTest, EndOfFrameCopyTakesAllKeysAndButtons) {
    for (int i = 0; i < 256; ++i)
        g_inputState.keys[i] = static_cast<uint8_t>(i % 3 == 0);
    g_inputState.prevKeys[7] = 1;
    g_inputState.leftButton = 1;
    g_inputState.middleButton = 0;
    g_inputState.rightButton = 1;
    g_inputState.prevMiddleButton = 1;
    CopyInputToPrevious();
    EXPECT_EQ(0, std::memcmp(g_inputState.prevKeys, g_inputState.keys, 256));
    EXPECT_EQ(g_inputState.prevLeftButton, 1);
    EXPECT_EQ(g_inputState.prevMiddleButton, 0);
    EXPECT_EQ(g_inputState.prevRightButton, 1);
}

TEST_F(InputTest, ClearMouseButtonsLeavesKeysAndPosition) {
    g_inputState.leftButton = g_inputState.middleButton = g_inputState.rightButton = 1;
    g_inputState.prevLeftButton = g_inputState.prevMiddleButton = g_inputState.prevRightButton = 1;
    g_inputState.keys[65] = 1;
    g_inputState.mouseX = 12;
    ClearMouseButtons();
    EXPECT_EQ(g_inputState.leftButton + g_inputState.middleButton + g_inputState.rightButton, 0);
    EXPECT_EQ(g_inputState.prevLeftButton + g_inputState.prevMiddleButton +
                  g_inputState.prevRightButton,
              0);
    EXPECT_EQ(g_inputState.keys[65], 1);
    EXPECT_EQ(g_inputState.mouseX, 12);
}

// One frame = the messages dispatched before it, then the end-of-frame copy.
struct ClickCase {
    const char *name;
    std::vector<std::vector<uint32_t>> frames; // button messages per frame
    std::vector<bool> clickSeen;               // per frame, before its copy
};

TEST_F(InputTest, ClickDetectionOverFrames) {
    const ClickCase cases[] = {
        {"press then release", {{kWmLButtonDown}, {kWmLButtonUp}, {}}, {false, true, false}},
        {"press and release between frames", {{kWmLButtonDown, kWmLButtonUp}, {}}, {false, false}},
        {"held", {{kWmLButtonDown}, {}, {}}, {false, false, false}},
        {"right button is no click", {{kWmRButtonDown}, {kWmRButtonUp}}, {false, false}},
        {"release without press", {{kWmLButtonUp}}, {false}},
    };
    for (const ClickCase &c : cases) {
        SCOPED_TRACE(c.name);
        std::memset(&g_inputState, 0, sizeof g_inputState);
        for (size_t f = 0; f < c.frames.size(); ++f) {
            for (uint32_t m : c.frames[f])
                MainWindowProc(Msg(m));
            EXPECT_EQ(IsLeftClickReleased(g_inputState), c.clickSeen[f]) << "frame " << f;
            CopyInputToPrevious();
        }
    }
}

TEST_F(InputTest, KeyDownAndUpWriteKeysByVirtualKey) {
    MainWindowProc(Msg(kWmKeyDown, 0x41));
    MainWindowProc(Msg(kWmKeyDown, 0x1B));
    EXPECT_EQ(g_inputState.keys[0x41], 1);
    EXPECT_EQ(g_inputState.keys[0x1B], 1);
    MainWindowProc(Msg(kWmKeyUp, 0x41));
    EXPECT_EQ(g_inputState.keys[0x41], 0);
    EXPECT_EQ(g_inputState.keys[0x1B], 1);
}

TEST_F(InputTest, SystemKeysAreNotRecorded) {
    MainWindowProc(Msg(kWmSysKeyDown, 0x73));
    EXPECT_EQ(g_inputState.keys[0x73], 0);
    g_inputState.keys[0x73] = 1;
    MainWindowProc(Msg(kWmSysKeyUp, 0x73));
    EXPECT_EQ(g_inputState.keys[0x73], 1);
}

TEST_F(InputTest, KeyCodeOutsideTableWritesNothing) {
    InputState before;
    std::memcpy(&before, &g_inputState, sizeof before);
    MainWindowProc(Msg(kWmKeyDown, 256));
    MainWindowProc(Msg(kWmKeyDown, ~uintptr_t(0)));
    EXPECT_EQ(0, std::memcmp(&before, &g_inputState, sizeof before));
}

TEST_F(InputTest, MousePositionIsTwoUnsignedWords) {
    const struct {
        int x, y;
        int32_t expectX, expectY;
    } cases[] = {
        {0, 0, 0, 0},      {799, 599, 799, 599},   {-1, 10, 65535, 10},
        {5, -1, 5, 65535}, {-2, -3, 65534, 65533}, {65535, 65535, 65535, 65535},
    };
    for (const auto &c : cases) {
        MainWindowProc(Msg(kWmMouseMove, 0, PackMousePosition(c.x, c.y)));
        EXPECT_EQ(g_inputState.mouseX, c.expectX) << c.x << "," << c.y;
        EXPECT_EQ(g_inputState.mouseY, c.expectY) << c.x << "," << c.y;
    }
}

TEST_F(InputTest, ButtonsSetAndClearTheirOwnFlag) {
    const struct {
        uint32_t down, up;
        uint8_t InputState::*field;
    } cases[] = {
        {kWmLButtonDown, kWmLButtonUp, &InputState::leftButton},
        {kWmRButtonDown, kWmRButtonUp, &InputState::rightButton},
        {kWmMButtonDown, kWmMButtonUp, &InputState::middleButton},
    };
    for (const auto &c : cases) {
        std::memset(&g_inputState, 0, sizeof g_inputState);
        MainWindowProc(Msg(c.down));
        EXPECT_EQ(g_inputState.*c.field, 1);
        EXPECT_EQ(g_inputState.leftButton + g_inputState.rightButton + g_inputState.middleButton,
                  1);
        MainWindowProc(Msg(c.up));
        EXPECT_EQ(g_inputState.*c.field, 0);
    }
}

TEST_F(InputTest, WheelAndButtonMessagesDoNotMoveThePointer) {
    MainWindowProc(Msg(kWmMouseMove, 0, PackMousePosition(10, 20)));
    MainWindowProc(Msg(kWmMouseWheel, 120u << 16, PackMousePosition(30, 40)));
    MainWindowProc(Msg(kWmLButtonDown, 0, PackMousePosition(30, 40)));
    EXPECT_EQ(g_inputState.mouseX, 10);
    EXPECT_EQ(g_inputState.mouseY, 20);
}

TEST_F(InputTest, OnlyMinimisingStopsFrames) {
    const struct {
        uintptr_t wParam;
        bool active;
    } cases[] = {
        {PackActivate(kActivateInactive, true), false},
        {PackActivate(kActivateActive, false), true},
        {PackActivate(kActivateInactive, false), true}, // focus lost, not minimised
        {PackActivate(kActivateActive, true), false},
    };
    for (const auto &c : cases) {
        MainWindowProc(Msg(kWmActivate, c.wParam));
        EXPECT_EQ(IsAppActive(), c.active) << std::hex << c.wParam;
    }
}

TEST_F(InputTest, ScreenSaverCommandsAreSwallowed) {
    EXPECT_EQ(MainWindowProc(Msg(kWmSysCommand, kSysCommandScreenSave)), 0);
    EXPECT_EQ(MainWindowProc(Msg(kWmSysCommand, kSysCommandMonitorPower)), 0);
    EXPECT_TRUE(IsAppActive());
}

} // namespace
