#!/usr/bin/env bash
# Command lines and environments the renderer cannot run with: a message on
# stderr naming the problem, exit code 2 (arguments) or 1 (the X server).
source "$(dirname "$0")/x11_test_lib.sh"

# expect CODE PATTERN [ENV=VALUE ...] -- ARGS...
expect() {
    local code=$1 pattern=$2
    shift 2
    local environment=()
    while [ "$1" != -- ]; do
        environment+=("$1")
        shift
    done
    shift
    env "${environment[@]}" "$VORLUNE" "$@" >"$WORK/out.txt" 2>"$WORK/err.txt"
    local rc=$?
    [ "$rc" -eq "$code" ] || fail "vorlune $* gave exit code $rc, not $code: $(cat "$WORK/err.txt")"
    grep -q -- "$pattern" "$WORK/err.txt" ||
        fail "vorlune $*: stderr lacks '$pattern': $(cat "$WORK/err.txt")"
}

start_xvfb 640x480
expect 2 "unknown argument '--fullscreen'" -- --fullscreen
expect 2 'usage:' -- --fullscreen
expect 2 "bad window id 'banana'" -- -window-id banana
expect 2 'needs a window id' -- -window-id
expect 2 "XSCREENSAVER_WINDOW: bad window id '12x'" XSCREENSAVER_WINDOW=12x -- -root
expect 2 'window 0x7ffff0 does not exist (XGetWindowAttributes: BadWindow' -- -window-id 0x7ffff0
expect 2 'window 0x7fffef does not exist' XSCREENSAVER_WINDOW=8388591 --
expect 1 'XOpenDisplay failed: cannot open display ":4093"' DISPLAY=:4093 -- --window
expect 1 'XOpenDisplay failed: DISPLAY is not set' -u DISPLAY -- --window

"$VORLUNE" --help >"$WORK/out.txt" 2>&1 || fail "--help failed"
grep -q -- '-window-id ID' "$WORK/out.txt" || fail "--help prints no usage"
exit 0
