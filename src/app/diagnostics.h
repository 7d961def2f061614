#pragma once
// The diagnostics variant of the program (marrowlake_diag) reports on standard
// error what the product keeps to itself. Every line starts with "diag: " and
// holds one fact or space-separated key=value pairs; times are milliseconds
// (monotonic) since the diagnostics started, in a static initialiser before
// main, once the dynamic loader is done (process-age-at-start-ms says how long
// after the process start that was, to the kernel's 10 ms clock tick).
//
//   diag: question-answered-ms=T          once, when the first message box returns
//   diag: first-frame-ms=T                once, when the first frame was swapped
//   diag: underruns-first-second=N        once, one second after the first frame
//   diag: intro-skipped                   once, when ML_DIAG_SKIP_INTRO=1 took effect
//   diag: live-units=N live-bytes=N our-units=N our-bytes=N t-ms=T frames=N underruns=N
//                                         every 10 seconds while the loop runs
//   diag: census ours|outside blocks=N bytes=N caller=0x... in <module>+0x...
//                                         once per SIGUSR1 received: one per caller of
//                                         the live blocks, ours first, then
//   diag: live-units=N ... underruns=N requested
//                                         the sample, marked
//   diag: memlog <line>                   each memory-log line of the tracker
//   at exit, in this order:
//   diag: exit-live-units=N exit-live-bytes=N exit-our-units=N exit-our-bytes=N
//   diag: validate=ok|problems
//   diag: leaks=N
//   diag: leak number=N address=0x... size=N owner=ours|outside caller=0x...
//                                         one per block still live
//   diag: owner ours|outside blocks=N bytes=N caller=0x... <function> at <file:line> in <module>+0x...
//                                         one per caller of those blocks, ours first
//   diag: leak <line>                     lines of the tracker's exit step
//   diag: memlog-errors=N                 "[!]" lines seen during the whole run
//   diag: frames=N
//   diag: underruns=N
//   diag: threads-after-main=N names=a,b  threads alive when main returned,
//                                         -1 when main never returned
//   diag: process-age-at-start-ms=T       -1 when unknown
//   diag: t-start-ms=0.000 t-first-frame-ms=T t-exit-ms=T
//
// With ML_DIAG_SKIP_INTRO=1 in the environment the scene starts at its control
// panel. The product reads no environment variable.

#include <cstddef>
#include <cstdint>

// Time between two periodic samples (milliseconds).
constexpr double kDiagSamplePeriodMs = 10000.0;

// Formatters of the report lines: each writes one NUL-terminated line ending
// in '\n' into out (truncated to outBytes - 1 characters) and returns its
// length without the NUL.
// "our" counts the live blocks whose caller is this executable's code
// (diagnostics_owners.h); the rest belong to libraries.
size_t FormatDiagSample(char *out, size_t outBytes, uint32_t liveUnits, uint64_t liveBytes,
                        uint32_t ourUnits, uint64_t ourBytes, double tMs, uint64_t frames,
                        uint32_t underruns);
size_t FormatDiagFirstFrame(char *out, size_t outBytes, double tMs);
size_t FormatDiagPrefixed(char *out, size_t outBytes, const char *tag, const char *text);

// True when a memory-log line reports a problem ("[!]" prefix).
bool IsDiagErrorLine(const char *line);

// When the sample after one due at dueMs and taken at sampledMs is due: the
// next point of the 10-second grid after sampledMs, so a late sample (a busy
// machine) neither bunches the following ones nor shifts the grid.
double NextDiagSampleMs(double sampledMs, double dueMs);
