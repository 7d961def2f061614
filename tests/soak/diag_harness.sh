# Shared steps of the runs of the diagnostics executable (marrowlake_diag) on
# a private X server: sourced by tests/soak and tests/faults.
#
# The caller sets: program (marrowlake_diag), send_close (ml_send_close).
# Provides: work (temp folder), fail, note, wait_for, start_xvfb,
# start_program, answer_question, find_window, the button actions, quit_by_button,
# wait_exit, diag_value, diag_values, check_report.

work=$(mktemp -d)
xvfb_pid=""
program_pid=""
program_code=""
window=""
window_x=0
window_y=0

harness_cleanup() {
    [ -n "$program_pid" ] && kill -9 "$program_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
    # DIAG_KEEP=<file> keeps the program's standard error for a look.
    [ -n "${DIAG_KEEP:-}" ] && cp "$work/program.err" "$DIAG_KEEP" 2>/dev/null
    rm -rf "$work"
}
trap harness_cleanup EXIT

fail() {
    echo "FAIL: $*"
    if [ -s "$work/program.err" ]; then
        echo "--- standard error of the program (last 60 lines):"
        tail -n 60 "$work/program.err"
    fi
    exit 1
}
note() { echo "  $*"; }

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

# A private server; -displayfd writes the free display number it took.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" \
        >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    display_ready() { [ -n "$(tr -dc '0-9' 2>/dev/null <"$work/display")" ]; }
    wait_for 100 display_ready || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=":$(tr -dc '0-9' <"$work/display")"
}

# start_program <run folder> [VAR=value ...]: starts the program in the
# folder (it reads data/Track?.mp3 from there) with extra environment.
start_program() {
    local dir=$1
    shift
    program=$(realpath "$program")
    (cd "$dir" && exec env "$@" "$program" >"$work/program.out" 2>"$work/program.err") &
    program_pid=$!
}

running() { [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; }

# Answers the size question with Escape (1024x768).
answer_question() {
    local box=""
    find_box() {
        box=$(xwininfo -root -tree 2>/dev/null | awk '/"Resolution"/{print $1; exit}')
        [ -n "$box" ]
    }
    wait_for 150 find_box || fail "no \"Resolution\" box (running: $(running && echo yes || echo no))"
    sleep 0.3
    xdotool key --window "$box" Escape 2>/dev/null
    xdotool keyup Return Escape 2>/dev/null
}

find_window() {
    look() {
        window=$(xdotool search --name '^Ondu - Marrowlake$' 2>/dev/null | head -1)
        [ -n "$window" ] && xwininfo -id "$window" 2>/dev/null | grep -q 'IsViewable'
    }
    wait_for 150 look || fail "no viewable window titled \"Ondu - Marrowlake\""
    local info
    info=$(xwininfo -id "$window")
    window_x=$(awk -F: '/Absolute upper-left X/{gsub(/ /, "", $2); print $2}' <<<"$info")
    window_y=$(awk -F: '/Absolute upper-left Y/{gsub(/ /, "", $2); print $2}' <<<"$info")
}

# Waits up to $1 tenths of a second for the first swapped frame.
wait_first_frame() {
    has_frame() { grep -q '^diag: first-frame-ms=' "$work/program.err"; }
    wait_for "$1" has_frame || fail "no frame swapped"
}

# Centres of the panel's hot spots at 1024x768 (window pixels).
declare -A button_x=([play]=507 [previous]=470 [next]=537 [logo]=584 [pause]=333 [stop]=220 [quit]=110)
declare -A button_y=([play]=276 [previous]=363 [next]=392 [logo]=710 [pause]=722 [stop]=726 [quit]=728)

# move_to <x> <y>: window pixels.
move_to() { xdotool mousemove $((window_x + $1)) $((window_y + $2)) 2>/dev/null; }

# press_at <x> <y> <seconds>: left button held that long at a window point.
press_at() {
    move_to "$1" "$2"
    xdotool mousedown 1 2>/dev/null
    sleep "$3"
    xdotool mouseup 1 2>/dev/null
}

# click <button>: a press long enough for a frame to see it, short of a hold.
click() { press_at "${button_x[$1]}" "${button_y[$1]}" 0.1; }

# hold <button> <seconds>
hold() { press_at "${button_x[$1]}" "${button_y[$1]}" "$2"; }

# A press and release that both arrive between two frames is never seen (the
# scene compares the button with the previous frame), and a loaded machine
# can run few frames a second: press again, a little longer each time, while
# the program still runs. Each press stays short of the 0.5 s hold.
quit_by_button() {
    local press
    for press in 0.1 0.2 0.3 0.35; do
        press_at "${button_x[quit]}" "${button_y[quit]}" "$press"
        ended() { ! kill -0 "$program_pid" 2>/dev/null; }
        wait_for 30 ended && return 0
    done
    return 0
}

# wait_exit <tenths>: waits for the program to end and keeps its exit code.
wait_exit() {
    ended() { ! kill -0 "$program_pid" 2>/dev/null; }
    wait_for "$1" ended || return 1
    wait "$program_pid"
    program_code=$?
    program_pid=""
    return 0
}

# diag_value <key>: the value of the last "key=value" in the diag lines.
diag_value() {
    grep -o "^diag: .*\b$1=[^ ]*" "$work/program.err" | tail -1 | sed "s/.*\b$1=//"
}

# diag_values <key>: every value of the key, one a line (periodic samples).
diag_values() {
    grep '^diag: live-units=' "$work/program.err" | grep -o "\b$1=[^ ]*" | sed "s/^$1=//"
}

# The exit report says: exit code 0, validation clean, no "[!]" memory-log
# line. Blocks live at exit are expected: the scene leaves its stream, the logo
# model and the font image to the end of the process.
check_report() {
    [ "$program_code" = 0 ] || fail "exit code $program_code"
    grep -q '^diag: frames=' "$work/program.err" || fail "no exit report"
    [ "$(diag_value validate)" = ok ] || fail "validation found problems"
    [ "$(diag_value memlog-errors)" = 0 ] || fail "memory log errors: $(diag_value memlog-errors)"
}
