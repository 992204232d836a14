#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time on a copy of the
# seed corpus, then prints each target's executions. Usage: scripts/fuzz.sh [SECONDS per
# target, default 60] [TARGET...]   (targets by short name, e.g. encode textbytes; default all)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
all=(bitstream encode field reedsolomon paths textbytes batchinput options images imagefile)
targets=("${@:-${all[@]}}")

scripts/deps.sh clang libclang-rt-14-dev

build=${FUZZ_BUILD_DIR:-build/fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQRDESK_FUZZ=ON -DQRDESK_BUILD_DESKTOP=OFF -DQRDESK_BUILD_TESTS=OFF -DQRDESK_WERROR=ON \
    >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

summary=()
for target in "${targets[@]}"; do
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
    rate=$(grep -m1 -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$')
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
    echo "fuzz_$target: ok, $execs executions, $cov"
    summary+=("$(printf '%-18s %12s %10s  %s' "fuzz_$target" "$execs" "$rate" "$cov")")
    rm -rf "$work"
done
printf '== fuzzing, %s s per target\n%-18s %12s %10s  %s\n' "$seconds" target executions exec/s coverage
printf '%s\n' "${summary[@]}"
