// The diagnostics build's tracker charges each block to the code that asked
// for it: the return address into that code, past the C++ runtime's frames.
#include "memory/memory_tracker.h"
#include "support/block_caller.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>
#include <vector>

namespace {

// Each allocates one block and returns it; the unit's caller must lie in the
// function's own code (they are small: well under kMaxCodeBytes). Keep stops
// the call from becoming a jump, which would make the test the caller.
constexpr uintptr_t kMaxCodeBytes = 512;

void *Keep(void *block) {
    asm volatile("" : "+r"(block));
    return block;
}

__attribute__((noinline)) void *ByNew() {
    return Keep(::operator new(24));
}
__attribute__((noinline)) void *ByNewArray() {
    return Keep(::operator new[](24));
}
__attribute__((noinline)) void *ByNoThrowNew() {
    return Keep(::operator new(24, std::nothrow));
}
__attribute__((noinline)) void *ByNoThrowNewArray() {
    return Keep(::operator new[](24, std::nothrow));
}
// The string's storage is made inside the C++ runtime library.
__attribute__((noinline)) void *ByString(std::string *text) {
    text->assign(200, 'x');
    return text->data();
}

bool Inside(const void *caller, uintptr_t function) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(caller);
    return at > function && at < function + kMaxCodeBytes;
}

TEST(AllocationCaller, EachOperatorFormRecordsTheCallingFunction) {
    struct Case {
        const char *name;
        void *(*allocate)();
        bool array;
    } cases[] = {
        {"new", ByNew, false},
        {"new[]", ByNewArray, true},
        {"nothrow new", ByNoThrowNew, false},
        {"nothrow new[]", ByNoThrowNewArray, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        void *block = c.allocate();
        EXPECT_TRUE(Inside(CallerOf(block), reinterpret_cast<uintptr_t>(c.allocate)))
            << CallerOf(block) << " outside " << reinterpret_cast<void *>(c.allocate);
        if (c.array)
            ::operator delete[](block);
        else
            ::operator delete(block);
    }
}

TEST(AllocationCaller, BlocksTheRuntimeMakesForUsAreOurs) {
    std::string text;
    const void *block = ByString(&text);
    EXPECT_TRUE(Inside(CallerOf(block), reinterpret_cast<uintptr_t>(&ByString)))
        << CallerOf(block) << " outside " << reinterpret_cast<void *>(&ByString);
}

TEST(AllocationCaller, ReleasedBlocksLeaveTheCensus) {
    const size_t before = GetLiveUnits(nullptr, 0);
    void *block = ByNew();
    EXPECT_EQ(GetLiveUnits(nullptr, 0), before + 1);
    EXPECT_NE(CallerOf(block), nullptr);
    const void *released = Keep(block);
    ::operator delete(block);
    EXPECT_EQ(GetLiveUnits(nullptr, 0), before);
    EXPECT_EQ(CallerOf(released), nullptr);
}

} // namespace
