#!/usr/bin/env bash
# Starts the diagnostics executable with one thing wrong; it must go on with
# what it has: every button pressed, frames, then the quit button (without a
# display: the messages on standard error), exit code 0, clean validation.
# Usage: fault_run.sh <case> <marrowlake_diag> <ml_send_close> <data dir>
# unreadable: TrackA.mp3 is a folder (opening works, reads fail; as root
# chmod 000 does not stop reading).
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
