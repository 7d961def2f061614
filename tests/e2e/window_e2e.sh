#!/usr/bin/env bash
# End-to-end run of the program on a private X server.
# Usage: window_e2e.sh <marrowlake> <ml_send_close> yes|no|novideo
#   yes / no  answer the size question with Return / Escape, check the window
#             (title, size, centred position, no decorations, drawn client
#             area), ask it to close and expect exit code 0
#             within two seconds.
#   novideo   no display and no usable video driver: the question and the
#             window failure go to standard error and the exit code is 0.
set -uo pipefail

program=$1
send_close=$2
mode=$3

work=$(mktemp -d)
xvfb_pid=""
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill -9 "$program_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    for f in "$work"/program.err "$work"/program.out; do
        [ -s "$f" ] && { echo "--- $(basename "$f"):"; cat "$f"; }
    done
    exit 1
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

export SDL_AUDIODRIVER=dummy

if [ "$mode" = novideo ]; then
    (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=no_such_driver \
        timeout 20 "$program" >"$work/program.out" 2>"$work/program.err")
    code=$?
    [ "$code" -eq 0 ] || fail "exit code $code"
    expected=$'Resolution\nUse 800x600?\n(default 1024x768)\nERROR\nFailed to register the window class.'
    [ "$(cat "$work/program.err")" = "$expected" ] || fail "unexpected standard error"
    [ ! -s "$work/program.out" ] || fail "output on standard output"
    echo "PASS: novideo"
    exit 0
fi

case "$mode" in
    yes) key=Return; want_w=800; want_h=600 ;;
    no) key=Escape; want_w=1024; want_h=768 ;;
    *) echo "unknown mode $mode"; exit 2 ;;
esac

# A private server with a white root, so the window's black shows against it;
# no reset when clients leave, so atoms interned below stay.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset -wr 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display_ready() { [ -n "$(tr -dc '0-9' 2>/dev/null <"$work/display")" ]; }
wait_for 100 display_ready || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(tr -dc '0-9' <"$work/display")"

# Window managers intern the decoration hints atom; SDL only sets hints on an
# atom that exists, so make it exist as a desktop would.
xprop -root -f _MOTIF_WM_HINTS 32c -set _MOTIF_WM_HINTS 0 || fail "cannot intern hints atom"

read -r screen_w screen_h < <(xwininfo -root | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')

(cd "$work" && exec "$program" >"$work/program.out" 2>"$work/program.err") &
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

info=$(xwininfo -id "$window")
get() { awk -v k="$1" -F: '$1 ~ k {gsub(/ /, "", $2); print $2; exit}' <<<"$info"; }
x=$(get 'Absolute upper-left X')
y=$(get 'Absolute upper-left Y')
w=$(get 'Width')
h=$(get 'Height')
border=$(get 'Border width')
want_x=$(((screen_w - want_w) >> 1))
want_y=$(((screen_h - want_h) >> 1))
[ "$w" = "$want_w" ] && [ "$h" = "$want_h" ] || fail "size ${w}x${h}, want ${want_w}x${want_h}"
[ "$x" = "$want_x" ] && [ "$y" = "$want_y" ] || fail "origin $x,$y, want $want_x,$want_y"
[ "$border" = 0 ] || fail "border width $border"

# Borderless: the window asks for no decorations at all.
hints=$(xprop -id "$window" _MOTIF_WM_HINTS)
[[ "$hints" =~ =\ 0x2,\ 0x0,\ 0x0 ]] || fail "decoration hints: $hints"
xprop -id "$window" WM_NAME | grep -q '"Ondu - Marrowlake"' || fail "title"

# Frames run: the client area shows the program's own drawing (cleared to
# black, the first picture only starting to fade in), not the white root that
# surrounds it. The first frame follows the scene's construction.
pixel() { convert "$work/shot.png" -format "%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]" \
    -crop "1x1+$1+$2" info: 2>/dev/null; }
drawn() {
    xwd -root -silent | convert xwd:- "$work/shot.png" || return 1
    local p
    for p in "$((x + 1)) $((y + 1))" "$((x + w / 2)) $((y + h / 2))" "$((x + w - 2)) $((y + h - 2))"; do
        [ "$(pixel $p)" != "255,255,255" ] && return 0
    done
    return 1
}
wait_for 60 drawn || fail "client area still shows the root"
[ "$(pixel $((x - 2)) $((y - 2)))" = "255,255,255" ] || fail "root outside the window is not white"
sleep 0.5
kill -0 "$program_pid" 2>/dev/null || fail "program ended early"

# A close request ends the program with code 0 within two seconds.
"$send_close" "$window" || fail "close request not sent"
start=$(date +%s%N)
ended() { ! kill -0 "$program_pid" 2>/dev/null; }
wait_for 20 ended || fail "still running two seconds after the close request"
wait "$program_pid"
code=$?
program_pid=""
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
[ "$code" -eq 0 ] || fail "exit code $code"
[ ! -s "$work/program.err" ] && [ ! -s "$work/program.out" ] || fail "console output"
echo "PASS: $mode ${w}x${h} at $x,$y on ${screen_w}x${screen_h}, exit 0 ${elapsed_ms} ms after close"
