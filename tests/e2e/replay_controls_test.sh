#!/bin/bash
# Watches a replay in the real game's window under the X server in $DISPLAY
# and works its controls with xdotool: Space pauses, the right arrow steps one
# tick, - and + change the speed (shown in the window's lower left corner).
# The players' keys do nothing to it, and it plays the same trace as
# --verify, then exits by itself.
#
# replay_controls_test.sh GAME REPO_ROOT WORK_DIR
set -u

. "$(dirname "$0")/lib.sh"
replay=$root/tests/data/replay/darth_vs_jack_ringout.zrp
export XDG_DATA_HOME="$work/data"

# The window's playback exits by itself, after the GL driver is unloaded,
# so LeakSanitizer could no longer tell the driver's allocations from ours
# (the headless --verify below keeps the leak check).
start_game out.txt err.txt env ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$game" --replay "$replay"

cleanup() {
    kill "$game_pid" 2>/dev/null
    wait "$game_pid" 2>/dev/null
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    echo "--- standard error:"
    tail -n 15 err.txt
    exit 1
}

alive() {
    kill -0 "$game_pid" 2>/dev/null || fail "the playback exited early"
}

# status_after KEY PATTERN: presses KEY and waits for a new status line
# matching PATTERN; prints it. A key the X server hands over too close to the
# one before can be taken for auto-repeat and dropped: press it again then.
status_after() {
    local before attempt
    before=$(wc -l <err.txt)
    for attempt in 1 2 3; do
        xdotool key "$1"
        local deadline=$((SECONDS + 5))
        while :; do
            alive
            line=$(tail -n +"$((before + 1))" err.txt | grep -E -- "$2" | head -n 1)
            [ -n "$line" ] && { echo "$line"; return 0; }
            [ "$SECONDS" -ge "$deadline" ] && break
            sleep 0.05
        done
    done
    return 1
}

# corner_shot FILE: the lower left corner of the window, where the state shows.
corner_shot() {
    sleep 0.3
    import -window "$window" shot.png 2>/dev/null && convert shot.png -crop 300x26+0+574 +repage "$1"
}

# tick_of LINE: the tick number in "replay: ... at tick N of M".
tick_of() {
    sed -E 's/.*tick ([0-9]+) of.*/\1/' <<<"$1"
}

deadline=$((SECONDS + step_timeout))
window=""
while [ -z "$window" ]; do
    alive
    [ "$SECONDS" -ge "$deadline" ] && fail "no window titled Zandrel"
    window=$(xdotool search --name '^Zandrel$' 2>/dev/null | head -n 1)
    sleep 0.1
done
xdotool windowfocus --sync "$window" || fail "could not focus the window"

line=$(status_after space "paused at tick") || fail "Space does not pause"
paused=$(tick_of "$line")
sleep 1
line=$(status_after Right "stepped to tick") || fail "the right arrow does not step"
[ "$(tick_of "$line")" -eq $((paused + 1)) ] || fail "paused at $paused, one step went to $(tick_of "$line")"
line=$(status_after Right "stepped to tick") || fail "the right arrow does not step again"
[ "$(tick_of "$line")" -eq $((paused + 2)) ] || fail "two steps from $paused went to $(tick_of "$line")"
echo "ok: paused at tick $paused, nothing moved, and each right arrow stepped one tick"
corner_shot corner-x1.png || fail "could not capture the window"

# The players' keys while paused and playing change nothing (the trace below).
xdotool key t d Left 1
status_after minus "speed x0.5" >/dev/null || fail "- does not slow to x0.5"
corner_shot corner-half.png || fail "could not capture the window"
changed=$(compare -metric AE corner-x1.png corner-half.png null: 2>&1)
awk -v n="$changed" 'BEGIN { exit !(n > 20) }' || fail "the paused picture's corner did not change with the speed ($changed pixels)"
echo "ok: the corner shows the speed change ($changed pixels)"
status_after minus "speed x0.25" >/dev/null || fail "- does not slow to x0.25"
line=$(status_after space "playing at tick") || fail "Space does not resume"
start=$(tick_of "$line")
xdotool keydown t; sleep 1; xdotool keyup t
line=$(status_after space "paused at tick") || fail "Space does not pause at x0.25"
slow=$(($(tick_of "$line") - start))
for speed in 0.5 1 2 4 8; do
    status_after plus "speed x$speed$" >/dev/null || fail "+ does not speed up to x$speed"
done
line=$(status_after space "playing at tick") || fail "Space does not resume at x8"
start=$(tick_of "$line")
# Half a second, so the bout does not end before the pause.
sleep 0.5
line=$(status_after space "paused at tick") || fail "Space does not pause at x8"
fast=$(($(tick_of "$line") - start))
[ "$fast" -gt $((slow * 2)) ] || fail "half a second at x8 played $fast ticks, a second at x0.25 $slow"
echo "ok: a second at x0.25 played $slow ticks, half a second at x8 $fast"

# Resume to the end, pressing again if the press was taken for auto-repeat.
before=$(wc -l <err.txt)
for attempt in 1 2 3; do
    sleep 0.3
    xdotool key space
    sleep 0.5
    tail -n +"$((before + 1))" err.txt | grep -q "playing at tick" && break
    kill -0 "$game_pid" 2>/dev/null || break
done
deadline=$((SECONDS + step_timeout))
while kill -0 "$game_pid" 2>/dev/null; do
    [ "$SECONDS" -ge "$deadline" ] && fail "the playback did not exit at the end of the bout"
    sleep 0.1
done
wait "$game_pid"
status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "the playback exited with $status"
"$game" --replay "$replay" --verify >verify.txt 2>&1
grep -v '^Resized to ' out.txt >watched.txt
diff -q watched.txt verify.txt >/dev/null ||
    fail "the watched bout differs from --verify: $(diff watched.txt verify.txt | head -n 5)"
echo "ok: played to the end and exited; the same trace and outcome as --verify"
[ ! -e data/zandrel/replays ] || fail "watching a replay recorded a replay"
exit 0
