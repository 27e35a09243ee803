#!/bin/bash
# Installs the game into a scratch prefix, checks the files land in the usual
# places, then runs it from / on the X display in $DISPLAY: it must find its
# installed art and draw the title, and its window must carry WM_CLASS,
# _NET_WM_PID and the same 48 pixel icon as the installed icon file.
#
# installed_game_test.sh BUILD_DIR WORK_DIR ICON_DIR
set -u
build=$1
work=$2
icons=$3
prefix=$work/prefix
game_pid=""
cleanup() { [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null && wait "$game_pid" 2>/dev/null; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$work/out.txt" ] && { echo "--- output:"; tail -n 20 "$work/out.txt"; }; exit 1; }

rm -rf "$work"
mkdir -p "$work"
cmake --build "$build" --target zandrel zandrel_docs >"$work/build.txt" 2>&1 || fail "build: $(tail -n 5 "$work/build.txt")"
cmake --install "$build" --prefix "$prefix" >"$work/install.txt" 2>&1 || fail "install: $(tail -n 5 "$work/install.txt")"

for file in bin/zandrel share/zandrel/graphics/title.bmp share/zandrel/sounds/startup.wav \
    share/applications/zandrel.desktop share/metainfo/io.github.zandrel.Zandrel.metainfo.xml \
    share/icons/hicolor/{48x48,64x64,128x128,256x256}/apps/zandrel.png \
    share/man/man6/zandrel.6.gz share/doc/zandrel/copyright; do
    [ -f "$prefix/$file" ] || fail "the install has no $file"
done
art_files=$(ls "$(dirname "$0")/../../graphics" | wc -l)
[ "$(ls "$prefix/share/zandrel/graphics" | wc -l)" -eq "$art_files" ] || fail "the install lacks art files"
[ "$(ls "$prefix/share/zandrel/sounds" | wc -l)" -eq 15 ] || fail "the install lacks sound files"
echo "ok: installed into $prefix"

cd / || exit 1
env -u ZANDREL_DATA "$prefix/bin/zandrel" >"$work/out.txt" 2>&1 &
game_pid=$!
window=""
for _ in $(seq 150); do
    kill -0 "$game_pid" 2>/dev/null || fail "the installed game exited early"
    window=$(xdotool search --pid "$game_pid" --name '^Zandrel$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && grep -q "^Resized to 800 600" "$work/out.txt" && break
    sleep 0.2
done
[ -n "$window" ] || fail "no window from the installed game"
grep -q "looking further\|No folder\|has no" "$work/out.txt" && fail "the installed game did not find its data"

# A drawn title is far from a uniform clear colour.
spread=0
for _ in $(seq 20); do
    sleep 0.5
    xwd -silent -id "$window" >"$work/title.xwd" 2>/dev/null || continue
    spread=$(convert "$work/title.xwd" -colorspace Gray -format '%[fx:standard_deviation]' info:)
    awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' && break
done
awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' || fail "run from /, the window shows no title (spread $spread)"
echo "ok: run from /, the installed game draws the title (spread $spread)"

xprop -id "$window" WM_CLASS | grep -qx 'WM_CLASS(STRING) = "zandrel", "Zandrel"' ||
    fail "WM_CLASS is $(xprop -id "$window" WM_CLASS)"
xprop -id "$window" _NET_WM_PID | grep -qx "_NET_WM_PID(CARDINAL) = $game_pid" ||
    fail "_NET_WM_PID is $(xprop -id "$window" _NET_WM_PID), not $game_pid"
echo "ok: the window carries WM_CLASS zandrel/Zandrel and _NET_WM_PID $game_pid"

# The window's first icon, as ARGB numbers, against the installed 48 pixel PNG.
xprop -id "$window" -notype -f _NET_WM_ICON 32c '=$0+\n' _NET_WM_ICON | tr -d ' ' | cut -d= -f2 |
    tr ',' '\n' | head -n $((2 + 48 * 48)) >"$work/window-icon.txt"
{
    printf '48\n48\n'
    convert "$prefix/share/icons/hicolor/48x48/apps/zandrel.png" -depth 8 rgba:- | od -An -v -tu1 -w4 |
        awk '{ printf "%.0f\n", $4 * 16777216 + $1 * 65536 + $2 * 256 + $3 }'
} >"$work/file-icon.txt"
cmp -s "$work/window-icon.txt" "$work/file-icon.txt" ||
    fail "the window's icon is not the installed 48 pixel icon (see $work/*-icon.txt)"
cmp -s "$icons/zandrel-48.png" "$prefix/share/icons/hicolor/48x48/apps/zandrel.png" ||
    fail "the installed icon is not the one in $icons"
echo "ok: the window's icon is the installed icon"
