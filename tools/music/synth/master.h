// Master bus stages for a looping track. Every stage treats the buffer as a circle
// (the frame after the last is the first), so the loop seam is processed like any other
// point of the track.
#pragma once

#include "dsp.h"

namespace synth {

// Removes DC with a ~3 Hz one-pole high-pass.
void RemoveDcCircular(StereoBuffer &buf);

// Gentle saturation above `knee` (linear gain): output never exceeds `ceiling`.
float SoftClip(float x, float knee, float ceiling);

// Look-ahead peak limiter: gain falls smoothly over `lookahead` seconds before a peak and
// recovers with time constant `release` seconds; afterwards no sample exceeds `ceiling`
// (linear gain), and nothing below the ceiling is touched outside those ramps.
void LimitCircular(StereoBuffer &buf, float ceiling, float lookahead = 0.005f,
                   float release = 0.12f);

// Largest absolute sample of either channel (linear).
float MeasurePeak(const StereoBuffer &buf);

// Scales to the integrated loudness `targetLufs` with the soft clip and limiter holding the
// true peak (4x oversampled) at or below `truePeakDb` (dBTP); iterates because limiting
// lowers the loudness a little and the true peak sits above the sample peak.
void MasterToLoudness(StereoBuffer &buf, float targetLufs, float truePeakDb);

} // namespace synth
