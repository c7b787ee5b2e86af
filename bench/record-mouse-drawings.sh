#!/bin/sh
# Records bench/mouse-drawings.txt: real mouse drawings on the kanji pad of
# a built tolvo, under Xvfb with openbox, driven by xdotool.
# Usage: bench/record-mouse-drawings.sh [BUILD_DIR] [SCREENSHOT_DIR]
set -e
build=${1:-build}
here=$(dirname "$0")
exec xvfb-run -a -s "-screen 0 1280x900x24" \
  python3 "$here/record_mouse_drawings.py" "$build/bin" "$here/mouse-drawings.txt" ${2:+"$2"}
