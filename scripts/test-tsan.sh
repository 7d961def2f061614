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

[ $# -ge 1 ] || { echo "usage: $0 <normal build dir> [tsan build dir]"; exit 2; }
source "$(dirname "$0")/sanitized-build.sh"
tsan=$(realpath -m "${2:-$root/build-tsan}")
sanitized_build "$1" "$tsan" -DML_TSAN=ON --target ml_thread_tests

# Any report ends the process with a failure code, and the output is searched
# for reports as well (a report in a child process, or one a test ignored).
export TSAN_OPTIONS="halt_on_error=1:exitcode=66:second_deadlock_stack=1:suppressions=$root/tests/tsan.supp"

echo "== ThreadSanitizer tests"
sanitized_run "$tsan/tsan.log" 'WARNING: ThreadSanitizer|ERROR: ThreadSanitizer|SUMMARY: ThreadSanitizer' \
    "$tsan/tsan-reports.txt" --test-dir "$tsan" -L threads
end=$(date +%s)
echo "tsan build: $((built - start)) s, tests: $((end - built)) s, status $status"
exit $status
