// The memory log: its header and the texts its lines are built from.
#include "log_capture.h"

#include "memory/tracker_internal.h"

#include <gtest/gtest.h>

namespace {

const char kRefused[] = "[!] Request to deallocate RAM that was never allocated";

TEST(MemoryLog, HeaderComesOnceBeforeTheFirstLine) {
    int notOurs = 0;
    CLogCapture log;
    // Written at start-up already: a line now comes alone.
    TrackedRelease(nullptr, 0, nullptr, kAllocDelete, &notOurs);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{kRefused});

    RearmMemoryLogHeader();
    log.Clear();
    TrackedRelease(nullptr, 0, nullptr, kAllocDelete, &notOurs);
    TrackedRelease(nullptr, 0, nullptr, kAllocDelete, &notOurs);
    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(lines[0], std::string(80, '-'));
    EXPECT_EQ(lines[26], lines[0]);
    EXPECT_EQ(lines[27], kRefused);
    EXPECT_EQ(lines[28], kRefused);
}

struct SizeCase {
    uint32_t size;
    const char *text;
};

TEST(MemoryText, SizesAreGroupedWithTheirUnit) {
    const SizeCase cases[] = {
        {1024, "     1,024 bytes     "},           {1025, "     1,025 (   1.00K)"},
        {1048576, " 1,048,576 (1024.00K)"},        {1048577, " 1,048,577 (   1.00M)"},
        {4294967295u, "4,294,967,295 (4096.00M)"},
    };
    for (const SizeCase &c : cases) {
        char text[kSizeTextBytes];
        EXPECT_STREQ(SizeText(text, sizeof text, c.size), c.text) << c.size;
    }
}

// Directories are cut from owners (the dump test covers a full one).
TEST(MemoryText, BadBuffersAndTypesAreHandled) {
    char text[kOwnerTextBytes];
    EXPECT_STREQ(OwnerText(text, sizeof text, nullptr, 0, nullptr), "?\?(00000)::??");
    EXPECT_STREQ(OwnerText(text, sizeof text, "a/b\\c.cpp", 7, "f"), "c.cpp(00007)::f");
    char small[8] = "xxxxxxx";
    EXPECT_STREQ(OwnerText(small, sizeof small, "file.cpp", 1, "fn"), "file.cp");
    EXPECT_STREQ(GroupedNumber(small, 4, 1234567), "1,2");
    EXPECT_STREQ(SizeText(small, sizeof small, 1025), "     1,");
    EXPECT_EQ(OwnerText(nullptr, 10, "f", 1, "g"), nullptr);
    EXPECT_STREQ(AllocationTypeName(kAllocDeleteArray), "delete[]");
    EXPECT_STREQ(AllocationTypeName(9), "Unknown");
    EXPECT_STREQ(AllocationTypeName(0xFFFFFFFFu), "Unknown");
}

} // namespace
