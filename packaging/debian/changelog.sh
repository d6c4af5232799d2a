#!/usr/bin/env bash
# Writes the Debian changelog of one package from the repository's history:
# one entry for the current version listing the commits, newest first, with
# the date of the newest.   changelog.sh PACKAGE VERSION MAINTAINER SOURCE-DIR OUT.gz
set -euo pipefail
package=$1 version=$2 maintainer=$3 source=$4 out=$5
export LC_ALL=C
text=$(mktemp)
trap 'rm -f "$text"' EXIT
{
  echo "$package ($version) unstable; urgency=medium"
  echo
  if subjects=$(git -C "$source" log --no-merges --format='%s' 2>/dev/null) && [ -n "$subjects" ]; then
    date=$(git -C "$source" log -1 --format='%ad' --date='format:%a, %d %b %Y %H:%M:%S %z')
  else
    subjects="Built outside the repository: no history."
    date=$(date -R -d "@${SOURCE_DATE_EPOCH:-0}")
  fi
  # Each subject a bullet, wrapped to 78 columns.
  while IFS= read -r subject; do
    printf '%s\n' "$subject" | fold -s -w 74 | sed -e 's/ *$//' -e '1s/^/  * /' -e '2,$s/^/    /'
  done <<<"$subjects"
  echo
  echo " -- $maintainer  $date"
} >"$text"
gzip -9n <"$text" >"$out"
