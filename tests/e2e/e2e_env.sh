# shellcheck shell=bash
# Shared by the end-to-end scenario scripts (sourced, not run). Brings up a
# private X display, Wine prefix and runtime directory, offers the checks the
# scenarios are made of, and tears everything down when the script exits,
# however it exits.
#
# A scenario script is called as
#   <scenario>.sh <work dir> <Vorlune.dll> <e2e driver .exe> <display probe .dll>
# and keeps its screenshots and logs in <work dir>. E2E_KEEP_PREFIX=1 keeps
# the Wine prefix there too, for a look after the run.

set -uo pipefail

if [ $# -ne 4 ]; then
    echo "usage: $0 <work dir> <Vorlune.dll> <driver.exe> <probe.dll>" >&2
    exit 2
fi
work=$1
# shellcheck disable=SC2034  # the scenarios use them
renderer=$2 probe=$4
driver=$3

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
convert=/usr/bin/convert
compare=/usr/bin/compare

failures=0
xvfb_pid=
watchdog_pid=

log() { printf '[%s] %s\n' "$(date +%T.%3N)" "$*"; }

teardown() {
    set +e
    # Nothing may cut the tear-down short, the watchdog's signal included.
    trap '' INT TERM HUP
    if [ -n "$watchdog_pid" ]; then
        pkill -P "$watchdog_pid" 2>/dev/null
        kill "$watchdog_pid" 2>/dev/null
    fi
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        "$wineserver" -k 2>/dev/null
        timeout 10 "$wineserver" -w 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    if [ "${E2E_KEEP_PREFIX:-0}" != 1 ]; then rm -rf "$work/prefix"; fi
    rm -rf "$work/xdg"
}

# setup <Xvfb screen, e.g. 1024x768x24> [more Xvfb arguments]
setup() {
    local screen=$1
    shift
    case $work in
        "" | / | "$HOME") echo "refusing to use '$work' as the work directory" >&2; exit 2 ;;
    esac
    for tool in "$wine" "$wineserver" "$convert" "$compare" Xvfb xdpyinfo import; do
        if ! command -v "$tool" >/dev/null; then
            echo "missing $tool (scripts/setup.sh test installs it)" >&2
            exit 2
        fi
    done

    trap teardown EXIT
    trap 'log "stopped by a signal or the deadline"; exit 130' INT TERM HUP
    rm -rf "$work"
    mkdir -p "$work/xdg"
    chmod 700 "$work/xdg"
    # Our own deadline, below CTest's: a script killed by CTest could not tear down.
    (
        sleep "${E2E_DEADLINE:-150}"
        kill -TERM $$
    ) >/dev/null 2>&1 &
    watchdog_pid=$!
    export XDG_RUNTIME_DIR=$work/xdg
    export WINEPREFIX=$work/prefix
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES=winemenubuilder.exe=d
    unset WINEARCH WINESERVER WINELOADER

    # Xvfb picks a free display number itself and tells us which.
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp "$@" \
        3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local _
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    if [ ! -s "$work/display" ]; then
        echo "Xvfb did not start:" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    DISPLAY=:$(head -n 1 "$work/display")
    export DISPLAY
    xdpyinfo >/dev/null || { echo "Xvfb on $DISPLAY does not answer" >&2; exit 1; }
    log "Xvfb $screen $* on $DISPLAY"

    "$wine" wineboot -i >"$work/wineboot.log" 2>&1
    # Without a window manager, Wine would otherwise wait about 2 s on every
    # window destruction for one to answer.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        >>"$work/wineboot.log" 2>&1
    "$wineserver" -w
    "$wineserver" -p 300 >/dev/null 2>&1
    # The first process of a fresh server session runs wineboot and starts the
    # desktop; let that happen now rather than inside a timed step.
    drive warm-up >/dev/null
    log "Wine prefix ready"
}

# drive <command> [arguments]: runs the test driver; its report goes to the
# terminal and to $driven (for reading values out of it), Wine's own messages
# to $wine_log. The report goes through a file, not a pipe: a renderer the
# driver starts inherits the driver's output and would hold a pipe open.
driven=
wine_log=
drive() {
    timeout 60 "$wine" "$driver" "$@" >"$work/driver.out" 2>>"${wine_log:-$work/wine.log}"
    local rc=$?
    driven=$(tr -d '\r' <"$work/driver.out")
    printf '%s\n' "$driven" | sed 's/^/    /'
    [ $rc -eq 124 ] && echo "    the driver did not finish within 60 s"
    return $rc
}

# value <key>: a "key=value" line of the driver's last report.
value() { printf '%s\n' "$driven" | sed -n "s/^$1=//p" | head -n 1; }

# run_case <name> <function> [arguments]
run_case() {
    local name=$1
    shift
    log "case $name"
    if "$@"; then
        log "PASS $name"
    else
        log "FAIL $name"
        failures=$((failures + 1))
    fi
}

finish() {
    if [ "$failures" -ne 0 ]; then
        log "$failures case(s) failed; screenshots and logs in $work"
        exit 1
    fi
    log "all cases passed"
    exit 0
}

# screenshot <name>: the whole root window into $work/<name>.png.
screenshot() { import -window root "$work/$1.png"; }

# looks_like_scene <name>: the screenshot is neither black nor uniform: the
# background texture and the shells give a bright, varied picture.
looks_like_scene() {
    local stats
    stats=$("$convert" "$work/$1.png" -format '%[fx:mean] %[fx:standard_deviation] %k' info:)
    log "$1.png: mean, standard deviation, colours: $stats"
    awk -v s="$stats" 'BEGIN {
        split(s, v, " ")
        if (v[1] < 0.05) { print "    too dark: mean " v[1]; exit 1 }
        if (v[2] < 0.04) { print "    too uniform: standard deviation " v[2]; exit 1 }
        if (v[3] < 2000) { print "    too few colours: " v[3]; exit 1 }
    }'
}

# differs <a> <b>: at least 5 % of the pixels changed between two screenshots
# (the scene is animated, so a renderer that still draws changes the picture).
differs() {
    local changed total
    changed=$("$compare" -metric AE -fuzz 2% "$work/$1.png" "$work/$2.png" null: 2>&1)
    total=$("$convert" "$work/$1.png" -format '%[fx:w*h]' info:)
    log "$1.png -> $2.png: $changed of $total pixels changed"
    awk -v n="$changed" -v t="$total" 'BEGIN { exit !(n + 0 >= t * 0.05) }'
}
