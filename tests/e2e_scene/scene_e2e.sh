#!/usr/bin/env bash
# The music disk end to end on a private X server: its sound, paced in real
# time by the disk output (44100 Hz stereo s16), is matched exactly against
# straight decodes of the tracks, and its screen against the pictures.
# Usage: scene_e2e.sh 1024|800 <marrowlake> <data dir> <asset dir> <ml_e2e_audio>
#   1024  answer No; side A from the first frames, the third intro picture at
#         15 s with dead buttons, the panel after the intro, next (side B at
#         once), pause and resume (continues where it paused), previous twice
#         (A, then round to D), the logo rising, quit with code 0.
#   800   answer Yes; the panel after the intro at 800x600, quit with code 0.
#   seek  marrowlake_diag at 1024x768 from its panel: a hold on next moves
#         side A on by 8000 frames a frame once held half a second.
set -uo pipefail
mode=$1
size=${1/seek/1024}
program=$2
data_dir=$3
assets=$4
decoder=$5
here=$(dirname "$0")
source "$here/../support/e2e_harness.sh"

python=/usr/bin/python3 # the system one starts in a tenth of the time of a version shim
[ -x "$python" ] || python=python3
rate=44100
slice=4096 # frames matched at a time, well clear of a 128-frame fade
case "$size" in
    1024) key=Escape tol=6 max_diff=0.002 ;;
    800) key=Return tol=16 max_diff=0.01 ;; # the panel filtered down
    *) echo "unknown size $size"; exit 2 ;;
esac

ln -s "$data_dir" "$work/data"
raw="$work/audio.raw"
unset SDL_DISKAUDIODELAY

start_xvfb
extra=()
[ "$mode" = seek ] && extra=(ML_DIAG_SKIP_INTRO=1)
start_program SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$raw" "${extra[@]}"
answer_question "$key"
find_window
window_seen=$(date +%s%3N)
[ "$window_w" = "$size" ] || fail "window ${window_w}x${window_h}"
note "window ${window_w}x${window_h} at $window_x,$window_y"
# Sleeps until $1 seconds after the window showed (at once when past).
sleep_until() { sleep "$(awk -v t="$(($(date +%s%3N) - window_seen))" -v at="$1" \
    'BEGIN{s = at - t / 1000; print (s > 0) ? s : 0}')"; }
since_window() { echo $(($(date +%s%3N) - window_seen)); }
holds() { awk "BEGIN{exit !($1)}"; } # holds "<awk condition>"

# find_in <side> <start> <count>: sets m_off m_raw m_first m_end (see
# audio_match.py find), or m_result when it fails.
find_in() {
    local out code
    out=$("$python" "$here/audio_match.py" find "$work/Track$1.s16" "$raw" "$2" "$3")
    code=$?
    read -r m_off m_raw m_first m_end _ <<<"$out"
    [ "$code" -eq 0 ] || { m_result=$out; return 1; }
}
sounding() { "$python" "$here/audio_match.py" nonzero "$raw" "$1" "$2" || fail "nonzero"; }
raw_frames() { echo $(($(stat -c %s "$raw" 2>/dev/null || echo 0) / 4)); }

# The screen: the pictures scaled to the window as the program samples
# them (bilinear at pixel centres), compared by region in picture pixels.
for p in 103 106; do
    convert "$assets/$p.png" -alpha off -interpolate bilinear \
        -interpolative-resize "${window_w}x${window_h}!" "$work/$p.png" || fail "no picture $p"
