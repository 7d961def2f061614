// The sound library's underrun counter against a file source too slow for real
// time: the counter is what the soak test relies on to hear gaps, so it must
// see them when they happen and start from zero.
#include "audio/sound_library.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

// Every read of the slow source waits this long, longer than one device
// buffer (1024 frames at 44100 Hz, about 23 ms) plays.
constexpr int kReadDelayMs = 40;

void *OpenFile(const char *name) {
    return std::fopen(name, "rb");
}
int CloseFile(void *handle) {
    return std::fclose(static_cast<FILE *>(handle));
}
int FastRead(void *buffer, int size, void *handle) {
    return size <= 0 ? 0
                     : static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(size),
                                                   static_cast<FILE *>(handle)));
}
int SlowRead(void *buffer, int size, void *handle) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kReadDelayMs));
    return FastRead(buffer, size, handle);
}
int SeekFile(void *handle, int position, signed char mode) {
    return std::fseek(static_cast<FILE *>(handle), position, mode);
}
int TellFile(void *handle) {
    return static_cast<int>(std::ftell(static_cast<FILE *>(handle)));
}

class SlowDecode : public testing::Test {
  protected:
    void SetUp() override {
        // Paced in real time, so the device asks for buffers as a sound card does.
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
        unsetenv("SDL_DISKAUDIODELAY");
        ASSERT_TRUE(SndStartup(44100, 2));
    }
    void TearDown() override { SndShutdown(); }

    // Plays the track for about the given time and returns the underruns.
    static std::uint32_t PlayFor(int milliseconds) {
        SndStream *stream = SndOpenStream(ML_FAULT_TRACK);
        EXPECT_NE(stream, nullptr);
        EXPECT_GE(SndPlayStream(stream), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        const std::uint32_t underruns = SndGetUnderrunCount();
        SndCloseStream(stream);
        return underruns;
    }
};

TEST_F(SlowDecode, ReadsSlowerThanTheBufferPlaysAreCounted) {
    SndSetFileFunctions(SndFileFunctions{OpenFile, CloseFile, SlowRead, SeekFile, TellFile});
    // Each read stalls one buffer; the decoder reads several times a second.
    EXPECT_GE(PlayFor(1500), 3u);
}

TEST_F(SlowDecode, CounterStartsFromZeroAndSurvivesShutdown) {
    SndSetFileFunctions(SndFileFunctions{OpenFile, CloseFile, SlowRead, SeekFile, TellFile});
    const std::uint32_t counted = PlayFor(600);
    ASSERT_GE(counted, 1u);
    SndShutdown();
    // Buffers mixed between the reading and the shutdown may add to it.
    const std::uint32_t kept = SndGetUnderrunCount();
    EXPECT_GE(kept, counted);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(SndGetUnderrunCount(), kept);
    ASSERT_TRUE(SndStartup(44100, 2));
    // Silence right after start-up mixes in microseconds.
    EXPECT_EQ(SndGetUnderrunCount(), 0u);
}

} // namespace
