#!/usr/bin/env bash
# Soak run of the diagnostics executable on a private X server: random clicks,
# holds and releases over the panel and outside it (outside the window too),
# side changes faster than the fade, logo toggles mid-slide, pause, stop and
# play in every order, minimise and restore; then the quit button.
# Usage: soak_run.sh <seconds> <marrowlake_diag> <ml_send_close> <data dir> [seed]
#   The seed (default: from the clock; SOAK_SEED overrides) is printed so a
#   run can be repeated: the same seed gives the same actions, though the
#   timing against the frames differs from run to run.
# Passes when: the program never ends before the quit button, the quit button
# ends it with code 0, memory validation is clean with no "[!]" log line, the
# live unit count at the end is at most SOAK_UNIT_SLACK (default 8) above the
# one after every state was visited once (both samples asked for with
# SIGUSR1; the periodic samples are printed for the record), and audio
# underruns after the first second stay within SOAK_UNDERRUNS (default 0; see
# tests/soak/CMakeLists.txt).
# The slack: the GL driver's shader compiler is C++, so its blocks go through
# the program's tracker too, and it keeps a few for each new combination of
# render states it meets (a 30-minute run showed one step of 3 units in its
# third minute, then none). A leak per action grows by tens in 3 minutes.
set -uo pipefail

duration=$1
program=$2
send_close=$3
data_dir=$4
seed=${5:-${SOAK_SEED:-$(($(date +%s%N) % 1000000))}}
allowed_underruns=${SOAK_UNDERRUNS:-0}
unit_slack=${SOAK_UNIT_SLACK:-8}
source "$(dirname "$0")/diag_harness.sh"

echo "soak: ${duration} s, seed $seed"
RANDOM=$seed

run="$work/run"
mkdir -p "$run/data"
for side in A B C D; do
    [ -f "$data_dir/Track$side.mp3" ] || fail "no Track$side.mp3 in $data_dir"
    ln -s "$data_dir/Track$side.mp3" "$run/data/Track$side.mp3"
done

clicks=0
actions=0
declare -A counts=()

# rand <n>: 0 to n-1.
rand() { echo $((RANDOM % $1)); }
# pause_for <max tenths>: sleeps 0 to that many tenths of a second.
pause_for() { sleep "0.$(printf '%02d' $((RANDOM % ($1 * 10 + 1))))"; }
# Seconds with two decimals from hundredths.
hundredths() { printf '%d.%02d' $(($1 / 100)) $(($1 % 100)); }

# A random point of the window (or a bit around it) that stays clear of the
# quit button, whose click would end the run.
random_point() {
    local x y
    while :; do
        x=$(($(rand 1124) - 50))
        y=$(($(rand 868) - 50))
        ((x > 60 && x < 160 && y > 680 && y < 780)) || break
    done
    echo "$x $y"
}

# The panel's buttons other than quit.
buttons=(play previous next logo pause stop)
random_button() { echo "${buttons[$(rand ${#buttons[@]})]}"; }

do_click() { click "$1"; clicks=$((clicks + 1)); }

