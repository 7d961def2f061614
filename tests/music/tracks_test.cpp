// The generated tracks as the player reads them: decoded with gapless trimming.
#include "analysis/decode.h"
#include "songs/songs.h"
#include "synth/loudness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

TEST(GeneratedTracks, AreValidMp3LoopsAtTheTargetLoudnessWithHeadroom) {
    for (char side : {'A', 'B', 'C', 'D'}) {
        SCOPED_TRACE(std::string("side ") + side);
        synth::StereoBuffer audio;
        ASSERT_TRUE(music::DecodeTrack(std::string(ML_MUSIC_DATA_DIR) + "/Track" + side + ".mp3",
                                       audio));
        const size_t frames = audio.Frames();
        EXPECT_GE(frames, 150u * 44100u);
        EXPECT_LE(frames, 240u * 44100u);
        // Gapless decoding gives back exactly the rendered loop: no encoder delay or padding.
        synth::Song song;
        ASSERT_TRUE(music::MakeSide(side, song));
        ASSERT_EQ(frames, synth::LoopFrames(song));

        double sum[2] = {0.0, 0.0};
        for (size_t i = 0; i < frames; ++i) {
            sum[0] += audio.left[i];
            sum[1] += audio.right[i];
        }
        for (double channelSum : sum)
            EXPECT_LT(std::fabs(channelSum / frames), 0.002) << "DC offset";
        // Every side plays at the same loudness with a true-peak margin, as decoded.
        EXPECT_NEAR(synth::IntegratedLoudness(synth::KWeightedSegments(audio)), -16.0, 0.5);
        EXPECT_LE(synth::GainToDb(synth::TruePeak(audio)), -1.0);

        // The step from the last frame to the first, as the player loops, against the
        // 99.9th percentile of all sample-to-sample steps of that channel.
        for (const std::vector<float> *channel : {&audio.left, &audio.right}) {
            const std::vector<float> &c = *channel;
            std::vector<float> steps;
            steps.reserve(frames);
            for (size_t i = 1; i < frames; ++i)
                steps.push_back(std::fabs(c[i] - c[i - 1]));
            const size_t p999 = steps.size() * 999 / 1000;
            std::nth_element(steps.begin(), steps.begin() + p999, steps.end());
            EXPECT_LE(std::fabs(c[0] - c[frames - 1]), steps[p999])
                << "loop seam jumps in the " << (channel == &audio.left ? "left" : "right")
                << " channel";
        }
    }
}

} // namespace
