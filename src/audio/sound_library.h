// Marrowlake's own small sound library: MP3 streams decoded ahead on the audio
// side and mixed over a fixed set of channels into one output device.
//
// Every function is meant for one control thread (the program's main thread).
// None of them waits for decoding or file reads of a playing stream; they only
// post requests under a short lock, which the audio side applies at the start
// of its next device buffer. Opening a stream reads the file's first frame on
// the caller's thread to tell an MP3 from anything else.
//
// When the library is not started (or start-up failed), every call does
// nothing and returns its failure value.
#pragma once

#include <cstdint>

// One open MP3 stream; opaque to callers.
struct SndStream;

// The five file functions the library reads tracks through. The handle is the
// caller's own; the library may call these from its audio thread.
struct SndFileFunctions {
    // Opens the named file for reading raw bytes; returns null when it cannot.
    void *(*open)(const char *name);
    // Closes the handle; returns 0 on success.
    int (*close)(void *handle);
    // Reads up to size bytes into buffer; returns the number of bytes read.
    int (*read)(void *buffer, int size, void *handle);
    // Moves to position relative to mode (SEEK_SET, SEEK_CUR or SEEK_END);
    // returns 0 on success.
    int (*seek)(void *handle, int position, signed char mode);
    // Returns the current offset in bytes, negative on failure.
    int (*tell)(void *handle);
};

// Loop counts for SndSetLoopCount.
constexpr int SndLoopForever = -1;
constexpr int SndLoopOnce = 0;

// Starts the library: opens the output device at mixRate (Hz) with the given
// number of mixing channels (1 to 64). Returns false when no output device can
// be opened; the library then stays silent and every call does nothing.
bool SndStartup(int mixRate, int channelCount);

// Stops output and frees every stream still open. Streams handed out before
// become invalid. The library can be started again afterwards.
void SndShutdown();

// True between a successful SndStartup and SndShutdown.
bool SndIsRunning();

// Sets the file functions used by later SndOpenStream calls; any null member
// makes the library fall back to its own stdio functions.
void SndSetFileFunctions(const SndFileFunctions &functions);

// Opens an MP3 file as a stopped stream at position 0. Returns null when the
// file cannot be opened, is empty or holds no MP3 audio.
SndStream *SndOpenStream(const char *name);

// Stops the stream (with a short fade) and frees it. Null does nothing.
void SndCloseStream(SndStream *stream);

// Sets how often the stream repeats when it is next played: SndLoopForever
// (-1) repeats endlessly, SndLoopOnce (0) plays it once, n > 0 plays it n
// extra times. Returns false for a null stream.
bool SndSetLoopCount(SndStream *stream, int loopCount);

// Plays the stream from its stream position on a free channel and returns the
// channel number, or -1 when the stream is null or every channel is taken. A
// stream that is already playing restarts from the beginning on its channel.
int SndPlayStream(SndStream *stream);

// Stops the stream (with a short fade), frees its channel and rewinds its
// stream position to 0. Returns false for a null stream.
bool SndStopStream(SndStream *stream);

// The stream position: an opaque value meant only to be handed back to
// SndSetStreamPosition. 0 for a null stream.
std::uint32_t SndGetStreamPosition(SndStream *stream);

// Moves a playing stream to a position from SndGetStreamPosition, or sets
// where a stopped stream starts when next played. Returns false for null.
bool SndSetStreamPosition(SndStream *stream, std::uint32_t position);

// The play position of a channel: the index of the next sample the listener
// hears, in samples at the mix rate from the start of the track. Wraps to 0 at
// the exact track length when looping; stays at the track length once a
// stream that does not loop has ended. 0 for a channel with no stream.
std::uint32_t SndGetChannelPosition(int channel);

// Moves a channel's stream to position (samples at the mix rate), clamped to
// the track: negative means 0, past the end means the end. Takes effect within
// one device buffer. A stream that had ended plays again from there. Returns
// false for a channel with no stream.
bool SndSetChannelPosition(int channel, std::int64_t position);

// True while the channel is sounding a stream (not stopped, not ended).
bool SndIsChannelPlaying(int channel);

// Underruns since the last start-up, as the output device sees them: times it
// needed samples to play and the mixer had none ready, so the listener heard a
// gap. Still readable after shutdown; 0 when the library never started.
std::uint32_t SndGetUnderrunCount();
