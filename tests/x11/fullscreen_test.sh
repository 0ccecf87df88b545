#!/usr/bin/env bash
# With no arguments: a window the size of the screen in the window manager's
# full-screen state, drawn edge to edge, with the cursor hidden. (No window
# manager runs here; fullscreen_wm_test.sh has one.)
source "$(dirname "$0")/x11_test_lib.sh"

start_xvfb 800x600
start_vorlune
wait_for_window
xprop -id "$WINDOW_ID" _NET_WM_STATE | grep -q '_NET_WM_STATE_FULLSCREEN' ||
    fail "no full-screen state: $(xprop -id "$WINDOW_ID" _NET_WM_STATE)"
read -r x y w h < <(window_geometry "$WINDOW_ID")
[ "$x $y $w $h" = "0 0 800 600" ] || fail "window at $x,$y size ${w}x$h, not the screen"
# The viewport follows the screen: the corner quarter away from the origin is drawn too.
wait_for_drawing 0 0 800 600
wait_for_drawing 400 0 400 300

xdotool mousemove 400 300
"$CLIENT" cursor-hidden >/dev/null || fail "the cursor is visible over the full-screen window"

kill -INT "$VORLUNE_PID"
wait_for_exit 1
[ "$EXIT_CODE" -eq 0 ] || fail "exit code $EXIT_CODE after SIGINT"
exit 0
