// The figures the analysis tool reports for one decoded side: loudness, arc, stereo
// image, spectral balance and how much of the side repeats itself.
#pragma once

#include "synth/dsp.h"

#include <string>
#include <vector>

namespace music {

struct TrackFigures {
    double seconds = 0.0;
    double integratedLufs = 0.0;
    double truePeakDb = 0.0;
    double rangeLu = 0.0;        // EBU loudness range
    double loudest8sLufs = 0.0;  // loudest 8 s window anywhere
    double quietest8sLufs = 0.0; // quietest 8 s window outside the intro and outro
    double quietDipLu = 0.0;     // loudest minus quietest
    double correlation = 0.0;    // L/R over the whole side
    double monoLossLu = 0.0;     // loudness lost when L and R are averaged to mono
    double lowShare = 0.0;       // share of the energy below 60 Hz, 0..1
    double airDb = 0.0;          // energy from 6 to 12 kHz relative to the whole, dB
    double twinShare = 0.0;      // share of 4-bar chunks with a near twin, 0..1
};

// One 4-bar chunk of a side, for the detailed listing.
struct ChunkFigures {
    int firstBar = 0;
    double lufs = 0.0;      // loudness of the chunk
    double lowDb = 0.0;     // energy below 250 Hz, 250 Hz-4 kHz and above 4 kHz, relative
    double midDb = 0.0;     // to the chunk's whole energy
    double highDb = 0.0;
    double width = 0.0;     // side/mid energy ratio in dB
    int twinOf = -1;        // first bar of the nearest twin chunk, -1 when none
    double twinDistance = 0.0; // dB distance to the nearest other chunk
};

// Intro and outro: the first and last 15% of a side, left out of the quietest-section
// search.
constexpr double kIntroOutroShare = 0.15;

// Two 4-bar chunks are near twins when their spectrograms (24 log-spaced bands from
// 40 Hz to 16 kHz, one frame per sixteenth note, mono, in dB floored 60 dB below the
// loudest cell) differ by less than this RMS distance.
constexpr double kTwinDistanceDb = 3.5;

// Measures a decoded side whose bars last `secondsPerBar`.
TrackFigures MeasureTrack(const synth::StereoBuffer &audio, double secondsPerBar,
                          std::vector<ChunkFigures> *chunks = nullptr);

} // namespace music
