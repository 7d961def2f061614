// The stream player: starts the sound library and wraps one open track in a
// SoundStream record. Every operation tolerates a record whose track failed to
// open (null stream handle), so a missing file just leaves its side silent.
// Main thread only.
#pragma once

#include <cstdint>

struct SndStream;

// One open track. Allocated by OpenStream, freed by CloseStream.
struct SoundStream {
    bool loop;                   // loop flag of the last PlayStream, reused by ResumeStream
    SndStream *stream;           // the library's stream, null when the open failed
    std::int32_t channel;        // channel of the last play, -1 when never played or stopped
    std::uint32_t savedPosition; // stream position remembered by PauseStream (opaque)
};

// Starts the sound library at 44100 Hz with 32 channels. Returns false when no
// output device could be opened; the program then simply runs silently.
bool InitSound();

// Ends every open stream and shuts the sound library down: when it returns no
// audio or decoder thread of the library runs any more. Records still held
// keep a stale stream, which every operation ignores while the library is down
// (CloseStream just frees the record); do not use them after a new InitSound.
// Does nothing when the library is not running.
void ShutdownSound();

// Opens a track; the path may use '\' as separator. Always returns a record,
// whose stream is null when the file could not be opened as MP3.
SoundStream *OpenStream(const char *path);

// Plays the track from its stream position; loop exactly 1 repeats it
// endlessly, any other value plays it once. False for a null record or stream.
bool PlayStream(SoundStream *stream, int loop);

// Stops the track; the channel becomes -1.
void StopStream(SoundStream *stream);

// Remembers the stream position, then stops the track.
void PauseStream(SoundStream *stream);

// Plays the track again with the last loop flag, then moves it to the
// remembered position (0 when it was never paused).
void ResumeStream(SoundStream *stream);

// Closes the track and frees the record. Null does nothing.
void CloseStream(SoundStream *stream);

// The channel's play position in samples at 44100 Hz; 0 without a playing
// channel.
std::int32_t GetStreamPosition(SoundStream *stream);

// Moves the playing channel to position (samples at 44100 Hz; negative means
// the start). Does nothing without a playing channel.
void SetStreamPosition(SoundStream *stream, std::int32_t position);
