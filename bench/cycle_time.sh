#!/usr/bin/env bash
# Continuous-read cycle time of velalink-cli against velasim, at 115200 and
# 38400 baud, beside the least time the same cycle can take on a line:
#   octets on the wire x bits per character / speed
#   + the simulator's turnaround per exchange
#   + the 50 ms of silence that ends each answer.
# The last line is "ratio <measured / theoretical>" for the slower speed.
#
# Usage: bench/cycle_time.sh [BUILD_DIR] [SECONDS]   (defaults: build, 10)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
seconds=${2:-10}
cli=$build/app/velalink-cli
sim=$build/sim/velasim
turnaround_ms=2      # velasim's default pause before it answers
silence_ms=50        # the port's end-of-answer gap
bits_per_char=11     # 8E1: start, 8 data, parity, stop
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

measure() {  # speed; sets measured and theoretical
  local speed=$1
  rm -rf "$work/ports" && mkdir "$work/ports"
  VELALINK_PORTS_DIR=$work/ports "$sim" --speed "$speed" > "$work/sim.out" 2>/dev/null &
  sim_pid=$!
  for _ in $(seq 100); do [[ -s $work/sim.out ]] && break; sleep 0.05; done
  local port
  port=$(head -1 "$work/sim.out" | cut -d' ' -f1)
  local line
  line=$(VELALINK_PORTS_DIR=$work/ports "$cli" --port "$port" --interface rs485 --speed "$speed" \
           watch --seconds "$seconds" --stats | grep '^Циклов чтения')
  kill "$sim_pid" && wait "$sim_pid" 2>/dev/null || true
  sim_pid=
  # "Циклов чтения: N; среднее время цикла: X мс; обменов за цикл: E; октетов за цикл: запросы W, ответы R"
  local numbers
  numbers=$(sed -E 's/[^0-9.]+/ /g' <<< "$line")
  read -r cycles mean exchanges written readback <<< "$numbers"
  theoretical=$(awk -v w="$written" -v r="$readback" -v e="$exchanges" -v s="$speed" \
    -v b="$bits_per_char" -v t="$turnaround_ms" -v g="$silence_ms" \
    'BEGIN { printf "%.1f", (w + r) * b * 1000 / s + e * (t + g) }')
  measured=$mean
  # velasim paces only its answers; a request reaches it at once over the pty.
  answers_only=$(awk -v r="$readback" -v e="$exchanges" -v s="$speed" -v b="$bits_per_char" \
    -v t="$turnaround_ms" -v g="$silence_ms" 'BEGIN { printf "%.1f", r * b * 1000 / s + e * (t + g) }')
  printf '%6d baud: %4d cycles, measured %7.1f ms, theoretical %7.1f ms (%d exchanges, %d + %d octets)\n' \
    "$speed" "$cycles" "$mean" "$theoretical" "$exchanges" "$written" "$readback"
  printf '%6d baud: without the request octets (not paced by velasim) %7.1f ms, ratio %.3f\n' \
    "$speed" "$answers_only" "$(awk -v m="$mean" -v a="$answers_only" 'BEGIN { print m / a }')"
}

echo "velalink-cli continuous read against velasim, $seconds s per speed, 8E1"
measure 115200
awk -v m="$measured" -v t="$theoretical" 'BEGIN { printf "ratio at 115200: %.3f\n", m / t }'
measure 38400
awk -v m="$measured" -v t="$theoretical" 'BEGIN { printf "ratio %.3f\n", m / t }'
