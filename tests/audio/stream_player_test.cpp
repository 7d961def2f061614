// The stream player's calls, results and record fields, heard through SDL's
// disk driver.
#include "audio/capture_test.h"
#include "audio/stream_player.h"

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
        CloseStream(record_);
        std::filesystem::current_path(oldDirectory_);
        CaptureTest::TearDown();
    }

    // Starts the player on the disk driver, output held, and opens side A.
    void StartAndOpen() {
        UseDiskOutput();
        ASSERT_TRUE(InitSound());
        SndTestHoldOutput(true);
        record_ = OpenStream("data\\TrackA.mp3");
        ASSERT_NE(record_, nullptr);
        ASSERT_NE(record_->stream, nullptr);
        start_ = SndTestFramesMixed();
    }

    SoundStream *record_ = nullptr;
    std::filesystem::path oldDirectory_;
};

// Every call on a record without a track, or on no record, does nothing.
void ExpectInert(SoundStream *record) {
    EXPECT_FALSE(PlayStream(record, 1));
    PauseStream(record);
    ResumeStream(record);
    StopStream(record);
    SetStreamPosition(record, 1000);
    EXPECT_EQ(GetStreamPosition(record), 0);
    if (record != nullptr) {
        EXPECT_EQ(record->stream, nullptr);
        EXPECT_EQ(record->channel, -1);
        EXPECT_EQ(record->savedPosition, 0u);
        EXPECT_FALSE(record->loop);
    }
}

struct LoopCase {
    int loop;
    bool repeats;
};

class PlayLoopTest : public StreamPlayerTest, public ::testing::WithParamInterface<LoopCase> {};

TEST_P(PlayLoopTest, OnlyExactlyOneRepeats) {
    StartAndOpen();
    ASSERT_TRUE(PlayStream(record_, GetParam().loop));
    EXPECT_EQ(record_->loop, GetParam().repeats);
    EXPECT_EQ(record_->channel, 0);
    std::size_t mixed = SndTestAdvance(static_cast<int>(length_) + 20000);
    std::size_t expected = GetParam().repeats ? (mixed - start_) % length_ : length_;
    EXPECT_EQ(GetStreamPosition(record_), static_cast<std::int32_t>(expected));
    EXPECT_EQ(SndIsChannelPlaying(record_->channel), GetParam().repeats);
}

INSTANTIATE_TEST_SUITE_P(Loops, PlayLoopTest,
                         ::testing::Values(LoopCase{1, true}, LoopCase{0, false},
                                           LoopCase{2, false}, LoopCase{-1, false},
                                           LoopCase{257, false}));

// Resume continues at the saved sample after a silent gap; with no gap (two
// clicks in one device buffer) the signal cross-fades into itself.
class PauseTest : public StreamPlayerTest, public ::testing::WithParamInterface<int> {};

TEST_P(PauseTest, ResumeContinuesAtTheSavedSample) {
    StartAndOpen();
    ASSERT_TRUE(PlayStream(record_, 1));
    std::size_t pausedAt = SndTestAdvance(30000);
    std::size_t saved = pausedAt - start_;
    PauseStream(record_);
    EXPECT_EQ(record_->savedPosition, saved);
    EXPECT_EQ(record_->channel, -1);
    EXPECT_EQ(GetStreamPosition(record_), 0);
    SetStreamPosition(record_, 5); // ignored without a channel
    std::size_t resumedAt = GetParam() > 0 ? SndTestAdvance(GetParam()) : pausedAt;
    ResumeStream(record_);
    EXPECT_EQ(record_->channel, 0);
    EXPECT_EQ(GetStreamPosition(record_), static_cast<std::int32_t>(saved));
    SndTestAdvance(10000);
    EXPECT_TRUE(SndIsChannelPlaying(record_->channel));

    Frames capture = Finish();
    EXPECT_EQ(MatchingRun(capture, start_ + ramp_, reference_, ramp_, saved - ramp_),
              saved - ramp_);
    if (GetParam() > 0) {
        EXPECT_TRUE(IsSilent(capture, pausedAt + ramp_, resumedAt));
    }
    long old = GetParam() > 0 ? kSilence : static_cast<long>(saved);
    ExpectRamp(capture, resumedAt, old, static_cast<long>(saved));
    EXPECT_EQ(MatchingRun(capture, resumedAt + ramp_, reference_, saved + ramp_, 8000), 8000u);
}

