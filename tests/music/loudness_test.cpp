// The loudness meter the master normalises with, against signals of known loudness.
#include "synth/loudness.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace synth;

// Appends `seconds` of a sine at `hz` and `dbfs` peak level to the chosen channels.
void AppendSine(StereoBuffer &buf, double seconds, double hz, double dbfs, bool left, bool right,
                double phase = 0.0) {
    const double amp = std::pow(10.0, dbfs / 20.0);
    const size_t n = static_cast<size_t>(seconds * kSampleRate);
    for (size_t i = 0; i < n; ++i) {
        const float s = static_cast<float>(amp * std::sin(2.0 * M_PI * hz * i / kSampleRate + phase));
        buf.left.push_back(left ? s : 0.0f);
        buf.right.push_back(right ? s : 0.0f);
    }
}

struct Step {
    double seconds, dbfs;
};

StereoBuffer Sequence(std::initializer_list<Step> steps, bool stereo = true) {
    StereoBuffer buf;
    for (const Step &s : steps)
        AppendSine(buf, s.seconds, 997.0, s.dbfs, true, stereo);
    return buf;
}

TEST(Loudness, IntegratedLoudnessOfReferenceSignals) {
    struct Case {
        const char *what;
        StereoBuffer signal;
        double lufs;
    } cases[] = {
        // A full-scale 997 Hz sine in one channel reads -3.01: the -0.691 offset cancels
        // the K-weighting gain there.
        {"one channel at 0 dBFS", Sequence({{10.0, 0.0}}, false), -3.01},
        {"one channel at -20 dBFS", Sequence({{10.0, -20.0}}, false), -23.01},
        {"both channels at 0 dBFS", Sequence({{10.0, 0.0}}), 0.0},
        {"both channels at -23 dBFS", Sequence({{20.0, -23.0}}), -23.0},
        // The relative gate drops the quiet ends; the absolute gate drops the silence.
        {"quiet ends below the relative gate", Sequence({{10.0, -36.0}, {60.0, -23.0}, {10.0, -36.0}}),
         -23.0},
        {"ends just inside the relative gate", Sequence({{20.0, -26.0}, {20.1, -20.0}, {20.0, -26.0}}),
         -23.0},
        {"silence around the tone", Sequence({{10.0, -300.0}, {20.0, -23.0}, {10.0, -300.0}}), -23.0},
        {"silence only", Sequence({{5.0, -300.0}}), kSilenceLufs},
    };
    for (const Case &c : cases)
        EXPECT_NEAR(IntegratedLoudness(KWeightedSegments(c.signal)), c.lufs, 0.1) << c.what;
}

TEST(Loudness, KWeightingShapesTheSpectrum) {
    // Relative to 997 Hz, as the response of the filter coefficients tabulated for 48 kHz.
    const struct {
        double hz, relativeDb, tolerance;
    } cases[] = {{10000.0, 3.35, 0.1}, {100.0, -1.82, 0.1}, {20.0, -13.97, 0.3}};
    const double reference = IntegratedLoudness(KWeightedSegments(Sequence({{5.0, -20.0}})));
    for (const auto &c : cases) {
        StereoBuffer buf;
        AppendSine(buf, 5.0, c.hz, -20.0, true, true);
        EXPECT_NEAR(IntegratedLoudness(KWeightedSegments(buf)) - reference, c.relativeDb, c.tolerance)
            << c.hz << " Hz";
    }
}

TEST(Loudness, RangeAndShortTermWindows) {
    // Twenty seconds at each of two levels 10 dB apart: the range is the step.
    EXPECT_NEAR(LoudnessRange(KWeightedSegments(Sequence({{20.0, -20.0}, {20.0, -30.0}}))), 10.0, 1.0);
    EXPECT_NEAR(LoudnessRange(KWeightedSegments(Sequence({{20.0, -20.0}, {20.0, -15.0}}))), 5.0, 1.0);
    EXPECT_NEAR(LoudnessRange(KWeightedSegments(Sequence({{30.0, -20.0}}))), 0.0, 0.1);

    const std::vector<double> st = WindowLoudness(KWeightedSegments(Sequence({{6.0, -20.0}, {6.0, -30.0}})), 30);
    ASSERT_EQ(st.size(), 120u - 30u + 1u);
    EXPECT_NEAR(st.front(), -20.0, 0.1);
    EXPECT_NEAR(st.back(), -30.0, 0.1);
}

TEST(Loudness, TruePeakFindsTheTopBetweenSamples) {
    // A quarter-rate sine at 45 degrees: every sample sits at 0.707 of the wave's peak.
    const struct {
        double hz, phase, peak;
    } cases[] = {{kSampleRate / 4.0, M_PI / 4.0, 0.5}, {997.0, 0.0, 0.5}, {kSampleRate / 6.0, M_PI / 6.0, 0.5}};
    for (const auto &c : cases) {
        StereoBuffer buf;
        AppendSine(buf, 1.0, c.hz, 20.0 * std::log10(c.peak), true, false, c.phase);
        EXPECT_NEAR(GainToDb(TruePeak(buf)), GainToDb(static_cast<float>(c.peak)), 0.2) << c.hz << " Hz";
    }
    StereoBuffer quarter;
    AppendSine(quarter, 1.0, kSampleRate / 4.0, 0.0, false, true, M_PI / 4.0);
    float samplePeak = 0.0f;
    for (float s : quarter.right)
        samplePeak = std::max(samplePeak, std::fabs(s));
    EXPECT_NEAR(GainToDb(samplePeak), -3.01, 0.05);
    EXPECT_GT(GainToDb(TruePeak(quarter)), -0.2);
}

} // namespace
