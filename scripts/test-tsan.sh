#!/usr/bin/env bash
# Builds the tests of state that threads share with -fsanitize=thread and runs
# them: the sound library's hand-off between the control side and the audio
# thread (through the test device and through SDL), the memory tracker's lock,
# the picture prefetch and the scene that starts it. Exits non-zero when a
# test fails or any ThreadSanitizer report shows up in the output of any test.
#
# Usage: scripts/test-tsan.sh <normal build dir> [tsan build dir]
#   The normal build must be complete: its generated pictures, logo and tracks
#   are reused, so no generator is built or run again here.
#   Default tsan build dir: build-tsan beside this script's repository.
#   Uses $DISPLAY when set (./test.sh runs a private Xvfb), else starts one.
#
# Only the targets those tests need are built (ml_thread_tests; the tests
# carry the label threads). Reports from inside system libraries we cannot
# rebuild are suppressed by library in tests/tsan.supp; nothing of ours is.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || { echo "usage: $0 <normal build dir> [tsan build dir]"; exit 2; }
host=$(realpath "$1")
tsan=$(realpath -m "${2:-$root/build-tsan}")
[ -f "$host/bin/data/TrackA.mp3" ] && [ -d "$host/assets" ] ||
    { echo "$host is not a complete build (no bin/data or assets)"; exit 2; }

start=$(date +%s)
mkdir -p "$tsan"
# -O1 with line tables: quicker to build than -O2, still fast enough to run,
# and reports name files and lines.
cmake -S "$root" -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DML_TSAN=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1" \
    -DML_HOST_ASSETS="$host" -DML_BUILD_TESTS=ON -DML_BUILD_BENCH=OFF >"$tsan/configure.log" ||
    { cat "$tsan/configure.log"; exit 1; }
cmake --build "$tsan" --target ml_thread_tests -j"$(nproc)"
built=$(date +%s)

xvfb_pid=""
xvfb_dir=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$xvfb_dir" ] && rm -rf "$xvfb_dir"
    return 0
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    source "$root/scripts/xvfb.sh"
    xvfb_dir=$(mktemp -d)
    xvfb_start "$xvfb_dir" -noreset
fi
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

# Any report ends the process with a failure code, and the output is searched
# for reports as well (a report in a child process, or one a test ignored).
export TSAN_OPTIONS="halt_on_error=1:exitcode=66:second_deadlock_stack=1:suppressions=$root/tests/tsan.supp"

log="$tsan/tsan.log"
status=0
echo "== ThreadSanitizer tests"
if ! ctest --test-dir "$tsan" -j2 --timeout 600 -V -L threads >"$log" 2>&1; then
    status=1
    failed=$(sed -n '/The following tests FAILED/,$p' "$log" | awk '/ - /{print $1}')
    for n in $failed; do
        echo "--- test $n:"
        grep "^$n: " "$log" | tail -n 60
    done
fi
grep -E '^[0-9]+% tests passed|^Total Test time' "$log"
if grep -nE 'WARNING: ThreadSanitizer|ERROR: ThreadSanitizer|SUMMARY: ThreadSanitizer' \
    "$log" >"$tsan/tsan-reports.txt"; then
    echo "ThreadSanitizer reports found:"
    head -n 40 "$tsan/tsan-reports.txt"
    status=1
fi
end=$(date +%s)
echo "tsan build: $((built - start)) s, tests: $((end - built)) s, status $status"
exit $status
