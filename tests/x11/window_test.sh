#!/usr/bin/env bash
# --window: a normal 1024x768 window centred on the screen that shows the
# scene, keeps the cursor, and is not asked to be full screen.
source "$(dirname "$0")/x11_test_lib.sh"

start_xvfb 1280x1024
start_vorlune --window -fps
wait_for_window
read -r x y w h < <(window_geometry "$WINDOW_ID")
[ "$x $y $w $h" = "128 128 1024 768" ] || fail "window at $x,$y size ${w}x$h"
wait_for_drawing 128 128 1024 768
region_drawn 0 0 120 1024 && fail "drawn outside the window"

xprop -id "$WINDOW_ID" _NET_WM_STATE | grep -q FULLSCREEN && fail "a normal window asked for full screen"
xdotool mousemove 640 512
"$CLIENT" cursor-hidden >/dev/null && fail "the cursor is hidden in a normal window"

kill -TERM "$VORLUNE_PID"
wait_for_exit 1
[ "$EXIT_CODE" -eq 0 ] || fail "exit code $EXIT_CODE"
grep -q 'fps at 1024x768' "$WORK/vorlune.log" || fail "no frame rate printed"
cat "$WORK/vorlune.log"
exit 0
