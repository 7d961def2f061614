#include "log_capture.h"

#include "memory/memory_tracker.h"
#include "memory/tracker_internal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr uint32_t kPrefix = 0xBAADF00D;
constexpr uint32_t kSuffix = 0xDEADC0DE;

uint32_t WordAt(const unsigned char *at)
{
    uint32_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// Guard words around a reported block of size bytes are intact.
void ExpectGuards(const void *block, size_t size)
{
    const unsigned char *bytes = static_cast<const unsigned char *>(block);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(WordAt(bytes - 16 + 4 * k), kPrefix) << "prefix word " << k;
        EXPECT_EQ(WordAt(bytes + size + 4 * k), kSuffix) << "suffix word " << k;
    }
}

TEST(TrackedAllocation, ZeroSizeGivesDistinctOneByteBlocks)
{
    const uint32_t units = GetLiveUnitCount();
    const uint64_t bytes = GetLiveBytes();
    void *a = Opaque(::operator new(0));
    void *b = Opaque(::operator new(0));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(GetLiveUnitCount(), units + 2);
    EXPECT_EQ(GetLiveBytes(), bytes + 2);
    EXPECT_EQ(*static_cast<unsigned char *>(a), 0);
    ExpectGuards(a, 1);
    ExpectGuards(b, 1);
    ::operator delete(a);
    ::operator delete(b);
    EXPECT_EQ(GetLiveUnitCount(), units);
    EXPECT_EQ(GetLiveBytes(), bytes);
}

TEST(TrackedAllocation, TenByteBlockIsZeroFilledAndGuarded)
{
    unsigned char *block = static_cast<unsigned char *>(::operator new(10));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(block[i], 0) << i;
    }
    ExpectGuards(block, 10);
    ::operator delete(block);
}

TEST(TrackedAllocation, WipeFillsWordsThenTrailingBytesAndGuards)
{
    unsigned char buffer[16 + 7 + 16];
    std::memset(buffer, 0x55, sizeof buffer);
    WipeBlock(buffer, 7, 0xFEEDFACE);
    EXPECT_EQ(WordAt(buffer + 16), 0xFEEDFACEu);
    EXPECT_EQ(buffer[20], 0xCE);
    EXPECT_EQ(buffer[21], 0xFA);
    EXPECT_EQ(buffer[22], 0xED);
    ExpectGuards(buffer + 16, 7);
}

TEST(TrackedAllocation, DoubleReleaseIsRefusedAndFreesNothing)
{
    void *block = ::operator new(24);
    void *again = Opaque(block);
    ::operator delete(block);
    const uint32_t units = GetLiveUnitCount();
    CLogCapture log;
    ::operator delete(again);
    EXPECT_EQ(GetLiveUnitCount(), units);
    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "[!] Request to deallocate RAM that was never allocated");
}

TEST(TrackedAllocation, ForeignAddressIsRefused)
{
    alignas(16) unsigned char notFromTheTracker[64] = {};
    const uint32_t units = GetLiveUnitCount();
    CLogCapture log;
    TrackedRelease("x.cpp", 1, "f", kAllocDelete, notFromTheTracker + 16);
    EXPECT_EQ(GetLiveUnitCount(), units);
    EXPECT_EQ(log.Count(), 1u);
    for (unsigned char byte : notFromTheTracker) {
        EXPECT_EQ(byte, 0);
    }
}

TEST(TrackedAllocation, FailedRequestsStillAdvanceTheCounter)
{
    const uint32_t units = GetLiveUnitCount();
    CLogCapture log;
    const uint32_t before = GetAllocationCounter();
    // size + 32 no longer fits in 32 bits: fails without touching the heap.
    EXPECT_EQ(TrackedAllocation(nullptr, 0, nullptr, kAllocNew, UINT32_MAX - 31u), nullptr);
    EXPECT_EQ(TrackedAllocation(nullptr, 0, nullptr, kAllocNew, SIZE_MAX), nullptr);
    EXPECT_EQ(GetAllocationCounter(), before + 2);
    void *block = TrackedAllocation(nullptr, 0, nullptr, kAllocNew, 8);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GetAllocationNumber(block), before + 3);
    TrackedRelease(nullptr, 0, nullptr, kAllocDelete, block);
    EXPECT_EQ(GetAllocationNumber(block), 0u);
    EXPECT_EQ(GetLiveUnitCount(), units);

    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "[!] Request for allocation failed. Out of memory.");
    EXPECT_EQ(lines[1], lines[0]);
}

