// The sound library's underrun counter on the program's own output backend,
// paced in real time by SDL's disk driver as a sound card would pace it: the
// soak test hears gaps only through this counter, so it must count them when
// the source is too slow for real time, count none when decoding keeps up,
// and start again from zero.
#include "audio/sound_library.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

void Sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int ReadFile(void *buffer, int size, void *file) {
    return size <= 0 ? 0 : static_cast<int>(std::fread(buffer, 1, size, static_cast<FILE *>(file)));
}

SndFileFunctions FileFunctions(int (*read)(void *, int, void *)) {
    return {[](const char *name) -> void * { return std::fopen(name, "rb"); },
            [](void *file) { return std::fclose(static_cast<FILE *>(file)); }, read,
            [](void *file, int position, signed char mode) {
                return std::fseek(static_cast<FILE *>(file), position, mode);
            },
            [](void *file) { return static_cast<int>(std::ftell(static_cast<FILE *>(file))); }};
}

// Every read waits longer than one device buffer (1024 frames, 23 ms) plays.
int SlowRead(void *buffer, int size, void *file) {
    Sleep(40);
    return ReadFile(buffer, size, file);
}

class UnderrunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
        unsetenv("SDL_DISKAUDIODELAY");
    }
    void TearDown() override { SndShutdown(); }

    // Starts the library and plays side A through read for milliseconds.
    void Play(int (*read)(void *, int, void *), int milliseconds) {
        ASSERT_TRUE(SndStartup(44100, 2));
        SndSetFileFunctions(FileFunctions(read));
        stream_ = SndOpenStream(ML_FAULT_TRACK);
        ASSERT_NE(stream_, nullptr);
        ASSERT_GE(SndPlayStream(stream_), 0);
        Sleep(milliseconds);
    }

    SndStream *stream_ = nullptr;
};

TEST_F(UnderrunTest, ASlowSourceIsCountedAndTheCountRestartsFromZero) {
    ASSERT_NO_FATAL_FAILURE(Play(SlowRead, 1500));
    // Each buffer waits for reads, and the decoder reads several times a buffer.
    const std::uint32_t counted = SndGetUnderrunCount();
    EXPECT_GE(counted, 3u);
    SndCloseStream(stream_);
    SndShutdown();
    // Buffers mixed between the reading and the shutdown may add to it; after
    // the shutdown it stays.
    const std::uint32_t kept = SndGetUnderrunCount();
    EXPECT_GE(kept, counted);
    Sleep(100);
    EXPECT_EQ(SndGetUnderrunCount(), kept);
    ASSERT_TRUE(SndStartup(44100, 2));
    EXPECT_EQ(SndGetUnderrunCount(), 0u);
}

// Decoding a buffer of the track takes well under a millisecond, far inside
// the 23 ms the buffer before it plays.
TEST_F(UnderrunTest, DecodingThatKeepsUpCountsNone) {
    ASSERT_NO_FATAL_FAILURE(Play(ReadFile, 1500));
    EXPECT_TRUE(SndIsChannelPlaying(0));
    EXPECT_GT(SndGetChannelPosition(0), 44100u / 2);
    EXPECT_EQ(SndGetUnderrunCount(), 0u);
}

} // namespace
