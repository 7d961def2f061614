# Shared steps of the end-to-end runs of the program on a private X server.
# The caller sets program (an absolute path); its output goes to
# $work/program.out and .err.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xvfb.sh"

work=$(mktemp -d)
xvfb_pid="" program_pid="" program_code="" window=""
cleanup() {
    [ -n "$program_pid" ] && kill -9 "$program_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    tail -n 60 "$work/program.err" "$work/program.out" 2>/dev/null
    exit 1
}
note() { echo "  $*"; }

# wait_for <tenths> <command...>: polls the command until it succeeds.
wait_for() {
    local tries=$1 i
    shift
    for ((i = 0; i < tries; ++i)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# No reset when the last client leaves, so atoms interned by the tests stay.
start_xvfb() { xvfb_start "$work" -noreset "$@" || fail "Xvfb did not start"; }

# start_program [VAR=value...]: runs the program in $work (beside data/).
start_program() {
    (cd "$work" && exec env "$@" "$program" >"$work/program.out" 2>"$work/program.err") &
    program_pid=$!
}

# link_tracks <data dir>: $work/data holds links to the four tracks.
link_tracks() {
    mkdir "$work/data"
    for side in A B C D; do
        [ -f "$1/Track$side.mp3" ] || fail "no Track$side.mp3 in $1"
        ln -s "$1/Track$side.mp3" "$work/data/"
    done
}
running() { [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; }

# run_without_display [VAR=value...]: expects exit code 0, the size question
# on standard error and nothing on standard output; sets failure to the line
# after "ERROR".
run_without_display() {
    (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY "$@" timeout 20 "$program" \
        >"$work/program.out" 2>"$work/program.err")
    program_code=$?
    [ "$program_code" = 0 ] || fail "exit code $program_code"
    local messages
    messages=$(grep -v '^diag: ' "$work/program.err")
    [ "$(head -3 <<<"$messages")" = $'Resolution\nUse 800x600?\n(default 1024x768)' ] ||
        fail "the size question is not on standard error"
    failure=$(awk 'seen {print; exit} /^ERROR$/ {seen = 1}' <<<"$messages")
    [ ! -s "$work/program.out" ] || fail "output on standard output"
}

# answer_question <key>: Return answers Yes (800x600), Escape No (1024x768).
answer_question() {
    local box=""
    look_box() {
        box=$(xwininfo -root -tree 2>/dev/null | awk '/"Resolution"/{print $1; exit}')
        [ -n "$box" ]
    }
    wait_for 150 look_box || fail "no \"Resolution\" box"
    sleep 0.3
    xdotool key --window "$box" "$1" 2>/dev/null
    # A key held across the box's close would auto-repeat into the window.
    xdotool keyup Return Escape 2>/dev/null
}

# Sets window and its geometry window_x, _y, _w, _h and _border.
find_window() {
    look_window() {
        window=$(xdotool search --name '^Ondu - Marrowlake$' 2>/dev/null | head -1)
        [ -n "$window" ] && xwininfo -id "$window" 2>/dev/null | grep -q 'IsViewable'
    }
    wait_for 150 look_window || fail "no viewable window titled \"Ondu - Marrowlake\""
    local info
    info=$(xwininfo -id "$window")
    get() { awk -v k="$1" -F: '$1 ~ k {gsub(/ /, "", $2); print $2; exit}' <<<"$info"; }
    window_x=$(get 'Absolute upper-left X') window_y=$(get 'Absolute upper-left Y')
    window_w=$(get 'Width') window_h=$(get 'Height') window_border=$(get 'Border width')
}

# start_diag [VAR=value...]: marrowlake_diag at 1024x768 showing the panel
# (intro skipped), once it has swapped its first frame.
start_diag() {
    start_xvfb
    start_program ML_DIAG_SKIP_INTRO=1 "$@"
    answer_question Escape
    find_window
    first_frame() { grep -q '^diag: first-frame-ms=' "$work/program.err"; }
    wait_for 150 first_frame || fail "no frame swapped"
    # The shell's other two hooks were taken as well.
    grep -q '^diag: question-answered-ms=' "$work/program.err" || fail "no question-answered line"
    grep -qx 'diag: intro-skipped' "$work/program.err" || fail "the intro was not skipped"
}

# Centres of the panel's hot spots in picture pixels (1024 wide).
declare -A button_x=([play]=507 [previous]=470 [next]=537 [logo]=584 [pause]=333 [stop]=220 [quit]=110)
declare -A button_y=([play]=276 [previous]=363 [next]=392 [logo]=710 [pause]=722 [stop]=726 [quit]=728)

# move_to <x> <y>: picture pixels, scaled to the window.
move_to() {
    xdotool mousemove $((window_x + $1 * window_w / 1024)) $((window_y + $2 * window_w / 1024)) \
        2>/dev/null
}
# press_at <x> <y> <seconds>: the left button held there, once a frame has
# seen the pointer arrive with the button up.
press_at() {
    move_to "$1" "$2"
    sleep 0.1
    xdotool mousedown 1 2>/dev/null
    sleep "$3"
    xdotool mouseup 1 2>/dev/null
}
# click <button>: long enough for a frame to see it, short of a hold.
click() {
    press_at "${button_x[$1]}" "${button_y[$1]}" 0.1
    sleep 0.1
}
hold() { press_at "${button_x[$1]}" "${button_y[$1]}" "$2"; }

# Every button, the logo up and down again, holds on both seek buttons,
# presses beside the panel, minimise and restore.
visit_every_state() {
    local step
    for step in play next previous logo; do
        click $step
    done
    sleep 1.3
    click logo
    sleep 1.3
    for step in pause pause stop play pause stop play; do
        click $step
    done
    hold next 0.8
    hold previous 0.8
    press_at 900 100 0.1
    press_at 20 20 0.1
    xdotool windowunmap "$window" 2>/dev/null
    sleep 0.5
    xdotool windowmap "$window" 2>/dev/null
    sleep 1
}

# wait_exit <tenths>: waits for the program to end and keeps its exit code.
wait_exit() {
    wait_for "$1" eval '! running' || return 1
    wait "$program_pid"
    program_code=$?
    program_pid=""
}

# quit_by_button: one click on quit; the caller waits for the exit.
quit_by_button() { click quit; }

# diag_value <key>: the value of the last "key=value" in the diag lines.
diag_value() { grep -o "^diag: .*\b$1=[^ ]*" "$work/program.err" | tail -1 | sed "s/.*\b$1=//"; }

# The exit report of marrowlake_diag: exit code 0, validation clean, no "[!]"
# memory log line, no thread but the main one left when main returned. Blocks
# still live at exit are expected (the scene leaves its stream record, the
# logo model and the font image to the end of the process).
check_report() {
    [ "$program_code" = 0 ] || fail "exit code $program_code"
    grep -q '^diag: frames=' "$work/program.err" || fail "no exit report"
    [ "$(diag_value validate)" = ok ] || fail "validation found problems"
    [ "$(diag_value memlog-errors)" = 0 ] || fail "memory log errors: $(diag_value memlog-errors)"
    # The sound library's audio thread (and any other) must be gone before
    # static objects are destroyed.
    [ "$(diag_value threads-after-main)" = 1 ] ||
        fail "threads still running when main returned: $(diag_value threads-after-main) ($(diag_value names))"
}
