#!/usr/bin/env bash
# End-to-end figures of the running program against tq820-sim paced at 9600
# baud, all from one run on this machine:
#   wire efficiency  bytes on the wire over what 9600 baud can carry in the same
#                    time, i.e. regular cycles per second over the limit the
#                    cycle's bytes allow (goal >= 0.99)
#   turnaround       median time from a reply's last byte to the next request's
#                    first byte, on the simulator's side (goal <= 0.2 ms)
#   CPU              the program's CPU time over wall time while polling with
#                    blinking tiles (goal <= 1 %)
#   memory           the program's peak resident set, VmHWM (goal <= 60 MB)
# then the same wire figure for a minimal C client (the ceiling of this
# machine and simulator), and the start-up ratio (tq820_startup_probe).
#
# Usage: bench/e2e/window_e2e.sh [build-dir] ; runs itself under xvfb-run
# when there is no display. TQ820_BENCH_SECONDS (default 30) sets the
# measuring time.
set -euo pipefail
needs_display=1
source "$(dirname "$0")/common.sh"

seconds=${TQ820_BENCH_SECONDS:-30}
com=43

start_sim panel "$com"
# Faults make the humidity and wind-speed tiles blink during the measurement.
sim panel "fault humidity on" >/dev/null
sim panel "fault speed on" >/dev/null
write_settings panel "$(dword PORT_NR "$com")"
start_program panel
prog_pid=$program_pid
sleep 2

ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$prog_pid/stat"; }

sim panel "stats reset" >/dev/null
start_ns=$(date +%s%N)
cpu0=$(cpu)
sleep "$seconds"
stats=$(sim panel stats)
end_ns=$(date +%s%N)
cpu1=$(cpu)
hwm_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$prog_pid/status")

k=$(field K "$stats")
rx=$(field rx_bytes "$stats")
tx=$(field tx_bytes "$stats")
samples=$(field turnaround_samples "$stats")
median_us=$(field turnaround_median_us "$stats")
p90_us=$(field turnaround_p90_us "$stats")

summary=$(awk -v ns="$((end_ns - start_ns))" -v k="$k" -v rx="$rx" -v tx="$tx" -v med="$median_us" \
  -v p90="$p90_us" -v n="$samples" -v c0="$cpu0" -v c1="$cpu1" -v hz="$ticks" -v hwm="$hwm_kb" '
  BEGIN {
    s = ns / 1e9
    byte_s = 10 / 9600              # one byte, 8N1, on the wire
    cycles = k / s                  # a regular cycle starts with "K"
    limit = 1 / ((rx + tx) / k * byte_s)
    eff = cycles / limit
    cpu = (c1 - c0) / hz / s
    printf "measured_seconds=%.1f status_requests=%d bytes_on_wire=%d\n", s, k, rx + tx
    printf "cycles_per_second=%.2f limit_per_second=%.2f\n", cycles, limit
    printf "wire_efficiency=%.4f (goal >= 0.99)\n", eff
    # Of the time the wire stood idle, the share the program took to answer
    # (about samples x median turnaround); the rest is the simulator waking up late.
    printf "idle_share_program=%.2f idle_share_simulator=%.2f\n", n * med / 1e6 / (s * (1 - eff)), 1 - n * med / 1e6 / (s * (1 - eff))
    printf "turnaround_median_ms=%.3f p90_ms=%.3f (goal median <= 0.2)\n", med / 1000, p90 / 1000
    printf "cpu_ratio=%.4f = %.2f %% (goal <= 1 %%)\n", cpu, cpu * 100
    printf "peak_rss_mb=%.1f (goal <= 60)\n", hwm / 1024
    ok = eff >= 0.99 && med <= 200 && cpu <= 0.01 && hwm / 1024 <= 60
    exit ok ? 0 : 1
  }') || status=$?
echo "$summary"

stop_program "$prog_pid"

# The ceiling of this machine and simulator: a minimal client that sends the
# next request as soon as it has read a reply's line end.
ref_seconds=$((seconds < 10 ? seconds : 10))
sim panel "stats reset" >/dev/null
ref=$("$build/bench/e2e/tq820_wire_client" "$(sim_port panel "$com")" "$ref_seconds")
stats=$(sim panel stats)
awk -v ref="$(field efficiency " $ref")" -v refcpu="$(field cpu " $ref")" -v us="$(field turnaround_median_us "$stats")" \
  -v eff="$(sed -n 's/^wire_efficiency=\([0-9.]*\).*/\1/p' <<<"$summary")" 'BEGIN {
    printf "reference_client_wire_efficiency=%.4f turnaround_median_ms=%.3f\n", ref, us / 1000
    printf "program_over_reference=%.4f\n", eff / ref
    # The same wake-up per received byte, without a window or an event loop.
    printf "reference_client_cpu_ratio=%.4f = %.2f %%\n", refcpu, refcpu * 100
  }'

"$build/bench/e2e/tq820_startup_probe" "$build/tq820" "$build/bench/e2e/bare_window" 15 || status=$?
exit "${status:-0}"
