#!/usr/bin/env bash
# Installs what is missing, then configures, builds with warnings as errors and runs every
# test three ways: a normal build, a short bounded fuzzing run of each fuzz target, and the
# whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer. Between the first
# two, the Debian package of the normal build is made and checked (scripts/package.sh; in CI
# also installed, run and purged).
# Usage: scripts/test.sh [--quick]   (--quick: the normal build and its tests only)
# Environment: BUILD_DIR (default build/ci), FUZZ_SECONDS per target (default 60; 0 skips).
set -euo pipefail
cd "$(dirname "$0")/.."
quick=false
case "${1:-}" in
    --quick) quick=true ;;
    "") ;;
    *) echo "usage: scripts/test.sh [--quick]" >&2; exit 2 ;;
esac

times=()
stage_start=$SECONDS
stage_end() {  # records how long the stage that just ended took
    times+=("$1: $((SECONDS - stage_start)) s")
    stage_start=$SECONDS
}
trap 'printf "== stage times\n"; printf "   %s\n" "${times[@]}"' EXIT

scripts/deps.sh
stage_end "dependencies"

build=${BUILD_DIR:-build/ci}
jobs=$(nproc)

echo "== normal build and tests"
cmake -S . -B "$build/normal" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQRDESK_WERROR=ON
cmake --build "$build/normal" -j "$jobs"
stage_end "normal build"
ctest --test-dir "$build/normal" --output-on-failure -j "$jobs"
stage_end "normal tests"

if $quick; then exit 0; fi

echo "== Debian package"
install=()
[ "${CI:-}" = true ] && install=(--install)
scripts/package.sh "${install[@]}" "$build/normal"
stage_end "package"

if [ "${FUZZ_SECONDS:-60}" -gt 0 ]; then
    echo "== fuzzing, ${FUZZ_SECONDS:-60} s per target"
    FUZZ_BUILD_DIR="$build/fuzz" scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
    stage_end "fuzz build and runs"
fi

echo "== sanitizer build and tests"
cmake -S . -B "$build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DQRDESK_WERROR=ON -DQRDESK_SANITIZE=ON
cmake --build "$build/sanitize" -j "$jobs"
stage_end "sanitizer build"
# Third-party leaks are suppressed per test through CTest's environment (tests/lsan.supp).
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
    ctest --test-dir "$build/sanitize" --output-on-failure -j "$jobs"
stage_end "sanitizer tests"
