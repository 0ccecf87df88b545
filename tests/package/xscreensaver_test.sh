#!/usr/bin/env bash
# The hack from the .deb (extracted, nothing installed) under the real
# XScreenSaver daemon, as a Debian user runs it: the daemon, as the user nobody
# on an Xvfb of its own, starts it on `xscreensaver-command -activate`; the
# screen shows the scene (the screenshot stays in OUT_DIR), and the hack ends
# within 2 s of -deactivate. Prints the hack's CPU share and frame rate over
# MEASURE_SECONDS (5; 0 for none), its frames counted by the preloaded
# SWAP_COUNTER; HACK_ARGS are added to its command line.
#   xscreensaver_test.sh SWAP_COUNTER OUT_DIR vorlune_VERSION_amd64.deb
set -uo pipefail

OUT=$2
WORK=$(mktemp -d)
PIDS=()
mkdir -p "$OUT"
cleanup() {
    kill -KILL "${PIDS[@]}" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    tail -n 30 "$WORK/daemon.log" >&2 2>/dev/null
    exit 1
}
# Waits up to 30 s for a command to succeed: with the other package tests
# beside it on a busy machine, the daemon once took more than 10 s to answer.
wait_until() {
    for _ in $(seq 600); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

dpkg-deb -x "$3" "$WORK/root" || fail "dpkg-deb -x $3 failed"
HACK_DIR=$WORK/root/usr/libexec/xscreensaver
[ -x "$HACK_DIR/vorlune" ] || fail "no hack $HACK_DIR/vorlune"
cp "$1" "$WORK/swap_counter.so"
head -c 8 /dev/zero >"$WORK/swaps"
chmod 666 "$WORK/swaps"

# The X server lets any local user in (-ac): the daemon runs as nobody.
Xvfb -displayfd 3 -screen 0 1024x768x24 -ac -nolisten tcp 3>"$WORK/display" >/dev/null 2>&1 &
PIDS+=($!)
wait_until test -s "$WORK/display" || fail "Xvfb did not start"
DISPLAY=":$(head -n 1 "$WORK/display")"
export DISPLAY

mkdir "$WORK/home"
printf '%s\n' 'timeout: 1:00:00' 'lock: False' 'fade: False' 'unfade: False' 'dpmsEnabled: False' \
    'splash: False' 'mode: one' 'selected: 0' "programs: GL: vorlune -root ${HACK_ARGS:-} \n\\" '' \
    >"$WORK/home/.xscreensaver"
chmod -R a+rX "$WORK" # the daemon's user reads its home, the hack and the counter here
as_nobody() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$WORK/home" \
        PATH="$HACK_DIR:/usr/bin:/bin" DISPLAY="$DISPLAY" "$@"
}
LD_PRELOAD=$WORK/swap_counter.so SWAP_COUNTER_FILE=$WORK/swaps \
    as_nobody xscreensaver -no-splash >"$WORK/daemon.log" 2>&1 &
DAEMON_PID=$!
PIDS+=("$DAEMON_PID")
wait_until eval 'as_nobody xscreensaver-command -time >/dev/null 2>&1' || fail "the daemon did not answer"

# The pid of the vorlune the daemon started (a descendant of it), or nothing.
hack_pid() {
    ps -e -o pid=,ppid=,comm= | awk -v root="$DAEMON_PID" '
        { parent[$1] = $2; command[$1] = $3 }
        END { for (pid in command) if (command[pid] == "vorlune")
                  for (p = parent[pid]; p > 1; p = parent[p]) if (p == root) { print pid; exit } }'
}
as_nobody xscreensaver-command -activate >/dev/null || fail "xscreensaver-command -activate failed"
started() { [ -n "$(hack_pid)" ]; }
wait_until started || fail "the daemon started no vorlune"
PID=$(hack_pid)
PIDS+=("$PID")

# The screen shows a picture: neither black nor one flat colour.
for _ in $(seq 40); do
    STATS=$(xwd -root -silent | /usr/bin/convert xwd:- -write "$OUT/vorlune.png" -colorspace gray \
        -format '%[fx:mean] %[fx:standard_deviation]' info:)
    awk '{ exit !($1 > 0.02 && $2 > 0.02) }' <<<"$STATS" && break
    sleep 0.25
done
awk '{ exit !($1 > 0.02 && $2 > 0.02) }' <<<"$STATS" ||
    fail "nothing drawn (grey mean and deviation $STATS), see $OUT/vorlune.png"

# The figures: CPU time (clock ticks) and frames counted, before and after.
sample() { echo "$(date +%s.%N) $(awk '{ print $14 + $15 }' "/proc/$PID/stat") $(od -An -tu8 "$WORK/swaps")"; }
if [ "${MEASURE_SECONDS:-5}" != 0 ]; then
    read -r t0 c0 f0 < <(sample)
    sleep "${MEASURE_SECONDS:-5}"
    read -r t1 c1 f1 < <(sample)
    awk -v t="$t0" -v u="$t1" -v c=$((c1 - c0)) -v f=$((f1 - f0)) -v hz="$(getconf CLK_TCK)" 'BEGIN {
        printf "vorlune under the daemon: CPU share %.2f of one core, %.1f frames a second\n",
            c / hz / (u - t), f / (u - t) }'
fi

start=$(date +%s%N)
as_nobody xscreensaver-command -deactivate >/dev/null || fail "xscreensaver-command -deactivate failed"
while kill -0 "$PID" 2>/dev/null && [ -n "$(hack_pid)" ]; do
    [ $(($(date +%s%N) - start)) -lt 2000000000 ] || fail "vorlune still running 2 s after -deactivate"
    sleep 0.02
done
echo "passed: vorlune ended $((($(date +%s%N) - start) / 1000000)) ms after -deactivate"
