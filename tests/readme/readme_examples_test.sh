#!/usr/bin/env bash
# Runs the README's examples exactly as written: every ```sh block that
# follows a line "<!-- runs in CI -->", in order, as one script, in a scratch
# folder whose "build" is the build folder under test.
#   readme_examples_test.sh README.md BUILD-DIR
set -euo pipefail
readme=$(realpath "$1")
build=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
awk '/^<!-- runs in CI -->$/ { marked = 1; next }
     marked && /^```sh$/ { inside = 1; next }
     inside && /^```$/ { inside = 0; marked = 0; next }
     inside { print }' "$readme" >"$scratch/examples.sh"
lines=$(wc -l <"$scratch/examples.sh")
[ "$lines" -gt 0 ] || { echo "FAIL: no marked example in $readme"; exit 1; }
ln -s "$build" "$scratch/build"
cd "$scratch"
# Each command of the examples must succeed; a stuck one ends the test.
timeout 120 bash -euo pipefail examples.sh
echo "README: $lines lines of examples ran"
