#include "app/window.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowOriginTest, CentresTheClientSizeOnTheDisplayOriginIncluded) {
    const struct {
        const char *name;
        DisplayBounds display;
        int width, height;
        WindowOrigin expected;
    } cases[] = {
        {"larger display", {0, 0, 1280, 1024}, 1024, 768, {128, 128}},
        {"odd display size: halves round down", {0, 0, 1281, 1025}, 800, 600, {240, 212}},
        {"odd window size", {0, 0, 1280, 1024}, 801, 601, {239, 211}},
        {"smaller display: overhangs both edges", {0, 0, 640, 480}, 800, 600, {-80, -60}},
        {"odd overhang rounds towards minus infinity", {0, 0, 639, 479}, 800, 600, {-81, -61}},
        {"display right of and below 0, 0", {1920, 200, 1280, 1024}, 800, 600, {2160, 412}},
        {"display left of and above 0, 0", {-1280, -1024, 1280, 1024}, 1024, 768, {-1152, -896}},
        {"smaller display away from 0, 0", {100, 50, 640, 480}, 1024, 768, {-92, -94}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const WindowOrigin origin = CentredWindowOrigin(&c.display, c.width, c.height);
        EXPECT_EQ(origin.x, c.expected.x);
        EXPECT_EQ(origin.y, c.expected.y);
    }
    // Unreadable bounds: the desktop's top-left corner, never off screen.
    for (int width : {800, 1024}) {
        const WindowOrigin origin = CentredWindowOrigin(nullptr, width, width * 3 / 4);
        EXPECT_EQ(origin.x, 0);
        EXPECT_EQ(origin.y, 0);
    }
}

} // namespace
