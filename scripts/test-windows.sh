#!/usr/bin/env bash
# Cross-builds marrowlake.exe and a representative set of unit tests for
# 64-bit Windows and runs them under Wine, then drives the program end to end:
# the size question, the window's client size and title, the sound of side A
# through a private PulseAudio null sink, a click on next, and the quit button
# with exit code 0; then packs the .zip and runs the unpacked program at
# 800x600 the same way; then starts and ends the program ten times more (both
# sizes, by the quit button and by a close request), each time expecting exit
# code 0 and no crash report.
#
# Nothing is run twice, except a Wine process that failed to start at all
# (scripts/wine-run.sh); such restarts are counted in the summary line.
#
#   scripts/test-windows.sh <host build dir>
#
# The host build dir (e.g. build-winhost) provides the generated pictures,
# logo and music; it is configured when missing. Ends with a line
# "windows: N passed, M failed, R restarts"; exits non-zero on failure, 0 with
# a notice when Wine cannot be installed here.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
if [ $# -ne 1 ]; then
  echo "usage: scripts/test-windows.sh <host build dir>" >&2
  exit 2
fi
host=$(realpath -m "$1")
cross="$root/build-win"

packages="g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev wine wine64
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good fonts-wine pulseaudio pulseaudio-utils
  sox xvfb xfonts-base xdotool x11-utils python3"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  if [ "$(id -u)" != 0 ] || ! { apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -qq --no-install-recommends $missing >/dev/null; }; then
    echo "test-windows: cannot install$missing; Windows tests skipped"
    echo "windows: 0 passed, 0 failed, 0 restarts (skipped)"
    exit 0
  fi
fi

# Host assets, then the cross build.
[ -f "$host/CMakeCache.txt" ] || cmake -S . -B "$host" -DCMAKE_BUILD_TYPE=Release
cmake --build "$host" --target ml_art logo_assets ml_icons ml_music ml_e2e_audio ml_send_close -j2
cmake -S . -B "$cross" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DML_HOST_ASSETS="$host" -DML_BUILD_BENCH=OFF >/dev/null
tests="math_vector_test math_matrix_test math_camera_test memory_tests app_registry_test
  app_input_test app_timer_test app_message_style_test app_resources_test render_font_test
  render_texture_test"
cmake --build "$cross" --target marrowlake ml_music $tests -j2

work=$(mktemp -d)
"$host/tests/e2e_scene/ml_e2e_audio" decode "$host/bin/data/TrackB.mp3" "$work/TrackB.raw"
pids=""
passed=0
failed=0
# One line per Wine process that failed to start and was started again.
export ML_WINE_RESTARTS="$work/restarts"
: >"$ML_WINE_RESTARTS"
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
  local restarts
  restarts=$(wc -l <"$ML_WINE_RESTARTS")
  [ "$restarts" = 0 ] || sed 's/^/restarted: /' "$ML_WINE_RESTARTS"
  rm -rf "$work"
  echo "windows: $passed passed, $failed failed, $restarts restarts"
}
trap cleanup EXIT
ok() { echo "ok: $*"; passed=$((passed + 1)); }

# A private X server.
source scripts/xvfb.sh
xvfb_start "$work" || exit 1
pids="$pids $xvfb_pid"

# A private Wine prefix whose windows are not managed (without a window
# manager Wine would otherwise wait on every window change).
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >"$work/wineboot.log" 2>&1
# A crash prints its report (the debugger's backtrace) into the program's
# output and ends the process, instead of waiting on a dialog nobody answers.
cat >"$work/settings.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
EOF
wine regedit "$work/settings.reg" >/dev/null 2>&1

# A private sound server with a null sink to record from.
export XDG_RUNTIME_DIR="$work/pulse" PULSE_SERVER="unix:$work/pulse/native"
mkdir -p "$XDG_RUNTIME_DIR"
HOME="$work" pulseaudio -n --daemonize=no --use-pid-file=no --exit-idle-time=-1 \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$work/pulse/native" \
  -L "module-null-sink sink_name=capture rate=44100" >"$work/pulse.log" 2>&1 &
pids="$pids $!"
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done

echo "== unit tests under Wine"
ctest --test-dir "$cross" -L cross --output-on-failure -j2 --timeout 300 | tee "$work/ctest.log" || true
read -r unit_failed unit_total <<<"$(awk '/tests failed out of/{print $(NF-5), $NF}' "$work/ctest.log")" || true
if [ -z "$unit_total" ] || [ "$unit_total" = 0 ]; then
  echo "FAIL: no unit test ran"
  failed=$((failed + 1))
