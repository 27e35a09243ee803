#!/bin/sh
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer), then either replays each seed corpus
# ("replay") or fuzzes each target for a bounded time ("fuzz SECONDS").
set -e
cd "$(dirname "$0")/.."
mode=${1:-replay}
seconds=${2:-30}
out=build-fuzz
mkdir -p "$out"
for target in fuzz/*_fuzzer.cpp; do
    [ -e "$target" ] || continue
    name=$(basename "$target" .cpp)
    kind=${name%_fuzzer}
    # The first line "// sources: a.cpp b.cpp" names what the target links.
    sources=$(sed -n 's|^// sources: ||p' "$target" | head -n 1)
    clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I. "$target" $sources -o "$out/$name"
    corpus="fuzz/corpus/$kind"
    log="$out/$name.log"
    status=0
    if [ "$mode" = "fuzz" ]; then
        work="$out/corpus-$kind"
        mkdir -p "$work"
        "$out/$name" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=1024 \
            -print_final_stats=1 "$work" "$corpus" >"$log" 2>&1 || status=$?
    else
        "$out/$name" -runs=0 "$corpus" >"$log" 2>&1 || status=$?
    fi
    if [ "$status" -ne 0 ]; then
        cat "$log"
        echo "fuzz $mode $name: FAILED"
        exit 1
    fi
    grep -E '^(stat::number_of_executed_units|#[0-9]+ +DONE|INFO: .*(seed|inputs))' "$log" | tail -n 3
    echo "fuzz $mode $name: ok"
done
