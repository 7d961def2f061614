// Hooks of the diagnostics variant. The executable links the product's own
// objects unchanged; the linker routes the calls below through these wrappers
// (-Wl,--wrap with the mangled names, see src/app/CMakeLists.txt):
//   PlatformSwapBuffers   counts frames, first-frame time
//   PlatformPollMessage   runs every loop pass, minimised too: periodic samples
//   ShowMessage           time the size question was answered
//   CTestbed::CTestbed    optional skip of the intro
// The report goes to standard error with write(2), one call per line, so
// lines never interleave with other output.
#include "app/diagnostics.h"

#include "audio/sound_library.h"
#include "memory/memory_tracker.h"
#include "memory/tracker_internal.h"
#include "scene/testbed.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

struct WindowMessage;

extern "C" {
bool __real__Z19PlatformSwapBuffersv();
bool __real__Z19PlatformPollMessageP13WindowMessage(WindowMessage *msg);
int __real__Z11ShowMessagePKcS0_i(const char *caption, const char *text, int style);
void __real__ZN8CTestbedC1Ev(CTestbed *self);
}

namespace {

constexpr size_t kLineBytes = 512;
constexpr unsigned kChainCapacity = 64;
constexpr uint32_t kPanelStage = 5; // the scene's stage after the five intro pictures

struct DiagState {
    int64_t startNs = 0;
    double processAgeMs = -1.0; // process start to startNs, -1 when unknown
    uint64_t frames = 0;
    double firstFrameMs = -1.0;
    bool questionAnswered = false;
    bool firstSecondReported = false;
    double nextSampleMs = kDiagSamplePeriodMs;
    uint32_t memlogErrors = 0;      // written under the tracker's lock
    bool exitStep = false;          // the sink is reporting the tracker's exit step
    char line[kLineBytes] = {};     // main thread
    char sinkLine[kLineBytes] = {}; // the sink, under the tracker's lock
    const void *chain[kChainCapacity] = {};
    int threadsAfterMain = -1;             // -1 until main has returned
    char threadNames[kLineBytes / 2] = {}; // their names, comma-separated
};

// Every member has a constant initialiser, so this is constant-initialised:
// a dynamic initialisation would run after DiagStartup and undo it.
DiagState g_diag;

// Set by SIGUSR1: one extra sample at the next loop pass.
volatile sig_atomic_t g_sampleRequested = 0;

int64_t MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// How long the process had existed when called (milliseconds, in steps of
// the kernel's clock tick, usually 10 ms), from /proc/self/stat; -1 when
// unknown. No allocation: it runs before main.
double ProcessAgeMs() {
    char text[1024];
    const int fd = open("/proc/self/stat", O_RDONLY);
    if (fd < 0)
        return -1.0;
    const ssize_t got = read(fd, text, sizeof text - 1);
    close(fd);
    if (got <= 0)
        return -1.0;
    text[got] = '\0';
    // Field 22 (start time in ticks after boot) counts from the state, field
    // 3, which follows the command name's closing parenthesis.
    const char *field = std::strrchr(text, ')');
    for (int i = 2; field != nullptr && i < 22; ++i)
        field = std::strchr(field + 1, ' ');
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (field == nullptr || ticksPerSecond <= 0)
        return -1.0;
    const double startSeconds =
        std::strtod(field + 1, nullptr) / static_cast<double>(ticksPerSecond);
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double bootSeconds = static_cast<double>(boot.tv_sec) + boot.tv_nsec * 1e-9;
    return bootSeconds >= startSeconds ? (bootSeconds - startSeconds) * 1000.0 : -1.0;
}

double NowMs() {
    return static_cast<double>(MonotonicNs() - g_diag.startNs) / 1e6;
}

void WriteLine(const char *text, size_t length) {
    while (length > 0) {
        const ssize_t done = write(STDERR_FILENO, text, length);
        if (done <= 0)
            return;
        text += done;
        length -= static_cast<size_t>(done);
    }
}

void Say(const char *format, ...) __attribute__((format(printf, 1, 2)));
void Say(const char *format, ...) {
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(g_diag.line, sizeof g_diag.line, format, args);
    va_end(args);
    if (n < 0)
        return;
    size_t length = static_cast<size_t>(n) < sizeof g_diag.line - 1 ? static_cast<size_t>(n)
                                                                    : sizeof g_diag.line - 2;
    g_diag.line[length++] = '\n';
    WriteLine(g_diag.line, length);
}

// Runs under the tracker's lock: fixed storage and write(2) only.
void MemoryLogToStderr(const char *text) {
    if (IsDiagErrorLine(text))
        ++g_diag.memlogErrors;
    const size_t length = FormatDiagPrefixed(g_diag.sinkLine, sizeof g_diag.sinkLine,
                                             g_diag.exitStep ? "leak" : "memlog", text);
    WriteLine(g_diag.sinkLine, length);
}

void Sample(double nowMs, bool requested) {
    size_t length = FormatDiagSample(g_diag.line, sizeof g_diag.line, GetLiveUnitCount(),
                                     GetLiveBytes(), nowMs, g_diag.frames, SndGetUnderrunCount());
    if (requested && length > 0 && length + 10 < sizeof g_diag.line) {
        std::memcpy(g_diag.line + length - 1, " requested\n", 12);
        length += 10;
    }
    WriteLine(g_diag.line, length);
}

// Counts the process's threads and lists their names (from /proc). -1 when
// /proc cannot be read.
int CountThreads(char *names, size_t namesBytes) {
    DIR *tasks = opendir("/proc/self/task");
    if (tasks == nullptr)
        return -1;
    int count = 0;
    size_t used = 0;
    names[0] = '\0';
    while (const dirent *entry = readdir(tasks)) {
        if (entry->d_name[0] == '.')
            continue;
        ++count;
        char path[320];
        std::snprintf(path, sizeof path, "/proc/self/task/%s/comm", entry->d_name);
        char name[32] = {};
        const int fd = open(path, O_RDONLY);
        const ssize_t got = fd >= 0 ? read(fd, name, sizeof name - 1) : 0;
        if (fd >= 0)
            close(fd);
        if (got > 0 && name[got - 1] == '\n')
            name[got - 1] = '\0';
        const int n = std::snprintf(names + used, namesBytes - used, "%s%s", used ? "," : "",
                                    got > 0 ? name : "?");
        if (n > 0)
            used = std::min(namesBytes - 1, used + static_cast<size_t>(n));
    }
    closedir(tasks);
    return count;
}

// Registered once main is running, so it runs as soon as main returns, before
// any static object is destroyed: by then the program must have ended every
// thread of its own (the sound library's audio thread above all).
void NoteThreadsAfterMain() {
    g_diag.threadsAfterMain = CountThreads(g_diag.threadNames, sizeof g_diag.threadNames);
}

void RequestSample(int) {
    g_sampleRequested = 1;
}

void CheckTimers() {
    const double now = NowMs();
    if (!g_diag.firstSecondReported && g_diag.firstFrameMs >= 0.0 &&
        now >= g_diag.firstFrameMs + 1000.0) {
        g_diag.firstSecondReported = true;
        Say("diag: underruns-first-second=%" PRIu32, SndGetUnderrunCount());
    }
    if (now >= g_diag.nextSampleMs) {
        Sample(now, false);
        g_diag.nextSampleMs = NextDiagSampleMs(now, g_diag.nextSampleMs);
    }
    if (g_sampleRequested != 0) {
        g_sampleRequested = 0;
        Sample(now, true);
    }
}

// Lists the blocks still live, bucket by bucket. Blocks allocated or freed
// meanwhile by another thread may be missed or listed; at exit none should be.
void ListLiveBlocks() {
    Say("diag: leaks=%" PRIu32, GetLiveUnitCount());
    for (unsigned bucket = 0; bucket < 4096; ++bucket) {
        const size_t length = GetBucketChain(bucket, g_diag.chain, kChainCapacity);
        for (size_t i = 0; i < length && i < kChainCapacity; ++i) {
            Say("diag: leak number=%" PRIu32 " address=%p", GetAllocationNumber(g_diag.chain[i]),
                g_diag.chain[i]);
        }
        if (length > kChainCapacity)
            Say("diag: leak %zu more blocks in bucket %u", length - kChainCapacity, bucket);
    }
}

void ReportAtExit() {
    const double exitMs = NowMs();
    Say("diag: exit-live-units=%" PRIu32 " exit-live-bytes=%" PRIu64, GetLiveUnitCount(),
        GetLiveBytes());
    const bool problems = ValidateAllUnits();
    Say("diag: validate=%s", problems ? "problems" : "ok");
    ListLiveBlocks();
    // The tracker runs its exit step again after this (the last exit
    // handler); running it now puts its leak lines in this report.
    g_diag.exitStep = true;
    RunMemoryExitStep();
    g_diag.exitStep = false;
    Say("diag: memlog-errors=%" PRIu32, g_diag.memlogErrors);
    Say("diag: frames=%" PRIu64, g_diag.frames);
    Say("diag: underruns=%" PRIu32, SndGetUnderrunCount());
    Say("diag: threads-after-main=%d names=%s", g_diag.threadsAfterMain, g_diag.threadNames);
    Say("diag: process-age-at-start-ms=%.0f", g_diag.processAgeMs);
    Say("diag: t-start-ms=0.000 t-first-frame-ms=%.3f t-exit-ms=%.3f", g_diag.firstFrameMs, exitMs);
    // Later lines (the tracker's last exit step) would have no context.
    SetMemoryLogSink(nullptr);
}

// Registered right after the tracker's own start-up, so the report runs after
// every other static object is gone and just before the tracker's exit step.
struct DiagStartup {
    DiagStartup() {
        g_diag.startNs = MonotonicNs();
        g_diag.processAgeMs = ProcessAgeMs();
        SetMemoryLogSink(MemoryLogToStderr);
        std::atexit(ReportAtExit);
        struct sigaction action {};
        action.sa_handler = RequestSample;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGUSR1, &action, nullptr);
    }
};

