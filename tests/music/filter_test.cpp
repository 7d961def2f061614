#include "synth/dsp.h"
#include "synth/filter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using synth::CSvfFilter;
using synth::FilterMode;

// Steady-state gain of the filter for a sine at `hz` (peak out / peak in).
float Gain(float cutoff, float q, float hz, FilterMode mode) {
    CSvfFilter f;
    f.SetParams(cutoff, q);
    const int n = synth::kSampleRate;
    float peak = 0.0f;
    for (int i = 0; i < n; ++i) {
        const float x = std::sin(synth::kTwoPi * hz * i / synth::kSampleRate);
        const float y = f.Process(x, mode);
        if (i > n / 2)
            peak = std::max(peak, std::fabs(y));
    }
    return peak;
}

struct ResponseCase {
    float cutoff, q, hz;
    FilterMode mode;
    float expectDb, toleranceDb;
};

class FilterResponse : public ::testing::TestWithParam<ResponseCase> {};

TEST_P(FilterResponse, GainMatchesTheDesign) {
    const ResponseCase c = GetParam();
    EXPECT_NEAR(synth::GainToDb(Gain(c.cutoff, c.q, c.hz, c.mode)), c.expectDb, c.toleranceDb)
        << c.cutoff << " Hz, q " << c.q << ", tone " << c.hz;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FilterResponse,
    ::testing::Values(
        // At the cutoff the low-pass gain equals q (-3 dB for Butterworth).
        ResponseCase{1000.0f, 0.7071f, 1000.0f, FilterMode::LowPass, -3.01f, 0.2f},
        ResponseCase{5000.0f, 0.7071f, 5000.0f, FilterMode::LowPass, -3.01f, 0.3f},
        ResponseCase{300.0f, 4.0f, 300.0f, FilterMode::LowPass, 12.04f, 0.3f},
        // Pass band is flat, the stop band falls 12 dB per octave.
        ResponseCase{2000.0f, 0.7071f, 100.0f, FilterMode::LowPass, 0.0f, 0.1f},
        ResponseCase{500.0f, 0.7071f, 2000.0f, FilterMode::LowPass, -24.1f, 1.0f},
        ResponseCase{500.0f, 0.7071f, 50.0f, FilterMode::HighPass, -40.0f, 1.5f},
        ResponseCase{500.0f, 0.7071f, 8000.0f, FilterMode::HighPass, 0.0f, 0.2f},
        // Band-pass: gain q at the centre, falling 6 dB per octave far from it.
        ResponseCase{1500.0f, 2.0f, 1500.0f, FilterMode::BandPass, 6.02f, 0.3f},
        ResponseCase{1500.0f, 0.7071f, 6000.0f, FilterMode::BandPass, -12.3f, 1.0f}));

TEST(Filter, OutOfRangeSettingsStayStable) {
    CSvfFilter f;
    f.SetParams(1e9f, 0.0f);
    float peak = 0.0f;
    for (int i = 0; i < 10000; ++i)
        peak = std::max(peak, std::fabs(f.Process(i % 2 ? 1.0f : -1.0f)));
    EXPECT_TRUE(std::isfinite(peak));
    EXPECT_LT(peak, 10.0f);
    f.SetParams(std::nanf(""), 1.0f);
    EXPECT_TRUE(std::isfinite(f.Process(1.0f)));
}

TEST(Filter, OnePoleSettlesOnItsInput) {
    synth::COnePole p;
    p.SetCutoff(50.0f);
    float y = 0.0f;
    for (int i = 0; i < synth::kSampleRate; ++i)
        y = p.Process(0.75f);
    EXPECT_NEAR(y, 0.75f, 1e-4f);
}

} // namespace
