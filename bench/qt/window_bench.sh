#!/usr/bin/env bash
# Measures the Qt window against the simulated device (velasim), on Qt's
# offscreen platform:
#   - the time from starting velalink to its first painted window (5 starts;
#     target under 1 s);
#   - its resident memory at the start of continuous reading and every
#     interval until the end (target: flat).
#
#   bench/qt/window_bench.sh [--seconds N | --minutes N] [--build DIR]
#
# Default: 60 s of continuous reading; --minutes 10 for the long run.
set -euo pipefail
cd "$(dirname "$0")/../.."

seconds=60
build=build
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --minutes) seconds=$(($2 * 60)); shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) echo "usage: $0 [--seconds N | --minutes N] [--build DIR]" >&2; exit 2 ;;
  esac
done

if [ ! -x "$build/qt/velalink" ] || [ ! -x "$build/sim/velasim" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target velalink velasim
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/velalink-bench.XXXXXX")
export VELALINK_PORTS_DIR=$work/ports QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$VELALINK_PORTS_DIR"
mkdir -m 700 "$XDG_RUNTIME_DIR"
sim_pid="" app_pid=""
stop() {
  for pid in $app_pid $sim_pid; do
    if kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  done
  rm -rf "$work"
}
trap stop EXIT

"$build"/sim/velasim --trace >"$work/sim.out" 2>"$work/sim.trace" &
sim_pid=$!
port=""
for _ in $(seq 100); do
  read -r port _ <"$work/sim.out" 2>/dev/null || true
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "velasim printed no port" >&2; exit 1; }

now_ms() { date +%s%3N; }
rss_kib() { awk '/^VmRSS/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }
wait_for_line() {  # file, pattern, tries of 10 ms
  for _ in $(seq "$3"); do
    grep -q "$2" "$1" 2>/dev/null && return 0
    sleep 0.01
  done
  return 1
}

echo "== start to first painted window (velalink, offscreen) =="
times=()
for run in 1 2 3 4 5; do
  start=$(now_ms)
  "$build"/qt/velalink --port "$port" --report-paint >"$work/start.out" 2>/dev/null &
  app_pid=$!
  wait_for_line "$work/start.out" first-paint-epoch-ms 1000 || { echo "no paint" >&2; exit 1; }
  painted=$(awk '/first-paint-epoch-ms/ {print $2}' "$work/start.out")
  kill "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=""
  times+=($((painted - start)))
  echo "run $run: $((painted - start)) ms"
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n | tr '\n' ' ')
echo "first paint: min $(echo $sorted | cut -d' ' -f1) ms, median $(echo $sorted | cut -d' ' -f3) ms (target < 1000 ms)"

echo "== resident memory during ${seconds} s of continuous reading =="
requests_before=$(grep -c " Rd: " "$work/sim.trace" || true)
"$build"/qt/velalink --port "$port" --continuous "$seconds" --report-paint >"$work/run.out" 2>"$work/run.err" &
app_pid=$!
wait_for_line "$work/run.out" first-paint-epoch-ms 1000 || { echo "no paint" >&2; exit 1; }
sleep 2
first=$(rss_kib "$app_pid")
echo "t=2 s: VmRSS ${first} KiB"
step=$((seconds >= 120 ? 60 : 10))
t=2
last=$first
while kill -0 "$app_pid" 2>/dev/null && [ $((t + step)) -lt "$seconds" ]; do
  sleep "$step"
  t=$((t + step))
  last=$(rss_kib "$app_pid")
  echo "t=$t s: VmRSS ${last} KiB"
done
sleep 1
[ "$last" != 0 ] || last=$first
echo "memory: start ${first} KiB, end ${last} KiB, change $((last - first)) KiB over $((t - 2)) s"
wait "$app_pid" 2>/dev/null || true
app_pid=""
requests=$(($(grep -c " Rd: " "$work/sim.trace" || true) - requests_before))
echo "requests answered by velasim during the run: $requests ($((requests / seconds)) per second)"
