// Memory tracker: the program's global operator new / delete go through a
// guarded, tracked allocator (see tracker_internal.h for the machinery).
// This header is what diagnostics code may call at any time, from any thread.
#pragma once

#include <cstddef>
#include <cstdint>

// Receives each formatted memory-log line (no trailing newline). It runs with
// the tracker's lock held, so it must not use the global allocation operators
// (it would deadlock); copying into fixed storage or stdio is fine. The
// program installs none, so the log goes nowhere.
using MemoryLogSink = void (*)(const char *line);

// Installs the sink, or removes it with null.
void SetMemoryLogSink(MemoryLogSink sink);

// Checks the guard words of every live block and the unit count; writes the
// problems to the log. Returns true if any problem was found.
bool ValidateAllUnits();

uint32_t GetLiveUnitCount();      // blocks handed out and not yet released
uint64_t GetLiveBytes();          // sum of their requested sizes (bytes)
uint32_t GetAllocationCounter();  // requests so far, failed ones included

#ifdef ML_TRACK_CALLERS
// The diagnostics build records with every block the return address into the
// code that asked for it (see allocation_caller.h).
struct LiveUnitInfo {
    const void *address; // as handed out
    uint32_t size;       // requested bytes
    uint32_t number;     // allocation number
    const void *caller;  // null when unknown
};

// Copies up to maxCount live units, bucket by bucket, into out, and returns
// how many are live. No allocation.
size_t GetLiveUnits(LiveUnitInfo *out, size_t maxCount);
#endif

// Buffer sizes the log uses for its texts (bytes, NUL included).
constexpr size_t kOwnerTextBytes = 90;
constexpr size_t kSizeTextBytes = 96;
constexpr size_t kGroupedNumberBytes = 30;

// Each formatter writes a NUL-terminated text of at most outBytes - 1
// characters into out (truncating) and returns out.

// "file(00042)::function", directories stripped; null names read as "??".
const char *OwnerText(char *out, size_t outBytes, const char *file, int line,
                      const char *function);

// Size with its unit: "     1,024 bytes     ", "     1,025 (   1.00K)", "... (   1.00M)".
const char *SizeText(char *out, size_t outBytes, uint32_t size);

// Decimal with thousands commas: 1234567 gives "1,234,567".
const char *GroupedNumber(char *out, size_t outBytes, uint32_t number);
