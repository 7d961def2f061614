// The music disk at both screen sizes; frame time and input set here, streams recorded.
#include "app/input.h"
#include "app/process.h"
#include "app/renderable.h"
#include "app/shell_state.h"
#include "app/timer_internal.h"
#include "audio/stream_player.h"
#include "render/render_device.h"
#include "render/render_device_internal.h"
#include "render/vertex.h"
#include "scene/testbed.h"
#include "support/gl_context.h"
#include "support/testbed_leftovers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls; // "op stream" or "op stream value", in call order
int32_t g_position = 0;           // what GetStreamPosition reports
std::map<const SoundStream *, std::string> g_paths;

void Log(const char *op, const SoundStream *s, const std::string &value = "") {
    g_calls.push_back(std::string(op) + " " + (s ? g_paths[s] : "(null)") + value);
}

} // namespace

SoundStream *OpenStream(const char *path) {
    SoundStream *s = new SoundStream{false, nullptr, -1, 0};
    // A program track is named by its letter; any other path stays whole.
    std::string name = path;
    for (char c = 'A'; c <= 'D'; ++c)
        if (name == std::string("data\\Track") + c + ".mp3")
            name = c;
    g_paths[s] = name;
    Log("open", s);
    return s;
}

bool PlayStream(SoundStream *s, int loop) {
    Log("play", s, " " + std::to_string(loop));
    return s != nullptr;
}

void StopStream(SoundStream *s) {
    Log("stop", s);
}

void PauseStream(SoundStream *s) {
    Log("pause", s);
}

void ResumeStream(SoundStream *s) {
    Log("resume", s);
}

void CloseStream(SoundStream *s) {
    Log("close", s);
    delete s;
}

int32_t GetStreamPosition(SoundStream *s) {
    Log("get", s);
    return g_position;
}

void SetStreamPosition(SoundStream *s, int32_t position) {
    Log("set", s, " " + std::to_string(position));
    g_position = position;
}

namespace {

enum { kPlay, kPrevious, kNext, kLogo, kPause, kStop, kQuit, kNowhere };

// Click: down and up in two frames (Edge: on the left border); Press/Release:
// a frame with the button down/up there; Wait: a frame, input unchanged.
enum Op { kClick, kEdgeClick, kPress, kRelease, kWait };
struct Step {
    Op op;
    int button = kNowhere;
    float dt = 0.01f;
};

class SceneTest : public ::testing::TestWithParam<int> {
  protected:
    int Width() const { return GetParam(); }
    int Height() const { return GetParam() == 800 ? 600 : 768; }

    void SetUp() override {
        m_gl = std::make_unique<CTestGLContext>(Width(), Height());
        ASSERT_TRUE(m_gl->Ok()) << m_gl->Error();
        InitRenderDevice(Width(), Height());
        g_calls.clear();
        g_position = 0;
        std::memset(&g_inputState, 0, sizeof g_inputState);
        scene = new CTestbed();
        static const uint8_t text[] = "\n%n\ncd\nef\n"; // every side's lines start at 1, 4, 7
        for (int i = 0; i < CTestbed::kSides; ++i) {
            scene->m_text[i] = text;
            scene->m_textSize[i] = sizeof text - 1;
        }
    }
    void TearDown() override {
        DeleteTestbedAndLeftovers(scene);
        ClearRenderLayers();
        ShutdownRenderDevice();
    }

    // One frame as the shell runs it: process step, render pass, input copy.
    void Frame(float dt) {
        SetFrameTimeForTest(dt);
        UpdateProcesses();
        RenderLayers();
        CopyInputToPrevious();
    }
    void EnterPanel() {
        for (int i = 0; i < 5; ++i)
            Frame(6.0001f);
        Frame(2.0f); // shows the first line for a second
        ASSERT_EQ(5u, scene->m_stage);
    }

