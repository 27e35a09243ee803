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

for words in "--nope" "--window 0x0" "--window" "--fullscreen=1" "-iconic --bad"; do
    # shellcheck disable=SC2086
    "$game" $words >"$out" 2>"$err"
    status=$?
    [ "$status" -eq 2 ] || fail "'$words' exits with $status, not 2"
    [ -s "$out" ] && fail "'$words' writes to standard output"
    [ "$(grep -c '^zandrel: ' "$err")" -eq 1 ] || fail "'$words' gives not exactly one message"
    head -n 1 "$err" | grep -q '^zandrel: ' || fail "'$words': the message is not first"
    grep -q '^Usage: zandrel' "$err" || fail "'$words' shows no usage"
done
echo "ok"
