// The page's sound output, beyond sound_output.h: a readiness check asked
// before every mix. While it says no, the output plays silence instead of
// running the mixer (the page's tracks may still be arriving), and each such
// block counts as an underrun.
#pragma once

using SndOutputReadyFunction = bool (*)();

// Null (the default) mixes always.
void SndOutputWebSetReadyCheck(SndOutputReadyFunction ready);
