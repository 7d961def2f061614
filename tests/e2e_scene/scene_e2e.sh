#!/usr/bin/env bash
# End-to-end run of the music disk on a private X server, with the disk audio
# output paced in real time (44100 Hz stereo s16) so what the listener would
# hear can be matched against straight decodes of the tracks.
# Usage: scene_e2e.sh 1024|800 <marrowlake> <data dir> <panel png> <ml_e2e_audio> <ml_e2e_screen>
#   1024  answer No; side A from the first frames, the third intro picture at
#         15 s with dead buttons, the panel after the intro, next (side B at
#         once), a hold on next (fast seek), pause and resume (continues where
#         it paused), stop and play (from the start), previous twice (A, then
#         round to D), the logo rising, quit with code 0.
#   800   answer Yes; the panel after the intro at 800x600, quit with code 0.
set -uo pipefail

size=$1
program=$2
data_dir=$3
panel_png=$4
audio_tool=$5
screen_tool=$6

rate=44100
work=$(mktemp -d)
xvfb_pid=""
program_pid=""
decode_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill -9 "$program_pid" 2>/dev/null
    [ -n "$decode_pid" ] && kill "$decode_pid" 2>/dev/null && wait "$decode_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    for f in "$work"/program.err "$work"/program.out; do
        [ -s "$f" ] && { echo "--- $(basename "$f"):"; head -c 4000 "$f"; }
    done
    if [ -n "${E2E_SCENE_KEEP:-}" ] && [ -n "${window_x:-}" ]; then
        mkdir -p "$E2E_SCENE_KEEP"
        "$screen_tool" save "$E2E_SCENE_KEEP/$size-fail.ppm" "$window_x" "$window_y" "$want_w" "$want_h"
        cp "$raw" "$E2E_SCENE_KEEP/$size-audio.raw" 2>/dev/null
    fi
    exit 1
}
note() { echo "  $*"; }
# With E2E_SCENE_KEEP set, screenshots of the main steps are kept there.
keep_screen() {
    [ -n "${E2E_SCENE_KEEP:-}" ] || return 0
    mkdir -p "$E2E_SCENE_KEEP"
    "$screen_tool" save "$E2E_SCENE_KEEP/$size-$1.ppm" "$window_x" "$window_y" "$want_w" "$want_h"
}

# Waits up to $1 tenths of a second for the command in $2... to succeed.
wait_for() {
    local tries=$1
    shift
    for ((i = 0; i < tries; ++i)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Sleeps until $1 seconds after the window showed (at once when past).
sleep_until() {
    sleep "$(awk -v t="$(($(now_ms) - window_seen))" -v at="$1" \
        'BEGIN{s = at - t / 1000; print (s > 0) ? s : 0}')"
}

case "$size" in
    1024) key=Escape; want_w=1024; want_h=768 ;;
    800) key=Return; want_w=800; want_h=600 ;;
    *) echo "unknown size $size"; exit 2 ;;
esac
[ -f "$data_dir/TrackA.mp3" ] && [ -f "$data_dir/TrackB.mp3" ] || fail "no tracks in $data_dir"
[ -f "$panel_png" ] || fail "no panel picture $panel_png"

# The program looks for data/Track?.mp3 beside its working directory.
mkdir "$work/run"
ln -s "$data_dir" "$work/run/data"
raw="$work/audio.raw"
export SDL_AUDIODRIVER=disk
export SDL_DISKAUDIOFILE="$raw"
unset SDL_DISKAUDIODELAY

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display_ready() { [ -n "$(tr -dc '0-9' 2>/dev/null <"$work/display")" ]; }
wait_for 100 display_ready || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
DISPLAY=":$(tr -dc '0-9' <"$work/display")"
export DISPLAY

(cd "$work/run" && exec "$program" >"$work/program.out" 2>"$work/program.err") &
program_pid=$!

