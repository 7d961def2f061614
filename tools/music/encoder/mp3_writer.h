// Encodes a rendered track to an MP3 file the player can loop without a gap.
#pragma once

#include "synth/dsp.h"

#include <string>

namespace music {

// Writes `audio` (44100 Hz stereo float) as VBR MP3 at quality `vbrQuality` (0 best .. 9),
// with the LAME/Info tag that records the encoder delay and padding. The file is written
// under a temporary name and renamed at the end; returns false on any failure.
bool WriteMp3(const synth::StereoBuffer &audio, const std::string &path, int vbrQuality = 2);

} // namespace music
