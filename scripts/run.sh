#!/usr/bin/env bash
# Builds Vorlune and runs the saver: full screen on the X display when there is
# one (hold Escape to end it; arguments such as --window are passed on), and
# otherwise headless, writing stills of the scene, the texture and a mesh to out/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/setup.sh run
cmake --preset linux >/dev/null
cmake --build --preset linux

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
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
