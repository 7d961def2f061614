// The frame loop over the SDL backend's real message pump, with events pushed
// into SDL's queue; needs no display.
#include "app/application.h"
#include "app/input.h"
#include "app/process.h"
#include "app/renderable.h"
#include "app/shell_state.h"
#include "app/timer.h"
#include "render/render_device_internal.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_trace;

class CCountingScene : public CProcess, public CRenderable {
  public:
    CCountingScene() { AddRenderable(0, this); }
    void Process() override {
        g_trace.push_back("process");
        if (quitInProcess)
            RequestQuit();
    }
    void Render() override { g_trace.push_back("render"); }
    bool quitInProcess = false;
};

class RunFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        std::memset(&g_inputState, 0, sizeof g_inputState);
        SetAppActive(true);
        CreateFrameArena();
        StartFrameTimer();
        g_trace.clear();
        scene = new CCountingScene();
    }
    void TearDown() override {
        delete scene;
        ClearRenderLayers();
        DeleteAllProcesses();
        DestroyFrameArena();
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
    }

    static void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }
    static void PushWindow(Uint8 what) {
        SDL_Event e = {};
        e.type = SDL_WINDOWEVENT;
        e.window.event = what;
        Push(e);
    }
    static void PushKey(Uint32 type, SDL_Keycode key) {
        SDL_Event e = {};
        e.type = type;
        e.key.keysym.sym = key;
        Push(e);
    }
    static void PushButton(Uint32 type) {
        SDL_Event e = {};
        e.type = type;
        e.button.button = SDL_BUTTON_LEFT;
        Push(e);
    }
    size_t Frames() const {
        size_t n = 0;
        for (const std::string &s : g_trace)
            n += s == "render";
        return n;
    }

    CCountingScene *scene = nullptr;
};

TEST_F(RunFrameTest, EmptyQueueRunsOneFrameProcessThenRender) {
    EXPECT_TRUE(RunFrame());
    EXPECT_EQ(g_trace, (std::vector<std::string>{"process", "render"}));
}

TEST_F(RunFrameTest, QueuedMessagesAreDrainedOnePerPassBeforeAnyFrame) {
    PushKey(SDL_KEYDOWN, SDLK_a);
    PushKey(SDL_KEYDOWN, SDLK_b);
    PushKey(SDL_KEYUP, SDLK_a);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(RunFrame());
        EXPECT_EQ(Frames(), 0u) << "pass " << i;
    }
    EXPECT_EQ(g_inputState.keys[0x41], 0);
    EXPECT_EQ(g_inputState.keys[0x42], 1);
    EXPECT_TRUE(RunFrame());
    EXPECT_EQ(Frames(), 1u);
    EXPECT_EQ(g_inputState.prevKeys[0x42], 1);
}

TEST_F(RunFrameTest, QuitMessageEndsLoopBeforeAnyFrame) {
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    Push(quit);
    EXPECT_FALSE(RunFrame());
    EXPECT_TRUE(g_trace.empty());
}

TEST_F(RunFrameTest, CloseRequestPostsQuitThatEndsTheLoop) {
    PushWindow(SDL_WINDOWEVENT_CLOSE);
    EXPECT_TRUE(RunFrame());
    EXPECT_FALSE(RunFrame());
    EXPECT_TRUE(g_trace.empty());
}

TEST_F(RunFrameTest, NoFramesWhileMinimisedAndTheFirstAfterCoversThePause) {
    EXPECT_TRUE(RunFrame());
    PushWindow(SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_TRUE(RunFrame());
    EXPECT_FALSE(IsAppActive());
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(RunFrame());
    EXPECT_EQ(Frames(), 1u);
    SDL_Delay(60);
    PushWindow(SDL_WINDOWEVENT_FOCUS_LOST); // losing focus changes nothing
    EXPECT_TRUE(RunFrame());
    EXPECT_FALSE(IsAppActive());
    PushWindow(SDL_WINDOWEVENT_RESTORED);
    EXPECT_TRUE(RunFrame());
    EXPECT_TRUE(IsAppActive());
    EXPECT_EQ(Frames(), 1u);
    EXPECT_TRUE(RunFrame());
    EXPECT_EQ(Frames(), 2u);
    EXPECT_GE(GetFrameTime(), 0.055f);
}

TEST_F(RunFrameTest, PressAndReleaseBetweenFramesShowNoClick) {
    PushButton(SDL_MOUSEBUTTONDOWN);
    PushButton(SDL_MOUSEBUTTONUP);
    while (Frames() == 0)
        ASSERT_TRUE(RunFrame());
    EXPECT_FALSE(IsLeftClickReleased(g_inputState));
    EXPECT_EQ(g_inputState.prevLeftButton, 0);
}

TEST_F(RunFrameTest, ReleaseIsSeenInExactlyOneFrame) {
    bool seen[3] = {};
    class CClickWatcher : public CProcess {
      public:
        explicit CClickWatcher(bool *out) : m_out(out) {}
        void Process() override { m_out[m_frame++] = IsLeftClickReleased(g_inputState); }

      private:
        bool *m_out;
        int m_frame = 0;
    };
    new CClickWatcher(seen);
    PushButton(SDL_MOUSEBUTTONDOWN);
    EXPECT_TRUE(RunFrame());
    EXPECT_TRUE(RunFrame()); // frame 0: held
    PushButton(SDL_MOUSEBUTTONUP);
    EXPECT_TRUE(RunFrame());
    EXPECT_TRUE(RunFrame()); // frame 1: released
    EXPECT_TRUE(RunFrame()); // frame 2: nothing
    EXPECT_FALSE(seen[0]);
    EXPECT_TRUE(seen[1]);
    EXPECT_FALSE(seen[2]);
}

// Last: the quit request is never cleared in a process.
TEST_F(RunFrameTest, QuitRequestFinishesTheFrameIncludingTheInputCopy) {
    scene->quitInProcess = true;
    g_inputState.leftButton = 1;
    g_inputState.keys[0x20] = 1;
    EXPECT_FALSE(RunFrame());
    EXPECT_EQ(g_trace, (std::vector<std::string>{"process", "render"}));
    EXPECT_EQ(g_inputState.prevLeftButton, 1);
    EXPECT_EQ(g_inputState.prevKeys[0x20], 1);
}

} // namespace
