#!/bin/sh
# Runs a test program on a 1024 x 600 virtual X display with a window manager, as on a
# netbook: exit status 77 (skipped) where Xvfb or openbox is not installed.
for tool in xvfb-run openbox xprop; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed (packages xvfb, openbox, x11-utils)"
        exit 77
    fi
done
exec xvfb-run -a -s "-screen 0 1024x600x24" sh -c '
    openbox >/dev/null 2>&1 &
    wm=$!
    # The window manager is ready once it names itself on the root window.
    tries=0
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ]; then echo "openbox did not start" >&2; kill "$wm"; exit 1; fi
        sleep 0.1
    done
    QT_QPA_PLATFORM=xcb "$@"
    status=$?
    kill "$wm" 2>/dev/null
    wait "$wm" 2>/dev/null
    exit "$status"' on-small-screen "$@"
