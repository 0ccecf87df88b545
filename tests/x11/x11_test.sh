#!/usr/bin/env bash
# The native renderer under Xvfb, one scenario a run:
#   x11_test.sh VORLUNE X11_TEST_CLIENT SCENARIO
# Each run has an X server of its own on a display number the server picks, so
# scenarios run in parallel. Exit code 0 passed, 1 failed, 77 skipped.
set -uo pipefail

VORLUNE=$1
CLIENT=$2
SCENARIO=$3
SWAP_COUNTER=
# shellcheck source=tests/vorlune_run.sh
source "$(dirname "${BASH_SOURCE[0]}")/../vorlune_run.sh"

# Starts Xvfb with one screen of the given size (WIDTHxHEIGHT) and a black root.
start_xvfb() {
    exec 9>"$WORK/display"
    Xvfb -displayfd 9 -screen 0 "$1x24" -br -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    PIDS+=("$XVFB_PID")
    exec 9>&-
    wait_until test -s "$WORK/display" || fail "Xvfb did not start"
    DISPLAY=":$(head -n 1 "$WORK/display")"
    export DISPLAY
    unset XSCREENSAVER_WINDOW WAYLAND_DISPLAY
}

# Xorg's dummy driver with two monitors: 1024x768 (primary) at 0,0 and
# 800x600 at 1024,0. Skipped without root.
start_xorg_two_monitors() {
    local started
    started=$("$SOURCE_ROOT/tests/xorg_dummy.sh" "$WORK")
    case $? in
        0) ;;
        77) echo "skipped"; exit 77 ;;
        *) fail "Xorg did not start" ;;
    esac
    XORG_PID=${started#* } DISPLAY=${started% *}
    export DISPLAY
    unset XSCREENSAVER_WINDOW WAYLAND_DISPLAY
}

# region_stats X Y WIDTH HEIGHT: the region's grey mean and deviation (0..1) into
# STATS, and the mean alone into MEAN.
region_stats() {
    STATS=$(xwd -root -silent | /usr/bin/convert xwd:- -crop "$3x$4+$1+$2" +repage -colorspace gray \
        -format '%[fx:mean] %[fx:standard_deviation]' info:) || fail "xwd | convert failed"
    MEAN=${STATS% *}
}

# Waits for the renderer's own window to be mapped; WINDOW_ID.
wait_for_window() {
    WINDOW_ID=$(timeout 10 xdotool search --sync --onlyvisible --name '^VorluneVC$' | head -n 1)
    [ -n "$WINDOW_ID" ] || fail "no VorluneVC window"
}

# region_drawn X Y WIDTH HEIGHT: true when that part of the screen shows a
# picture, neither black nor one flat colour (grey mean and deviation, 0..1).
region_drawn() {
    region_stats "$@" && is_scene
}

# Waits (up to about 10 s) until the region shows a picture.
wait_for_drawing() {
    for _ in $(seq 40); do
        region_drawn "$@" && return 0
        kill -0 "$VORLUNE_PID" 2>/dev/null || fail "vorlune ended while waiting for a picture"
        sleep 0.25
    done
    fail "nothing drawn in region $* (mean and deviation: $STATS)"
}

# Geometry of a window as "X Y WIDTH HEIGHT" (absolute position).
window_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
                             /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }'
}

# True once a window manager has put the renderer's window in a borderless frame
# at the screen's size, in the full-screen state as the manager itself wrote it
# (FOCUSED is its own word).
# shellcheck disable=SC2317  # called through wait_until
wm_settled() {
    root=$(xwininfo -root | awk '/Window id/ { print $4 }')
    frame=$(xwininfo -children -id "$WINDOW_ID" | awk '/Parent window id/ { print $4 }')
    border=$(xwininfo -id "$frame" | awk '/Border width/ { print $NF }')
    state=$(xprop -id "$WINDOW_ID" _NET_WM_STATE)
    [ "$frame" != "$root" ] && [ "$border" = 0 ] && grep -q _NET_WM_STATE_FOCUSED <<<"$state" &&
        grep -q _NET_WM_STATE_FULLSCREEN <<<"$state" &&
        [ "$(window_geometry "$WINDOW_ID")" = "0 0 800 600" ]
}

# expect_refusal CODE PATTERN [ENV=VALUE ...] -- ARGS...: a message on stderr.
expect_refusal() {
    local code=$1 pattern=$2 environment=()
    shift 2
    while [ "$1" != -- ]; do environment+=("$1") && shift; done
    shift
    env "${environment[@]}" "$VORLUNE" "$@" >/dev/null 2>"$WORK/err.txt"
    local rc=$?
    [ "$rc" -eq "$code" ] || fail "vorlune $* gave exit code $rc, not $code: $(cat "$WORK/err.txt")"
    grep -q -- "$pattern" "$WORK/err.txt" ||
        fail "vorlune $*: stderr lacks '$pattern': $(cat "$WORK/err.txt")"
}

