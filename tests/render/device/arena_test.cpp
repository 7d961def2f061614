#include "render/render_device.h"
#include "render/render_device_internal.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

class ArenaTest : public ::testing::Test {
  protected:
    void SetUp() override { CreateFrameArena(); }
    void TearDown() override { DestroyFrameArena(); }
    static size_t Used() { return static_cast<size_t>(FrameArenaCursor() - FrameArenaBase()); }
};

// Byte requests round up to 4; vertex records are 24 bytes each.
TEST_F(ArenaTest, AllocationsFollowEachOtherFourByteAligned) {
    const size_t sizes[] = {64, 96, 24, 1, 7, 0, 144, 2};
    size_t offset = 0;
    for (size_t size : sizes) {
        void *block = AllocFrameBytes(size);
        ASSERT_NE(block, nullptr) << size;
        EXPECT_EQ(block, FrameArenaBase() + offset) << size;
        offset += (size + 3) / 4 * 4;
    }
    EXPECT_EQ(Used(), offset);
    Vertex2D *out = nullptr;
    EXPECT_EQ(AllocFrameVertices(0, &out), FrameArenaBase() + offset); // takes nothing
    EXPECT_EQ(reinterpret_cast<unsigned char *>(out), FrameArenaBase() + offset);
    EXPECT_EQ(AllocFrameVertices(2, nullptr), FrameArenaBase() + offset + 48);
    ResetFrameArena();
    EXPECT_EQ(AllocFrameVertices(4, &out), FrameArenaBase() + 96);
    EXPECT_EQ(reinterpret_cast<unsigned char *>(out), FrameArenaBase());
    EXPECT_EQ(FrameArenaRemaining(), kFrameArenaSize - 96);
}

// The whole arena can be taken and written; then nothing more fits.
TEST_F(ArenaTest, WholeArenaIsWritable) {
    unsigned char *all = static_cast<unsigned char *>(AllocFrameBytes(kFrameArenaSize));
    ASSERT_EQ(all, FrameArenaBase());
    std::memset(all, 0xA5, kFrameArenaSize);
    EXPECT_EQ(AllocFrameBytes(1), nullptr);
    EXPECT_NE(AllocFrameBytes(0), nullptr);
}

TEST_F(ArenaTest, BadCountsAreRefused) {
    for (int count : {-1, INT_MIN, INT_MAX, 10923}) {
        Vertex2D *out = reinterpret_cast<Vertex2D *>(1);
        EXPECT_EQ(AllocFrameVertices(count, &out), nullptr) << count;
        EXPECT_EQ(out, nullptr) << count;
        EXPECT_EQ(Used(), 0u) << count;
    }
    EXPECT_EQ(AllocFrameBytes(SIZE_MAX), nullptr);
}

// Without an arena everything is refused; shutting the device down frees it.
TEST(ArenaLifetimeTest, RequestsNeedAnArena) {
    DestroyFrameArena();
    EXPECT_EQ(FrameArenaBase(), nullptr);
    EXPECT_EQ(FrameArenaRemaining(), 0u);
    EXPECT_EQ(AllocFrameBytes(0), nullptr);
    Vertex2D *out = nullptr;
    EXPECT_EQ(AllocFrameVertices(1, &out), nullptr);
    ResetFrameArena();
    EXPECT_EQ(FrameArenaCursor(), nullptr);
    CreateFrameArena();
    ShutdownRenderDevice();
    EXPECT_EQ(FrameArenaBase(), nullptr);
    EXPECT_EQ(FrameArenaCursor(), nullptr);
}

} // namespace
