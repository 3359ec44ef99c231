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
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build}")

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$build"
fi

seconds=${TQ820_BENCH_SECONDS:-60}
work=$(mktemp -d "${TMPDIR:-/tmp}/tq820-recbench.XXXXXX")
record="$work/pomiary.txt"
pids=()

cleanup() {
  for pid in "${pids[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
      kill -TERM "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
  rm -rf "$work"
}
trap cleanup EXIT

declare -A sim_in sim_out

# One control line to simulator $1, its one-line answer on stdout.
sim() {
  echo "$2" >&"${sim_in[$1]}"
  local answer
  IFS= read -r -t 5 answer <&"${sim_out[$1]}"
  echo "$answer"
}
field() { sed -n "s/.* $1=\([0-9.]*\).*/\1/p" <<<"$2"; }

# A simulator and the program on COM$2 in the private folder $work/$1; the
# program records every second when $3 is 1.
start_pair() {
  local name=$1 com=$2 recording=$3
  local config="$work/$name"
  mkdir -p "$config/Velmor"
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Velmor\\TQ820v1.0]\r\n'
    printf '"PORT_NR"=dword:%08x\r\n' "$com"
    printf '"FILE_NAME"="%s"\r\n' "$record"
    printf '"FILE_LOG"=dword:%08x\r\n"FILE_INTERVAL"=dword:00000001\r\n' "$recording"
  } >"$config/Velmor/TQ820v1.0.reg"

  mkfifo "$work/$name.in" "$work/$name.out"
  XDG_CONFIG_HOME="$config" "$build/tq820-sim" --com "$com" \
    <"$work/$name.in" >"$work/$name.out" 2>/dev/null &
  pids+=($!)
  local fd_in fd_out ready
  exec {fd_in}>"$work/$name.in"
  exec {fd_out}<"$work/$name.out"
  sim_in[$name]=$fd_in
  sim_out[$name]=$fd_out
  IFS= read -r -t 5 ready <&"$fd_out"
  case "$ready" in
    "COM$com -> "*) ;;
    *) echo "the simulator did not start: $ready" >&2; exit 1 ;;
  esac

  XDG_CONFIG_HOME="$config" XDG_CACHE_HOME="$config/cache" "$build/tq820" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do
    [ "$(field K "$(sim "$name" stats)")" -gt 5 ] && break
    sleep 0.1
  done
}

efficiency() {
  awk -v ns="$1" -v k="$(field K "$2")" -v rx="$(field rx_bytes "$2")" \
    -v tx="$(field tx_bytes "$2")" 'BEGIN {
      limit = 1 / ((rx + tx) / k * 10 / 9600)
      printf "%.4f\n", k / (ns / 1e9) / limit
    }'
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

eff_on=$(efficiency "$((end_ns - start_ns))" "$stats_recording")
eff_off=$(efficiency "$((end_ns - start_ns))" "$stats_plain")

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
