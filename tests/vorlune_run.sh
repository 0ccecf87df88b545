# shellcheck shell=bash
# What the scripts that run vorlune on a display share (x11/x11_test.sh,
# wayland/wayland_test.sh): a work folder and the processes that end with the
# script, waits, the program's start and end, and whether a picture shows the
# scene. The script sets VORLUNE, and SWAP_COUNTER to count the frames shown;
# TIME_SCALE (a sanitizer build's) stretches every wait.

WORK=$(mktemp -d)
PIDS=()
SOURCE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# In a sanitizer build: Mesa's GL driver leaks a little from inside itself and
# is unloaded as the display closes, so LeakSanitizer can neither name nor
# suppress those leaks. Leak reports do not fail the program; expect_exit fails
# the test for a leak of our own. The preloaded frame counter comes before the
# sanitizer's runtime.
export LSAN_OPTIONS="exitcode=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export ASAN_OPTIONS="verify_asan_link_order=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    wait 2>/dev/null
    # Xorg, not our child, is asked to go: killed, it would leave its lock behind.
    if [ -n "${XORG_PID:-}" ]; then
        kill -TERM "$XORG_PID" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$XORG_PID" 2>/dev/null || break; sleep 0.1; done
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for log in "$WORK"/*.log; do
        # Xorg's own log says nothing about the renderer.
        [ "$log" != "$WORK/xorg.log" ] && [ -s "$log" ] &&
            { echo "--- $(basename "$log")" >&2; tail -n 60 "$log" >&2; }
    done
    exit 1
}

# Waits up to 5 s (times TIME_SCALE) for a command to succeed.
wait_until() {
    for _ in $(seq $((100 * ${TIME_SCALE:-1}))); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

start_vorlune() {
    local counted=()
    if [ -n "${SWAP_COUNTER:-}" ]; then
        head -c 8 /dev/zero >"$WORK/swaps"
        counted=(env LD_PRELOAD="$SWAP_COUNTER" SWAP_COUNTER_FILE="$WORK/swaps")
    fi
    "${counted[@]}" "$VORLUNE" "$@" >"$WORK/vorlune.log" 2>&1 &
    VORLUNE_PID=$!
    PIDS+=("$VORLUNE_PID")
}
frames_shown() { od -An -tu8 "$WORK/swaps" | tr -d ' '; }

# picture_stats PNG [GEOMETRY]: grey mean and deviation (0..1) of the picture
# or a region of it into STATS.
picture_stats() {
    STATS=$("${convert:-/usr/bin/convert}" "$1" ${2:+-crop "$2" +repage} -colorspace gray \
        -format '%[fx:mean] %[fx:standard_deviation]' info:) || fail "convert $1 failed"
}

# STATS holds a picture's grey mean and deviation (0..1): true when it shows
# the scene, neither black nor one flat colour.
is_scene() { awk '{ exit !($1 > 0.02 && $2 > 0.02) }' <<<"$STATS"; }

# expect_exit SECONDS CODE: vorlune ends within the time (times TIME_SCALE, which
# a sanitizer build sets: its frames take ten times as long and its exit checks
# the whole heap) with that exit code, and leaks nothing of its own.
expect_exit() {
    local ticks=$(($1 * ${TIME_SCALE:-1} * 20))
    while kill -0 "$VORLUNE_PID" 2>/dev/null; do
        [ "$ticks" -gt 0 ] || fail "vorlune still running after $1 s"
        sleep 0.05
        ticks=$((ticks - 1))
    done
    wait "$VORLUNE_PID"
    local code=$?
    [ "$code" -eq "$2" ] || fail "exit code $code, not $2"
    grep -q 'LeakSanitizer' "$WORK/vorlune.log" || return 0
    # a leak whose stack reaches our sources and no X or GL library
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

# expect_paced PAUSE SURFACES: after a run with -fps and -delay PAUSE (in
# seconds), its N frames in S seconds on that many surfaces had at least
# N / SURFACES - 2 whole pauses between them.
expect_paced() {
    local frames seconds
    read -r frames seconds < <(sed -nE 's/.*: ([0-9]+) frames in ([0-9.]+) s.*/\1 \2/p' \
        "$WORK/vorlune.log")
    awk -v n="${frames:-0}" -v s="${seconds:-0}" -v p="$1" -v k="$2" \
        'BEGIN { exit !(n > 0 && n <= k * (s / p + 2)) }' ||
        fail "'$frames' frames in '$seconds' s on $2 surface(s) with $1 s between frames"
}
