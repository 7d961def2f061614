#!/usr/bin/env bash
# Builds and runs every benchmark on a private Xvfb and prints the table of
# figures (markdown) that bench/README.md keeps. Not run by ./test.sh.
#
# Usage: scripts/bench.sh [build dir]      (default: build)
#   BENCH_FRAMES    frames per timed frame run (default 2000)
#   BENCH_ROUNDS    alternating scene/replay rounds, medians taken (default 3)
#   BENCH_CG_FRAMES frames under callgrind per program (default 10)
#   BENCH_MEMORY_S  seconds on the panel before the memory reading (default 60)
# Everything each program printed stays in <build dir>/bench-log/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
frames=${BENCH_FRAMES:-2000}
rounds=${BENCH_ROUNDS:-3}
cg_frames=${BENCH_CG_FRAMES:-10}
memory_s=${BENCH_MEMORY_S:-60}

scripts/install-deps.sh test
# The profiler for the instruction split.
if ! dpkg-query -W -f='${Status}' valgrind 2>/dev/null | grep -q 'install ok installed'; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends valgrind
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DML_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target scene_frames scene_record gl_replay picture_decode \
    startup_run startup_steps marrowlake_diag audio_bench memory_bench render_bench >/dev/null

bin="$build/bench/scene"
log="$build/bench-log"
rm -rf "$log"
mkdir -p "$log/run"
ln -s "$build/bin/data" "$log/run/data"

xvfb_dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$xvfb_dir/display" >"$xvfb_dir/log" 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; rm -rf "$xvfb_dir"' EXIT
display=""
for _ in $(seq 100); do
    display=$(tr -dc '0-9' <"$xvfb_dir/display" 2>/dev/null || true)
    [ -n "$display" ] && break
    sleep 0.1
done
[ -n "$display" ] || { echo "Xvfb did not start:"; cat "$xvfb_dir/log"; exit 1; }
export DISPLAY=":$display"
export SDL_AUDIODRIVER=dummy

# key=value of the first line of file $2 that holds key $1.
field() { grep -ho "\b$1=[^ ]*" "$2" | head -1 | cut -d= -f2; }
median() { sort -g | awk '{v[NR] = $1} END {if (NR) print v[int((NR + 1) / 2)]}'; }
calc() { awk "BEGIN {printf \"$1\", $2}"; }
step() { echo "== $*" >&2; }

# ---- frame cost ----
step "recording the scene's GL calls"
"$bin/scene_record" "$log/trace.bin" >"$log/record.txt"
: >"$log/scene-ms"; : >"$log/scene-cpu"; : >"$log/replay-ms"; : >"$log/replay-cpu"
: >"$log/once-ms"; : >"$log/once-cpu"
for r in $(seq "$rounds"); do
    step "frames, round $r of $rounds: scene, replay, replay without re-uploads ($frames frames each)"
    "$bin/scene_frames" --frames "$frames" >"$log/scene-$r.txt"
    "$bin/gl_replay" "$log/trace.bin" --frames "$frames" >"$log/replay-$r.txt" || {
        echo "replay differs from the recorded frame:"; cat "$log/replay-$r.txt"; exit 1; }
    "$bin/gl_replay" "$log/trace.bin" --frames "$frames" --upload-once >"$log/once-$r.txt" || true
    field ms-per-frame "$log/once-$r.txt" >>"$log/once-ms"
    field cpu-ms-per-frame "$log/once-$r.txt" >>"$log/once-cpu"
    field ms-per-frame "$log/scene-$r.txt" >>"$log/scene-ms"
    field cpu-ms-per-frame "$log/scene-$r.txt" >>"$log/scene-cpu"
    field ms-per-frame "$log/replay-$r.txt" >>"$log/replay-ms"
    field cpu-ms-per-frame "$log/replay-$r.txt" >>"$log/replay-cpu"
done
scene_ms=$(median <"$log/scene-ms"); scene_cpu=$(median <"$log/scene-cpu")
replay_ms=$(median <"$log/replay-ms"); replay_cpu=$(median <"$log/replay-cpu")
once_ms=$(median <"$log/once-ms"); once_cpu=$(median <"$log/once-cpu")

