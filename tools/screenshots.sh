#!/bin/sh
# Plays the game under its own Xvfb (the end-to-end run: title, select screen,
# a bout with hits) and keeps its pictures as docs/title.png, docs/select.png
# and docs/bout.png.
#
# tools/screenshots.sh [path/to/zandrel]   (default: builds build/zandrel)
set -e
cd "$(dirname "$0")/.."
root=$(pwd)
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
echo "docs/title.png docs/select.png docs/bout.png"
