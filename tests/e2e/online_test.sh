#!/bin/bash
# Two real game windows meet through the real meeting server on 127.0.0.1: the
# opener shows its room's code under START until the guest comes, a wrong code
# sends a guest back to its title with the server's reason, the right one
# reaches the select screen on both with the path said.
#
# online_test.sh GAME REPO_ROOT WORK_DIR SERVER
set -u
server=$4
. "$(dirname "$0")/lib.sh"
port=$((20000 + RANDOM % 20000))

pids=""
cleanup() {
    kill $pids 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    for side in server opener wrong guest; do
        echo "--- $side, standard error:"
        tail -n 10 "$side.err" 2>/dev/null
    done
    echo "(screenshots in $work)"
    exit 1
}

# wait_for FILE PATTERN: the pattern shows in the file.
wait_for() {
    local deadline=$((SECONDS + step_timeout))
    while ! grep -qF -- "$2" "$1" 2>/dev/null; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.05
    done
}

# start SIDE ARGS...: the game with its own data folder.
start() {
    local side=$1
    shift
    mkdir -p "$side-data"
    start_game "$side.out" "$side.err" env XDG_DATA_HOME="$work/$side-data" "$game" "$@"
    pids="$pids $game_pid"
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

# code_pixels FILE: the room code's yellow in the band between START and the status line.
code_pixels() {
    convert "$1" -crop 640x24+0+398 +repage -depth 8 txt:- |
        awk -F'[:(),]+' 'NR > 1 && $4 > 200 && $5 > 200 && $6 < 140 { n++ } END { print n + 0 }'
}

"$server" --bind 127.0.0.1 --port "$port" >server.out 2>server.err &
pids="$pids $!"
wait_for server.err "listening on UDP port $port" || fail "the server did not start"

start opener --online "127.0.0.1:$port" -geometry 640x480+0+0
opener_pid=$game_pid
opener_window=$(window_of "$opener_pid")
wait_for opener.out "room: " || fail "the opener printed no room"
code=$(sed -n 's/^room: //p' opener.out)
sleep 1
import -window "$opener_window" code.png
[ "$(code_pixels code.png)" -gt 20 ] || fail "no room code on the opener's screen"
echo "ok: the opener shows room $code"

wrong=ACDEFH
[ "$code" = $wrong ] && wrong=ACDEFJ
start wrong --online "127.0.0.1:$port" --room $wrong -geometry 640x480+0+520
wrong_pid=$game_pid
wait_for wrong.err "There is no room $wrong on the server" || fail "a wrong code was not said"
sleep 1
kill -0 "$wrong_pid" 2>/dev/null || fail "the game with a wrong code exited"
kill "$wrong_pid"
echo "ok: a wrong code is said and the game goes on at its title"

start guest --online "127.0.0.1:$port" --room "$(echo "$code" | tr A-Z a-z)" -geometry 640x480+0+520
wait_for guest.out "path: direct" || fail "the guest did not say the path"
wait_for opener.out "path: direct" || fail "the opener did not say the path"
sleep 1
import -window "$opener_window" met.png
[ "$(code_pixels met.png)" -eq 0 ] || fail "the room code still shows once the guest came"
echo "ok: the guest joined by the code typed in small letters, both say path: direct, the code is gone"
