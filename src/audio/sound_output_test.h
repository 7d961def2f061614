// Controls of the test output device, the backend the sound library's tests
// and benchmarks link instead of the platform one (sound_output_test.cpp).
// It asks for buffers on its own thread like a sound card, paced in real
// time, keeps what it was given, and can be held so that tests know exactly
// which output frames a request affected. The program never links it.
#pragma once

#include <cstdint>
#include <vector>

// While held, the device asks for no buffer until SndTestAdvance grants it
// frames; requests made meanwhile all take effect at the start of the next
// buffer. Once this returns with hold set, no buffer is half-mixed. Closing
// the device releases it; the next open starts unheld.
void SndTestHoldOutput(bool hold);

// While unpaced (and not held), the device asks for the next buffer as soon
// as the mixer is done and keeps none of them: the two sides of the library
// then overlap as often as they can. The next open starts paced.
void SndTestPaceOutput(bool paced);

// Lets the held device take at least frames more frames (whole buffers) and
// waits until it has. Returns the frames mixed since the device opened.
// Returns at once when the device is not open.
std::uint64_t SndTestAdvance(int frames);

// Frames mixed since the device last opened (still readable after close).
std::uint64_t SndTestFramesMixed();

// Every frame mixed since the device last opened, interleaved stereo, except
// those mixed unpaced (still readable after close).
std::vector<std::int16_t> SndTestCapture();

// CPU time (seconds) the device's thread spent in the mixer since it last
// opened: the library's decoding and mixing, without the device's own waits.
double SndTestMixCpuSeconds();

// While set, opening the device fails as if no sound card were there.
void SndTestRefuseOpen(bool refuse);
