// Guarded, tracked allocation: units in a 4096-bucket hash, taken from
// 256-unit reservoirs, every block framed by guard words. Uses only the C
// runtime heap (malloc/realloc/free), never the global operator new.
#include "memory/memory_tracker.h"

#include "memory/memory_log.h"
#include "memory/tracker_internal.h"
#include "memory/tracker_lock.h"

#include <pthread.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Build-time switches.
constexpr bool kWipeWithPatterns = true;
constexpr bool kRandomWipe = false;
constexpr bool kValidateEveryOperation = false;
constexpr bool kLogEveryOperation = false;
constexpr bool kCleanUpEveryRelease = false;

constexpr uint32_t kPrefixPattern = 0xBAADF00D;
constexpr uint32_t kSuffixPattern = 0xDEADC0DE;
constexpr uint32_t kNewMemoryPattern = 0xFEEDFACE;
constexpr uint32_t kReleasedMemoryPattern = 0xDEADBEEF;

constexpr uint32_t kGuardBytes = 16; // on each side of a block
constexpr uint32_t kGuardWords = 4;
constexpr unsigned kUnitsPerReservoir = 256;
constexpr unsigned kBucketCount = 4096;
constexpr size_t kNameBytes = 40;

const char *const kAllocationTypeNames[] = {
    "Unknown", "new", "new[]", "malloc", "calloc", "realloc", "delete", "delete[]", "free",
};
constexpr uint32_t kAllocationTypeCount =
    sizeof kAllocationTypeNames / sizeof kAllocationTypeNames[0];

struct AllocUnit {
    uint32_t actualSize;   // reported size + 32
    uint32_t reportedSize; // as requested
    unsigned char *actualAddress;
    unsigned char *reportedAddress; // actual + 16, what the caller holds
    char sourceFile[kNameBytes];
    char functionName[kNameBytes];
    int32_t sourceLine;
    uint32_t allocationType;
    uint32_t allocationNumber;
    AllocUnit *next; // in the bucket chain, or in the free list
    AllocUnit *prev; // in the bucket chain; null for a bucket head
#ifdef ML_TRACK_CALLERS
    const void *caller; // return address into the code that asked
#endif
};

// Plain data, zero at start (constant-initialised), so allocations made by
// any static initialiser find a valid, empty tracker. Null owner names mean
// the default owner "??".
struct TrackerState {
    AllocUnit *buckets[kBucketCount];
    AllocUnit *freeList;
    AllocUnit **reservoirs; // recorded reservoir blocks, grown one by one
    uint32_t reservoirCount;
    uint32_t allocationCounter;
    uint32_t unitCount;
    uint64_t liveBytes;
    MemoryOwner pending;
    char ownerText[kOwnerTextBytes];
    char sizeText[kSizeTextBytes];
};

TrackerState g_tracker;
std::mutex g_trackerLock;

// --- Small helpers (the caller holds the lock) ---

MemoryOwner MakeOwner(const char *file, int line, const char *function);

void ResetPendingOwner() { g_tracker.pending = MakeOwner(nullptr, 0, nullptr); }

const char *OwnerTextLocked(const char *file, int line, const char *function)
{
    return OwnerText(g_tracker.ownerText, sizeof g_tracker.ownerText, file, line, function);
}

const char *SizeTextLocked(uint32_t size)
{
    return SizeText(g_tracker.sizeText, sizeof g_tracker.sizeText, size);
}

// Pointers print as "0x" and at least eight hex digits (ten characters or
// more); "%010p" would leave the zero padding to the C library.
const char *PointerText(char *out, size_t outBytes, const void *pointer)
{
    std::snprintf(out, outBytes, "0x%08" PRIxPTR, reinterpret_cast<uintptr_t>(pointer));
    return out;
}

unsigned BucketOf(const void *reportedAddress)
{
    return static_cast<unsigned>((reinterpret_cast<uintptr_t>(reportedAddress) >> 4) & 0xFFF);
}

// Copies a name clipped to 39 characters; "??" for none.
void CopyName(char *dest, const char *source)
{
    std::strncpy(dest, source != nullptr ? source : "??", kNameBytes - 1);
    dest[kNameBytes - 1] = '\0';
}

