// The sound library against the test output device: what reaches the device
// is compared frame by frame with a straight decode of the same file.
#include "audio/capture_test.h"

#include <chrono>
#include <thread>

using namespace audio_test;

namespace {

using SoundLibraryTest = CaptureTest;

struct LoopCase {
    const char *name;
    int loops;
    std::size_t passes; // 0: endless
};

class LoopTest : public SoundLibraryTest, public ::testing::WithParamInterface<LoopCase> {};

// Every pass is the whole decode right after the previous one; silence follows the last.
TEST_P(LoopTest, PassesFollowWithoutGapOrRepeat) {
    const LoopCase &loop = GetParam();
    ASSERT_NO_FATAL_FAILURE(Open(loop.loops));
    EXPECT_EQ(channel_, 0);
    std::size_t mixed = SndTestAdvance(static_cast<int>(length_ * 5 / 2));
    const bool endless = loop.passes == 0;
    EXPECT_EQ(SndIsChannelPlaying(channel_), endless);
    EXPECT_EQ(SndGetChannelPosition(channel_), endless ? (mixed - start_) % length_ : length_);

    Frames capture = Finish();
    EXPECT_TRUE(IsSilent(capture, 0, start_));
    ExpectRamp(capture, start_, kSilence, 0);
    const std::size_t passes = endless ? 2 : loop.passes;
    for (std::size_t pass = 0; pass < passes; pass++) {
        std::size_t from = pass == 0 ? ramp_ : 0;
        EXPECT_EQ(Heard(capture, start_ + pass * length_ + from, from, length_), length_ - from)
            << "pass " << pass;
    }
    const std::size_t end = start_ + passes * length_;
    if (endless) {
        EXPECT_EQ(Heard(capture, end, 0, length_ / 4), length_ / 4);
    } else {
        EXPECT_TRUE(IsSilent(capture, end, FrameCount(capture)));
    }
}

INSTANTIATE_TEST_SUITE_P(Loops, LoopTest,
                         ::testing::Values(LoopCase{"Once", SndLoopOnce, 1},
                                           LoopCase{"OneExtraPass", 1, 2},
                                           LoopCase{"Forever", SndLoopForever, 0}),
                         CaseName<LoopCase>);

struct SeekCase {
    const char *name;
    long offset; // added to the position reached
    long target; // expected position, relative to the one reached unless absolute
    bool absolute;
};

class SeekTest : public SoundLibraryTest, public ::testing::WithParamInterface<SeekCase> {};

TEST_P(SeekTest, CrossFadesToTheTarget) {
    const SeekCase &seek = GetParam();
    ASSERT_NO_FATAL_FAILURE(Open(SndLoopForever));
    std::size_t at = SndTestAdvance(30000);
    std::size_t reached = SndGetChannelPosition(channel_);
    ASSERT_EQ(reached, at - start_);
    ASSERT_TRUE(SndSetChannelPosition(channel_, static_cast<long>(reached) + seek.offset));
    long target = seek.absolute ? seek.target : static_cast<long>(reached) + seek.target;
    // Reported at once, before the audio side took it.
    EXPECT_EQ(SndGetChannelPosition(channel_), static_cast<std::uint32_t>(target));
    SndTestAdvance(20000);

    Frames capture = Finish();
    EXPECT_EQ(Heard(capture, start_ + ramp_, ramp_, reached - ramp_), reached - ramp_);
    ExpectRamp(capture, at, static_cast<long>(reached), target);
    EXPECT_EQ(Heard(capture, at + ramp_, target + ramp_, 15000), 15000u);
}

INSTANTIATE_TEST_SUITE_P(Seeks, SeekTest,
                         ::testing::Values(SeekCase{"Back8000", -8000, -8000, false},
                                           SeekCase{"Forward8000", 8000, 8000, false},
                                           SeekCase{"BeforeTheStartMeansZero", -40000, 0, true}),
                         CaseName<SeekCase>);

TEST_F(SoundLibraryTest, SeekPastTheEndEndsTheTrackAndASeekBackPlaysAgain) {
    ASSERT_NO_FATAL_FAILURE(Open());
    SndTestAdvance(4096);
    ASSERT_TRUE(SndSetChannelPosition(channel_, 1000000000));
    EXPECT_EQ(SndGetChannelPosition(channel_), length_);
    SndTestAdvance(4096);
    EXPECT_FALSE(SndIsChannelPlaying(channel_));
    EXPECT_EQ(SndGetChannelPosition(channel_), length_);
    ASSERT_TRUE(SndSetChannelPosition(channel_, 1000));
    SndTestAdvance(4096);
    EXPECT_TRUE(SndIsChannelPlaying(channel_));
}

struct StopCase {
    const char *name;
    bool stop, play; // within one device buffer
};

class StopTest : public SoundLibraryTest, public ::testing::WithParamInterface<StopCase> {};

// A stop fades out and rewinds; playing again, stopped first or not, cross-fades
// to the start on the same channel.
TEST_P(StopTest, FadesOutOrCrossFadesToTheStart) {
    ASSERT_NO_FATAL_FAILURE(Open());
    std::size_t at = SndTestAdvance(20000);
    EXPECT_EQ(SndGetStreamPosition(stream_), at - start_);
    if (GetParam().stop) {
        ASSERT_TRUE(SndStopStream(stream_));
        EXPECT_FALSE(SndIsChannelPlaying(channel_));
        EXPECT_EQ(SndGetStreamPosition(stream_), 0u);
    }
    if (GetParam().play) {
        EXPECT_EQ(SndPlayStream(stream_), channel_);
    }
    EXPECT_EQ(SndGetChannelPosition(channel_), 0u);
    std::size_t end = SndTestAdvance(8000);
    EXPECT_EQ(SndGetChannelPosition(channel_), GetParam().play ? end - at : 0);

    Frames capture = Finish();
    ExpectRamp(capture, at, static_cast<long>(at - start_), GetParam().play ? 0 : kSilence);
    EXPECT_EQ(IsSilent(capture, at + ramp_, FrameCount(capture)), !GetParam().play);
}

INSTANTIATE_TEST_SUITE_P(Stops, StopTest,
                         ::testing::Values(StopCase{"Stop", true, false},
                                           StopCase{"StopAndPlay", true, true},
                                           StopCase{"PlayAgain", false, true}),
                         CaseName<StopCase>);

// A position set on a stopped stream: play fades in there and never sounds the start.
TEST_F(SoundLibraryTest, PlayFadesInAtAPositionSetBefore) {
    ASSERT_NO_FATAL_FAILURE(Open(SndLoopOnce, false));
    ASSERT_TRUE(SndSetStreamPosition(stream_, 70000));
    EXPECT_EQ(SndGetStreamPosition(stream_), 70000u);
    Play();
    EXPECT_EQ(SndGetChannelPosition(channel_), 70000u);
    SndTestAdvance(10000);

    Frames capture = Finish();
    ExpectRamp(capture, start_, kSilence, 70000);
    EXPECT_EQ(Heard(capture, start_ + ramp_, 70000 + ramp_, 5000), 5000u);
}

TEST_F(SoundLibraryTest, ChannelsRunOutAndStopOrCloseFreesThem) {
    ASSERT_NO_FATAL_FAILURE(Start(2));
    SndStream *streams[3] = {};
    for (SndStream *&stream : streams) {
        stream = SndOpenStream(path_.c_str());
        ASSERT_NE(stream, nullptr);
    }
    EXPECT_EQ(SndPlayStream(streams[0]), 0);
    EXPECT_EQ(SndPlayStream(streams[1]), 1);
    EXPECT_EQ(SndPlayStream(streams[2]), -1);
    SndStopStream(streams[0]);
    EXPECT_EQ(SndPlayStream(streams[2]), 0);
    SndTestAdvance(4096);
    SndCloseStream(streams[1]);
    SndCloseStream(streams[2]);
    SndTestAdvance(4096);
    EXPECT_FALSE(SndIsChannelPlaying(0));
    EXPECT_FALSE(SndIsChannelPlaying(1));
    EXPECT_EQ(SndPlayStream(streams[0]), 0);
}

TEST_F(SoundLibraryTest, BadFilesOpenAsNull) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::string notMp3[] = {"", std::string(3000, 'x') + "not an mp3 at all\n",
                                  std::string(20000, '\0'), "\xff\xfb\x90"};
    for (const std::string &bytes : notMp3) {
        SCOPED_TRACE(bytes.size());
        EXPECT_EQ(SndOpenStream(WriteFile("bad.mp3", bytes).c_str()), nullptr);
    }
    EXPECT_EQ(SndOpenStream((TempDir() + "/missing.mp3").c_str()), nullptr);
    EXPECT_EQ(SndOpenStream(TempDir().c_str()), nullptr);
    EXPECT_EQ(SndOpenStream(nullptr), nullptr);
}

