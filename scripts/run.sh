#!/usr/bin/env bash
# Installs what is missing, builds, and prints the symbol of the given text in the terminal.
# Usage: scripts/run.sh [TEXT]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh >&2

build=${BUILD_DIR:-build/run}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQRDESK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target qrdesk-demo >/dev/null
exec "$build/demo/qrdesk-demo" "${1:-https://example.org/qrdesk}"