step "callgrind: scene and replay, $cg_frames frames each (rasteriser in the calling thread)"
LP_NUM_THREADS=0 valgrind --tool=callgrind --callgrind-out-file="$log/callgrind.scene" \
    --collect-atstart=no '--toggle-collect=*MeasuredSceneFrames*' \
    "$bin/scene_frames" --frames "$cg_frames" --warmup 5 >"$log/cg-scene-run.txt" 2>&1
LP_NUM_THREADS=0 valgrind --tool=callgrind --callgrind-out-file="$log/callgrind.replay" \
    --collect-atstart=no '--toggle-collect=*MeasuredReplayFrames*' \
    "$bin/gl_replay" "$log/trace.bin" --frames "$cg_frames" --warmup 5 >"$log/cg-replay-run.txt" 2>&1
python3 bench/scene/callgrind_split.py "$log/callgrind.scene" "$cg_frames" scene \
    RenderLayers CTexture::Bind SDL_GL_SwapWindow >"$log/cg-scene.txt"
python3 bench/scene/callgrind_split.py "$log/callgrind.replay" "$cg_frames" replay >"$log/cg-replay.txt"
scene_ir=$(field ir-per-frame "$log/cg-scene.txt")
own_ir=$(field own-ir-per-frame "$log/cg-scene.txt")
own_share=$(field own-share "$log/cg-scene.txt")
replay_ir=$(field ir-per-frame "$log/cg-replay.txt")
replay_own_ir=$(field own-ir-per-frame "$log/cg-replay.txt")
render_ir=$(field incl-RenderLayers "$log/cg-scene.txt")
bind_ir=$(field incl-CTexture::Bind "$log/cg-scene.txt")
swap_ir=$(field incl-SDL_GL_SwapWindow "$log/cg-scene.txt")
pct() { calc "%.1f%%" "100 * $1 / $2"; }

# ---- start-up ----
# Five rounds, each: the program to its first frame, the eight decodes alone,
# and the start-up steps one by one, so each comparison shares the machine's
# load of the moment. Medians over the rounds.
step "start-up: 5 rounds of marrowlake_diag (question answered when its box maps), decodes, steps"
: >"$log/first-frame"; : >"$log/decode-ms"; : >"$log/decode-cpu"
for r in 1 2 3 4 5; do
    (cd "$log/run" && "$bin/startup_run" --run-ms 3000 "$build/bin/marrowlake_diag" \
        >"$log/startup-$r.out" 2>"$log/startup-$r.err")
    field first-frame-ms "$log/startup-$r.err" >>"$log/first-frame"
    "$bin/picture_decode" --rounds 3 >"$log/decode-$r.txt"
    field sum-median-ms "$log/decode-$r.txt" >>"$log/decode-ms"
    field sum-cpu-ms "$log/decode-$r.txt" >>"$log/decode-cpu"
    (cd "$log/run" && "$bin/startup_steps" >"$log/steps-$r.txt")
done
first_frame=$(median <"$log/first-frame")
decode_sum=$(median <"$log/decode-ms")
decode_cpu=$(median <"$log/decode-cpu")
step_median() { # $1 line tag, $2 key
    for r in 1 2 3 4 5; do
        grep -h "^$1:" "$log/steps-$r.txt" | grep -o "$2=[0-9.]*" | cut -d= -f2
    done | median
}
steps_wall="window $(step_median startup-steps window-ms), scene $(step_median startup-steps scene-ms), first frame $(step_median startup-steps first-frame-ms)"
steps_cpu="window $(step_median startup-steps-cpu window-ms), scene $(step_median startup-steps-cpu scene-ms), first frame $(step_median startup-steps-cpu first-frame-ms)"
steps_cpu_total=$(step_median startup-steps-cpu total-ms)

# ---- memory ----
step "memory: $memory_s s on the panel"
(cd "$log/run" && ML_DIAG_SKIP_INTRO=1 "$bin/startup_run" --run-ms "$((memory_s * 1000))" \
    "$build/bin/marrowlake_diag" >"$log/memory.out" 2>"$log/memory.err")
hwm_kb=$(field vmhwm-kb "$log/memory.out")
live_bytes=$(grep -h 'requested' "$log/memory.err" | tail -1 | grep -o 'live-bytes=[0-9]*' | cut -d= -f2)
live_units=$(grep -h 'requested' "$log/memory.err" | tail -1 | grep -o 'live-units=[0-9]*' | cut -d= -f2)

