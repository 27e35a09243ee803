#!/bin/bash
# The game's own options answer without opening a window (no display is set),
# and a mistake gets one message and the usage on standard error, status 2.
set -u
game=$1
version=$2
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
unset DISPLAY
fail() { echo "FAIL: $*"; echo "--- stdout:"; cat "$out"; echo "--- stderr:"; cat "$err"; exit 1; }

"$game" --help >"$out" 2>"$err" || fail "--help exits with $?"
grep -q -- '--window WIDTHxHEIGHT' "$out" || fail "--help shows no usage"
[ -s "$err" ] && fail "--help writes to standard error"

"$game" --version >"$out" 2>"$err" || fail "--version exits with $?"
[ "$(cat "$out")" = "zandrel $version" ] || fail "--version does not say zandrel $version"

for words in "--nope" "--window 0x0" "--window" "--fullscreen=1" "-iconic --bad" "--replay f.zrp --host" \
    "bout.zrp" "--host abc" "--delay 7"; do
    # shellcheck disable=SC2086
    "$game" $words >"$out" 2>"$err"
    status=$?
    [ "$status" -eq 2 ] || fail "'$words' exits with $status, not 2"
    [ -s "$out" ] && fail "'$words' writes to standard output"
    [ "$(grep -c '^zandrel: ' "$err")" -eq 1 ] || fail "'$words' gives not exactly one message"
    head -n 1 "$err" | grep -q '^zandrel: ' || fail "'$words': the message is not first"
    grep -q '^Usage: zandrel' "$err" || fail "'$words' shows no usage"
done
# Run from elsewhere, a build finds its source tree's art; a copy of it
# outside the build tree finds none, and says where it looked in one line.
here=$(mktemp -d)
trap 'rm -f "$out" "$err"; rm -rf "$here"' EXIT
(cd "$here" && env -u ZANDREL_DATA "$game" >"$out" 2>"$err")
grep -q "No folder with the game's graphics/" "$out" && fail "run from another folder, the build finds no art"
cp "$game" "$here/zandrel"
(cd "$here" && env -u ZANDREL_DATA ./zandrel >"$out" 2>"$err")
[ "$(grep -c '^zandrel: no graphics/ and sounds/ in the working directory ' "$err")" -eq 1 ] ||
    fail "a binary with no data anywhere does not say so in one line on standard error"
grep -qF "$(dirname "$here")/share/zandrel" "$err" || fail "the line does not name the installed folder"
echo "ok"
