#!/bin/sh
# Builds everything and runs every test: unit, GL under Xvfb, sound through
# OpenAL Soft's null backend, the end-to-end game, and the fuzz corpora.
# With --sanitize the suite is built and run with AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer instead.
set -e
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
build=build
# tools/play.sh shares build/ with tests and generators off: turn them on again.
options="-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZANDREL_TESTS=ON -DZANDREL_TOOLS=ON -DZANDREL_BENCH=ON -DZANDREL_WERROR=${ZANDREL_WERROR:-OFF}"
if [ "$1" = "--sanitize" ]; then
    build=build-sanitize
    options="-DCMAKE_BUILD_TYPE=Debug -DZANDREL_SANITIZE=ON -DZANDREL_TESTS=ON -DZANDREL_TOOLS=ON -DZANDREL_BENCH=OFF -DZANDREL_WERROR=${ZANDREL_WERROR:-OFF}"
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
    export LSAN_OPTIONS=suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cmake -S . -B "$build" $options >/dev/null
cmake --build "$build" -j"$(nproc)"
export ALSOFT_DRIVERS=null
# Under the sanitizers a thinking computer's bout costs some 25 times its
# time, so the tests made of whole bouts between computers run in the plain
# build only; the computer's situations and the threaded tournament still run.
skip=""
[ "$1" = "--sanitize" ] && skip="Tournament\.HardBeats|CpuPlayer\.TheSameSeedPlaysTheSameBout"
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 300 ${skip:+-E "$skip"}
[ "$1" = "--sanitize" ] || sh fuzz/run.sh replay