done
grab() { xwd -root -silent | convert xwd:- -crop "${window_w}x${window_h}+$window_x+$window_y" +repage "$work/shot.miff"; }
region() {
    local x=$(($1 * size / 1024)) y=$(($2 * size / 1024))
    echo "$((($1 + $3) * size / 1024 - x))x$((($2 + $4) * size / 1024 - y))+$x+$y"
}
# differing <picture> <x> <y> <w> <h> <tolerance>: the fraction of the grabbed
# pixels in the region with a channel off from the picture by more than that.
differing() {
    convert \( "$work/shot.miff" "$work/$1.png" -crop "$(region "$2" "$3" "$4" "$5")" +repage -alpha off \) \
        -compose difference -composite -separate -threshold $(($6 * 257)) \
        -evaluate-sequence max -format '%[fx:mean]' info:
}
# gold_blue <x> <y> <w> <h>: the fractions of grabbed pixels there of a
# saturated gold or copper (about 200,150,50) and of a deep blue or violet
# (about 60,40,160).
gold_blue() {
    convert "$work/shot.miff" -crop "$(region "$1" "$2" "$3" "$4")" +repage \
        -channel R -fx 'r >= 110/255 && g >= 70/255 && 2*b <= g && r >= g' \
        -channel G -fx 'b >= 90/255 && b >= 2*r && b >= g + 40/255' +channel \
        -format '%[fx:mean.r] %[fx:mean.g]\n' info:
}

# The panel shows when every region away from the scroll text band (y 55 to
# 145) and the logo bay is within tolerance of the picture at full opacity.
panel_shows() {
    running || fail "program ended"
    grab || return 1
    local r
    for r in "0 0 1024 50" "0 150 1024 300" "0 450 640 318"; do
        panel_diff=$(differing 106 $r "$tol")
        holds "$panel_diff <= $max_diff" || return 1
    done
}

# switch_to <side> <button>: a click acts on release, so the side's track
# starts from its first frame after the press. How long after depends on the
# machine's frame rate, so that is only reported.
switch_to() {
    local pressed mark start
    pressed=$(raw_frames)
    click "$2"
    mark=$(raw_frames)
    wait_for 50 find_in "$1" -1 "$slice" || fail "after $2 the newest samples are not side $1: $m_result"
    start=$((m_raw - m_off))
    [ $((m_first - start)) -le 128 ] || fail "side $1 is exact only from track frame $((m_first - start))"
    [ "$start" -ge "$pressed" ] || fail "side $1 starts at capture frame $start, before the press at $pressed"
    note "side $1 starts $(((start - mark) * 1000 / rate)) ms after the release"
}

if [ "$mode" = seek ]; then
    "$decoder" decode "$data_dir/TrackA.mp3" "$work/TrackA.s16" || fail "cannot decode A"
    heard() { find_in A -1 "$slice"; }
    wait_for 100 heard || fail "side A not heard: $m_result"
    # sample: the loop's frame count s_frames (and s_ms) now, from the
    # diagnostics line a SIGUSR1 asks for.
    samples=0
    sample() {
        local line="" i
        kill -USR1 "$program_pid"
        samples=$((samples + 1))
        for ((i = 0; i < 500; ++i)); do
            line=$(grep ' requested$' "$work/program.err" | sed -n "${samples}p")
            [ -n "$line" ] && break
            sleep 0.01
        done
        [ -n "$line" ] || fail "no diagnostics sample"
        s_frames=$(sed 's/.* frames=\([0-9]*\).*/\1/' <<<"$line")
        s_ms=$(sed 's/.* t-ms=\([0-9.]*\).*/\1/' <<<"$line")
    }
    # Seek for up to 1.5 s, for at most half of what is left of the track at
    # this frame rate; a seek that reached the end would wrap round.
    sample; f=$s_frames t=$s_ms
    sleep 1
    sample
    fps=$(awk -v f=$((s_frames - f)) -v t="$(awk -v a="$s_ms" -v b="$t" 'BEGIN{print a - b}')" \
        'BEGIN{print f * 1000 / t}')
    left=$(($(stat -c %s "$work/TrackA.s16") / 4 - m_off - rate * 10))
    seek=$(awk -v left="$left" -v fps="$fps" 'BEGIN{s = left / 2 / 8000 / fps; print (s > 1.5) ? 1.5 : s}')
    holds "$seek >= 0.5" || fail "$fps frames a second seek past the track's end"
    move_to "${button_x[next]}" "${button_y[next]}"
    sleep 0.1
    find_in A -1 "$slice" || fail "side A lost before the hold: $m_result"
    before=$((m_off - m_raw))
    sample; f0=$s_frames
    xdotool mousedown 1 2>/dev/null
    pressed=$(date +%s%3N)
    at() { sleep "$(awk -v t="$(($(date +%s%3N) - pressed))" -v at="$1" \
        'BEGIN{s = at - t / 1000; print (s > 0) ? s : 0}')"; }
    # Every frame between these two samples was held past half a second.
    at 0.65
    sample; fa=$s_frames
    at "$(awk -v s="$seek" 'BEGIN{print 0.45 + s}')"
    sample; fb=$s_frames
    xdotool mouseup 1 2>/dev/null
    sleep 0.3 # the release reaches a frame
    sample; f3=$s_frames
    after_seek() { sleep 0.1; find_in A -1 "$slice"; }
    wait_for 30 after_seek || fail "side A lost after the hold: $m_result"
    moved=$((m_off - m_raw - before))
    # A seek reads the position, then sets it 8000 frames on: at most 8000 a
    # frame, and at least 8000 - 1024 (one device buffer played in between).
    note "hold on next: $fps frames/s, moved $moved frames; $((fb - fa)) to $((f3 - f0)) frames seeking"
    [ "$moved" -ge $((6976 * (fb - fa - 1))) ] && [ "$moved" -le $((8000 * (f3 - f0))) ] ||
        fail "moved $moved frames with $((fb - fa)) to $((f3 - f0)) frames seeking"
    quit_by_button
    wait_exit 50 || fail "still running after quit"
    [ "$program_code" -eq 0 ] || fail "exit code $program_code after quit"
    echo "PASS: seek"
    exit 0
