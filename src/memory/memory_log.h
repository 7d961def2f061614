// Memory log writer. Every function here expects the caller to hold
// MemoryTrackerLock(): the line buffer and the header flag are shared.
#pragma once

// Formats one line into the 2048-byte line buffer (truncating) and hands it
// to the sink, if any. The first line after start (or after a re-arm) brings
// the 27-line header first.
void MemoryLogLine(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Writes the header now unless it was already written.
void WriteMemoryLogHeaderIfPending();

// Makes the next line bring the header again.
void RearmMemoryLogHeaderLocked();
