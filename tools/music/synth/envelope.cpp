#include "envelope.h"

#include "dsp.h"

namespace synth {

namespace {
// ln(100): an exponential segment reaches 1% of its distance after its nominal time.
constexpr float kSettle = 4.6051702f;

float SegmentCoef(float seconds) {
    if (seconds < 0.0005f)
        seconds = 0.0005f;
    return std::exp(-kSettle / (seconds * kSampleRate));
}
} // namespace

CEnvelope::CEnvelope(const Adsr &params) : m_params(params) {
    const float attack = params.attack < 0.0005f ? 0.0005f : params.attack;
    m_attackStep = 1.0f / (attack * kSampleRate);
    m_decayCoef = SegmentCoef(params.decay);
    m_releaseCoef = SegmentCoef(params.release);
}

void CEnvelope::NoteOn() { m_stage = Stage::Attack; }

void CEnvelope::NoteOff() {
    if (m_stage != Stage::Idle)
        m_stage = Stage::Release;
}

float CEnvelope::Next() {
    switch (m_stage) {
    case Stage::Idle:
        m_level = 0.0f;
        break;
    case Stage::Attack:
        m_level += m_attackStep;
        if (m_level >= 1.0f) {
            m_level = 1.0f;
            m_decayOffset = 1.0f - m_params.sustain;
            m_stage = Stage::Decay;
        }
        break;
    case Stage::Decay:
        // The distance decays on its own: folded into the level it would stall on float
        // rounding a little above the sustain level.
        m_decayOffset *= m_decayCoef;
        m_level = m_params.sustain + m_decayOffset;
        if (std::fabs(m_decayOffset) < 1e-5f) {
            m_level = m_params.sustain;
            m_stage = Stage::Sustain;
        }
        break;
    case Stage::Sustain:
        m_level = m_params.sustain;
        break;
    case Stage::Release:
        m_level *= m_releaseCoef;
        if (m_level < 1e-4f) {
            m_level = 0.0f;
            m_stage = Stage::Idle;
        }
        break;
    }
    return m_level;
}

} // namespace synth
