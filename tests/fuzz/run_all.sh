#!/usr/bin/env bash
# Runs each libFuzzer target of a fuzz build for a while, one after another,
# keeping new inputs and crashes under a work directory. A target that stops
# on a crash is started again until its time is used up.
#   run_all.sh <fuzz build dir> <work dir> [seconds per target] [target...]
set -uo pipefail
build=$1
work=$2
seconds=${3:-600}
shift $(( $# < 3 ? $# : 3 ))
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(model_parse texture_resource hot_spots font_scan scroll_text mp3_stream)
fi
for t in "${targets[@]}"; do
  exe=$build/tests/fuzz/fuzz_$t
  mkdir -p "$work/$t/corpus" "$work/$t/artifacts"
  start=$(date +%s)
  round=0
  while :; do
    left=$(( seconds - ($(date +%s) - start) ))
    [ $left -le 5 ] && break
    round=$((round + 1))
    "$exe" -max_total_time=$left -rss_limit_mb=4096 -timeout=25 -print_final_stats=1 \
      -artifact_prefix="$work/$t/artifacts/" "$work/$t/corpus" "$here/corpus/$t" \
      >"$work/$t/log.$round" 2>&1
    echo "$t round $round exit $? after $(( $(date +%s) - start ))s"
  done
done
