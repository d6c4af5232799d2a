#!/usr/bin/env bash
# Speed of our GOST R 34.11-2012 (256-bit) file digest against the Streebog
# implementations Debian offers: gost12sum (gostsum), rhash and openssl with
# the GOST engine. Hashes one 64 MiB random file with each, checks that all
# digests agree, prints MB/s (median of 5 runs) by wall time and by CPU time
# (user + system), and ends with the ratio of ours to the fastest peer by CPU
# time, which a busy machine disturbs less than wall time.
#
# Usage: bench/gost_vs_peer.sh [build-dir]   (default /work/main/build)
set -euo pipefail

build_dir=${1:-/work/main/build}
ours="$build_dir/bench/ident/gost_file_hash"
runs=5
size_mib=64

if [ ! -x "$ours" ]; then
  echo "missing $ours: build the target gost_file_hash first" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data="$work/data.bin"
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$data"
cat "$data" >/dev/null  # into the page cache before the first timing

# Our program prints the digest most significant byte first; the peers print
# the bytes in memory order. Both become lower-case memory order here.
reverse_bytes() { fold -w2 | tac | tr -d '\n' | tr 'A-F' 'a-f'; }
digest_ours() { "$ours" "$1" | cut -c1-64 | reverse_bytes; }
digest_gost12sum() { gost12sum "$1" | cut -c1-64; }
digest_rhash() { rhash --gost12-256 "$1" | cut -c1-64; }
digest_openssl() { openssl dgst -engine gost -md_gost12_256 "$1" 2>/dev/null | sed -n 's/.*= //p'; }

# "wall cpu" seconds of one run of a digest function.
seconds_of() {
  local TIMEFORMAT='%R %U %S' report
  report=$({ time "$1" "$data" >/dev/null; } 2>&1)
  awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' <<<"$report"
}

reference=$(digest_ours "$data")
names=(ours)
for peer in gost12sum rhash openssl; do
  command -v "$peer" >/dev/null 2>&1 || { echo "skip $peer: not installed"; continue; }
  digest=$("digest_$peer" "$data" 2>/dev/null || true)
  if [ -z "$digest" ]; then
    echo "skip $peer: it failed"
    continue
  fi
  if [ "$digest" != "$reference" ]; then
    echo "MISMATCH $peer: $digest, ours: $reference" >&2
    exit 1
  fi
  names+=("$peer")
done
if [ ${#names[@]} -eq 1 ]; then
  echo "no peer available" >&2
  exit 1
fi
echo "digest $reference (all agree)"

# Rounds interleave the programs so that a change in machine load hits all.
declare -A wall cpu
for _ in $(seq $runs); do
  for name in "${names[@]}"; do
    read -r w c < <(seconds_of "digest_$name")
    wall[$name]+="$w "
    cpu[$name]+="$c "
  done
done

median_speed() {  # seconds... -> MB/s of the median
  tr ' ' '\n' | grep . | sort -g |
    awk -v mib=$size_mib '{ v[NR] = $1 } END { printf "%.3f", mib * 1.048576 / v[int((NR + 1) / 2)] }'
}
best_peer() {  # name=speed lines -> the highest speed among the peers
  awk -F= '$1 != "ours" && $2 > best { best = $2 } END { print best + 0 }'
}
declare -A wall_speed cpu_speed
printf '%-10s %12s %12s\n' program "wall MB/s" "CPU MB/s"
for name in "${names[@]}"; do
  wall_speed[$name]=$(median_speed <<<"${wall[$name]}")
  cpu_speed[$name]=$(median_speed <<<"${cpu[$name]}")
  printf '%-10s %12.1f %12.1f\n' "$name" "${wall_speed[$name]}" "${cpu_speed[$name]}"
done
wall_best=$(for n in "${names[@]}"; do echo "$n=${wall_speed[$n]}"; done | best_peer)
cpu_best=$(for n in "${names[@]}"; do echo "$n=${cpu_speed[$n]}"; done | best_peer)
awk -v a="${wall_speed[ours]}" -v b="$wall_best" 'BEGIN { printf "ratio by wall time %.2f\n", a / b }'
awk -v a="${cpu_speed[ours]}" -v b="$cpu_best" 'BEGIN { printf "ratio %.2f\n", a / b }'
