#!/usr/bin/env bash
# Every sample puzzle must come out with its answer from tolvo-solve on the
# dictionary the build generated.
# Usage: bash sample_puzzles.sh BIN_DIR SOURCE_DIR
set -u

if [ $# -ne 2 ]; then
    echo "usage: bash $0 BIN_DIR SOURCE_DIR" >&2
    exit 2
fi
bin=$1
# The shared copy when it sits beside the checkout, else the one kept with the tests.
puzzles=$2/../shared/sample-puzzles.tsv
[ -e "$puzzles" ] || puzzles=$2/tests/data/sample-puzzles.tsv

for f in "$bin/tolvo-solve" "$bin/tolvo.dic" "$puzzles"; do
    if [ ! -e "$f" ]; then
        echo "sample_puzzles: $f is missing" >&2
        exit 1
    fi
done

count=0
failed=0
while IFS=$'\t' read -r letters answer _ || [ -n "$letters" ]; do
    letters=${letters%$'\r'}
    answer=${answer%$'\r'}
    case $letters in ''|'#'*) continue ;; esac
    count=$((count + 1))
    # Exit status 1 only says there was no answer; the comparison reports it.
    output=$("$bin/tolvo-solve" -d "$bin/tolvo.dic" "$letters" </dev/null)
    status=$?
    got=$(printf '%s\n' "$output" | head -n 1 | cut -f 2)
    if [ $status -gt 1 ] || [ "$got" != "$answer" ]; then
        echo "MISMATCH $letters: expected '$answer', got '$got' (exit $status): $output"
        failed=$((failed + 1))
    fi
done < "$puzzles"

if [ $count -eq 0 ]; then
    echo "sample_puzzles: no puzzle in $puzzles" >&2
    exit 1
fi
echo "sample_puzzles: $((count - failed)) of $count puzzles answered as expected"
[ $failed -eq 0 ] || exit 1
