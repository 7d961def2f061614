// Test-only controls of the sound library's audio side, so tests can reason
// about exactly which output frames a request affected. The program never
// calls these.
#pragma once

#include <cstdint>

// While held, the audio side waits before each device buffer until
// SndTestAdvance grants it frames; requests made meanwhile all take effect at
// the start of the next buffer. Released by SndShutdown.
void SndTestHoldOutput(bool hold);

// Lets the audio side mix at least frames more frames (whole device buffers)
// and waits until it has. Returns the total number of frames mixed since
// start-up. Returns at once when the library is not running.
std::uint64_t SndTestAdvance(int frames);

// Frames mixed since the last start-up (still readable after shutdown).
std::uint64_t SndTestFramesMixed();

// CPU time (seconds) the audio side spent decoding and mixing since the last
// start-up, not counting waits at the test hold.
double SndTestMixCpuSeconds();

// Length of the start and stop fades (frames).
int SndTestRampFrames();

// The device buffer in use (frames), 0 when not running.
int SndTestDeviceBufferFrames();
