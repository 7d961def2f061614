#include "memory/memory_tracker.h"
#include "memory/tracker_internal.h"

#include <gtest/gtest.h>

namespace {

struct NumberCase {
    uint32_t value;
    const char *text;
};

TEST(MemoryText, GroupedNumbers)
{
    const NumberCase cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {100000, "100,000"},
        {1234567, "1,234,567"},
        {12345678, "12,345,678"},
        {4294967295u, "4,294,967,295"},
    };
    for (const NumberCase &c : cases) {
        char text[kGroupedNumberBytes];
        EXPECT_STREQ(GroupedNumber(text, sizeof text, c.value), c.text) << c.value;
    }
}

TEST(MemoryText, SizeTexts)
{
    const NumberCase cases[] = {
        {0, "         0 bytes     "},
        {10, "        10 bytes     "},
        {1024, "     1,024 bytes     "},
        {1025, "     1,025 (   1.00K)"},
        {1048576, " 1,048,576 (1024.00K)"},
        {1048577, " 1,048,577 (   1.00M)"},
        {4294967295u, "4,294,967,295 (4096.00M)"},
    };
    for (const NumberCase &c : cases) {
        char text[kSizeTextBytes];
        EXPECT_STREQ(SizeText(text, sizeof text, c.value), c.text) << c.value;
    }
}

TEST(MemoryText, OwnerTexts)
{
    char text[kOwnerTextBytes];
    EXPECT_STREQ(OwnerText(text, sizeof text, nullptr, 0, nullptr), "?\?(00000)::??");
    EXPECT_STREQ(OwnerText(text, sizeof text, "??", 0, "??"), "?\?(00000)::??");
    EXPECT_STREQ(OwnerText(text, sizeof text, "C:\\work\\src\\scene.cpp", 42, "Render"),
                 "scene.cpp(00042)::Render");
    EXPECT_STREQ(OwnerText(text, sizeof text, "src/app/main.cpp", 123456, "main"),
                 "main.cpp(123456)::main");
    EXPECT_STREQ(OwnerText(text, sizeof text, "a/b\\c.cpp", 7, "f"), "c.cpp(00007)::f");
}

TEST(MemoryText, TextsAreTruncatedToTheirBuffer)
{
    char small[8] = "xxxxxxx";
    EXPECT_STREQ(OwnerText(small, sizeof small, "file.cpp", 1, "fn"), "file.cp");
    EXPECT_STREQ(GroupedNumber(small, 4, 1234567), "1,2");
    EXPECT_STREQ(SizeText(small, sizeof small, 1025), "     1,");
    EXPECT_EQ(OwnerText(nullptr, 10, "f", 1, "g"), nullptr);
}

TEST(MemoryText, AllocationTypeNames)
{
    const char *const names[] = {"Unknown", "new",      "new[]",    "malloc", "calloc",
                                 "realloc", "delete",   "delete[]", "free"};
    for (uint32_t i = 0; i < 9; ++i) {
        EXPECT_STREQ(AllocationTypeName(i), names[i]);
    }
    EXPECT_STREQ(AllocationTypeName(9), "Unknown");
    EXPECT_STREQ(AllocationTypeName(0xFFFFFFFFu), "Unknown");
}

} // namespace
