#!/bin/sh
# Runs the play command up to the point of playing, in a clean build folder,
# with every package that only the tests and the generators need hidden.
set -eu
build=$1
rm -rf "$build"
ZANDREL_PLAY_BUILD=$build ZANDREL_PLAY_BUILD_ONLY=1 \
ZANDREL_PLAY_CMAKE_ARGS="-DCMAKE_DISABLE_FIND_PACKAGE_Freetype=ON -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON" \
    sh tools/play.sh
[ -x "$build/zandrel" ] || { echo "no game binary in $build"; exit 1; }
# The generators stayed out of the build.
[ ! -e "$build/tools" ] || { echo "the art and sound generators were configured"; exit 1; }

# Every header and library the build read belongs to a package the play list
# installs, or to one those pull in: else a fresh machine could not build it.
needed=$(apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts --no-breaks \
    --no-replaces --no-enhances $(sh tools/install-deps.sh --play --list) | grep '^[a-z0-9]' | sort -u)
read=$( { find "$build" -name '*.o.d' -exec cat {} +; tr ' ' '\n' <"$build/CMakeFiles/zandrel.dir/link.txt"; } |
    grep -o '/usr/[^ :\\]*' | grep -v '^/usr/bin/' | sort -u)
owners=$(echo "$read" | xargs dpkg -S 2>/dev/null | cut -d: -f1 | tr ', ' '\n\n' | grep . | sort -u)
[ -n "$owners" ] || { echo "found no package owning what the build read"; exit 1; }
missing=$(echo "$owners" | grep -vxF "$needed" || true)
[ -z "$missing" ] || { echo "the play list does not bring in:" $missing; exit 1; }
echo "ok: $(echo "$read" | wc -l) files the build read, from $(echo "$owners" | wc -l) packages the play list brings in"
