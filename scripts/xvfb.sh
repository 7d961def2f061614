# Sourced by the scripts that need a private X server.
# xvfb_start <dir> [Xvfb options]: starts Xvfb on a display number it picks
# itself (-displayfd), keeps its log in <dir>/xvfb.log, sets xvfb_pid and
# exports DISPLAY. Returns 1, with the log on standard error, when the server
# has not started within ten seconds.
xvfb_start() {
    local dir=$1 number=""
    shift
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp "$@" 3>"$dir/display" \
        >"$dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        number=$(tr -dc '0-9' <"$dir/display" 2>/dev/null || true)
        [ -n "$number" ] && break
        sleep 0.1
    done
    if [ -z "$number" ]; then
        echo "Xvfb did not start:" >&2
        cat "$dir/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$number"
}