find_box() {
    box=$(xwininfo -root -tree 2>/dev/null | awk '/"Resolution"/{print $1; exit}')
    [ -n "$box" ]
}
wait_for 150 find_box || fail "no \"Resolution\" box"
sleep 0.3
xdotool key --window "$box" "$key" 2>/dev/null
xdotool keyup Return Escape 2>/dev/null

find_window() {
    window=$(xdotool search --name '^Ondu - Marrowlake$' 2>/dev/null | head -1)
    [ -n "$window" ] && xwininfo -id "$window" 2>/dev/null | grep -q 'IsViewable'
}
wait_for 150 find_window || fail "no viewable window titled \"Ondu - Marrowlake\""
window_seen=$(now_ms)
info=$(xwininfo -id "$window")
get() { awk -v k="$1" -F: '$1 ~ k {gsub(/ /, "", $2); print $2; exit}' <<<"$info"; }
window_x=$(get 'Absolute upper-left X')
window_y=$(get 'Absolute upper-left Y')
w=$(get 'Width')
h=$(get 'Height')
[ "$w" = "$want_w" ] && [ "$h" = "$want_h" ] || fail "size ${w}x${h}, want ${want_w}x${want_h}"
note "window ${w}x${h} at $window_x,$window_y"

# ---- helpers over the capture and the screen ----

# Captured frames so far (4 bytes each).
raw_frames() { echo $(($(stat -c %s "$raw" 2>/dev/null || echo 0) / 4)); }

# find_in <side> <start> <count>: sets m_off m_raw m_first m_end m_len (see
# ml_e2e_audio find), or m_result on failure.
find_in() {
    local out
    out=$("$audio_tool" find "$work/Track$1.s16" "$raw" "$2" "$3")
    local code=$?
    read -r m_off m_raw m_first m_end m_len _ <<<"$out"
    [ "$code" -eq 0 ] || { m_result=$out; return 1; }
}

# compare_region <x> <y> <w> <h> <tolerance> [<picture>]: screen pixels
# differing from the picture (the panel by default) in a region of it; sets
# c_diff, c_gold and c_blue (see ml_e2e_screen compare).
compare_region() {
    local out
    out=$("$screen_tool" compare "${6:-$panel_png}" "$window_x" "$window_y" "$want_w" "$1" "$2" \
        "$3" "$4" "$5") || return 1
    read -r c_diff _ _ _ _ _ _ c_gold c_blue <<<"$out"
}

# The panel shows when every region away from the scroll text band (y 55 to
# 145) and the logo bay is within tolerance of the picture: near exact at 1024
# (one picture pixel per screen pixel), close at 800 (filtered down); both
# need the panel at full opacity.
if [ "$size" = 1024 ]; then tol=6; max_diff=0.002; else tol=16; max_diff=0.01; fi
panel_regions=("0 0 1024 50" "0 150 1024 300" "0 450 640 318")
panel_shows() {
    local r worst=0
    for r in "${panel_regions[@]}"; do
        # shellcheck disable=SC2086
        compare_region $r "$tol" || return 1
        awk -v d="$c_diff" -v m="$max_diff" 'BEGIN{exit !(d <= m)}' || { panel_diff=$c_diff; return 1; }
        worst=$(awk -v a="$worst" -v b="$c_diff" 'BEGIN{print (b > a) ? b : a}')
    done
    panel_diff=$worst
}

# Clicks and holds at a point in picture pixels (scaled to the window).
pointer_to() {
    local sx sy
    sx=$(awk -v o="$window_x" -v p="$1" -v w="$want_w" 'BEGIN{printf "%d", o + p * w / 1024}')
    sy=$(awk -v o="$window_y" -v p="$2" -v w="$want_w" 'BEGIN{printf "%d", o + p * w / 1024}')
    xdotool mousemove "$sx" "$sy" || fail "mousemove"
    sleep 0.15 # a frame sees the pointer with the button up
}
click_at() {
    pointer_to "$1" "$2"
    xdotool mousedown 1 && sleep 0.1 && xdotool mouseup 1 || fail "click"
    sleep 0.1
}
hold_at() {
    pointer_to "$1" "$2"
    xdotool mousedown 1 && sleep "$3" && xdotool mouseup 1 || fail "hold"
    sleep 0.1
}
# Button centres in picture pixels.
play_xy=(507 276); previous_xy=(470 363); next_xy=(537 392); logo_xy=(584 710); pause_xy=(333 722)
stop_xy=(220 726); quit_xy=(110 728)

