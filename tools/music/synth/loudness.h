// Loudness and peak measures of a stereo track at kSampleRate: ITU-R BS.1770-4 K-weighted
// gated loudness, EBU Tech 3342 loudness range and a 4x oversampled true peak. The
// master bus normalises with them and the analysis tool reports them.
#pragma once

#include "dsp.h"

#include <vector>

namespace synth {

constexpr size_t kLoudnessSegment = kSampleRate / 10; // frames per 100 ms segment
constexpr double kSilenceLufs = -200.0;                // reported for silence

// K-weighted mean square of each whole 100 ms segment, left and right summed (both
// channel weights 1). Every loudness figure below is built from these; a trailing
// partial segment is dropped.
std::vector<double> KWeightedSegments(const StereoBuffer &buf);

// Loudness (LUFS) of a power: -0.691 + 10 log10(power); kSilenceLufs for none.
double PowerToLufs(double power);

// Integrated loudness (LUFS): 400 ms blocks every 100 ms, gated at -70 LUFS absolute
// and 10 LU below the mean of the blocks that pass.
double IntegratedLoudness(const std::vector<double> &segments);

// Loudness of every window of `windowSegments` consecutive segments, one per segment step
// (3 s = 30 segments is the short-term loudness). Empty when the track is shorter.
std::vector<double> WindowLoudness(const std::vector<double> &segments, size_t windowSegments);

// Loudness range (LU): the 10th to 95th percentile spread of short-term loudness, after
// gating at -70 LUFS and 20 LU below the mean of the blocks above that.
double LoudnessRange(const std::vector<double> &segments);

// Largest absolute value of either channel upsampled 4x (linear); the samples themselves
// are among the values. The track is treated as a loop.
float TruePeak(const StereoBuffer &buf);

} // namespace synth
