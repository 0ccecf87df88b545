#!/usr/bin/env bash
# Draws the scene offscreen for a long time and checks that the renderer's
# memory stays flat: vorlune-tool soak at a small size and frame rate, at the
# lowest priority, so it can run next to the other tests on a small machine.
#   scripts/soak.sh [seconds]
# Seconds default to 600. VORLUNE_SOAK_SIZE (320x240) and VORLUNE_SOAK_FPS (20)
# change the frame. Builds the linux preset's vorlune-tool first if needed.
# Exits 0 when the resident set grew by no more than 4 MiB after the warm-up,
# 1 when it grew more or the run failed, 2 on a bad argument. The last line
# says "soak: passed" or "soak: failed".
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1

seconds=${1:-600}
size=${VORLUNE_SOAK_SIZE:-320x240}
fps=${VORLUNE_SOAK_FPS:-20}
case "$seconds" in
    *[!0-9]* | '' | 0) echo "usage: $0 [seconds]" >&2; exit 2 ;;
esac
[ $# -le 1 ] || { echo "usage: $0 [seconds]" >&2; exit 2; }

tool=build/linux/tools/vorlune-tool
if ! { { [ -f build/linux/build.ninja ] || cmake --preset linux >/dev/null; } &&
       nice -n 19 cmake --build --preset linux --target vorlune-tool >/dev/null; }; then
    echo "soak: building $tool failed"
    echo "soak: failed"
    exit 1
fi

echo "soak: ${seconds} s at ${size}, at most ${fps} frames a second"
# the share of one core the whole run took, start-up included
TIMEFORMAT='soak: cpu %U s user + %S s system in %R s (%P%% of one core)'
{ time nice -n 19 "$tool" soak --seconds "$seconds" --size "$size" --fps "$fps"; } 2>&1
rc=$?
if [ "$rc" -eq 0 ]; then
    echo "soak: passed"
else
    echo "soak: failed (vorlune-tool exit code $rc)"
    rc=1
fi
exit $rc
