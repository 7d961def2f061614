// MP3 decoding for the sound library: one track read through the caller's
// file functions and decoded to interleaved stereo signed 16-bit frames at a
// fixed rate (other rates and mono files are converted).
#pragma once

#include <cstdint>

struct SndFileFunctions;
struct SndDecoder;

// Opens the named file and decodes its first frame. Returns null when the file
// cannot be opened, is empty or holds no MP3 audio.
SndDecoder *SndDecoderOpen(const char *name, const SndFileFunctions &files, int rate);

// Frees the decoder and closes its file. Null does nothing.
void SndDecoderClose(SndDecoder *decoder);

// Decodes up to frameCount frames into frames (2 samples each) and returns how
// many were written. Sets *ended when the track ended before frameCount was
// reached; a decoding error counts as the end of the track.
int SndDecoderRead(SndDecoder *decoder, std::int16_t *frames, int frameCount, bool *ended);

// Moves to frame (samples at the output rate from the start of the track).
// Returns false when the decoder cannot seek there.
bool SndDecoderSeek(SndDecoder *decoder, std::int64_t frame);

// The track length in frames as the file states it (exact for files with an
// encoder tag), or -1 when unknown.
std::int64_t SndDecoderLength(SndDecoder *decoder);
