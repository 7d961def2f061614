#include "synth/master.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using synth::StereoBuffer;

StereoBuffer Tone(size_t frames, float amplitude, float hz, float dc = 0.0f) {
    StereoBuffer b;
    b.Resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        b.left[i] = dc + amplitude * std::sin(synth::kTwoPi * hz * i / synth::kSampleRate);
        b.right[i] = dc + amplitude * std::cos(synth::kTwoPi * hz * i / synth::kSampleRate);
    }
    return b;
}

class LimiterCeiling : public ::testing::TestWithParam<float> {};

TEST_P(LimiterCeiling, NoSampleExceedsTheCeiling) {
    const float ceiling = GetParam();
    StereoBuffer b = Tone(synth::kSampleRate, 0.3f, 220.0f);
    // Loud bursts, one of them straddling the loop seam.
    synth::CRandom rng(3);
    for (size_t at : {size_t(1000), size_t(20000), b.Frames() - 30})
        for (size_t k = 0; k < 60; ++k) {
            b.left[(at + k) % b.Frames()] = 3.0f * rng.NextBipolar();
            b.right[(at + k) % b.Frames()] = -2.5f;
        }
    synth::LimitCircular(b, ceiling);
    EXPECT_LE(synth::MeasurePeak(b), ceiling + 1e-6f);
}

INSTANTIATE_TEST_SUITE_P(Ceilings, LimiterCeiling, ::testing::Values(0.2f, 0.5f, 0.84f, 1.0f));

TEST(Limiter, LeavesQuietMaterialUntouched) {
    StereoBuffer b = Tone(synth::kSampleRate, 0.5f, 440.0f);
    const StereoBuffer before = b;
    synth::LimitCircular(b, 0.8f);
    for (size_t i = 0; i < b.Frames(); ++i)
        ASSERT_EQ(b.left[i], before.left[i]);
}

TEST(Limiter, GainRampsInsteadOfJumping) {
    // A quiet tone with one loud click: the tone around the click is turned down smoothly.
    StereoBuffer b = Tone(synth::kSampleRate, 0.4f, 100.0f);
    b.left[22050] = 4.0f;
    synth::LimitCircular(b, 0.5f, 0.005f, 0.1f);
    float largestStep = 0.0f;
    for (size_t i = 21000; i < 23000; ++i)
        if (i != 22050 && i != 22051)
            largestStep = std::max(largestStep, std::fabs(b.right[i] - b.right[i - 1]));
    // The untouched tone moves at most 0.4 * 2 pi * 100 / 44100 per sample.
    EXPECT_LT(largestStep, 0.0065f);
    EXPECT_LE(synth::MeasurePeak(b), 0.5f + 1e-6f);
}

TEST(Master, SoftClipIsLinearBelowTheKneeAndBoundedAbove) {
    EXPECT_EQ(synth::SoftClip(0.3f, 0.5f, 0.9f), 0.3f);
    EXPECT_EQ(synth::SoftClip(-0.5f, 0.5f, 0.9f), -0.5f);
    EXPECT_LE(synth::SoftClip(10.0f, 0.5f, 0.9f), 0.9f);
    EXPECT_GT(synth::SoftClip(10.0f, 0.5f, 0.9f), 0.85f);
    EXPECT_GE(synth::SoftClip(-10.0f, 0.5f, 0.9f), -0.9f);
    EXPECT_LT(synth::SoftClip(0.6f, 0.5f, 0.9f), 0.6f);
    EXPECT_GT(synth::SoftClip(0.7f, 0.5f, 0.9f), synth::SoftClip(0.6f, 0.5f, 0.9f));
}

TEST(Master, DcIsRemovedAroundTheCircle) {
    StereoBuffer b = Tone(synth::kSampleRate * 2, 0.2f, 330.0f, 0.25f);
    synth::RemoveDcCircular(b);
    double sum = 0.0;
    for (size_t i = 0; i < b.Frames(); ++i)
        sum += b.left[i];
    EXPECT_NEAR(sum / b.Frames(), 0.0, 1e-3);
    // Continuous at the seam: no step larger than the tone's own slope.
    EXPECT_LT(std::fabs(b.left.front() - b.left.back()), 0.02f);
}

struct LoudnessCase {
    float amplitude, targetDb, ceilingDb;
};

class Loudness : public ::testing::TestWithParam<LoudnessCase> {};

TEST_P(Loudness, ReachesTheTargetRmsUnderTheCeiling) {
    const LoudnessCase c = GetParam();
    StereoBuffer b = Tone(synth::kSampleRate, c.amplitude, 150.0f);
    // Add sparse transients so the limiter has work to do.
    for (size_t i = 0; i < b.Frames(); i += 5000)
        b.left[i] += c.amplitude * 4.0f;
    synth::MasterToLoudness(b, c.targetDb, c.ceilingDb);
    EXPECT_NEAR(synth::GainToDb(synth::MeasureRms(b)), c.targetDb, 0.1f);
    EXPECT_LE(synth::MeasurePeak(b), synth::DbToGain(c.ceilingDb) * 1.00001f);
}

INSTANTIATE_TEST_SUITE_P(Table, Loudness,
                         ::testing::Values(LoudnessCase{0.01f, -16.0f, -1.6f},
                                           LoudnessCase{0.9f, -16.0f, -1.6f},
                                           LoudnessCase{0.2f, -12.0f, -3.0f}));

} // namespace