const char *FileNameOnly(const char *path)
{
    if (path == nullptr) {
        return nullptr;
    }
    const char *cut = std::strrchr(path, '\\');
    if (cut == nullptr) {
        cut = std::strrchr(path, '/');
    }
    return cut != nullptr ? cut + 1 : path;
}

uint32_t ReadWord(const unsigned char *at)
{
    uint32_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

void WriteWord(unsigned char *at, uint32_t word) { std::memcpy(at, &word, sizeof word); }

// A random fill word: bytes r2, r1, r3, r4 from the most significant down.
uint32_t RandomWord()
{
    const uint32_t r1 = static_cast<uint32_t>(std::rand()) & 0xFF;
    const uint32_t r2 = static_cast<uint32_t>(std::rand()) & 0xFF;
    const uint32_t r3 = static_cast<uint32_t>(std::rand()) & 0xFF;
    const uint32_t r4 = static_cast<uint32_t>(std::rand()) & 0xFF;
    return (r2 << 24) | (r1 << 16) | (r3 << 8) | r4;
}

void Wipe(unsigned char *reported, uint32_t reportedSize, uint32_t pattern)
{
    if (kWipeWithPatterns) {
        const uint32_t word = kRandomWipe ? RandomWord() : pattern;
        const uint32_t wholeWords = reportedSize / 4;
        for (uint32_t i = 0; i < wholeWords; ++i) {
            WriteWord(reported + i * 4, word);
        }
        for (uint32_t i = wholeWords * 4, shift = 0; i < reportedSize; ++i, shift += 8) {
            reported[i] = static_cast<unsigned char>(word >> shift);
        }
    }
    for (uint32_t k = 0; k < kGuardWords; ++k) {
        WriteWord(reported - kGuardBytes + k * 4, kPrefixPattern);
        WriteWord(reported + reportedSize + k * 4, kSuffixPattern);
    }
}

void DumpUnit(const AllocUnit *unit, const char *prefix)
{
    char pointer[24];
    MemoryLogLine("[I] %sAddress (reported): %s", prefix,
                  PointerText(pointer, sizeof pointer, unit->reportedAddress));
    MemoryLogLine("[I] %sAddress (actual)  : %s", prefix,
                  PointerText(pointer, sizeof pointer, unit->actualAddress));
    MemoryLogLine("[I] %sSize (reported)   : 0x%08X (%s)", prefix, unit->reportedSize,
                  SizeTextLocked(unit->reportedSize));
    MemoryLogLine("[I] %sSize (actual)     : 0x%08X (%s)", prefix, unit->actualSize,
                  SizeTextLocked(unit->actualSize));
    MemoryLogLine("[I] %sOwner             : %s(%d)::%s", prefix, unit->sourceFile,
                  static_cast<int>(unit->sourceLine), unit->functionName);
    MemoryLogLine("[I] %sAllocation type   : %s", prefix, AllocationTypeName(unit->allocationType));
    MemoryLogLine("[I] %sAllocation number : %d", prefix,
                  static_cast<int>(unit->allocationNumber));
}

bool ValidateLocked()
{
    int problemUnits = 0;
    uint32_t visited = 0;
    for (unsigned bucket = 0; bucket < kBucketCount; ++bucket) {
        for (const AllocUnit *unit = g_tracker.buckets[bucket]; unit != nullptr;
             unit = unit->next) {
            ++visited;
            bool damaged = false;
            const unsigned char *prefix = unit->reportedAddress - kGuardBytes;
            const unsigned char *suffix = unit->reportedAddress + unit->reportedSize;
            for (uint32_t k = 0; k < kGuardWords; ++k) {
                if (ReadWord(prefix + k * 4) != kPrefixPattern) {
                    MemoryLogLine("[!] A memory allocation unit was corrupt because of an "
                                  "underrun:");
                    DumpUnit(unit, "  ");
                    damaged = true;
                }
                if (ReadWord(suffix + k * 4) != kSuffixPattern) {
                    MemoryLogLine("[!] A memory allocation unit was corrupt because of an "
                                  "overrun:");
                    DumpUnit(unit, "  ");
                    damaged = true;
                }
            }
            if (damaged) {
                ++problemUnits;
            }
        }
    }
    if (visited != g_tracker.unitCount) {
        MemoryLogLine("[!] Memory tracking hash table corrupt!");
        ++problemUnits;
    }
    if (problemUnits != 0) {
        MemoryLogLine("[!] While validting all allocation units, %d allocation unit(s) were found "
                      "to have problems",
                      problemUnits);
    }
    return problemUnits != 0;
}

// Leak report while blocks are live; otherwise returns every recorded
// reservoir block to the heap.
void ExitStepLocked()
{
    if (g_tracker.unitCount != 0) {
        for (unsigned bucket = 0; bucket < kBucketCount; ++bucket) {
            for (const AllocUnit *unit = g_tracker.buckets[bucket]; unit != nullptr;
                 unit = unit->next) {
                OwnerTextLocked(unit->sourceFile, unit->sourceLine, unit->functionName);
            }
        }
        return;
    }
    for (uint32_t i = 0; i < g_tracker.reservoirCount; ++i) {
        std::free(g_tracker.reservoirs[i]);
    }
    std::free(g_tracker.reservoirs);
    g_tracker.reservoirs = nullptr;
    g_tracker.reservoirCount = 0;
    g_tracker.freeList = nullptr;
}

// Chains a new zeroed block of 256 units into the (empty) free list.
// Returns false when the heap refuses the block.
bool AddReservoir()
{
    AllocUnit *block = static_cast<AllocUnit *>(std::malloc(sizeof(AllocUnit) * kUnitsPerReservoir));
    if (block == nullptr) {
        return false;
    }
    std::memset(block, 0, sizeof(AllocUnit) * kUnitsPerReservoir);
    for (unsigned i = 0; i + 1 < kUnitsPerReservoir; ++i) {
        block[i].next = &block[i + 1];
    }
    g_tracker.freeList = block;
    // A block whose record cannot be kept is still used, just never freed.
    AllocUnit **grown = static_cast<AllocUnit **>(
        std::realloc(g_tracker.reservoirs, sizeof(AllocUnit *) * (g_tracker.reservoirCount + 1)));
    if (grown != nullptr) {
        grown[g_tracker.reservoirCount++] = block;
        g_tracker.reservoirs = grown;
    }
    return true;
}

void *FailAllocation(const char *message)
{
    MemoryLogLine("[!] %s", message);
    ResetPendingOwner();
    return nullptr;
}

MemoryOwner MakeOwner(const char *file, int line, const char *function)
{
    MemoryOwner owner;
    owner.file = file;
    owner.line = line;
    owner.function = function;
#ifdef ML_TRACK_CALLERS
    owner.caller = nullptr;
#endif
    return owner;
}

void *AllocateLocked(const MemoryOwner &owner, uint32_t type, size_t size)
{
    const char *const file = owner.file;
    const int line = owner.line;
    const char *const function = owner.function;
    ++g_tracker.allocationCounter;
    if (kLogEveryOperation) {
        MemoryLogLine("[+] %05d %8s of size 0x%08X(%08d) by %s",
                      static_cast<int>(g_tracker.allocationCounter), AllocationTypeName(type),
                      static_cast<unsigned>(size), static_cast<int>(size),
                      OwnerTextLocked(file, line, function));
    }
    if (g_tracker.freeList == nullptr && !AddReservoir()) {
        return FailAllocation("Unable to allocate RAM for internal memory tracking data");
    }

    // A failed request below keeps its unit out of the free list for good.
    AllocUnit *unit = g_tracker.freeList;
    g_tracker.freeList = unit->next;
    std::memset(unit, 0, sizeof *unit);
    const bool fits = size <= static_cast<size_t>(UINT32_MAX - 2 * kGuardBytes);
    unit->actualSize = static_cast<uint32_t>(size + 2 * kGuardBytes);
    unit->reportedSize = static_cast<uint32_t>(size);
    unit->actualAddress =
        fits ? static_cast<unsigned char *>(std::malloc(unit->actualSize)) : nullptr;
    unit->reportedAddress =
        unit->actualAddress != nullptr ? unit->actualAddress + kGuardBytes : nullptr;
    unit->allocationType = type;
    unit->sourceLine = line;
    unit->allocationNumber = g_tracker.allocationCounter;
    CopyName(unit->sourceFile, FileNameOnly(file));
    CopyName(unit->functionName, function);
#ifdef ML_TRACK_CALLERS
    unit->caller = owner.caller;
#endif
    if (unit->actualAddress == nullptr) {
        return FailAllocation("Request for allocation failed. Out of memory.");
    }

    const unsigned bucket = BucketOf(unit->reportedAddress);
    unit->next = g_tracker.buckets[bucket];
    if (unit->next != nullptr) {
        unit->next->prev = unit;
    }
    g_tracker.buckets[bucket] = unit;
    ++g_tracker.unitCount;
    g_tracker.liveBytes += unit->reportedSize;

    Wipe(unit->reportedAddress, unit->reportedSize, kNewMemoryPattern);
    std::memset(unit->reportedAddress, 0, unit->reportedSize);

    if (kValidateEveryOperation) {
        ValidateLocked();
    }
    if (kLogEveryOperation) {
        MemoryLogLine("[+] ---->             addr 0x%08" PRIXPTR,
                      reinterpret_cast<uintptr_t>(unit->reportedAddress));
    }
    ResetPendingOwner();
    return unit->reportedAddress;
}

void ReleaseLocked(const char *file, int line, const char *function, uint32_t type,
                   void *address)
{
    if (kLogEveryOperation) {
        MemoryLogLine("[-] ----- %8s of addr 0x%08" PRIXPTR "           by %s",
                      AllocationTypeName(type), reinterpret_cast<uintptr_t>(address),
                      OwnerTextLocked(file, line, function));
    }
    const unsigned bucket = BucketOf(address);
    AllocUnit *unit = g_tracker.buckets[bucket];
    while (unit != nullptr && unit->reportedAddress != address) {
        unit = unit->next;
    }
    if (unit == nullptr) {
        MemoryLogLine("[!] %s", "Request to deallocate RAM that was never allocated");
        ResetPendingOwner();
        return;
    }

    Wipe(unit->reportedAddress, unit->reportedSize, kReleasedMemoryPattern);
    std::free(unit->actualAddress);

    if (g_tracker.buckets[bucket] == unit) {
        g_tracker.buckets[bucket] = unit->next;
        if (unit->next != nullptr) {
            unit->next->prev = nullptr;
        }
    } else {
        unit->prev->next = unit->next;
        if (unit->next != nullptr) {
            unit->next->prev = unit->prev;
        }
    }
    --g_tracker.unitCount;
    g_tracker.liveBytes -= unit->reportedSize;
    std::memset(unit, 0, sizeof *unit);
    unit->next = g_tracker.freeList;
    g_tracker.freeList = unit;

    ResetPendingOwner();
    if (kValidateEveryOperation) {
        ValidateLocked();
    }
    if (kCleanUpEveryRelease) {
        ExitStepLocked();
    }
}

void ExitStep()
{
    std::lock_guard<std::mutex> hold(g_trackerLock);
    ExitStepLocked();
}

#ifndef _WIN32
// A fork() while another thread holds the lock would leave the child's copy
// locked for good; holding it across the fork keeps the state whole. Windows
// has no fork.
void LockBeforeFork() { g_trackerLock.lock(); }
void UnlockAfterFork() { g_trackerLock.unlock(); }
#endif

// Runs before the other static initialisers of the program: writes the log
// header and registers the exit step, which therefore runs after the
// destructors of every static object constructed later.
struct TrackerStartup {
    TrackerStartup()
    {
        {
            std::lock_guard<std::mutex> hold(g_trackerLock);
            WriteMemoryLogHeaderIfPending();
        }
        std::atexit(ExitStep);
#ifndef _WIN32
        pthread_atfork(LockBeforeFork, UnlockAfterFork, UnlockAfterFork);
#endif
    }
};

__attribute__((init_priority(101))) TrackerStartup g_trackerStartup;

} // namespace

