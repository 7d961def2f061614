// A test fixture over SDL's disk driver: starts the sound library with its
// output held, so each request lands on a known device buffer, and checks
// the captured frames against a straight decode of a sweep file.
#pragma once

#include "audio/audio_fixture.h"
#include "audio/sound_library.h"
#include "audio/sound_library_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace audio_test {

constexpr int kRate = 44100;

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

    // Starts the library on the disk driver with the output held.
    void Start() {
        UseDiskOutput("capture.raw");
        ASSERT_TRUE(SndStartup(kRate, 32));
        SndTestHoldOutput(true);
    }

    // Shuts down and returns the capture; frame index 0 of the result is the
    // first frame the mixer produced (any silence the device wrote before
    // the mixer ran is cut off).
    Frames Finish() {
        // Shutting down lets the held output mix one more buffer.
        SndShutdown();
        std::uint64_t mixed = SndTestFramesMixed();
        Frames capture = ReadCapture();
        EXPECT_GE(FrameCount(capture), mixed);
        std::size_t lead = FrameCount(capture) - std::min<std::size_t>(FrameCount(capture), mixed);
        EXPECT_TRUE(IsSilent(capture, 0, lead));
        capture.erase(capture.begin(), capture.begin() + static_cast<long>(lead * 2));
        return capture;
    }

    // The frame at capture index at is reference frame from faded in by step
    // i/ramp (integer arithmetic as the mixer does it), for the whole fade.
    void ExpectFadeIn(const Frames &capture, std::size_t at, std::size_t from) {
        for (std::size_t i = 0; i < ramp_; i++) {
            for (std::size_t c = 0; c < 2; c++) {
                int expected =
                    reference_[(from + i) * 2 + c] * static_cast<int>(i) / static_cast<int>(ramp_);
                ASSERT_EQ(capture[(at + i) * 2 + c], expected) << "fade-in frame " << i;
            }
        }
    }

    // A seek or restart: the old signal fades out while the new fades in.
    void ExpectCrossFade(const Frames &capture, std::size_t at, std::size_t oldFrom,
                         std::size_t newFrom) {
        int ramp = static_cast<int>(ramp_);
        for (std::size_t i = 0; i < ramp_; i++) {
            for (std::size_t c = 0; c < 2; c++) {
                int step = static_cast<int>(i);
                int expected = reference_[(oldFrom + i) * 2 + c] * (ramp - step) / ramp +
                               reference_[(newFrom + i) * 2 + c] * step / ramp;
                ASSERT_EQ(capture[(at + i) * 2 + c], expected) << "cross-fade frame " << i;
            }
        }
    }

    std::string path_;
    Frames reference_;
    std::size_t length_ = 0;
    std::size_t ramp_ = 0;
};

} // namespace audio_test
