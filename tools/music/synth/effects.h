// Time-based effects: ping-pong delay, feedback-delay-network reverb, stereo chorus, panning.
#pragma once

#include "dsp.h"
#include "filter.h"

#include <vector>

namespace synth {

// Constant-power pan: pan -1 (left) .. +1 (right); writes the two channel gains.
void PanGains(float pan, float &left, float &right);

// A delay line of fixed capacity, read at integer or fractional delays.
class CDelayLine {
  public:
    explicit CDelayLine(size_t capacity = 1);
    void Write(float s) {
        m_data[m_pos] = s;
        m_pos = m_pos + 1 == m_data.size() ? 0 : m_pos + 1;
    }
    // delay in samples, 1 = the sample written last.
    float Read(size_t delay) const {
        size_t i = m_pos + m_data.size() - (delay % m_data.size());
        return m_data[i >= m_data.size() ? i - m_data.size() : i];
    }
    float ReadFrac(float delay) const;

  private:
    std::vector<float> m_data;
    size_t m_pos = 0;
};

struct DelayParams {
    float leftSeconds = 0.375f;
    float rightSeconds = 0.5f;
    float feedback = 0.35f; // 0 to 0.9
    float pingPong = 0.6f;  // share of the feedback crossing to the other side
    float damping = 4000.0f; // Hz low-pass inside the feedback path
    // When set, the send is summed to mono and enters the left line only, so a centred
    // source echoes left, then right, then left (with pingPong near 1).
    bool monoIn = false;
};

// Processes `in` (the send) and adds the wet signal into `out`; both hold the same frames.
void ApplyDelay(const DelayParams &params, const StereoBuffer &in, StereoBuffer &out);

struct ReverbParams {
    float decaySeconds = 2.5f; // RT60
    float preDelay = 0.02f;    // seconds
    float damping = 6000.0f;   // Hz: high frequencies die faster
    float size = 1.0f;         // scales the delay lengths (0.5 to 1.5)
    float lowCut = 150.0f;     // Hz: keeps the bass out of the tail
};

// Feedback delay network of eight lines behind input diffusion; adds the wet signal
// of the (stereo) send `in` into `out`.
void ApplyReverb(const ReverbParams &params, const StereoBuffer &in, StereoBuffer &out);

struct ChorusParams {
    float rate = 0.25f;     // Hz
    float depth = 0.003f;   // seconds of delay swing
    float delay = 0.012f;   // seconds centre delay
    float mix = 0.5f;
};

// Widens a mono signal into a stereo pair with two modulated delay taps (phase-opposed).
// `startSeconds` is the song time of in[0]; the LFO phase is rate x song time.
void ApplyChorus(const ChorusParams &params, const std::vector<float> &in, StereoBuffer &out,
                 double startSeconds);

} // namespace synth