std::mutex &MemoryTrackerLock() { return g_trackerLock; }

const char *AllocationTypeName(uint32_t type)
{
    return kAllocationTypeNames[type < kAllocationTypeCount ? type : kAllocUnknown];
}

void *TrackedAllocation(const char *file, int line, const char *function, uint32_t type,
                        size_t size)
{
    std::lock_guard<std::mutex> hold(g_trackerLock);
    return AllocateLocked(MakeOwner(file, line, function), type, size);
}

void *TrackedAllocationForPendingOwner(uint32_t type, size_t size, MemoryOwner *owner)
{
    std::lock_guard<std::mutex> hold(g_trackerLock);
    owner->file = g_tracker.pending.file;
    owner->line = g_tracker.pending.line;
    owner->function = g_tracker.pending.function;
    return AllocateLocked(*owner, type, size);
}

void *TrackedAllocationForOwner(uint32_t type, size_t size, const MemoryOwner &owner)
{
    std::lock_guard<std::mutex> hold(g_trackerLock);
    return AllocateLocked(owner, type, size);
}

void TrackedRelease(const char *file, int line, const char *function, uint32_t type,
                    void *address)
{
    std::lock_guard<std::mutex> hold(g_trackerLock);
    ReleaseLocked(file, line, function, type, address);
}

