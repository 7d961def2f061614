// Report lines of the diagnostics executable (their text: the soak and fault scripts).
#include "app/diagnostics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A line longer than the buffer is cut but still ends the line, so the next
// report line never runs into it.
TEST(DiagLines, TruncatedLinesStillEndWithANewline) {
    const std::string longText(300, 'x');
    for (size_t bytes : {2u, 3u, 8u, 20u, 40u, 64u}) {
        SCOPED_TRACE(bytes);
        char line[72];
        std::memset(line, '#', sizeof line);
        const size_t n = bytes == 40u ? FormatDiagSample(line, bytes, 1, 2, 3, 4, 5.0, 6, 7)
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

} // namespace
