#!/usr/bin/env bash
# Builds the program and its test suite with -fsanitize=address,undefined and
# runs the tests there: unit and GL tests, fuzz corpus replays, the window
# end-to-end tests and the runs of the diagnostics executable (faults, one of
# them the plain start-to-quit run). Exits non-zero when a test fails or any
# sanitizer report shows up in the output of any test.
#
# Usage: scripts/test-sanitize.sh <normal build dir> [sanitizer build dir]
#   The normal build must be complete: its generated pictures, logo and tracks
#   are reused, so no generator is built or run again here.
#   Default sanitizer build dir: build-asan beside this script's repository.
#   Uses $DISPLAY when set (./test.sh runs a private Xvfb), else starts one.
#
# Left out as pointless under the sanitizers (long real-time or pure number
# crunching runs that the normal build covers): decoding and measuring the
# generated tracks, the music end-to-end runs (real-time audio) and the soak.
# Runs that open a GL window go without leak detection (see
# tests/sanitizer.supp); every other check stays on for them.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || { echo "usage: $0 <normal build dir> [sanitizer build dir]"; exit 2; }
host=$(realpath "$1")
asan=$(realpath -m "${2:-$root/build-asan}")
[ -f "$host/bin/data/TrackA.mp3" ] && [ -d "$host/assets" ] ||
    { echo "$host is not a complete build (no bin/data or assets)"; exit 2; }

start=$(date +%s)
mkdir -p "$asan"
# -O1 with line tables: quicker to build than -O2, still fast enough to run,
# and reports name files and lines.
cmake -S "$root" -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DML_SANITIZE=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1" \
    -DML_HOST_ASSETS="$host" -DML_BUILD_TESTS=ON -DML_BUILD_BENCH=OFF >"$asan/configure.log" ||
    { cat "$asan/configure.log"; exit 1; }
cmake --build "$asan" -j"$(nproc)"
built=$(date +%s)

xvfb_pid=""
xvfb_dir=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$xvfb_dir" ] && rm -rf "$xvfb_dir"
    return 0
}
trap cleanup EXIT
# -noreset: a test that closes its last window and opens another at once
# must not meet the server in the middle of a reset.
if [ -z "${DISPLAY:-}" ]; then
    source "$root/scripts/xvfb.sh"
    xvfb_dir=$(mktemp -d)
    xvfb_start "$xvfb_dir" -noreset
fi
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

# Any report ends the process with a failure code, and the run is not over
# until the output has been searched for reports as well.
asan_common="halt_on_error=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer.supp:print_suppressions=0"

skip='GeneratedTrack\.|^e2e_scene_'
status=0
# run_pass <name> <ASAN_OPTIONS> <ctest selection...>: runs the tests, keeps
# their whole output, shows the failures.
run_pass() {
    local name=$1 options=$2
    shift 2
    local log="$asan/sanitize-$name.log"
    echo "== sanitizer tests: $name"
    if ! ASAN_OPTIONS="$options" ctest --test-dir "$asan" -j2 --timeout 600 -V -E "$skip" "$@" \
        >"$log" 2>&1; then
        status=1
        local failed n
        failed=$(sed -n '/The following tests FAILED/,$p' "$log" | awk '/ - /{print $1}')
        for n in $failed; do
            echo "--- test $n:"
            grep "^$n: " "$log" | tail -n 40
        done
    fi
    grep -E '^[0-9]+% tests passed|^Total Test time' "$log"
    # A report inside a test that still passed (a child process, a script
    # that ignored an exit code) must fail the run too.
    if grep -nE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|SUMMARY: (Address|UndefinedBehavior|Leak)Sanitizer' \
        "$log" >"$asan/sanitize-$name-reports.txt"; then
        echo "Sanitizer reports found ($name):"
        head -n 40 "$asan/sanitize-$name-reports.txt"
        status=1
    fi
}

run_pass plain "$asan_common:detect_leaks=1" -LE 'gl|soak'
run_pass gl "$asan_common:detect_leaks=0" -L gl -LE soak
end=$(date +%s)
echo "sanitizer build: $((built - start)) s, tests: $((end - built)) s, status $status"
exit $status