void ReleaseFromOperator(uint32_t type, void *address)
{
    std::lock_guard<std::mutex> hold(g_trackerLock);
    const MemoryOwner owner = g_tracker.pending;
    if (address != nullptr) {
        ReleaseLocked(owner.file, owner.line, owner.function, type, address);
        return;
    }
    if (kLogEveryOperation) {
        MemoryLogLine("[-] ----- %8s of NULL                      by %s", AllocationTypeName(type),
                      OwnerTextLocked(owner.file, owner.line, owner.function));
    }
    ResetPendingOwner();
}

bool ValidateAllUnits()
{
    std::lock_guard<std::mutex> hold(g_trackerLock);
    return ValidateLocked();
}

uint32_t GetLiveUnitCount()
{
    std::lock_guard<std::mutex> hold(g_trackerLock);
    return g_tracker.unitCount;
}

uint64_t GetLiveBytes()
{
    std::lock_guard<std::mutex> hold(g_trackerLock);
    return g_tracker.liveBytes;
}

uint32_t GetAllocationCounter()
{
    std::lock_guard<std::mutex> hold(g_trackerLock);
    return g_tracker.allocationCounter;
}

#ifdef ML_TRACK_CALLERS
size_t GetLiveUnits(LiveUnitInfo *out, size_t maxCount)
{
    std::lock_guard<std::mutex> hold(g_trackerLock);
    size_t count = 0;
    for (unsigned bucket = 0; bucket < kBucketCount; ++bucket) {
        for (const AllocUnit *unit = g_tracker.buckets[bucket]; unit != nullptr;
             unit = unit->next) {
            if (out != nullptr && count < maxCount) {
                out[count] = LiveUnitInfo{unit->reportedAddress, unit->reportedSize,
                                          unit->allocationNumber, unit->caller};
            }
            ++count;
        }
    }
    return count;
}
#endif

