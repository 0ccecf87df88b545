#!/usr/bin/env bash
# Builds Vorlune and runs the saver.
#   scripts/run.sh [--window ...]   the Linux renderer, full screen on the Wayland or
#                                   X display (hold Escape to end it); without a
#                                   display it renders stills headless into out/
#   scripts/run.sh windows          the Windows saver, Vorlune.scr /s, under Wine
#                                   (on a virtual screen when there is no display)
#   scripts/run.sh windows settings its settings dialog, Vorlune.scr /c
#   scripts/run.sh web              the web page, served on http://127.0.0.1:8000/ and
#                                   opened in the browser (without a display, a
#                                   screenshot in out/web.png); Ctrl-C ends it
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

have_display() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }
# A Wayland display named and there: its socket, by absolute path or in XDG_RUNTIME_DIR.
have_wayland() {
    case ${WAYLAND_DISPLAY:-} in
        '') return 1 ;;
        /*) [ -S "$WAYLAND_DISPLAY" ] ;;
        *) [ -S "${XDG_RUNTIME_DIR:-/nonexistent}/$WAYLAND_DISPLAY" ] ;;
    esac
}

# run_windows <argument> <what it shows> <seconds> <picture>: Vorlune.scr under
# Wine on the X display, or without one on a virtual 1024x768 screen for a
# while, keeping a picture of it.
run_windows() {
    local saver=build/windows/bin/Vorlune.scr
    if have_display; then
        echo "Vorlune.scr $1 ($2) runs under Wine on $DISPLAY."
        exec scripts/wine-run.sh "$saver" "$1"
    fi
    mkdir -p out
    echo "No X display: running Vorlune.scr $1 ($2) under Wine on a virtual screen for $3 s."
    export VORLUNE_WINEPREFIX=$PWD/build/wineprefix
    # shellcheck disable=SC2016  # expanded by the inner shell
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c '
        scripts/wine-run.sh "$1" "$2" &
        sleep "$3"
        import -window root "$4"
        WINEPREFIX=$VORLUNE_WINEPREFIX /usr/lib/wine/wineserver -k
        wait' _ "$saver" "$1" "$3" "$4" || true
    echo "Screenshot: $PWD/$4"
    exit 0
}

if [ "${1:-}" = "windows" ]; then
    scripts/setup.sh windows
    cmake --preset windows >/dev/null
    cmake --build --preset windows
    # A Japanese Windows (code page 932, Japanese texts) unless another locale
    # is asked for: en_US.UTF-8 is a Western one, with English texts. For Wine
    # only; the shells here need not have the locale.
    export VORLUNE_WINE_LOCALE=${VORLUNE_WINE_LOCALE:-ja_JP.UTF-8}
    if [ "${2:-}" = "settings" ]; then
        run_windows /c "the settings dialog" 8 out/windows-settings.png
    fi
    run_windows /s "hold Escape to end it" 15 out/windows-saver.png
fi

if [ "${1:-}" = "web" ]; then
    scripts/setup.sh web
    cmake --preset web >/dev/null
    cmake --build --preset web --target vorlune_web
    python3 -m http.server --bind 127.0.0.1 --directory build/web/web 8000 &
    server=$!
    trap 'kill "$server" 2>/dev/null' EXIT
    for _ in $(seq 100); do
        kill -0 "$server" 2>/dev/null || { echo "run.sh: cannot serve on port 8000 (taken?)" >&2; exit 1; }
        (exec 3<>/dev/tcp/127.0.0.1/8000) 2>/dev/null && break
        sleep 0.1
    done
    url=http://127.0.0.1:8000/
    if have_display || have_wayland; then
        if command -v xdg-open >/dev/null; then xdg-open "$url"; else chromium "$url" & fi
    else
        mkdir -p out
        sandbox=()
        [ "$(id -u)" -eq 0 ] && sandbox=(--no-sandbox) # Chromium will not start as root otherwise
        profile=$(mktemp -d)
        rm -f out/web.png
        /usr/lib/chromium/chromium --headless=new --use-angle=swiftshader --enable-unsafe-swiftshader \
            "${sandbox[@]}" --user-data-dir="$profile" --no-first-run --disable-background-networking \
            --hide-scrollbars --window-size=1024,768 --virtual-time-budget=20000 \
            --screenshot="$PWD/out/web.png" "$url" >/dev/null 2>&1 || true
        rm -rf "$profile"
        [ -s out/web.png ] || { echo "run.sh: Chromium took no screenshot of $url" >&2; exit 1; }
        echo "No display: a screenshot of the page 20 s in is in $PWD/out/web.png"
    fi
    echo "The page is served on $url (Ctrl-C ends it)."
    wait "$server"
    exit 0
fi

scripts/setup.sh run
cmake --preset linux >/dev/null
cmake --build --preset linux

if have_wayland; then
    echo "Vorlune runs on every output of $WAYLAND_DISPLAY: hold Escape to end it."
    exec build/linux/renderer/vorlune "$@"
fi
if have_display; then
    echo "Vorlune runs full screen on $DISPLAY: hold Escape to end it."
    exec build/linux/renderer/vorlune --x11 "$@"
fi

echo "No Wayland or X display: rendering stills headless instead."
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
