// Deterministic MP3 files made with the encoder, and straight reference decodes
// of them, for the audio tests and benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace audio_test {

using Frames = std::vector<std::int16_t>; // interleaved stereo

inline std::size_t FrameCount(const Frames &frames) {
    return frames.size() / 2;
}

// The run's private temporary directory (made on first use, removed at exit).
const std::string &TempDir();

// Seconds of a sweep rising from 300 Hz on the left and one falling from 2 kHz
// on the right, so no stretch of a few hundred frames occurs twice. rate is the
// input rate (Hz), channels 1 or 2. The file gets the encoder tag, so decodes
// are gapless. Returns its path.
std::string MakeSweepMp3(const std::string &name, double seconds, int rate = 44100,
                         int channels = 2);

// Writes bytes to a file in the temporary directory; returns its path.
std::string WriteFile(const std::string &name, const std::string &bytes);

// A whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::string &path);

// libmpg123 directly: gapless, 44100 Hz stereo signed 16-bit.
Frames ReferenceDecode(const std::string &path);

} // namespace audio_test