unsigned BucketIndexOf(const void *reportedAddress) { return BucketOf(reportedAddress); }

size_t GetBucketChain(unsigned bucket, const void **out, size_t maxCount)
{
    std::lock_guard<std::mutex> hold(g_trackerLock);
    if (bucket >= kBucketCount) {
        return 0;
    }
    size_t length = 0;
    for (const AllocUnit *unit = g_tracker.buckets[bucket]; unit != nullptr; unit = unit->next) {
        if (out != nullptr && length < maxCount) {
            out[length] = unit->reportedAddress;
        }
        ++length;
    }
    return length;
}

uint32_t GetAllocationNumber(const void *reportedAddress)
{
    std::lock_guard<std::mutex> hold(g_trackerLock);
    for (const AllocUnit *unit = g_tracker.buckets[BucketOf(reportedAddress)]; unit != nullptr;
         unit = unit->next) {
        if (unit->reportedAddress == reportedAddress) {
            return unit->allocationNumber;
        }
    }
    return 0;
}

uint32_t GetReservoirBlockCount()
{
    std::lock_guard<std::mutex> hold(g_trackerLock);
    return g_tracker.reservoirCount;
}

void WipeBlock(unsigned char *actual, uint32_t reportedSize, uint32_t pattern)
{
    if (actual != nullptr) {
        Wipe(actual + kGuardBytes, reportedSize, pattern);
    }
}

void RunMemoryExitStep() { ExitStep(); }
