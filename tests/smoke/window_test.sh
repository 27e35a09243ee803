#!/bin/bash
# Starts the game on the current X display, waits for its first reshape line,
# and checks that it is still running and its window shows the title.
set -u
game=$1
out=$(mktemp)
shot=$(mktemp --suffix=.png)
"$game" >"$out" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null; rm -f "$out" "$shot"' EXIT

for _ in $(seq 100); do
    grep -q "Resized to 800 600" "$out" && break
    kill -0 $pid 2>/dev/null || { echo "game exited early:"; cat "$out"; exit 1; }
    sleep 0.2
done
grep -q "Resized to 800 600" "$out" || { echo "no reshape line:"; cat "$out"; exit 1; }

sleep 1.5
kill -0 $pid 2>/dev/null || { echo "game died:"; cat "$out"; exit 1; }
window=$(xdotool search --name '^Zandrel$' | head -n 1)
[ -n "$window" ] || { echo "no window titled Zandrel"; exit 1; }
import -window "$window" "$shot" || exit 1
# A drawn title is far from a uniform clear colour.
spread=$(convert "$shot" -colorspace Gray -format '%[fx:standard_deviation]' info:)
echo "window pixel spread: $spread"
awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' || { echo "window looks empty"; exit 1; }
echo "ok"