fi

if [ "$size" = 1024 ]; then
    for side in A B D; do
        "$decoder" decode "$data_dir/Track$side.mp3" "$work/Track$side.s16" || fail "cannot decode $side"
    done
    # Side A from its first frame, silence before it.
    heard() { find_in A -1 "$slice" || [[ "$m_result" != silent* ]]; }
    wait_for 100 heard
    find_in A -1 "$slice" || fail "newest samples are not side A: $m_result"
    a_start=$((m_raw - m_off)) a_first=$m_first
    [ "$a_start" -ge 0 ] && [ "$a_start" -lt $((rate * 5)) ] || fail "side A starts at capture frame $a_start"
    [ $((a_first - a_start)) -le 128 ] || fail "side A is exact only from track frame $((a_first - a_start))"
    [ "$a_start" = 0 ] || [ "$(sounding 0 "$a_start")" = 0 ] || fail "sound before side A starts"
    note "side A from capture frame $a_start"

    # At 15 s the third intro picture stands at its brightest (six seconds
    # each, fading in over three); the buttons are dead. The intro's clock
    # starts before the window shows, so the grab may fall a little off the
    # peak: it is compared with the picture at the opacity it shows, which
    # must be near full. Skipped when a loaded machine got here too late.
    sleep_until 15
    if [ "$(since_window)" -lt 15800 ]; then
        grab || fail "screen compare"
        shown=$(convert "$work/shot.miff" -format '%[fx:mean]' info:)
        full=$(convert "$work/103.png" -format '%[fx:mean]' info:)
        fade=$(awk -v s="$shown" -v f="$full" 'BEGIN{print (f > 0) ? s / f : 0}')
        convert "$work/103.png" -evaluate multiply "$fade" "$work/103_faded.png" &&
            d=$(differing 103_faded 0 0 1024 768 24) || fail "screen compare"
        holds "$fade > 0.75 && $fade < 1.05 && $d < 0.05" ||
            fail "at 15 s the screen is not the third intro picture (opacity $fade, differing $d)"
        note "at 15 s the third intro picture at opacity $fade (differing $d)"
    else
        note "too late for the third intro picture"
    fi
    if [ "$(since_window)" -lt 24000 ]; then
        grab && d=$(differing 106 0 150 1024 300 "$tol") || fail "screen compare"
        holds "$d > 0.5" || fail "the panel shows during the intro (differing $d)"
        click next
        click quit
        sleep 0.5
        running || fail "a quit click during the intro ended the program"
    else
        note "intro checks skipped: reached at $(since_window) ms"
    fi
