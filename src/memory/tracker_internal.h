// Inner operations of the memory tracker, for the global operators and for
// tests. Not for general use: they bypass the operators' new-handler loop.
#pragma once

#include <cstddef>
#include <cstdint>

// Allocation type table indices (only new, new[], delete and delete[] occur).
enum MemoryAllocationType : uint32_t {
    kAllocUnknown = 0,
    kAllocNew = 1,
    kAllocNewArray = 2,
    kAllocMalloc = 3,
    kAllocCalloc = 4,
    kAllocRealloc = 5,
    kAllocDelete = 6,
    kAllocDeleteArray = 7,
    kAllocFree = 8,
};

// Name of a type index; out-of-range indices read as "Unknown".
const char *AllocationTypeName(uint32_t type);

// Owner recorded for the next operation: null names mean "??". The
// diagnostics build (ML_TRACK_CALLERS) also records the return address into
// the code that asked; the product's units carry no such field.
struct MemoryOwner {
    const char *file;
    int line;
    const char *function;
#ifdef ML_TRACK_CALLERS
    const void *caller;
#endif
};

// Guarded, zero-filled block of size bytes, recorded in a unit of the given
// type. Returns null (after a "[!]" log line) when the runtime heap refuses,
// or when size + 32 does not fit in 32 bits. Never throws.
void *TrackedAllocation(const char *file, int line, const char *function, uint32_t type,
                        size_t size);

// Releases a block from TrackedAllocation. An address it never handed out is
// refused with a "[!]" log line and left alone.
void TrackedRelease(const char *file, int line, const char *function, uint32_t type,
                    void *address);

// What operator new does first: captures the pending owner's names into
// *owner (for the retries of the new-handler loop) and allocates for it,
// under one lock. owner->caller, in the diagnostics build, is the operator's
// to set and is kept.
void *TrackedAllocationForPendingOwner(uint32_t type, size_t size, MemoryOwner *owner);

// A retry of the new-handler loop, for the owner captured above.
void *TrackedAllocationForOwner(uint32_t type, size_t size, const MemoryOwner &owner);

// What operator delete does: tracked release with the pending owner, or for
// null only the optional log line.
void ReleaseFromOperator(uint32_t type, void *address);

// --- Inspection hooks for tests ---

unsigned BucketIndexOf(const void *reportedAddress);  // 0 to 4095

// Copies the reported addresses of one bucket's chain, head first, into out
// (at most maxCount); returns the full chain length.
size_t GetBucketChain(unsigned bucket, const void **out, size_t maxCount);

// Allocation number of the live block at address, or 0 when there is none.
uint32_t GetAllocationNumber(const void *reportedAddress);

uint32_t GetReservoirBlockCount();  // recorded 256-unit blocks

// Fills a reported block of reportedSize bytes with pattern (whole words,
// then the remaining bytes least significant first) and writes the four
// prefix and four suffix guard words around it. actual must hold
// reportedSize + 32 bytes; the reported block starts at actual + 16.
void WipeBlock(unsigned char *actual, uint32_t reportedSize, uint32_t pattern);

// Makes the next log line bring the log header first again.
void RearmMemoryLogHeader();

// Runs the exit step now: leak report when blocks are live, else frees the
// unit reservoirs.
void RunMemoryExitStep();