INSTANTIATE_TEST_SUITE_P(GapFrames, PauseTest, ::testing::Values(10000, 0));

TEST_F(StreamPlayerTest, ResumeWithoutPauseStartsAtZeroAndPlaysOnce) {
    StartAndOpen();
    EXPECT_EQ(record_->channel, -1);
    EXPECT_EQ(record_->savedPosition, 0u);
    ResumeStream(record_);
    EXPECT_EQ(record_->channel, 0);
    EXPECT_EQ(GetStreamPosition(record_), 0);
    SndTestAdvance(static_cast<int>(length_) + 5000);
    EXPECT_FALSE(SndIsChannelPlaying(record_->channel));

    Frames capture = Finish();
    ExpectRamp(capture, start_, kSilence, 0);
    EXPECT_EQ(MatchingRun(capture, start_ + ramp_, reference_, ramp_, length_), length_ - ramp_);
}

TEST_F(StreamPlayerTest, StopGivesPositionZeroAndPlayStartsOver) {
    StartAndOpen();
    ASSERT_TRUE(PlayStream(record_, 1));
    SndTestAdvance(20000);
    StopStream(record_);
    EXPECT_EQ(record_->channel, -1);
    EXPECT_EQ(GetStreamPosition(record_), 0);
    SetStreamPosition(record_, 40000);
    std::size_t playedAt = SndTestAdvance(5000);
    ASSERT_TRUE(PlayStream(record_, 1));
    EXPECT_EQ(GetStreamPosition(record_), 0);
    SndTestAdvance(5000);
    ExpectRamp(Finish(), playedAt, kSilence, 0);
}

struct PlayerSeekCase {
    int played; // frames before the seek
    int step;   // added to the position read back
};

class PlayerSeekTest : public StreamPlayerTest,
                       public ::testing::WithParamInterface<PlayerSeekCase> {};

TEST_P(PlayerSeekTest, CrossFadesToTheTarget) {
    StartAndOpen();
    ASSERT_TRUE(PlayStream(record_, 1));
    std::size_t at = SndTestAdvance(GetParam().played);
    std::int32_t reached = GetStreamPosition(record_);
    ASSERT_EQ(static_cast<std::size_t>(reached), at - start_);
    SetStreamPosition(record_, reached + GetParam().step);
    // Near the start the scene hands over a negative position: it means the start.
    const std::int32_t target = std::max(reached + GetParam().step, 0);
    EXPECT_EQ(GetStreamPosition(record_), target);
    SndTestAdvance(10000);

    Frames capture = Finish();
    ExpectRamp(capture, at, reached, target);
    EXPECT_EQ(MatchingRun(capture, at + ramp_, reference_, target + ramp_, 5000), 5000u);
}

INSTANTIATE_TEST_SUITE_P(Steps, PlayerSeekTest,
                         ::testing::Values(PlayerSeekCase{30000, 8000},
                                           PlayerSeekCase{5000, -8000}));

TEST_F(StreamPlayerTest, MissingTrackAndNullRecordAreInert) {
    StartAndOpen();
    SoundStream *missing = OpenStream("data\\TrackZ.mp3");
    ASSERT_NE(missing, nullptr);
    ExpectInert(missing);
    ExpectInert(nullptr);
    CloseStream(missing);
    CloseStream(nullptr);
    // The good track is unaffected.
    EXPECT_TRUE(PlayStream(record_, 1));
    EXPECT_EQ(record_->channel, 0);
}

TEST_F(StreamPlayerTest, SwitchingTracksClosesTheOldOne) {
    StartAndOpen();
    ASSERT_TRUE(PlayStream(record_, 1));
    SndTestAdvance(10000);
    CloseStream(record_);
    record_ = OpenStream("data/TrackA.mp3");
    ASSERT_NE(record_->stream, nullptr);
    ASSERT_TRUE(PlayStream(record_, 1));
    EXPECT_EQ(record_->channel, 0);
    SndTestAdvance(10000);
    EXPECT_TRUE(SndIsChannelPlaying(0));
    EXPECT_FALSE(SndIsChannelPlaying(1));
}

TEST_F(StreamPlayerTest, WithoutAnOutputDeviceTheRecordIsInert) {
    UseNoOutputDevice();
    EXPECT_FALSE(InitSound());
    record_ = OpenStream("data\\TrackA.mp3");
    ASSERT_NE(record_, nullptr);
    ExpectInert(record_);
}

} // namespace
