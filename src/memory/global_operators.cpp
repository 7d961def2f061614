// The program's global allocation operators. Ordinary forms go through the
// tracker; the over-aligned (std::align_val_t) forms are left to the C
// runtime as a pair (posix_memalign / free), so no block ever crosses from
// one allocator to the other.
#include "memory/tracker_internal.h"

#ifdef ML_TRACK_CALLERS
#include "memory/allocation_caller.h"
#endif

#include <cstdlib>
#include <new>

// The diagnostics build charges each block to the code that called the
// operator; the product records nothing and pays nothing.
#ifdef ML_TRACK_CALLERS
#define ML_OPERATOR_CALLER AllocationCaller(__builtin_return_address(0))
#else
#define ML_OPERATOR_CALLER nullptr
#endif

namespace {

// The C runtime's aligned pair: the Windows runtime has no posix_memalign and
// wants its own free for aligned blocks.
bool AllocateAligned(void **block, std::size_t align, std::size_t size)
{
#ifdef _WIN32
    *block = _aligned_malloc(size, align);
    return *block != nullptr;
#else
    return posix_memalign(block, align, size) == 0;
#endif
}

void FreeAligned(void *block)
{
#ifdef _WIN32
    _aligned_free(block);
#else
    std::free(block);
#endif
}

// Exhausted memory: a std::bad_alloc whose text is "bad allocation".
class CBadAllocation : public std::bad_alloc {
  public:
    const char *what() const noexcept override { return "bad allocation"; }
};

// Tracked allocation with the new-handler loop; throws CBadAllocation when
// no handler is left. caller: see ML_OPERATOR_CALLER.
void *NewTracked(std::size_t size, uint32_t type, [[maybe_unused]] const void *caller)
{
    if (size == 0) {
        size = 1;
    }
    MemoryOwner owner;
#ifdef ML_TRACK_CALLERS
    owner.caller = caller;
#endif
    void *block = TrackedAllocationForPendingOwner(type, size, &owner);
    while (block == nullptr) {
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) {
            throw CBadAllocation();
        }
        handler();
        block = TrackedAllocationForOwner(type, size, owner);
    }
    return block;
}

void *NewTrackedNoThrow(std::size_t size, uint32_t type, const void *caller) noexcept
{
    try {
        return NewTracked(size, type, caller);
    } catch (...) {
        return nullptr;
    }
}

// Alignments below a pointer's size are raised to it (posix_memalign needs
// that); one that is not a power of two cannot be served at all.
void *NewAligned(std::size_t size, std::align_val_t alignment)
{
    std::size_t align = static_cast<std::size_t>(alignment);
    if (align < sizeof(void *)) {
        align = sizeof(void *);
    }
    if ((align & (align - 1)) != 0) {
        throw CBadAllocation();
    }
    if (size == 0) {
        size = 1;
    }
    for (;;) {
        void *block = nullptr;
        if (AllocateAligned(&block, align, size)) {
            return block;
        }
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) {
            throw CBadAllocation();
        }
        handler();
    }
}

void *NewAlignedNoThrow(std::size_t size, std::align_val_t alignment) noexcept
{
    try {
        return NewAligned(size, alignment);
    } catch (...) {
        return nullptr;
    }
}

} // namespace

void *operator new(std::size_t size) { return NewTracked(size, kAllocNew, ML_OPERATOR_CALLER); }

void *operator new[](std::size_t size)
{
    return NewTracked(size, kAllocNewArray, ML_OPERATOR_CALLER);
}

void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    return NewTrackedNoThrow(size, kAllocNew, ML_OPERATOR_CALLER);
}

void *operator new[](std::size_t size, const std::nothrow_t &) noexcept
{
    return NewTrackedNoThrow(size, kAllocNewArray, ML_OPERATOR_CALLER);
}

void operator delete(void *block) noexcept { ReleaseFromOperator(kAllocDelete, block); }
void operator delete[](void *block) noexcept { ReleaseFromOperator(kAllocDeleteArray, block); }

void operator delete(void *block, std::size_t) noexcept
{
    ReleaseFromOperator(kAllocDelete, block);
}

void operator delete[](void *block, std::size_t) noexcept
{
    ReleaseFromOperator(kAllocDeleteArray, block);
}

void operator delete(void *block, const std::nothrow_t &) noexcept
{
    ReleaseFromOperator(kAllocDelete, block);
}

void operator delete[](void *block, const std::nothrow_t &) noexcept
{
    ReleaseFromOperator(kAllocDeleteArray, block);
}

// --- Over-aligned forms: C runtime, untracked ---

void *operator new(std::size_t size, std::align_val_t alignment)
{
    return NewAligned(size, alignment);
}

void *operator new[](std::size_t size, std::align_val_t alignment)
{
    return NewAligned(size, alignment);
}

void *operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t &) noexcept
{
    return NewAlignedNoThrow(size, alignment);
}

void *operator new[](std::size_t size, std::align_val_t alignment,
                     const std::nothrow_t &) noexcept
{
    return NewAlignedNoThrow(size, alignment);
}

void operator delete(void *block, std::align_val_t) noexcept { FreeAligned(block); }
void operator delete[](void *block, std::align_val_t) noexcept { FreeAligned(block); }
void operator delete(void *block, std::size_t, std::align_val_t) noexcept { FreeAligned(block); }
void operator delete[](void *block, std::size_t, std::align_val_t) noexcept { FreeAligned(block); }

void operator delete(void *block, std::align_val_t, const std::nothrow_t &) noexcept
{
    FreeAligned(block);
}

void operator delete[](void *block, std::align_val_t, const std::nothrow_t &) noexcept
{
    FreeAligned(block);
}
