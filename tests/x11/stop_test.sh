#!/usr/bin/env bash
# The ways a run ends cleanly with exit code 0: Escape held down, the window
# closed, SIGTERM; and a lost X connection ends it without a crash.
#   $3 = escape | close | sigterm | lost-display
source "$(dirname "$0")/x11_test_lib.sh"
how=$3

start_xvfb 1024x768
start_vorlune --window
wait_for_window
wait_for_drawing 0 0 1024 768

case $how in
    escape)
        # Other keys do not end it.
        xdotool keydown a
        sleep 0.3
        xdotool keyup a
        kill -0 "$VORLUNE_PID" 2>/dev/null || fail "ended by the A key"
        xdotool keydown Escape
        wait_for_exit 2
        xdotool keyup Escape
        ;;
    close)
        "$CLIENT" close "$WINDOW_ID" || fail "could not send WM_DELETE_WINDOW"
        wait_for_exit 2
        ;;
    sigterm)
        kill -TERM "$VORLUNE_PID"
        wait_for_exit 1
        ;;
    lost-display)
        kill -KILL "$XVFB_PID"
        wait_for_exit 2
        [ "$EXIT_CODE" -eq 1 ] || fail "exit code $EXIT_CODE after losing the display"
        grep -q 'lost the connection' "$WORK/vorlune.log" || fail "no message"
        exit 0
        ;;
    *) fail "unknown way $how" ;;
esac
[ "$EXIT_CODE" -eq 0 ] || fail "exit code $EXIT_CODE after $how"
xwininfo -root -tree | grep -q VorluneVC && fail "the window is still there"
exit 0
