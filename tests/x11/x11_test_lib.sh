# Shared by the renderer's X11 tests; sourced, not run. Each test has an Xvfb
# of its own on a display number the server picks, so tests run in parallel.
#   $1 the vorlune program, $2 the x11_test_client program

set -uo pipefail

VORLUNE=$1
CLIENT=$2
WORK=$(mktemp -d)
PIDS=()
SOURCE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# In a sanitizer build: Mesa's GL driver leaks a little from inside itself and
# is unloaded by XCloseDisplay, so LeakSanitizer can neither name nor suppress
# those leaks. Leak reports do not fail the program; check_leaks fails the test
# for a leak of our own.
export LSAN_OPTIONS="exitcode=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    [ -n "${XVFB_PID:-}" ] && kill -KILL "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for log in "$WORK"/*.log; do
        [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; cat "$log" >&2; }
    done
    exit 1
}

# Starts Xvfb with one screen of the given size (WIDTHxHEIGHT) and a black root.
start_xvfb() {
    local size=$1
    exec 9>"$WORK/display"
    Xvfb -displayfd 9 -screen 0 "${size}x24" -br -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    exec 9>&-
    local i
    for i in $(seq 100); do
        [ -s "$WORK/display" ] && break
        sleep 0.05
    done
    [ -s "$WORK/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n 1 "$WORK/display")"
    unset XSCREENSAVER_WINDOW
}

# Starts vorlune in the background with the given arguments; VORLUNE_PID.
start_vorlune() {
    "$VORLUNE" "$@" >"$WORK/vorlune.log" 2>&1 &
    VORLUNE_PID=$!
    PIDS+=("$VORLUNE_PID")
}

# Waits for the renderer's own window to be mapped; WINDOW_ID.
wait_for_window() {
    for _ in $(seq 200); do
        WINDOW_ID=$(xdotool search --onlyvisible --name '^VorluneVC$' 2>/dev/null | head -n 1)
        [ -n "$WINDOW_ID" ] && return 0
        kill -0 "$VORLUNE_PID" 2>/dev/null || fail "vorlune ended before its window showed"
        sleep 0.05
    done
    fail "no VorluneVC window"
}

# Mean and standard deviation (0..1) of a region of the screen:
#   region_stats X Y WIDTH HEIGHT
region_stats() {
    xwd -root -silent >"$WORK/screen.xwd" || fail "xwd failed"
    /usr/bin/convert "xwd:$WORK/screen.xwd" -crop "$3x$4+$1+$2" +repage -colorspace gray \
        -format '%[fx:mean] %[fx:standard_deviation]' info:
}

# True when the region shows a picture: not black and not one flat colour.
region_drawn() {
    local mean deviation
    read -r mean deviation < <(region_stats "$@")
    awk -v m="$mean" -v s="$deviation" 'BEGIN { exit !(m > 0.02 && s > 0.02) }'
}

# Waits (up to about 10 s) until the region shows a picture.
wait_for_drawing() {
    for _ in $(seq 40); do
        region_drawn "$@" && return 0
        kill -0 "$VORLUNE_PID" 2>/dev/null || fail "vorlune ended while waiting for a picture"
        sleep 0.25
    done
    fail "nothing drawn in region $* (mean and deviation: $(region_stats "$@"))"
}

# Waits for vorlune to end within the given seconds (times TIME_SCALE, which a
# sanitizer build sets: its frames take ten times as long and its exit checks
# the whole heap); EXIT_CODE.
wait_for_exit() {
    local limit=$(($1 * ${TIME_SCALE:-1})) ticks=0
    while kill -0 "$VORLUNE_PID" 2>/dev/null; do
        [ "$ticks" -ge $((limit * 20)) ] && fail "vorlune still running after ${limit}s"
        sleep 0.05
        ticks=$((ticks + 1))
    done
    wait "$VORLUNE_PID"
    EXIT_CODE=$?
    check_leaks
}

# Fails on a leak whose stack reaches our sources and no X or GL library.
check_leaks() {
    grep -q 'LeakSanitizer' "$WORK/vorlune.log" || return 0
    awk -v root="$SOURCE_ROOT/" '
        function close_block() { if (in_block && ours && !system_library) found = 1 }
        /(Direct|Indirect) leak of/ { close_block(); in_block = 1; ours = 0; system_library = 0; next }
        /^ *#[0-9]+ / {
            if (index($0, root) > 0) ours = 1
            if ($0 ~ /unknown module|libGL|libX11|libxcb|_dri\.so|libLLVM|libgallium/) system_library = 1
            next
        }
        { close_block(); in_block = 0 }
        END { close_block(); exit !found }' "$WORK/vorlune.log" &&
        fail "vorlune leaked memory of its own"
    return 0
}

# Geometry of a window as "X Y WIDTH HEIGHT" (absolute position).
window_geometry() {
    xwininfo -id "$1" | awk '
        /Absolute upper-left X/ { x = $NF }
        /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $NF }
        /Height:/ { h = $NF }
        END { print x, y, w, h }'
}
