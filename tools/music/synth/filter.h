// Resonant state-variable filter (trapezoidal integration): stays stable and click-free
// while its cutoff is swept every few samples.
#pragma once

namespace synth {

enum class FilterMode { LowPass, BandPass, HighPass };

class CSvfFilter {
  public:
    // cutoffHz is clamped to 10 Hz .. 0.45 x sample rate; q >= 0.5 (0.707 = flat Butterworth).
    // The low-pass and band-pass gains at the cutoff equal q.
    void SetParams(float cutoffHz, float q);
    float Process(float in, FilterMode mode = FilterMode::LowPass);
    void Reset() { m_ic1 = m_ic2 = 0.0f; }

  private:
    float m_k = 1.4142f;
    float m_a1 = 1.0f, m_a2 = 0.0f, m_a3 = 0.0f;
    float m_ic1 = 0.0f, m_ic2 = 0.0f;
};

// One-pole low-pass for damping and smoothing; coefficient from cutoff in Hz.
class COnePole {
  public:
    void SetCutoff(float hz);
    float Process(float in) {
        m_state += m_coef * (in - m_state);
        return m_state;
    }
    float State() const { return m_state; }

  private:
    float m_coef = 1.0f;
    float m_state = 0.0f;
};

} // namespace synth