case $SCENARIO in
    window) # a normal 1024x768 window, centred, that keeps the cursor; Escape held ends it,
        # at once though a minute's pause follows each frame
        start_xvfb 1280x1024
        start_vorlune --window -fps -delay 60000000
        wait_for_window
        [ "$(window_geometry "$WINDOW_ID")" = "128 128 1024 768" ] ||
            fail "window at $(window_geometry "$WINDOW_ID"), not 1024x768 in the middle"
        wait_for_drawing 128 128 1024 768
        region_drawn 0 0 120 1024 && fail "drawn outside the window"
        xprop -id "$WINDOW_ID" _NET_WM_STATE | grep -q FULLSCREEN &&
            fail "a normal window asked for full screen"
        xdotool mousemove 640 512
        "$CLIENT" cursor-hidden >/dev/null && fail "the cursor is hidden in a normal window"
        xdotool keydown a && sleep 0.3 && xdotool keyup a
        kill -0 "$VORLUNE_PID" 2>/dev/null || fail "ended by the A key"
        xdotool keydown Escape
        expect_exit 2 0
        xdotool keyup Escape
        grep -q 'fps at 1024x768' "$WORK/vorlune.log" || fail "no frame rate printed"
        ;;
    fullscreen) # no window manager: the full-screen state asked for, edge to edge, no cursor;
        # frames paced by -delay, though keys and the pointer come during the pause
        start_xvfb 800x600
        start_vorlune -delay 500000 -fps
        wait_for_window
        xprop -id "$WINDOW_ID" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN ||
            fail "no full-screen state"
        [ "$(window_geometry "$WINDOW_ID")" = "0 0 800 600" ] ||
            fail "not the screen: $(window_geometry "$WINDOW_ID")"
        wait_for_drawing 0 0 800 600
        wait_for_drawing 400 0 400 300 # the viewport follows the screen
        xdotool mousemove 400 300
        "$CLIENT" cursor-hidden >/dev/null || fail "the cursor shows over the full-screen window"
        for i in $(seq 20); do
            xdotool key a mousemove $((300 + i)) 300
            sleep 0.1
        done
        kill -INT "$VORLUNE_PID"
        expect_exit 1 0
        expect_paced 0.5 1
        ;;
    fullscreen_under_wm) # managed, full screen; closed as the manager's button does
        command -v evilwm >/dev/null || { echo "evilwm is not installed: skipped"; exit 77; }
        start_xvfb 800x600
        evilwm -fn fixed >"$WORK/wm.log" 2>&1 & # -fn: Xvfb has only its built-in fonts
        PIDS+=($!)
        wait_until eval "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'" ||
            fail "the window manager did not start"
        start_vorlune
        wait_for_window
        wait_until wm_settled ||
            fail "not full screen: frame $frame (root $root), border $border, $state"
        wait_for_drawing 0 0 800 600
        wait_for_drawing 400 0 400 300
        "$CLIENT" close "$WINDOW_ID" || fail "could not send WM_DELETE_WINDOW"
        expect_exit 2 0
        ;;
    two_monitors) # the scene on the primary monitor; the other, and another program's white
        # window on it, black and without a cursor until the end
        start_xorg_two_monitors
        "$CLIENT" window 1100 50 600 500 >"$WORK/client.out" 2>"$WORK/client.log" &
        PIDS+=($!)
        wait_until test -s "$WORK/client.out" || fail "the test window did not show"
        start_vorlune
        wait_for_window
        [ "$(window_geometry "$WINDOW_ID")" = "0 0 1024 768" ] ||
            fail "not the primary monitor: $(window_geometry "$WINDOW_ID")"
        wait_for_drawing 0 0 1024 768
        region_stats 1024 0 800 600
        echo "second monitor, mean grey while running: $MEAN"
        [ "$MEAN" = 0 ] || fail "the second monitor is not black (mean $MEAN)"
        xdotool mousemove 1400 300
        "$CLIENT" cursor-hidden >/dev/null || fail "the cursor shows over the second monitor"
        xdotool keydown Escape
        expect_exit 2 0
        xdotool keyup Escape
        grep -q '800x600+1024+0' <<<"$(xwininfo -root -tree)" && fail "a cover outlived the renderer"
        region_stats 1100 50 600 500
        echo "the white window after the run: $MEAN"
        [ "$MEAN" = 1 ] || fail "the white window does not show again (mean $MEAN)"
        ;;
    window_id | xscreensaver_window) # into another program's window, as a screen-saver hack
        start_xvfb 800x600
        "$CLIENT" window 100 80 320 240 >"$WORK/client.out" 2>"$WORK/client.log" &
        CLIENT_PID=$!
        PIDS+=("$CLIENT_PID")
        wait_until test -s "$WORK/client.out" || fail "the test window did not show"
        host=$(head -n 1 "$WORK/client.out")
        # A minute's pause after each frame: the resize, the window's end and SIGTERM cut it short.
        if [ "$SCENARIO" = window_id ]; then
            start_vorlune -window-id "$host" -delay 60000000
        else
            XSCREENSAVER_WINDOW=$((host)) start_vorlune -root -delay 60000000 # as a daemon starts it
        fi
        wait_for_drawing 100 80 320 240
        region_drawn 0 0 800 70 && fail "drawn outside the given window"
        grep -q VorluneVC <<<"$(xwininfo -root -tree)" && fail "made a window of its own"
        xdotool windowsize "$host" 640 480 # the viewport follows: the new quarter fills in
        wait_for_drawing 420 80 320 240
        if [ "$SCENARIO" = window_id ]; then # the window goes with its owner: a quiet end
            kill -KILL "$CLIENT_PID"
            expect_exit 2 0
            grep -q 'X error' "$WORK/vorlune.log" && fail "X errors reported for a window gone"
        else
            kill -TERM "$VORLUNE_PID"
            expect_exit 1 0
        fi
        ;;
    root) # on the root window; a lost X connection ends it with code 1 and a message
        start_xvfb 800x600
        start_vorlune -root
        wait_for_drawing 0 0 800 600
        kill -KILL "$XVFB_PID"
        expect_exit 2 1
        grep -q 'lost the connection' "$WORK/vorlune.log" || fail "no message for the lost display"
        ;;
    bad_arguments) # a message naming the problem; code 2 for arguments, 1 for the X server
        start_xvfb 640x480
        expect_refusal 2 "unknown argument '--fullscreen'" -- --fullscreen
        expect_refusal 2 'usage:' -- --fullscreen
        expect_refusal 2 "bad window id 'banana'" -- -window-id banana
        expect_refusal 2 'needs a window id' -- -window-id
        expect_refusal 2 "-delay: bad number of microseconds '-5'" -- -delay -5
        expect_refusal 2 "XSCREENSAVER_WINDOW: bad window id '12x'" XSCREENSAVER_WINDOW=12x -- -root
        expect_refusal 2 'window 0x7ffff0 does not exist (XGetWindowAttributes: BadWindow' -- \
            -window-id 0x7ffff0
        expect_refusal 2 'window 0x7fffef does not exist' XSCREENSAVER_WINDOW=8388591 --
        expect_refusal 1 'XOpenDisplay failed: cannot open display ":4093"' DISPLAY=:4093 -- --window
        expect_refusal 1 'XOpenDisplay failed: DISPLAY is not set' -u DISPLAY -- --window
        expect_refusal 2 '-background needs a Wayland compositor' -- -background
        "$VORLUNE" --help >"$WORK/out.txt" 2>&1 || fail "--help failed"
        grep -q -- '-window-id ID' "$WORK/out.txt" || fail "--help prints no usage"
        ;;
    hack_settings) # the settings file: XScreenSaver's frame-rate widgets, and command lines vorlune takes
        xml=$SOURCE_ROOT/data/xscreensaver/vorlune.xml
        python3 - "$xml" >"$WORK/lines.txt" 2>"$WORK/err.txt" <<'PY' || fail "$xml: $(cat "$WORK/err.txt")"
