#!/usr/bin/env bash
# Builds the fuzz targets with clang (preset "fuzz") and runs each in turn for SECONDS (default
# 60) on its seed corpus. New inputs go to build-fuzz/corpus/<target>, the repository's seeds
# stay as they are; a finding stops the run with the fuzzer's exit status and its crash file in
# build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=(profile-file setup-file camera-answers command-line)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]/#/fuzz-}"

mkdir -p build-fuzz/findings
for target in "${targets[@]}"; do
    corpus=build-fuzz/corpus/$target
    mkdir -p "$corpus"
    echo "== fuzz-$target: ${seconds}s"
    log=build-fuzz/findings/$target.log
    if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "build-fuzz/bin/fuzz-$target" -max_total_time="$seconds" -print_final_stats=1 \
        -max_len=8192 -timeout=10 -rss_limit_mb=1024 \
        -artifact_prefix=build-fuzz/findings/"$target"- \
        "$corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        echo "fuzz-$target: finding, see build-fuzz/findings/" >&2
        exit 1
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' "$log"
done
