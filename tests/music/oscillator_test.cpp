#include "synth/drums.h"
#include "synth/oscillator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using synth::COscillator;
using synth::Waveform;

int CountRisingZeroCrossings(const std::vector<float> &x) {
    int count = 0;
    for (size_t i = 1; i < x.size(); ++i)
        if (x[i - 1] < 0.0f && x[i] >= 0.0f)
            ++count;
    return count;
}

struct FrequencyCase {
    Waveform shape;
    float hz;
};

class OscillatorFrequency : public ::testing::TestWithParam<FrequencyCase> {};

TEST_P(OscillatorFrequency, OneSecondHoldsTheRequestedNumberOfCycles) {
    const FrequencyCase c = GetParam();
    COscillator osc;
    std::vector<float> x(synth::kSampleRate);
    for (float &s : x)
        s = osc.Next(c.shape, c.hz, 0.5f);
    EXPECT_NEAR(CountRisingZeroCrossings(x), c.hz, 1.5);
    for (float s : x)
        ASSERT_LE(std::fabs(s), 1.2f);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, OscillatorFrequency,
    ::testing::Values(FrequencyCase{Waveform::Sine, 55.0f}, FrequencyCase{Waveform::Sine, 440.0f},
                      FrequencyCase{Waveform::Triangle, 220.0f},
                      FrequencyCase{Waveform::Triangle, 1000.0f},
                      FrequencyCase{Waveform::Saw, 110.0f}, FrequencyCase{Waveform::Saw, 440.0f},
                      FrequencyCase{Waveform::Saw, 2637.0f}, FrequencyCase{Waveform::Pulse, 82.0f},
                      FrequencyCase{Waveform::Pulse, 523.0f},
                      FrequencyCase{Waveform::Pulse, 3000.0f}));

TEST(Oscillator, PulseOfAnyWidthHasNoDcOffset) {
    for (float width : {0.125f, 0.25f, 0.5f, 0.8f}) {
        COscillator osc;
        double sum = 0.0;
        const int n = synth::kSampleRate;
        for (int i = 0; i < n; ++i)
            sum += osc.Next(Waveform::Pulse, 441.0f, width);
        EXPECT_NEAR(sum / n, 0.0, 0.01) << "width " << width;
    }
}

TEST(Oscillator, BandLimitedSawStepIsSmootherThanANaiveOne) {
    // A naive saw jumps by 2 at every wrap; the corrected one spreads the step.
    COscillator osc;
    float prev = osc.Next(Waveform::Saw, 3000.0f);
    float largest = 0.0f;
    for (int i = 0; i < 2000; ++i) {
        const float s = osc.Next(Waveform::Saw, 3000.0f);
        largest = std::max(largest, std::fabs(s - prev));
        prev = s;
    }
    EXPECT_LT(largest, 1.7f);
}

TEST(Oscillator, NoiseIsDeterministicPerSeedAndCentred) {
    COscillator a, b, c;
    a.SetSeed(7);
    b.SetSeed(7);
    c.SetSeed(8);
    double sum = 0.0;
    bool differs = false;
    for (int i = 0; i < 100000; ++i) {
        const float x = a.Next(Waveform::Noise, 0.0f);
        ASSERT_EQ(x, b.Next(Waveform::Noise, 0.0f));
        differs |= x != c.Next(Waveform::Noise, 0.0f);
        ASSERT_GE(x, -1.0f);
        ASSERT_LT(x, 1.0f);
        sum += x;
    }
    EXPECT_TRUE(differs);
    EXPECT_NEAR(sum / 100000.0, 0.0, 0.01);
}

TEST(Drums, EveryKindIsFiniteBoundedAndEndsSilent) {
    using synth::DrumKind;
    for (DrumKind kind : {DrumKind::Kick, DrumKind::Snare, DrumKind::ClosedHat, DrumKind::OpenHat,
                          DrumKind::Clap, DrumKind::Tom, DrumKind::Shaker, DrumKind::Rim}) {
        synth::DrumPatch patch;
        patch.kind = kind;
        std::vector<float> out;
        synth::RenderDrum(patch, 1.0f, 1.0f, 42, out);
        ASSERT_FALSE(out.empty());
        float peak = 0.0f;
        for (float s : out) {
            ASSERT_TRUE(std::isfinite(s));
            peak = std::max(peak, std::fabs(s));
        }
        EXPECT_GT(peak, 0.05f) << static_cast<int>(kind);
        EXPECT_LT(peak, 3.0f) << static_cast<int>(kind);
        EXPECT_EQ(out.back(), 0.0f) << static_cast<int>(kind);
    }
}

TEST(Drums, KickBodySettlesAtItsPitch) {
    synth::DrumPatch patch;
    patch.kind = synth::DrumKind::Kick;
    patch.pitch = 50.0f;
    patch.decay = 1.0f;
    patch.drive = 0.0f;
    patch.click = 0.0f;
    std::vector<float> out;
    synth::RenderDrum(patch, 1.0f, 1.0f, 1, out);
    // From 0.3 s on the sweep is over: count cycles in one second.
    std::vector<float> tail(out.begin() + synth::kSampleRate * 3 / 10,
                            out.begin() + synth::kSampleRate * 13 / 10);
    EXPECT_NEAR(CountRisingZeroCrossings(tail), 50, 1.5);
}

} // namespace
