#!/usr/bin/env bash
# Batch throughput of qrdesk-cli in symbols per second, on 2 worker threads:
#   1. 1,000 lines of 100-byte URLs written as 600-pixel BMPs (about 1 MB each)
#   2. 10,000 lines of 100-byte URLs written as unscaled PNGs
# Each case runs RUNS times (default 3) into a fresh, empty folder; the median wall time,
# process start to exit (which includes the final sync of the files), gives the figure.
# Beside them, the encoder's own rate on a 100-byte URL at level M (bench/ProfileEncode.cpp,
# one thread, no files): what the files and the process cost is the difference.
#
# Usage: bench/batch_throughput.sh
#   CLI=path/to/qrdesk-cli   use this executable (default: a Release build in build/batch-bench)
#   OUT_ROOT=/dev/shm        where the output folders go (default: $TMPDIR or /tmp); on a
#                            disk the file system's cost of creating files is measured too
#   JOBS=2 RUNS=3            worker threads, repetitions
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${JOBS:-2}
runs=${RUNS:-3}
build=${BUILD_DIR:-build/batch-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 2 --target qrdesk-cli qrdesk_profile >/dev/null
CLI=${CLI:-$build/cli/qrdesk-cli}
work=$(mktemp -d "${OUT_ROOT:-${TMPDIR:-/tmp}}/qrdesk-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Unique URLs of exactly 100 bytes.
make_urls() {
    local count=$1 i
    for ((i = 1; i <= count; ++i)); do
        printf 'https://shop.example.org/catalogue/items/2024/summer-collection/product?id=%08d&ref=qrdesk-b%04d\n' \
            "$i" $((i % 10000))
    done
}
make_urls 1000 >"$work/urls-1k.txt"
make_urls 10000 >"$work/urls-10k.txt"
[ "$(head -1 "$work/urls-1k.txt" | tr -d '\n' | wc -c)" -eq 100 ] || { echo "URL length is not 100" >&2; exit 1; }

now() { date +%s.%N; }

# bench NAME LINES INPUT ARGS...: prints the median symbols per second of RUNS runs.
bench() {
    local name=$1 lines=$2 input=$3 r start end
    shift 3
    local rates=()
    for ((r = 1; r <= runs; ++r)); do
        rm -rf "$work/out"
        start=$(now)
        "$CLI" --batch "$input" --out-dir "$work/out" --jobs "$jobs" "$@" 2>"$work/summary.txt"
        end=$(now)
        [ "$(find "$work/out" -type f | wc -l)" -eq "$lines" ] || { cat "$work/summary.txt" >&2; exit 1; }
        rates+=("$(awk -v n="$lines" -v a="$start" -v b="$end" 'BEGIN {print n / (b - a)}')")
    done
    local median
    median=$(printf '%s\n' "${rates[@]}" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
    printf '%-44s %8.0f symbols/s  (runs: %s)\n' "$name" "$median" \
        "$(printf '%.0f ' "${rates[@]}")"
}

echo "qrdesk-cli batch throughput, $jobs jobs, $(nproc) cores, output in $(df --output=fstype "$work" | tail -1)"
bench "1,000 x 100-byte URL, 600-pixel BMP" 1000 "$work/urls-1k.txt"
bench "10,000 x 100-byte URL, unscaled PNG" 10000 "$work/urls-10k.txt" --unscaled --name 'qr-{line}.png'

# The encoder alone: 200,000 symbols in one process, one thread, RUNS times.
rates=()
for ((r = 1; r <= runs; ++r)); do
    start=$(now)
    "$build/bench/qrdesk_profile" 1 200000 >/dev/null
    end=$(now)
    rates+=("$(awk -v a="$start" -v b="$end" 'BEGIN {print 200000 / (b - a)}')")
done
median=$(printf '%s\n' "${rates[@]}" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
printf '%-44s %8.0f symbols/s  (runs: %s)\n' "Encode alone, 100-byte URL, 1 thread" "$median" \
    "$(printf '%.0f ' "${rates[@]}")"
