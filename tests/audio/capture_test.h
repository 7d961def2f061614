// Fixture over SDL's disk driver: output held so each request lands on a known
// device buffer; captures are compared with a straight decode of a sweep file.
#pragma once

#include "audio/audio_fixture.h"
#include "audio/sound_library.h"
#include "audio/sound_library_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace audio_test {

constexpr long kSilence = -1; // ExpectRamp: no signal on that side

inline std::string CapturePath() {
    return TempDir() + "/capture.raw";
}

// The next start-up writes to a fresh capture file, unpaced.
inline void UseDiskOutput() {
    std::remove(CapturePath().c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", CapturePath().c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
}

// True when every frame in [from, to) is silent.
inline bool IsSilent(const Frames &frames, std::size_t from, std::size_t to) {
    auto end = frames.begin() + static_cast<long>(std::min(to * 2, frames.size()));
    auto begin = std::min(frames.begin() + static_cast<long>(from * 2), end);
    return std::all_of(begin, end, [](std::int16_t sample) { return sample == 0; });
}

template <typename T> std::string CaseName(const ::testing::TestParamInfo<T> &info) {
    return info.param.name;
}

class CaptureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = MakeSweepMp3("sweep.mp3", 3.0);
        reference_ = ReferenceDecode(path_);
        length_ = FrameCount(reference_);
        ramp_ = static_cast<std::size_t>(SndTestRampFrames());
        ASSERT_GT(length_, 100000u);
    }
    void TearDown() override { SndShutdown(); }

    void Start(int channels = 32) {
        UseDiskOutput();
        ASSERT_TRUE(SndStartup(44100, channels));
        SndTestHoldOutput(true);
    }

    // Starts unless running, opens the sweep with the loop count and, when play is set, plays it.
    void Open(int loops = 0, bool play = true) {
        if (!SndIsRunning()) {
            ASSERT_NO_FATAL_FAILURE(Start());
        }
        stream_ = SndOpenStream(path_.c_str());
        ASSERT_NE(stream_, nullptr);
        ASSERT_TRUE(SndSetLoopCount(stream_, loops));
        if (play) {
            Play();
        }
    }

    void Play() {
        start_ = SndTestFramesMixed();
        channel_ = SndPlayStream(stream_);
    }

    // Shuts down; the capture from the first frame the mixer made.
    Frames Finish() {
        SndShutdown(); // lets the held output mix one more buffer
        std::uint64_t mixed = SndTestFramesMixed();
        std::string bytes = ReadFileBytes(CapturePath());
        Frames capture(bytes.size() / 4 * 2);
        std::copy(bytes.data(), bytes.data() + capture.size() * 2,
                  reinterpret_cast<char *>(capture.data()));
        EXPECT_GE(FrameCount(capture), mixed);
        std::size_t lead = FrameCount(capture) - std::min<std::size_t>(FrameCount(capture), mixed);
        EXPECT_TRUE(IsSilent(capture, 0, lead));
        capture.erase(capture.begin(), capture.begin() + static_cast<long>(lead * 2));
        return capture;
    }

    // Fade from reference frame oldFrom to newFrom at capture frame at, in the mixer's integer
    // steps.
    void ExpectRamp(const Frames &capture, std::size_t at, long oldFrom, long newFrom) {
        const int ramp = static_cast<int>(ramp_);
        for (int i = 0; i < ramp; i++) {
            for (long c = 0; c < 2; c++) {
                int expected = 0;
                if (oldFrom != kSilence) {
                    expected += reference_[(oldFrom + i) * 2 + c] * (ramp - i) / ramp;
                }
                if (newFrom != kSilence) {
                    expected += reference_[(newFrom + i) * 2 + c] * i / ramp;
                }
                ASSERT_EQ(capture[(at + i) * 2 + c], expected) << "ramp frame " << i;
            }
        }
    }

    // Frames from capture frame at on that equal reference frames from `from` on, up to count.
    std::size_t Heard(const Frames &capture, std::size_t at, std::size_t from,
                      std::size_t count) const {
        std::size_t n = 0;
        while (n < count && (at + n) * 2 + 1 < capture.size() &&
               (from + n) * 2 + 1 < reference_.size() &&
               capture[(at + n) * 2] == reference_[(from + n) * 2] &&
               capture[(at + n) * 2 + 1] == reference_[(from + n) * 2 + 1]) {
            n++;
        }
        return n;
    }

    std::string path_;
    Frames reference_;
    std::size_t length_ = 0;
    std::size_t ramp_ = 0;
    SndStream *stream_ = nullptr;
    int channel_ = -1;
    std::size_t start_ = 0; // frames mixed when Play was called
};

} // namespace audio_test
