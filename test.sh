#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless under a
# private Xvfb display: the whole CTest suite, the Linux packages, the
# sanitizer builds and the Windows build under Wine.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DML_BUILD_TESTS=ON -DML_BUILD_BENCH=ON
cmake --build build -j"$(nproc)"

# A private X server; -noreset keeps it from resetting between test programs.
source scripts/xvfb.sh
xvfb_dir=$(mktemp -d)
trap 'kill $xvfb_pid 2>/dev/null || true; rm -rf "$xvfb_dir"' EXIT
xvfb_start "$xvfb_dir" -noreset
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

status=0
ctest --test-dir build --output-on-failure -j2 --timeout 600 || status=1

# The .deb and .tar.gz made from this build: contents, validators, and the
# program started from each.
scripts/test-packages.sh build || status=1

# The same suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# reusing this build's generated assets.
scripts/test-sanitize.sh build build-asan || status=1

# The tests of state that threads share (the sound library's audio thread,
# the memory tracker's lock, the picture prefetch) under ThreadSanitizer.
scripts/test-tsan.sh build build-tsan || status=1

# The native Windows build, cross-compiled and run under Wine (it says so and
# skips itself when Wine cannot be installed).
scripts/test-windows.sh build || status=1

exit $status
