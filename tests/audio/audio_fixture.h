// Helpers for the audio tests: deterministic MP3 files made with the encoder,
// straight reference decodes, and captures of what reached the output device
// through SDL's disk driver.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace audio_test {

// Interleaved stereo frames.
using Frames = std::vector<std::int16_t>;

inline std::size_t FrameCount(const Frames &frames) {
    return frames.size() / 2;
}

// The test run's private temporary directory (made on first use, removed at
// exit).
const std::string &TempDir();

// Encodes seconds of a recognisable signal: on the left a sweep rising from
// 300 Hz, on the right one falling from 2 kHz, so that every stretch of a few
// hundred frames occurs once only. rate is the input rate (Hz), channels 1 or
// 2. Returns the file's path; the file gets the encoder tag.
std::string MakeSweepMp3(const std::string &name, double seconds, int rate = 44100,
                         int channels = 2);

// Writes bytes to a file in the temporary directory and returns its path.
std::string WriteFile(const std::string &name, const std::string &bytes);

// Reads a whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::string &path);

// Decodes a whole file with libmpg123 directly: gapless, 44100 Hz stereo
// signed 16-bit.
Frames ReferenceDecode(const std::string &path);

// Points SDL's disk driver at a fresh capture file with no pacing; call before
// starting the library.
void UseDiskOutput(const std::string &name);

// The captured frames; read after the library has shut down.
Frames ReadCapture();

// Makes the next start-up find no output device.
void UseNoOutputDevice();

// The first frame index at or after from where capture holds the window of
// count frames that starts at frame start of reference; -1 when none.
long FindWindow(const Frames &capture, const Frames &reference, std::size_t start,
                std::size_t count, std::size_t from = 0);

// Number of frames, from captureAt and referenceAt on, that equal exactly.
std::size_t MatchingRun(const Frames &capture, std::size_t captureAt, const Frames &reference,
                        std::size_t referenceAt, std::size_t limit);

// True when every frame in [from, to) is silent.
bool IsSilent(const Frames &frames, std::size_t from, std::size_t to);

} // namespace audio_test
