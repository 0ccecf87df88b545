#!/usr/bin/env bash
# Builds Vorlune and runs the saver.
#   scripts/run.sh [--window ...]   the Linux renderer, full screen on the X display
#                                   (hold Escape to end it); without a display it
#                                   renders stills headless into out/ instead
#   scripts/run.sh windows          the Windows saver, Vorlune.scr /s, under Wine
#                                   (on a virtual screen when there is no display)
#   scripts/run.sh windows settings its settings dialog, Vorlune.scr /c
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

have_display() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }

if [ "${1:-}" = "windows" ]; then
    scripts/setup.sh windows
    cmake --preset windows >/dev/null
    cmake --build --preset windows
    saver=build/windows/bin/Vorlune.scr
    # The saver's texts are Japanese: code page 932.
    export LC_ALL=ja_JP.UTF-8
    if [ "${2:-}" = "settings" ]; then
        if have_display; then
            echo "Vorlune.scr /c: the settings dialog, under Wine on $DISPLAY."
            exec scripts/wine-run.sh "$saver" /c
        fi
        mkdir -p out
        echo "No X display: opening Vorlune.scr /c on a virtual screen for a picture of it."
        export VORLUNE_WINEPREFIX=$PWD/build/wineprefix
        xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c '
            scripts/wine-run.sh "$1" /c &
            sleep 8
            import -window root out/windows-settings.png
            WINEPREFIX=$VORLUNE_WINEPREFIX /usr/lib/wine/wineserver -k
            wait' _ "$saver" || true
        echo "Screenshot: $PWD/out/windows-settings.png"
        exit 0
    fi
    if have_display; then
        echo "Vorlune.scr /s runs under Wine on $DISPLAY: hold Escape to end it."
        exec scripts/wine-run.sh "$saver" /s
    fi
    # No display: run it on a virtual screen for a while and keep a picture.
    mkdir -p out
    echo "No X display: running Vorlune.scr /s under Wine on a virtual 1024x768 screen for 15 s."
    export VORLUNE_WINEPREFIX=$PWD/build/wineprefix
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c '
        scripts/wine-run.sh "$1" /s &
        sleep 15
        import -window root out/windows-saver.png
        WINEPREFIX=$VORLUNE_WINEPREFIX /usr/lib/wine/wineserver -k
        wait' _ "$saver" || true
    echo "Screenshot: $PWD/out/windows-saver.png"
    exit 0
fi

scripts/setup.sh run
cmake --preset linux >/dev/null
cmake --build --preset linux

if have_display; then
    echo "Vorlune runs full screen on $DISPLAY: hold Escape to end it."
    exec build/linux/renderer/vorlune "$@"
fi

echo "No X display: rendering stills headless instead."
tool=build/linux/tools/vorlune-tool
mkdir -p out
for t in 0 20 45; do
    "$tool" render --time "$t" --size 1024x768 --out "out/frame-t$t.png"
done
"$tool" texture --out out/texture.png
"$tool" mesh --time 0 --out out/shells-t0.obj
echo
echo "Frames:  $PWD/out/frame-t0.png, frame-t20.png, frame-t45.png (scene times 0, 20 and 45 s)"
echo "Texture: $PWD/out/texture.png"
echo "Mesh:    $PWD/out/shells-t0.obj (open it in any 3D program)"