    void Run(const Step &s) {
        if (s.op == kWait)
            return Frame(s.dt);
        g_inputState.mouseX = g_inputState.mouseY = 2;
        if (s.button != kNowhere) {
            const HotSpot &h = scene->m_hotSpots[s.button];
            const float x = s.op == kEdgeClick ? h.position.x : h.position.x + h.size.x * 0.5f;
            g_inputState.mouseX = static_cast<int32_t>(x);
            g_inputState.mouseY = static_cast<int32_t>(h.position.y + h.size.y * 0.5f);
        }
        g_inputState.leftButton = s.op != kRelease;
        Frame(s.dt);
        if (s.op == kClick || s.op == kEdgeClick) {
            g_inputState.leftButton = 0;
            Frame(s.dt);
        }
    }

    // Sides selected and shown, player, logo, fade, line offset; stream calls.
    std::string Outcome() const {
        const char *player = scene->m_paused ? "paused" : scene->m_playing ? "playing" : "stopped";
        char s[80];
        std::snprintf(s, sizeof s, "side %c shown %c %s%s fade %.2f line %u: ", 'A' + scene->m_side,
                      'A' + scene->m_shownSide, player, scene->m_logoOn ? " logo" : "",
                      scene->m_switchFade, scene->m_lineOffset);
        std::string out = s;
        for (size_t i = 0; i < g_calls.size(); ++i)
            out += (i ? ", " : "") + g_calls[i];
        return out;
    }

    CTestbed *scene = nullptr;
    std::unique_ptr<CTestGLContext> m_gl;
};

TEST_P(SceneTest, StagesAndScrollLinesFollowTheFrameTime) {
    Run({kClick, kNext, 0.0f}); // buttons are dead in the intro
    Run({kClick, kQuit, 0.0f});
    EXPECT_FALSE(IsQuitRequested());
    EXPECT_EQ("side A shown A playing fade 1.00 line 0: close (null), open A, play A 1", Outcome());
    const struct {
        float dt;
        uint32_t stage;
        float stageTime;
        uint32_t line;
    } frames[] = {
        {6.0f, 0, 6.0f, 0},                         // not above 6: still the first picture
        {0.5f, 1, 0.5f, 0},   {20.0f, 2, 14.5f, 0}, // a long stall passes one stage only
        {0.0f, 3, 8.5f, 0},   {0.0f, 4, 2.5f, 0},   {3.5f, 4, 6.0f, 0},
        {0.25f, 5, 0.25f, 0}, {10.0f, 5, 3.0f, 1},  // the panel's time is held at 3
        {0.001f, 5, 3.0f, 4},                       // a stalled line catches up a line per frame
        {0.001f, 5, 3.0f, 7}, {0.001f, 5, 3.0f, 0}, // the wrap clears the line time
        {0.5f, 5, 3.0f, 1},   {2.0f, 5, 3.0f, 1},   {0.5f, 5, 3.0f, 4}, // three seconds a line
    };
    for (const auto &f : frames) {
        Frame(f.dt);
        EXPECT_EQ(f.stage, scene->m_stage) << f.dt;
        EXPECT_FLOAT_EQ(f.stageTime, scene->m_stageTime) << f.dt;
        EXPECT_EQ(f.line, scene->m_lineOffset) << f.dt;
        EXPECT_TRUE(f.line != 1 || !std::strcmp("%n", g_scrollLine)) << g_scrollLine; // as itself
    }
}

TEST_P(SceneTest, ButtonsDriveSidesPlayerAndLogo) {
    const auto click = [](int button) { return Step{kClick, button}; };
    const auto edge = [](int button) { return Step{kEdgeClick, button}; };
    const auto press = [](int button, float dt = 0.01f) { return Step{kPress, button, dt}; };
    const auto release = [](int button) { return Step{kRelease, button}; };
    const auto wait = [](float dt = 0.01f) { return Step{kWait, kNowhere, dt}; };
    const struct {
        const char *name;
        std::vector<Step> steps;
        const char *outcome;
    } scripts[] = {
        {"previous wraps round to D, next back to A; more changes do not restart the fade",
         {click(kPrevious), click(kNext), wait(0.3f), click(kNext), wait(0.7f)},
         "side B shown B playing fade 1.00 line 1: close A, open D, play D 1, close D, open A, "
         "play A 1, close A, open B, play B 1"},
        {"play while playing does nothing; pause toggles; play resumes; stopped, pause and stop "
         "do nothing and play starts over",
         {click(kPlay), click(kPause), click(kPause), click(kPause), click(kPlay), click(kPause),
          click(kStop), click(kPause), click(kStop), click(kPlay)},
         "side A shown A playing fade 1.00 line 1: pause A, resume A, pause A, resume A, pause A, "
         "stop A, play A 1"},
        {"a side change keeps the pause; its line stays at the start",
         {click(kPause), click(kPrevious), wait(1.1f), wait(3.0f)},
         "side D shown D paused fade 1.00 line 0: pause A, close A, open D, play D 1"},
        {"holds past 0.5 s seek a step per frame, back below 0 too; their release is no click",
         {press(kPrevious, 0.1f), wait(0.6f), release(kPrevious), press(kNext, 0.1f), wait(0.3f),
          wait(0.3f), wait(0.1f), release(kNext)},
         "side A shown A playing fade 1.00 line 4: get A, set A -3000, get A, set A 5000, get A, "
         "set A 13000"},
        {"a hold of exactly 0.5 s is no click; a press begun off the buttons counts when released "
         "on one; a hot spot's left border is outside it",
         {press(kNext, 0.1f), wait(0.25f), wait(0.25f), release(kNext), press(kNowhere), wait(),
          release(kLogo), edge(kLogo)},
         "side A shown A playing logo fade 1.00 line 1: "},
    };
    for (const auto &c : scripts) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        EnterPanel();
        g_calls.clear();
        g_position = 5000;
        for (const Step &s : c.steps)
            Run(s);
        EXPECT_EQ(c.outcome, Outcome());
    }
}

