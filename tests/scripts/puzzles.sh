#!/usr/bin/env bash
# The shipped dictionary against the puzzle files through tolvo-solve: every
# sample puzzle, all but at most one four-letter quiz puzzle, and every quiz
# puzzle with its printed arrows must come out with the expected answer.
# Usage: bash puzzles.sh BIN_DIR SOURCE_DIR
set -u

if [ $# -ne 2 ]; then
    echo "usage: bash $0 BIN_DIR SOURCE_DIR" >&2
    exit 2
fi
bin=$1
fails=0

run() {   # file allowed-misses [arrows]
    # The shared copy when it sits beside the checkout, else the one kept with the tests.
    local puzzles=$2/../shared/$1
    [ -e "$puzzles" ] || puzzles=$2/tests/data/$1
    for f in "$bin/tolvo-solve" "$bin/tolvo.dic" "$puzzles"; do
        if [ ! -e "$f" ]; then
            echo "puzzles: $f is missing" >&2
            fails=$((fails + 1))
            return
        fi
    done
    local expected got
    if [ $# -gt 3 ]; then   # letters TAB arrows TAB answer, solved as letters:arrows
        expected=$(grep -v -e '^#' -e '^[[:space:]]*$' "$puzzles" | tr -d '\r' | awk -F'\t' '{print $1 ":" $2 "\t" $3}')
    else
        expected=$(grep -v -e '^#' -e '^[[:space:]]*$' "$puzzles" | tr -d '\r' | cut -f 1,2)
    fi
    # Exit status 1 only says some puzzle had no answer; the comparison reports it.
    got=$("$bin/tolvo-solve" -d "$bin/tolvo.dic" ${4:+-a} < "$puzzles" | cut -f 1,2)
    local count missed
    count=$(printf '%s\n' "$expected" | wc -l)
    missed=$(diff <(printf '%s\n' "$expected") <(printf '%s\n' "$got") | grep -c '^<')
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$got") | sed -n 's/^>/  got/p; s/^</  expected/p'
    echo "puzzles: $1: $((count - missed)) of $count answered as expected"
    if [ "$count" -eq 0 ] || [ "$missed" -gt "$3" ]; then
        fails=$((fails + 1))
    fi
}

run sample-puzzles.tsv "$2" 0
run quiz-puzzles.tsv "$2" 1
run arrow-puzzles.tsv "$2" 0 arrows
exit $((fails > 0))
