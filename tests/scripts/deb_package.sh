#!/bin/bash
# The Debian package as a user meets it: lintian and the validators, then
# installed with apt-get, run from the PATH by a normal user under Xvfb (the
# history survives a restart in ~/.config/tolvo), and removed without a trace.
# Run by `make check-deb` (CI), not by `make test`: it installs and removes
# the package on this machine, so it needs root and refuses when tolvo is
# already installed.
# Usage: deb_package.sh tolvo_VERSION_ARCH.deb
set -u
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: bash $0 tolvo_VERSION_ARCH.deb" >&2
    exit 2
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "deb_package.sh: run as root: it installs and removes the package" >&2
    exit 2
fi
if dpkg-query -W -f='${Status}' tolvo 2>/dev/null | grep -q 'ok installed'; then
    echo "deb_package.sh: tolvo is installed already; remove it first" >&2
    exit 2
fi
deb=$(realpath "$1")
user=tolvo-test
tmp=$(mktemp -d)
chmod 755 "$tmp"
fails=0
fail() { echo "FAIL $*"; fails=$((fails + 1)); }
finish() {
    if dpkg-query -W -f='${Status}' tolvo 2>/dev/null | grep -q 'ok installed'; then
        DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq tolvo >/dev/null 2>&1
    fi
    rm -rf "$tmp"
}
trap finish EXIT

# 1. The package as it stands.
lintian --fail-on error,warning "$deb" >"$tmp/lintian" 2>&1 || fail "lintian reports errors or warnings"
cat "$tmp/lintian"
dpkg-deb -x "$deb" "$tmp/root"
appstreamcli validate --no-net "$tmp"/root/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"
desktop-file-validate "$tmp/root/usr/share/applications/tolvo.desktop" || fail "desktop-file-validate"
depends=$(dpkg-deb -f "$deb" Depends)
# Without the file command CPack skips dpkg-shlibdeps with a mere warning.
case $depends in *libqt6widgets6*) ;; *) fail "Depends lacks what dpkg-shlibdeps finds: $depends" ;; esac
# What a build puts beside the program makes the program folder, and no
# install rule is left putting files straight into /usr.
for f in tolvo tolvo-solve tolvo.dic tolvo.words tolvo.hlp tolvo.kanji tolvo.grades; do
    [ -s "$tmp/root/usr/lib/tolvo/$f" ] || fail "/usr/lib/tolvo/$f is missing"
done
stray=$(find "$tmp/root/usr" -mindepth 1 -maxdepth 1 ! -name bin ! -name lib ! -name share)
[ -z "$stray" ] || fail "files straight in /usr: $stray"
# The icon at every size a desktop asks for (lintian checks each PNG's size
# against its folder), and the scalable one.
dpkg -c "$deb" | awk '{ print $NF }' >"$tmp/contents"
icons=scalable/apps/tolvo.svg
for size in 16 24 32 48 64 128 256; do icons="$icons ${size}x$size/apps/tolvo.png"; done
for icon in $icons; do
    grep -qx "./usr/share/icons/hicolor/$icon" "$tmp/contents" || fail "the package lacks the icon $icon"
done

# 2. Installed as a user would.
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$tmp/apt" 2>&1 \
    || { cat "$tmp/apt"; fail "apt-get install"; exit 1; }
dpkg -L tolvo >"$tmp/installed"
answer=$(cd / && tolvo-solve 続家版露身発 </dev/null | cut -f 2)
[ "$answer" = 出 ] || fail "tolvo-solve from the PATH answered '$answer'"
for page in tolvo tolvo-solve; do
    man -w "$page" >/dev/null 2>&1 || fail "man -w $page finds no page"
    [ -n "$(man -w -L ja "$page" 2>/dev/null | grep /ja/)" ] || fail "no Japanese page for $page"
done

# 3. A normal user, twice, under Xvfb: type a puzzle, search, exit by the
# menu. The second run's search goes above the first one's only if the first
# one's history was read back.
id -u "$user" >/dev/null 2>&1 \
    || useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
cat >"$tmp/run-once" <<'EOF'
#!/bin/bash
# run-once PROGRAM LETTERS: one run, whose error boxes are named on stdout.
"$1" >>"$HOME/tolvo.log" 2>&1 & pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --pid $pid | head -n 1)
[ -n "$window" ] || { echo "no window"; kill $pid; exit 1; }
sleep 1
xdotool windowfocus --sync "$window"
xdotool key ctrl+n
# A kanji has no key: xdotool binds one for the moment of each letter, and
# with its 12 ms default the binding can be gone before the program reads the
# new key map, losing the letter (3 runs in 10 here). 300 ms lost none in 30.
for letter in $(echo "$2" | grep -o .); do xdotool type --delay 300 "$letter"; xdotool key Tab; done
xdotool key ctrl+f
sleep 1
xdotool key alt+f x
for i in $(seq 20); do kill -0 $pid 2>/dev/null || break; sleep 0.5; done
# Whatever box stopped the exit (a failed save asks Retry/Cancel) is named.
for w in $(xdotool search --onlyvisible --pid $pid 2>/dev/null); do xdotool getwindowname "$w"; done
kill $pid 2>/dev/null
exit 0
EOF
chmod 755 "$tmp/run-once"
home=$tmp/home
mkdir "$home"
chown "$user:$user" "$home"
as_user() {
    setpriv --reuid="$user" --regid="$user" --init-groups --reset-env \
        env HOME="$home" PATH=/usr/bin:/bin LC_ALL=C.UTF-8 "$@"
}
ini() { iconv -f CP932 -t UTF-8 "$1" 2>/dev/null | tr -d '\r' | grep '^HistString=' | tr '\n' ' '; }
for letters in 明告昼熱 支退口席; do
    boxes=$(as_user xvfb-run -a "$tmp/run-once" tolvo "$letters")
    [ -z "$boxes" ] || fail "installed tolvo, $letters: windows left at exit: $boxes"
done
history=$(ini "$home/.config/tolvo/tolvo.ini")
[ "$history" = "HistString=支退口席,出 HistString=明告昼熱,白 HistString=続家版露身発,出 " ] \
    || fail "the history in ~/.config/tolvo/tolvo.ini is '$history'"

# A copy of the program folder the user can write keeps its settings beside it.
rm -rf "$home/.config"
as_user cp -r /usr/lib/tolvo "$home/portable"
boxes=$(as_user xvfb-run -a "$tmp/run-once" "$home/portable/tolvo" 明告昼熱)
[ -z "$boxes" ] || fail "portable tolvo: windows left at exit: $boxes"
[ ! -e "$home/.config" ] || fail "portable tolvo wrote under ~/.config"
[ -n "$(ini "$home/portable/tolvo.ini")" ] || fail "portable tolvo kept no tolvo.ini beside itself"
[ $fails -eq 0 ] || { echo "tolvo said:"; cat "$home/tolvo.log"; }

# 4. Removed: nothing it installed is left but folders other packages share.
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq tolvo >"$tmp/apt" 2>&1 || { cat "$tmp/apt"; fail "apt-get remove"; }
while IFS= read -r path; do
    [ "$path" = /. ] && continue
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        dpkg-query -S "$path" >/dev/null 2>&1 || fail "left after removal: $path/"
    elif [ -e "$path" ] || [ -L "$path" ]; then
        fail "left after removal: $path"
    fi
done <"$tmp/installed"

[ $fails -eq 0 ] && echo "package checks passed"
exit $((fails > 0))
