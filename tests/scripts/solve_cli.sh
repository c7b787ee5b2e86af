#!/bin/bash
# tolvo-solve from a terminal: output lines, exit statuses, messages.
# Usage: solve_cli.sh BIN_DIR SOURCE_DIR
set -u
bin=$1/tolvo-solve
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fails=0
check() {   # name expected actual
  if [ "$2" != "$3" ]; then
    printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
    fails=$((fails + 1))
  fi
}

printf '出続家版露身発後\r\n続出後\r\n家出後\r\n版出\r\n露出後\r\n身出\r\n発出後\r\n' | iconv -f UTF-8 -t CP932 > "$tmp/t.dic"
tab=$'\t'

out=$("$bin" -d "$tmp/t.dic" 続家版露身発); rc=$?
check "worked example" "続家版露身発${tab}出${tab}出:6 後:4" "$out"
check "worked example status" 0 $rc

out=$("$bin" --dictionary "$tmp/t.dic" 続 続鳥); rc=$?
check "two puzzles" "続${tab}出${tab}出:1 後:1"$'\n'"続鳥${tab}${tab}出:1 後:1" "$out"
check "some puzzle unanswered" 1 $rc

out=$(printf '# comment\n続家\t出\n\n露\n' | "$bin" -d "$tmp/t.dic"); rc=$?
check "standard input" "続家${tab}出${tab}出:2 後:2"$'\n'"露${tab}出${tab}出:1 後:1" "$out"
check "standard input status" 0 $rc

"$bin" -d "$tmp/t.dic" 続家版露身発後 >/dev/null 2>"$tmp/err"; rc=$?
check "seven letters is a usage error" 2 $rc
grep -q '六文字まで' "$tmp/err" || { echo "FAIL seven letters: no Japanese message"; fails=$((fails + 1)); }

"$bin" -d "$tmp/none.dic" 続 >/dev/null 2>"$tmp/err"; rc=$?
check "missing dictionary" 2 $rc
check "missing dictionary message" "辞書ファイルの読み込みに失敗しました。" "$(head -n 1 "$tmp/err")"

printf '\r\nX\r\n  Y\r\n' > "$tmp/empty.dic"
"$bin" -d "$tmp/empty.dic" 続 >/dev/null 2>"$tmp/err"; rc=$?
check "dictionary without lines" 2 $rc
check "dictionary without lines message" "辞書ファイルから、漢字情報が読み込めませんでした。" "$(head -n 1 "$tmp/err")"

# A kanji outside the basic plane fits no letter box: a usage error, as the
# window refuses it.
"$bin" -d "$tmp/t.dic" 続𠮷 >/dev/null 2>"$tmp/err"; rc=$?
check "letter outside the basic plane" 2 $rc
grep -q '^tolvo-solve: 𠮷 は文字欄に入らない文字です' "$tmp/err" \
    || { echo "FAIL letter outside the basic plane: no Japanese message"; fails=$((fails + 1)); }

# Whitespace and punctuation separate letters, in arguments and on standard
# input, as in a paste into the window.
out=$("$bin" -d "$tmp/t.dic" '続・家・版' '続／家／版'); rc=$?
check "separators in arguments" "続家版${tab}出${tab}出:3 後:2"$'\n'"続家版${tab}出${tab}出:3 後:2" "$out"
out=$(printf '続 家 版\n 、・\n続、家、版\n' | "$bin" -d "$tmp/t.dic"); rc=$?
check "separators on standard input" "続家版${tab}出${tab}出:3 後:2"$'\n'"続家版${tab}出${tab}出:3 後:2" "$out"

# A dictionary saved with LF line ends reads as the CR LF one; one that is
# not Shift_JIS text is refused with a message naming it.
tr -d '\r' <"$tmp/t.dic" >"$tmp/lf.dic"
out=$("$bin" -d "$tmp/lf.dic" 続家版露身発); check "lf dictionary" "続家版露身発${tab}出${tab}出:6 後:4" "$out"
iconv -f CP932 -t UTF-8 <"$tmp/t.dic" >"$tmp/utf8.dic"
"$bin" -d "$tmp/utf8.dic" 続 >/dev/null 2>"$tmp/err"; rc=$?
check "utf-8 dictionary" 2 $rc
check "utf-8 dictionary message" "辞書ファイル「$tmp/utf8.dic」は Shift_JIS のテキストではありません。" "$(head -n 1 "$tmp/err")"

"$bin" --help | grep -q 'Exit status' || { echo "FAIL help in English"; fails=$((fails + 1)); }
"$bin" --help | grep -q '終了コード' || { echo "FAIL help in Japanese"; fails=$((fails + 1)); }

# Output that cannot be written is an error, never an answer: status 2 and a
# message, whether the disk is full or the reader went away (with SIGPIPE as
# the caller left it, and ignored). The output outgrows the pipe's buffer.
"$bin" -d "$tmp/t.dic" 続家版露身発 >/dev/full 2>"$tmp/err"; rc=$?
check "full disk" 2 $rc
grep -q '結果を書き込めませんでした。ディスクの空き容量が足りません。' "$tmp/err" \
    || { echo "FAIL full disk: no message"; fails=$((fails + 1)); }
"$bin" --help >/dev/full 2>/dev/null; check "help to a full disk" 2 $?
for i in $(seq 20000); do echo 続; done > "$tmp/many"
"$bin" -d "$tmp/t.dic" <"$tmp/many" 2>"$tmp/err" | head -c 1 >/dev/null; rc=${PIPESTATUS[0]}
check "closed pipe" 2 $rc
grep -q '結果を書き込めませんでした' "$tmp/err" || { echo "FAIL closed pipe: no message"; fails=$((fails + 1)); }
(trap '' PIPE; "$bin" -d "$tmp/t.dic" <"$tmp/many" 2>/dev/null | head -c 1 >/dev/null; exit "${PIPESTATUS[0]}")
check "closed pipe, SIGPIPE ignored" 2 $?

