#!/usr/bin/env bash
# velalink-cli against velasim in the default exchange (an answer ends as soon
# as its frame is whole and valid) and with --exact-timing (every answer ends
# after 50 ms of silence), side by side.
#
# 1. Continuous reading on the working interface at 115200, 38400 and 9600
#    baud in MODBUS RTU (8E1, 11 bits a character) and MODBUS ASCII (7E1, 10
#    bits), each cycle beside the wire-time limit of the line:
#      octets of a cycle x bits per character / speed
#      + the simulator's turnaround per exchange
#    and, because velasim paces only its answers (a request reaches it at once
#    over the pty), beside the same limit of the answer octets alone. The
#    --exact-timing mode is also shown beside its own limit: that plus 50 ms of
#    silence per exchange.
#    IEC 60870-5-101 (8E1) the same way, the cycle taken from the times of the
#    CSV lines of `watch --format csv`.
# 2. Read once over the USB service interface (38400, RTU): the time from the
#    start of the operation (the trace's "Обмен: …" line) to
#    "Чтение выполнено.", the mean of a few runs.
#
# Usage: bench/cycle_time.sh [BUILD_DIR] [SECONDS]   (defaults: build, 6 s per run)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
seconds=${2:-6}
reads_once=3
cli=$build/app/velalink-cli
sim=$build/sim/velasim
turnaround_ms=2  # velasim's default pause before it answers
silence_ms=50    # the end-of-answer gap of --exact-timing
for program in "$cli" "$sim"; do
  [[ -x $program ]] || { echo "missing $program (build velalink-cli and velasim)" >&2; exit 1; }
done

work=$(mktemp -d)
sim_pid=
stop_sim() {
  if [[ -n $sim_pid ]]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  sim_pid=
}
trap 'stop_sim; rm -rf "$work"' EXIT
export VELALINK_PORTS_DIR=$work/ports

start_sim() {  # velasim arguments...; sets service_port and working_port
  rm -rf "$VELALINK_PORTS_DIR" && mkdir "$VELALINK_PORTS_DIR"
  "$sim" "$@" > "$work/sim.out" 2>/dev/null &
  sim_pid=$!
  for _ in $(seq 100); do [[ $(wc -l < "$work/sim.out") -ge 1 ]] && break; sleep 0.05; done
  sleep 0.1
  service_port=$(sed -n 1p "$work/sim.out" | cut -d' ' -f1)
  working_port=$(sed -n 2p "$work/sim.out" | cut -d' ' -f1)
}

calc() { awk "BEGIN { printf \"%.1f\", $1 }"; }
ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }

watch_cycle() {  # speed protocol frame bits mode
  local speed=$1 protocol=$2 frame=$3 bits=$4 mode=$5 line
  local flags=()
  [[ $mode == exact ]] && flags=(--exact-timing)
  line=$("$cli" --port "$working_port" --interface rs485 --protocol "$protocol" --speed "$speed" \
           --frame "$frame" "${flags[@]}" --quiet watch --seconds "$seconds" --stats 2>&1 >/dev/null |
         grep '^Циклов чтения' || true)
  if [[ -z $line ]]; then
    printf '%6s %-5s %-7s no cycle measured\n' "$speed" "$protocol" "$mode"
    return
  fi
  # "Циклов чтения: N; среднее время цикла: X мс; обменов за цикл: E; октетов за цикл: запросы W, ответы R"
  local cycles mean exchanges written answered
  read -r cycles mean exchanges written answered <<< "$(sed -E 's/[^0-9.]+/ /g' <<< "$line")"
  local wire answers silence
  wire=$(calc "($written + $answered) * $bits * 1000 / $speed + $exchanges * $turnaround_ms")
  answers=$(calc "$answered * $bits * 1000 / $speed + $exchanges * $turnaround_ms")
  silence=$(calc "$wire + $exchanges * $silence_ms")
  printf '%6s %-5s %-7s %4d cycles %7.1f ms  %5.1f/s | wire %6.1f ms x%s | answers %6.1f ms x%s' \
    "$speed" "$protocol" "$mode" "$cycles" "$mean" "$(calc "1000 / $mean")" \
    "$wire" "$(ratio "$mean" "$wire")" "$answers" "$(ratio "$mean" "$answers")"
  [[ $mode == exact ]] && printf ' | with silence %6.1f ms x%s' "$silence" "$(ratio "$mean" "$silence")"
  printf '\n'
}

