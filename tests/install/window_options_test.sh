#!/bin/bash
# The window the command line asks for, on the X display in $DISPLAY: GLUT's
# -geometry still reaches GLUT, --window sizes the window, --fullscreen fills
# the screen, F11 toggles it, and the menu's clicks land in fullscreen.
#
# window_options_test.sh GAME   (run from the repository root, for the data)
set -u
game=$1
out=$(mktemp)
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null && wait "$game_pid" 2>/dev/null
    rm -f "$out"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- output:"; grep -v frame "$out" | tail -n 20; exit 1; }

# start ARGS...: runs the game and waits for its window and first reshape.
start() {
    cleanup
    out=$(mktemp)
    "$game" "$@" >"$out" 2>&1 &
    game_pid=$!
    window=""
    for _ in $(seq 150); do
        kill -0 "$game_pid" 2>/dev/null || fail "the game exited early with $*"
        window=$(xdotool search --pid "$game_pid" --name '^Zandrel$' 2>/dev/null | head -n 1)
        [ -n "$window" ] && grep -q "^Resized to" "$out" && return
        sleep 0.2
    done
    fail "no window and reshape with $*"
}

# wait_for PATTERN [FROM_LINE]: a line of the output after FROM_LINE matches,
# within 20 seconds.
wait_for() {
    for _ in $(seq 200); do
        tail -n +"$((${2:-0} + 1))" "$out" | grep -q -- "$1" && return 0
        sleep 0.1
    done
    return 1
}

# size: the window's "WIDTHxHEIGHT+X+Y" as the X server has it.
size() {
    xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF } END { printf "%dx%d+%d+%d\n", w, h, x, y }'
}

start -geometry 640x480+0+0
wait_for "Resized to 640 480" || fail "no \"Resized to 640 480\" with -geometry 640x480+0+0"
[ "$(size)" = "640x480+0+0" ] || fail "-geometry 640x480+0+0 gave a window at $(size)"
echo "ok: -geometry 640x480+0+0 reaches GLUT"

start --window 1024x768
[ "$(size)" = "1024x768+100+100" ] || fail "--window 1024x768 gave a window at $(size)"
echo "ok: --window 1024x768"

screen=$(xwininfo -root | awk '/Width:/ { w = $NF } /Height:/ { h = $NF } END { print w "x" h }')
start --fullscreen
wait_for "Resized to ${screen/x/ }" || fail "--fullscreen never filled the $screen screen"
echo "ok: --fullscreen fills the $screen screen"

xdotool windowfocus --sync "$window" || fail "could not focus the window"
lines=$(wc -l <"$out")
xdotool key F11
wait_for "Resized to 800 600" "$lines" || fail "F11 did not bring back the 800x600 window"
lines=$(wc -l <"$out")
xdotool key F11
wait_for "Resized to ${screen/x/ }" "$lines" || fail "F11 did not go fullscreen again"
echo "ok: F11 toggles fullscreen"

# The menu's layout scales with the height and stays centred: START's middle
# (397, 450 of 800 by 600) lies here on the full screen.
read -r width height <<<"${screen/x/ }"
start_x=$((width / 2 + (397 - 400) * height / 600))
start_y=$((450 * height / 600))
xdotool mousemove --window "$window" $((width / 2)) $((height / 2)) click 1
sleep 3  # the doors close and open again
for _ in $(seq 20); do
    xdotool mousemove --window "$window" "$start_x" "$start_y" click 1
    wait_for "initializing .* as player 2" && break
done
grep -q "initializing .* as player 2" "$out" || fail "a click on START in fullscreen started no bout"
echo "ok: the menu's clicks land in fullscreen"
