// The stream player's calls, results and record fields, heard through SDL's
// disk driver.
#include "audio/capture_test.h"
#include "audio/stream_player.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace audio_test;

namespace {

class StreamPlayerTest : public CaptureTest {
  protected:
    void SetUp() override {
        CaptureTest::SetUp();
        // Tracks are opened by the relative paths the scene uses.
        std::filesystem::create_directories(TempDir() + "/data");
        std::filesystem::copy_file(path_, TempDir() + "/data/TrackA.mp3",
                                   std::filesystem::copy_options::overwrite_existing);
        oldDirectory_ = std::filesystem::current_path();
        std::filesystem::current_path(TempDir());
    }
    void TearDown() override {
        CloseStream(stream_);
        std::filesystem::current_path(oldDirectory_);
        CaptureTest::TearDown();
    }

    // Starts the player on the disk driver, output held, and opens side A.
    void StartAndOpen() {
        UseDiskOutput("capture.raw");
        ASSERT_TRUE(InitSound());
        SndTestHoldOutput(true);
        stream_ = OpenStream("data\\TrackA.mp3");
        ASSERT_NE(stream_, nullptr);
        ASSERT_NE(stream_->stream, nullptr);
    }

    SoundStream *stream_ = nullptr;
    std::filesystem::path oldDirectory_;
};

TEST_F(StreamPlayerTest, OpenGivesAStoppedRecord) {
    StartAndOpen();
    EXPECT_FALSE(stream_->loop);
    EXPECT_EQ(stream_->channel, -1);
    EXPECT_EQ(stream_->savedPosition, 0u);
    EXPECT_EQ(GetStreamPosition(stream_), 0);
}

struct LoopCase {
    int loop;
    bool repeats;
};

class PlayLoopTest : public StreamPlayerTest, public ::testing::WithParamInterface<LoopCase> {};

TEST_P(PlayLoopTest, OnlyExactlyOneRepeats) {
    StartAndOpen();
    std::size_t start = SndTestFramesMixed();
    ASSERT_TRUE(PlayStream(stream_, GetParam().loop));
    EXPECT_EQ(stream_->loop, GetParam().repeats);
    EXPECT_EQ(stream_->channel, 0);
    std::size_t mixed = SndTestAdvance(static_cast<int>(length_) + 20000);
    std::int32_t expected =
        static_cast<std::int32_t>(GetParam().repeats ? (mixed - start) % length_ : length_);
    EXPECT_EQ(GetStreamPosition(stream_), expected);
    EXPECT_EQ(SndIsChannelPlaying(stream_->channel), GetParam().repeats);
}

INSTANTIATE_TEST_SUITE_P(Loops, PlayLoopTest,
                         ::testing::Values(LoopCase{1, true}, LoopCase{0, false},
                                           LoopCase{2, false}, LoopCase{-1, false},
                                           LoopCase{257, false}));

TEST_F(StreamPlayerTest, PauseThenResumeContinuesAtTheSavedSample) {
    StartAndOpen();
    std::size_t start = SndTestFramesMixed();
    ASSERT_TRUE(PlayStream(stream_, 1));
    std::size_t pausedAt = SndTestAdvance(30000);
    std::size_t saved = pausedAt - start;
    PauseStream(stream_);
    EXPECT_EQ(stream_->savedPosition, saved);
    EXPECT_EQ(stream_->channel, -1);
    EXPECT_EQ(GetStreamPosition(stream_), 0);
    SetStreamPosition(stream_, 5); // ignored without a channel
    std::size_t resumedAt = SndTestAdvance(10000);
    ResumeStream(stream_);
    EXPECT_EQ(stream_->channel, 0);
    EXPECT_EQ(GetStreamPosition(stream_), static_cast<std::int32_t>(saved));
    SndTestAdvance(10000);
    EXPECT_TRUE(SndIsChannelPlaying(stream_->channel));

    Frames capture = Finish();
    EXPECT_EQ(MatchingRun(capture, start + ramp_, reference_, ramp_, saved - ramp_), saved - ramp_);
    EXPECT_TRUE(IsSilent(capture, pausedAt + ramp_, resumedAt));
    ExpectFadeIn(capture, resumedAt, saved);
    EXPECT_EQ(MatchingRun(capture, resumedAt + ramp_, reference_, saved + ramp_, 8000), 8000u);
}

// Two clicks can fall into one device buffer: the resume still restarts the
// track at the saved sample, and the old and new signal are the same there.
TEST_F(StreamPlayerTest, PauseAndResumeWithinOneBufferKeepsTheSignal) {
    StartAndOpen();
    std::size_t start = SndTestFramesMixed();
    ASSERT_TRUE(PlayStream(stream_, 1));
    std::size_t at = SndTestAdvance(30000);
    std::size_t saved = at - start;
    PauseStream(stream_);
    ResumeStream(stream_);
    EXPECT_EQ(GetStreamPosition(stream_), static_cast<std::int32_t>(saved));
    SndTestAdvance(10000);
    EXPECT_EQ(GetStreamPosition(stream_), static_cast<std::int32_t>(SndTestFramesMixed() - start));

    Frames capture = Finish();
    ExpectCrossFade(capture, at, saved, saved);
    EXPECT_EQ(MatchingRun(capture, at + ramp_, reference_, saved + ramp_, 8000), 8000u);
}

TEST_F(StreamPlayerTest, ResumeWithoutPauseStartsAtZeroAndPlaysOnce) {
    StartAndOpen();
    std::size_t start = SndTestFramesMixed();
    ResumeStream(stream_);
    EXPECT_EQ(stream_->channel, 0);
    EXPECT_EQ(GetStreamPosition(stream_), 0);
    SndTestAdvance(static_cast<int>(length_) + 5000);
    EXPECT_FALSE(SndIsChannelPlaying(stream_->channel));

    Frames capture = Finish();
    ExpectFadeIn(capture, start, 0);
    EXPECT_EQ(MatchingRun(capture, start + ramp_, reference_, ramp_, length_), length_ - ramp_);
}

TEST_F(StreamPlayerTest, StopGivesPositionZeroAndPlayStartsOver) {
    StartAndOpen();
    ASSERT_TRUE(PlayStream(stream_, 1));
    SndTestAdvance(20000);
    StopStream(stream_);
    EXPECT_EQ(stream_->channel, -1);
    EXPECT_EQ(GetStreamPosition(stream_), 0);
    SetStreamPosition(stream_, 40000);
    std::size_t playedAt = SndTestAdvance(5000);
    ASSERT_TRUE(PlayStream(stream_, 1));
    EXPECT_EQ(GetStreamPosition(stream_), 0);
    SndTestAdvance(5000);

    Frames capture = Finish();
    ExpectFadeIn(capture, playedAt, 0);
}

struct PlayerSeekCase {
    int step;            // added to the position read back
    std::int32_t expect; // position heard next, relative to the one read back
    std::int32_t floor;  // lowest position the result may have
};

class PlayerSeekTest : public StreamPlayerTest,
                       public ::testing::WithParamInterface<PlayerSeekCase> {};

TEST_P(PlayerSeekTest, MovesByTheStep) {
    StartAndOpen();
    std::size_t start = SndTestFramesMixed();
    ASSERT_TRUE(PlayStream(stream_, 1));
    std::size_t at = SndTestAdvance(GetParam().step < 0 ? 5000 : 30000);
    std::int32_t reached = GetStreamPosition(stream_);
    ASSERT_EQ(static_cast<std::size_t>(reached), at - start);
    SetStreamPosition(stream_, GetStreamPosition(stream_) + GetParam().step);
    std::int32_t target = std::max(reached + GetParam().expect, GetParam().floor);
    EXPECT_EQ(GetStreamPosition(stream_), target);
    SndTestAdvance(10000);

    Frames capture = Finish();
    ExpectCrossFade(capture, at, static_cast<std::size_t>(reached),
                    static_cast<std::size_t>(target));
    EXPECT_EQ(MatchingRun(capture, at + ramp_, reference_, target + ramp_, 5000), 5000u);
}

INSTANTIATE_TEST_SUITE_P(Steps, PlayerSeekTest,
                         ::testing::Values(PlayerSeekCase{8000, 8000, 0},
                                           // Near the start the scene hands over a
                                           // negative position: it means the start.
                                           PlayerSeekCase{-8000, -8000, 0}));

TEST_F(StreamPlayerTest, MissingTrackGivesARecordEveryCallIgnores) {
    StartAndOpen();
    SoundStream *missing = OpenStream("data\\TrackZ.mp3");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->stream, nullptr);
    EXPECT_EQ(missing->channel, -1);
    EXPECT_FALSE(PlayStream(missing, 1));
    EXPECT_FALSE(missing->loop);
    PauseStream(missing);
    ResumeStream(missing);
    StopStream(missing);
    SetStreamPosition(missing, 1000);
    EXPECT_EQ(GetStreamPosition(missing), 0);
    EXPECT_EQ(missing->channel, -1);
    EXPECT_EQ(missing->savedPosition, 0u);
    CloseStream(missing);
    // The good track is unaffected.
    EXPECT_TRUE(PlayStream(stream_, 1));
    EXPECT_EQ(stream_->channel, 0);
}

