#include "arrange.h"
#include "songs.h"

namespace music {
synth::Song MakeSideD() { return MakeSideA(); }
} // namespace music
