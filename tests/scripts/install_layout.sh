#!/bin/bash
# `cmake --install` gives a self-contained program folder and a menu entry
# that starts the program in it.
# Usage: install_layout.sh BIN_DIR SOURCE_DIR   (the build directory is BIN_DIR/..)
set -u
if [ $# -ne 2 ]; then
    echo "usage: bash $0 BIN_DIR SOURCE_DIR" >&2
    exit 2
fi
build=$1/..
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fails=0
fail() { echo "FAIL $*"; fails=$((fails + 1)); }

# The value of key in a desktop entry's [Desktop Entry] group.
entry() { sed -n "s/^$2=//p" "$1" | head -n 1; }

# A PNG's width and height, from its IHDR chunk.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'; }

check_folder() {   # label prefix staged-prefix expected-exec
    local label=$1 prefix=$2 dir=$3 exec=$4
    for f in tolvo tolvo-solve; do
        [ -x "$dir/$f" ] || fail "$label: $f is not an executable in the folder"
    done
    for f in tolvo.dic tolvo.words tolvo.kanji tolvo.grades tolvo.hlp share/icons/hicolor/32x32/apps/tolvo.png share/applications/tolvo.desktop; do
        [ -s "$dir/$f" ] || fail "$label: $f is missing"
    done
    for f in tolvo-mkdic tolvo-mkkanji tolvo-bench tolvo-bench-handwriting; do
        [ -e "$dir/$f" ] && fail "$label: build tool $f was installed"
    done
    ls "$dir" | grep -q '^tst_' && fail "$label: test programs were installed"

    [ "$(png_size "$dir/share/icons/hicolor/32x32/apps/tolvo.png")" = 32x32 ] \
        || fail "$label: the icon is not 32 x 32"

    local desktop=$dir/share/applications/tolvo.desktop
    [ "$(head -n 1 "$desktop")" = "[Desktop Entry]" ] || fail "$label: no [Desktop Entry] group"
    [ "$(entry "$desktop" Type)" = Application ] || fail "$label: Type"
    [ "$(entry "$desktop" Name)" = tolvo ] || fail "$label: Name"
    [ "$(entry "$desktop" 'Name\[ja\]')" = ヴェルモラ支援ソフト ] || fail "$label: Name[ja]"
    [ "$(entry "$desktop" Exec)" = "$exec" ] \
        || fail "$label: Exec is '$(entry "$desktop" Exec)', expected '$exec'"
    [ "$(entry "$desktop" Path)" = "$prefix" ] || fail "$label: Path"
    [ "$(entry "$desktop" Icon)" = "$prefix/share/icons/hicolor/32x32/apps/tolvo.png" ] \
        || fail "$label: Icon"
    entry "$desktop" Categories | grep -q 'Education;' || fail "$label: Categories"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "$label: desktop-file-validate"
    fi
}

# 1. An ordinary folder of the user's own.
prefix=$tmp/opt/tolvo
cmake --install "$build" --prefix "$prefix" >"$tmp/log" 2>&1 || { cat "$tmp/log"; fail "install"; }
check_folder plain "$prefix" "$prefix" "$prefix/tolvo"
cmp -s "$1/tolvo.hlp" "$prefix/tolvo.hlp" || fail "plain: installed tolvo.hlp differs from the built one"

# Runs from a terminal: its libraries resolve, and the solver beside it
# finds the dictionary beside it.
if ldd "$prefix/tolvo" | grep -q 'not found'; then
    fail "plain: tolvo has unresolved libraries"
fi
answer=$(cd / && "$prefix/tolvo-solve" 続家版露身発 </dev/null | cut -f 2)
[ "$answer" = 出 ] || fail "plain: installed tolvo-solve answered '$answer'"
words=$(cd / && "$prefix/tolvo-solve" --words 続家版露身発 </dev/null | cut -f 2 | tail -n +2 | tr '\n' ' ')
[ "$words" = "続出 家出 出版 露出 出身 出発 " ] || fail "plain: installed tolvo-solve --words gave '$words'"

# 2. A folder whose path has a space: Exec quotes it.
prefix="$tmp/my apps/tolvo"
cmake --install "$build" --prefix "$prefix" >"$tmp/log" 2>&1 || { cat "$tmp/log"; fail "install with space"; }
check_folder space "$prefix" "$prefix" "\"$prefix/tolvo\""

# 3. Staged with DESTDIR: the files land under it, the entry names the final place.
DESTDIR=$tmp/stage cmake --install "$build" --prefix /opt/tolvo >"$tmp/log" 2>&1 \
    || { cat "$tmp/log"; fail "install with DESTDIR"; }
check_folder staged /opt/tolvo "$tmp/stage/opt/tolvo" /opt/tolvo/tolvo

[ $fails -eq 0 ] && echo "install layout checks passed"
exit $((fails > 0))
