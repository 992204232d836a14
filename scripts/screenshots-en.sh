#!/usr/bin/env bash
# Takes the screenshots of the English window (LANG=en_US.UTF-8, 1280 x 800) and of the window
# on a 1024 x 600 screen (Chinese, maximised, scrolled down to the status line and right to the
# side column's edge), each on a virtual display with a window manager (openbox), the whole
# screen as a user sees it.
# Usage: scripts/screenshots-en.sh [BUILD_DIR] (default build/ci/normal); writes
# docs/screenshot-window-en.png and docs/screenshot-window-1024x600.png.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${QRDESK_SHOTS_INNER:-}" ]; then
    scripts/deps.sh xvfb openbox x11-utils imagemagick xdotool
    build=${1:-build/ci/normal}
    [ -x "$build/ui/app/qrdesk" ] || cmake --build "$build" -j2 --target qrdesk
    export QRDESK_SHOTS_INNER=1
    xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build" en_US.UTF-8 screenshot-window-en.png
    xvfb-run -a -s "-screen 0 1024x600x24" "$0" "$build" zh_CN.UTF-8 screenshot-window-1024x600.png
    exit
fi

build=$1 lang=$2 file=$3
log=${TMPDIR:-/tmp}/qrdesk-screenshots-en.log
openbox >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null || true' EXIT
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do sleep 0.1; done
env LANG="$lang" LC_ALL= LC_MESSAGES= LANGUAGE= "$build/ui/app/qrdesk" >"$log" 2>&1 &
app=$!
trap 'kill $app $wm 2>/dev/null || true' EXIT
win=
for _ in $(seq 100); do
    win=$(xdotool search --onlyvisible --name '^qrdesk$' 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    sleep 0.1
done
[ -n "$win" ] || { echo "the window did not open:" >&2; cat "$log" >&2; exit 1; }
sleep 1.5
eval "$(xdotool getwindowgeometry --shell "$win")"  # X, Y of the window's inside
xdotool windowactivate --sync "$win" 2>/dev/null || true
xdotool mousemove $((X + 700)) $((Y + 200)) click 1
sleep 0.3
xdotool type --delay 20 "https://example.org/qrdesk"
xdotool key ctrl+Return
sleep 1
# The wheel over the symbol scrolls a window smaller than its layout down to the status line,
# and sideways to the side column's right edge.
xdotool mousemove $((X + 300)) $((Y + 300)) click --repeat 10 --delay 50 5
xdotool click --repeat 10 --delay 50 7
sleep 0.5
import -window root "docs/$file"
echo "docs/$file"
