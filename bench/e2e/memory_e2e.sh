#!/usr/bin/env bash
# The panel memory download against tq820-sim paced at 9600 baud: a full
# memory (about 4090 bytes, one "ER" request and reply per byte) read by the
# program's main window (tq820_memory_probe), then by the fastest client this
# machine allows (tq820_wire_client --memory, the ceiling). Each figure is the
# time the bytes on the wire need at 9600 baud 8N1 over the time the download
# took (goal for the program >= 0.98).
#
# Usage: bench/e2e/memory_e2e.sh [build-dir]
set -euo pipefail
source "$(dirname "$0")/common.sh"

com=46
start_sim panel "$com"

# Records of every quantity each minute, as fast as the simulator can, until
# the memory is full.
sim panel "settings 1 16" >/dev/null
sim panel "reset" >/dev/null
sim panel "speedup 1000000" >/dev/null
used=0
for _ in $(seq 50); do
  sleep 0.1
  now=$(field memory-bytes "$(sim panel state)")
  [ "$now" = "$used" ] && break
  used=$now
done
echo "memory_bytes=$used (from address 2 up to the end marker)"

sim panel "stats reset" >/dev/null
program=$(XDG_CONFIG_HOME="$work/panel" XDG_CACHE_HOME="$work/panel/cache" XDG_DATA_HOME="$work/panel/data" \
  QT_LOGGING_RULES="default.warning=false" "$build/bench/e2e/tq820_memory_probe" "$com")
stats=$(sim panel stats)
er=$(field ER "$stats")
turnaround_us=$(field turnaround_median_us "$stats")

reference=$("$build/bench/e2e/tq820_wire_client" --memory "$(sim_port panel "$com")")

awk -v program=" $program" -v reference=" $reference" -v er="$er" -v us="$turnaround_us" '
  function get(line, name,   m) { return match(line, " " name "=[0-9.]+") ? substr(line, RSTART + length(name) + 2, RLENGTH - length(name) - 2) : "" }
  BEGIN {
    byte_s = 10 / 9600                       # one byte, 8N1, on the wire
    stored = get(program, "stored"); seconds = get(program, "seconds")
    # "F" and its reply, then "ERaaa" CR LF and "#ERhh" CR LF for every byte.
    wire = 3 + 6 + stored * 14
    limit = wire * byte_s
    eff = limit / seconds
    printf "program: stored=%d records=%d er_requests=%d seconds=%.3f limit_seconds=%.3f\n", stored, get(program, "records"), er, seconds, limit
    printf "download_efficiency=%.4f (goal >= 0.98)\n", eff
    # From the last byte of a reply to the first of the next request, seen by the simulator.
    printf "program_turnaround_median_ms=%.3f\n", us / 1000
    ref = get(reference, "efficiency")
    printf "reference_client: stored=%d seconds=%.3f efficiency=%.4f\n", get(reference, "stored"), get(reference, "seconds"), ref
    printf "program_over_reference=%.4f\n", eff / ref
    exit (eff >= 0.98 && er == stored) ? 0 : 1
  }'
