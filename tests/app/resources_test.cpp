#include "app/resources.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadFile(const char *name) {
    std::ifstream in(std::string(ML_TEST_DATA_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Bytes(const unsigned char *p, uint32_t size) {
    return std::string(reinterpret_cast<const char *>(p), size);
}

TEST(ResourceTest, TypedLookupReturnsTheEmbeddedBytes) {
    const struct {
        int id;
        const char *file;
    } cases[] = {{101, "texture_101.bin"}, {102, "texture_102.bin"}};
    for (const auto &c : cases) {
        uint32_t size = 0xDEADBEEF;
        const unsigned char *p = LoadTypedResourceBytes(c.id, "TEXTURES", &size);
        ASSERT_NE(p, nullptr) << c.id;
        const std::string expected = ReadFile(c.file);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(size, expected.size());
        EXPECT_EQ(Bytes(p, size), expected);
    }
}

TEST(ResourceTest, RawLookupReturnsTheEmbeddedBytes) {
    uint32_t size = 0;
    const unsigned char *p = LoadResourceBytes(109, &size);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Bytes(p, size), ReadFile("text_109.txt"));
}

TEST(ResourceTest, SameIdUnderAnotherTypeIsAnotherResource) {
    uint32_t rawSize = 0, typedSize = 0;
    const unsigned char *raw = LoadResourceBytes(101, &rawSize);
    const unsigned char *typed = LoadTypedResourceBytes(101, "TEXTURES", &typedSize);
    ASSERT_NE(raw, nullptr);
    ASSERT_NE(typed, nullptr);
    EXPECT_NE(raw, typed);
    EXPECT_EQ(Bytes(raw, rawSize), ReadFile("raw_101.bin"));
    EXPECT_EQ(Bytes(typed, typedSize), ReadFile("texture_101.bin"));
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
        const unsigned char *p =
            c.type ? LoadTypedResourceBytes(c.id, c.type, &size) : LoadResourceBytes(c.id, &size);
        EXPECT_EQ(p, nullptr) << c.name;
        EXPECT_EQ(size, 0x12345678u) << c.name;
    }
}

TEST(ResourceTest, NullTypeNameIsRefused) {
    uint32_t size = 7;
    EXPECT_EQ(LoadTypedResourceBytes(101, nullptr, &size), nullptr);
    EXPECT_EQ(size, 7u);
}

TEST(ResourceTest, NullSizeOutIsAllowed) {
    uint32_t size = 0;
    const unsigned char *withSize = LoadResourceBytes(109, &size);
    EXPECT_EQ(LoadResourceBytes(109, nullptr), withSize);
    const unsigned char *typed = LoadTypedResourceBytes(102, "TEXTURES", &size);
    EXPECT_EQ(LoadTypedResourceBytes(102, "TEXTURES", nullptr), typed);
    EXPECT_NE(typed, nullptr);
}

TEST(ResourceTest, OnlyLowSixteenBitsOfRawIdCount) {
    const unsigned char *plain = LoadResourceBytes(109, nullptr);
    ASSERT_NE(plain, nullptr);
    for (int id : {0x10000 + 109, 0x7FFF0000 + 109, static_cast<int>(0xFFFF0000u) + 109}) {
        uint32_t size = 0;
        EXPECT_EQ(LoadResourceBytes(id, &size), plain) << std::hex << id;
        EXPECT_EQ(size, ReadFile("text_109.txt").size());
    }
}

TEST(ResourceTest, PointerIsStableAndBytesStayInPlace) {
    uint32_t size = 0;
    const unsigned char *first = LoadTypedResourceBytes(101, "TEXTURES", &size);
    const std::string before = Bytes(first, size);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(LoadTypedResourceBytes(101, "TEXTURES", nullptr), first);
        LoadResourceBytes(109, nullptr);
    }
    EXPECT_EQ(Bytes(first, size), before);
}

TEST(ResourceTest, EmptyResourceIsFoundWithSizeZero) {
    uint32_t size = 99;
    const unsigned char *p = LoadResourceBytes(110, &size);
    EXPECT_NE(p, nullptr);
    EXPECT_EQ(size, 0u);
}

} // namespace
