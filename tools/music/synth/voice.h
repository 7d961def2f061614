// A subtractive / FM synth voice and the function that renders one note of it.
#pragma once

#include "envelope.h"
#include "oscillator.h"

#include <cstdint>
#include <vector>

namespace synth {

struct VoicePatch {
    // Main oscillator, optionally stacked as a detuned unison (supersaw style).
    Waveform osc1 = Waveform::Saw;
    float osc1Level = 1.0f;
    int unison = 1;            // 1 to 8 stacked copies of osc1
    float unisonDetune = 0.0f; // cents between the outermost copies
    float pulseWidth = 0.5f;
    float pwmRate = 0.0f;  // Hz of the pulse-width LFO
    float pwmDepth = 0.0f; // width swing (0 to 0.4)

    // Second oscillator, offset in semitones and cents.
    Waveform osc2 = Waveform::Saw;
    float osc2Level = 0.0f;
    float osc2Semis = 0.0f;
    float osc2Cents = 0.0f;

    float subLevel = 0.0f;   // sine one octave below
    float noiseLevel = 0.0f; // white noise

    // Two-operator FM: when fmIndex > 0 a sine carrier is phase-modulated by a sine at
    // fmRatio x pitch and added at fmLevel. The index decays from fmIndex to
    // fmIndex x fmSustain with time constant fmDecay (seconds).
    float fmLevel = 0.0f;
    float fmRatio = 1.0f;
    float fmIndex = 0.0f;
    float fmSustain = 0.2f;
    float fmDecay = 0.3f;

    Adsr amp;
    float velocitySense = 0.6f; // 0 = every note full level, 1 = level follows velocity

    bool filterOn = false;
    float cutoff = 2000.0f;   // Hz
    float q = 0.707f;
    float envOctaves = 0.0f;  // filter envelope depth in octaves
    float keyTrack = 0.5f;    // 1 = cutoff follows pitch fully (relative to middle C)
    float velToFilter = 0.0f; // octaves added at full velocity
    Adsr filterEnv;

    float vibratoRate = 5.0f;  // Hz
    float vibratoDepth = 0.0f; // semitones
    float vibratoDelay = 0.3f; // seconds before vibrato fades in
    float pitchDrop = 0.0f;    // semitones the pitch starts above the note (chip "blip")
    float pitchDropTime = 0.02f;

    float drive = 0.0f; // soft saturation before the filter, 0 = clean
    float gain = 1.0f;
    float maxTail = 4.0f; // seconds rendered after the gate at most
};

// Renders one note into `out` (mono), replacing its contents. `gateSamples` is how long
// the key is held; the output runs on through the release. `seed` fixes the noise and the
// unison start phases, so the same arguments give the same samples.
void RenderVoice(const VoicePatch &patch, float midi, float velocity, int gateSamples,
                 uint32_t seed, std::vector<float> &out);

} // namespace synth