else
  passed=$((passed + unit_total - unit_failed))
  failed=$((failed + unit_failed))
fi

echo "== resources of marrowlake.exe"
check_exe_resources() { # the icon (16 to 256 px) and version information Explorer shows
  if python3 scripts/pe-resources.py "$cross/bin/marrowlake.exe"; then
    ok "marrowlake.exe: icon and version resources"
  else
    echo "FAIL: marrowlake.exe lacks its icon or version resources"
    failed=$((failed + 1))
  fi
}
check_exe_resources

echo "== end to end: marrowlake.exe"
# A failed end-to-end step ends the script (a cycle: its subshell): later
# steps depend on it.
fail() {
  echo "FAIL: $*"
  failed=$((failed + 1))
  local log=$work/${run:-}.log
  [ -s "$log" ] && { echo "--- $log"; tr -d '\r' <"$log" | tail -20; }
  exit 1
}
find_window() { # name pattern -> X window id
  for _ in $(seq 120); do
    id=$(xwininfo -root -tree 2>/dev/null | awk -v n="$1" '$0 ~ n {print $1; exit}')
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.25
  done
  return 1
}
geometry() { # id -> "x y w h"
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
    /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}
click() { xdotool mousemove "$1" "$2"; sleep 0.1; xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; }
level() { # raw capture, start s, length s -> RMS in dB (integer)
  sox -t raw -r 44100 -e signed -b 16 -c 2 "$1" -n trim "$2" "$3" stats 2>&1 |
    awk '/RMS lev dB/{v=$4; if (v=="-inf") v=-200; printf "%d\n", v}'
}
record() { # raw file: records the null sink until stop_recording
  parec -d capture.monitor --format=s16le --rate=44100 --channels=2 --raw >"$1" &
  parec_pid=$!
  pids="$pids $parec_pid"
}
stop_recording() { kill "$parec_pid" 2>/dev/null || true; wait "$parec_pid" 2>/dev/null || true; }
# Panel buttons in picture pixels (1024 wide), scaled to the client area,
# which starts one pixel inside the window (the static edge).
at() { echo $((wx + 1 + $1 * client_w / 1024)) $((wy + 1 + $2 * client_w / 1024)); }

# start <run> <folder> <answer key> <client w> <client h>: starts the program
# from the folder, answers the size question and checks the window.
start() {
  run=$1
  rm -f "$work/$run.rc"
  (cd "$2" && "$root/scripts/wine-run.sh" marrowlake.exe >"$work/$run.log" 2>&1
   echo $? >"$work/$run.rc") &
  box=$(find_window '"Resolution"') || fail "$run: no size question"
  read -r bx by _ _ <<<"$(geometry "$box")"
  xdotool mousemove $((bx + 30)) $((by + 30))
  sleep 0.3
  xdotool key "$3"
  xdotool keyup n Return
  win=$(find_window '"Ondu - Marrowlake"') || fail "$run: no main window"
  read -r wx wy ww wh <<<"$(geometry "$win")"
  client_w=$4
  [ "$ww" = $(($4 + 2)) ] && [ "$wh" = $(($5 + 2)) ] || fail "$run: $4x$5 window is ${ww}x${wh}"
  ok "$run: window ${4}x$5 client at $wx,$wy"
}
# crash_report <log>: prints what Wine or the shell said about a crash.
crash_report() {
  tr -d '\r' <"$1" | grep -i -m5 -E \
    'unhandled|exception|backtrace|starting debugger|page fault|segmentation fault|abort|assert|wine client error'
}
# ended <run> <what>: the program ended within 30 s of <what>, with exit code 0
# and no crash report.
ended() {
  for _ in $(seq 150); do [ -f "$work/$1.rc" ] && break; sleep 0.2; done
  if [ ! -f "$work/$1.rc" ]; then
    # An open window means the program never began to end (the request was
    # not taken); a closed one, that it is stuck on its way out.
    local state="its window is gone"
    if xwininfo -root -tree 2>/dev/null | grep -q '"Ondu - Marrowlake"'; then
      state="its window is still open"
      if [ "$2" = "quit button" ]; then
        # Not a second try (the step has failed): tells a click the program
        # did not see from a program that no longer takes clicks.
        xdotool mousedown 1; sleep 0.3; xdotool mouseup 1
        sleep 5
        if [ -f "$work/$1.rc" ]; then state="$state; a second, longer press ended it"
        else state="$state; a second, longer press did not end it either"; fi
      fi
    fi
    fail "$1: $2 did not end the program within 30 s ($state)"
  fi
  [ "$(cat "$work/$1.rc")" = 0 ] || fail "$1: exit code $(cat "$work/$1.rc") after $2"
  ! report=$(crash_report "$work/$1.log") || fail "$1: crash report after $2: $report"
  ok "$1: $2, exit code 0, no crash report"
}
# quit <run>: the panel's quit button ends the program.
quit() {
  click $(at 110 728)
  ended "$1" "quit button"
}
# close <run>: a close request (as a window manager or task bar sends it) ends
# the program.
close() {
  "$host/tests/e2e/ml_send_close" "$win" || fail "$1: close request not sent"
  ended "$1" "close request"
}

