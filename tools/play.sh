#!/bin/sh
# Builds the game and plays it from the repository root (it reads graphics/ and sounds/ from here).
set -e
cd "$(dirname "$0")/.."
sh tools/install-deps.sh --play
cmake -S . -B build -DZANDREL_TESTS=OFF -DZANDREL_BENCH=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target zandrel -j"$(nproc)"
exec ./build/zandrel "$@"
