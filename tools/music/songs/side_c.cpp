#include "arrange.h"
#include "songs.h"

namespace music {
synth::Song MakeSideC() { return MakeSideA(); }
} // namespace music
