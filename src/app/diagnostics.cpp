// The diagnostics variant: the product's own objects, plus shell hooks
// (app/shell_hooks.h) installed before main:
//   questionAnswered  time the size question was answered
//   sceneCreated      optional skip of the intro
//   loopPass          runs every loop pass, minimised too: periodic samples
//   frameSwapped      counts frames, first-frame time
// and the tracker that records each block's caller, so the report names the
// owners of the blocks still live (app/diagnostics_owners.h).
// The report goes to standard error with write(2), one call per line, so
// lines never interleave with other output.
#include "app/diagnostics.h"

#include "app/diagnostics_owners.h"
#include "app/shell_hooks.h"
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

namespace {

constexpr size_t kLineBytes = 512;
constexpr size_t kOwnerTextBytes = 320;
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
    LiveUnitInfo *units = nullptr;  // the last snapshot of the live blocks (malloc)
    size_t unitCapacity = 0;
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

// Copies the live blocks into g_diag.units (malloc'd, never the tracked
// heap) and returns how many there are; 0 when no room could be had.
size_t SnapshotUnits() {
    for (;;) {
        const size_t count = GetLiveUnits(g_diag.units, g_diag.unitCapacity);
        if (count <= g_diag.unitCapacity)
            return count;
        const size_t capacity = count + count / 2 + 256;
        void *grown = std::realloc(g_diag.units, capacity * sizeof(LiveUnitInfo));
        if (grown == nullptr)
            return 0;
        g_diag.units = static_cast<LiveUnitInfo *>(grown);
        g_diag.unitCapacity = capacity;
    }
}

struct UnitCount {
    uint32_t units = 0, ourUnits = 0;
    uint64_t bytes = 0, ourBytes = 0;
};

UnitCount CountUnits(size_t count) {
    UnitCount census;
    for (size_t i = 0; i < count; ++i) {
        const LiveUnitInfo &unit = g_diag.units[i];
        ++census.units;
        census.bytes += unit.size;
        if (IsOurCode(unit.caller)) {
            ++census.ourUnits;
            census.ourBytes += unit.size;
        }
    }
    return census;
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

// One sample line; when requested, the census by caller before it.
void Sample(double nowMs, bool requested);

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

// One caller of live blocks, for the owner lines.
struct Owner {
    const void *caller;
    uint32_t blocks;
    uint64_t bytes;
    bool ours;
};

int ByCaller(const void *a, const void *b) {
    const uintptr_t x = reinterpret_cast<uintptr_t>(static_cast<const LiveUnitInfo *>(a)->caller);
    const uintptr_t y = reinterpret_cast<uintptr_t>(static_cast<const LiveUnitInfo *>(b)->caller);
    return x < y ? -1 : x > y ? 1 : 0;
}

// Ours first, then the most blocks first.
int ByWeight(const void *a, const void *b) {
    const Owner *x = static_cast<const Owner *>(a);
    const Owner *y = static_cast<const Owner *>(b);
    if (x->ours != y->ours)
        return x->ours ? -1 : 1;
    return x->blocks > y->blocks ? -1 : x->blocks < y->blocks ? 1 : 0;
}

// Groups the snapshot's first count blocks by caller into owners (room for
// count), ours first, then the most blocks first; returns how many.
size_t GroupByCaller(size_t count, Owner *owners) {
    std::qsort(g_diag.units, count, sizeof(LiveUnitInfo), ByCaller);
    size_t ownerCount = 0;
    for (size_t i = 0; i < count; ++i) {
        const LiveUnitInfo &unit = g_diag.units[i];
        if (ownerCount == 0 || owners[ownerCount - 1].caller != unit.caller)
            owners[ownerCount++] = Owner{unit.caller, 0, 0, IsOurCode(unit.caller)};
        ++owners[ownerCount - 1].blocks;
        owners[ownerCount - 1].bytes += unit.size;
    }
    std::qsort(owners, ownerCount, sizeof(Owner), ByWeight);
    return ownerCount;
}

// One line per caller of the snapshot's blocks, named by module and offset
// only (quick; the exit report names functions and lines).
void Census(size_t count) {
    Owner *owners = static_cast<Owner *>(std::calloc(count + 1, sizeof(Owner)));
    if (owners == nullptr)
        return;
    const size_t ownerCount = GroupByCaller(count, owners);
    char where[kOwnerTextBytes];
    for (size_t i = 0; i < ownerCount; ++i) {
        Say("diag: census %s blocks=%" PRIu32 " bytes=%" PRIu64 " caller=%p in %s",
            owners[i].ours ? "ours" : "outside", owners[i].blocks, owners[i].bytes,
            owners[i].caller, CodeModuleOffset(owners[i].caller, where, sizeof where));
    }
    std::free(owners);
}

// Lists the blocks of the snapshot, then one line per caller, resolved to a
// function and line.
void ListLiveBlocks(size_t count) {
    Say("diag: leaks=%zu", count);
    for (size_t i = 0; i < count; ++i) {
        const LiveUnitInfo &unit = g_diag.units[i];
        Say("diag: leak number=%" PRIu32 " address=%p size=%" PRIu32 " owner=%s caller=%p",
            unit.number, unit.address, unit.size, IsOurCode(unit.caller) ? "ours" : "outside",
            unit.caller);
    }
    Owner *owners = static_cast<Owner *>(std::calloc(count + 1, sizeof(Owner)));
    const void **callers = static_cast<const void **>(std::calloc(count + 1, sizeof(void *)));
    char *texts = static_cast<char *>(std::calloc(count + 1, kOwnerTextBytes));
    if (owners == nullptr || callers == nullptr || texts == nullptr)
        count = 0;
    const size_t ownerCount = GroupByCaller(count, owners);
    for (size_t i = 0; i < ownerCount; ++i)
        callers[i] = owners[i].caller;
    DescribeCode(callers, ownerCount, texts, kOwnerTextBytes);
    for (size_t i = 0; i < ownerCount; ++i) {
        Say("diag: owner %s blocks=%" PRIu32 " bytes=%" PRIu64 " caller=%p %s",
            owners[i].ours ? "ours" : "outside", owners[i].blocks, owners[i].bytes,
            owners[i].caller, texts + i * kOwnerTextBytes);
    }
    std::free(owners);
    std::free(callers);
    std::free(texts);
}

void Sample(double nowMs, bool requested) {
    const size_t count = SnapshotUnits();
    const UnitCount census = CountUnits(count);
    // The census comes first: a reader that sees the sample line has it whole.
    if (requested)
        Census(count);
    size_t length = FormatDiagSample(g_diag.line, sizeof g_diag.line, census.units, census.bytes,
                                     census.ourUnits, census.ourBytes, nowMs, g_diag.frames,
                                     SndGetUnderrunCount());
    if (requested && length > 0 && length + 10 < sizeof g_diag.line) {
        std::memcpy(g_diag.line + length - 1, " requested\n", 12);
        length += 10;
    }
    WriteLine(g_diag.line, length);
}

void ReportAtExit() {
    const double exitMs = NowMs();
    const size_t count = SnapshotUnits();
    const UnitCount census = CountUnits(count);
    Say("diag: exit-live-units=%" PRIu32 " exit-live-bytes=%" PRIu64 " exit-our-units=%" PRIu32
        " exit-our-bytes=%" PRIu64,
        census.units, census.bytes, census.ourUnits, census.ourBytes);
    const bool problems = ValidateAllUnits();
    Say("diag: validate=%s", problems ? "problems" : "ok");
    ListLiveBlocks(count);
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

void OnQuestionAnswered() {
    if (!g_diag.questionAnswered) {
        g_diag.questionAnswered = true;
        Say("diag: question-answered-ms=%.3f", NowMs());
        std::atexit(NoteThreadsAfterMain);
    }
}

void OnSceneCreated(CTestbed *scene) {
    const char *skip = std::getenv("ML_DIAG_SKIP_INTRO");
    if (skip != nullptr && std::strcmp(skip, "1") == 0) {
        scene->m_stage = kPanelStage;
        scene->m_stageTime = 0.0f;
        Say("diag: intro-skipped");
    }
}

void OnFrameSwapped(bool shown) {
    if (!shown)
        return;
    ++g_diag.frames;
    if (g_diag.firstFrameMs < 0.0) {
        g_diag.firstFrameMs = NowMs();
        const size_t length =
            FormatDiagFirstFrame(g_diag.line, sizeof g_diag.line, g_diag.firstFrameMs);
        WriteLine(g_diag.line, length);
    }
}

// Registered right after the tracker's own start-up, so the report runs after
// every other static object is gone and just before the tracker's exit step.
struct DiagStartup {
    DiagStartup() {
        g_diag.startNs = MonotonicNs();
        g_diag.processAgeMs = ProcessAgeMs();
        FindOurCode();
        SetMemoryLogSink(MemoryLogToStderr);
        std::atexit(ReportAtExit);
        struct sigaction action {};
        action.sa_handler = RequestSample;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGUSR1, &action, nullptr);
        SetShellHooks(ShellHooks{OnQuestionAnswered, OnSceneCreated, CheckTimers, OnFrameSwapped});
    }
};

__attribute__((init_priority(102))) DiagStartup g_diagStartup;

} // namespace
