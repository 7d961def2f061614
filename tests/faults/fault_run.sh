#!/usr/bin/env bash
# Starts the diagnostics executable with one thing wrong and expects it to go
# on with what it has: the panel (intro skipped), every button pressed, frames
# for a few seconds, then the quit button (or, without a display, the messages
# on standard error), exit code 0, a clean memory validation.
# Usage: fault_run.sh <case> <marrowlake_diag> <ml_send_close> <data dir>
#   normal        all four tracks in place
#   nodata        no data/ folder
#   emptytrack    data/TrackA.mp3 has zero bytes (side A plays at start)
#   notmp3        data/TrackB.mp3 is text (reached with next)
#   unreadable    data/TrackA.mp3 is a folder: opening works, every read
#                 fails. (Tests run as root, where chmod 000 does not stop
#                 reading, so a mode change would test nothing.)
#   noaudio       SDL_AUDIODRIVER=nonexistent: no output device at all
#   nodisplay     no X display: the size question and the window failure
#                 go to standard error
set -uo pipefail

case_name=$1
program=$2
send_close=$3
data_dir=$4
source "$(dirname "$0")/../soak/diag_harness.sh"

run="$work/run"
mkdir -p "$run/data"
for side in A B C D; do
    [ -f "$data_dir/Track$side.mp3" ] || fail "no Track$side.mp3 in $data_dir"
    ln -s "$data_dir/Track$side.mp3" "$run/data/Track$side.mp3"
done
audio=(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null)

case "$case_name" in
    normal) ;;
    nodata) rm -rf "$run/data" ;;
    emptytrack) rm "$run/data/TrackA.mp3" && : >"$run/data/TrackA.mp3" ;;
    notmp3)
        rm "$run/data/TrackB.mp3"
        for i in $(seq 200); do echo "This is not an MP3 file, line $i."; done >"$run/data/TrackB.mp3"
        ;;
    unreadable) rm "$run/data/TrackA.mp3" && mkdir "$run/data/TrackA.mp3" ;;
    noaudio) audio=(SDL_AUDIODRIVER=nonexistent) ;;
    nodisplay)
        (cd "$run" && env -u DISPLAY -u WAYLAND_DISPLAY "${audio[@]}" timeout 20 "$program" \
            >"$work/program.out" 2>"$work/program.err")
        program_code=$?
        messages=$(grep -v '^diag: ' "$work/program.err")
        [ "$(head -3 <<<"$messages")" = $'Resolution\nUse 800x600?\n(default 1024x768)' ] ||
            fail "the size question is not on standard error"
        # Which step fails depends on the video drivers SDL falls back to.
        failure=$(awk 'seen {print; exit} /^ERROR$/ {seen = 1}' <<<"$messages")
        case "$failure" in
            "Failed to register the window class." | "Window creation error." | \
                "Can't find a suitable PixelFormat." | "Can't create a GL rendering context." | \
                "Can't activate the GL rendering context.") ;;
            *) fail "no window failure message after \"ERROR\"" ;;
        esac
        [ ! -s "$work/program.out" ] || fail "output on standard output"
        [ "$(diag_value frames)" = 0 ] || fail "frames without a window"
        check_report
        echo "PASS: nodisplay, exit 0, \"$failure\" on standard error, validate ok"
        exit 0
        ;;
    *) echo "unknown case $case_name"; exit 2 ;;
esac

start_xvfb
start_program "$run" ML_DIAG_SKIP_INTRO=1 "${audio[@]}"
answer_question
find_window
wait_first_frame "${DIAG_START_TENTHS:-100}"

# Every button, a hold on both seek buttons, clicks outside the panel.
for step in play next pause pause stop play previous logo next stop pause play; do
    click "$step"
    sleep 0.1
done
hold next 0.8
hold previous 0.8
press_at 900 100 0.1
press_at 20 20 0.1
sleep 1
running || fail "ended before the quit button"
quit_by_button
wait_exit 100 || fail "still running 10 s after the quit button"
check_report
frames=$(diag_value frames)
[ "$frames" -ge 50 ] || fail "only $frames frames"
echo "PASS: $case_name, $frames frames, exit 0, validate ok, underruns $(diag_value underruns)"
