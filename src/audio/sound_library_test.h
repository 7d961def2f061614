// Test-only facts about the sound library's mixer. The program never calls
// these. The output side's test controls are in sound_output_test.h.
#pragma once

// Length of the start and stop fades (frames).
int SndTestRampFrames();
