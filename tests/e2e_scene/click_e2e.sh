#!/usr/bin/env bash
# Quick clicks end to end: on every panel button, a click whose press and
# release come in one xdotool command (so the X server delivers them back to
# back, both dispatched between the same two frames) does what the button
# does. One run of the diagnostics variant per size, intro skipped, its sound
# from the disk audio output matched against straight decodes of the tracks:
# next (side B from its start), previous (A from its start), pause (silence),
# play (A on from where it paused), stop (silence), play (A from its start),
# logo (the logo rises into its bay), quit last (exit code 0).
# Usage: click_e2e.sh 1024|800 <marrowlake_diag> <data dir> <asset dir> <ml_e2e_audio>
set -uo pipefail
size=$1
program=$2
data_dir=$3
assets=$4
decoder=$5
here=$(dirname "$0")
source "$here/../support/e2e_harness.sh"

python=/usr/bin/python3
[ -x "$python" ] || python=python3
rate=44100
slice=4096
case "$size" in
    1024) key=Escape ;;
    800) key=Return ;;
    *) echo "unknown size $size"; exit 2 ;;
esac

ln -s "$data_dir" "$work/data"
raw="$work/audio.raw"
unset SDL_DISKAUDIODELAY
for side in A B; do
    "$decoder" decode "$data_dir/Track$side.mp3" "$work/Track$side.s16" || fail "cannot decode $side"
done
convert "$assets/106.png" -alpha off -interpolate bilinear \
    -interpolative-resize "${size}x$((size * 3 / 4))!" "$work/106.png" || fail "no panel picture"

start_xvfb
start_program ML_DIAG_SKIP_INTRO=1 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$raw"
answer_question "$key"
find_window
[ "$window_w" = "$size" ] || fail "window ${window_w}x${window_h}"

requests=0
# count_frames: sets frames to the frames swapped so far, asked of the
# diagnostics (SIGUSR1; each request is answered by a sample line).
count_frames() {
    requests=$((requests + 1))
    kill -USR1 "$program_pid" 2>/dev/null || fail "program ended"
    answered() { [ "$(grep -c '^diag: .* requested$' "$work/program.err")" -ge "$requests" ]; }
    wait_for 100 answered || fail "no sample within 10 s of SIGUSR1"
    frames=$(grep '^diag: .* requested$' "$work/program.err" | tail -1 | grep -o 'frames=[0-9]*')
    frames=${frames#frames=}
}
# two_frames: returns once two more frames have run.
two_frames() {
    count_frames
    local from=$frames
    more() { count_frames; [ "$frames" -ge $((from + 2)) ]; }
    wait_for 100 more || fail "no frames after $from"
}
# quick_click <button>: the pointer moved there, two frames so the previous
# click has ended, then press and release with no delay between them.
quick_click() {
    move_to "${button_x[$1]}" "${button_y[$1]}"
    two_frames
    clicked_at=$(raw_frames)
    xdotool mousedown 1 mouseup 1 2>/dev/null
}

raw_frames() { echo $(($(stat -c %s "$raw" 2>/dev/null || echo 0) / 4)); }
# find_in <side> <start>: sets m_off m_raw m_first m_end (audio_match.py find
# of a slice), or m_result when it fails.
find_in() {
    local out code
    out=$("$python" "$here/audio_match.py" find "$work/Track$1.s16" "$raw" "$2" "$slice")
    code=$?
    read -r m_off m_raw m_first m_end _ <<<"$out"
    [ "$code" -eq 0 ] || { m_result=$out; return 1; }
}
quiet() { [ "$("$python" "$here/audio_match.py" nonzero "$raw" -1 8192)" = 0 ]; }
newest_from_click() { find_in "$1" -1 && [ $((m_raw - m_off)) -ge "$clicked_at" ]; }
# starts_over <side>: after the click the newest sound is that side, played
# from its first frame, which came after the click (how soon after depends on
# the machine's load; speed is the benchmarks' business).
starts_over() {
    m_result="a start before the click"
    wait_for 50 newest_from_click "$1" || fail "$step: the newest samples are not side $1 from the click: $m_result"
    local start=$((m_raw - m_off))
    [ $((m_first - start)) -le 128 ] || fail "$step: side $1 is exact only from track frame $((m_first - start))"
}

first_frame() { grep -q '^diag: first-frame-ms=' "$work/program.err"; }
wait_for 150 first_frame || fail "no frame swapped"
heard() { find_in A -1; }
wait_for 100 heard || fail "side A does not sound: $m_result"

step="next" && quick_click next && starts_over B
step="previous" && quick_click previous && starts_over A
step="pause" && find_in A -1 && before_pause=$m_raw
quick_click pause
wait_for 30 quiet || fail "pause: the newest frames still sound"
find_in A "$before_pause" || fail "pause: the slice before it is lost: $m_result"
paused_end=$m_end paused_at=$((m_off + m_end - m_raw))
step="play while paused" && quick_click play
resumed() { find_in A -1 && [ "$m_first" -gt "$paused_end" ]; }
wait_for 30 resumed || fail "$step: side A does not sound again: $m_result"
resumed_at=$((m_off - (m_raw - m_first)))
[ $((resumed_at - paused_at)) -ge -32 ] && [ $((resumed_at - paused_at)) -le 160 ] ||
    fail "$step: resumed at track frame $resumed_at, paused at $paused_at"
step="stop" && quick_click stop
wait_for 30 quiet || fail "stop: the newest frames still sound"
step="play while stopped" && quick_click play && starts_over A
note "next, previous, pause, play, stop and play acted"

# The logo's bay is plain panel (faded in three seconds after the first
# frame); after the click the rising logo covers a tenth of it or more.
grab() { xwd -root -silent | convert xwd:- -crop "${window_w}x${window_h}+$window_x+$window_y" +repage "$work/shot.miff"; }
bay=$((680 * size / 1024)),$((420 * size / 1024)),$((300 * size / 1024)),$((348 * size / 1024))
IFS=, read -r bx by bw bh <<<"$bay"
crop="${bw}x${bh}+$bx+$by"
bay_differs() {
    convert \( "$work/shot.miff" "$work/106.png" -crop "$crop" +repage -alpha off \) \
        -compose difference -composite -separate -threshold $((24 * 257)) \
        -evaluate-sequence max -format '%[fx:mean]' info:
}
plain() { grab && d0=$(bay_differs) && awk "BEGIN{exit !($d0 < 0.02)}"; }
wait_for 50 plain || fail "the logo bay is not plain panel (differing $d0)"
step="logo" && quick_click logo
risen() { grab && d1=$(bay_differs) && awk "BEGIN{exit !($d1 > 0.10)}"; }
wait_for 50 risen || fail "logo: the bay stays plain panel (differing $d1)"
note "logo bay differing $d0 -> $d1"

step="quit" && quick_click quit
wait_exit 50 || fail "quit: still running 5 s after the click"
[ "$program_code" -eq 0 ] || fail "quit: exit code $program_code"
echo "PASS: quick clicks on all seven buttons at ${window_w}x${window_h}, $SECONDS s"
