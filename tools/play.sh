#!/bin/sh
# Builds the game and plays it from the repository root (it reads graphics/ and sounds/ from here).
# Only the game is configured: no tests, benchmarks or art generators, so the play packages suffice.
# For the test that builds it as a new player would: ZANDREL_PLAY_BUILD names the build folder,
# ZANDREL_PLAY_CMAKE_ARGS adds configure options, and ZANDREL_PLAY_BUILD_ONLY=1 stops before playing.
set -e
cd "$(dirname "$0")/.."
build=${ZANDREL_PLAY_BUILD:-build}
sh tools/install-deps.sh --play
# shellcheck disable=SC2086 # the extra options are words
cmake -S . -B "$build" -DZANDREL_TESTS=OFF -DZANDREL_BENCH=OFF -DZANDREL_TOOLS=OFF \
    -DCMAKE_BUILD_TYPE=Release $ZANDREL_PLAY_CMAKE_ARGS >/dev/null
cmake --build "$build" --target zandrel -j"$(nproc)"
[ -n "$ZANDREL_PLAY_BUILD_ONLY" ] && exit 0
exec "$build/zandrel" "$@"
