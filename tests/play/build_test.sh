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
echo "ok"
