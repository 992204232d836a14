#!/usr/bin/env bash
# Takes the README's screenshots of the window: one symbol at each size option, with the
# status line under it. Runs the built program on a virtual display and drives it with
# xdotool (installs xvfb, imagemagick and xdotool when missing).
# Usage: scripts/screenshots.sh [BUILD_DIR] (default build/ci/normal); writes docs/*.png.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${QRDESK_SHOTS_INNER:-}" ]; then
    scripts/deps.sh xvfb imagemagick xdotool
    build=${1:-build/ci/normal}
    [ -x "$build/ui/app/qrdesk" ] || cmake --build "$build" -j2 --target qrdesk
    QRDESK_SHOTS_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build"
fi

build=$1
mkdir -p docs
"$build/ui/app/qrdesk" >"${TMPDIR:-/tmp}/qrdesk-screenshots.log" 2>&1 &
app=$!
trap 'kill $app 2>/dev/null || true' EXIT
win=
for _ in $(seq 100); do
    win=$(xdotool search --name '^qrdesk$' 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    sleep 0.1
done
[ -n "$win" ] || { echo "the window did not open:" >&2; cat "${TMPDIR:-/tmp}/qrdesk-screenshots.log" >&2; exit 1; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"  # X, Y, WIDTH, HEIGHT

# Window coordinates: Frame1 at (612, 8), its children relative to it.
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.3; }
pick() {  # list at (x, y), item by typed keys (or End for the last)
    click "$1" "$2"
    xdotool key "$3" Return
    sleep 0.3
}
shot() {  # size option x, version key, encoding key, text, file
    click "$1" 78
    pick 668 34 "$2"
    pick 768 58 "$3"
    click 700 200
    xdotool key ctrl+a BackSpace
    xdotool type --delay 20 "$4"
    click 664 363
    sleep 0.5
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "docs/$5"
    echo "docs/$5"
}

shot 627 End End "https://example.org/qrdesk/status-line" status-small.png
shot 675 Home Home "你好，世界" status-medium.png
shot 723 Home End "https://example.org/qrdesk/status-line" status-large.png
