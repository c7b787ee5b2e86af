#!/bin/bash
# The tolvo-solve examples the user reads, run against the built program:
# the README's "$ build/bin/tolvo-solve …" blocks, the help file's
# <pre>tolvo-solve …</pre> blocks and the example in --help. Every shown
# line must be the program's line; one ending in "…" is its start, and a
# last line of "…" alone stands for any further lines.
# Usage: readme_examples.sh BIN_DIR SOURCE_DIR
set -u
bin=$1
cd "$2" || exit 1   # the examples name files of the source tree
fails=0
examples=0

# check WHERE COMMAND [SHOWN_LINE...]
check() {
  local where=$1 command=$2
  shift 2
  examples=$((examples + 1))
  local got
  mapfile -t got < <(bash -c "${command//build\/bin\//$bin/}" 2>&1)
  local i=0 shown ok=1
  for shown in "$@"; do
    if [ "$shown" = "…" ]; then
      i=-1
      break
    fi
    local actual=${got[i]-}
    if [ "${shown%…}" != "$shown" ]; then
      [[ $actual == "${shown%…}"* ]] || ok=0
    else
      [ "$actual" = "$shown" ] || ok=0
    fi
    [ $ok = 1 ] || { printf 'FAIL %s: %s\n  shown:  %s\n  actual: %s\n' "$where" "$command" "$shown" "$actual"; break; }
    i=$((i + 1))
  done
  if [ $ok = 1 ] && [ $i -ge 0 ] && [ $i -ne ${#got[@]} ]; then
    printf 'FAIL %s: %s\n  shows %d lines, the program prints %d\n' "$where" "$command" $i ${#got[@]}
    ok=0
  fi
  [ $ok = 1 ] || fails=$((fails + 1))
}

# README: an indented "$ " line that runs tolvo-solve, then the indented
# lines up to the next command or the end of the block.
command=
shown=()
flush() { [ -n "$command" ] && check README.md "$command" "${shown[@]}"; command=; shown=(); }
while IFS= read -r line; do
  if [[ $line == '    $ '* ]]; then
    flush
    [[ $line == *build/bin/tolvo-solve* ]] && command=${line#    \$ }
  elif [[ $line == '    '* ]]; then
    [ -n "$command" ] && shown+=("${line#    }")
  else
    flush
  fi
done < README.md
flush

# The help file: <pre> blocks that start with a tolvo-solve command.
unescape() { sed -e 's/&lt;/</g; s/&gt;/>/g; s/&amp;/\&/g'; }
while IFS= read -r line; do
  if [[ $line == '<pre>tolvo-solve '* ]]; then
    command="build/bin/${line#<pre>}"
    shown=()
    while [[ $command != *'</pre>' ]] && IFS= read -r line; do
      shown+=("${line%</pre>}")
      [[ $line == *'</pre>' ]] && break
    done
    check help/tolvo.hlp.html "$(unescape <<<"${command%</pre>}")" "${shown[@]}"
  fi
done < help/tolvo.hlp.html

# --help: "tolvo-solve ARGS  →  OUTPUT", with <TAB> for a tab.
example=$("$bin/tolvo-solve" --help | grep -m1 'example:')
example=${example#*example:  }
output=${example#*  →  }
check --help "build/bin/${example%%  →  *}" "${output//<TAB>/$'\t'}"

[ $examples -ge 8 ] || { echo "FAIL only $examples examples found"; fails=$((fails + 1)); }
[ $fails -eq 0 ] && echo "all $examples tolvo-solve examples match"
exit $((fails > 0))
