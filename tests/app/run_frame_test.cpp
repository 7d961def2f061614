// The frame loop over the SDL message pump, events pushed into SDL's queue.
#include "app/application.h"
#include "app/input.h"
#include "app/process.h"
#include "app/renderable.h"
#include "app/shell_hooks.h"
#include "app/shell_state.h"
#include "app/timer.h"
#include "render/render_device_internal.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A window event (`what` its kind), key event (`what` its key) or other event.
SDL_Event Event(Uint32 type, int what = 0) {
    SDL_Event e = {};
    e.type = type;
    if (type == SDL_WINDOWEVENT)
        e.window.event = static_cast<Uint8>(what);
    else
        e.key.keysym.sym = what;
    return e;
}

std::vector<std::string> g_trace;

class CTracer : public CProcess {
  public:
    void Process() override { g_trace.push_back("process"); }
};

void TraceRender() {
    g_trace.push_back("render");
}

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
        AddRenderCallback(0, TraceRender);
    }
    void TearDown() override {
        ClearRenderLayers();
        DeleteAllProcesses();
        DestroyFrameArena();
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
    }

    static void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }
    size_t Frames() const { return std::count(g_trace.begin(), g_trace.end(), "render"); }

    CTracer *tracer = new CTracer();
};

TEST_F(RunFrameTest, QueuedMessagesAreHandledOnePerPassBeforeAnyFrame) {
    Push(Event(SDL_KEYDOWN, SDLK_a));
    Push(Event(SDL_KEYDOWN, SDLK_b));
    Push(Event(SDL_KEYUP, SDLK_a));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(RunFrame());
    EXPECT_TRUE(g_trace.empty());
    EXPECT_EQ(g_inputState.keys[0x41], 0);
    EXPECT_EQ(g_inputState.keys[0x42], 1);
    EXPECT_TRUE(RunFrame());
    EXPECT_EQ(g_trace, (std::vector<std::string>{"process", "render"}));
    EXPECT_EQ(g_inputState.prevKeys[0x42], 1);
    // A quit message ends the loop at once; a close request posts one.
    Push(Event(SDL_QUIT));
    EXPECT_FALSE(RunFrame());
    Push(Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_CLOSE));
    EXPECT_TRUE(RunFrame());
    EXPECT_FALSE(RunFrame());
    EXPECT_EQ(Frames(), 1u);
}

// Losing the focus to another window does not stop frames; only minimising does.
TEST_F(RunFrameTest, FramesStopOnlyWhileMinimisedAndTheFirstAfterCoversThePause) {
    EXPECT_TRUE(RunFrame());
    Push(Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(RunFrame());
    EXPECT_TRUE(IsAppActive());
    EXPECT_EQ(Frames(), 3u);
    Push(Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_MINIMIZED));
    EXPECT_TRUE(RunFrame());
    EXPECT_FALSE(IsAppActive());
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(RunFrame());
    SDL_Delay(60);
    Push(Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST)); // changes nothing
    Push(Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_RESTORED));
    EXPECT_TRUE(RunFrame());
    EXPECT_FALSE(IsAppActive());
    EXPECT_TRUE(RunFrame());
    EXPECT_TRUE(IsAppActive());
    EXPECT_EQ(Frames(), 3u);
    EXPECT_TRUE(RunFrame());
    EXPECT_EQ(Frames(), 4u);
    EXPECT_GE(GetFrameTime(), 0.055f);
}

// Held off only while shown, not minimised and focused; SDL's dummy video
// keeps the flag without a display.
TEST_F(RunFrameTest, HoldsTheScreenSaverOffOnlyWhileShownAndActive) {
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "dummy", SDL_HINT_OVERRIDE);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    const struct {
        Uint8 event;
        bool heldOff;
    } steps[] = {
        {SDL_WINDOWEVENT_FOCUS_GAINED, false}, {SDL_WINDOWEVENT_RESTORED, false},
        {SDL_WINDOWEVENT_SHOWN, true},         {SDL_WINDOWEVENT_FOCUS_LOST, false},
        {SDL_WINDOWEVENT_EXPOSED, false},      {SDL_WINDOWEVENT_FOCUS_GAINED, true},
        {SDL_WINDOWEVENT_MINIMIZED, false},    {SDL_WINDOWEVENT_HIDDEN, false},
        {SDL_WINDOWEVENT_RESTORED, false},     {SDL_WINDOWEVENT_SHOWN, true},
        {SDL_WINDOWEVENT_HIDDEN, false},
    };
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        if (i == 0) { // from any state left by an earlier test: hidden
            Push(Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_SHOWN));
            Push(Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_HIDDEN));
        }
        Push(Event(SDL_WINDOWEVENT, steps[i].event));
        while (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
            EXPECT_TRUE(RunFrame());
        EXPECT_EQ(SDL_IsScreenSaverEnabled() == SDL_FALSE, steps[i].heldOff) << "step " << i;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// The diagnostics executable's hooks: one call per loop pass, minimised or
// not, and one per frame after its swap (no window here: nothing shown).
int g_passes = 0;
std::vector<bool> g_swaps;

TEST_F(RunFrameTest, InstalledHooksSeeEveryPassAndEverySwap) {
    g_passes = 0;
    g_swaps.clear();
    SetShellHooks(ShellHooks{nullptr, nullptr, [] { ++g_passes; },
                             [](bool shown) {
                                 g_swaps.push_back(shown);
                                 g_trace.push_back("swap");
                             }});
    Push(Event(SDL_KEYDOWN, SDLK_a));
    EXPECT_TRUE(RunFrame());
    EXPECT_TRUE(RunFrame());
    Push(Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_MINIMIZED));
    EXPECT_TRUE(RunFrame());
    EXPECT_TRUE(RunFrame());
    SetShellHooks(ShellHooks{});
    EXPECT_TRUE(RunFrame());
    EXPECT_EQ(g_passes, 4);
    EXPECT_EQ(g_swaps, std::vector<bool>{false});
    EXPECT_EQ(g_trace, (std::vector<std::string>{"process", "render", "swap"}));
}

} // namespace
