// Track files that arrive over time: one growing in-memory buffer per name,
// filled by whoever downloads it, and read through the sound library's five
// file functions while more bytes are still coming. No platform code: the
// page's glue (track_files_web.cpp) feeds it, tests drive it directly.
//
// A read returns only bytes that have arrived, so a reader that catches up
// with the download sees a short read. Whoever runs the decoder asks
// TrackFilesReadable first and waits while it is false.
//
// One exception: the decoder peeks at the last 128 bytes when it opens a file
// (for a trailing tag) and treats a short read there as an unreadable file.
// While a file of known size is incomplete, its missing last 128 bytes read
// as zeros (no tag); the real bytes are read once they arrive.
//
// Main thread only.
#pragma once

#include "audio/sound_library.h"

// Bytes an open file must have arrived past its read position before decoding
// from it is safe (about 2.6 s at 200 kbit/s): one mix pull never reads that far.
constexpr int kTrackReadyMargin = 64 * 1024;
// Buffers never grow beyond this (bytes); the file functions use int offsets.
constexpr int kTrackMaxBytes = 256 * 1024 * 1024;

// Starts an empty buffer of unknown size for name ('\' or '/' separators, a
// leading "./" or "/" ignored). A buffer already under that name is replaced;
// files open on the old one keep reading it. Returns the buffer's id, or -1
// for an empty name.
int TrackBufferBegin(const char *name);

// The size the download announced (bytes); negative means unknown. Once that
// many bytes have arrived the file is complete.
void TrackBufferSetSize(int id, int totalBytes);

// Room for count more bytes right after those arrived, valid until the next
// call into this module; null for a bad id, a finished buffer or when the
// buffer would exceed kTrackMaxBytes.
unsigned char *TrackBufferSpace(int id, int count);

// count bytes were written at TrackBufferSpace's pointer. Bytes past the
// announced size are dropped.
void TrackBufferArrived(int id, int count);

// The download ended, normally or not: the file is complete with what has
// arrived (a download that failed before any byte leaves no file).
void TrackBufferEnd(int id);

// Whether a reader may start on name: it is complete (or gone), has
// kTrackReadyMargin bytes, or was never begun (nothing to wait for).
bool TrackBufferStartable(const char *name);

// False while any open file is neither complete nor has kTrackReadyMargin
// bytes arrived past its read position.
bool TrackFilesReadable();

// The file functions over these buffers. open gives null for an unknown name,
// an empty file, and a file that is not yet startable (a file just begun
// behaves like a missing one). SEEK_END fails while the size is unknown.
SndFileFunctions TrackFileFunctions();

// Drops every buffer (open files keep theirs until closed).
void TrackBuffersClear();
