#!/usr/bin/env bash
# Speed of our GOST R 34.11-2012 (256-bit) file digest against the Streebog
# implementations Debian offers: gost12sum (gostsum), rhash and openssl with
# the GOST engine. Hashes one 64 MiB random file with each, checks that all
# digests agree, prints MB/s (median of 5 runs) and the ratio of ours to the
# fastest peer.
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

# Wall time in seconds of one run of a digest function.
seconds_of() {
  local start end
  start=$(date +%s.%N)
  "$1" "$data" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }'
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
declare -A times
for _ in $(seq $runs); do
  for name in "${names[@]}"; do
    times[$name]+="$(seconds_of "digest_$name") "
  done
done

median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
declare -A speed
fastest_peer=0
for name in "${names[@]}"; do
  speed[$name]=$(median <<<"${times[$name]}" | awk -v mib=$size_mib '{ printf "%.3f", mib * 1.048576 / $1 }')
  printf '%-10s %8.1f MB/s\n' "$name" "${speed[$name]}"
  if [ "$name" != ours ]; then
    fastest_peer=$(awk -v a="$fastest_peer" -v b="${speed[$name]}" 'BEGIN { print (b > a ? b : a) }')
  fi
done
awk -v a="${speed[ours]}" -v b="$fastest_peer" 'BEGIN { printf "ratio %.2f\n", a / b }'
