// The stream player's own rules over the sound library: loop flag, pause and
// resume, and records without a track.
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

    // Starts the player on the test device, output held, and opens side A.
    void StartAndOpen() {
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

// Resume continues at the saved sample after a silent gap.
TEST_F(StreamPlayerTest, ResumeContinuesAtTheSavedSample) {
    StartAndOpen();
    ASSERT_TRUE(PlayStream(record_, 1));
    std::size_t pausedAt = SndTestAdvance(30000);
    std::size_t saved = pausedAt - start_;
    PauseStream(record_);
    EXPECT_EQ(record_->savedPosition, saved);
    EXPECT_EQ(record_->channel, -1);
    EXPECT_EQ(GetStreamPosition(record_), 0);
    SetStreamPosition(record_, 5); // ignored without a channel
    std::size_t resumedAt = SndTestAdvance(10000);
    ResumeStream(record_);
    EXPECT_EQ(record_->channel, 0);
    EXPECT_EQ(GetStreamPosition(record_), static_cast<std::int32_t>(saved));
    SndTestAdvance(10000);
    EXPECT_TRUE(SndIsChannelPlaying(record_->channel));

    Frames capture = Finish();
    EXPECT_EQ(Heard(capture, start_ + ramp_, ramp_, saved - ramp_), saved - ramp_);
    EXPECT_TRUE(IsSilent(capture, pausedAt + ramp_, resumedAt));
    ExpectRamp(capture, resumedAt, kSilence, static_cast<long>(saved));
    EXPECT_EQ(Heard(capture, resumedAt + ramp_, saved + ramp_, 8000), 8000u);
}

TEST_F(StreamPlayerTest, MissingTrackAndNullRecordAreInert) {
    StartAndOpen();
    SoundStream *missing = OpenStream("data\\TrackZ.mp3");
    ASSERT_NE(missing, nullptr);
    ExpectInert(missing);
    ExpectInert(nullptr);
    CloseStream(missing);
    CloseStream(nullptr);
    // The good track is unaffected, and plain slashes work as well.
    EXPECT_TRUE(PlayStream(record_, 1));
    EXPECT_EQ(record_->channel, 0);
    SoundStream *slashed = OpenStream("data/TrackA.mp3");
    EXPECT_TRUE(PlayStream(slashed, 1));
    CloseStream(slashed);
}

} // namespace
