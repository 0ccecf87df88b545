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
root=$(xwininfo -root | awk '/Window id/ { print $4 }')

# Reparented into a frame with no border, at the screen's size, and in the
# full-screen state as the manager itself wrote it (FOCUSED is its own word).
wm_settled() {
    frame=$(xwininfo -children -id "$WINDOW_ID" | awk '/Parent window id/ { print $4 }')
    state=$(xprop -id "$WINDOW_ID" _NET_WM_STATE)
    border=$(xwininfo -id "$frame" | awk '/Border width/ { print $NF }')
    geometry=$(window_geometry "$WINDOW_ID")
    [ "$frame" != "$root" ] && [ "$border" = 0 ] && [ "$geometry" = "0 0 800 600" ] &&
        grep -q _NET_WM_STATE_FOCUSED <<<"$state" && grep -q _NET_WM_STATE_FULLSCREEN <<<"$state"
}
settled=no
for _ in $(seq 60); do
    wm_settled && { settled=yes; break; }
    sleep 0.05
done
[ "$settled" = yes ] ||
    fail "not full screen: frame $frame (root $root), border $border, geometry $geometry, $state"
wait_for_drawing 0 0 800 600
wait_for_drawing 400 0 400 300

kill -TERM "$VORLUNE_PID"
wait_for_exit 1
[ "$EXIT_CODE" -eq 0 ] || fail "exit code $EXIT_CODE"
exit 0
