#!/usr/bin/env bash
# A hack under the real XScreenSaver daemon, as a Debian user runs it: the
# daemon, as the unprivileged user nobody on an Xvfb of its own, starts it on
# `xscreensaver-command -activate` and ends it on `-deactivate`.
#   xscreensaver_test.sh SWAP_COUNTER OUT_DIR vorlune_VERSION_amd64.deb
#       the hack from the package (extracted, nothing installed)
#   xscreensaver_test.sh SWAP_COUNTER OUT_DIR HACK_DIR HACK
#       any other hack the same way, e.g. /usr/libexec/xscreensaver lavalite
# SWAP_COUNTER is the preload library that counts the frames shown. Checks that
# the hack draws the scene (a screenshot, kept in OUT_DIR), paces itself by its
# default frame delay (30000 us) and ends within 2 s of -deactivate; prints its
# CPU share and frame rate over MEASURE_SECONDS (5), at its default settings
# or with the HACK_ARGS given (the frame-rate check then does not apply).
set -uo pipefail

COUNTER_LIBRARY=$1
OUT=$2
SOURCE=$3
HACK=${4:-vorlune}
MEASURE_SECONDS=${MEASURE_SECONDS:-5}
WORK=$(mktemp -d)
chmod 755 "$WORK" # the daemon's user reads its home, the hack and the counter here
PIDS=()
mkdir -p "$OUT"

cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -s "$WORK/daemon.log" ] && { echo "--- daemon.log" >&2; tail -n 30 "$WORK/daemon.log" >&2; }
    exit 1
}

# Waits up to 10 s for a command to succeed.
wait_until() {
    for _ in $(seq 200); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

if [[ $SOURCE == *.deb ]]; then
    dpkg-deb -x "$SOURCE" "$WORK/root" || fail "dpkg-deb -x $SOURCE failed"
    HACK_DIR=$WORK/root/usr/libexec/xscreensaver
else
    HACK_DIR=$SOURCE
fi
[ -x "$HACK_DIR/$HACK" ] || fail "no hack $HACK_DIR/$HACK"
command -v xscreensaver >/dev/null || fail "xscreensaver is not installed"
cp "$COUNTER_LIBRARY" "$WORK/swap_counter.so"
head -c 8 /dev/zero >"$WORK/swaps"
chmod 666 "$WORK/swaps"

# The X server lets any local user in (-ac): the daemon runs as nobody.
exec 9>"$WORK/display"
Xvfb -displayfd 9 -screen 0 1024x768x24 -ac -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
PIDS+=("$XVFB_PID")
exec 9>&-
wait_until test -s "$WORK/display" || fail "Xvfb did not start"
DISPLAY=":$(head -n 1 "$WORK/display")"
export DISPLAY

mkdir "$WORK/home"
cat >"$WORK/home/.xscreensaver" <<EOF
timeout: 1:00:00
lock: False
fade: False
unfade: False
dpmsEnabled: False
splash: False
mode: one
selected: 0
programs: GL: $HACK -root ${HACK_ARGS:-} \n\

EOF
chmod -R a+rX "$WORK"

as_nobody() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$WORK/home" \
        PATH="$HACK_DIR:/usr/bin:/bin" DISPLAY="$DISPLAY" "$@"
}

LD_PRELOAD=$WORK/swap_counter.so SWAP_COUNTER_FILE=$WORK/swaps \
    as_nobody xscreensaver -no-splash >"$WORK/daemon.log" 2>&1 &
DAEMON_PID=$!
PIDS+=("$DAEMON_PID")
wait_until eval 'as_nobody xscreensaver-command -time >/dev/null 2>&1' ||
    fail "the daemon did not answer"

# The pid of the hack the daemon started (a descendant of it), or nothing.
hack_pid() {
    ps -e -o pid=,ppid=,comm= | awk -v root="$DAEMON_PID" -v name="$HACK" '
        { parent[$1] = $2; command[$1] = $3 }
        END {
            for (pid in command) {
                if (command[pid] != name) continue
                for (p = parent[pid]; p > 1; p = parent[p]) if (p == root) { print pid; exit }
            }
        }'
}

as_nobody xscreensaver-command -activate >/dev/null || fail "xscreensaver-command -activate failed"
hack_started() { [ -n "$(hack_pid)" ]; }
wait_until hack_started || fail "the daemon started no $HACK"
PID=$(hack_pid)
PIDS+=("$PID")

# The screen shows a picture: neither black nor one flat colour.
for _ in $(seq 40); do
    xwd -root -silent >"$WORK/screen.xwd" || fail "xwd failed"
    STATS=$(/usr/bin/convert "xwd:$WORK/screen.xwd" -colorspace gray \
        -format '%[fx:mean] %[fx:standard_deviation]' info:)
    awk '{ exit !($1 > 0.02 && $2 > 0.02) }' <<<"$STATS" && break
    kill -0 "$PID" 2>/dev/null || fail "$HACK ended on its own"
    sleep 0.25
done
/usr/bin/convert "xwd:$WORK/screen.xwd" "$OUT/$HACK.png"
awk '{ exit !($1 > 0.02 && $2 > 0.02) }' <<<"$STATS" ||
    fail "nothing drawn (grey mean and deviation $STATS), see $OUT/$HACK.png"

# CPU time of a process (all its threads) in clock ticks; frames counted so far.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
swaps() { od -An -t u8 "$WORK/swaps" | tr -d ' '; }
read -r t0 c0 f0 x0 < <(echo "$(date +%s.%N) $(cpu_ticks "$PID") $(swaps) $(cpu_ticks "$XVFB_PID")")
sleep "$MEASURE_SECONDS"
read -r t1 c1 f1 x1 < <(echo "$(date +%s.%N) $(cpu_ticks "$PID") $(swaps) $(cpu_ticks "$XVFB_PID")")
read -r share fps xshare < <(awk -v t0="$t0" -v t1="$t1" -v hz="$(getconf CLK_TCK)" \
    -v c=$((c1 - c0)) -v f=$((f1 - f0)) -v x=$((x1 - x0)) \
    'BEGIN { t = t1 - t0; printf "%.2f %.1f %.2f\n", c / hz / t, f / t, x / hz / t }')
echo "$HACK under the daemon: CPU share $share of one core (the X server $xshare)," \
    "$fps frames a second over $MEASURE_SECONDS s"
[ "$((f1 - f0))" -gt 0 ] || fail "no frames counted (was $COUNTER_LIBRARY preloaded?)"
# A pause of 30000 us after each frame allows at most 33 frames a second.
[ -n "${HACK_ARGS:-}" ] || awk -v fps="$fps" 'BEGIN { exit !(fps <= 34) }' ||
    fail "$fps frames a second: no pause between frames"

start=$(date +%s%N)
as_nobody xscreensaver-command -deactivate >/dev/null || fail "xscreensaver-command -deactivate failed"
while kill -0 "$PID" 2>/dev/null && [ -n "$(hack_pid)" ]; do
    [ $(($(date +%s%N) - start)) -lt 2000000000 ] || fail "$HACK still running 2 s after -deactivate"
    sleep 0.02
done
echo "$HACK ended $((($(date +%s%N) - start) / 1000000)) ms after -deactivate"
echo "passed: $HACK under xscreensaver"
