#pragma once
// The built tracks as the player reads them.
#include "synth/dsp.h"

#include <string>

namespace music {

// Decodes the MP3 at path with gapless trimming into out (44100 Hz stereo,
// samples in [-1, 1)); false when it cannot be read to its end as that.
bool DecodeTrack(const std::string &path, synth::StereoBuffer &out);

} // namespace music