// The highest alpha among the vertices one more DrawScrollText adds to the
// frame arena (shadow and line).
uint32_t DrawnLineAlpha(CTestbed *scene) {
    const unsigned char *from = FrameArenaCursor();
    scene->DrawScrollText();
    uint32_t most = 0;
    for (const unsigned char *p = from; p + sizeof(Vertex2D) <= FrameArenaCursor();
         p += sizeof(Vertex2D)) {
        Vertex2D v;
        std::memcpy(&v, p, sizeof v);
        most = std::max(most, v.colour >> 24);
    }
    return most;
}

// After a 60 s stall the line time stays negative while the lines catch up, one
// a frame; no catch-up frame draws its line stronger than the faint fade-out
// the line had just before the stall.
TEST_P(SceneTest, LinesCatchingUpAfterAStallStayWithinTheirFade) {
    static const std::string text = [] {
        std::string t;
        for (int i = 0; i < 40; ++i)
            t += "ab\n";
        return t;
    }();
    for (int i = 0; i < CTestbed::kSides; ++i) {
        scene->m_text[i] = reinterpret_cast<const uint8_t *>(text.data());
        scene->m_textSize[i] = static_cast<uint32_t>(text.size());
    }
    EnterPanel();
    Frame(scene->m_lineTime - 0.05f); // 0.05 s of the line left
    const uint32_t faint = DrawnLineAlpha(scene);
    ASSERT_GT(faint, 0u);
    ASSERT_LT(faint, 64u);
    Frame(60.0f);
    int advanced = 0;
    for (int f = 0; f < 30; ++f) {
        const uint32_t line = scene->m_lineOffset;
        EXPECT_LE(DrawnLineAlpha(scene), faint) << "frame " << f << " after the stall";
        Frame(0.001f);
        advanced += scene->m_lineOffset != line;
    }
    EXPECT_GE(advanced, 15); // the catch-up really ran
}

INSTANTIATE_TEST_SUITE_P(Screens, SceneTest, ::testing::Values(1024, 800));

} // namespace
