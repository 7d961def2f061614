#include "memory/memory_log.h"

#include "memory/memory_tracker.h"
#include "memory/tracker_internal.h"
#include "memory/tracker_lock.h"

#include <cstdarg>
#include <cstdio>

namespace {

constexpr size_t kLogLineBytes = 2048;

#define ML_DASH_LINE                                                                               \
    "--------------------------------------------------------------------------------"

const char *const kHeaderLines[] = {
    ML_DASH_LINE,
    "",
    ML_DASH_LINE,
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
    ML_DASH_LINE,
};

#undef ML_DASH_LINE

// Plain data, zero at start (constant-initialised): valid before any
// static initialiser runs. headerWritten false means the header is pending.
struct MemoryLogState {
    char line[kLogLineBytes];
    bool headerWritten;
    MemoryLogSink sink;
};

MemoryLogState g_log;

void EmitLine(const char *text)
{
    std::snprintf(g_log.line, sizeof g_log.line, "%s", text);
    if (g_log.sink != nullptr) {
        g_log.sink(g_log.line);
    }
}

void WriteHeader()
{
    g_log.headerWritten = true;
    for (const char *text : kHeaderLines) {
        EmitLine(text);
    }
}

} // namespace

void MemoryLogLine(const char *format, ...)
{
    if (!g_log.headerWritten) {
        WriteHeader();
    }
    va_list args;
    va_start(args, format);
    std::vsnprintf(g_log.line, sizeof g_log.line, format, args);
    va_end(args);
    if (g_log.sink != nullptr) {
        g_log.sink(g_log.line);
    }
}

void WriteMemoryLogHeaderIfPending()
{
    if (!g_log.headerWritten) {
        WriteHeader();
    }
}

void RearmMemoryLogHeaderLocked() { g_log.headerWritten = false; }

void SetMemoryLogSink(MemoryLogSink sink)
{
    std::lock_guard<std::mutex> hold(MemoryTrackerLock());
    g_log.sink = sink;
}

void RearmMemoryLogHeader()
{
    std::lock_guard<std::mutex> hold(MemoryTrackerLock());
    RearmMemoryLogHeaderLocked();
}
