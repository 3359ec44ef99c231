#!/usr/bin/env bash
# The measurement history killed: the program runs on tq820-sim (offscreen,
# paced at 9600 baud) and is killed with SIGKILL TQ820_KILLS times (default
# 100), each time at a random moment from 0 to 3 s after it started polling,
# then started again on the same history. After each kill:
#   integrity    PRAGMA integrity_check of the file (goal: every one "ok")
#   lost         the time with readings whose seconds are not stored: from the
#                end of the last second stored (or from the first request of
#                this run, when it stored none) to the kill; the second in
#                progress is always lost, and the one before it too when the
#                kill falls in the few milliseconds before its commit, so the
#                goal is <= 1.05 s
# At the end the minutes the kills left undone must have been completed from
# the raw rows (every raw row counted in a minute row).
#
# Usage: bench/e2e/history_kill_e2e.sh [build-dir]. Not part of the test
# suite: it takes some minutes. TQ820_KILL_LOG names a file that receives one
# line per kill.
set -euo pipefail
export QT_QPA_PLATFORM=offscreen
source "$(dirname "$0")/common.sh"

kills=${TQ820_KILLS:-100}
com=48
start_sim panel "$com"
write_settings panel "$(dword PORT_NR "$com")"
database="$work/panel/data/Velmor/TQ820/historia.sqlite"

# Integrity, the time lost (kill $1, polling since $2) and the seconds this run stored.
check() {
  python3 - "$database" "$1" "$2" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
killed, polling = float(sys.argv[2]), float(sys.argv[3])
ok = db.execute("PRAGMA integrity_check").fetchone()[0]
last = db.execute("SELECT max(utc) FROM raw").fetchone()[0]
stored = db.execute("SELECT count(*) FROM raw WHERE utc >= ?", (int(polling),)).fetchone()[0]
lost = killed - max(last + 1 if last is not None else 0, polling)
print(f"{ok} {lost:.3f} {stored}")
PY
}

# The program on the panel's settings; returns once it has sent its first
# request, whose moment goes to $polling.
start_and_wait() {
  XDG_CONFIG_HOME="$work/panel" XDG_CACHE_HOME="$work/panel/cache" \
    XDG_DATA_HOME="$work/panel/data" "$build/tq820" 2>/dev/null &
  program_pid=$!
  program_pids+=("$program_pid")
  for _ in $(seq 400); do
    if [ "$(field K "$(sim panel stats)")" -gt 0 ]; then
      polling=$(date +%s.%N)
      return
    fi
    sleep 0.025
  done
  polling=$(date +%s.%N)
}

failed=0
worst=0
for i in $(seq "$kills"); do
  sim panel "stats reset" >/dev/null
  start_and_wait
  sleep "$(awk -v r="$RANDOM" 'BEGIN { printf "%.3f", r / 32767 * 3 }')"
  killed_at=$(date +%s.%N)
  kill -KILL "$program_pid"
  wait "$program_pid" 2>/dev/null || true
  read -r integrity lost stored <<<"$(check "$killed_at" "$polling")"
  [ "$integrity" = ok ] || failed=$((failed + 1))
  worst=$(awk -v a="$worst" -v b="$lost" 'BEGIN { print (b > a ? b : a) }')
  printf 'kill %d/%d after %.2f s: %s, lost %s s, %d seconds stored\n' "$i" "$kills" \
    "$(awk -v k="$killed_at" -v p="$polling" 'BEGIN { print k - p }')" "$integrity" "$lost" \
    "$stored" >"$work/kill.log.line"
  cat "$work/kill.log.line" >>"${TQ820_KILL_LOG:-/dev/null}"
  printf '\r%s ' "$(cat "$work/kill.log.line")" >&2
done
echo >&2

# One more start completes the minutes that the last kill left undone.
start_and_wait
sleep 1
stop_program "$program_pid"
summary=$(python3 - "$database" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
raw = db.execute("SELECT count(*) FROM raw").fetchone()[0]
minutes = db.execute("SELECT count(*) FROM minute").fetchone()[0]
undone = db.execute("SELECT count(*) FROM (SELECT DISTINCT utc - utc % 60 AS m FROM raw) "
                    "WHERE m NOT IN (SELECT utc FROM minute)").fetchone()[0]
print(raw, minutes, undone)
PY
)
read -r raw minutes undone <<<"$summary"
echo "kills=$kills failed_integrity=$failed (goal 0) most_lost_seconds=$worst (goal <= 1.05)"
echo "raw_rows=$raw minute_rows=$minutes minutes_left_undone=$undone (goal 0)"
awk -v f="$failed" -v w="$worst" -v u="$undone" 'BEGIN { exit (f == 0 && w <= 1.05 && u == 0) ? 0 : 1 }'
