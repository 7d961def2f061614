// The sound library against SDL's disk driver: what reaches the device is
// compared frame by frame with a straight decode of the same file.
#include "audio/sound_library_test.h"
#include "audio/capture_test.h"
#include "audio/sound_library.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace audio_test;

namespace {

using SoundLibraryTest = CaptureTest;

TEST_F(SoundLibraryTest, OutputEqualsStraightDecodeAndStopsAtTheEnd) {
    Start();
    SndStream *stream = SndOpenStream(path_.c_str());
    ASSERT_NE(stream, nullptr);
    std::size_t start = SndTestFramesMixed();
    int channel = SndPlayStream(stream);
    EXPECT_EQ(channel, 0);
    EXPECT_EQ(SndGetChannelPosition(channel), 0u);
    EXPECT_TRUE(SndIsChannelPlaying(channel));
    SndTestAdvance(static_cast<int>(length_) + 5000);
    EXPECT_FALSE(SndIsChannelPlaying(channel));
    EXPECT_EQ(SndGetChannelPosition(channel), length_);

    Frames capture = Finish();
    EXPECT_TRUE(IsSilent(capture, 0, start));
    ExpectFadeIn(capture, start, 0);
    EXPECT_EQ(MatchingRun(capture, start + ramp_, reference_, ramp_, length_), length_ - ramp_);
    EXPECT_TRUE(IsSilent(capture, start + length_, FrameCount(capture)));
}

TEST_F(SoundLibraryTest, LoopWrapsWithoutGapOrRepeat) {
    Start();
    SndStream *stream = SndOpenStream(path_.c_str());
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(SndSetLoopCount(stream, SndLoopForever));
    std::size_t start = SndTestFramesMixed();
    int channel = SndPlayStream(stream);
    std::size_t mixed = SndTestAdvance(static_cast<int>(length_ * 5 / 2));
    EXPECT_TRUE(SndIsChannelPlaying(channel));
    EXPECT_EQ(SndGetChannelPosition(channel), (mixed - start) % length_);

    Frames capture = Finish();
    // Two seams: each pass is the whole decode, right after the previous one.
    for (std::size_t pass = 0; pass < 2; pass++) {
        std::size_t at = start + pass * length_;
        std::size_t from = pass == 0 ? ramp_ : 0;
        EXPECT_EQ(MatchingRun(capture, at + from, reference_, from, length_), length_ - from)
            << "pass " << pass;
    }
    EXPECT_EQ(MatchingRun(capture, start + 2 * length_, reference_, 0, length_ / 4), length_ / 4);
}

TEST_F(SoundLibraryTest, LoopCountPlaysExtraPassesThenStops) {
    Start();
    SndStream *stream = SndOpenStream(path_.c_str());
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(SndSetLoopCount(stream, 1));
    std::size_t start = SndTestFramesMixed();
    int channel = SndPlayStream(stream);
    SndTestAdvance(static_cast<int>(length_ * 2 + 3000));
    EXPECT_FALSE(SndIsChannelPlaying(channel));
    EXPECT_EQ(SndGetChannelPosition(channel), length_);

    Frames capture = Finish();
    EXPECT_EQ(MatchingRun(capture, start + length_, reference_, 0, length_), length_);
    EXPECT_TRUE(IsSilent(capture, start + 2 * length_, FrameCount(capture)));
}

struct SeekCase {
    const char *name;
    long offset;   // added to the position reached
    long expected; // expected new position relative to the position reached, or
                   // absolute when absolute is set
    bool absolute;
};

class SeekTest : public SoundLibraryTest, public ::testing::WithParamInterface<SeekCase> {};

TEST_P(SeekTest, MovesTheHeardSignalBy) {
    const SeekCase &seek = GetParam();
    Start();
    SndStream *stream = SndOpenStream(path_.c_str());
    ASSERT_NE(stream, nullptr);
    SndSetLoopCount(stream, SndLoopForever);
    std::size_t start = SndTestFramesMixed();
    int channel = SndPlayStream(stream);
    std::size_t at = SndTestAdvance(30000);
    std::size_t reached = SndGetChannelPosition(channel);
    ASSERT_EQ(reached, at - start);
    ASSERT_TRUE(SndSetChannelPosition(channel, static_cast<long>(reached) + seek.offset));
    long expected = seek.absolute ? seek.expected : static_cast<long>(reached) + seek.expected;
    // Reported at once, even before the audio side took it.
    EXPECT_EQ(SndGetChannelPosition(channel), static_cast<std::uint32_t>(expected));
    SndTestAdvance(20000);

    Frames capture = Finish();
    std::size_t target = static_cast<std::size_t>(expected);
    EXPECT_EQ(MatchingRun(capture, start + ramp_, reference_, ramp_, reached - ramp_),
              reached - ramp_);
    ExpectCrossFade(capture, at, reached, target);
    EXPECT_EQ(MatchingRun(capture, at + ramp_, reference_, target + ramp_, 15000), 15000u);
}

const SeekCase kSeeks[] = {
    {"Back8000", -8000, -8000, false},
    {"Forward8000", 8000, 8000, false},
    {"BeforeTheStartMeansZero", -40000, 0, true},
};

INSTANTIATE_TEST_SUITE_P(Seeks, SeekTest, ::testing::ValuesIn(kSeeks),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SoundLibraryTest, SeekPastTheEndClampsToTheTrackLength) {
    Start();
    SndStream *stream = SndOpenStream(path_.c_str());
    ASSERT_NE(stream, nullptr);
    int channel = SndPlayStream(stream);
    SndTestAdvance(4096);
    ASSERT_TRUE(SndSetChannelPosition(channel, 1000000000));
    EXPECT_EQ(SndGetChannelPosition(channel), length_);
    SndTestAdvance(4096);
    EXPECT_FALSE(SndIsChannelPlaying(channel));
    EXPECT_EQ(SndGetChannelPosition(channel), length_);
    // An ended stream plays again from a position set on its channel.
    ASSERT_TRUE(SndSetChannelPosition(channel, 1000));
    SndTestAdvance(4096);
    EXPECT_TRUE(SndIsChannelPlaying(channel));
}

TEST_F(SoundLibraryTest, StopFadesOutAndRewindsTheStream) {
    Start();
    SndStream *stream = SndOpenStream(path_.c_str());
    ASSERT_NE(stream, nullptr);
    std::size_t start = SndTestFramesMixed();
    int channel = SndPlayStream(stream);
    std::size_t at = SndTestAdvance(20000);
    std::size_t reached = at - start;
    EXPECT_EQ(SndGetStreamPosition(stream), reached);
    ASSERT_TRUE(SndStopStream(stream));
    EXPECT_FALSE(SndIsChannelPlaying(channel));
    EXPECT_EQ(SndGetChannelPosition(channel), 0u);
    EXPECT_EQ(SndGetStreamPosition(stream), 0u);
    SndTestAdvance(8000);

    Frames capture = Finish();
    int ramp = static_cast<int>(ramp_);
    for (std::size_t i = 0; i < ramp_; i++) {
        int expected = reference_[(reached + i) * 2] * (ramp - static_cast<int>(i)) / ramp;
        ASSERT_EQ(capture[(at + i) * 2], expected) << "fade-out frame " << i;
    }
    EXPECT_TRUE(IsSilent(capture, at + ramp_, FrameCount(capture)));
}

TEST_F(SoundLibraryTest, StopAndPlayWithinOneBufferStartsOver) {
    Start();
    SndStream *stream = SndOpenStream(path_.c_str());
    ASSERT_NE(stream, nullptr);
    std::size_t start = SndTestFramesMixed();
    int channel = SndPlayStream(stream);
    std::size_t at = SndTestAdvance(20000);
    SndStopStream(stream);
    EXPECT_EQ(SndPlayStream(stream), channel);
    SndTestAdvance(5000);
    EXPECT_EQ(SndGetChannelPosition(channel), SndTestFramesMixed() - at);

    Frames capture = Finish();
    ExpectCrossFade(capture, at, at - start, 0);
}

TEST_F(SoundLibraryTest, StoppedStreamStartsWhereItsPositionWasSet) {
    Start();
    SndStream *stream = SndOpenStream(path_.c_str());
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(SndSetStreamPosition(stream, 50000));
    EXPECT_EQ(SndGetStreamPosition(stream), 50000u);
    std::size_t start = SndTestFramesMixed();
    SndPlayStream(stream);
    SndTestAdvance(10000);

    Frames capture = Finish();
    ExpectFadeIn(capture, start, 50000);
    EXPECT_EQ(MatchingRun(capture, start + ramp_, reference_, 50000 + ramp_, 5000), 5000u);
}

TEST_F(SoundLibraryTest, PlayThenPositionInOneBufferStartsThereWithoutPlayingTheStart) {
    Start();
    SndStream *stream = SndOpenStream(path_.c_str());
    ASSERT_NE(stream, nullptr);
    std::size_t start = SndTestFramesMixed();
    int channel = SndPlayStream(stream);
    ASSERT_TRUE(SndSetStreamPosition(stream, 70000));
    EXPECT_EQ(SndGetChannelPosition(channel), 70000u);
    SndTestAdvance(10000);

    Frames capture = Finish();
    ExpectFadeIn(capture, start, 70000);
}

TEST_F(SoundLibraryTest, PlayingAPlayingStreamRestartsIt) {
    Start();
    SndStream *stream = SndOpenStream(path_.c_str());
    ASSERT_NE(stream, nullptr);
    std::size_t start = SndTestFramesMixed();
    int channel = SndPlayStream(stream);
    std::size_t at = SndTestAdvance(20000);
    EXPECT_EQ(SndPlayStream(stream), channel);
    EXPECT_EQ(SndGetChannelPosition(channel), 0u);
    SndTestAdvance(5000);

    Frames capture = Finish();
    ExpectCrossFade(capture, at, at - start, 0);
}

TEST_F(SoundLibraryTest, StreamsMixOnSeparateChannels) {
    Start();
    SndStream *first = SndOpenStream(path_.c_str());
    SndStream *second = SndOpenStream(path_.c_str());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(SndPlayStream(first), 0);
    EXPECT_EQ(SndPlayStream(second), 1);
    SndTestAdvance(4096);
    SndCloseStream(first);
    SndCloseStream(second);
    SndTestAdvance(4096);
    EXPECT_FALSE(SndIsChannelPlaying(0));
    EXPECT_FALSE(SndIsChannelPlaying(1));
}

TEST_F(SoundLibraryTest, ChannelsRunOut) {
    ASSERT_TRUE([] {
        UseDiskOutput("capture.raw");
        return SndStartup(kRate, 2);
    }());
    SndTestHoldOutput(true);
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
}

TEST_F(SoundLibraryTest, ReadsThroughTheGivenFileFunctions) {
    static int opens, closes, reads;
    opens = closes = reads = 0;
    SndFileFunctions counting = {
        [](const char *name) -> void * {
            opens++;
            return std::fopen(name, "rb");
        },
        [](void *handle) {
            closes++;
            return std::fclose(static_cast<FILE *>(handle));
        },
        [](void *buffer, int size, void *handle) {
            reads++;
            return static_cast<int>(
                std::fread(buffer, 1, static_cast<size_t>(size), static_cast<FILE *>(handle)));
        },
        [](void *handle, int position, signed char mode) {
            return std::fseek(static_cast<FILE *>(handle), position, mode);
        },
        [](void *handle) { return static_cast<int>(std::ftell(static_cast<FILE *>(handle))); },
    };
    Start();
    SndSetFileFunctions(counting);
    SndStream *stream = SndOpenStream(path_.c_str());
    ASSERT_NE(stream, nullptr);
    SndPlayStream(stream);
    SndTestAdvance(static_cast<int>(length_) + 2048);
    SndCloseStream(stream);
    SndTestAdvance(2048);
    SndCloseStream(SndOpenStream("/nonexistent/track.mp3"));
    EXPECT_EQ(opens, 2);
    EXPECT_EQ(closes, 1);
    EXPECT_GT(reads, 10);
}

struct BadFileCase {
    const char *name;
    std::string bytes;
};

class BadFileTest : public SoundLibraryTest, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(BadFileTest, OpensAsNull) {
    Start();
    std::string path = WriteFile("bad.mp3", GetParam().bytes);
    EXPECT_EQ(SndOpenStream(path.c_str()), nullptr);
}

const BadFileCase kBadFiles[] = {
    {"Empty", ""},
    {"Text", std::string(3000, 'x') + "not an mp3 at all\n"},
    {"Zeros", std::string(20000, '\0')},
    {"JustASyncWord", "\xff\xfb\x90"},
};

INSTANTIATE_TEST_SUITE_P(Files, BadFileTest, ::testing::ValuesIn(kBadFiles),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SoundLibraryTest, MissingFileAndNullNamesOpenAsNull) {
    Start();
    EXPECT_EQ(SndOpenStream((TempDir() + "/missing.mp3").c_str()), nullptr);
    EXPECT_EQ(SndOpenStream(nullptr), nullptr);
    EXPECT_EQ(SndOpenStream(TempDir().c_str()), nullptr);
}

// A file cut short plays what can be decoded, ends there, and a looping one
// wraps at the real end.
TEST_F(SoundLibraryTest, TruncatedFilePlaysWhatCanBeDecoded) {
    std::string whole = ReadFileBytes(path_);
    std::string cut = WriteFile("cut.mp3", whole.substr(0, whole.size() / 2 + 77));
    Frames cutReference = ReferenceDecode(cut);
    std::size_t cutLength = FrameCount(cutReference);
    ASSERT_GT(cutLength, length_ / 3);
    ASSERT_LT(cutLength, length_);

    Start();
    SndStream *stream = SndOpenStream(cut.c_str());
    ASSERT_NE(stream, nullptr);
    SndSetLoopCount(stream, SndLoopForever);
    std::size_t start = SndTestFramesMixed();
    int channel = SndPlayStream(stream);
    SndTestAdvance(static_cast<int>(cutLength * 2 + 1000));
    EXPECT_TRUE(SndIsChannelPlaying(channel));
    // Seeking lands inside what the file really holds.
    SndSetChannelPosition(channel, static_cast<long>(length_) - 10);
    EXPECT_EQ(SndGetChannelPosition(channel), cutLength);

    Frames capture = Finish();
    EXPECT_EQ(MatchingRun(capture, start + ramp_, cutReference, ramp_, cutLength),
              cutLength - ramp_);
    EXPECT_EQ(MatchingRun(capture, start + cutLength, cutReference, 0, cutLength), cutLength);
}

// Junk in the middle of the audio: whatever the decoder makes of it, the
// track ends (or wraps when looping) and nothing hangs.
TEST_F(SoundLibraryTest, DamagedMiddleEndsOrWraps) {
    std::string bytes = ReadFileBytes(path_);
    for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 3000; i++) {
        bytes[i] = static_cast<char>(i * 37 % 251 | 0xe0);
    }
    std::string damaged = WriteFile("damaged.mp3", bytes);
    Start();
    SndStream *once = SndOpenStream(damaged.c_str());
    SndStream *looping = SndOpenStream(damaged.c_str());
    ASSERT_NE(once, nullptr);
    ASSERT_NE(looping, nullptr);
    SndSetLoopCount(looping, SndLoopForever);
    int onceChannel = SndPlayStream(once);
    int loopingChannel = SndPlayStream(looping);
    SndTestAdvance(static_cast<int>(length_ * 3));
    EXPECT_FALSE(SndIsChannelPlaying(onceChannel));
    EXPECT_GT(SndGetChannelPosition(onceChannel), length_ / 3);
    EXPECT_TRUE(SndIsChannelPlaying(loopingChannel));
    SndCloseStream(once);
    SndCloseStream(looping);
}

