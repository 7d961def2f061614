// The program's resource table carries the logo model and its texture.
#include "app/resources.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ProgramResources, HoldTheLogoModelAndTexture) {
    uint32_t size = 0;
    ASSERT_NE(LoadResourceBytes(113, &size), nullptr);
    EXPECT_EQ(size, 22480u);
    uint32_t textureSize = 0;
    const unsigned char *png = LoadTypedResourceBytes(107, "TEXTURES", &textureSize);
    ASSERT_NE(png, nullptr);
    ASSERT_GE(textureSize, 8u);
    EXPECT_EQ(std::memcmp(png, "\x89PNG\r\n\x1a\n", 8), 0);
}

} // namespace
