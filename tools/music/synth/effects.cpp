#include "effects.h"

#include <algorithm>

namespace synth {

void PanGains(float pan, float &left, float &right) {
    pan = std::clamp(pan, -1.0f, 1.0f);
    const float angle = (pan + 1.0f) * 0.25f * kPi;
    left = std::cos(angle) * 1.41421356f;
    right = std::sin(angle) * 1.41421356f;
}

CDelayLine::CDelayLine(size_t capacity) : m_data(capacity < 2 ? 2 : capacity, 0.0f) {}

float CDelayLine::ReadFrac(float delay) const {
    if (delay < 1.0f)
        delay = 1.0f;
    const size_t whole = static_cast<size_t>(delay);
    const float frac = delay - static_cast<float>(whole);
    const float a = Read(whole);
    const float b = Read(whole + 1);
    return a + (b - a) * frac;
}

void ApplyDelay(const DelayParams &p, const StereoBuffer &in, StereoBuffer &out) {
    const size_t dl = std::max<size_t>(1, static_cast<size_t>(p.leftSeconds * kSampleRate));
    const size_t dr = std::max<size_t>(1, static_cast<size_t>(p.rightSeconds * kSampleRate));
    CDelayLine left(dl + 1), right(dr + 1);
    COnePole dampL, dampR;
    dampL.SetCutoff(p.damping);
    dampR.SetCutoff(p.damping);
    const float fb = std::clamp(p.feedback, 0.0f, 0.9f);
    const float cross = std::clamp(p.pingPong, 0.0f, 1.0f);
    const size_t frames = std::min(in.Frames(), out.Frames());
    for (size_t i = 0; i < frames; ++i) {
        const float yl = left.Read(dl);
        const float yr = right.Read(dr);
        const float fl = dampL.Process(yl) * fb;
        const float fr = dampR.Process(yr) * fb;
        const float inL = p.monoIn ? in.left[i] + in.right[i] : in.left[i];
        const float inR = p.monoIn ? 0.0f : in.right[i];
        left.Write(inL + fl * (1.0f - cross) + fr * cross);
        right.Write(inR + fr * (1.0f - cross) + fl * cross);
        out.left[i] += yl;
        out.right[i] += yr;
    }
}

namespace {

// Schroeder all-pass used to smear the input before the network.
class CAllPass {
  public:
    CAllPass(size_t length, float gain) : m_line(length + 1), m_length(length), m_gain(gain) {}
    float Process(float x) {
        const float d = m_line.Read(m_length);
        const float v = x + m_gain * d;
        m_line.Write(v);
        return d - m_gain * v;
    }

  private:
    CDelayLine m_line;
    size_t m_length;
    float m_gain;
};

constexpr int kLines = 8;
// Mutually prime lengths (samples at size 1.0), spread 30 to 80 ms.
constexpr int kLineLengths[kLines] = {1327, 1559, 1801, 2053, 2351, 2647, 2971, 3469};

} // namespace

void ApplyReverb(const ReverbParams &p, const StereoBuffer &in, StereoBuffer &out) {
    const float size = std::clamp(p.size, 0.3f, 2.0f);
    std::vector<CDelayLine> lines;
    size_t lengths[kLines];
    float gains[kLines];
    COnePole damp[kLines];
    for (int i = 0; i < kLines; ++i) {
        lengths[i] = static_cast<size_t>(kLineLengths[i] * size);
        lines.emplace_back(lengths[i] + 1);
        // Gain per pass that makes the loop fall 60 dB in decaySeconds.
        gains[i] = std::pow(10.0f, -3.0f * lengths[i] / (std::max(0.1f, p.decaySeconds) * kSampleRate));
        damp[i].SetCutoff(p.damping);
    }
    CAllPass diffL[3] = {CAllPass(142, 0.6f), CAllPass(379, 0.6f), CAllPass(607, 0.55f)};
    CAllPass diffR[3] = {CAllPass(155, 0.6f), CAllPass(401, 0.6f), CAllPass(631, 0.55f)};
    const size_t pre = std::max<size_t>(1, static_cast<size_t>(p.preDelay * kSampleRate));
    CDelayLine preL(pre + 1), preR(pre + 1);
    CSvfFilter lowCutL, lowCutR;
    lowCutL.SetParams(p.lowCut, 0.7f);
    lowCutR.SetParams(p.lowCut, 0.7f);

    const size_t frames = std::min(in.Frames(), out.Frames());
    float y[kLines];
    for (size_t i = 0; i < frames; ++i) {
        preL.Write(lowCutL.Process(in.left[i], FilterMode::HighPass));
        preR.Write(lowCutR.Process(in.right[i], FilterMode::HighPass));
        float xl = preL.Read(pre), xr = preR.Read(pre);
        for (int k = 0; k < 3; ++k) {
            xl = diffL[k].Process(xl);
            xr = diffR[k].Process(xr);
        }
        float sum = 0.0f;
        for (int k = 0; k < kLines; ++k) {
            y[k] = damp[k].Process(lines[k].Read(lengths[k])) * gains[k];
            sum += y[k];
        }
        // Householder feedback matrix: lossless, every line feeds every other.
        const float h = sum * (2.0f / kLines);
        for (int k = 0; k < kLines; ++k)
            lines[k].Write(y[k] - h + ((k & 1) ? xr : xl));
        const float outL = y[0] - y[2] + y[4] - y[6] + 0.5f * (y[1] - y[5]);
        const float outR = y[1] - y[3] + y[5] - y[7] + 0.5f * (y[2] - y[6]);
        out.left[i] += outL * 0.35f;
        out.right[i] += outR * 0.35f;
    }
}

void ApplyChorus(const ChorusParams &p, const std::vector<float> &in, StereoBuffer &out,
                 double startSeconds) {
    const float maxDelay = (p.delay + p.depth) * kSampleRate + 4.0f;
    CDelayLine line(static_cast<size_t>(maxDelay) + 2);
    const size_t frames = std::min(in.size(), out.Frames());
    const float mix = std::clamp(p.mix, 0.0f, 1.0f);
    for (size_t i = 0; i < frames; ++i) {
        line.Write(in[i]);
        // The LFO phase follows song time so a loop seam sees the same modulation.
        const double t = startSeconds + static_cast<double>(i) / kSampleRate;
        double ph = p.rate * t;
        ph -= std::floor(ph);
        const float m = std::sin(kTwoPi * static_cast<float>(ph));
        const float dl = (p.delay + p.depth * m) * kSampleRate;
        const float dr = (p.delay - p.depth * m) * kSampleRate;
        out.left[i] += in[i] * (1.0f - mix) + line.ReadFrac(dl) * mix;
        out.right[i] += in[i] * (1.0f - mix) + line.ReadFrac(dr) * mix;
    }
}

} // namespace synth
