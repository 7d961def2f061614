#!/usr/bin/env bash
# The long soak run by hand: 30 minutes of random use of the diagnostics
# executable on a private X server (tests/soak/soak_run.sh), then its checks.
# Usage: scripts/soak.sh [build dir] [seconds] [seed]
#   build dir  default build; its marrowlake_diag, ml_send_close and tracks
#              are built first when missing or out of date
#   seconds    default 1800
#   seed       default from the clock; printed, so a run can be repeated
# SOAK_UNDERRUNS sets the audio underruns tolerated after the first second
# (default 0).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
seconds=${2:-1800}
seed=${3:-}

[ -f "$build/CMakeCache.txt" ] ||
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DML_BUILD_TESTS=ON
cmake --build "$build" --target marrowlake_diag ml_send_close ml_music -j"$(nproc)"

exec bash "$root/tests/soak/soak_run.sh" "$seconds" "$build/bin/marrowlake_diag" \
    "$build/tests/e2e/ml_send_close" "$build/bin/data" $seed
