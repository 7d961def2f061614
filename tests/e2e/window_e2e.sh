#!/usr/bin/env bash
# End-to-end run of the program on a private X server.
# Usage: window_e2e.sh <marrowlake> <ml_send_close> yes|no|novideo
#   yes / no  answer the size question with Return / Escape; check the window's
#             title, size, centred position, lack of decorations and drawn
#             client area; a close request ends it with code 0 within 2 s.
#   novideo   no display and no usable video driver: the question and the
#             window failure go to standard error and the exit code is 0.
set -uo pipefail
program=$1
send_close=$2
mode=$3
source "$(dirname "$0")/../support/e2e_harness.sh"
export SDL_AUDIODRIVER=dummy

case "$mode" in
    yes) key=Return want="800x600+240+212" ;; # centred on the 1280x1024 screen
    no) key=Escape want="1024x768+128+128" ;;
    novideo)
        run_without_display SDL_VIDEODRIVER=no_such_driver
        [ "$(cat "$work/program.err")" = $'Resolution\nUse 800x600?\n(default 1024x768)\nERROR\nFailed to register the window class.' ] ||
            fail "unexpected standard error"
        echo "PASS: novideo"
        exit 0
        ;;
    *) echo "unknown mode $mode"; exit 2 ;;
esac

# A white root, so the window's black shows against it.
start_xvfb -wr
# Window managers intern the decoration hints atom; SDL only sets hints on an
# atom that exists, so make it exist as a desktop would.
xprop -root -f _MOTIF_WM_HINTS 32c -set _MOTIF_WM_HINTS 0 || fail "cannot intern hints atom"

start_program
answer_question "$key"
find_window
got="${window_w}x${window_h}+$window_x+$window_y"
[ "$got" = "$want" ] || fail "window at $got, want $want"
[ "$window_border" = 0 ] || fail "border width $window_border"
hints=$(xprop -id "$window" _MOTIF_WM_HINTS)
[[ "$hints" =~ =\ 0x2,\ 0x0,\ 0x0 ]] || fail "decoration hints: $hints"
xprop -id "$window" WM_NAME | grep -q '"Ondu - Marrowlake"' || fail "title"

# Frames run: the client area shows the program's own drawing (black, the
# first picture only starting to fade in), not the white root around it.
pixel() { convert "$work/shot.png" -format "%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]" \
    -crop "1x1+$1+$2" info: 2>/dev/null; }
drawn() {
    xwd -root -silent | convert xwd:- "$work/shot.png" || return 1
    local x=$window_x y=$window_y w=$window_w h=$window_h p
    for p in "$((x + 1)) $((y + 1))" "$((x + w / 2)) $((y + h / 2))" "$((x + w - 2)) $((y + h - 2))"; do
        [ "$(pixel $p)" != "255,255,255" ] && return 0
    done
    return 1
}
wait_for 60 drawn || fail "client area still shows the root"
[ "$(pixel $((window_x - 2)) $((window_y - 2)))" = "255,255,255" ] || fail "root outside the window is not white"
sleep 0.5
running || fail "program ended early"

"$send_close" "$window" || fail "close request not sent"
start=$(date +%s%N)
wait_exit 20 || fail "still running two seconds after the close request"
[ "$program_code" -eq 0 ] || fail "exit code $program_code"
[ ! -s "$work/program.err" ] && [ ! -s "$work/program.out" ] || fail "console output"
echo "PASS: $mode ${window_w}x${window_h} at $window_x,$window_y, exit 0 $((($(date +%s%N) - start) / 1000000)) ms after close"
