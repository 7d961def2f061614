#include "app/resources.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadFile(const char *name) {
    std::ifstream in(std::string(ML_TEST_DATA_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Raw lookups when `type` is null.
const unsigned char *Lookup(int id, const char *type, uint32_t *size) {
    return type ? LoadTypedResourceBytes(id, type, size) : LoadResourceBytes(id, size);
}

// Rows with a file give its bytes; the others nothing, leaving the size as it was.
TEST(ResourceTest, LookupGivesTheEmbeddedBytesInPlaceOrNothing) {
    const struct {
        int id;
        const char *type;
        const char *file;
    } cases[] = {
        {101, "TEXTURES", "texture_101.bin"},
        {101, nullptr, "raw_101.bin"}, // the same id under another type
        {109, nullptr, "text_109.txt"},
        {110, nullptr, "empty_110.bin"},
        {0x10000 + 109, nullptr, "text_109.txt"}, // only the low 16 bits of a raw id count
        {static_cast<int>(0xFFFF0000u) + 109, nullptr, "text_109.txt"},
        {111, nullptr, nullptr},
        {109, "TEXTURES", nullptr},
        {102, nullptr, nullptr},
        {101, "SOUNDS", nullptr},
#ifndef _WIN32
        {101, "textures", nullptr}, // Win32 compares type names without case
#endif
        {-101, "TEXTURES", nullptr},
        {0x10000 + 101, "TEXTURES", nullptr},
        {0, nullptr, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " " << (c.type ? c.type : "raw"));
        uint32_t size = 0x12345678;
        const unsigned char *p = Lookup(c.id, c.type, &size);
        if (!c.file) {
            EXPECT_EQ(p, nullptr);
            EXPECT_EQ(size, 0x12345678u);
            continue;
        }
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(std::string(reinterpret_cast<const char *>(p), size), ReadFile(c.file));
        EXPECT_EQ(Lookup(c.id, c.type, nullptr), p); // no size wanted; same place every time
    }
    uint32_t size = 7;
    EXPECT_EQ(LoadTypedResourceBytes(101, nullptr, &size), nullptr); // a null type is refused
    EXPECT_EQ(size, 7u);
}

} // namespace
