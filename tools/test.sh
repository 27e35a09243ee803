#!/bin/sh
# Builds everything and runs every test: unit, GL under Xvfb, sound through
# OpenAL Soft's null backend, the end-to-end game, and the fuzz corpora.
set -e
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
export ALSOFT_DRIVERS=null
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build --output-on-failure -j"$(nproc)"
sh fuzz/run.sh replay
