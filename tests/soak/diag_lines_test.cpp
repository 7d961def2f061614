// The report lines of the diagnostics executable: the soak and fault scripts
// and the start-up benchmark parse them, so their text is a contract.
#include "app/diagnostics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(DiagLines, SampleLineHasEveryKeyInOrder) {
    char line[256];
    const size_t n = FormatDiagSample(line, sizeof line, 3692, 27012156, 10029.5434, 219, 2);
    EXPECT_STREQ(
        line, "diag: live-units=3692 live-bytes=27012156 t-ms=10029.543 frames=219 underruns=2\n");
    EXPECT_EQ(n, std::strlen(line));
}

TEST(DiagLines, SampleLineTakesTheLargestValues) {
    char line[256];
    FormatDiagSample(line, sizeof line, 4294967295u, 18446744073709551615ull, 0.0,
                     18446744073709551615ull, 4294967295u);
    EXPECT_STREQ(line, "diag: live-units=4294967295 live-bytes=18446744073709551615 t-ms=0.000 "
                       "frames=18446744073709551615 underruns=4294967295\n");
}

TEST(DiagLines, FirstFrameLineIsAloneOnItsLine) {
    char line[64];
    const size_t n = FormatDiagFirstFrame(line, sizeof line, 1347.8646);
    EXPECT_STREQ(line, "diag: first-frame-ms=1347.865\n");
    EXPECT_EQ(n, std::strlen(line));
}

struct PrefixedCase {
    const char *tag;
    const char *text;
    const char *want;
};

class DiagPrefixed : public testing::TestWithParam<PrefixedCase> {};

TEST_P(DiagPrefixed, Formats) {
    const PrefixedCase &c = GetParam();
    char line[128];
    const size_t n = FormatDiagPrefixed(line, sizeof line, c.tag, c.text);
    EXPECT_STREQ(line, c.want);
    EXPECT_EQ(n, std::strlen(c.want));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DiagPrefixed,
    testing::Values(PrefixedCase{"memlog", "[!] Request to deallocate RAM that was never allocated",
                                 "diag: memlog [!] Request to deallocate RAM that was never "
                                 "allocated\n"},
                    PrefixedCase{"leak", "?\?(00000)::?\?", "diag: leak ?\?(00000)::?\?\n"},
                    PrefixedCase{"leak", "", "diag: leak \n"},
                    PrefixedCase{nullptr, nullptr, "diag:  \n"}));

// A line longer than the buffer is cut but still ends the line, so the next
// report line never runs into it.
TEST(DiagLines, TruncatedLinesStillEndWithANewline) {
    const std::string longText(300, 'x');
    for (size_t bytes : {2u, 3u, 8u, 20u, 64u}) {
        char line[72];
        std::memset(line, '#', sizeof line);
        const size_t n = FormatDiagPrefixed(line, bytes, "memlog", longText.c_str());
        ASSERT_EQ(n, bytes - 1) << bytes;
        EXPECT_EQ(line[n - 1], '\n') << bytes;
        EXPECT_EQ(line[n], '\0') << bytes;
        EXPECT_EQ(line[bytes], '#') << "wrote past the buffer, " << bytes;
    }
    char sample[40];
    const size_t n = FormatDiagSample(sample, sizeof sample, 1, 2, 3.0, 4, 5);
    EXPECT_EQ(n, sizeof sample - 1);
    EXPECT_EQ(sample[n - 1], '\n');
}

TEST(DiagLines, ErrorLinesAreTheOnesMarkedWithABang) {
    EXPECT_TRUE(IsDiagErrorLine("[!] A memory allocation unit was corrupt because of an overrun:"));
    EXPECT_TRUE(IsDiagErrorLine("[!]"));
    EXPECT_FALSE(IsDiagErrorLine("[I]   Owner             : ?\?(00000)::?\?"));
    EXPECT_FALSE(IsDiagErrorLine(" [!] indented"));
    EXPECT_FALSE(IsDiagErrorLine("[!"));
    EXPECT_FALSE(IsDiagErrorLine(""));
    EXPECT_FALSE(IsDiagErrorLine(nullptr));
}

struct GridCase {
    double sampled;
    double due;
    double want;
};

class DiagSampleGrid : public testing::TestWithParam<GridCase> {};

TEST_P(DiagSampleGrid, NextSampleStaysOnTheGrid) {
    const GridCase &c = GetParam();
    EXPECT_DOUBLE_EQ(NextDiagSampleMs(c.sampled, c.due), c.want);
}

INSTANTIATE_TEST_SUITE_P(Cases, DiagSampleGrid,
                         testing::Values(GridCase{10000.0, 10000.0, 20000.0},
                                         GridCase{10003.2, 10000.0, 20000.0},
                                         GridCase{19999.9, 10000.0, 20000.0},
                                         // A minimised stretch skips the missed points.
                                         GridCase{20000.0, 10000.0, 30000.0},
                                         GridCase{47123.0, 10000.0, 50000.0}));

} // namespace
