#include "log_capture.h"

#include "memory/memory_tracker.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

namespace {

// Huge enough that size + 32 overflows: fails inside the tracker, no heap call.
volatile size_t g_impossibleSize = SIZE_MAX - 8;

TEST(GlobalOperators, ExhaustionThrowsBadAllocation)
{
    const uint32_t before = GetAllocationCounter();
    CLogCapture log;
    try {
        void *block = ::operator new(g_impossibleSize);
        ::operator delete(block);
        FAIL() << "no exception";
    } catch (const std::bad_alloc &error) {
        EXPECT_STREQ(error.what(), "bad allocation");
    }
    EXPECT_THROW(::operator delete[](::operator new[](g_impossibleSize)), std::bad_alloc);
    EXPECT_EQ(GetAllocationCounter(), before + 2);
    EXPECT_EQ(log.Count(), 2u);
}

int g_handlerCalls = 0;

void GiveUpOnSecondCall()
{
    if (++g_handlerCalls == 2) {
        std::set_new_handler(nullptr);
    }
}

TEST(GlobalOperators, NewHandlerIsCalledUntilItGivesUp)
{
    g_handlerCalls = 0;
    const uint32_t before = GetAllocationCounter();
    std::set_new_handler(GiveUpOnSecondCall);
    EXPECT_THROW(::operator delete(::operator new(g_impossibleSize)), std::bad_alloc);
    EXPECT_EQ(g_handlerCalls, 2);
    EXPECT_EQ(GetAllocationCounter(), before + 3);
    EXPECT_EQ(std::get_new_handler(), nullptr);
}

TEST(GlobalOperators, NothrowFormsReturnNull)
{
    const uint32_t units = GetLiveUnitCount();
    EXPECT_EQ(::operator new(g_impossibleSize, std::nothrow), nullptr);
    EXPECT_EQ(::operator new[](g_impossibleSize, std::nothrow), nullptr);
    unsigned char *block = static_cast<unsigned char *>(::operator new[](5, std::nothrow));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GetLiveUnitCount(), units + 1);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(block[i], 0);
    }
    ::operator delete[](block, std::nothrow);
    EXPECT_EQ(GetLiveUnitCount(), units);
}

TEST(GlobalOperators, EveryReleaseFormFindsItsBlock)
{
    const uint32_t units = GetLiveUnitCount();
    CLogCapture log;
    ::operator delete(::operator new(10), size_t{10});
    ::operator delete[](::operator new[](10), size_t{10});
    ::operator delete(::operator new(10, std::nothrow), std::nothrow);
    // The release form is not compared with the allocation form.
    ::operator delete(Opaque(::operator new[](10)));
    ::operator delete[](Opaque(::operator new(10)));
    ::operator delete(nullptr);
    ::operator delete[](nullptr);
    EXPECT_EQ(GetLiveUnitCount(), units);
    EXPECT_EQ(log.Count(), 0u);
}

TEST(GlobalOperators, OverAlignedFormsStayWithTheRuntime)
{
    const uint32_t units = GetLiveUnitCount();
    const uint32_t counter = GetAllocationCounter();
    void *block = ::operator new(100, std::align_val_t{256});
    void *array = ::operator new[](0, std::align_val_t{64}, std::nothrow);
    ASSERT_NE(block, nullptr);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 256, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(array) % 64, 0u);
    std::memset(block, 0x5A, 100);
    EXPECT_EQ(GetLiveUnitCount(), units);
    EXPECT_EQ(GetAllocationCounter(), counter);
    ::operator delete(block, size_t{100}, std::align_val_t{256});
    ::operator delete[](array, std::align_val_t{64}, std::nothrow);
    EXPECT_EQ(::operator new(16, std::align_val_t{48}, std::nothrow), nullptr);
    EXPECT_THROW(::operator delete(::operator new(16, std::align_val_t{48}), std::align_val_t{48}),
                 std::bad_alloc);
}

struct alignas(128) CWideRecord {
    unsigned char bytes[300];
};

TEST(GlobalOperators, NewExpressionsGoThroughTheTracker)
{
    const uint32_t counter = GetAllocationCounter();
    std::string *text = new std::string(100, 'x');
    EXPECT_GE(GetAllocationCounter(), counter + 2); // the string and its characters
    delete text;
    CWideRecord *wide = new CWideRecord();
    EXPECT_EQ(reinterpret_cast<uintptr_t>(wide) % 128, 0u);
    delete wide;
    EXPECT_FALSE(ValidateAllUnits());
}

} // namespace
