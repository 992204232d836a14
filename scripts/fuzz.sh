#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time on a copy of the
# seed corpus. Usage: scripts/fuzz.sh [SECONDS per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/deps.sh clang libclang-rt-14-dev

build=${FUZZ_BUILD_DIR:-build/fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQRDESK_FUZZ=ON -DQRDESK_BUILD_DESKTOP=OFF -DQRDESK_BUILD_TESTS=OFF -DQRDESK_WERROR=ON \
    >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_bitstream fuzz_encode fuzz_field fuzz_reedsolomon fuzz_paths \
    fuzz_imagefile

for target in bitstream encode field reedsolomon paths imagefile; do
    work=$(mktemp -d)
    log="$build/fuzz_$target.log"
    # New inputs go to the scratch folder; the repository's seeds are only read.
    if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "fuzz_$target: FAILED (log: $log)"
        exit 1
    fi
    execs=$(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
    echo "fuzz_$target: ok, $execs executions, $cov"
    rm -rf "$work"
done
