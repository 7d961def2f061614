// ADSR envelope: linear attack, exponential decay and release.
#pragma once

namespace synth {

struct Adsr {
    float attack = 0.005f;  // seconds from 0 to 1
    float decay = 0.1f;     // seconds to settle (within 1%) from 1 to the sustain level
    float sustain = 1.0f;   // level 0 to 1 held while the gate is open
    float release = 0.1f;   // seconds to fall (within 1%) from the current level to 0
};

class CEnvelope {
  public:
    enum class Stage { Idle, Attack, Decay, Sustain, Release };

    explicit CEnvelope(const Adsr &params = Adsr());
    void NoteOn();
    void NoteOff();
    // Advances one sample and returns the level in [0, 1].
    float Next();
    Stage GetStage() const { return m_stage; }
    bool Done() const { return m_stage == Stage::Idle; }
    float Level() const { return m_level; }

  private:
    Adsr m_params;
    Stage m_stage = Stage::Idle;
    float m_level = 0.0f;
    float m_decayOffset = 0.0f; // level minus sustain during the decay
    float m_attackStep = 1.0f;
    float m_decayCoef = 0.0f;
    float m_releaseCoef = 0.0f;
};

} // namespace synth