slice=4096 # frames matched at a time (well clear of a 128-frame fade)

# switch_to <side> <x> <y>: clicks a side button and expects that side's
# track from its start. A click acts on release: the new track starts after
# the press and within half a second of the release.
switch_to() {
    pointer_to "$2" "$3"
    local pressed mark start
    pressed=$(raw_frames)
    xdotool mousedown 1 && sleep 0.1 && xdotool mouseup 1 || fail "click"
    mark=$(raw_frames)
    sleep 0.6
    find_in "$1" -1 "$slice" || fail "after the click the newest samples are not side $1: $m_result"
    start=$((m_raw - m_off))
    [ $((m_first - start)) -le 128 ] ||
        fail "side $1 is exact only from track frame $((m_first - start))"
    [ "$start" -ge "$pressed" ] && [ "$start" -le $((mark + rate / 2)) ] ||
        fail "side $1 starts at capture frame $start; press at $pressed, release at $mark"
    note "side $1 starts $(((start - mark) * 1000 / rate)) ms after the release (capture frame $start)"
}

# ---- 1. side A from the first frames ----
if [ "$size" = 1024 ]; then
    # Straight decodes of the sides the flow visits, made once; B and D
    # while the intro runs.
    decode() { "$audio_tool" decode "$data_dir/Track$1.mp3" "$work/Track$1.s16"; }
    decode A || fail "cannot decode TrackA.mp3"
    (decode B && decode D) &
    decode_pid=$!
    sleep 0.5
    size0=$(raw_frames)
    sleep 1.0
    size1=$(raw_frames)
    grown=$((size1 - size0))
    # Paced output: about one second of frames per second, allowing for load.
    [ "$grown" -gt $((rate / 3)) ] && [ "$grown" -lt $((rate * 2)) ] ||
        fail "capture grew by $grown frames in one second"
    # The scene starts side A once it is built; give a loaded machine time.
    side_a_heard() { find_in A -1 "$slice" || [[ "$m_result" != silent* ]]; }
    wait_for 100 side_a_heard
    find_in A -1 "$slice" || fail "newest samples are not side A: $m_result"
    a_start=$((m_raw - m_off)) # capture frame where side A started
    a_first=$m_first
    [ "$a_start" -ge 0 ] && [ "$a_start" -lt $((rate * 5)) ] ||
        fail "side A starts at capture frame $a_start"
    [ $((a_first - a_start)) -le 128 ] ||
        fail "side A is exact only from track frame $((a_first - a_start)) (fade-in is 128)"
    if [ "$a_start" -gt 0 ]; then
        lead=$("$audio_tool" nonzero "$raw" 0 "$a_start") || fail "nonzero"
        [ "$lead" -eq 0 ] || fail "$lead non-silent frames before side A starts"
    fi
    note "side A from capture frame $a_start (exact from track frame $((a_first - a_start))), at track $m_off after $(((m_raw + slice) * 1000 / rate)) ms"

    # The intro runs first: at 15 s the third picture stands at full opacity
    # (six seconds each, fading in over three), not the panel, and the
    # buttons are dead: next and quit change nothing. (Skipped when a loaded
    # machine got here too late.)
    sleep_until 15
    if [ $(($(now_ms) - window_seen)) -lt 15800 ]; then
        compare_region 0 0 1024 768 24 "$(dirname "$panel_png")/103.png" || fail "screen compare"
        awk -v d="$c_diff" 'BEGIN{exit !(d < 0.05)}' ||
            fail "at 15 s the screen is not the third intro picture (differing $c_diff)"
        note "intro: the third picture shows at 15 s (differing $c_diff)"
    fi
    if [ $(($(now_ms) - window_seen)) -lt 24000 ]; then
        compare_region 0 150 1024 300 "$tol" || fail "screen compare"
        awk -v d="$c_diff" 'BEGIN{exit !(d > 0.5)}' ||
            fail "the panel shows during the intro (differing $c_diff)"
        click_at "${next_xy[@]}"
        click_at "${quit_xy[@]}"
        sleep 0.5
        kill -0 "$program_pid" 2>/dev/null || fail "a quit click during the intro ended the program"
        note "intro: a picture shows, clicks on next and quit do nothing"
    else
        note "intro checks skipped: reached at $(($(now_ms) - window_seen)) ms"
    fi
