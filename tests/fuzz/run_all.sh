#!/usr/bin/env bash
# Runs each libFuzzer target of a fuzz build in turn for a while, keeping new
# inputs and crashes under a work directory; a target stopped by a crash is
# started again until its time is used up.
#   run_all.sh <fuzz build dir> <work dir> [seconds per target] [target...]
set -uo pipefail
build=$1
work=$2
seconds=${3:-600}
shift $(( $# < 3 ? $# : 3 ))
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(model_parse texture_resource hot_spots font_scan scroll_text mp3_stream)
for t in "${targets[@]}"; do
  mkdir -p "$work/$t/corpus" "$work/$t/artifacts"
  start=$(date +%s)
  round=0
  while left=$(( seconds - ($(date +%s) - start) )); [ $left -gt 5 ]; do
    round=$((round + 1))
    "$build/tests/fuzz/fuzz_$t" -max_total_time=$left -rss_limit_mb=4096 -timeout=25 \
      -print_final_stats=1 -artifact_prefix="$work/$t/artifacts/" "$work/$t/corpus" \
      "$here/corpus/$t" >"$work/$t/log.$round" 2>&1
    echo "$t round $round exit $? after $(( $(date +%s) - start ))s"
  done
done
