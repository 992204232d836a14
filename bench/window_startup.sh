#!/usr/bin/env bash
# The window's start-up: from launch until its window is visible, on a virtual screen with a
# window manager (Xvfb, openbox, xdotool), RUNS times; prints each time in milliseconds, sorted.
# Usage: bench/window_startup.sh [path/to/qrdesk] [RUNS, default 10]
set -euo pipefail
qrdesk=${1:-build/normal/ui/app/qrdesk}
runs=${2:-10}
export DISPLAY=:77
Xvfb "$DISPLAY" -screen 0 1280x800x24 >/dev/null 2>&1 & xvfb=$!
sleep 1
openbox >/dev/null 2>&1 & wm=$!
trap 'kill $wm $xvfb 2>/dev/null' EXIT
sleep 1
for ((i = 0; i < runs; ++i)); do
    start=$(date +%s%N)
    "$qrdesk" >/dev/null 2>&1 & pid=$!
    # Qt's hidden 1x1 leader window is not what the user sees: only a visible one counts.
    until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || { echo "qrdesk ended before showing its window" >&2; exit 1; }
        sleep 0.005
    done
    echo $((($(date +%s%N) - start) / 1000000))
    kill "$pid"
    wait "$pid" 2>/dev/null || true
done | sort -n | tr '\n' ' '
echo
