// The sound library's underrun counter against a file source too slow for real
// time: the soak test hears gaps only through this counter, so it must count
// them when they happen and start again from zero.
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

// Every read waits longer than one device buffer (1024 frames, 23 ms) plays.
const SndFileFunctions kSlowFile = {
    [](const char *name) -> void * { return std::fopen(name, "rb"); },
    [](void *file) { return std::fclose(static_cast<FILE *>(file)); },
    [](void *buffer, int size, void *file) {
        Sleep(40);
        return size <= 0 ? 0
                         : static_cast<int>(std::fread(buffer, 1, size, static_cast<FILE *>(file)));
    },
    [](void *file, int position, signed char mode) {
        return std::fseek(static_cast<FILE *>(file), position, mode);
    },
    [](void *file) { return static_cast<int>(std::ftell(static_cast<FILE *>(file))); }};

TEST(SlowDecode, UnderrunsAreCountedAndTheCountRestartsFromZero) {
    // Paced in real time, so the device asks for buffers as a sound card does.
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    unsetenv("SDL_DISKAUDIODELAY");
    ASSERT_TRUE(SndStartup(44100, 2));
    SndSetFileFunctions(kSlowFile);
    SndStream *stream = SndOpenStream(ML_FAULT_TRACK);
    ASSERT_NE(stream, nullptr);
    EXPECT_GE(SndPlayStream(stream), 0);
    Sleep(1500);
    // Each read stalls a buffer, and the decoder reads several times a second.
    const std::uint32_t counted = SndGetUnderrunCount();
    EXPECT_GE(counted, 3u);
    SndCloseStream(stream);
    SndShutdown();
    // Buffers mixed between the reading and the shutdown may add to it; after
    // the shutdown it stays.
    const std::uint32_t kept = SndGetUnderrunCount();
    EXPECT_GE(kept, counted);
    Sleep(100);
    EXPECT_EQ(SndGetUnderrunCount(), kept);
    ASSERT_TRUE(SndStartup(44100, 2));
    EXPECT_EQ(SndGetUnderrunCount(), 0u); // silence right after start-up mixes in microseconds
    SndShutdown();
}

} // namespace
