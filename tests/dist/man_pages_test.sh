#!/usr/bin/env bash
# Each man page renders without a warning at 80 columns and has its
# sections in order, each option in a paragraph of its own.
#   man_pages_test.sh PAGE.1.gz ...
set -euo pipefail
failures=0
for page in "$@"; do
  warnings=$(MANWIDTH=80 LC_ALL=ru_RU.UTF-8 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then
    echo "FAIL: $page: $warnings"
    failures=$((failures + 1))
  fi
  text=$(MANWIDTH=80 LC_ALL=ru_RU.UTF-8 MAN_KEEP_FORMATTING=0 man -E UTF-8 -l "$page" 2>/dev/null | col -b)
  wanted=(ИМЯ ОБЗОР ОПИСАНИЕ ПАРАМЕТРЫ "КОД ВОЗВРАТА" ОКРУЖЕНИЕ ФАЙЛЫ ПРИМЕРЫ)
  [[ $page == *velalink-cli* ]] && wanted=(ИМЯ ОБЗОР ОПИСАНИЕ КОМАНДЫ ПАРАМЕТРЫ "КОД ВОЗВРАТА" ОКРУЖЕНИЕ ФАЙЛЫ ПРИМЕРЫ)
  # Headings start at the margin; the first and last such lines are the
  # page's header and footer.
  headings=$(grep -E '^[^[:space:]]' <<<"$text" | sed -e '1d' -e '$d' -e 's/ *$//' | tr '\n' '/')
  expected=$(printf '%s/' "${wanted[@]}")
  if [ "$headings" != "$expected" ]; then
    echo "FAIL: $page: sections $headings, wanted $expected"
    failures=$((failures + 1))
  fi
  # No two options run together: the head of each paragraph names one
  # (with its aliases after a comma).
  crowded=$(zcat "$page" | awk 'previous == ".TP" {
      head = $0; gsub(/, \\fB\\-/, ", ", head)
      if (gsub(/\\fB\\-\\-/, "&", head) > 1) print }
    { previous = $0 }')
  if [ -n "$crowded" ]; then
    echo "FAIL: $page: two options in one paragraph: $crowded"
    failures=$((failures + 1))
  fi
done
[ "$failures" = 0 ] && echo "man pages: $# rendered without warnings, every section in order"
exit $((failures > 0))
