#!/bin/bash
# The real binary checks replays headless: a replay recorded by the release
# build matches in this build, a changed final state is a mismatch, and a bad
# file gets one message naming it.
#
# replay_verify_test.sh GAME REPO_ROOT WORK_DIR
set -u

game=$1
data=$2/tests/data/replay
work=$3
rm -rf "$work"
mkdir -p "$work"

fail() {
    echo "FAIL: $*"
    exit 1
}

"$game" --replay "$data/darth_vs_jack_ringout.zrp" --verify >"$work/out.txt" 2>"$work/err.txt"
status=$?
[ "$status" -eq 0 ] || fail "the release build's replay does not verify (exit $status): $(cat "$work/err.txt")"
grep -q "^initializing Darth as player 1$" "$work/out.txt" || fail "no trace lines printed"
grep -qx "outcome: ring-out, player 1 (Darth) wins" "$work/out.txt" || fail "wrong outcome: $(grep outcome "$work/out.txt")"
echo "ok: the release build's replay verifies"

"$game" --replay "$data/wrong_hash.zrp" --verify >"$work/out.txt" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "a replay with another final state exits with $status, not 1"
grep -q "^final state: differs from the recording" "$work/out.txt" || fail "no mismatch reported"
echo "ok: another final state is a mismatch"

# bad FILE WHAT: exit 2 and one line on standard error naming the file and WHAT.
bad() {
    timeout 20 "$game" --replay "$1" --verify >"$work/out.txt" 2>"$work/err.txt"
    status=$?
    [ "$status" -eq 2 ] || fail "$1 exits with $status, not 2"
    [ "$(wc -l <"$work/err.txt")" -eq 1 ] || fail "$1: not one message: $(cat "$work/err.txt")"
    grep -qF "$1: $2" "$work/err.txt" || fail "$1: the message does not say \"$2\": $(cat "$work/err.txt")"
    [ ! -s "$work/out.txt" ] || fail "$1: printed a trace"
}
head -c 120 "$data/darth_vs_jack_ringout.zrp" >"$work/cut.zrp"
bad "$work/cut.zrp" "cut short"
{ head -c 100 "$data/darth_vs_jack_ringout.zrp"; printf 'x'; tail -c +102 "$data/darth_vs_jack_ringout.zrp"; } >"$work/corrupt.zrp"
bad "$work/corrupt.zrp" "corrupt"
{ printf 'ZRPL\011\000'; tail -c +7 "$data/darth_vs_jack_ringout.zrp"; } >"$work/newer.zrp"
bad "$work/newer.zrp" "replay format version 9"
bad "$data/../bmp" "is a folder"
bad "$work/missing.zrp" "cannot open it"
mkfifo "$work/pipe.zrp"
bad "$work/pipe.zrp" "not a regular file"
truncate -s 5M "$work/huge.zrp"
bad "$work/huge.zrp" "too large to be a replay"
"$game" --verify >/dev/null 2>&1
[ $? -eq 2 ] || fail "--verify without a replay does not exit with 2"
echo "ok: bad files get one message and exit 2"