# ---- audio and the other benches ----
step "audio, memory tracker and render benches"
"$build/bench/audio/audio_bench" --benchmark_color=false >"$log/audio.txt" 2>&1
# Counters such as "957.997u" or "2.33m" in milliseconds.
counter_ms() {
    awk -v b="$1" -v k=" $2=" '$0 ~ "^" b {
        i = index($0, k); if (!i) next
        v = substr($0, i + length(k)); sub(/ .*/, "", v)
        u = substr(v, length(v)); n = v + 0
        if (u == "u") n /= 1000; else if (u == "m") n *= 1; else if (u == "n") n /= 1e6; else n *= 1000
        printf "%.3f", n; exit }' "$log/audio.txt"
}
audio_lib=$(counter_ms BM_LibraryPlay cpu_per_music_s)
audio_bare=$(counter_ms BM_BareDecode cpu_per_music_s)
audio_ratio=$(grep -ho 'music: [0-9.]*x' "$log/audio.txt" | head -1 | grep -o '[0-9.]*')
"$build/bench/memory/memory_bench" --benchmark_min_time=0.2 --benchmark_color=false \
    >"$log/memory_bench.txt" 2>&1
"$build/bench/render/render_bench" --benchmark_min_time=0.2 --benchmark_color=false \
    >"$log/render_bench.txt" 2>&1
png_ms=$(awk '/^BM_DecodePng1024x768/ {print $2; exit}' "$log/render_bench.txt")
tracker_256=$(awk '/256 bytes:/ {print $NF; exit}' "$log/memory_bench.txt")

own_pct=${own_share%\%}
met() { awk "BEGIN {exit !($1)}" && echo "met" || echo "NOT met"; }
startup_ratio=$(calc "%.2f" "$first_frame / $decode_sum")
latency_ms=$(calc "%.1f" "1024 * 1000 / 44100")

cat <<EOF

| Figure | Measured | Goal | Met |
|---|---|---|---|
| Frame, scene on the panel ($frames frames, 1024x768, median of $rounds) | $scene_ms ms wall, $scene_cpu ms CPU | | |
| Frame, replay of the same GL calls (same run) | $replay_ms ms wall, $replay_cpu ms CPU | | |
| Frame, replay without the per-bind re-uploads | $once_ms ms wall, $once_cpu ms CPU | | |
| Instructions per frame, scene / replay (callgrind, $cg_frames frames) | $scene_ir / $replay_ir | | |
| Scene frame instructions: render pass / its texture uploads / swap (rasteriser flush) | $(pct "$render_ir" "$scene_ir") / $(pct "$bind_ir" "$scene_ir") / $(pct "$swap_ir" "$scene_ir") | | |
| Own instructions per frame (executable + runtime it calls) | $own_ir of $scene_ir = $own_share (replay's own: $replay_own_ir) | <= 10% | $(met "$own_pct <= 10") |
| Start-up to first frame swapped (diag, median of 5) | $first_frame ms | <= 2x decode sum | $(met "$first_frame <= 2 * $decode_sum") ($startup_ratio x) |
| Decoding the eight pictures alone (same rounds, median of 5) | $decode_sum ms wall, $decode_cpu ms CPU | | |
| Start-up steps without the question (startup_steps, median of 5) | wall: $steps_wall ms; CPU: $steps_cpu ms | | |
| Sum of the steps' CPU vs decode CPU (no overlap) | $steps_cpu_total ms vs $decode_cpu ms ($(calc "%.2f" "$steps_cpu_total / $decode_cpu")x) | | |
| Peak resident size after $memory_s s on the panel (VmHWM) | $(calc "%.1f" "$hwm_kb / 1024") MiB ($hwm_kb kB) | | |
| Tracker live bytes at that moment | $live_bytes bytes in $live_units blocks | | |
| Audio: library CPU per second of music | ${audio_lib:-?} ms/s (bare decode ${audio_bare:-?} ms/s, ${audio_ratio:-?}x) | <= 1.5x bare | $(met "${audio_ratio:-99} <= 1.5") |
| Audio: output latency (1024-frame device buffer at 44.1 kHz) | $latency_ms ms | | |
| PNG decode 1024x768 (render_bench) | $png_ms ms | | |
| Tracked new/delete vs malloc/free, 256 bytes (memory_bench) | ${tracker_256}x | | |
EOF
echo
echo "Logs: $log"