// A file cut short plays what can be decoded; looping wraps at its real end.
TEST_F(SoundLibraryTest, TruncatedFilePlaysWhatCanBeDecoded) {
    std::string whole = ReadFileBytes(path_);
    path_ = WriteFile("cut.mp3", whole.substr(0, whole.size() / 2 + 77));
    const std::size_t fullLength = length_;
    reference_ = ReferenceDecode(path_);
    length_ = FrameCount(reference_);
    ASSERT_GT(length_, fullLength / 3);
    ASSERT_LT(length_, fullLength);

    ASSERT_NO_FATAL_FAILURE(Open(SndLoopForever));
    SndTestAdvance(static_cast<int>(length_ * 2 + 1000));
    EXPECT_TRUE(SndIsChannelPlaying(channel_));
    // A seek lands inside what the file really holds.
    SndSetChannelPosition(channel_, static_cast<long>(fullLength) - 10);
    EXPECT_EQ(SndGetChannelPosition(channel_), length_);

    Frames capture = Finish();
    EXPECT_EQ(Heard(capture, start_ + ramp_, ramp_, length_), length_ - ramp_);
    EXPECT_EQ(Heard(capture, start_ + length_, 0, length_), length_);
}

TEST_F(SoundLibraryTest, MonoAndOtherRatesAreConverted) {
    path_ = MakeSweepMp3("mono.mp3", 1.0, 44100, 1);
    ASSERT_NO_FATAL_FAILURE(Open());
    SndTestAdvance(60000);
    EXPECT_EQ(SndGetChannelPosition(channel_), 44100u);
    int low = SndPlayStream(SndOpenStream(MakeSweepMp3("low.mp3", 1.0, 22050, 1).c_str()));
    SndTestAdvance(60000);
    EXPECT_NEAR(static_cast<double>(SndGetChannelPosition(low)), 44100.0, 100.0);

    Frames capture = Finish();
    bool sounded = false;
    for (std::size_t i = start_; i < start_ + 44100; i++) {
        ASSERT_EQ(capture[i * 2], capture[i * 2 + 1]) << "frame " << i;
        sounded = sounded || capture[i * 2] != 0;
    }
    EXPECT_TRUE(sounded);
}

