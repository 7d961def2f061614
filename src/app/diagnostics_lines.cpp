// Report lines of the diagnostics variant. No allocation: the memory-log sink
// calls these with the tracker's lock held.
#include "app/diagnostics.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

// snprintf's result clipped to what was stored, so callers can write it.
size_t Stored(int wanted, size_t outBytes) {
    if (wanted < 0 || outBytes == 0)
        return 0;
    return static_cast<size_t>(wanted) < outBytes ? static_cast<size_t>(wanted) : outBytes - 1;
}

// Puts the newline back when truncation cut it off.
size_t EndLine(char *out, size_t outBytes, size_t length) {
    if (outBytes >= 2 && (length == 0 || out[length - 1] != '\n')) {
        if (length >= outBytes - 1)
            length = outBytes - 2;
        out[length++] = '\n';
        out[length] = '\0';
    }
    return length;
}

} // namespace

size_t FormatDiagSample(char *out, size_t outBytes, uint32_t liveUnits, uint64_t liveBytes,
                        uint32_t ourUnits, uint64_t ourBytes, double tMs, uint64_t frames,
                        uint32_t underruns) {
    const int n = std::snprintf(out, outBytes,
                                "diag: live-units=%" PRIu32 " live-bytes=%" PRIu64
                                " our-units=%" PRIu32 " our-bytes=%" PRIu64
                                " t-ms=%.3f frames=%" PRIu64 " underruns=%" PRIu32 "\n",
                                liveUnits, liveBytes, ourUnits, ourBytes, tMs, frames, underruns);
    return EndLine(out, outBytes, Stored(n, outBytes));
}

size_t FormatDiagFirstFrame(char *out, size_t outBytes, double tMs) {
    const int n = std::snprintf(out, outBytes, "diag: first-frame-ms=%.3f\n", tMs);
    return EndLine(out, outBytes, Stored(n, outBytes));
}

size_t FormatDiagPrefixed(char *out, size_t outBytes, const char *tag, const char *text) {
    const int n = std::snprintf(out, outBytes, "diag: %s %s\n", tag ? tag : "", text ? text : "");
    return EndLine(out, outBytes, Stored(n, outBytes));
}

bool IsDiagErrorLine(const char *line) {
    return line != nullptr && std::strncmp(line, "[!]", 3) == 0;
}

double NextDiagSampleMs(double sampledMs, double dueMs) {
    double next = dueMs + kDiagSamplePeriodMs;
    while (next <= sampledMs)
        next += kDiagSamplePeriodMs;
    return next;
}
