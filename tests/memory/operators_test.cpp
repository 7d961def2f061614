// The program's global allocation operators over the tracker.
#include "log_capture.h"

#include "memory/tracker_internal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>

namespace {

// Huge enough that size + 32 overflows: fails inside the tracker, no heap call.
volatile size_t g_impossibleSize = SIZE_MAX - 8;

TEST(GlobalOperators, ExhaustionThrowsOrGivesNullAndIsLogged) {
    const uint32_t before = GetAllocationCounter();
    CLogCapture log;
    try {
        ::operator delete(::operator new(g_impossibleSize));
        FAIL() << "no exception";
    } catch (const std::bad_alloc &error) {
        EXPECT_STREQ(error.what(), "bad allocation");
    }
    EXPECT_THROW(::operator delete[](::operator new[](g_impossibleSize)), std::bad_alloc);
    EXPECT_EQ(::operator new(g_impossibleSize, std::nothrow), nullptr);
    EXPECT_EQ(::operator new[](g_impossibleSize, std::nothrow), nullptr);
    // The first size whose guarded block does not fit in 32 bits.
    EXPECT_EQ(TrackedAllocation(nullptr, 0, nullptr, kAllocNew, UINT32_MAX - 31u), nullptr);
    void *block = ::operator new(8);
    EXPECT_EQ(GetAllocationNumber(block), before + 6); // failed requests count too
    ::operator delete(block);
    EXPECT_EQ(log.Lines(),
              std::vector<std::string>(5, "[!] Request for allocation failed. Out of memory."));
}

// No release form is compared with the allocation form: mismatched pairs
// release their block without complaint, as do null releases.
TEST(GlobalOperators, EveryReleaseFormFindsItsBlock) {
    const uint32_t units = GetLiveUnitCount();
    CLogCapture log;
    ::operator delete (::operator new(10), size_t{10});
    ::operator delete[](::operator new[](10), size_t{10});
    ::operator delete(::operator new(10, std::nothrow), std::nothrow);
    ::operator delete[](::operator new[](5, std::nothrow), std::nothrow);
    ::operator delete(Opaque(::operator new[](10)));
    ::operator delete[](Opaque(::operator new(10)));
    ::operator delete(nullptr);
    ::operator delete[](nullptr);
    EXPECT_EQ(GetLiveUnitCount(), units);
    EXPECT_EQ(log.Count(), 0u);
}

} // namespace
