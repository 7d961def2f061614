#include "drums.h"

#include "dsp.h"
#include "filter.h"

#include <algorithm>

namespace synth {

namespace {

int TailSamples(float decaySeconds) {
    // Exponential decay reaches -80 dB after ~9.2 time constants.
    return static_cast<int>(std::min(4.0f, decaySeconds * 9.2f + 0.01f) * kSampleRate);
}

// Ratios of the six square oscillators that give hats their metallic ring.
constexpr float kMetalRatios[6] = {1.0f, 1.4471f, 1.6170f, 1.9265f, 2.5028f, 2.6637f};

void RenderKick(const DrumPatch &p, float tune, CRandom &rng, std::vector<float> &out) {
    const int count = TailSamples(p.decay);
    out.resize(count);
    const float ampCoef = OnePoleCoef(p.decay);
    const float pitchCoef = OnePoleCoef(p.pitchDecay);
    const float clickCoef = OnePoleCoef(0.004f);
    const float end = p.pitch * tune;
    float sweep = (p.pitchStart - p.pitch) * tune;
    float amp = 1.0f, click = p.click, phase = 0.0f;
    COnePole clickTone;
    clickTone.SetCutoff(3000.0f);
    const float drive = 1.0f + 3.0f * p.drive;
    for (int n = 0; n < count; ++n) {
        const float attack = std::min(1.0f, n / (0.0008f * kSampleRate));
        float s = std::sin(kTwoPi * phase) * amp * attack;
        phase += (end + sweep) / kSampleRate;
        phase -= std::floor(phase);
        sweep *= pitchCoef;
        amp *= ampCoef;
        s += clickTone.Process(rng.NextBipolar()) * click;
        click *= clickCoef;
        out[n] = FastTanh(s * drive) / FastTanh(drive);
    }
}

void RenderTom(const DrumPatch &p, float tune, CRandom &rng, std::vector<float> &out) {
    const int count = TailSamples(p.decay);
    out.resize(count);
    const float ampCoef = OnePoleCoef(p.decay);
    const float pitchCoef = OnePoleCoef(p.pitchDecay);
    const float noiseCoef = OnePoleCoef(0.02f);
    const float end = p.pitch * tune;
    float sweep = (p.pitchStart - p.pitch) * tune;
    float amp = 1.0f, noiseAmp = 0.3f * p.tone, phase = 0.0f;
    CSvfFilter bp;
    bp.SetParams(end * 4.0f, 1.0f);
    for (int n = 0; n < count; ++n) {
        const float attack = std::min(1.0f, n / (0.001f * kSampleRate));
        float s = std::sin(kTwoPi * phase) * amp * attack;
        phase += (end + sweep) / kSampleRate;
        phase -= std::floor(phase);
        sweep *= pitchCoef;
        amp *= ampCoef;
        s += bp.Process(rng.NextBipolar(), FilterMode::BandPass) * noiseAmp;
        noiseAmp *= noiseCoef;
        out[n] = s;
    }
}

void RenderSnare(const DrumPatch &p, float tune, CRandom &rng, std::vector<float> &out) {
    const int count = TailSamples(p.decay);
    out.resize(count);
    const float bodyCoef = OnePoleCoef(0.06f);
    const float noiseCoef = OnePoleCoef(p.decay);
    const float f1 = p.pitch * tune, f2 = p.pitch * tune * 1.83f;
    float body = 1.0f - 0.5f * p.tone, noiseAmp = 0.5f + 0.7f * p.tone;
    float ph1 = 0.0f, ph2 = 0.0f;
    CSvfFilter hp, lp;
    hp.SetParams(900.0f, 0.7f);
    lp.SetParams(7000.0f + 5000.0f * p.tone, 0.7f);
    for (int n = 0; n < count; ++n) {
        const float attack = std::min(1.0f, n / (0.0005f * kSampleRate));
        float s = (std::sin(kTwoPi * ph1) + 0.6f * std::sin(kTwoPi * ph2)) * body * 0.6f;
        ph1 += f1 / kSampleRate;
        ph1 -= std::floor(ph1);
        ph2 += f2 / kSampleRate;
        ph2 -= std::floor(ph2);
        body *= bodyCoef;
        const float nz = lp.Process(hp.Process(rng.NextBipolar(), FilterMode::HighPass));
        s += nz * noiseAmp;
        noiseAmp *= noiseCoef;
        out[n] = FastTanh(s * attack * (1.0f + p.drive)) ;
    }
}

void RenderHat(const DrumPatch &p, float tune, CRandom &rng, std::vector<float> &out) {
    const int count = TailSamples(p.decay);
    out.resize(count);
    const float ampCoef = OnePoleCoef(p.decay);
    float phases[6] = {0, 0.13f, 0.37f, 0.51f, 0.74f, 0.9f};
    const float base = 330.0f * tune;
    float amp = 1.0f;
    CSvfFilter hp, bp;
    hp.SetParams(7000.0f, 0.8f);
    bp.SetParams(9500.0f + 2500.0f * p.tone, 0.9f);
    for (int n = 0; n < count; ++n) {
        const float attack = std::min(1.0f, n / (0.0004f * kSampleRate));
        float metal = 0.0f;
        for (int i = 0; i < 6; ++i) {
            metal += phases[i] < 0.5f ? 1.0f : -1.0f;
            phases[i] += base * kMetalRatios[i] / kSampleRate;
            phases[i] -= std::floor(phases[i]);
        }
        const float src = metal * (1.0f - p.tone) * 0.25f + rng.NextBipolar() * (0.5f + p.tone);
        const float s = bp.Process(hp.Process(src, FilterMode::HighPass), FilterMode::BandPass);
        out[n] = s * amp * attack * 1.6f;
        amp *= ampCoef;
    }
}

void RenderClap(const DrumPatch &p, float tune, CRandom &rng, std::vector<float> &out) {
    const int count = TailSamples(p.decay) + static_cast<int>(0.03f * kSampleRate);
    out.resize(count);
    CSvfFilter bp;
    bp.SetParams(1100.0f * tune + 800.0f * p.tone, 1.4f);
    const int burst = static_cast<int>(0.009f * kSampleRate);
    const float burstCoef = OnePoleCoef(0.003f);
    const float tailCoef = OnePoleCoef(p.decay);
    float tail = 1.0f;
    for (int n = 0; n < count; ++n) {
        float env;
        if (n < 3 * burst) {
            const int k = n % burst;
            env = std::pow(burstCoef, static_cast<float>(k));
        } else {
            env = tail;
            tail *= tailCoef;
        }
        out[n] = bp.Process(rng.NextBipolar(), FilterMode::BandPass) * env * 2.2f;
    }
}

void RenderShaker(const DrumPatch &p, float tune, CRandom &rng, std::vector<float> &out) {
    const int count = TailSamples(p.decay) + static_cast<int>(0.02f * kSampleRate);
    out.resize(count);
    CSvfFilter hp, lp;
    hp.SetParams(5000.0f * tune, 0.7f);
    lp.SetParams(12000.0f, 0.7f);
    const int rise = static_cast<int>(0.012f * kSampleRate);
    const float coef = OnePoleCoef(p.decay);
    float amp = 1.0f;
    for (int n = 0; n < count; ++n) {
        float env;
        if (n < rise) {
            env = static_cast<float>(n) / rise;
        } else {
            env = amp;
            amp *= coef;
        }
        out[n] = lp.Process(hp.Process(rng.NextBipolar(), FilterMode::HighPass)) * env;
    }
}

void RenderRim(const DrumPatch &p, float tune, CRandom &rng, std::vector<float> &out) {
    const int count = TailSamples(p.decay);
    out.resize(count);
    const float coef = OnePoleCoef(p.decay);
    CSvfFilter bp;
    bp.SetParams(p.pitch * tune * 4.0f, 4.0f);
    float amp = 1.0f, ph = 0.0f;
    for (int n = 0; n < count; ++n) {
        const float tonePart = std::sin(kTwoPi * ph);
        ph += p.pitch * tune / kSampleRate;
        ph -= std::floor(ph);
        const float s = tonePart * 0.6f + bp.Process(rng.NextBipolar(), FilterMode::BandPass) * 0.8f;
        out[n] = s * amp;
        amp *= coef;
    }
}

} // namespace

void RenderDrum(const DrumPatch &patch, float velocity, float tune, uint32_t seed,
                std::vector<float> &out) {
    CRandom rng(HashSeed(seed, 0xd1u));
    if (!(tune > 0.05f))
        tune = 1.0f;
    switch (patch.kind) {
    case DrumKind::Kick:
        RenderKick(patch, tune, rng, out);
        break;
    case DrumKind::Snare:
        RenderSnare(patch, tune, rng, out);
        break;
    case DrumKind::ClosedHat:
    case DrumKind::OpenHat:
        RenderHat(patch, tune, rng, out);
        break;
    case DrumKind::Clap:
        RenderClap(patch, tune, rng, out);
        break;
    case DrumKind::Tom:
        RenderTom(patch, tune, rng, out);
        break;
    case DrumKind::Shaker:
        RenderShaker(patch, tune, rng, out);
        break;
    case DrumKind::Rim:
        RenderRim(patch, tune, rng, out);
        break;
    }
    const float level = patch.gain * std::clamp(velocity, 0.0f, 1.0f);
    for (float &s : out)
        s *= level;
    // Short fade at the very end so a hit never stops on a step.
    const size_t fade = std::min<size_t>(out.size(), 64);
    for (size_t i = 0; i < fade; ++i)
        out[out.size() - 1 - i] *= static_cast<float>(i) / fade;
}

} // namespace synth
