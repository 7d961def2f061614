// The tracker's blocks, refused releases and guard validation (its bucket
// chains are exercised by the thread stress test).
#include "log_capture.h"

#include "memory/tracker_internal.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <new>

namespace {

const char kOverrun[] = "[!] A memory allocation unit was corrupt because of an overrun:";
const char kUnderrun[] = "[!] A memory allocation unit was corrupt because of an underrun:";

std::string Summary(int units) {
    return "[!] While validting all allocation units, " + std::to_string(units) +
           " allocation unit(s) were found to have problems";
}

TEST(TrackedAllocation, BlocksAreDistinctAlignedAndZeroFilled) {
    const uint32_t units = GetLiveUnitCount();
    const uint64_t bytes = GetLiveBytes();
    const size_t sizes[] = {0, 0, 10}; // size 0 gets one byte
    unsigned char *blocks[3];
    for (int b = 0; b < 3; ++b) {
        blocks[b] = Opaque(static_cast<unsigned char *>(::operator new(sizes[b])));
    }
    EXPECT_NE(blocks[0], blocks[1]);
    EXPECT_EQ(GetLiveUnitCount(), units + 3);
    EXPECT_EQ(GetLiveBytes(), bytes + 12);
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(blocks[b]) % 16, 0u);
        for (size_t i = 0; i < std::max<size_t>(sizes[b], 1); ++i) {
            EXPECT_EQ(blocks[b][i], 0) << "block " << b << " byte " << i;
        }
        ::operator delete(blocks[b]);
    }
    EXPECT_EQ(GetLiveUnitCount(), units);
    EXPECT_EQ(GetLiveBytes(), bytes);
}

// A second release, or an address the tracker never handed out, is refused
// with one log line and touches nothing.
TEST(TrackedAllocation, DoubleAndForeignReleasesAreRefused) {
    void *block = ::operator new(24);
    void *again = Opaque(block);
    ::operator delete(block);
    alignas(16) unsigned char foreign[64] = {};
    const uint32_t units = GetLiveUnitCount();
    CLogCapture log;
    ::operator delete(again);
    TrackedRelease("x.cpp", 1, "f", kAllocDelete, foreign + 16);
    EXPECT_EQ(GetLiveUnitCount(), units);
    EXPECT_EQ(log.Lines(), std::vector<std::string>(
                               2, "[!] Request to deallocate RAM that was never allocated"));
    EXPECT_EQ(std::count(foreign, foreign + 64, 0), 64);
}

std::string Pointer(const void *address) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%08" PRIxPTR, reinterpret_cast<uintptr_t>(address));
    return text;
}

struct DamageCase {
    const char *name;
    size_t size;
    bool array;
    int at; // damaged byte, relative to the block
    const char *message;
};

// A damaged guard gives the unit's dump and a summary until the release
// rewrites the guards; intact blocks give nothing.
TEST(Validation, DamagedGuardIsReportedWithTheUnitsDump) {
    const DamageCase cases[] = {
        {"OneByteOverrun", 10, false, 10, kOverrun},
        {"OneByteUnderrunOfAnArray", 2000, true, -1, kUnderrun},
    };
    for (const DamageCase &c : cases) {
        SCOPED_TRACE(c.name);
        unsigned char *block = Opaque(static_cast<unsigned char *>(
            c.array ? ::operator new[](c.size) : ::operator new(c.size)));
        CLogCapture log;
        EXPECT_FALSE(ValidateAllUnits());
        EXPECT_EQ(log.Count(), 0u);
        block[c.at] ^= 0xFF;
        for (int pass = 0; pass < 2; ++pass) { // validating repairs nothing
            log.Clear();
            EXPECT_TRUE(ValidateAllUnits());
            const std::vector<std::string> lines = log.Lines();
            ASSERT_EQ(lines.size(), 9u);
            EXPECT_EQ(lines[0], c.message);
            EXPECT_EQ(lines[1], "[I]   Address (reported): " + Pointer(block));
            EXPECT_EQ(lines[8], Summary(1));
        }
        if (c.array) {
            ::operator delete[](block);
        } else {
            ::operator delete(block);
        }
        EXPECT_FALSE(ValidateAllUnits());
    }
}

// Every damaged word gets its own report, but each unit counts once; the dump
// shows the recorded owner, its function name cut to 39 characters.
TEST(Validation, EachDamagedWordIsReportedButTheUnitCountsOnce) {
    const std::string longName(50, 'f');
    unsigned char *first = Opaque(static_cast<unsigned char *>(
        TrackedAllocation("C:\\src\\render\\texture.cpp", 321, longName.c_str(), 99, 8)));
    unsigned char *second = Opaque(static_cast<unsigned char *>(::operator new(8)));
    first[-16] = 1; // prefix word 0
    first[8] = 1;   // suffix word 0
    first[12] = 1;  // suffix word 1
    second[20] = 1; // suffix word 3
    CLogCapture log;
    EXPECT_TRUE(ValidateAllUnits());
    const std::vector<std::string> lines = log.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), kUnderrun), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), kOverrun), 3);
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "[I]   Owner             : texture.cpp(321)::" + longName.substr(0, 39)),
              3);
    EXPECT_EQ(lines.size(), 4u * 8u + 1u);
    EXPECT_EQ(lines.back(), Summary(2));
    TrackedRelease(nullptr, 0, nullptr, kAllocDelete, first);
    ::operator delete(second);
    EXPECT_FALSE(ValidateAllUnits());
}

} // namespace