fi

sleep_until 27
wait_for 250 panel_shows || fail "no panel 52 s after the window showed (differing $panel_diff)"
[ "$(since_window)" -ge 25000 ] || fail "panel already at $(since_window) ms"
note "panel at $(since_window) ms"

if [ "$size" = 1024 ]; then
    # Side A ran exactly and without a break through the intro's clicks.
    find_in A -1 "$slice" && [ "$m_first" = "$a_first" ] || fail "side A broke off: $m_result $m_first"
    switch_to B next

    # Pause silences; resume goes on from where it paused, silent between.
    find_in B -1 "$slice" || fail "side B lost: $m_result"
    p2=$m_off r2=$m_raw
    click pause
    quiet() { sleep 0.2; [ "$(sounding -1 8192)" = 0 ]; }
    wait_for 20 quiet || fail "paused, yet the newest frames sound"
    find_in B "$r2" "$slice" || fail "pre-pause slice lost: $m_result"
    paused_end=$m_end paused_at=$((p2 + m_end - r2))
    sleep 0.5
    click pause
    back() { sleep 0.2; find_in B -1 "$slice"; }
    wait_for 20 back || fail "after resume the newest samples are not side B: $m_result"
    resumed_at=$((m_off - (m_raw - m_first))) gap=$((m_first - paused_end))
    [ "$gap" -gt $((rate / 2)) ] || fail "pause lasted only $gap frames"
    [ "$(sounding $((paused_end + 160)) $((gap - 320)))" = 0 ] || fail "sound between pause and resume"
    [ $((resumed_at - paused_at)) -ge -32 ] && [ $((resumed_at - paused_at)) -le 160 ] ||
        fail "resumed at track frame $resumed_at, paused at $paused_at"
    note "paused at track frame $paused_at, resumed at $resumed_at"

    switch_to A previous
    switch_to D previous # round from the first side to the last

    # The logo rises into the bay, over its moonlit window: a copper-rimmed
    # violet medallion swinging about (812, 624), while the lower left stays
    # plain panel.
    bay=(680 420 300 348)
    grab && d0=$(differing 106 "${bay[@]}" 24) && read -r g0 b0 < <(gold_blue "${bay[@]}") ||
        fail "screen compare"
    click logo
    sleep 1.3
    grab && d1=$(differing 106 "${bay[@]}" 24) && read -r g1 b1 < <(gold_blue "${bay[@]}") &&
        rest=$(differing 106 0 450 640 318 "$tol") || fail "screen compare"
    note "logo bay differing $d0 -> $d1, gold $g0 -> $g1, blue $b0 -> $b1"
    holds "$d0 < 0.02 && $d1 > 0.10" || fail "logo bay differing $d0 before and $d1 after the click"
    holds "$g1 > $g0 + 0.02 && $b1 > $b0 + 0.05" ||
        fail "no gold and blue medallion in the bay"
    holds "$rest < 0.002" || fail "logo drawn over the lower left ($rest)"
fi

quit_by_button
wait_exit 50 || fail "still running after quit"
[ "$program_code" -eq 0 ] || fail "exit code $program_code after quit"
# The disk audio output announces itself on standard error; nothing else may.
grep -v -e '^CRITICAL: You are using the SDL disk i/o audio driver!$' \
    -e '^CRITICAL:  Writing to file \[.*\]\.$' -e '^$' "$work/program.err" >"$work/other.err"
[ ! -s "$work/other.err" ] && [ ! -s "$work/program.out" ] || fail "console output"
echo "PASS: ${window_w}x${window_h} in $(($(since_window) / 1000)) s after the window showed"
