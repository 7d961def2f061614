#include "synth/envelope.h"
#include "synth/dsp.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using synth::Adsr;
using synth::CEnvelope;

class EnvelopeTimes : public ::testing::TestWithParam<Adsr> {};

int Samples(float seconds) { return static_cast<int>(std::lround(seconds * synth::kSampleRate)); }

TEST_P(EnvelopeTimes, StagesTakeTheirNominalTimes) {
    const Adsr p = GetParam();
    CEnvelope env(p);
    env.NoteOn();
    // Attack: linear, peak reached within one sample of the attack time.
    const int attack = Samples(p.attack);
    int peakAt = -1;
    for (int i = 1; i <= attack + 2; ++i) {
        const float v = env.Next();
        if (i == attack / 2) {
            EXPECT_NEAR(v, 0.5f, 0.02f);
        }
        if (v >= 1.0f && peakAt < 0)
            peakAt = i;
    }
    // Float accumulation of the step may finish a sample or two early on long attacks.
    EXPECT_NEAR(peakAt, attack, 1 + attack / 5000);
    // Decay: within 1% of the distance after the decay time, not much earlier.
    const int decay = Samples(p.decay);
    float v = 1.0f;
    for (int i = 0; i < decay * 8 / 10; ++i)
        v = env.Next();
    EXPECT_GT(v - p.sustain, 0.01f * (1.0f - p.sustain) * 0.99f);
    for (int i = decay * 8 / 10; i < decay; ++i)
        v = env.Next();
    EXPECT_LE(v - p.sustain, 0.0101f * (1.0f - p.sustain) + 1e-5f);
    // Sustain holds once the decay has fully settled.
    for (int i = 0; i < decay * 3; ++i)
        v = env.Next();
    EXPECT_NEAR(v, p.sustain, 2e-5f);
    EXPECT_EQ(env.GetStage(), CEnvelope::Stage::Sustain);
    // Release: to 1% of the held level after the release time, then idle.
    env.NoteOff();
    const int release = Samples(p.release);
    for (int i = 0; i < release; ++i)
        v = env.Next();
    EXPECT_NEAR(v, 0.01f * p.sustain, 0.002f * p.sustain + 1e-5f);
    for (int i = 0; i < release * 3 && !env.Done(); ++i)
        env.Next();
    EXPECT_TRUE(env.Done());
    EXPECT_EQ(env.Next(), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Shapes, EnvelopeTimes,
                         ::testing::Values(Adsr{0.01f, 0.1f, 0.5f, 0.2f},
                                           Adsr{0.002f, 0.3f, 0.8f, 0.05f},
                                           Adsr{0.5f, 1.0f, 0.25f, 1.5f},
                                           Adsr{0.05f, 0.05f, 0.9f, 0.5f}));

TEST(Envelope, ReleaseDuringAttackFallsFromTheCurrentLevel) {
    CEnvelope env(Adsr{0.1f, 0.1f, 1.0f, 0.05f});
    env.NoteOn();
    float v = 0.0f;
    for (int i = 0; i < synth::kSampleRate / 20; ++i)
        v = env.Next();
    EXPECT_NEAR(v, 0.5f, 0.01f);
    env.NoteOff();
    const float next = env.Next();
    EXPECT_LT(next, v);
    EXPECT_GT(next, v * 0.9f);
}

TEST(Envelope, IdleEnvelopeIsSilentAndIgnoresNoteOff) {
    CEnvelope env;
    env.NoteOff();
    EXPECT_TRUE(env.Done());
    EXPECT_EQ(env.Next(), 0.0f);
}

} // namespace
