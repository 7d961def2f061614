#!/usr/bin/env bash
# Runs a Windows program under Wine (the cross build's emulator for CTest, and
# the end-to-end runs of scripts/test-windows.sh). The caller chooses the
# prefix (WINEPREFIX); Wine's own chatter is off and carriage returns are
# dropped so that test listings parse as on Linux.
#
# A program is never run twice, with one exception: when Wine failed to start
# the process at all (the program printed nothing and Wine's loader or server
# said why, see wine_start_failure), it is started once more, and a line is
# appended to the file named by ML_WINE_RESTARTS (when set) so that the caller
# can count and report such restarts. A program that started and then failed,
# crashed or hung is not run again.
set -o pipefail
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# wine_start_failure <stderr file>: prints Wine's message when the file says
# the process never started. These come from Wine's loader and its server
# connection before the program's own code runs; a crash of the program
# ("wine: Unhandled page fault ...") is not among them.
wine_start_failure() {
  grep -m1 -E '^(wine: (could not|cannot|failed to|chdir)|wine client error|wineserver: )' "$1" |
    grep -v -i 'unhandled'
}

out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
for attempt in 1 2; do
  wine "$@" 2>"$err" | tee "$out" | tr -d '\r'
  code=$?
  tr -d '\r' <"$err" >&2
  if [ "$code" != 0 ] && [ "$attempt" = 1 ] && [ ! -s "$out" ] &&
     message=$(wine_start_failure "$err"); then
    echo "wine-run: Wine did not start $1 ($message); starting it once more" >&2
    [ -z "${ML_WINE_RESTARTS:-}" ] || echo "$1: $message" >>"$ML_WINE_RESTARTS"
    continue
  fi
  break
done
exit "$code"
