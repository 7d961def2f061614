// Drum voices built from pitched sines and filtered noise.
#pragma once

#include <cstdint>
#include <vector>

namespace synth {

enum class DrumKind { Kick, Snare, ClosedHat, OpenHat, Clap, Tom, Shaker, Rim };

struct DrumPatch {
    DrumKind kind = DrumKind::Kick;
    float pitch = 50.0f;      // Hz: body of kick/tom/snare/rim
    float pitchStart = 160.0f; // Hz at the hit of a kick or tom, falling to `pitch`
    float pitchDecay = 0.04f;  // seconds
    float decay = 0.35f;       // seconds: amplitude time constant of the body or noise
    float tone = 0.5f;         // 0 to 1: noise colour / body-to-noise balance
    float click = 0.3f;        // transient level of kicks
    float drive = 0.3f;        // soft saturation
    float gain = 1.0f;
};

// Renders one hit into `out` (mono), replacing its contents. `velocity` 0 to 1; `tune`
// multiplies the patch pitches (1 = as patched); the same seed gives the same samples.
void RenderDrum(const DrumPatch &patch, float velocity, float tune, uint32_t seed,
                std::vector<float> &out);

} // namespace synth
