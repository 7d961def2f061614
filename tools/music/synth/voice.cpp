#include "voice.h"

#include "filter.h"

#include <algorithm>

namespace synth {

namespace {
constexpr int kMaxUnison = 8;
constexpr int kControlBlock = 16; // samples between filter coefficient updates
} // namespace

void RenderVoice(const VoicePatch &patch, float midi, float velocity, int gateSamples,
                 uint32_t seed, std::vector<float> &out) {
    out.clear();
    if (gateSamples < 1)
        gateSamples = 1;
    velocity = std::clamp(velocity, 0.0f, 1.0f);
    const int unison = std::clamp(patch.unison, 1, kMaxUnison);
    const int maxSamples = gateSamples + static_cast<int>(patch.maxTail * kSampleRate);

    CRandom rng(HashSeed(seed, 0x51u));
    COscillator osc1[kMaxUnison];
    float detune[kMaxUnison];
    for (int i = 0; i < unison; ++i) {
        osc1[i].Reset(unison > 1 ? rng.NextUnit() : 0.0f);
        const float semis =
            unison > 1 ? (static_cast<float>(i) / (unison - 1) - 0.5f) * patch.unisonDetune / 100.0f
                       : 0.0f;
        detune[i] = std::pow(2.0f, semis / 12.0f);
    }
    COscillator osc2, sub, noise, fmCar, fmMod;
    osc2.Reset(unison > 1 ? rng.NextUnit() : 0.0f);
    noise.SetSeed(HashSeed(seed, 0x77u));

    CEnvelope amp(patch.amp);
    CEnvelope fenv(patch.filterEnv);
    amp.NoteOn();
    fenv.NoteOn();
    CSvfFilter filter;
    const float level =
        patch.gain * (1.0f - patch.velocitySense + patch.velocitySense * velocity) /
        std::sqrt(static_cast<float>(unison));
    const float keyOctaves = patch.keyTrack * (midi - 60.0f) / 12.0f;
    const float vibCoefStep = patch.vibratoDelay > 0.0f ? 1.0f / (patch.vibratoDelay * kSampleRate)
                                                        : 1.0f;
    const float dropCoef = OnePoleCoef(patch.pitchDropTime);
    float vibAmount = 0.0f;
    float drop = patch.pitchDrop;
    float vibPhase = 0.0f, pwmPhase = 0.0f;
    const float osc2Ratio = std::pow(2.0f, (patch.osc2Semis + patch.osc2Cents / 100.0f) / 12.0f);
    const float baseHz = NoteToHz(midi);
    const float driveGain = 1.0f + patch.drive * 4.0f;

    out.reserve(static_cast<size_t>(std::min(maxSamples, gateSamples + kSampleRate)));
    for (int n = 0; n < maxSamples; ++n) {
        if (n == gateSamples) {
            amp.NoteOff();
            fenv.NoteOff();
        }
        const float a = amp.Next();
        const float fe = fenv.Next();
        if (amp.Done() && n > gateSamples)
            break;
        if (amp.GetStage() == CEnvelope::Stage::Sustain && a == 0.0f && n < gateSamples) {
            // Percussive note that has died out: nothing more to render.
            break;
        }

        vibAmount = std::min(1.0f, vibAmount + vibCoefStep);
        float pitch = midi + drop;
        drop *= dropCoef;
        if (std::fabs(drop) < 1e-4f)
            drop = 0.0f;
        if (patch.vibratoDepth > 0.0f) {
            pitch += patch.vibratoDepth * vibAmount * std::sin(kTwoPi * vibPhase);
            vibPhase += patch.vibratoRate / kSampleRate;
            if (vibPhase >= 1.0f)
                vibPhase -= 1.0f;
        }
        const float hz = pitch == midi ? baseHz : NoteToHz(pitch);

        float width = patch.pulseWidth;
        if (patch.pwmDepth > 0.0f) {
            width += patch.pwmDepth * std::sin(kTwoPi * pwmPhase);
            pwmPhase += patch.pwmRate / kSampleRate;
            if (pwmPhase >= 1.0f)
                pwmPhase -= 1.0f;
        }

        float s = 0.0f;
        if (patch.osc1Level > 0.0f) {
            float stack = 0.0f;
            for (int i = 0; i < unison; ++i) {
                const float f = hz * detune[i];
                stack += osc1[i].Next(patch.osc1, f, width);
            }
            s += patch.osc1Level * stack;
        }
        if (patch.osc2Level > 0.0f) {
            s += patch.osc2Level * osc2.Next(patch.osc2, hz * osc2Ratio, width);
        }
        if (patch.subLevel > 0.0f)
            s += patch.subLevel * sub.Next(Waveform::Sine, hz * 0.5f);
        if (patch.noiseLevel > 0.0f)
            s += patch.noiseLevel * noise.Next(Waveform::Noise, hz);
        if (patch.fmIndex > 0.0f && patch.fmLevel > 0.0f) {
            const float t = static_cast<float>(n) / kSampleRate;
            const float index =
                patch.fmIndex *
                (patch.fmSustain + (1.0f - patch.fmSustain) * std::exp(-t / patch.fmDecay));
            const float m = fmMod.Next(Waveform::Sine, hz * patch.fmRatio);
            fmCar.Next(Waveform::Sine, hz);
            s += patch.fmLevel * std::sin(kTwoPi * fmCar.Phase() + index * m);
        }

        if (patch.drive > 0.0f)
            s = FastTanh(s * driveGain) / driveGain * (1.0f + patch.drive);

        if (patch.filterOn) {
            if (n % kControlBlock == 0) {
                const float oct = keyOctaves + patch.envOctaves * fe + patch.velToFilter * velocity;
                filter.SetParams(patch.cutoff * std::pow(2.0f, oct), patch.q);
            }
            s = filter.Process(s);
        }
        out.push_back(s * a * level);
    }
}

} // namespace synth
