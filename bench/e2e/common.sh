# What the end-to-end measuring scripts share; sourced by each of them after
# "set -euo pipefail", with the build folder as the script's first argument.
# A script that shows the program's window sets needs_display=1 first: it
# runs again under xvfb-run when there is no display.
#
# Each simulator and program gets a name and the private configuration folder
# $work/<name>; everything started here ends when the script does.

cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build}")

if [ "${needs_display:-0}" = 1 ] && [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$build"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tq820-bench.XXXXXX")
program_pids=()
sim_pids=()
declare -A sim_in sim_out

cleanup() {
  local pid name
  for pid in "${program_pids[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
      kill -TERM "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
  for name in "${!sim_in[@]}"; do
    echo quit >&"${sim_in[$name]}" 2>/dev/null || true
  done
  for pid in "${sim_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

# One control line to simulator $1; its one-line answer on stdout.
sim() {
  echo "$2" >&"${sim_in[$1]}"
  local answer
  IFS= read -r -t 5 answer <&"${sim_out[$1]}"
  echo "$answer"
}

# The number after " $1=" in the line $2.
field() { sed -n "s/.* $1=\([0-9.]*\).*/\1/p" <<<"$2"; }

# Simulator $1 on COM$2 (further arguments are its options), driven through
# two FIFOs; returns once it has said that its port is there.
start_sim() {
  local name=$1 com=$2
  shift 2
  mkdir -p "$work/$name"
  mkfifo "$work/$name.in" "$work/$name.out"
  XDG_CONFIG_HOME="$work/$name" "$build/tq820-sim" --com "$com" "$@" \
    <"$work/$name.in" >"$work/$name.out" 2>/dev/null &
  sim_pids+=($!)
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
}

# The port device of simulator $1 on COM$2.
sim_port() { echo "$work/$1/Velmor/ports/COM$2"; }

# A settings file in $work/$1 holding the value lines that follow, e.g.
# "$(dword PORT_NR 43)".
write_settings() {
  local config="$work/$1"
  shift
  mkdir -p "$config/Velmor"
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Velmor\\TQ820v1.0]\r\n'
    printf '%s\r\n' "$@"
  } >"$config/Velmor/TQ820v1.0.reg"
}
dword() { printf '"%s"=dword:%08x' "$1" "$2"; }

# The program over the settings in $work/$1; its process id in $program_pid.
# Returns once simulator $1 sees it polling.
start_program() {
  XDG_CONFIG_HOME="$work/$1" XDG_CACHE_HOME="$work/$1/cache" XDG_DATA_HOME="$work/$1/data" \
    "$build/tq820" 2>/dev/null &
  program_pid=$!
  program_pids+=("$program_pid")
  for _ in $(seq 100); do
    [ "$(field K "$(sim "$1" stats)")" -gt 5 ] && break
    sleep 0.1
  done
}

# Ends the program $1 as the desktop does, with SIGTERM.
stop_program() {
  kill -TERM "$1"
  wait "$1" || true
}

# Wire efficiency from a "stats" line $2 over $1 nanoseconds: regular cycles
# per second (each starts with "K") over the limit that the cycle's bytes
# allow at 9600 baud, 8N1.
wire_efficiency() {
  awk -v ns="$1" -v k="$(field K "$2")" -v rx="$(field rx_bytes "$2")" \
    -v tx="$(field tx_bytes "$2")" 'BEGIN {
      limit = 1 / ((rx + tx) / k * 10 / 9600)
      printf "%.4f\n", k / (ns / 1e9) / limit
    }'
}