fi

# ---- 2. the panel after the intro ----
sleep_until 27
panel_up() { kill -0 "$program_pid" 2>/dev/null || fail "program ended"; panel_shows; }
wait_for 250 panel_up || fail "no panel 52 s after the window showed (differing $panel_diff)"
panel_ms=$(($(now_ms) - window_seen))
[ "$panel_ms" -ge 25000 ] || fail "panel already at $panel_ms ms"
keep_screen panel
note "panel matches at $panel_ms ms (worst region differing $panel_diff)"

if [ "$size" = 1024 ]; then
    # Side A played exactly and without a break from its start until now
    # (the clicks during the intro did not switch it).
    find_in A -1 "$slice" || fail "side A lost before the panel: $m_result"
    [ "$m_first" -eq "$a_first" ] ||
        fail "side A broke off: exact run restarts at capture frame $m_first (began at $a_first)"
    note "side A exact through capture frame $m_end"

    wait "$decode_pid" || fail "cannot decode TrackB.mp3 or TrackD.mp3"
    decode_pid=""

    # ---- 3. next: side B at once ----
    switch_to B "${next_xy[@]}"

    # ---- 4. hold on next: seeks faster than real time ----
    find_in B -1 "$slice" || fail "side B lost: $m_result"
    p0=$m_off r0=$m_raw
    hold_at "${next_xy[@]}" 3.0
    sleep 0.4
    find_in B -1 "$slice" || fail "after the hold the newest samples are not side B: $m_result"
    p1=$m_off r1=$m_raw len=$m_len
    elapsed=$((r1 - r0))
    advance=$(((p1 - p0 + len) % len)) # the track loops
    note "hold: track advanced $((advance * 10 / rate))/10 s in $((elapsed * 10 / rate))/10 s of output"
    # Some 2.5 s of seeking by 8000 frames per program frame: even at five
    # program frames a second over two seconds beyond plain playback (at a
    # usual 100 or more, half a minute).
    [ "$advance" -gt $((elapsed + 2 * rate)) ] ||
        fail "hold on next advanced the track by $advance frames in $elapsed frames"

    # ---- 5. pause silences, resume continues where it paused ----
    find_in B -1 "$slice" || fail "side B lost: $m_result"
    p2=$m_off r2=$m_raw
    click_at "${pause_xy[@]}"
    # A loaded machine may take a few frames to see the click: poll, bounded.
    for _ in $(seq 20); do
        sleep 0.3
        quiet=$("$audio_tool" nonzero "$raw" -1 8192) || fail "nonzero"
        [ "$quiet" -eq 0 ] && break
    done
    [ "$quiet" -eq 0 ] || fail "paused, yet $quiet of the newest 8192 frames sound"
    find_in B "$r2" "$slice" || fail "pre-pause slice lost: $m_result"
    paused_end=$m_end
    paused_at=$((p2 + paused_end - r2)) # track frame where the exact run stopped
    sleep 0.5
    click_at "${pause_xy[@]}"
    resumed=0
    for _ in $(seq 20); do
        sleep 0.3
        if find_in B -1 "$slice"; then resumed=1; break; fi
    done
    [ "$resumed" -eq 1 ] || fail "after resume the newest samples are not side B: $m_result"
    resumed_at=$((m_off - (m_raw - m_first))) # track frame where the exact run resumed
    gap=$((m_first - paused_end))
    note "paused at track frame $paused_at, resumed at $resumed_at after $((gap * 1000 / rate)) ms"
    [ "$gap" -gt $((rate / 2)) ] || fail "pause lasted only $gap frames"
    # Silent from the end of the fade-out to the start of the fade-in: the
    # resumed track does not sound anything else first.
    between=$("$audio_tool" nonzero "$raw" $((paused_end + 160)) $((gap - 320))) || fail "nonzero"
    [ "$between" -eq 0 ] || fail "$between frames sound between pause and resume"
    [ $((resumed_at - paused_at)) -ge -32 ] && [ $((resumed_at - paused_at)) -le 160 ] ||
        fail "resumed at track frame $resumed_at, paused at $paused_at"

    # Stop silences too; play then starts the track from its beginning.
    click_at "${stop_xy[@]}"
    sleep 0.6
    quiet=$("$audio_tool" nonzero "$raw" -1 8192) || fail "nonzero"
    [ "$quiet" -eq 0 ] || fail "stopped, yet $quiet of the newest 8192 frames sound"
    click_at "${play_xy[@]}"
    sleep 0.6
    find_in B -1 "$slice" || fail "after stop and play the newest samples are not side B: $m_result"
    restart=$((m_off - (m_raw - m_first)))
    note "stop, then play: exact again from track frame $restart"
    [ "$restart" -le 128 ] || fail "play after stop resumed at track frame $restart, not the start"

    # Previous: B to A, then A wraps round to D.
    switch_to A "${previous_xy[@]}"
    switch_to D "${previous_xy[@]}"

    # ---- 6. the logo rises into the bay ----
    # The bay is dark and empty; the raised logo is a gold-rimmed blue
    # medallion swinging about (812, 624) and bouncing up to ~90 px higher.
    bay=(680 420 300 348)
    compare_region "${bay[@]}" 24 || fail "screen compare"
    bay_before=$c_diff gold_before=$c_gold blue_before=$c_blue
    click_at "${logo_xy[@]}"
    sleep 1.3
    compare_region "${bay[@]}" 24 || fail "screen compare"
    keep_screen logo
    note "logo bay differing $bay_before -> $c_diff, gold $gold_before -> $c_gold, blue $blue_before -> $c_blue"
    awk -v a="$bay_before" -v b="$c_diff" 'BEGIN{exit !(a < 0.02 && b > 0.10)}' ||
        fail "logo bay differing $bay_before before and $c_diff after the logo click"
    awk -v g0="$gold_before" -v g="$c_gold" -v b0="$blue_before" -v b="$c_blue" \
        'BEGIN{exit !(g > g0 + 0.02 && b > b0 + 0.05)}' ||
        fail "no gold and blue medallion in the bay: gold $c_gold, blue $c_blue"
    # Its centre stays in the lower right: the left part of the screen is
    # still the plain panel.
    compare_region 0 450 640 318 "$tol" || fail "screen compare"
    awk -v d="$c_diff" 'BEGIN{exit !(d < 0.002)}' || fail "logo drawn over the lower left ($c_diff)"
fi

# ---- 7. quit ends the program with code 0 ----
click_at "${quit_xy[@]}"
ended() { ! kill -0 "$program_pid" 2>/dev/null; }
wait_for 50 ended || fail "still running five seconds after quit"
wait "$program_pid"
code=$?
program_pid=""
[ "$code" -eq 0 ] || fail "exit code $code after quit"
# The disk audio output announces itself on standard error; nothing else may.
grep -v -e '^CRITICAL: You are using the SDL disk i/o audio driver!$' \
    -e '^CRITICAL:  Writing to file \[.*\]\.$' -e '^$' "$work/program.err" >"$work/other.err"
[ ! -s "$work/other.err" ] && [ ! -s "$work/program.out" ] || fail "console output"
[ -n "${E2E_SCENE_KEEP:-}" ] && cp "$raw" "$E2E_SCENE_KEEP/$size-audio.raw"
echo "PASS: ${w}x${h} in $((($(now_ms) - window_seen) / 1000)) s after the window showed"
