#!/usr/bin/env bash
# Installs what is missing, configures, builds with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

build=${BUILD_DIR:-build/ci}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQRDESK_WERROR=ON
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
