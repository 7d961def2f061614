#!/usr/bin/env bash
# Serves the page scripts/build-web.sh built, on this machine only.
# Usage: scripts/serve-web.sh [port, default 8080]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
page=$root/build-web
if [ ! -f "$page/index.html" ] || [ ! -f "$page/marrowlake.wasm" ]; then
  echo "serve-web: no page in $page; run scripts/build-web.sh first" >&2
  exit 1
fi
port=${1:-8080}
echo "serve-web: http://127.0.0.1:$port/"
cd "$page"
exec python3 -m http.server "$port" --bind 127.0.0.1
