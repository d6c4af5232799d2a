#!/usr/bin/env bash
# How long `velalink-cli find` takes on the working interface:
#   - the full space at one speed (MODBUS RTU and ASCII, three frames,
#     addresses 1..247) against a silent line (velasim --no-answer), at
#     115200 and at 9600: every probe runs into its own time-out;
#   - the whole space (every speed) worked out from those two figures and
#     the per-speed probe time-outs;
#   - finding a device that has the factory settings.
# Each sweep line gives the probes, the seconds, the mean per probe and the
# mean probe time-out the program works out, so the overhead beyond the
# time-out (opening the port, the thread hand-over) shows.
#
# Usage: bench/find_sweep.sh [BUILD_DIR]   (default: build)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
cli=$build/app/velalink-cli
sim=$build/sim/velasim
for program in "$cli" "$sim"; do
  [[ -x $program ]] || { echo "missing $program (build velalink-cli and velasim)" >&2; exit 1; }
done

work=$(mktemp -d)
sim_pid=
cleanup() {
  [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

start_sim() {  # velasim arguments; sets port
  rm -rf "$work/ports" && mkdir "$work/ports"
  VELALINK_PORTS_DIR=$work/ports "$sim" --both "$@" > "$work/sim.out" 2>/dev/null &
  sim_pid=$!
  for _ in $(seq 100); do [[ $(wc -l < "$work/sim.out") -ge 2 ]] && break; sleep 0.05; done
  port=$(sed -n 2p "$work/sim.out" | cut -d' ' -f1)
}

stop_sim() {
  kill "$sim_pid" && wait "$sim_pid" 2>/dev/null || true
  sim_pid=
}

# The probe time-out find works out (wire time of request and answer at
# 11 or 10 bits per octet, 3.5 octets of end-of-request silence, 20 ms for
# the device, 50 ms of end-of-answer silence, 15 ms margin), averaged over
# RTU (8 + 21 octets) and ASCII (17 + 43 octets).
mean_timeout() {  # baud
  awk -v s="$1" 'function t(bits, req, ans) { return int((bits * 1000 / s) * (req + 3.5 + ans) + 0.999999) + 85 }
    BEGIN { printf "%.1f", (t(11, 8, 21) + t(10, 17, 43)) / 2 }'
}

sweep() {  # speed
  local speed=$1
  start_sim --no-answer --link-speed "$speed"
  local t0 t1
  t0=$(date +%s.%N)
  VELALINK_PORTS_DIR=$work/ports "$cli" --port "$port" --interface rs485 find --speeds "$speed" \
    > /dev/null 2> "$work/find.err" || true
  t1=$(date +%s.%N)
  stop_sim
  local probes
  probes=$(grep -o 'Проверено вариантов: [0-9]*' "$work/find.err" | grep -o '[0-9]*$')
  seconds=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", b - a }')
  per_probe=$(awk -v s="$seconds" -v p="$probes" 'BEGIN { printf "%.1f", s * 1000 / p }')
  printf '%6d baud, silent line: %5d probes in %7.1f s, %6.1f ms per probe (time-out %s ms)\n' \
    "$speed" "$probes" "$seconds" "$per_probe" "$(mean_timeout "$speed")"
  overhead=$(awk -v p="$per_probe" -v t="$(mean_timeout "$speed")" 'BEGIN { printf "%.1f", p - t }')
}

sweep 115200
overhead_fast=$overhead
sweep 9600
overhead_slow=$overhead

# The whole space: 1482 probes at each of the seven speeds.
whole=0
for speed in 9600 19200 38400 57600 76800 115200 230400; do
  whole=$(awk -v w="$whole" -v t="$(mean_timeout "$speed")" \
    -v o="$(awk -v a="$overhead_fast" -v b="$overhead_slow" 'BEGIN { print (a + b) / 2 }')" \
    'BEGIN { printf "%.1f", w + 1482 * (t + o) / 1000 }')
done
printf 'whole space (7 speeds, 10374 probes), worked out: %.0f s (%.1f min)\n' "$whole" \
  "$(awk -v w="$whole" 'BEGIN { print w / 60 }')"

start_sim
t0=$(date +%s.%N)
VELALINK_PORTS_DIR=$work/ports "$cli" --port "$port" --interface rs485 find > /dev/null 2>&1
t1=$(date +%s.%N)
stop_sim
printf 'factory settings found in %.3f s\n' "$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')"