__attribute__((init_priority(102))) DiagStartup g_diagStartup;

} // namespace

extern "C" {

bool __wrap__Z19PlatformSwapBuffersv() {
    const bool swapped = __real__Z19PlatformSwapBuffersv();
    if (swapped) {
        ++g_diag.frames;
        if (g_diag.firstFrameMs < 0.0) {
            g_diag.firstFrameMs = NowMs();
            const size_t length =
                FormatDiagFirstFrame(g_diag.line, sizeof g_diag.line, g_diag.firstFrameMs);
            WriteLine(g_diag.line, length);
        }
    }
    return swapped;
}

bool __wrap__Z19PlatformPollMessageP13WindowMessage(WindowMessage *msg) {
    const bool got = __real__Z19PlatformPollMessageP13WindowMessage(msg);
    CheckTimers();
    return got;
}

int __wrap__Z11ShowMessagePKcS0_i(const char *caption, const char *text, int style) {
    const int answer = __real__Z11ShowMessagePKcS0_i(caption, text, style);
    if (!g_diag.questionAnswered) {
        g_diag.questionAnswered = true;
        Say("diag: question-answered-ms=%.3f", NowMs());
        std::atexit(NoteThreadsAfterMain);
    }
    return answer;
}

void __wrap__ZN8CTestbedC1Ev(CTestbed *self) {
    __real__ZN8CTestbedC1Ev(self);
    const char *skip = std::getenv("ML_DIAG_SKIP_INTRO");
    if (skip != nullptr && std::strcmp(skip, "1") == 0) {
        self->m_stage = kPanelStage;
        self->m_stageTime = 0.0f;
    }
}

} // extern "C"
