#!/usr/bin/env bash
# The Windows programs as a user gets them: the zip unpacked into a folder whose
# name has a blank and Japanese characters (two of them with a "\" as their
# second byte in code page 932), and the saver started from there as Windows
# starts it, `Vorlune.scr /s`, under Wine with the Japanese code page. The shell
# finds Vorlune.dll beside itself and starts it; the renderer's window
# "VorluneVC" shows the scene and ends on Escape, and the shell ends after it.
#   windows_zip_test.sh vorlune-VERSION-windows-x64.zip OUT_DIR
# OUT_DIR keeps the screenshot and Wine's messages.
set -uo pipefail

ZIP=$1
OUT=$2
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
XVFB_PID=
SAVER_PID=

rm -rf "$OUT"
mkdir -p "$OUT/xdg"
chmod 700 "$OUT/xdg"
export XDG_RUNTIME_DIR=$OUT/xdg WINEPREFIX=$OUT/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES=winemenubuilder.exe=d
# A Japanese user's locale: Wine's code page 932, file names in UTF-8. Any
# UTF-8 locale's data will do for the C library, so no locale need be made.
mkdir "$OUT/locale"
ln -s /usr/lib/locale/C.utf8 "$OUT/locale/ja_JP.UTF-8"
export LOCPATH=$OUT/locale
wine() { env LC_ALL=ja_JP.UTF-8 "$WINE" "$@"; }

cleanup() {
    [ -n "$SAVER_PID" ] && kill -KILL "$SAVER_PID" 2>/dev/null
    [ -d "$WINEPREFIX" ] && "$WINESERVER" -k 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$WINEPREFIX" "$XDG_RUNTIME_DIR" "$FOLDER"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

FOLDER="$OUT/Vorlune 表示ソフト"
python3 -m zipfile -e "$ZIP" "$FOLDER" || fail "cannot unpack $ZIP"

exec 9>"$OUT/display"
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp >"$OUT/xvfb.log" 2>&1 &
XVFB_PID=$!
exec 9>&-
for _ in $(seq 100); do [ -s "$OUT/display" ] && break; sleep 0.1; done
[ -s "$OUT/display" ] || fail "Xvfb did not start"
DISPLAY=":$(head -n 1 "$OUT/display")"
export DISPLAY

wine wineboot -i >"$OUT/wine.log" 2>&1
# Without a window manager Wine waits about 2 s on every window destruction.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$OUT/wine.log" 2>&1
"$WINESERVER" -w

wine "$FOLDER/Vorlune.scr" /s >>"$OUT/wine.log" 2>&1 &
SAVER_PID=$!
WINDOW=$(timeout 30 xdotool search --sync --onlyvisible --name '^VorluneVC$' | head -n 1)
[ -n "$WINDOW" ] || fail "no VorluneVC window: the shell did not start Vorlune.dll from '$FOLDER'"

# The scene: neither black nor one flat colour.
for _ in $(seq 40); do
    xwd -root -silent | /usr/bin/convert xwd:- "$OUT/saver.png" || fail "no screenshot"
    STATS=$(/usr/bin/convert "$OUT/saver.png" -colorspace gray \
        -format '%[fx:mean] %[fx:standard_deviation]' info:)
    awk '{ exit !($1 > 0.02 && $2 > 0.02) }' <<<"$STATS" && break
    sleep 0.25
done
awk '{ exit !($1 > 0.02 && $2 > 0.02) }' <<<"$STATS" ||
    fail "nothing drawn (grey mean and deviation $STATS), see $OUT/saver.png"

xdotool mousemove 512 384 keydown Escape
for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^VorluneVC$' >/dev/null || break
    sleep 0.1
done
xdotool keyup Escape
xdotool search --onlyvisible --name '^VorluneVC$' >/dev/null && fail "VorluneVC still there 5 s after Escape"
# The shell looks for the renderer's window every 500 ms.
for _ in $(seq 50); do
    kill -0 "$SAVER_PID" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$SAVER_PID" 2>/dev/null && fail "Vorlune.scr still running 5 s after the renderer ended"
wait "$SAVER_PID"
echo "passed: Vorlune.scr /s from '$FOLDER'"
