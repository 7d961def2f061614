# Sourced by the sanitizer scripts (test-sanitize.sh, test-tsan.sh).
#
# sanitized_build <normal build> <sanitized build dir> <cmake option> [build args...]
#   Configures and builds a sanitized tree that reuses the normal build's
#   generated pictures, logo and tracks (no generator runs again), so the
#   normal build must be complete. Sets host, start and built (epoch seconds).
# sanitized_run <log> <report pattern> <reports file> <ctest args...>
#   Runs ctest into <log>, shows the failed tests, and also searches the whole
#   output for reports (a report in a child process, or one a test ignored).
#   Sets status to 1 on any failure or report.
# Either way there is a display: $DISPLAY when set (./test.sh runs a private
# Xvfb), else one started here and stopped on exit. -noreset: a test that
# closes its last window and opens another at once must not meet the server
# in the middle of a reset.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
status=0

sanitized_build() {
    host=$(realpath "$1")
    local dir=$2 option=$3
    shift 3
    [ -f "$host/bin/data/TrackA.mp3" ] && [ -d "$host/assets" ] ||
        { echo "$host is not a complete build (no bin/data or assets)"; exit 2; }
    start=$(date +%s)
    mkdir -p "$dir"
    # -O1 with line tables: quicker to build than -O2, still fast enough to
    # run, and reports name files and lines.
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$option" \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1" \
        -DML_HOST_ASSETS="$host" -DML_BUILD_TESTS=ON -DML_BUILD_BENCH=OFF >"$dir/configure.log" ||
        { cat "$dir/configure.log"; exit 1; }
    cmake --build "$dir" -j"$(nproc)" "$@"
    built=$(date +%s)

    if [ -z "${DISPLAY:-}" ]; then
        source "$root/scripts/xvfb.sh"
        sanitized_xvfb_dir=$(mktemp -d)
        trap 'kill $xvfb_pid 2>/dev/null; rm -rf "$sanitized_xvfb_dir"' EXIT
        xvfb_start "$sanitized_xvfb_dir" -noreset
    fi
    export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
}

sanitized_run() {
    local log=$1 pattern=$2 reports=$3 failed n
    shift 3
    if ! ctest -j2 --timeout 600 -V "$@" >"$log" 2>&1; then
        status=1
        failed=$(sed -n '/The following tests FAILED/,$p' "$log" | awk '/ - /{print $1}')
        for n in $failed; do
            echo "--- test $n:"
            grep "^$n: " "$log" | tail -n 60
        done
    fi
    grep -E '^[0-9]+% tests passed|^Total Test time' "$log"
    if grep -nE "$pattern" "$log" >"$reports"; then
        echo "Sanitizer reports found ($reports):"
        head -n 40 "$reports"
        status=1
    fi
}
