#!/usr/bin/env bash
# Drawing into a window another program owns, as a screen-saver hack does.
#   $3 = option: -window-id 0xID
#        env:    XSCREENSAVER_WINDOW=ID (decimal) with -root, as a daemon starts it
#        root:   -root
source "$(dirname "$0")/x11_test_lib.sh"
mode=$3

start_xvfb 800x600
if [ "$mode" = root ]; then
    start_vorlune -root
    wait_for_drawing 0 0 800 600
    kill -TERM "$VORLUNE_PID"
    wait_for_exit 1
    [ "$EXIT_CODE" -eq 0 ] || fail "exit code $EXIT_CODE"
    exit 0
fi

"$CLIENT" window 100 80 320 240 >"$WORK/client.out" 2>"$WORK/client.log" &
CLIENT_PID=$!
PIDS+=("$CLIENT_PID")
for _ in $(seq 100); do
    [ -s "$WORK/client.out" ] && break
    sleep 0.05
done
host=$(head -n 1 "$WORK/client.out")
[ -n "$host" ] || fail "the test window did not show"

case $mode in
    option) start_vorlune -window-id "$host" ;;
    env) XSCREENSAVER_WINDOW=$((host)) start_vorlune -root ;;
    *) fail "unknown mode $mode" ;;
esac

wait_for_drawing 100 80 320 240
region_drawn 0 0 800 70 && fail "drawn outside the given window"
xwininfo -root -tree | grep -q VorluneVC && fail "made a window of its own"

# The viewport follows the window's new size: its top-right quarter, outside
# the old 320x240 viewport, fills in.
xdotool windowsize "$host" 640 480
wait_for_drawing 420 80 320 240

# The window goes away with its owner; the renderer ends quietly.
kill -KILL "$CLIENT_PID"
wait_for_exit 2
[ "$EXIT_CODE" -eq 0 ] || fail "exit code $EXIT_CODE after the window was destroyed"
grep -q 'X error' "$WORK/vorlune.log" && fail "X errors reported for a window that is gone"
exit 0