TEST_F(SoundLibraryTest, MonoAndOtherRatesAreConverted) {
    std::string mono = MakeSweepMp3("mono.mp3", 1.0, 44100, 1);
    std::string low = MakeSweepMp3("low.mp3", 1.0, 22050, 1);
    Start();
    SndStream *monoStream = SndOpenStream(mono.c_str());
    SndStream *lowStream = SndOpenStream(low.c_str());
    ASSERT_NE(monoStream, nullptr);
    ASSERT_NE(lowStream, nullptr);
    std::size_t start = SndTestFramesMixed();
    SndPlayStream(monoStream);
    SndTestAdvance(60000);
    EXPECT_EQ(SndGetChannelPosition(0), 44100u);

    int channel = SndPlayStream(lowStream);
    SndTestAdvance(60000);
    std::uint32_t lowLength = SndGetChannelPosition(channel);
    EXPECT_NEAR(static_cast<double>(lowLength), 44100.0, 100.0);

    Frames capture = Finish();
    bool sounded = false;
    for (std::size_t i = start; i < start + 44100; i++) {
        ASSERT_EQ(capture[i * 2], capture[i * 2 + 1]) << "frame " << i;
        sounded = sounded || capture[i * 2] != 0;
    }
    EXPECT_TRUE(sounded);
}

