#include "log_capture.h"

#include "memory/memory_tracker.h"

#include <cstdio>

namespace {

constexpr size_t kMaxLines = 256;
constexpr size_t kMaxLineBytes = 512;

struct CaptureState {
    char lines[kMaxLines][kMaxLineBytes];
    size_t count; // lines seen, may exceed kMaxLines
};

CaptureState g_capture;

void CaptureLine(const char *line)
{
    if (g_capture.count < kMaxLines) {
        std::snprintf(g_capture.lines[g_capture.count], kMaxLineBytes, "%s", line);
    }
    ++g_capture.count;
}

} // namespace

CLogCapture::CLogCapture()
{
    g_capture.count = 0;
    SetMemoryLogSink(CaptureLine);
}

CLogCapture::~CLogCapture() { SetMemoryLogSink(nullptr); }

size_t CLogCapture::Count() const { return g_capture.count; }

std::vector<std::string> CLogCapture::Lines() const
{
    const size_t stored = g_capture.count < kMaxLines ? g_capture.count : kMaxLines;
    std::vector<std::string> lines;
    lines.reserve(stored);
    for (size_t i = 0; i < stored; ++i) {
        lines.emplace_back(g_capture.lines[i]);
    }
    return lines;
}

void CLogCapture::Clear() { g_capture.count = 0; }
