#!/bin/bash
# Two real game windows play each other over 127.0.0.1, worked with xdotool
# through the X server in $DISPLAY: the host waits, the guest joins, each
# clicks START, both print the same trace while a key is held at the guest,
# then the guest is killed: the host says so within a few seconds, goes back
# to its own title and keeps the bout's replay, which the game verifies.
#
# net_play_test.sh GAME REPO_ROOT WORK_DIR
set -u
. "$(dirname "$0")/lib.sh"
# A port of its own, so that a game left over elsewhere cannot answer.
port=$((20000 + RANDOM % 20000))

host_pid=""
guest_pid=""
held=""
cleanup() {
    [ -n "$held" ] && xdotool keyup $held 2>/dev/null
    kill $host_pid $guest_pid 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    for side in host guest; do
        echo "--- $side, standard error:"
        tail -n 10 "$side.err" 2>/dev/null
    done
    echo "(traces and screenshots in $work)"
    exit 1
}

pass() {
    echo "ok: $*"
}

# start SIDE ARGS...: the game with its own data folder, placed on the screen
# where the other does not cover it.
start() {
    local side=$1
    shift
    mkdir -p "$side-data"
    start_game "$side.out" "$side.err" env XDG_DATA_HOME="$work/$side-data" "$game" "$@"
}

window_of() {
    local deadline=$((SECONDS + step_timeout)) w=""
    while [ -z "$w" ]; do
        [ "$SECONDS" -ge "$deadline" ] && fail "no window for process $1"
        w=$(xdotool search --all --pid "$1" --name '^Zandrel$' 2>/dev/null | head -n 1)
        sleep 0.1
    done
    echo "$w"
}

# wait_for FILE PATTERN: the pattern shows in the file.
wait_for() {
    local deadline=$((SECONDS + step_timeout))
    while ! grep -qF -- "$2" "$1"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.05
    done
}

# The trace lines of a side (what the game prints on standard output, less
# its window's own lines).
trace_of() {
    grep -v -e '^Resized to' -e '^Waiting for a player' "$1.out"
}

start host --host "$port" -geometry 640x480+0+0
host_pid=$game_pid
wait_for host.out "Waiting for a player on port $port" || fail "the host does not say it waits"
start guest --join "127.0.0.1:$port" -geometry 640x480+0+520
guest_pid=$game_pid
host_window=$(window_of "$host_pid")
guest_window=$(window_of "$guest_pid")
pass "host window $host_window and guest window $guest_window are up"
sleep 2

# START, at its place on the 800 by 600 layout scaled to the 640 by 480 windows.
# yellow_pixels FILE: the "waiting" label's yellow in the band under START.
yellow_pixels() {
    convert "$1" -crop 640x24+0+386 +repage -depth 8 txt:- |
        awk -F'[:(),]+' 'NR > 1 && $4 > 200 && $5 > 200 && $6 < 140 { n++ } END { print n + 0 }'
}
import -window "$host_window" before-start.png
xdotool mousemove --window "$host_window" 318 360 click 1
sleep 0.5
import -window "$host_window" waiting.png
[ "$(yellow_pixels before-start.png)" -eq 0 ] || fail "yellow under START before anyone clicked it"
[ "$(yellow_pixels waiting.png)" -gt 20 ] || fail "no \"waiting\" label at the host after its START"
pass "the host shows \"waiting\" until the guest clicks START"
xdotool mousemove --window "$guest_window" 318 360 click 1
wait_for host.out "initializing" || fail "the bout does not begin at the host"
wait_for guest.out "initializing" || fail "the bout does not begin at the guest"
pass "both clicked START and the bout began on both"

# The guest walks (its keyboard focus follows the pointer, over its window).
xdotool mousemove --window "$guest_window" 320 240
xdotool keydown d
held="d"
sleep 2
xdotool keyup d
held=""
sleep 2

trace_of host >host.trace
trace_of guest >guest.trace
shorter=$(($(wc -l <host.trace) < $(wc -l <guest.trace) ? $(wc -l <host.trace) : $(wc -l <guest.trace)))
[ "$shorter" -gt 100 ] || fail "only $shorter trace lines after four seconds of bout"
cmp -s <(head -n "$shorter" host.trace) <(head -n "$shorter" guest.trace) ||
    fail "the two sides printed different traces (diff host.trace guest.trace)"
pass "both sides printed the same $shorter trace lines"
# Nobody touched the host: a step there is the guest's key, come over the network.
grep -q "state = MOVE_RIGHT" host.trace || fail "the guest's held key never moved its fighter at the host"
pass "the guest's key moved its fighter on both screens"

kill -KILL "$guest_pid"
wait "$guest_pid" 2>/dev/null
guest_pid=""
killed=$SECONDS
wait_for host.err "silent for 3 seconds" || fail "the host never noticed the guest had gone"
[ $((SECONDS - killed)) -le 8 ] || fail "the host took $((SECONDS - killed)) s to notice"
sleep 1
kill -0 "$host_pid" 2>/dev/null || fail "the host exited"
pass "the host noticed in $((SECONDS - killed)) s and plays on"

replay=$(find host-data -name '*network-unfinished*.zrp' | head -n 1)
[ -n "$replay" ] || fail "the host kept no replay of the bout"
"$game" --replay "$replay" --verify >verify.out 2>verify.err || fail "the host's replay does not verify: $(cat verify.out verify.err)"
trace_of host >host.trace
cmp -s <(head -n -2 verify.out) host.trace || fail "the replay's trace is not the host's (diff verify.out host.trace)"
pass "the host's replay verifies and prints the host's trace"