// Without an output device nothing runs and every call is harmless; bad
// start-up arguments, a second start-up and channels outside the set are refused.
TEST_F(SoundLibraryTest, BadStartsAndBadChannelsAreRefused) {
    SndTestRefuseOpen(true);
    EXPECT_FALSE(SndStartup(44100, 32));
    EXPECT_FALSE(SndIsRunning());
    SndStream *stream = SndOpenStream(path_.c_str());
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(SndPlayStream(stream), -1);
    EXPECT_FALSE(SndSetChannelPosition(0, 5));
    SndCloseStream(stream);
    EXPECT_EQ(SndTestAdvance(1000), 0u);

    SndTestRefuseOpen(false);
    EXPECT_FALSE(SndStartup(44100, 0));
    EXPECT_FALSE(SndStartup(44100, 65));
    EXPECT_FALSE(SndStartup(0, 32));
    ASSERT_TRUE(SndStartup(44100, 32));
    EXPECT_FALSE(SndStartup(44100, 32));
    for (int channel : {-1, 32, 1000, 3}) { // 3 holds no stream
        EXPECT_EQ(SndGetChannelPosition(channel), 0u);
        EXPECT_FALSE(SndSetChannelPosition(channel, 0));
        EXPECT_FALSE(SndIsChannelPlaying(channel));
    }
}

// The device runs freely while the control side plays, seeks, stops, closes
// and opens streams, so the two sides meet only through the library's own
// lock (the hand-off the ThreadSanitizer run checks). Afterwards the library
// still plays from where it is told, and closing frees every channel.
TEST_F(SoundLibraryTest, ControlCallsWhileTheDeviceRunsFreely) {
    ASSERT_TRUE(SndStartup(44100, 3));
    SndTestPaceOutput(false);
    SndStream *streams[3] = {};
    for (SndStream *&stream : streams) {
        stream = SndOpenStream(path_.c_str());
        ASSERT_NE(stream, nullptr);
        ASSERT_TRUE(SndSetLoopCount(stream, SndLoopForever));
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(700);
    int channel = -1;
    for (int round = 0; std::chrono::steady_clock::now() < until; round++) {
        // Queries first, after a pause in which the audio side published.
        std::this_thread::sleep_for(std::chrono::microseconds(100));
        SndGetChannelPosition(channel);
        SndIsChannelPlaying(channel);
        SndStream *&stream = streams[round % 3];
        SndGetStreamPosition(stream);
        channel = SndPlayStream(stream);
        ASSERT_GE(channel, 0) << "round " << round;
        SndSetChannelPosition(channel, round * 997 % 100000);
        SndSetStreamPosition(stream, static_cast<std::uint32_t>(round));
        if (round % 5 == 0) {
            SndStopStream(stream);
        }
        if (round % 11 == 0) {
            SndCloseStream(stream);
            stream = SndOpenStream(path_.c_str());
            ASSERT_NE(stream, nullptr);
        }
    }
    SndTestPaceOutput(true);
    for (SndStream *stream : streams) {
        SndStopStream(stream);
    }
    channel = SndPlayStream(streams[0]);
    ASSERT_EQ(channel, 0);
    ASSERT_TRUE(SndSetChannelPosition(channel, 50000));
    SndTestAdvance(4 * 1024);
    // The request lands on the next buffer boundary, at most one buffer late.
    EXPECT_GE(SndGetChannelPosition(channel), 50000u + 3 * 1024);
    EXPECT_TRUE(SndIsChannelPlaying(channel));
    for (SndStream *stream : streams) {
        SndCloseStream(stream);
    }
    SndTestAdvance(2 * 1024);
    for (int c = 0; c < 3; c++) {
        EXPECT_FALSE(SndIsChannelPlaying(c));
    }
}

} // namespace