import sys
import xml.etree.ElementTree as tree
root = tree.parse(sys.argv[1]).getroot()
assert (root.tag, root.get("name")) == ("screensaver", "vorlune") and root.get("_label"), root.attrib
assert root.findtext("_description", "").strip(), "no description"
delay = root.find("number[@id='delay']").attrib
assert [delay.get(k) for k in ("type", "arg", "_label", "convert", "low", "default")] == \
    ["slider", "-delay %", "Frame rate", "invert", "0", "30000"] and int(delay["high"]) > 30000, delay
assert root.find("boolean[@arg-set='-fps']").get("_label") == "Show frame rate", "no -fps check box"
command = " ".join(c.get("arg") for c in root.iter("command"))
# as the daemon starts it by default, and with the widgets moved
print(command, f"{command} -delay 0 -fps", f"{command} -delay {delay['high']}", sep="\n")
PY
        mapfile -t lines <"$WORK/lines.txt"
        for args in "${lines[@]}"; do
            # shellcheck disable=SC2086
            "$VORLUNE" $args --help >/dev/null 2>"$WORK/err.txt" ||
                fail "vorlune refuses '$args': $(cat "$WORK/err.txt")"
        done
        ;;
    *) fail "unknown scenario $SCENARIO" ;;
esac
echo "passed: $SCENARIO"
