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

[ $# -ge 1 ] || { echo "usage: $0 <normal build dir> [sanitizer build dir]"; exit 2; }
source "$(dirname "$0")/sanitized-build.sh"
asan=$(realpath -m "${2:-$root/build-asan}")
sanitized_build "$1" "$asan" -DML_SANITIZE=ON

# Any report ends the process with a failure code, and the run is not over
# until the output has been searched for reports as well.
asan_common="halt_on_error=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer.supp:print_suppressions=0"

skip='GeneratedTrack\.|^e2e_scene_'
# run_pass <name> <ASAN_OPTIONS> <ctest selection...>
run_pass() {
    local name=$1 options=$2
    shift 2
    echo "== sanitizer tests: $name"
    ASAN_OPTIONS="$options" sanitized_run "$asan/sanitize-$name.log" \
        'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|SUMMARY: (Address|UndefinedBehavior|Leak)Sanitizer' \
        "$asan/sanitize-$name-reports.txt" --test-dir "$asan" -E "$skip" "$@"
}

run_pass plain "$asan_common:detect_leaks=1" -LE 'gl|soak'
run_pass gl "$asan_common:detect_leaks=0" -L gl -LE soak
end=$(date +%s)
echo "sanitizer build: $((built - start)) s, tests: $((end - built)) s, status $status"
exit $status
