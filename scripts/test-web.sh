#!/usr/bin/env bash
# Builds the page (scripts/build-web.sh) and runs its end-to-end tests in
# headless Chromium (tests/web/web_page_test.py, and stream_input_test.py for
# track downloads that fail).
# Usage: scripts/test-web.sh [host build folder, default build]
# Exits 0 with a notice, testing nothing, when the toolchain or the browser
# cannot be installed on this machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
host=${1:-$root/build}

if ! "$root/scripts/build-web.sh" "$host"; then
  if ! command -v emcc >/dev/null || ! command -v chromium >/dev/null; then
    echo "test-web: SKIPPED, Emscripten or Chromium could not be installed here"
    exit 0
  fi
  echo "test-web: the page did not build" >&2
  exit 1
fi
# Debian's python3, which has python3-websocket.
status=0
/usr/bin/python3 "$root/tests/web/web_page_test.py" "$root/build-web" "$(cd "$host" && pwd)" ||
  status=1
/usr/bin/python3 "$root/tests/web/stream_input_test.py" "$root/build-web" || status=1
exit $status
