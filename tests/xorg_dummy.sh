#!/usr/bin/env bash
# Starts Xorg's dummy driver with two monitors side by side, as RandR lists
# them: 1024x768 (primary) at 0,0 and 800x600 at 1024,0 (Wine's \\.\DISPLAY1
# and \\.\DISPLAY2). Used by the X11 and the Wine end-to-end scenarios.
#   xorg_dummy.sh <work dir>
# prints "<display> <server's pid>" and leaves the server's log in the work
# dir. Exit code 77 where it cannot run (it needs root and the dummy driver),
# 1 when the server fails.
set -uo pipefail
work=$1
config=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/xorg-dummy.conf

[ "$(id -u)" -eq 0 ] || { echo "Xorg's dummy driver needs root" >&2; exit 77; }
if [ ! -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] || ! command -v xrandr >/dev/null; then
    echo "xserver-xorg-video-dummy or x11-xserver-utils is not installed" >&2
    exit 77
fi

# The server picks a free display number itself and tells us which.
Xorg -displayfd 3 -config "$config" -noreset -nolisten tcp -logfile "$work/xorg.log" -novtswitch \
    -sharevts 3>"$work/xorg.display" >"$work/xorg.out" 2>&1 </dev/null &
pid=$!
for _ in $(seq 100); do
    [ -s "$work/xorg.display" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
[ -s "$work/xorg.display" ] || { echo "Xorg did not start:" >&2; cat "$work/xorg.out" >&2; exit 1; }
display=:$(head -n 1 "$work/xorg.display")
if ! { DISPLAY=$display xrandr --newmode 800x600_t 40.00 800 840 968 1056 600 601 605 628 +hsync +vsync &&
    DISPLAY=$display xrandr --addmode DUMMY1 800x600_t &&
    DISPLAY=$display xrandr --output DUMMY1 --mode 800x600_t --right-of DUMMY0; } >&2 ||
    ! DISPLAY=$display xrandr --listmonitors | grep -q '^Monitors: 2'; then
    echo "xrandr did not make a second monitor" >&2
    kill "$pid"
    exit 1
fi
echo "$display $pid"
