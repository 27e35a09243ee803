#!/bin/bash
# Measures how a storm of window events slows the game: starts an idle bout
# under its own Xvfb, resizes the window back and forth with xdotool for
# SECONDS (or leaves it alone with --quiet), then ends the game with SIGINT
# and counts the ticks its unfinished replay holds. Prints ticks a second and
# the share of a core the game used meanwhile.
#
# tools/window_storm.sh [--quiet] [GAME] [SECONDS]   (default: build/zandrel, 20)
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)

if [ "${1:-}" = "--inside" ]; then
    shift
    storm=$1 game=$2 seconds=$3 work=$4
    cd "$work"
    ln -sf "$root/graphics" graphics
    ln -sf "$root/sounds" sounds
    # A background job would inherit SIGINT ignored.
    XDG_DATA_HOME="$work/data" ALSOFT_DRIVERS=null env --default-signal=INT "$game" >out.txt 2>err.txt &
    game_pid=$!
    trap 'kill $game_pid 2>/dev/null' EXIT
    window=""
    for _ in $(seq 200); do
        window=$(xdotool search --name '^Zandrel$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "no game window" >&2; exit 1; }
    sleep 1
    xdotool mousemove --window "$window" 400 300 click 1
    # The doors shut and part again in under five seconds.
    sleep 5
    xdotool mousemove --window "$window" 397 450 click 1
    until grep -q "as player 2" out.txt; do sleep 0.02; done
    # The game's CPU time in clock ticks: user and system.
    cpu() { awk '{ print $14 + $15 }' "/proc/$game_pid/stat"; }
    cpu_start=$(cpu)
    start=$(date +%s.%N)
    resizes=0
    while awk -v s="$start" -v n="$(date +%s.%N)" -v l="$seconds" 'BEGIN { exit !(n - s < l) }'; do
        if [ "$storm" = 1 ]; then
            xdotool windowsize "$window" 640 480 windowsize "$window" 800 600
            resizes=$((resizes + 2))
        else
            sleep 0.2
        fi
    done
    end=$(date +%s.%N)
    cpu_used=$(($(cpu) - cpu_start))
    kill -INT "$game_pid"
    wait "$game_pid" || true
    trap - EXIT
    replay=$(ls "$work"/data/zandrel/replays/*.zrp)
    # The tick count sits after the game version, whose length is byte 6.
    n=$(od -An -tu1 -j6 -N1 "$replay" | tr -d ' ')
    ticks=$(od -An -tu4 -j$((52 + n)) -N4 "$replay" | tr -d ' ')
    awk -v t="$ticks" -v s="$start" -v e="$end" -v r="$resizes" -v c="$cpu_used" -v hz="$(getconf CLK_TCK)" \
        'BEGIN { printf "%d ticks in %.2f s with %d resizes: %.1f ticks a second, %.2f of a core\n",
                 t, e - s, r, t / (e - s), c / hz / (e - s) }'
    exit 0
fi

storm=1
if [ "${1:-}" = "--quiet" ]; then
    storm=0
    shift
fi
game=${1:-build/zandrel}
case "$game" in
/*) ;;
*) game="$root/$game" ;;
esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$0" --inside "$storm" "$game" "${2:-20}" "$work"
