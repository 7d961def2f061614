#include "log_capture.h"

#include "memory/memory_tracker.h"
#include "memory/tracker_internal.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kOverrun[] = "[!] A memory allocation unit was corrupt because of an overrun:";
const char kUnderrun[] = "[!] A memory allocation unit was corrupt because of an underrun:";

std::string Summary(int count)
{
    return "[!] While validting all allocation units, " + std::to_string(count) +
           " allocation unit(s) were found to have problems";
}

std::string Pointer(const void *address)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%08" PRIxPTR, reinterpret_cast<uintptr_t>(address));
    return text;
}

// The seven dump lines of a default-owner block from operator new.
std::vector<std::string> Dump(const unsigned char *block, const char *reportedSize,
                              const char *actualSize, const char *type)
{
    return {
        "[I]   Address (reported): " + Pointer(block),
        "[I]   Address (actual)  : " + Pointer(block - 16),
        std::string("[I]   Size (reported)   : ") + reportedSize,
        std::string("[I]   Size (actual)     : ") + actualSize,
        "[I]   Owner             : ?\?(0)::??",
        std::string("[I]   Allocation type   : ") + type,
        "[I]   Allocation number : " + std::to_string(GetAllocationNumber(block)),
    };
}

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto &part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST(Validation, IntactBlocksReportNothing)
{
    void *block = ::operator new(33);
    CLogCapture log;
    EXPECT_FALSE(ValidateAllUnits());
    EXPECT_EQ(log.Count(), 0u);
    ::operator delete(block);
}

TEST(Validation, OneByteOverrunGivesOneMessageDumpAndSummary)
{
    unsigned char *block = Opaque(static_cast<unsigned char *>(::operator new(10)));
    const std::vector<std::string> expected =
        Concat({{kOverrun},
                Dump(block, "0x0000000A (        10 bytes     )",
                     "0x0000002A (        42 bytes     )", "new"),
                {Summary(1)}});
    block[10] = 0;
    CLogCapture log;
    EXPECT_TRUE(ValidateAllUnits());
    EXPECT_EQ(log.Lines(), expected);

    // Validation changes nothing: the damage is still there.
    log.Clear();
    EXPECT_TRUE(ValidateAllUnits());
    EXPECT_EQ(log.Count(), expected.size());

    block[10] = 0xDE; // suffix bytes are stored little end first
    log.Clear();
    EXPECT_FALSE(ValidateAllUnits());
    EXPECT_EQ(log.Count(), 0u);
    ::operator delete(block);
}

TEST(Validation, OneByteUnderrunOfAnArray)
{
    unsigned char *block = Opaque(static_cast<unsigned char *>(::operator new[](2000)));
    const std::vector<std::string> expected =
        Concat({{kUnderrun},
                Dump(block, "0x000007D0 (     2,000 (   1.95K))",
                     "0x000007F0 (     2,032 (   1.98K))", "new[]"),
                {Summary(1)}});
    block[-1] ^= 0xFF;
    CLogCapture log;
    EXPECT_TRUE(ValidateAllUnits());
    EXPECT_EQ(log.Lines(), expected);
    ::operator delete[](block); // release rewrites the guards
    log.Clear();
    EXPECT_FALSE(ValidateAllUnits());
}

TEST(Validation, EachDamagedWordIsReportedButTheUnitCountsOnce)
{
    unsigned char *first = Opaque(static_cast<unsigned char *>(::operator new(8)));
    unsigned char *second = Opaque(static_cast<unsigned char *>(::operator new(8)));
    first[-16] = 1; // prefix word 0
    first[8] = 1;   // suffix word 0
    first[12] = 1;  // suffix word 1
    second[20] = 1; // suffix word 3
    CLogCapture log;
    EXPECT_TRUE(ValidateAllUnits());
    const std::vector<std::string> lines = log.Lines();
    int underruns = 0, overruns = 0;
    for (const std::string &line : lines) {
        underruns += line == kUnderrun;
        overruns += line == kOverrun;
    }
    EXPECT_EQ(underruns, 1);
    EXPECT_EQ(overruns, 3);
    EXPECT_EQ(lines.size(), 4u * 8u + 1u);
    EXPECT_EQ(lines.back(), Summary(2));
    ::operator delete(first);
    ::operator delete(second);
    log.Clear();
    EXPECT_FALSE(ValidateAllUnits());
}

TEST(Validation, DumpShowsTheRecordedOwner)
{
    const std::string longName(50, 'f');
    unsigned char *block = static_cast<unsigned char *>(
        TrackedAllocation("C:\\src\\render\\texture.cpp", 321, longName.c_str(), 99, 4));
    ASSERT_NE(block, nullptr);
    block[4] = 0;
    CLogCapture log;
    EXPECT_TRUE(ValidateAllUnits());
    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[5], "[I]   Owner             : texture.cpp(321)::" + longName.substr(0, 39));
    EXPECT_EQ(lines[6], "[I]   Allocation type   : Unknown");
    TrackedRelease(nullptr, 0, nullptr, kAllocDelete, block);
}

} // namespace
