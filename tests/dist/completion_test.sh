#!/usr/bin/env bash
# The bash completion of velalink-cli and velasim as bash runs it: each row
# is a command line being typed and the words the completion must (+) or
# must not (-) offer.   completion_test.sh COMPLETIONS-DIR
set -euo pipefail
completions=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export VELALINK_PORTS_DIR=$scratch/ports
mkdir "$VELALINK_PORTS_DIR"
ln -s /dev/null "$VELALINK_PORTS_DIR/COM7"
ln -s /dev/null "$VELALINK_PORTS_DIR/COM12"
touch "$scratch/vela.json"

# Prints what completing LINE (the cursor at its end) offers, one a line.
offered() {
  bash --norc --noprofile -c '
    source /usr/share/bash-completion/bash_completion
    source "$1/$2"
    COMP_LINE=$3
    COMP_POINT=${#COMP_LINE}
    read -ra COMP_WORDS <<<"$COMP_LINE"
    [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    "$(complete -p "$2" | sed "s/.*-F \([^ ]*\) .*/\1/")" "$2" "${COMP_WORDS[COMP_CWORD]}" \
      "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}"' _ "$completions" "$@"
}

failures=0
check() {  # program, line, +word|-word ...
  local program=$1 line=$2 words
  shift 2
  words=$(cd "$scratch" && offered "$program" "$line")
  for expect in "$@"; do
    local word=${expect:1}
    if [[ $expect == +* ]] && ! grep -qx -- "$word" <<<"$words"; then
      echo "FAIL: \"$line\" does not offer $word; it offers: $(echo $words)"
      failures=$((failures + 1))
    elif [[ $expect == -* ]] && grep -qx -- "$word" <<<"$words"; then
      echo "FAIL: \"$line\" offers $word"
      failures=$((failures + 1))
    fi
  done
}

for program in velalink-cli velasim; do
  bash --norc --noprofile -c 'source /usr/share/bash-completion/bash_completion; source "$1/$2"; complete -p "$2"' \
    _ "$completions" "$program"
done

check velalink-cli "velalink-cli re" +read +report -watch
check velalink-cli "velalink-cli --port " +COM7 +COM12 -read
check velalink-cli "velalink-cli --port=COM1" +COM12 -COM7
check velalink-cli "velalink-cli --interface " +usb +rs485
check velalink-cli "velalink-cli --speed 2" +230400 -9600
check velalink-cli "velalink-cli --port COM7 read --" +--format +--timeout -"--set-speed" -"--save"
check velalink-cli "velalink-cli --port COM7 configure --set-" +--set-speed +--set-network
check velalink-cli "velalink-cli settings --save v" +vela.json
check velalink-cli "velalink-cli --address " -read
check velalink-cli "velalink-cli --port COM7 read " -watch
check velasim "velasim --pro" +--protocol
check velasim "velasim --protocol " +rtu +ascii +iec
check velasim "velasim --fault-block " +values +cos4
[ "$failures" = 0 ] && echo "completion: every row offers what it should"
exit $((failures > 0))
