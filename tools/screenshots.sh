#!/bin/sh
# Plays the game under its own Xvfb (the end-to-end run: title, select screen,
# a bout with hits) and keeps its pictures as docs/title.png, docs/select.png
# and docs/bout.png; then plays a second bout and records six seconds of it
# as docs/bout.gif, 400 by 300 at 20 frames a second.
#
# tools/screenshots.sh [path/to/zandrel]   (default: builds build/zandrel)
set -e
cd "$(dirname "$0")/.."
root=$(pwd)

# Inside the X server: start the game, click through to a bout of Darth
# against Jack, and record it while both players fight.
if [ "$1" = "--record-bout" ]; then
    game=$2
    work=$3
    mkdir -p "$work/run"
    cd "$work/run"
    ln -sf "$root/graphics" graphics
    ln -sf "$root/sounds" sounds
    ALSOFT_DRIVERS=null "$game" >out.txt 2>err.txt &
    game_pid=$!
    trap 'xdotool keyup d a Left Right t y u 1 2 3 w 2>/dev/null; kill $game_pid 2>/dev/null' EXIT
    window=""
    for _ in $(seq 100); do
        window=$(xdotool search --name '^Zandrel$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "record: no game window" >&2; exit 1; }
    sleep 1
    # The select screen stands on the cleared black; the title and the doors
    # cover the window's sides.
    select_ready() {
        import -window "$window" "$work/shot.png" 2>/dev/null || return 1
        for at in 20,200 60,200 780,300 740,300 400,590; do
            [ "$(convert "$work/shot.png" -format "%[fx:int(255*max(p{$at}.r,max(p{$at}.g,p{$at}.b)))]" info:)" -lt 16 ] ||
                return 1
        done
    }
    until ! select_ready; do sleep 0.2; done
    xdotool mousemove --window "$window" 400 300 click 1
    sleep 0.5
    for _ in $(seq 300); do
        select_ready && break
        sleep 0.1
    done
    sleep 0.3
    xdotool mousemove --window "$window" 375 288 click 1
    xdotool mousemove --window "$window" 375 384 click 1
    xdotool mousemove --window "$window" 397 450 click 1
    for _ in $(seq 100); do
        grep -q "initializing Jack as player 2" out.txt && break
        sleep 0.1
    done
    xdotool windowfocus --sync "$window"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    ffmpeg -loglevel error -y -f x11grab -draw_mouse 0 -framerate 20 -video_size 800x600 -i "$DISPLAY+$X,$Y" -t 7.5 \
        -c:v utvideo "$work/bout.mkv" &
    recorder=$!
    # The loop starts a second in, once the recorder runs.
    sleep 1
    key() { # key NAME SECONDS
        xdotool keydown "$1"
        sleep "$2"
        xdotool keyup "$1"
    }
    # Both walk in; Darth swings as Jack closes, Jack answers, Darth blocks,
    # then a vertical strike and a spin.
    xdotool keydown d keydown Left
    sleep 0.9
    xdotool keyup Left
    key t 0.25
    sleep 0.35
    xdotool keyup d
    key 1 0.25
    sleep 0.3
    key u 0.6
    key y 0.25
    sleep 0.4
    xdotool keydown Left
    key 2 0.25
    xdotool keyup Left
    sleep 0.3
    xdotool keydown a
    key t 0.25
    xdotool keyup a
    sleep 0.3
    key 3 0.5
    key y 0.25
    wait "$recorder"
    exit 0
fi

game=${1:-}
if [ -z "$game" ]; then
    cmake -S . -B build -DZANDREL_BENCH=OFF >/dev/null
    cmake --build build --target zandrel -j"$(nproc)"
    game=build/zandrel
fi
case "$game" in
/*) ;;
*) game="$root/$game" ;;
esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash tests/e2e/play_test.sh "$game" "$root" "$work/play"
mkdir -p docs
for picture in title select bout; do
    cp "$work/play/$picture.png" "docs/$picture.png"
done

# The loop: six seconds from the walk-in on, halved in size, with one shared
# palette.
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" sh "$0" --record-bout "$game" "$work/record"
# Fewer colours if a busy bout would make the loop heavier than 2 MB.
for colours in 96 64 48; do
    palette="palettegen=max_colors=$colours:stats_mode=diff"
    dither="paletteuse=dither=bayer:bayer_scale=5:diff_mode=rectangle"
    ffmpeg -loglevel error -y -ss 1 -t 6 -i "$work/record/bout.mkv" \
        -vf "fps=20,scale=400:300:flags=lanczos,split[a][b];[a]$palette[p];[b][p]$dither" -loop 0 docs/bout.gif
    [ "$(wc -c <docs/bout.gif)" -le 2000000 ] && break
done
echo "docs/title.png docs/select.png docs/bout.png docs/bout.gif ($(wc -c <docs/bout.gif) bytes)"