# Run 1, from the build folder: answer No (1024x768), let side A play through
# the intro, click next, quit by the button.
record "$work/a.raw"
start run1 "$cross/bin" n 1024 768
sleep 33 # intro, then the panel is in place
stop_recording
a_level=$(level "$work/a.raw" 5 20)
[ "$a_level" -gt -60 ] || fail "run1: side A silent (RMS ${a_level} dB)"
ok "run1: side A heard, RMS ${a_level} dB"

# Next: side B starts at once, from its beginning. The capture's loudness
# envelope must follow that of side B's opening seconds (decoded on the host),
# starting shortly after the click.
record "$work/b.raw"
sleep 1
click $(at 537 392)
sleep 6
stop_recording
b_level=$(level "$work/b.raw" 2 4)
[ "$b_level" -gt -60 ] || fail "run1: silent after next (RMS ${b_level} dB)"
read -r b_start b_corr <<<"$(python3 scripts/envelope-match.py "$work/b.raw" "$work/TrackB.raw" 4)" || true
awk -v s="$b_start" -v c="$b_corr" 'BEGIN{exit !(c >= 0.7 && s >= 0.5 && s <= 3)}' ||
  fail "run1: after next, side B's opening not heard (best match at ${b_start} s, r=${b_corr})"
ok "run1: next started side B from its beginning (${b_start} s into the capture, r=${b_corr})"
quit run1

# Run 2, from the unpacked .zip: answer Yes (800x600), side A heard (the
# tracks are found in the package's data folder), quit by the button.
echo "== package: .zip"
(cd "$cross" && cpack -G ZIP >"$work/cpack.log" 2>&1) || fail "cpack: $(tail -3 "$work/cpack.log")"
zip=$(ls "$cross"/marrowlake-*-win64.zip)
mkdir -p "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$zip")
unpacked=$(ls -d "$work"/zip/marrowlake-*-win64)
for f in marrowlake.exe README.txt data/TrackA.mp3 data/TrackB.mp3 data/TrackC.mp3 data/TrackD.mp3; do
  [ -f "$unpacked/$f" ] || fail "zip: $f missing"
done
ok "zip: marrowlake.exe, README.txt and data/TrackA.mp3 to TrackD.mp3"
record "$work/c.raw"
start run2 "$unpacked" Return 800 600
sleep 33
stop_recording
c_level=$(level "$work/c.raw" 5 20)
[ "$c_level" -gt -60 ] || fail "run2: side A silent (RMS ${c_level} dB)"
ok "run2: side A heard, RMS ${c_level} dB"
quit run2

# Start/quit cycles: the program must end cleanly every time, whatever its
# audio and decoder threads are doing. A cycle runs in a subshell, so that a
# failed one (fail) is counted and the next still runs on a fresh server.
echo "== start/quit cycles"
cycle=0
#        folder     answer w    h   runs (s) ends by
while read -r folder answer w h runs how; do
  cycle=$((cycle + 1))
  dir=$cross/bin
  [ "$folder" = zip ] && dir=$unpacked
  if ( start "cycle$cycle" "$dir" "$answer" "$w" "$h"
       sleep "$runs"
       "$how" "cycle$cycle" ); then
    ok "cycle $cycle: ${w}x$h from $folder, $how after $runs s: exit code 0, no crash report"
  else
    failed=$((failed + 1))
    # Whatever is left of the program goes with the server.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
done <<'EOF'
bin n      1024 768 4  close
zip Return 800  600 2  close
bin Return 800  600 33 quit
zip n      1024 768 33 quit
bin n      1024 768 1  close
zip Return 800  600 6  close
bin Return 800  600 3  close
zip n      1024 768 5  close
bin n      1024 768 33 quit
zip Return 800  600 33 quit
EOF
[ "$failed" = 0 ] || exit 1
