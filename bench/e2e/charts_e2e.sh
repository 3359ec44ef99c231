#!/usr/bin/env bash
# The chart window's CPU cost against tq820-sim paced at 9600 baud: the
# program's main window (tq820_chart_probe) polls for a while with the chart
# window closed, then as long with it open on the last hour, following the
# readings, in one run. The figure is the CPU share open over closed (goal
# < 1.3).
#
# Usage: bench/e2e/charts_e2e.sh [build-dir] ; TQ820_BENCH_SECONDS (default
# 20) sets each half of the measurement.
set -euo pipefail
source "$(dirname "$0")/common.sh"

seconds=${TQ820_BENCH_SECONDS:-20}
com=47
start_sim panel "$com"

result=$(XDG_CONFIG_HOME="$work/panel" XDG_CACHE_HOME="$work/panel/cache" \
  XDG_DATA_HOME="$work/panel/data" QT_LOGGING_RULES="default.warning=false" \
  "$build/bench/e2e/tq820_chart_probe" "$com" "$seconds")
echo "$result"
awk -v line=" $result" '
  function get(name,   m) { return match(line, " " name "=[0-9.]+") ? substr(line, RSTART + length(name) + 2, RLENGTH - length(name) - 2) : "" }
  BEGIN {
    closed = get("cpu_closed"); open = get("cpu_open")
    ratio = closed > 0 ? open / closed : 0
    printf "cpu_closed=%.2f %% cpu_open=%.2f %% chart_cpu_ratio=%.3f (goal < 1.3)\n", closed * 100, open * 100, ratio
    exit ratio > 0 && ratio < 1.3 ? 0 : 1
  }'