# The default dictionary is the one beside the program, whatever it is called.
mkdir "$tmp/prog"; cp "$bin" "$tmp/prog/solver"; cp "$tmp/t.dic" "$tmp/prog/tolvo.dic"
out=$("$tmp/prog/solver" 続); check "renamed program uses tolvo.dic" "続${tab}出${tab}出:1 後:1" "$out"

# --words: one line per letter under the answer, from tolvo.words beside the
# program; the more common spelling (listed first) wins, a missing word leaves
# the field empty.
"$tmp/prog/solver" --words 続 >/dev/null 2>"$tmp/err"; rc=$?
check "words file missing" 2 $rc
check "words file missing message" "単語ファイルが見つかりません。" "$(head -n 1 "$tmp/err")"
# Arrows are checked against the words: without them there is no answer to give.
"$tmp/prog/solver" '続:>' >/dev/null 2>"$tmp/err"; rc=$?
check "arrows without words file" 2 $rc
check "arrows without words file message" "単語ファイルが見つかりません。" "$(head -n 1 "$tmp/err")"
"$tmp/prog/solver" '続家:>x' >/dev/null 2>"$tmp/err"; rc=$?
check "malformed arrows" 2 $rc
grep -q '矢印は' "$tmp/err" || { echo "FAIL malformed arrows: no Japanese message"; fails=$((fails + 1)); }
printf '# words\n出家\tしゅっけ\n続出\tぞくしゅつ\n家出\tいえで\n' > "$tmp/prog/tolvo.words"
out=$("$tmp/prog/solver" --words 続家露 鳥); rc=$?
check "words" "続家露${tab}出${tab}出:3 後:3"$'\n'"${tab}続出${tab}ぞくしゅつ"$'\n'"${tab}出家${tab}しゅっけ"$'\n'"${tab}${tab}"$'\n'"鳥${tab}${tab}" "$out"
check "words status" 1 $rc
# With arrows the word shown is the one in the arrow's order, common or not.
out=$("$tmp/prog/solver" --words '続家:>>'); rc=$?
check "words in the arrows' order" "続家:>>${tab}出${tab}出:2"$'\n'"${tab}続出${tab}ぞくしゅつ"$'\n'"${tab}家出${tab}いえで" "$out"
out=$(printf '続家\t<>\t出\n' | "$tmp/prog/solver" -a); rc=$?
check "arrow file" "続家:<>${tab}${tab}出:1" "$out"
check "arrow file status" 1 $rc

# A puzzle read from a picture (with the shipped dictionary beside the
# program), a picture without one, and a file that is not there.
if [ -f "$1/tolvo.dic" ] && [ -f /usr/share/tesseract-ocr/5/tessdata/jpn.traineddata ]; then
  pictures=$2/tests/data/pictures
  out=$("$bin" --image "$pictures/gothic-4.png" "$pictures/animated.gif" 2>"$tmp/err"); rc=$?
  check "pictures" "計間代同:<<<>${tab}時" "$(printf '%s\n' "$out" | cut -f1,2 | head -n 1)"
  check "picture without a puzzle" "${tab}${tab}" "$(printf '%s\n' "$out" | sed -n 2p)"
  check "picture without a puzzle status" 1 $rc
  grep -q "animated.gif: " "$tmp/err" || { echo "FAIL picture without a puzzle: file not named"; fails=$((fails + 1)); }
  "$bin" --image "$tmp/none.png" >/dev/null 2>"$tmp/err"; rc=$?
  check "missing picture" 2 $rc
  grep -q "$tmp/none.png" "$tmp/err" || { echo "FAIL missing picture: file not named"; fails=$((fails + 1)); }
fi

# Puzzles made and checked on the shipped data: a seeded batch read back
# with -a gives every answer, and bad requests end with a message, exit 2.
if [ -f "$1/tolvo.dic" ] && [ -f "$1/tolvo.grades" ]; then
  "$bin" --make --count 100 --seed 1 --letters 6 > "$tmp/made.tsv"; rc=$?
  check "make status" 0 $rc
  check "made puzzles" 100 "$(grep -vc '^#' "$tmp/made.tsv")"
  "$bin" -a < "$tmp/made.tsv" | cut -f2 > "$tmp/answers"
  check "made puzzles read back" "$(grep -v '^#' "$tmp/made.tsv" | cut -f3)" "$(cat "$tmp/answers")"
  check "same seed, same puzzles" "$(cat "$tmp/made.tsv")" "$("$bin" --make --count 100 --seed 1 --letters 6)"
  for bad in "--count 0" "--count 1000000" "--letters 5" "--level expert" "--seed x1" "--answer 丂" "--answer ab"; do
    # shellcheck disable=SC2086
    "$bin" --make $bad >/dev/null 2>"$tmp/err"; rc=$?
    check "make $bad: status" 2 $rc
    [ -s "$tmp/err" ] || { echo "FAIL make $bad: no message"; fails=$((fails + 1)); }
  done
  "$bin" --check 順当交組 >/dev/null; check "check: two answers" 1 $?
  "$bin" --check '順当交組:>>><' >/dev/null; check "check: one answer" 0 $?
fi

[ $fails -eq 0 ] && echo "all tolvo-solve checks passed"
exit $((fails > 0))