read_once_ms() {  # mode; prints the mean time to "Чтение выполнено." over $reads_once runs
  local mode=$1 total=0 run
  local flags=()
  [[ $mode == exact ]] && flags=(--exact-timing)
  for run in $(seq "$reads_once"); do
    # The trace goes to standard error line by line; each line is stamped as it comes.
    local times
    times=$("$cli" --port "$service_port" --trace "${flags[@]}" read 2>&1 >/dev/null |
      while IFS= read -r line; do
        case $line in
          "Обмен: "*) echo "start $EPOCHREALTIME" ;;
          "    <Чтение выполнено.>") echo "done $EPOCHREALTIME" ;;
        esac
      done)
    local start done_at
    start=$(awk '$1 == "start" { print $2; exit }' <<< "$times")
    done_at=$(awk '$1 == "done" { print $2; exit }' <<< "$times")
    if [[ -z $start || -z $done_at ]]; then echo "failed"; return; fi
    total=$(calc "$total + ($done_at - $start) * 1000")
  done
  calc "$total / $reads_once"
}

echo "velalink-cli continuous read against velasim, $seconds s per run; default and --exact-timing"
echo "(x: measured / limit; velasim paces its answers only, so 'answers' is the limit it sets)"
for speed in 115200 38400 9600; do
  for protocol in rtu ascii; do
    if [[ $protocol == rtu ]]; then frame=8E1 bits=11; else frame=7E1 bits=10; fi
    start_sim --both --protocol "$protocol" --link-speed "$speed" --link-frame 0
    for mode in default exact; do watch_cycle "$speed" "$protocol" "$frame" "$bits" "$mode"; done
    stop_sim
  done
done

# IEC 60870-5-101: one reading is one class 2 request (fixed frame, 5 octets
# with a 1-octet link address) and one M_ME_NC_1 answer of the 28 values
# (variable frame: 6 + ASDU of 6 + 28 x 7 octets, each a 2-octet address, a
# 4-octet value and its quality = 208, as the trace shows "68 CA CA 68"), 8E1.
iec_cycle() {  # speed mode
  local speed=$1 mode=$2 times readings
  local flags=()
  [[ $mode == exact ]] && flags=(--exact-timing)
  # The time of each reading (ms since midnight) from its CSV line: the cycle
  # is the span from the first reading to the last over the readings between,
  # so the start-up (link reset) is not counted.
  times=$("$cli" --port "$working_port" --interface rs485 --protocol iec101 --speed "$speed" \
            "${flags[@]}" --quiet watch --seconds "$seconds" --format csv 2>/dev/null |
          tail -n +2 | cut -d';' -f1 | sed -E 's/^[^T]*T([0-9]+):([0-9]+):([0-9.]+).*/\1 \2 \3/' |
          awk '{ print ($1 * 3600 + $2 * 60 + $3) * 1000 }')
  readings=$(wc -l <<< "$times")
  if [[ $readings -lt 3 ]]; then
    printf '%6s %-5s %-7s no reading measured\n' "$speed" iec "$mode"
    return
  fi
  local mean wire
  mean=$(awk 'NR == 1 { first = $1 } { last = $1 } END { printf "%.1f", (last - first) / (NR - 1) }' \
           <<< "$times")
  wire=$(calc "(5 + 208) * 11 * 1000 / $speed + $turnaround_ms")
  printf '%6s %-5s %-7s %4d readings %7.1f ms  %5.1f/s | wire %6.1f ms x%s\n' \
    "$speed" iec "$mode" "$readings" "$mean" "$(calc "1000 / $mean")" "$wire" "$(ratio "$mean" "$wire")"
}
for speed in 115200 38400 9600; do
  start_sim --both --protocol iec --link-speed "$speed"
  for mode in default exact; do iec_cycle "$speed" "$mode"; done
  stop_sim
done

echo
echo "read once over USB (service interface, 38400, RTU), mean of $reads_once runs:"
start_sim
# The 11 requests and answers of a read once: 263 octets, 11 bits a character.
once_wire=$(calc "263 * 11 * 1000 / 38400")
for mode in default exact; do
  once=$(read_once_ms "$mode")
  printf '%-7s start to "Чтение выполнено.": %s ms' "$mode" "$once"
  [[ $once != failed ]] && printf ' | wire %s ms x%s' "$once_wire" "$(ratio "$once" "$once_wire")"
  printf '\n'
done
stop_sim
