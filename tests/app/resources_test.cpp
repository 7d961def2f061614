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

TEST(ResourceTest, LookupReturnsTheEmbeddedBytesInPlace) {
    const struct {
        int id;
        const char *type;
        const char *file;
    } cases[] = {
        {101, "TEXTURES", "texture_101.bin"},
        {102, "TEXTURES", "texture_102.bin"},
        {101, nullptr, "raw_101.bin"}, // the same id under another type
        {109, nullptr, "text_109.txt"},
        {110, nullptr, "empty_110.bin"},
        // Only the low 16 bits of a raw id count.
        {0x10000 + 109, nullptr, "text_109.txt"},
        {0x7FFF0000 + 109, nullptr, "text_109.txt"},
        {static_cast<int>(0xFFFF0000u) + 109, nullptr, "text_109.txt"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        uint32_t size = 0xDEADBEEF;
        const unsigned char *p = Lookup(c.id, c.type, &size);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(std::string(reinterpret_cast<const char *>(p), size), ReadFile(c.file));
        EXPECT_EQ(Lookup(c.id, c.type, nullptr), p); // no size wanted; same place every time
    }
}

TEST(ResourceTest, MissingResourceGivesNullAndLeavesSizeUntouched) {
    const struct {
        const char *name;
        int id;
        const char *type; // null: raw lookup
    } cases[] = {
        {"raw id not present", 111, nullptr},
        {"texture id only in raw", 109, "TEXTURES"},
        {"raw id only in textures", 102, nullptr},
        {"unknown type", 101, "SOUNDS"},
#ifndef _WIN32
        // Win32 compares resource type names without case.
        {"type name case matters", 101, "textures"},
#endif
        {"negative typed id", -101, "TEXTURES"},
        {"typed id past 16 bits", 0x10000 + 101, "TEXTURES"},
        {"id 0", 0, nullptr},
    };
    for (const auto &c : cases) {
        uint32_t size = 0x12345678;
        EXPECT_EQ(Lookup(c.id, c.type, &size), nullptr) << c.name;
        EXPECT_EQ(size, 0x12345678u) << c.name;
    }
    uint32_t size = 7;
    EXPECT_EQ(LoadTypedResourceBytes(101, nullptr, &size), nullptr); // a null type is refused
    EXPECT_EQ(size, 7u);
}

} // namespace
