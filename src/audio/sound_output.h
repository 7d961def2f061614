// The sound library's output device: one backend opens a stereo signed 16-bit
// device and pulls every buffer from the mixer on its own audio thread. The
// program links the platform backend; the library's tests link a test device
// instead (sound_output_test.h).
#pragma once

#include <cstdint>

// Fills frameCount interleaved stereo frames. Runs on the backend's thread.
using SndMixFunction = void (*)(std::int16_t *frames, int frameCount);

// Opens and starts the device at rate (Hz) with a buffer of bufferFrames
// frames. Returns false when no device can be opened; nothing is left open.
bool SndOutputOpen(int rate, int bufferFrames, SndMixFunction mix);

// Stops the device and waits until mix is no longer running. Safe when the
// device is not open.
void SndOutputClose();

// The device buffer actually granted (frames), 0 when closed.
int SndOutputBufferFrames();

// Underruns since the last open: times the device needed samples to play and
// the mixer had none ready, so the listener heard a gap. Any thread may ask;
// kept after close until the next open.
std::uint32_t SndOutputUnderrunCount();
