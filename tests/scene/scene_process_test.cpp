#include "app/shell_state.h"
#include "scene/scene_fixture.h"

#include <cmath>

namespace {

using ProcessTest = SceneTest;

TEST_P(ProcessTest, ConstructionStartsSideAAndTheIntro) {
    EXPECT_EQ(0u, scene->m_stage);
    EXPECT_EQ(0.0f, scene->m_stageTime);
    EXPECT_EQ(0, scene->m_side);
    EXPECT_FALSE(scene->m_paused);
    EXPECT_TRUE(scene->m_playing);
    EXPECT_FALSE(scene->m_logoOn);
    EXPECT_EQ(1.0f, scene->m_logoSlide);
    EXPECT_EQ(1.0f, scene->m_switchFade);
    for (float t : scene->m_holdTime)
        EXPECT_EQ(0.0f, t);
    ASSERT_EQ(3u, g_streamCalls.size());
    EXPECT_EQ("close", g_streamCalls[0].op);
    EXPECT_EQ("(null)", g_streamCalls[0].path);
    EXPECT_EQ("open", g_streamCalls[1].op);
    EXPECT_EQ("data\\TrackA.mp3", g_streamCalls[1].path);
    EXPECT_EQ("play", g_streamCalls[2].op);
    EXPECT_EQ(1, g_streamCalls[2].value);
}

TEST_P(ProcessTest, HotSpotsComeFromThePanelScaledToTheScreen) {
    // Corner and size of each button in panel pixels.
    const float table[7][4] = {{481, 249, 52, 54}, {445, 337, 50, 53}, {513, 364, 49, 56},
                               {529, 687, 110, 46}, {309, 699, 49, 46}, {197, 703, 46, 46},
                               {87, 706, 46, 45}};
    const float s = Width() * 0.0009765625f;
    for (int i = 0; i < 7; ++i) {
        EXPECT_FLOAT_EQ(table[i][0] * s, scene->m_hotSpots[i].position.x) << i;
        EXPECT_FLOAT_EQ(table[i][1] * s, scene->m_hotSpots[i].position.y) << i;
        EXPECT_FLOAT_EQ(table[i][2] * s, scene->m_hotSpots[i].size.x) << i;
        EXPECT_FLOAT_EQ(table[i][3] * s, scene->m_hotSpots[i].size.y) << i;
    }
}

TEST_P(ProcessTest, IntroStagesCarryTheExcessAndPassOneStagePerFrame) {
    Frame(6.0f); // not above 6: still the first picture
    EXPECT_EQ(0u, scene->m_stage);
    Frame(0.5f);
    EXPECT_EQ(1u, scene->m_stage);
    EXPECT_FLOAT_EQ(0.5f, scene->m_stageTime);
    Frame(20.0f); // a long stall passes one stage only
    EXPECT_EQ(2u, scene->m_stage);
    EXPECT_FLOAT_EQ(14.5f, scene->m_stageTime);
}

TEST_P(ProcessTest, ButtonsDoNothingDuringTheIntro) {
    Frame(1.0f);
    Click(kNext);
    Click(kQuit);
    EXPECT_EQ(0, scene->m_side);
    EXPECT_FALSE(IsQuitRequested());
    for (float t : scene->m_holdTime)
        EXPECT_EQ(0.0f, t);
}

TEST_P(ProcessTest, PanelStageTimeIsHeldAtThree) {
    EnterPanel();
    Frame(10.0f);
    EXPECT_EQ(3.0f, scene->m_stageTime);
}

TEST_P(ProcessTest, SidesWrapBothWays) {
    EnterPanel();
    ResetFakeStreams();
    Click(kPrevious);
    EXPECT_EQ(3, scene->m_side);
    EXPECT_TRUE(scene->m_switchPending);
    ASSERT_EQ(1u, CallsOf("open").size());
    EXPECT_EQ("data\\TrackD.mp3", CallsOf("open")[0].path);
    EXPECT_EQ("data\\TrackA.mp3", CallsOf("close")[0].path);
    Click(kNext);
    EXPECT_EQ(0, scene->m_side);
    EXPECT_EQ("data\\TrackA.mp3", CallsOf("open")[1].path);
    EXPECT_EQ(1, CallsOf("play")[1].value);
}

TEST_P(ProcessTest, HoldingNextSeeksFromTheFirstFramePastHalfASecond) {
    EnterPanel();
    PointAt(kNext);
    g_inputState.leftButton = 1;
    Frame(0.1f); // press: hold time cleared
    ResetFakeStreams();
    g_fakePosition = 100000;
    Frame(0.3f);
    EXPECT_TRUE(CallsOf("set").empty());
    Frame(0.3f); // 0.6 s held
    ASSERT_EQ(1u, CallsOf("set").size());
    EXPECT_EQ(108000, CallsOf("set")[0].value);
    Frame(0.1f);
    EXPECT_EQ(116000, g_fakePosition);
    g_inputState.leftButton = 0;
    Frame(0.1f); // the release after a hold changes nothing
    EXPECT_EQ(0, scene->m_side);
    EXPECT_TRUE(CallsOf("open").empty());
}

TEST_P(ProcessTest, HoldingPreviousSeeksBackAndHandsOverNegativePositions) {
    EnterPanel();
    PointAt(kPrevious);
    g_inputState.leftButton = 1;
    Frame(0.1f);
    ResetFakeStreams();
    g_fakePosition = 5000;
    Frame(0.6f);
    ASSERT_EQ(1u, CallsOf("set").size());
    EXPECT_EQ(-3000, CallsOf("set")[0].value);
}

TEST_P(ProcessTest, AHoldOfExactlyHalfASecondNeitherSeeksNorClicks) {
    EnterPanel();
    PointAt(kNext);
    g_inputState.leftButton = 1;
    Frame(0.1f);
    ResetFakeStreams();
    Frame(0.25f);
    Frame(0.25f);
    EXPECT_EQ(0.5f, scene->m_holdTime[kNext]);
    g_inputState.leftButton = 0;
    Frame(0.01f);
    EXPECT_TRUE(g_streamCalls.empty());
    EXPECT_EQ(0, scene->m_side);
}

TEST_P(ProcessTest, APressBegunOutsideCountsWhenReleasedOnAButton) {
    EnterPanel();
    PointAt(kLogo);
    Frame(0.01f); // resting on the button with the button up clears its hold time
    g_inputState.mouseX = 2;
    g_inputState.mouseY = 2;
    g_inputState.leftButton = 1;
    Frame(0.01f);
    Frame(0.01f);
    PointAt(kLogo);
    g_inputState.leftButton = 0;
    Frame(0.01f);
    EXPECT_TRUE(scene->m_logoOn);
}

TEST_P(ProcessTest, BorderPixelsOfAHotSpotDoNotCount) {
    EnterPanel();
    const HotSpot &h = scene->m_hotSpots[kLogo];
    g_inputState.mouseX = static_cast<int32_t>(std::ceil(h.position.x));
    g_inputState.mouseY = static_cast<int32_t>(h.position.y + 5);
    const bool onBorder = static_cast<float>(g_inputState.mouseX) == h.position.x;
    g_inputState.leftButton = 1;
    Frame(0.01f);
    g_inputState.leftButton = 0;
    Frame(0.01f);
    EXPECT_EQ(!onBorder, scene->m_logoOn);
}

TEST_P(ProcessTest, PlayerStatesFollowTheButtons) {
    EnterPanel();
    ResetFakeStreams();
    Click(kPlay); // playing: nothing
    EXPECT_TRUE(g_streamCalls.empty());
    Click(kPause);
    EXPECT_TRUE(scene->m_paused);
    EXPECT_EQ(1u, CallsOf("pause").size());
    Click(kPause);
    EXPECT_FALSE(scene->m_paused);
    EXPECT_EQ(1u, CallsOf("resume").size());
    Click(kPause);
    Click(kPlay);
    EXPECT_FALSE(scene->m_paused);
    EXPECT_EQ(2u, CallsOf("resume").size());
    Click(kStop);
    EXPECT_FALSE(scene->m_playing);
    EXPECT_EQ(1u, CallsOf("stop").size());
    Click(kPause); // stopped: pause and stop do nothing
    Click(kStop);
    EXPECT_EQ(2u, CallsOf("pause").size());
    EXPECT_EQ(1u, CallsOf("stop").size());
    ResetFakeStreams();
    Click(kPlay);
    EXPECT_TRUE(scene->m_playing);
    ASSERT_EQ(1u, CallsOf("play").size());
    EXPECT_EQ(1, CallsOf("play")[0].value);
}

TEST_P(ProcessTest, ASideChangeWhilePausedPlaysTheNewTrackAndStaysPaused) {
    EnterPanel();
    Click(kPause);
    ResetFakeStreams();
    Click(kPrevious);
    EXPECT_TRUE(scene->m_paused);
    ASSERT_EQ(1u, CallsOf("play").size());
    EXPECT_EQ("data\\TrackD.mp3", CallsOf("play")[0].path);
    Frame(1.1f); // the fade ends; the line stays frozen at the new text's start
    EXPECT_EQ(3, scene->m_shownSide);
    EXPECT_EQ(0u, scene->m_lineOffset);
    EXPECT_EQ(0.0f, scene->m_lineTime);
    Click(kPlay);
    ASSERT_EQ(1u, CallsOf("resume").size());
    EXPECT_EQ("data\\TrackD.mp3", CallsOf("resume")[0].path);
}

TEST_P(ProcessTest, TheFadeEndsOnTheLastSelectedSide) {
    EnterPanel();
    Click(kNext);
    Frame(0.3f);
    Click(kNext);
    EXPECT_EQ(2, scene->m_side);
    EXPECT_EQ(0, scene->m_shownSide);
    EXPECT_LT(scene->m_switchFade, 0.7f); // a second click does not restart the fade
    Frame(0.7f);
    EXPECT_EQ(2, scene->m_shownSide);
    EXPECT_FALSE(scene->m_switchPending);
    EXPECT_EQ(1.0f, scene->m_switchFade);
}

TEST_P(ProcessTest, ScrollLinesAdvanceEveryThreeSecondsAndWrap) {
    EnterPanel();
    const uint8_t *text = scene->m_text[0];
    const uint32_t size = scene->m_textSize[0];
    ASSERT_NE(nullptr, text);
    // Expected line starts: after each line feed, wrapping once past size - 1.
    std::vector<uint32_t> starts;
    for (uint32_t i = 0; i < size; ++i)
        if (text[i] == '\n' && i + 1 < size - 1)
            starts.push_back(i + 1);
    ASSERT_GE(starts.size(), 3u);
    // The first panel frame already passed the empty first line.
    EXPECT_EQ(starts[0], scene->m_lineOffset);
    for (size_t k = 1; k < starts.size(); ++k) {
        Frame(3.0f);
        EXPECT_EQ(starts[k], scene->m_lineOffset) << k;
    }
    Frame(3.0f);
    EXPECT_EQ(0u, scene->m_lineOffset);
    EXPECT_EQ(0.0f, scene->m_lineTime);
    Frame(0.01f);
    EXPECT_EQ(starts[0], scene->m_lineOffset);
}

TEST_P(ProcessTest, ALongStallCatchesUpOneLinePerFrame) {
    EnterPanel();
    const uint32_t before = scene->m_lineOffset;
    Frame(10.0f);
    const uint32_t afterStall = scene->m_lineOffset;
    EXPECT_NE(before, afterStall);
    EXPECT_LE(scene->m_lineTime, 0.0f);
    Frame(0.001f);
    EXPECT_NE(afterStall, scene->m_lineOffset);
}

TEST_P(ProcessTest, QuitFinishesItsFrame) {
    EnterPanel();
    Click(kNext); // a side change is fading
    PointAt(kQuit);
    g_inputState.leftButton = 1;
    Frame(0.01f);
    const float fade = scene->m_switchFade;
    g_inputState.leftButton = 0;
    Frame(0.2f);
    EXPECT_TRUE(IsQuitRequested());
    EXPECT_FLOAT_EQ(fade - 0.2f, scene->m_switchFade); // the rest of the frame still ran
}

TEST_P(ProcessTest, EmptyAndMissingTextsAreNeverReadOutside) {
    EnterPanel();
    static const uint8_t noLineFeed[] = {'a', 'b', 'c'};
    scene->m_text[0] = noLineFeed;
    scene->m_textSize[0] = 3;
    scene->m_lineOffset = 0;
    for (int i = 0; i < 5; ++i)
        Frame(3.0f);
    EXPECT_LT(scene->m_lineOffset, 3u);
    scene->m_text[0] = nullptr;
    scene->m_textSize[0] = 0;
    for (int i = 0; i < 5; ++i)
        Frame(3.0f);
    EXPECT_EQ(0u, scene->m_lineOffset);
}

INSTANTIATE_TEST_SUITE_P(Screens, ProcessTest, ::testing::Values(1024, 800));

} // namespace
