#!/usr/bin/env bash
# Full screen under a real window manager: the manager takes the window
# (reparents it), keeps it in the full-screen state and gives its frame no
# border, so the picture covers the whole screen.
source "$(dirname "$0")/x11_test_lib.sh"
command -v evilwm >/dev/null || { echo "evilwm is not installed: skipped"; exit 77; }

start_xvfb 800x600
# -fn: Xvfb has only its built-in fonts.
evilwm -fn fixed >"$WORK/wm.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || fail "the window manager did not start"

start_vorlune
wait_for_window
frame=""
for _ in $(seq 60); do
    frame=$(xwininfo -children -id "$WINDOW_ID" | awk '/Parent window id/ { print $4 }')
    state=$(xprop -id "$WINDOW_ID" _NET_WM_STATE)
    [ "$frame" != "$(xwininfo -root | awk '/Window id/ { print $4 }')" ] &&
        grep -q _NET_WM_STATE_FOCUSED <<<"$state" && break
    sleep 0.05
done
grep -q _NET_WM_STATE_FULLSCREEN <<<"$state" || fail "the window manager's state is: $state"
border=$(xwininfo -id "$frame" | awk '/Border width/ { print $NF }')
[ "$border" = 0 ] || fail "the window manager's frame has a border of $border"
read -r x y w h < <(window_geometry "$WINDOW_ID")
[ "$x $y $w $h" = "0 0 800 600" ] || fail "window at $x,$y size ${w}x$h, not the screen"
wait_for_drawing 0 0 800 600
wait_for_drawing 400 0 400 300

kill -TERM "$VORLUNE_PID"
wait_for_exit 1
[ "$EXIT_CODE" -eq 0 ] || fail "exit code $EXIT_CODE"
exit 0
