// The four sides of the disk, each a song written in code.
#pragma once

#include "synth/song.h"

namespace music {

synth::Song MakeSideA(); // driving opener
synth::Song MakeSideB(); // calm piece for the lake at dusk
synth::Song MakeSideC(); // uptempo chip-flavoured track
synth::Song MakeSideD(); // slow melodic closer

// The song of side 'A' .. 'D'; returns false for any other letter.
bool MakeSide(char side, synth::Song &out);

} // namespace music
