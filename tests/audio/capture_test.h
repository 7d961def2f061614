// Fixture over the test output device: output held so each request lands on a
// known device buffer; captures are compared with a straight decode of a sweep
// file.
#pragma once

#include "audio/audio_fixture.h"
#include "audio/sound_library.h"
#include "audio/sound_library_test.h"
#include "audio/sound_output_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace audio_test {

constexpr long kSilence = -1; // ExpectRamp: no signal on that side

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
    void TearDown() override {
        SndShutdown();
        SndTestRefuseOpen(false);
    }

    void Start(int channels = 32) {
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

    // Shuts down; everything the mixer made since start-up.
    Frames Finish() {
        SndShutdown();
        Frames capture = SndTestCapture();
        EXPECT_EQ(FrameCount(capture), SndTestFramesMixed());
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
