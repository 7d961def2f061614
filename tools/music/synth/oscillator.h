// Band-limited audio oscillators (PolyBLEP edges) with a phase accumulator.
#pragma once

#include "dsp.h"

namespace synth {

enum class Waveform { Sine, Triangle, Saw, Pulse, Noise };

class COscillator {
  public:
    // phase in cycles [0, 1).
    void Reset(float phase = 0.0f) { m_phase = phase - std::floor(phase); }
    void SetSeed(uint32_t seed) { m_noise = CRandom(seed); }
    // Advances one sample at `hz` and returns the waveform in [-1, 1].
    // `width` is the pulse duty cycle (0.05 to 0.95), ignored by the other shapes.
    float Next(Waveform shape, float hz, float width = 0.5f);
    float Phase() const { return m_phase; }

  private:
    float m_phase = 0.0f;
    CRandom m_noise;
};

// The polynomial correction of a unit step at phase t, for increment dt (cycles per sample).
inline float PolyBlep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

__attribute__((always_inline)) inline float COscillator::Next(Waveform shape, float hz, float width) {
    float dt = hz / kSampleRate;
    if (dt < 0.0f)
        dt = 0.0f;
    if (dt > 0.49f)
        dt = 0.49f;
    const float t = m_phase;
    float out = 0.0f;
    switch (shape) {
    case Waveform::Sine:
        out = std::sin(kTwoPi * t);
        break;
    case Waveform::Triangle:
        // Harmonics fall at 12 dB/octave, so the plain shape aliases very little.
        out = 4.0f * std::fabs(t - 0.5f) - 1.0f;
        break;
    case Waveform::Saw:
        out = 2.0f * t - 1.0f - PolyBlep(t, dt);
        break;
    case Waveform::Pulse: {
        if (width < 0.05f)
            width = 0.05f;
        if (width > 0.95f)
            width = 0.95f;
        out = t < width ? 1.0f : -1.0f;
        out += PolyBlep(t, dt);
        float t2 = t + 1.0f - width;
        t2 -= std::floor(t2);
        out -= PolyBlep(t2, dt);
        // Remove the DC of an asymmetric pulse.
        out -= 2.0f * width - 1.0f;
        break;
    }
    case Waveform::Noise:
        out = m_noise.NextBipolar();
        break;
    }
    m_phase += dt;
    if (m_phase >= 1.0f)
        m_phase -= 1.0f;
    return out;
}

} // namespace synth
