// The report lines of the diagnostics executable: the soak and fault scripts
// and the start-up benchmark parse them, so their text is a contract.
#include "app/diagnostics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(DiagLines, EachLineHasItsExactText) {
    char line[256];
    size_t n = FormatDiagSample(line, sizeof line, 3692, 27012156, 10029.5434, 219, 2);
    EXPECT_EQ(n, std::strlen(line));
    EXPECT_STREQ(
        line, "diag: live-units=3692 live-bytes=27012156 t-ms=10029.543 frames=219 underruns=2\n");
    FormatDiagSample(line, sizeof line, 4294967295u, 18446744073709551615ull, 0.0,
                     18446744073709551615ull, 4294967295u);
    EXPECT_STREQ(line, "diag: live-units=4294967295 live-bytes=18446744073709551615 t-ms=0.000 "
                       "frames=18446744073709551615 underruns=4294967295\n");
    n = FormatDiagFirstFrame(line, sizeof line, 1347.8646);
    EXPECT_EQ(n, std::strlen(line));
    EXPECT_STREQ(line, "diag: first-frame-ms=1347.865\n");
    const struct {
        const char *tag, *text, *want;
    } prefixed[] = {
        {"memlog", "[!] Request to deallocate RAM that was never allocated",
         "diag: memlog [!] Request to deallocate RAM that was never allocated\n"},
        {"leak", "?\?(00000)::?\?", "diag: leak ?\?(00000)::?\?\n"},
        {"leak", "", "diag: leak \n"},
        {nullptr, nullptr, "diag:  \n"},
    };
    for (const auto &c : prefixed) {
        EXPECT_EQ(FormatDiagPrefixed(line, sizeof line, c.tag, c.text), std::strlen(c.want));
        EXPECT_STREQ(line, c.want);
    }
}

// A line longer than the buffer is cut but still ends the line, so the next
// report line never runs into it.
TEST(DiagLines, TruncatedLinesStillEndWithANewline) {
    const std::string longText(300, 'x');
    for (size_t bytes : {2u, 3u, 8u, 20u, 40u, 64u}) {
        SCOPED_TRACE(bytes);
        char line[72];
        std::memset(line, '#', sizeof line);
        const size_t n = bytes == 40u ? FormatDiagSample(line, bytes, 1, 2, 3.0, 4, 5)
                                      : FormatDiagPrefixed(line, bytes, "memlog", longText.c_str());
        ASSERT_EQ(n, bytes - 1);
        EXPECT_EQ(line[n - 1], '\n');
        EXPECT_EQ(line[n], '\0');
        EXPECT_EQ(line[bytes], '#') << "wrote past the buffer";
    }
}

TEST(DiagLines, ErrorLinesAreTheOnesMarkedWithABang) {
    EXPECT_TRUE(IsDiagErrorLine("[!] A memory allocation unit was corrupt because of an overrun:"));
    EXPECT_TRUE(IsDiagErrorLine("[!]"));
    for (const char *line : {"[I]   Owner             : ?\?(00000)::?\?", " [!] indented", "[!", "",
                             static_cast<const char *>(nullptr)})
        EXPECT_FALSE(IsDiagErrorLine(line)) << (line ? line : "null");
}

TEST(DiagLines, NextSampleStaysOnTheGrid) {
    const struct {
        double sampled, due, want;
    } cases[] = {{10000.0, 10000.0, 20000.0},
                 {10003.2, 10000.0, 20000.0},
                 {19999.9, 10000.0, 20000.0},
                 {20000.0, 10000.0, 30000.0}, // missed points skipped
                 {47123.0, 10000.0, 50000.0}};
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(NextDiagSampleMs(c.sampled, c.due), c.want) << c.sampled;
}

} // namespace
