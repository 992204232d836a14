#!/usr/bin/env bash
# Installs what is missing, builds, and opens the window. Arguments go to the program
# (qrdesk --help lists them: --web-host, --code-page, --plain-web-panel).
# Usage: scripts/run.sh [OPTION ...]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh >&2

build=${BUILD_DIR:-build/run}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQRDESK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target qrdesk >/dev/null

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<MSG
No display is available here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window
cannot open. The program is built: $build/ui/app/qrdesk
  - the window's tests run without a display:   scripts/test.sh
  - a virtual display shows the window:         xvfb-run -a scripts/run.sh   (package xvfb)
  - the command line makes the same files:      qrdesk-cli --help   (README, "Command line")
MSG
    exit 1
fi
exec "$build/ui/app/qrdesk" "$@"