TEST(TrackedAllocation, ReservoirGrowsInBlocksOf256Units)
{
    const size_t limit = 200000;
    std::vector<void *> blocks;
    blocks.reserve(limit + 256); // never regrown while counting
    const uint32_t units = GetLiveUnitCount();
    const uint32_t reservoirs = GetReservoirBlockCount();
    // Use up the spare units; a fresh block then has exactly 255 left.
    while (GetReservoirBlockCount() == reservoirs && blocks.size() < limit) {
        blocks.push_back(TrackedAllocation(nullptr, 0, nullptr, kAllocNew, 16));
    }
    ASSERT_EQ(GetReservoirBlockCount(), reservoirs + 1);
    for (int i = 0; i < 255; ++i) {
        blocks.push_back(TrackedAllocation(nullptr, 0, nullptr, kAllocNew, 16));
    }
    EXPECT_EQ(GetReservoirBlockCount(), reservoirs + 1);
    blocks.push_back(TrackedAllocation(nullptr, 0, nullptr, kAllocNew, 16));
    EXPECT_EQ(GetReservoirBlockCount(), reservoirs + 2);
    for (void *block : blocks) {
        TrackedRelease(nullptr, 0, nullptr, kAllocDelete, block);
    }
    EXPECT_EQ(GetLiveUnitCount(), units);

    // With blocks still live, the exit step leaves the reservoirs alone.
    RunMemoryExitStep();
    EXPECT_EQ(GetReservoirBlockCount(), reservoirs + 2);
    EXPECT_FALSE(ValidateAllUnits());
}

// One bucket's chain, head first, in fixed storage: reading it allocates
// nothing that could join a chain itself.
struct ChainView {
    size_t length = 0;
    const void *at[64] = {};

    bool operator==(const ChainView &other) const
    {
        return length == other.length && std::equal(at, at + length, other.at);
    }

    void Erase(size_t index)
    {
        std::copy(at + index + 1, at + length, at + index);
        --length;
    }
};

ChainView Chain(unsigned bucket)
{
    ChainView view;
    view.length = std::min<size_t>(GetBucketChain(bucket, view.at, 64), 64);
    return view;
}

TEST(TrackedAllocation, UnlinkingKeepsTheRestOfTheChain)
{
    // Enough blocks that some bucket holds three of ours at its head.
    std::vector<void *> blocks;
    blocks.reserve(21000); // never regrown: its buffer must not join a chain mid-test
    for (int i = 0; i < 12000; ++i) {
        blocks.push_back(TrackedAllocation(nullptr, 0, nullptr, kAllocNew, 16));
    }
    // Sorted in place: nothing allocated here may become a chain head.
    std::vector<void *> ours = blocks;
    std::sort(ours.begin(), ours.end());
    auto isOurs = [&ours](const void *address) {
        return std::binary_search(ours.begin(), ours.end(), address);
    };
    unsigned bucket = 4096;
    for (void *block : blocks) {
        const ChainView chain = Chain(BucketIndexOf(block));
        if (chain.length >= 4 && isOurs(chain.at[0]) && isOurs(chain.at[1]) &&
            isOurs(chain.at[2])) {
            bucket = BucketIndexOf(block);
            break;
        }
    }
    ASSERT_LT(bucket, 4096u);
    const ChainView before = Chain(bucket);

    // Not the head: its neighbours now link to each other.
    TrackedRelease(nullptr, 0, nullptr, kAllocDelete, const_cast<void *>(before.at[1]));
    ChainView expected = before;
    expected.Erase(1);
    EXPECT_TRUE(Chain(bucket) == expected);

    // The head: its successor becomes the head.
    TrackedRelease(nullptr, 0, nullptr, kAllocDelete, const_cast<void *>(before.at[0]));
    expected.Erase(0);
    EXPECT_TRUE(Chain(bucket) == expected);
    EXPECT_EQ(Chain(bucket).at[0], before.at[2]);
    EXPECT_FALSE(ValidateAllUnits());

    // A new unit goes in front of the new head.
    void *extra = nullptr;
    for (int tries = 0; tries < 8192; ++tries) {
        extra = TrackedAllocation(nullptr, 0, nullptr, kAllocNew, 16);
        if (BucketIndexOf(extra) == bucket) {
            break;
        }
        blocks.push_back(extra);
        extra = nullptr;
    }
    if (extra != nullptr) {
        EXPECT_EQ(Chain(bucket).at[0], extra);
        EXPECT_EQ(Chain(bucket).at[1], before.at[2]);
        TrackedRelease(nullptr, 0, nullptr, kAllocDelete, extra);
    }

    for (void *block : blocks) {
        if (block != before.at[0] && block != before.at[1]) {
            TrackedRelease(nullptr, 0, nullptr, kAllocDelete, block);
        }
    }
    EXPECT_FALSE(ValidateAllUnits());
}

} // namespace
