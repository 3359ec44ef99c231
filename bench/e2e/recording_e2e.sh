#!/usr/bin/env bash
# Live recording against tq820-sim paced at 9600 baud. Two copies of the
# program run side by side for the same TQ820_BENCH_SECONDS (default 60), each
# on its own simulated panel, one recording every second and one not, so that
# both see the same load on this machine:
#   line count   lines written at a 1 s interval (goal: the number of seconds
#                +/- 1), the first and last time stamps, and the steps between
#                stamps that were not one second (a drifting timer shows here)
#   wire ratio   wire efficiency of the recording copy over that of the other
#                (goal >= 0.99); window_e2e.sh explains the efficiency
#
# Usage: bench/e2e/recording_e2e.sh [build-dir] ; runs itself under xvfb-run
# when there is no display. The recording file lies in $TMPDIR (default /tmp).
set -euo pipefail
needs_display=1
source "$(dirname "$0")/common.sh"

seconds=${TQ820_BENCH_SECONDS:-60}
record="$work/pomiary.txt"

# A simulator and the program on COM$2 in the private folder $work/$1; the
# program records every second when $3 is 1.
start_pair() {
  write_settings "$1" "$(dword PORT_NR "$2")" "\"FILE_NAME\"=\"$record\"" "$(dword FILE_LOG "$3")" \
    "$(dword FILE_INTERVAL 1)"
  start_sim "$1" "$2"
  start_program "$1"
}

lines() { if [ -f "$record" ]; then wc -l <"$record"; else echo 0; fi; }

start_pair plain 45 0
start_pair recording 44 1
sleep 2

sim plain "stats reset" >/dev/null
sim recording "stats reset" >/dev/null
before=$(lines)
start_ns=$(date +%s%N)
sleep "$seconds"
stats_recording=$(sim recording stats)
stats_plain=$(sim plain stats)
end_ns=$(date +%s%N)
after=$(lines)

eff_on=$(wire_efficiency "$((end_ns - start_ns))" "$stats_recording")
eff_off=$(wire_efficiency "$((end_ns - start_ns))" "$stats_plain")

stamps=$(sed -n "$((before + 1)),${after}p" "$record" | grep -aE '^[0-9]{4}\.[0-9]{2}\.[0-9]{2} ' |
  cut -c1-19 || true)
count=$(grep -c . <<<"$stamps" || true)
odd_steps=$(while IFS= read -r s; do
    [ -n "$s" ] && date -d "$(sed 's/\./-/; s/\./-/' <<<"$s")" +%s
  done <<<"$stamps" | awk 'NR > 1 && $1 - prev != 1 { n++ } { prev = $1 } END { print n + 0 }')

echo "recording_seconds=$seconds lines=$count (goal $seconds +/- 1)"
echo "first_stamp=$(head -n 1 <<<"$stamps") last_stamp=$(tail -n 1 <<<"$stamps") odd_steps=$odd_steps"
echo "wire_efficiency_recording=$eff_on not_recording=$eff_off"
awk -v on="$eff_on" -v off="$eff_off" -v n="$count" -v s="$seconds" -v odd="$odd_steps" 'BEGIN {
    printf "wire_ratio=%.4f (goal >= 0.99)\n", on / off
    ok = on / off >= 0.99 && n >= s - 1 && n <= s + 1 && odd == 0
    exit ok ? 0 : 1
  }'
