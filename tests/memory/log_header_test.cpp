#include "log_capture.h"

#include "memory/memory_tracker.h"
#include "memory/tracker_internal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kDashes(80, '-');

TEST(MemoryLog, FirstLineAfterStartBringsTheHeader)
{
    const std::vector<std::string> header = {
        kDashes,
        "",
        kDashes,
        "",
        "This file contains a log of all memory operations performed during the last run.",
        "",
        "Interrogate this file to track errors or to help track down memory-related",
        "issues. You can do this by tracing the allocations performed by a specific owner",
        "or by tracking a specific address through a series of allocations and",
        "reallocations.",
        "",
        "There is a lot of useful information here which, when used creatively, can be",
        "extremely helpful.",
        "",
        "Note that the following guides are used throughout this file:",
        "",
        "   [!] - Error",
        "   [+] - Allocation",
        "   [~] - Reallocation",
        "   [-] - Deallocation",
        "   [I] - Generic information",
        "   [F] - Failure induced for the purpose of stress-testing your application",
        "   [D] - Information used for debugging this memory manager",
        "",
        "...so, to find all errors in the file, search for \"[!]\"",
        "",
        kDashes,
    };
    const std::string refusal = "[!] Request to deallocate RAM that was never allocated";
    int notOurs = 0;

    CLogCapture log;
    // Written at start-up already: a line now comes alone.
    TrackedRelease(nullptr, 0, nullptr, kAllocDelete, &notOurs);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{refusal});

    RearmMemoryLogHeader();
    log.Clear();
    TrackedRelease(nullptr, 0, nullptr, kAllocDelete, &notOurs);
    std::vector<std::string> expected = header;
    expected.push_back(refusal);
    ASSERT_EQ(header.size(), 27u);
    EXPECT_EQ(log.Lines(), expected);

    log.Clear();
    TrackedRelease(nullptr, 0, nullptr, kAllocDelete, &notOurs);
    EXPECT_EQ(log.Count(), 1u);
}

} // namespace
