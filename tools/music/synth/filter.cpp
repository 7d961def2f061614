#include "filter.h"

#include "dsp.h"

namespace synth {

void CSvfFilter::SetParams(float cutoffHz, float q) {
    const float maxHz = 0.45f * kSampleRate;
    if (!(cutoffHz > 10.0f))
        cutoffHz = 10.0f;
    if (cutoffHz > maxHz)
        cutoffHz = maxHz;
    if (!(q >= 0.5f))
        q = 0.5f;
    const float g = std::tan(kPi * cutoffHz / kSampleRate);
    m_k = 1.0f / q;
    m_a1 = 1.0f / (1.0f + g * (g + m_k));
    m_a2 = g * m_a1;
    m_a3 = g * m_a2;
}

float CSvfFilter::Process(float in, FilterMode mode) {
    const float v3 = in - m_ic2;
    const float v1 = m_a1 * m_ic1 + m_a2 * v3;
    const float v2 = m_ic2 + m_a2 * m_ic1 + m_a3 * v3;
    m_ic1 = 2.0f * v1 - m_ic1;
    m_ic2 = 2.0f * v2 - m_ic2;
    switch (mode) {
    case FilterMode::LowPass:
        return v2;
    case FilterMode::BandPass:
        return v1;
    case FilterMode::HighPass:
        return in - m_k * v1 - v2;
    }
    return v2;
}

void COnePole::SetCutoff(float hz) {
    if (hz <= 0.0f) {
        m_coef = 0.0f;
        return;
    }
    m_coef = 1.0f - std::exp(-kTwoPi * hz / kSampleRate);
}

} // namespace synth