action() {
    local kind
    kind=$(rand 100)
    actions=$((actions + 1))
    if ((kind < 30)); then
        counts[click]=$((${counts[click]:-0} + 1))
        do_click "$(random_button)"
    elif ((kind < 40)); then
        # A hold: seeks on previous or next, nothing on the others.
        counts[hold]=$((${counts[hold]:-0} + 1))
        local b
        b=$(random_button)
        hold "$b" "$(hundredths $((50 + $(rand 150))))"
        clicks=$((clicks + 1))
    elif ((kind < 50)); then
        # Press and release somewhere, over the panel or outside the window.
        counts[press]=$((${counts[press]:-0} + 1))
        press_at $(random_point) "$(hundredths $((5 + $(rand 60))))"
        clicks=$((clicks + 1))
    elif ((kind < 58)); then
        # Press on a button, drag away, release elsewhere (and the reverse).
        counts[drag]=$((${counts[drag]:-0} + 1))
        local b p
        b=$(random_button)
        p=$(random_point)
        if (($(rand 2) == 0)); then
            move_to "${button_x[$b]}" "${button_y[$b]}"
            xdotool mousedown 1 2>/dev/null
            pause_for 3
            move_to $p
        else
            move_to $p
            xdotool mousedown 1 2>/dev/null
            pause_for 3
            move_to "${button_x[$b]}" "${button_y[$b]}"
        fi
        pause_for 2
        xdotool mouseup 1 2>/dev/null
        clicks=$((clicks + 1))
    elif ((kind < 70)); then
        # Side changes faster than the one-second fade.
        counts[sides]=$((${counts[sides]:-0} + 1))
        local n i
        n=$((2 + $(rand 4)))
        for ((i = 0; i < n; ++i)); do
            do_click "$( (($(rand 2) == 0)) && echo next || echo previous)"
            pause_for 3
        done
    elif ((kind < 78)); then
        # The logo toggled again while it still slides.
        counts[logo]=$((${counts[logo]:-0} + 1))
        do_click logo
        pause_for 6
        do_click logo
        (($(rand 2) == 0)) && { pause_for 4; do_click logo; }
    elif ((kind < 90)); then
        # Pause, stop and play in a random order.
        counts[transport]=$((${counts[transport]:-0} + 1))
        local order=(pause stop play) i j t n
        for ((i = 2; i > 0; --i)); do
            j=$(rand $((i + 1)))
            t=${order[i]}; order[i]=${order[j]}; order[j]=$t
        done
        n=$((3 + $(rand 3)))
        for ((i = 0; i < n; ++i)); do
            do_click "${order[i % 3]}"
            pause_for 4
        done
    elif ((kind < 95)); then
        # Minimise and restore (without a window manager: unmap and map).
        counts[minimise]=$((${counts[minimise]:-0} + 1))
        xdotool windowunmap "$window" 2>/dev/null
        sleep "$(hundredths $((30 + $(rand 250))))"
        xdotool windowmap "$window" 2>/dev/null
        sleep 0.3
    else
        # Idle with the pointer somewhere.
        counts[idle]=$((${counts[idle]:-0} + 1))
        move_to $(random_point)
        sleep "$(hundredths $((50 + $(rand 250))))"
    fi
}

start_xvfb
start_program "$run" ML_DIAG_SKIP_INTRO=1 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
answer_question
find_window
wait_first_frame 150

# requested_sample: asks for a sample (SIGUSR1) and waits for it.
requested_count() { grep -c '^diag: live-units=.* requested$' "$work/program.err"; }
requested_sample() {
    local before
    before=$(requested_count)
    kill -USR1 "$program_pid" 2>/dev/null || fail "program gone"
    wait_for 100 eval '(($(requested_count) > before))' || fail "no sample on request"
}

# Every state once before the first sample: the GL driver compiles and keeps
# a program per new render state, and a closed stream stays allocated until
# the next stream is opened; neither is a leak of the run.
for step in next previous logo; do do_click $step; sleep 0.3; done
sleep 1.3
do_click logo
sleep 1.3
for step in pause pause stop play pause stop play; do do_click $step; sleep 0.3; done
hold next 0.8
hold previous 0.8
xdotool windowunmap "$window" 2>/dev/null
sleep 0.5
xdotool windowmap "$window" 2>/dev/null
sleep 1
requested_sample

begin=$(date +%s)
while (($(date +%s) - begin < duration - 5)); do
    action
    pause_for 5
    running || fail "ended during the soak after $actions actions (seed $seed)"
done
# A quiet end with the window shown and the logo settled.
xdotool mouseup 1 2>/dev/null
xdotool windowmap "$window" 2>/dev/null
sleep 1.5
requested_sample
running || fail "ended before the quit button (seed $seed)"

quit_by_button
wait_exit 150 || fail "still running 15 s after the quit button (seed $seed)"
check_report

units=($(diag_values live-units))
requested=($(grep '^diag: live-units=.* requested$' "$work/program.err" | grep -o '\blive-units=[0-9]*' | sed 's/.*=//'))
first=${requested[0]}
last=${requested[1]}
early=$(diag_value underruns-first-second)
total=$(diag_value underruns)
late=$((total - early))
summary=""
for k in "${!counts[@]}"; do summary+=" $k=${counts[$k]}"; done
echo "soak: seed $seed, $actions actions, $clicks presses, frames $(diag_value frames)"
echo "soak: actions by kind:$summary"
echo "soak: live units first $first, last $last, slack $unit_slack (all samples: ${units[*]})"
echo "soak: underruns $early in the first second, $late after (allowed $allowed_underruns)"
((last <= first + unit_slack)) || fail "live units grew from $first to $last (seed $seed)"
((late <= allowed_underruns)) || fail "$late audio underruns after the first second (seed $seed)"
echo "PASS: soak ${duration} s, seed $seed"
