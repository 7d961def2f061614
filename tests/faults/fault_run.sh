#!/usr/bin/env bash
# Starts the diagnostics executable with one thing wrong and expects it to go
# on with what it has: the panel (intro skipped), every button pressed, frames
# for a few seconds, then the quit button (or, without a display, the messages
# on standard error), exit code 0, a clean memory validation.
# Usage: fault_run.sh <case> <marrowlake_diag> <ml_send_close> <data dir>
#   normal      all four tracks in place
#   nodata      no data/ folder
#   emptytrack  data/TrackA.mp3 has zero bytes (side A plays at start)
#   notmp3      data/TrackB.mp3 is text (reached with next)
#   unreadable  data/TrackA.mp3 is a folder: opening works, every read fails
#               (tests run as root, where chmod 000 does not stop reading)
#   noaudio     SDL_AUDIODRIVER=nonexistent: no output device at all
#   nodisplay   no X display: the size question and the window failure go to
#               standard error
set -uo pipefail
case_name=$1
program=$2
source "$(dirname "$0")/../support/e2e_harness.sh"
link_tracks "$4"
audio=(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null)

case "$case_name" in
    normal) ;;
    nodata) rm -r "$work/data" ;;
    emptytrack) rm "$work/data/TrackA.mp3" && : >"$work/data/TrackA.mp3" ;;
    notmp3) rm "$work/data/TrackB.mp3" && seq -f 'This is not an MP3 file, line %g.' 200 >"$work/data/TrackB.mp3" ;;
    unreadable) rm "$work/data/TrackA.mp3" && mkdir "$work/data/TrackA.mp3" ;;
    noaudio) audio=(SDL_AUDIODRIVER=nonexistent) ;;
    nodisplay)
        run_without_display "${audio[@]}"
        # Which step fails depends on the video drivers SDL falls back to.
        case "$failure" in
            "Failed to register the window class." | "Window creation error." | \
                "Can't find a suitable PixelFormat." | "Can't create a GL rendering context." | \
                "Can't activate the GL rendering context.") ;;
            *) fail "no window failure message after \"ERROR\"" ;;
        esac
        [ "$(diag_value frames)" = 0 ] || fail "frames without a window"
        check_report
        echo "PASS: nodisplay, exit 0, \"$failure\" on standard error, validate ok"
        exit 0
        ;;
    *) echo "unknown case $case_name"; exit 2 ;;
esac

start_diag "${audio[@]}"
visit_every_state
running || fail "ended before the quit button"
quit_by_button
wait_exit 100 || fail "still running 10 s after the quit button"
check_report
frames=$(diag_value frames)
[ "$frames" -ge 50 ] || fail "only $frames frames"
echo "PASS: $case_name, $frames frames, exit 0, validate ok, underruns $(diag_value underruns)"
