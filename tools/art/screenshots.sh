#!/usr/bin/env bash
# Screenshots of the real main window for docs/: runs the built program with
# its shipped dictionary under Xvfb, drives it with xdotool and grabs the
# window with ImageMagick's import; then tolvo-helpscreens pictures the About
# box and the help viewer.
#   tools/art/screenshots.sh [BIN_DIR] [OUT_DIR]     (defaults: build/bin, docs)
# Needs xvfb-run, xdotool, imagemagick, iconv; with openbox installed the
# shots show the window's title bar too.
set -euo pipefail

if [[ "${1:-}" == --inside ]]; then
  work=$2 out=$3
  cd "$work"
  frame=()
  if command -v openbox > /dev/null; then
    openbox > /dev/null 2>&1 &
    sleep 1
    frame=(-frame)
  fi
  ./tolvo &
  pid=$!
  trap 'kill $pid 2>/dev/null || true' EXIT
  wid=$(xdotool search --sync --name 'ヴェルモラ支援ソフト' | head -n 1)
  xdotool windowfocus --sync "$wid"
  sleep 1
  import "${frame[@]}" -window "$wid" "$out/main-window.png"
  xdotool key ctrl+f
  sleep 1
  import "${frame[@]}" -window "$wid" "$out/main-window-search.png"
  xdotool key ctrl+h
  sleep 1
  import "${frame[@]}" -window "$wid" "$out/main-window-no-history.png"
  exit 0
fi

bin=$(realpath "${1:-build/bin}")
out=$(realpath "${2:-docs}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$bin/tolvo" "$bin/tolvo.dic" "$work/"
# A history of a few searches, as a user would have it after a while.
printf '[tolvo]\r\n\r\nHistNum=6\r\nHistString=続家版露身発,出\r\nHistString=海空,青\r\nHistString=日本語,\r\n' \
  | iconv -f UTF-8 -t CP932 > "$work/tolvo.ini"
mkdir -p "$out"
xvfb-run -a -s "-screen 0 800x600x24" bash "$(realpath "$0")" --inside "$work" "$out"
xvfb-run -a -s "-screen 0 1024x768x24" "$bin/tolvo-helpscreens" "$out"
ls -l "$out"/main-window*.png "$out"/about-box.png "$out"/help-viewer.png