TEST_F(SoundLibraryTest, RestartsWithinOneProcess) {
    for (int round = 0; round < 3; round++) {
        Start();
        EXPECT_TRUE(SndIsRunning());
        EXPECT_GT(SndTestDeviceBufferFrames(), 0);
        EXPECT_LE(SndTestDeviceBufferFrames(), 1024);
        SndStream *stream = SndOpenStream(path_.c_str());
        ASSERT_NE(stream, nullptr);
        SndPlayStream(stream);
        SndTestAdvance(4096);
        // Left open on purpose: shutting down frees it.
        Frames capture = Finish();
        EXPECT_FALSE(SndIsRunning());
        EXPECT_EQ(MatchingRun(capture, ramp_, reference_, ramp_, 2048), 2048u);
    }
}

TEST_F(SoundLibraryTest, WithoutAnOutputDeviceEverythingIsHarmless) {
    UseNoOutputDevice();
    EXPECT_FALSE(SndStartup(kRate, 32));
    EXPECT_FALSE(SndIsRunning());
    SndStream *stream = SndOpenStream(path_.c_str());
    EXPECT_EQ(stream, nullptr);
    EXPECT_FALSE(SndSetLoopCount(stream, SndLoopForever));
    EXPECT_EQ(SndPlayStream(stream), -1);
    EXPECT_FALSE(SndStopStream(stream));
    EXPECT_EQ(SndGetStreamPosition(stream), 0u);
    EXPECT_FALSE(SndSetStreamPosition(stream, 5));
    EXPECT_EQ(SndGetChannelPosition(0), 0u);
    EXPECT_FALSE(SndSetChannelPosition(0, 5));
    EXPECT_FALSE(SndIsChannelPlaying(0));
    SndCloseStream(stream);
    EXPECT_EQ(SndTestAdvance(1000), 0u);
    SndShutdown();
}

TEST_F(SoundLibraryTest, RejectsBadStartupArgumentsAndBadChannels) {
    UseDiskOutput("capture.raw");
    EXPECT_FALSE(SndStartup(kRate, 0));
    EXPECT_FALSE(SndStartup(kRate, 65));
    EXPECT_FALSE(SndStartup(0, 32));
    ASSERT_TRUE(SndStartup(kRate, 32));
    EXPECT_FALSE(SndStartup(kRate, 32));
    for (int channel : {-1, 32, 1000}) {
        EXPECT_EQ(SndGetChannelPosition(channel), 0u);
        EXPECT_FALSE(SndSetChannelPosition(channel, 0));
        EXPECT_FALSE(SndIsChannelPlaying(channel));
    }
    EXPECT_FALSE(SndSetChannelPosition(3, 0)); // no stream there
}

} // namespace
