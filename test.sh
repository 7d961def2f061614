#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless under a
# private Xvfb display: the whole CTest suite, the Linux packages, the
# sanitizer builds, the Windows build under Wine and the browser build in
# headless Chromium.
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

# The browser build: its packages and sources first (apt must not run beside
# the other steps), then the page builds in the background at the lowest
# priority, on what the desktop tests leave of the processors.
web_log=build/web-build.log
web_pid=""
if scripts/build-web.sh --prepare build >"$web_log" 2>&1; then
  # In a session and process group of its own (its id is web_pid), to be
  # reniced or stopped as a whole. Where the kernel schedules sessions as
  # groups, the group's own priority is lowered too.
  setsid sh -c 'echo 19 >/proc/self/autogroup 2>/dev/null || true
                exec nice -n 19 scripts/build-web.sh build' >>"$web_log" 2>&1 </dev/null &
  web_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true; kill -- -$web_pid 2>/dev/null || true; rm -rf "$xvfb_dir"' EXIT
else
  echo "test.sh: the browser build could not be prepared; see $web_log"
fi

status=0
phase() { echo "test.sh: $1 at $((SECONDS / 60)) min $((SECONDS % 60)) s"; }
phase "desktop tests start"
ctest --test-dir build --output-on-failure -j2 --timeout 600 || status=1
phase "desktop tests done"

# The .deb and .tar.gz made from this build: contents, validators, and the
# program started from each.
scripts/test-packages.sh build || status=1
phase "package tests done"

# The same suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# reusing this build's generated assets.
scripts/test-sanitize.sh build build-asan || status=1
phase "sanitizer tests done"

# The tests of state that threads share (the sound library's audio thread,
# the memory tracker's lock, the picture prefetch) under ThreadSanitizer.
scripts/test-tsan.sh build build-tsan || status=1
phase "thread tests done"

# A browser build still running here is being starved by something else
# that keeps the processors busy: from now on it runs at normal priority
# beside the Windows tests or, where this user may not raise a priority, it is
# stopped and the page test builds the rest (what was built is kept).
if [ -n "$web_pid" ] && kill -0 "$web_pid" 2>/dev/null; then
  if ! { renice -n 0 -g "$web_pid" && {
       [ ! -e "/proc/$web_pid/autogroup" ] || echo 0 >"/proc/$web_pid/autogroup"; }; } >/dev/null 2>&1
  then
    kill -- -"$web_pid" 2>/dev/null || true
    wait "$web_pid" 2>/dev/null || true
    web_pid=""
    echo "test.sh: the background browser build was stopped; the page test finishes it"
  else
    echo "test.sh: the background browser build goes on at normal priority"
  fi
fi

# The native Windows build, cross-compiled and run under Wine (it says so and
# skips itself when Wine cannot be installed).
scripts/test-windows.sh build || status=1
phase "Windows tests done"

# The page in headless Chromium, once its background build has ended (the
# test rebuilds nothing then; it says so and skips itself when Emscripten or
# Chromium cannot be installed).
if [ -n "$web_pid" ]; then
  wait "$web_pid" || echo "test.sh: the background browser build did not finish; see $web_log"
fi
scripts/test-web.sh build || status=1
phase "browser tests done"

exit $status