TEST_F(StreamPlayerTest, NullRecordIsHarmless) {
    StartAndOpen();
    EXPECT_FALSE(PlayStream(nullptr, 1));
    PauseStream(nullptr);
    ResumeStream(nullptr);
    StopStream(nullptr);
    SetStreamPosition(nullptr, 5);
    EXPECT_EQ(GetStreamPosition(nullptr), 0);
    CloseStream(nullptr);
}

TEST_F(StreamPlayerTest, SwitchingTracksClosesTheOldOne) {
    StartAndOpen();
    ASSERT_TRUE(PlayStream(stream_, 1));
    SndTestAdvance(10000);
    CloseStream(stream_);
    stream_ = OpenStream("data/TrackA.mp3");
    ASSERT_NE(stream_->stream, nullptr);
    ASSERT_TRUE(PlayStream(stream_, 1));
    EXPECT_EQ(stream_->channel, 0);
    SndTestAdvance(10000);
    EXPECT_TRUE(SndIsChannelPlaying(0));
    EXPECT_FALSE(SndIsChannelPlaying(1));
}

TEST_F(StreamPlayerTest, WithoutAnOutputDeviceTheProgramRunsSilently) {
    UseNoOutputDevice();
    EXPECT_FALSE(InitSound());
    stream_ = OpenStream("data\\TrackA.mp3");
    ASSERT_NE(stream_, nullptr);
    EXPECT_EQ(stream_->stream, nullptr);
    EXPECT_FALSE(PlayStream(stream_, 1));
    PauseStream(stream_);
    ResumeStream(stream_);
    SetStreamPosition(stream_, GetStreamPosition(stream_) - 8000);
    StopStream(stream_);
    EXPECT_EQ(GetStreamPosition(stream_), 0);
    EXPECT_EQ(stream_->channel, -1);
}

} // namespace
