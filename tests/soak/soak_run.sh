#!/usr/bin/env bash
# Random use of the panel and around the window, minimise, restore; then quit.
# Usage: soak_run.sh <seconds> <marrowlake_diag> <ml_send_close> <data dir> [seed]
#   The seed (default from the clock, or SOAK_SEED) is printed and repeats the actions.
#   SOAK_REPORT=<file> keeps the program's report (standard error) there.
# Passes on exit code 0 by the quit button only, clean validation, not one
# block more from our own code at the end than after every state was visited,
# and at most SOAK_UNDERRUNS (0) underruns after the first second. Blocks whose
# caller lies in a library are not counted: the GL driver (llvmpipe) compiles a
# shader variant with libLLVM whenever a draw or texture upload meets a state it
# has not compiled for, which timing decides (more frames, more chances), and
# keeps what each compile left until its GL context ends.
set -uo pipefail
duration=$1
program=$2
seed=${5:-${SOAK_SEED:-$(($(date +%s%N) % 1000000))}}
allowed_underruns=${SOAK_UNDERRUNS:-0}
source "$(dirname "$0")/../support/e2e_harness.sh"
echo "soak: ${duration} s, seed $seed"
RANDOM=$seed
link_tracks "$4"

rand() { echo $((RANDOM % $1)); }
# pause_for <tenths>: sleeps up to that long.
pause_for() { sleep "$(hundredths $((RANDOM % ($1 * 10 + 1))))"; }
hundredths() { printf '%d.%02d' $(($1 / 100)) $(($1 % 100)); }
# A point of the window or a little around it, clear of the quit button.
random_point() {
    local x y
    while :; do
        x=$(($(rand 1124) - 50)) y=$(($(rand 868) - 50))
        ((x > 60 && x < 160 && y > 680 && y < 780)) || break
    done
    echo "$x $y"
}
buttons=(play previous next logo pause stop)
bursts=("next previous" "logo" "pause stop play")

action() {
    local kind b from to i group
    kind=$(rand 100)
    b=${buttons[$(rand ${#buttons[@]})]}
    if ((kind < 30)); then
        click "$b"
    elif ((kind < 40)); then
        hold "$b" "$(hundredths $((50 + $(rand 150))))" # seeks on previous and next
    elif ((kind < 50)); then
        press_at $(random_point) "$(hundredths $((5 + $(rand 60))))"
    elif ((kind < 60)); then
        # Pressed on a button and released elsewhere, or the reverse.
        from="${button_x[$b]} ${button_y[$b]}"
        to=$(random_point)
        (($(rand 2) == 0)) || { i=$from; from=$to; to=$i; }
        move_to $from
        xdotool mousedown 1 2>/dev/null
        pause_for 3
        move_to $to
        pause_for 2
        xdotool mouseup 1 2>/dev/null
    elif ((kind < 92)); then
        # A burst within a group: side changes faster than the fade, the logo
        # toggled while it still slides, pause, stop and play in any order.
        group=(${bursts[$(rand ${#bursts[@]})]})
        for ((i = 2 + $(rand 4); i > 0; --i)); do
            click "${group[$(rand ${#group[@]})]}"
            pause_for 4
        done
    else
        # Minimise and restore (without a window manager: unmap and map).
        xdotool windowunmap "$window" 2>/dev/null
        sleep "$(hundredths $((30 + $(rand 250))))"
        xdotool windowmap "$window" 2>/dev/null
        sleep 0.3
    fi
}

start_diag SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
# request_sample: asks for a sample (SIGUSR1) and sets units and ours to its
# live units, all and those our code allocated.
requested() { grep ' requested$' "$work/program.err"; }
request_sample() {
    local before line
    before=$(requested | wc -l)
    kill -USR1 "$program_pid" 2>/dev/null || fail "program gone"
    wait_for 100 eval '(($(requested | wc -l) > before))' || fail "no sample on request"
    line=$(requested | tail -1)
    # The census by caller that came with it (the lines before it).
    census=$(awk '/^diag: census / {c = c $0 "\n"; next} / requested$/ {last = c} {c = ""}
                  END {printf "%s", last}' "$work/program.err")
    units=$(grep -o 'live-units=[0-9]*' <<<"$line" | cut -d= -f2)
    ours=$(grep -o 'our-units=[0-9]*' <<<"$line" | cut -d= -f2)
    [ -n "$units" ] && [ -n "$ours" ] || fail "no unit counts in: $line"
}

# Every state once before the first sample: a closed stream stays allocated
# until the next one opens, which is no leak.
visit_every_state
request_sample
first=$units first_ours=$ours first_census=$census

begin=$(date +%s)
while (($(date +%s) - begin < duration - 5)); do
    action
    pause_for 5
    running || fail "ended during the soak (seed $seed)"
done
# A quiet end with the window shown and the logo settled.
xdotool mouseup 1 2>/dev/null
xdotool windowmap "$window" 2>/dev/null
sleep 1.5
request_sample
last=$units last_ours=$ours last_census=$census
running || fail "ended before the quit button (seed $seed)"
quit_by_button
wait_exit 150 || fail "still running 15 s after the quit button (seed $seed)"
[ -z "${SOAK_REPORT:-}" ] || cp "$work/program.err" "$SOAK_REPORT"
check_report

late=$(($(diag_value underruns) - $(diag_value underruns-first-second)))
echo "soak: seed $seed, frames $(diag_value frames), live units first $first, last $last," \
    "our blocks first $first_ours, last $last_ours, underruns after the first second $late" \
    "(allowed $allowed_underruns)"
if ((last_ours > first_ours)); then
    echo "Our callers with more blocks at the end (census after every state, at the end):"
    # Same caller, more blocks; the exit report's owner lines name them.
    join -j1 -a2 -e 0 -o 0,1.2,2.2 \
        <(grep ' ours ' <<<"$first_census" | sed 's/.*blocks=\([0-9]*\).*caller=\([^ ]*\).*/\2 \1/' | sort) \
        <(grep ' ours ' <<<"$last_census" | sed 's/.*blocks=\([0-9]*\).*caller=\([^ ]*\).*/\2 \1/' | sort) |
        awk '$3 > $2 {print "  caller " $1 ": " $2 " -> " $3 " blocks"}'
    grep '^diag: owner ours ' "$work/program.err"
    fail "blocks our code allocated grew from $first_ours to $last_ours (seed $seed)"
fi
((late <= allowed_underruns)) || fail "$late audio underruns after the first second (seed $seed)"
echo "PASS: soak ${duration} s, seed $seed"
