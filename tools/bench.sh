#!/bin/sh
# Builds and runs the benchmarks under Xvfb with Mesa's software renderer and
# OpenAL Soft's null device. Extra arguments go to Google Benchmark.
set -e
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZANDREL_BENCH=ON >/dev/null
cmake --build build --target zandrel_bench -j"$(nproc)"
ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ./build/bench/zandrel_bench "$@"
