#!/usr/bin/env bash
# The measurement history against tq820-sim paced at 9600 baud. Two copies of
# the program run side by side for the same TQ820_BENCH_SECONDS (default 60),
# each on its own simulated panel and with its own data folder, one keeping
# the history and one not, so that both see the same load on this machine:
#   wire ratio   wire efficiency of the copy with the history over that of the
#                other (goal >= 0.99); window_e2e.sh explains the efficiency
#   raw rows     rows the history holds for the measured seconds (one a second)
#
# Usage: bench/e2e/history_e2e.sh [build-dir] ; runs itself under xvfb-run
# when there is no display.
set -euo pipefail
needs_display=1
source "$(dirname "$0")/common.sh"

seconds=${TQ820_BENCH_SECONDS:-60}

# A simulator and the program on COM$2 in the private folder $work/$1, with
# the history on when $3 is 1.
start_pair() {
  write_settings "$1" "$(dword PORT_NR "$2")" "$(dword HISTORY_ON "$3")"
  start_sim "$1" "$2"
  start_program "$1"
}

start_pair plain 47 0
start_pair history 46 1
sleep 2

sim plain "stats reset" >/dev/null
sim history "stats reset" >/dev/null
start_ns=$(date +%s%N)
sleep "$seconds"
stats_history=$(sim history stats)
stats_plain=$(sim plain stats)
end_ns=$(date +%s%N)

eff_on=$(wire_efficiency "$((end_ns - start_ns))" "$stats_history")
eff_off=$(wire_efficiency "$((end_ns - start_ns))" "$stats_plain")

database="$work/history/data/Velmor/TQ820/historia.sqlite"
sleep 1.5 # the last measured second is written by now
rows=$(python3 - "$database" "$((start_ns / 1000000000 + 1))" "$((end_ns / 1000000000))" <<'PY'
import sqlite3, sys
db = sqlite3.connect(f"file:{sys.argv[1]}?mode=ro", uri=True)
print(db.execute("SELECT count(*) FROM raw WHERE utc >= ? AND utc < ?",
                 (int(sys.argv[2]), int(sys.argv[3]))).fetchone()[0])
PY
)
expected=$((end_ns / 1000000000 - start_ns / 1000000000 - 1))

[ -e "$work/plain/data/Velmor/TQ820/historia.sqlite" ] && echo "the copy without a history wrote one" >&2
echo "measured_seconds=$seconds raw_rows=$rows (goal $expected, one a second)"
echo "wire_efficiency_history=$eff_on no_history=$eff_off"
awk -v on="$eff_on" -v off="$eff_off" -v rows="$rows" -v want="$expected" 'BEGIN {
    printf "wire_ratio=%.4f (goal >= 0.99)\n", on / off
    ok = on / off >= 0.99 && rows == want
    exit ok ? 0 : 1
  }'
